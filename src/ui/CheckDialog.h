// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The "Check" dialog of the Tools menu: what a run of the current settings would do wrong,
// without writing anything. One row per finding; a double-click on a record's row asks the main
// window to show that record in the data preview. Created once, without modality, and reused.

#include "generation/DryRun.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string_view>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace stencilor::ui {

class CheckDialog final : public QDialog {
    Q_OBJECT
public:
    // `recheck` checks the window's current settings again ("Check again"); `messageText` puts
    // the core's error of a check that did not start into the words shown.
    CheckDialog(std::function<CheckReport()> recheck, std::function<QString(const Error&)> messageText,
                QWidget* parent = nullptr);

    // Shows the findings of `report`, or why the check did not start.
    void setReport(const CheckReport& report);

    // The table of findings (columns line, finding, name, detail; with quoted fields record, line,
    // finding, name, detail).
    QTableWidget* gridFindings() const { return m_grid; }

signals:
    // A finding's row of record `record` (1-based) was double-clicked.
    void recordChosen(std::uint64_t record);

private:
    void gridFindingsDblClick(QTableWidgetItem* item);

    std::function<CheckReport()> m_recheck;
    std::function<QString(const Error&)> m_messageText;
    QLabel* lblSummary = nullptr;
    QTableWidget* m_grid = nullptr;
    QPushButton* btnCheckAgain = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace stencilor::ui
