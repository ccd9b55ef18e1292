// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A fresh main window on a temporary program folder, its dialogs scripted, and the helpers the
// window tests share: widgets and actions found by name, files written inline.

#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "ui/MainWindow.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>

namespace stencilor::ui::test {

class MainWindowFixture {
public:
    MainWindowFixture()
    {
        QDir().mkpath(path(QStringLiteral("prog")));
        QDir().mkpath(path(QStringLiteral("work")));
    }

    // Creates the window; `argument` is the start-up argument (absolute), `show` shows it.
    T_FRMain* open(const QString& argument = {}, bool show = true)
    {
        T_FRMain::Environment environment;
        environment.programFolder = programFolder().toStdString();
        environment.programSettingsPath = settingsPath().toStdString();
        environment.startupArgument = argument.toStdString();
        m_window = std::make_unique<T_FRMain>(environment, m_dialogs);
        if (show)
            m_window->show();
        return m_window.get();
    }

    T_FRMain* window() const { return m_window.get(); }
    ScriptedDialogs& dialogs() { return m_dialogs; }
    const ScriptedDialogs& dialogs() const { return m_dialogs; }

    QString path(const QString& relative) const { return m_folder.path(relative); }
    QString programFolder() const { return path(QStringLiteral("prog")) + u'/'; }
    QString settingsPath() const { return path(QStringLiteral("prog/stencilor.ini")); }

    // Files under the temporary folder, by relative path (see TestFolder).
    QString write(const QString& relative, const QByteArray& content) const
    {
        return m_folder.write(relative, content);
    }
    QByteArray read(const QString& relative) const { return m_folder.read(relative); }
    bool exists(const QString& relative) const { return m_folder.exists(relative); }

    template <class Widget> Widget* widget(const char* name) const
    {
        auto* found = m_window->findChild<Widget*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

    QAction* action(const char* name) const { return widget<QAction>(name); }

    // The rule table's rows, each as "FIELD" `between` "IDENTIFIER".
    QStringList rules(const QString& between = QStringLiteral(" -> ")) const
    {
        const QAbstractItemModel* model = widget<QTableView>("gridRules")->model();
        QStringList list;
        for (int row = 0; row < model->rowCount(); ++row)
            list << model->index(row, 1).data().toString() + between + model->index(row, 2).data().toString();
        return list;
    }

    // Triggers the action `name` after checking that the user could: it is enabled.
    [[nodiscard]] bool trigger(const char* name) const
    {
        QAction* a = action(name);
        if (!a->isEnabled()) {
            qWarning("action %s is disabled", name);
            return false;
        }
        a->trigger();
        return true;
    }

private:
    TestFolder m_folder;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<T_FRMain> m_window;
};

// Drops the files `paths` on `target`; true when it took them.
[[nodiscard]] inline bool drop(QWidget* target, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    return enter.isAccepted() && QCoreApplication::sendEvent(target, &dropped) && dropped.isAccepted();
}

// Runs `start`, which opens a modal dialog, and `inspect` on that dialog while it is shown; a
// dialog that `inspect` leaves open is closed. False when no modal dialog opened.
[[nodiscard]] inline bool whileModal(const std::function<void()>& start, const std::function<void(QWidget*)>& inspect)
{
    bool seen = false;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        seen = true;
        inspect(modal);
        if (modal->isVisible())
            modal->close();
    });
    start();
    return seen;
}

} // namespace stencilor::ui::test
