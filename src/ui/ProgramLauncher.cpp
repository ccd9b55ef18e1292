// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgramLauncher.h"

#include "desktop/XdgApplications.h"
#include "ui/QtText.h"

#include <QProcess>

namespace stencilor::ui {

bool SystemProgramLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    // The child is double-forked by Qt: it outlives the program and leaves no zombie behind.
    return QProcess::startDetached(program, arguments);
}

bool startCommand(ProgramLauncher& launcher, const std::vector<std::string>& command)
{
    if (command.empty())
        return false;
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i)
        arguments << toQt(command[i]);
    return launcher.startDetached(toQt(command.front()), arguments);
}

bool openFolder(ProgramLauncher& launcher, const std::string& folder)
{
    const std::optional<DesktopEntry> manager = preferredApplication(
        systemXdgDirs(), {"inode/directory"}, [](const DesktopEntry& entry) { return !entry.terminal; });
    return manager && startCommand(launcher, execCommandForFile(manager->exec, folder));
}

} // namespace stencilor::ui
