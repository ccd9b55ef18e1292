// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one door through which the windows start outside programs (the text editor on the
// template, the web browser on the product page). The window tests put a recording launcher in
// its place, so no real editor or browser is started.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace stencilor::ui {

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // Starts `program` (a path, or a name looked up in $PATH) with `arguments`, each handed over as
    // one argument with no shell in between, and returns at once; true when the program started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

// Starts real programs, detached from this process, in the current working folder.
class SystemProgramLauncher final : public ProgramLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
};

// Starts `command` (a program and its arguments, as bytes) through `launcher`; false when it is
// empty or did not start.
bool startCommand(ProgramLauncher& launcher, const std::vector<std::string>& command);

// Shows `folder` in the desktop's file manager (the default application for folders, else one
// associated with them, needing no terminal) through `launcher`; false when there is none or it
// did not start.
bool openFolder(ProgramLauncher& launcher, const std::string& folder);

} // namespace stencilor::ui
