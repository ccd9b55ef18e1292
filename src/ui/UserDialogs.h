#pragma once

// The one door through which the windows ask the user something, tell the user something or
// hand a document to the desktop. Interactively it shows real message boxes and file dialogs;
// scripted (the window tests), it answers from queues filled beforehand and records everything
// that would have been shown, so commands can be driven end to end without a modal loop.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

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

class UserDialogs final {
public:
    enum class Mode { Interactive, Scripted };
    enum class Kind { Message, Error, Question };

    // One box as it was (or would have been) shown.
    struct Shown {
        Kind kind;
        QString caption;
        QString text;
    };

    explicit UserDialogs(Mode mode = Mode::Interactive)
        : m_mode(mode)
    {
    }

    // A question with `buttons` (Yes/No or Yes/No/Cancel) and a question icon; returns the button
    // chosen, or `closedAnswer` when the box is closed or Escape is pressed.
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton closedAnswer);
    // A warning with Yes and No, No being the default button and the answer when the box is
    // closed, as a file dialog asks before replacing a file; true for Yes.
    bool confirm(QWidget* parent, const QString& caption, const QString& text);
    // A message box with an OK button.
    void message(QWidget* parent, const QString& caption, const QString& text);
    // An error box with an OK button.
    void error(QWidget* parent, const QString& caption, const QString& text);
    // An open or save dialog set up from `request`; the chosen path, or nothing when cancelled.
    std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request);
    // Hands the file at `path` to the desktop's default application without waiting; a failure
    // is not reported (the report viewer is optional).
    void openDocument(const QString& path);

    // ---- scripted mode
    // The answer to the next question or confirmation (queued; unscripted questions are answered with their
    // closed answer and counted in unexpected()).
    void setNextAnswer(QMessageBox::StandardButton answer) { m_answers.push_back(answer); }
    // The path the next file dialog returns (queued); an empty text cancels that dialog.
    // Unscripted dialogs are cancelled and counted in unexpected().
    void setNextFileName(const QString& path) { m_fileNames.push_back(path); }

    const std::vector<Shown>& shown() const { return m_shown; }
    const std::vector<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    const QStringList& openedDocuments() const { return m_openedDocuments; }
    // Questions and file dialogs that came without a scripted answer.
    int unexpected() const { return m_unexpected; }
    // Answers and file names set but not used.
    std::size_t pending() const { return m_answers.size() + m_fileNames.size(); }
    void clearRecords();

private:
    bool scripted() const { return m_mode == Mode::Scripted; }
    // A question box with `icon`, `buttons` and `defaultButton`; the button chosen, or
    // `closedAnswer`. Scripted, the next queued answer.
    QMessageBox::StandardButton question(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                         const QString& text, QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton,
                                         QMessageBox::StandardButton closedAnswer);

    Mode m_mode;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<QString> m_fileNames;
    std::vector<Shown> m_shown;
    std::vector<FileDialogRequest> m_fileRequests;
    QStringList m_openedDocuments;
    int m_unexpected = 0;
};

} // namespace stencilor::ui
