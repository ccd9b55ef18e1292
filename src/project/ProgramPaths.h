// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace stencilor {

// What the program-folder rules need to know about the system; tests replace it.
struct PathEnvironment {
    std::string executablePath;                          // absolute path of the executable
    std::function<bool(const std::string& path)> isFile; // something that is not a folder exists there
    std::function<std::string(const char* name)> getEnv; // empty when unset
};

// The environment of the running process.
PathEnvironment systemPathEnvironment();

// The program folder (new projects, bare project names), ending with "/": the executable's folder
// in portable mode (a file "stencilor.ini" stands beside the executable), otherwise
// $XDG_DATA_HOME/stencilor/ (default ~/.local/share/stencilor/). Does not create anything.
std::string programFolder(const PathEnvironment& env);

// The program settings file: "stencilor.ini" beside the executable in portable mode, otherwise
// $XDG_CONFIG_HOME/stencilor/stencilor.ini (default ~/.config/...). Does not create anything.
std::string programSettingsPath(const PathEnvironment& env);

} // namespace stencilor
