// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/ProgramPaths.h"

#include "TestUtil.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace stencilor {
namespace {

// A made-up system: the executable's path, the files that exist, and the variables set.
PathEnvironment fakeEnvironment(std::string executable, std::set<std::string> files,
                                std::map<std::string, std::string> variables)
{
    PathEnvironment env;
    env.executablePath = std::move(executable);
    env.isFile = [files = std::move(files)](const std::string& path) { return files.contains(path); };
    env.getEnv = [variables = std::move(variables)](const char* name) {
        const auto it = variables.find(name);
        return it == variables.end() ? std::string() : it->second;
    };
    return env;
}

TEST(ProgramPaths, FollowXdgUnlessASettingsFileStandsBesideTheExecutable)
{
    struct Row {
        const char* name;
        std::string executable;
        std::set<std::string> files;
        std::map<std::string, std::string> variables;
        std::string programFolder;
        std::string settingsPath;
    };
    const std::map<std::string, std::string> home = {{"HOME", "/home/u"}};
    const std::map<std::string, std::string> xdg = {
        {"HOME", "/home/u"}, {"XDG_DATA_HOME", "/x/data"}, {"XDG_CONFIG_HOME", "/x/config"}};
    const Row rows[] = {
        {"installed with --prefix ~/.local",
         "/home/u/.local/bin/stencilor",
         {},
         home,
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"system install with XDG variables",
         "/usr/bin/stencilor",
         {},
         xdg,
         "/x/data/stencilor/",
         "/x/config/stencilor/stencilor.ini"},
        {"XDG variables with a trailing slash",
         "/usr/bin/stencilor",
         {},
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/x/data/"}, {"XDG_CONFIG_HOME", "/x/config/"}},
         "/x/data/stencilor/",
         "/x/config/stencilor/stencilor.ini"},
        {"relative XDG variables are ignored",
         "/usr/bin/stencilor",
         {},
         {{"HOME", "/home/u/"}, {"XDG_DATA_HOME", "data"}, {"XDG_CONFIG_HOME", "config"}},
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"portable: stencilor.ini beside the executable",
         "/opt/st/stencilor",
         {"/opt/st/stencilor.ini"},
         xdg,
         "/opt/st/",
         "/opt/st/stencilor.ini"},
        {"portable under another executable name",
         "/opt/st/tool.bin",
         {"/opt/st/stencilor.ini"},
         xdg,
         "/opt/st/",
         "/opt/st/stencilor.ini"},
        {"an ini file of another name is not portable mode",
         "/opt/st/tool",
         {"/opt/st/tool.ini"},
         home,
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"unknown executable",
         "",
         {"stencilor.ini", "/stencilor.ini"},
         home,
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"no home at all", "/usr/bin/stencilor", {}, {}, "/usr/bin/", "/usr/bin/stencilor.ini"},
    };
    for (const Row& row : rows) {
        const PathEnvironment env = fakeEnvironment(row.executable, row.files, row.variables);
        EXPECT_EQ(programFolder(env), row.programFolder) << row.name;
        EXPECT_EQ(programSettingsPath(env), row.settingsPath) << row.name;
    }
}

TEST(ProgramPaths, SystemEnvironmentDescribesThisProcess)
{
    const PathEnvironment env = systemPathEnvironment();
    ASSERT_FALSE(env.executablePath.empty());
    EXPECT_EQ(env.executablePath.front(), '/');
    EXPECT_FALSE(env.getEnv("HOME").empty());
    EXPECT_EQ(env.getEnv("STENCILOR_SURELY_UNSET_VARIABLE"), "");

    test::TempDir dir;
    EXPECT_TRUE(env.isFile(dir.write("file", "x")));
    EXPECT_FALSE(env.isFile(dir.path()));
    EXPECT_FALSE(env.isFile(dir.file("missing")));

    const std::string folder = programFolder(env);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
}

} // namespace
} // namespace stencilor
