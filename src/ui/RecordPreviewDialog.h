// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// "Preview output" of the Tools menu: the text one record would get, its replacements
// highlighted, the full path of the file it would be written to, and for an HTML template the
// rendered page beside the source. Nothing is written. The record is read in a thread of its own
// while the dialog shows how far, with a button that stops the reading; a newer record asked for
// replaces the one being read. Created once, without modality, and reused; it follows the record
// chosen in the data preview.

#include "generation/RecordPreview.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

class QLabel;
class QPushButton;
class QSpinBox;
class QTextBrowser;
class QTextEdit;

namespace stencilor::ui {

class DataWorker;
struct PassProgress;
class WorkProgress;

class RecordPreviewDialog final : public QDialog {
    Q_OBJECT
public:
    // The preview of one record under settings read before it starts, run in the reading thread
    // and watched from the GUI thread.
    using Produce = std::function<RecordPreview(const PassWatch&)>;

    // `prepare` reads the window's current settings (on the GUI thread) and gives the preview of a
    // record (1-based) under them; `messageText` puts the core's error of a preview that could not
    // be made into the words shown.
    RecordPreviewDialog(std::function<Produce(std::uint64_t)> prepare, std::function<QString(const Error&)> messageText,
                        QWidget* parent = nullptr);
    // A reading in progress is stopped and its thread joined first.
    ~RecordPreviewDialog() override;

    // Previews record `record` and shows its number in the record box; a record still being read
    // is given up.
    void showRecord(std::uint64_t record);
    std::uint64_t record() const;
    // Stops a reading in progress and waits for its thread; nothing more is shown of it.
    void stopPreview();
    // Whether a record is being read.
    bool reading() const;

protected:
    // Closing the dialog stops a reading in progress.
    void hideEvent(QHideEvent* event) override;

private:
    void display(const RecordPreview& preview, std::uint64_t record);

    std::function<Produce(std::uint64_t)> m_prepare;
    std::function<QString(const Error&)> m_messageText;
    QSpinBox* edRecord = nullptr;
    QPushButton* btnRefresh = nullptr;
    QLabel* lblOutputPath = nullptr;
    QTextEdit* memSource = nullptr;
    QTextBrowser* viewRendered = nullptr;
    QPushButton* btnClose = nullptr;
    WorkProgress* m_progress = nullptr;
    DataWorker* m_worker = nullptr;
    std::shared_ptr<PassProgress> m_reading; // how far the record in progress has been read
    bool m_showing = false;                  // the record box is being set from code
};

} // namespace stencilor::ui
