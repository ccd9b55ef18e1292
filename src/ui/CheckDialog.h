// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The "Check" dialog of the Tools menu: what a run of the current settings would do wrong,
// without writing anything. The check runs in a thread of its own while the dialog shows how far
// it has come, with a button that stops it; the findings join the list as they are found. One
// row per finding, up to kMaxListed of them (the rest are counted); a double-click on a record's
// row asks the main window to show that record in the data preview. Created once, without
// modality, and reused.

#include "generation/DryRun.h"

#include <QDialog>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTableView;

namespace stencilor::ui {

class CheckFindingsModel;
class DataWorker;
class WorkProgress;

class CheckDialog final : public QDialog {
    Q_OBJECT
public:
    // A check of settings read before it starts, run in the check's thread: each finding goes to
    // the sink as it is found, the records checked to the progress, and the watch may stop it.
    using Check = std::function<CheckReport(const FindingSink&, const CheckProgress&, const PassWatch&)>;
    struct Job {
        Check check;
        bool quotes = false; // records may span lines: the list shows record and line
    };
    // The most findings the list holds, so that memory does not grow with their number.
    static constexpr std::size_t kMaxListed = 100'000;

    // `prepare` reads the window's current settings (on the GUI thread, at each start and "Check
    // again") and gives the check of them; `messageText` puts the core's error of a check that
    // did not start into the words shown.
    CheckDialog(std::function<Job()> prepare, std::function<QString(const Error&)> messageText,
                QWidget* parent = nullptr);
    // A check in progress is stopped and its thread joined first.
    ~CheckDialog() override;

    // Starts checking the window's current settings; a check in progress is stopped first.
    void startCheck();
    // Stops a check in progress and waits for its thread; what it found so far is not shown.
    void stopCheck();
    // Whether a check is in progress.
    bool checking() const;

    // The list of findings (columns line, finding, name, detail; with quoted fields record, line,
    // finding, name, detail).
    QTableView* gridFindings() const { return m_grid; }

signals:
    // A finding's row of record `record` (1-based) was double-clicked.
    void recordChosen(std::uint64_t record);

protected:
    // Closing the dialog stops a check in progress.
    void hideEvent(QHideEvent* event) override;

private:
    struct Feed;
    // Moves the findings found since the last call into the list, and says how many there are.
    void takeFindings(Feed& feed);
    void showProgress();
    // Shows the end of the check: its counts, whether it was stopped, or why it did not start.
    void showReport(const CheckReport& report);
    void gridFindingsDblClick(const QModelIndex& index);

    std::function<Job()> m_prepare;
    std::function<QString(const Error&)> m_messageText;
    std::shared_ptr<Feed> m_feed; // of the check in progress or the last one
    QStringList m_titles;
    QLabel* lblSummary = nullptr;
    QLabel* lblNotListed = nullptr;
    WorkProgress* m_progress = nullptr;
    CheckFindingsModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QPushButton* btnCheckAgain = nullptr;
    QPushButton* btnClose = nullptr;
    DataWorker* m_worker = nullptr;
};

} // namespace stencilor::ui
