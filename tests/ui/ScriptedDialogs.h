// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window tests put in place of the user: questions and file dialogs answered from queues
// filled beforehand, and a record of every box and dialog that would have been shown.

#include "ui/UserDialogs.h"

#include <deque>
#include <vector>

namespace stencilor::ui::test {

class ScriptedDialogs final : public UserDialogs {
public:
    enum class Kind { Message, Error, Question };

    // One box as it would have been shown.
    struct Shown {
        Kind kind;
        QString caption;
        QString text;
        QString detail; // a message's lines below its text
    };

    // The answer to the next question or confirmation (queued; unscripted questions are answered
    // with their closed answer and counted in unexpected()).
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
    void clearRecords()
    {
        m_shown.clear();
        m_fileRequests.clear();
        m_openedDocuments.clear();
        m_unexpected = 0;
    }

    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text, QMessageBox::StandardButtons,
                                    QMessageBox::StandardButton closedAnswer) override
    {
        return answer(caption, text, closedAnswer);
    }
    bool confirm(QWidget*, const QString& caption, const QString& text) override
    {
        return answer(caption, text, QMessageBox::No) == QMessageBox::Yes;
    }
    void message(QWidget*, const QString& caption, const QString& text, const QString& detail) override
    {
        m_shown.push_back({Kind::Message, caption, text, detail});
    }
    void error(QWidget*, const QString& caption, const QString& text) override
    {
        m_shown.push_back({Kind::Error, caption, text, {}});
    }
    std::optional<QString> chooseFile(QWidget*, const FileDialogRequest& request) override
    {
        m_fileRequests.push_back(request);
        if (m_fileNames.empty()) {
            ++m_unexpected;
            return std::nullopt;
        }
        QString path = m_fileNames.front();
        m_fileNames.pop_front();
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }
    void openDocument(const QString& path) override { m_openedDocuments << path; }

private:
    QMessageBox::StandardButton answer(const QString& caption, const QString& text,
                                       QMessageBox::StandardButton closedAnswer)
    {
        m_shown.push_back({Kind::Question, caption, text, {}});
        if (m_answers.empty()) {
            ++m_unexpected;
            return closedAnswer;
        }
        const QMessageBox::StandardButton next = m_answers.front();
        m_answers.pop_front();
        return next;
    }

    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<QString> m_fileNames;
    std::vector<Shown> m_shown;
    std::vector<FileDialogRequest> m_fileRequests;
    QStringList m_openedDocuments;
    int m_unexpected = 0;
};

} // namespace stencilor::ui::test
