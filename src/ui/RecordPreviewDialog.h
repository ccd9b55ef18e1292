// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// "Preview output" of the Tools menu: the text one record would get, its replacements
// highlighted, the full path of the file it would be written to, and for an HTML template the
// rendered page beside the source. Nothing is written. Created once, without modality, and
// reused; it follows the record chosen in the data preview.

#include "generation/RecordPreview.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string_view>

class QLabel;
class QPushButton;
class QSpinBox;
class QTextBrowser;
class QTextEdit;

namespace stencilor::ui {

class RecordPreviewDialog final : public QDialog {
    Q_OBJECT
public:
    // `produce` previews a record (1-based) under the window's current settings; `messageText`
    // puts the core's error of a preview that could not be made into the words shown.
    RecordPreviewDialog(std::function<RecordPreview(std::uint64_t)> produce,
                        std::function<QString(const Error&)> messageText, QWidget* parent = nullptr);

    // Previews record `record` and shows its number in the record box.
    void showRecord(std::uint64_t record);
    std::uint64_t record() const;

private:
    void display(const RecordPreview& preview);

    std::function<RecordPreview(std::uint64_t)> m_produce;
    std::function<QString(const Error&)> m_messageText;
    QSpinBox* edRecord = nullptr;
    QPushButton* btnRefresh = nullptr;
    QLabel* lblOutputPath = nullptr;
    QTextEdit* memSource = nullptr;
    QTextBrowser* viewRendered = nullptr;
    QPushButton* btnClose = nullptr;
    bool m_showing = false; // the record box is being set from code
};

} // namespace stencilor::ui
