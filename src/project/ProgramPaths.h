#pragma once

#include <functional>
#include <string>

namespace stencilor {

// What the program-folder rules need to know about the system; tests replace it.
struct PathEnvironment {
    std::string executablePath;                                // absolute path of the executable
    std::function<bool(const std::string& folder)> isWritable; // folder exists and may be written
    std::function<std::string(const char* name)> getEnv;       // empty when unset
};

// The environment of the running process.
PathEnvironment systemPathEnvironment();

// The program folder, ending with "/": the executable's folder when it is writable, otherwise
// $XDG_DATA_HOME/stencilor/ (default ~/.local/share/stencilor/). Does not create anything.
std::string programFolder(const PathEnvironment& env);

// The program settings file: "<executable name>.ini" beside the executable when its folder is
// writable, otherwise $XDG_CONFIG_HOME/stencilor/stencilor.ini (default ~/.config/...).
std::string programSettingsPath(const PathEnvironment& env);

} // namespace stencilor
