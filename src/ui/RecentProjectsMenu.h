// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Project > Open Recent: the projects opened or saved last, newest first, a project whose file
// is gone shown disabled, and "Clear list". The list is read from the program settings file when
// the menu is made and written back when the window closes, so that opening a project changes
// nothing on disk while the program runs.

#include <QMenu>
#include <string>
#include <vector>

namespace stencilor::ui {

class RecentProjectsMenu final : public QMenu {
    Q_OBJECT
public:
    // The menu "Open Recent" with the list stored in the program settings file at
    // `programSettingsPath`.
    RecentProjectsMenu(std::string programSettingsPath, QWidget* parent = nullptr);

    // Puts the project at `projectPath` (a resolved path) first in the list.
    void add(const std::string& projectPath);
    // The list, newest first.
    const std::vector<std::string>& projects() const { return m_projects; }

    // Writes the list into the program settings file when it changed since it was read. A failure
    // is not reported: the list is a convenience, not the user's work.
    void remember();

signals:
    // The user chose the project at `path` (as the window shows paths).
    void projectChosen(const QString& path);

private:
    // Refills the menu from the list; a project whose file is gone is shown disabled.
    void rebuild();
    void clearList();

    std::string m_programSettingsPath;
    std::vector<std::string> m_projects;
    bool m_changed = false;
};

} // namespace stencilor::ui
