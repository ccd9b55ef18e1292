// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one door through which the windows ask the user something, tell the user something or
// hand a document to the desktop. The program shows real message boxes and file dialogs
// (SystemUserDialogs); the window tests put scripted answers in its place, so commands can be
// driven end to end without a modal loop.

#include <QFontMetrics>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

class QLabel;
class QWidget;

namespace stencilor::ui {

// What a file dialog is set up with before it is shown. Paths here and in the dialog's result
// are texts as the window shows them (toQt of the path's bytes, QtText.h).
struct FileDialogRequest {
    QString title;
    QString filter;        // pairs of description and patterns separated by "|", e.g. "Data (*.csv)|*.csv"
    QString defaultSuffix; // added to a typed name without extension, e.g. "ql"
    QString folder;        // initial folder; empty for the working folder
    QString fileName;      // proposed name, a bare name or a whole path
    bool save = false;     // a save dialog (otherwise an open dialog)
};

// The filter of a request in the form QFileDialog takes: one "Description (patterns)" entry per
// pair, the patterns separated by spaces; "*.*" becomes "*", so that files without an
// extension are listed under "All Files" as well.
QStringList qtNameFilters(const QString& filter);

// The folder a file dialog opens in for `path`: its folder part without the trailing "/" (the
// root keeps it); empty when the path has no folder part.
QString dialogFolder(std::string_view path);

// A message's text as a box shows it when the box wraps its lines at `wrapWidth` pixels of
// `metrics`: a line that would take more than kWrappedLinesPerLine wrapped lines is elided in the
// middle (a long path keeps its start and its file name), and the text keeps to `maxLines`
// wrapped lines, the last of them "…" when more were left out. `cut` tells whether anything was
// left out.
inline constexpr int kWrappedLinesPerLine = 3;
struct BoundedText {
    QString text;
    bool cut = false;
};
BoundedText boundedMessageText(const QString& text, const QFontMetrics& metrics, int wrapWidth, int maxLines);

// Shows `text` in the word-wrapping `label` bounded as a box bounds its text, wrapped at about
// the width of the label's window and kept to `maxLines` lines, so that a long path cannot push
// the rest of a dialog away.
void setBoundedLabelText(QLabel* label, const QString& text, int maxLines);

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A question with `buttons` (Yes/No or Yes/No/Cancel) and a question icon; returns the button
    // chosen, or `closedAnswer` when the box is closed or Escape is pressed.
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton closedAnswer) = 0;
    // A warning with Yes and No, No being the default button and the answer when the box is
    // closed, as a file dialog asks before replacing a file; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A message box with an OK button; a `detail` that is not empty (such as the paths a message
    // is about) shows on the lines below the text.
    virtual void message(QWidget* parent, const QString& caption, const QString& text, const QString& detail) = 0;
    // An error box with an OK button.
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    // An open or save dialog set up from `request`; the chosen path, or nothing when cancelled.
    virtual std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // Hands the file at `path` to the desktop's default application without waiting; a failure
    // is not reported (the report viewer is optional).
    virtual void openDocument(const QString& path) = 0;
};

// Real message boxes and file dialogs, and the desktop's default application for documents. A box
// never grows beyond its screen: long lines are elided (see boundedMessageText) and the whole
// text is then in the box's details, where it can be selected and copied.
class SystemUserDialogs final : public UserDialogs {
public:
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton closedAnswer) override;
    bool confirm(QWidget* parent, const QString& caption, const QString& text) override;
    void message(QWidget* parent, const QString& caption, const QString& text, const QString& detail) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request) override;
    void openDocument(const QString& path) override;
};

} // namespace stencilor::ui
