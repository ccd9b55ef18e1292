// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/ProgramPaths.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace stencilor {

namespace {

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// An XDG base folder: the variable when it holds an absolute path (the XDG rules ignore a
// relative one), otherwise $HOME + `fallback`; empty when neither is known.
std::string xdgBase(const PathEnvironment& env, const char* variable, const char* fallback)
{
    const std::string value = env.getEnv(variable);
    if (!value.empty() && value.front() == '/')
        return withSlash(value);
    const std::string home = env.getEnv("HOME");
    if (home.empty())
        return {};
    return withSlash(home) + fallback;
}

constexpr const char* kSettingsFileName = "stencilor.ini";

// The executable's folder, ending with "/", when a settings file stands beside the executable
// (portable mode); otherwise empty.
std::string portableFolder(const PathEnvironment& env)
{
    const std::string folder(folderPart(env.executablePath));
    if (folder.empty() || !env.isFile(folder + kSettingsFileName))
        return {};
    return folder;
}

// Without a home folder there are no XDG folders: the executable's folder (or the working
// folder when even that is unknown) is the only place left; saves there fail and say so.
std::string lastResortFolder(const PathEnvironment& env)
{
    const std::string folder(folderPart(env.executablePath));
    return folder.empty() ? std::string("./") : folder;
}

} // namespace

PathEnvironment systemPathEnvironment()
{
    PathEnvironment env;
    env.executablePath = executablePath();
    env.isFile = [](const std::string& path) { return fileExists(path); };
    env.getEnv = [](const char* name) -> std::string {
        if (const char* value = std::getenv(name); value && *value)
            return value;
        // Without HOME the account's home folder still gives the XDG defaults.
        if (std::string_view(name) == "HOME") {
            if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
                return account->pw_dir;
        }
        return {};
    };
    return env;
}

std::string programFolder(const PathEnvironment& env)
{
    if (std::string folder = portableFolder(env); !folder.empty())
        return folder;
    if (const std::string base = xdgBase(env, "XDG_DATA_HOME", ".local/share/"); !base.empty())
        return base + "stencilor/";
    return lastResortFolder(env);
}

std::string programSettingsPath(const PathEnvironment& env)
{
    if (std::string folder = portableFolder(env); !folder.empty())
        return folder + kSettingsFileName;
    if (const std::string base = xdgBase(env, "XDG_CONFIG_HOME", ".config/"); !base.empty())
        return base + "stencilor/" + kSettingsFileName;
    return lastResortFolder(env) + kSettingsFileName;
}

} // namespace stencilor
