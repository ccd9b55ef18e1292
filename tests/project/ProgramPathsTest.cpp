#include "project/ProgramPaths.h"

#include "TestUtil.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace stencilor {
namespace {

// A made-up system: the executable's path, whether its folder is writable, and the variables set.
PathEnvironment fakeEnvironment(std::string executable, bool writable, std::map<std::string, std::string> variables,
                                std::vector<std::string>* askedFolders = nullptr)
{
    PathEnvironment env;
    env.executablePath = std::move(executable);
    env.isWritable = [writable, askedFolders](const std::string& folder) {
        if (askedFolders)
            askedFolders->push_back(folder);
        return writable;
    };
    env.getEnv = [variables = std::move(variables)](const char* name) {
        const auto it = variables.find(name);
        return it == variables.end() ? std::string() : it->second;
    };
    return env;
}

TEST(ProgramPaths, FollowTheExecutableOrTheXdgFolders)
{
    struct Row {
        const char* name;
        std::string executable;
        bool writable;
        std::map<std::string, std::string> variables;
        std::string programFolder;
        std::string settingsPath;
    };
    const std::map<std::string, std::string> xdg = {
        {"HOME", "/home/u"}, {"XDG_DATA_HOME", "/x/data"}, {"XDG_CONFIG_HOME", "/x/config"}};
    const Row rows[] = {
        {"portable install", "/opt/st/stencilor", true, xdg, "/opt/st/", "/opt/st/stencilor.ini"},
        {"extension replaced", "/opt/st/tool.bin", true, xdg, "/opt/st/", "/opt/st/tool.ini"},
        {"system install with XDG variables", "/usr/bin/stencilor", false, xdg, "/x/data/stencilor/",
         "/x/config/stencilor/stencilor.ini"},
        {"XDG variables with a trailing slash",
         "/usr/bin/stencilor",
         false,
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/x/data/"}, {"XDG_CONFIG_HOME", "/x/config/"}},
         "/x/data/stencilor/",
         "/x/config/stencilor/stencilor.ini"},
        {"home defaults",
         "/usr/bin/stencilor",
         false,
         {{"HOME", "/home/u"}},
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"relative XDG variables are ignored",
         "/usr/bin/stencilor",
         false,
         {{"HOME", "/home/u/"}, {"XDG_DATA_HOME", "data"}, {"XDG_CONFIG_HOME", "config"}},
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"unknown executable",
         "",
         true,
         {{"HOME", "/home/u"}},
         "/home/u/.local/share/stencilor/",
         "/home/u/.config/stencilor/stencilor.ini"},
        {"no home at all", "/usr/bin/stencilor", false, {}, "/usr/bin/", "/usr/bin/stencilor.ini"},
    };
    for (const Row& row : rows) {
        const PathEnvironment env = fakeEnvironment(row.executable, row.writable, row.variables);
        EXPECT_EQ(programFolder(env), row.programFolder) << row.name;
        EXPECT_EQ(programSettingsPath(env), row.settingsPath) << row.name;
    }
}

TEST(ProgramPaths, WritabilityIsAskedOfTheExecutablesFolder)
{
    std::vector<std::string> asked;
    const PathEnvironment env = fakeEnvironment("/opt/st/stencilor", true, {}, &asked);
    programFolder(env);
    programSettingsPath(env);
    EXPECT_EQ(asked, (std::vector<std::string>{"/opt/st/", "/opt/st/"}));
}

TEST(ProgramPaths, SystemEnvironmentDescribesThisProcess)
{
    const PathEnvironment env = systemPathEnvironment();
    ASSERT_FALSE(env.executablePath.empty());
    EXPECT_EQ(env.executablePath.front(), '/');
    EXPECT_FALSE(env.getEnv("HOME").empty());
    EXPECT_EQ(env.getEnv("STENCILOR_SURELY_UNSET_VARIABLE"), "");

    test::TempDir dir;
    EXPECT_TRUE(env.isWritable(dir.path()));
    EXPECT_FALSE(env.isWritable(dir.file("missing")));
    EXPECT_FALSE(env.isWritable(dir.write("file", "x")));

    const std::string folder = programFolder(env);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
}

} // namespace
} // namespace stencilor
