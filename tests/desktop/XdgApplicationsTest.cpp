// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/XdgApplications.h"

#include "TestUtil.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using Words = std::vector<std::string>;

TEST(XdgApplications, FoldersComeFromTheEnvironmentWithTheirDefaults)
{
    std::map<std::string, std::string> env{{"HOME", "/home/u/"}};
    const auto getEnv = [&env](const char* name) { return env.count(name) ? env.at(name) : std::string(); };

    XdgDirs dirs = xdgDirsFromEnvironment(getEnv);
    EXPECT_EQ(dirs.configHome, "/home/u/.config");
    EXPECT_EQ(dirs.configDirs, Words{"/etc/xdg"});
    EXPECT_EQ(dirs.dataHome, "/home/u/.local/share");
    EXPECT_EQ(dirs.dataDirs, (Words{"/usr/local/share", "/usr/share"}));
    EXPECT_TRUE(dirs.currentDesktops.empty());

    env = {{"HOME", "/home/u"},        {"XDG_CONFIG_HOME", "relative/config"}, // relative: ignored
           {"XDG_DATA_HOME", "/d/"},   {"XDG_DATA_DIRS", "/a:rel::/b/"},
           {"XDG_CONFIG_DIRS", "rel"}, {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
    dirs = xdgDirsFromEnvironment(getEnv);
    EXPECT_EQ(dirs.configHome, "/home/u/.config");
    EXPECT_EQ(dirs.configDirs, Words{"/etc/xdg"});
    EXPECT_EQ(dirs.dataHome, "/d");
    EXPECT_EQ(dirs.dataDirs, (Words{"/a", "/b"}));
    EXPECT_EQ(dirs.currentDesktops, (Words{"ubuntu", "gnome"}));
}

TEST(XdgApplications, ExecValuesSplitByTheDesktopEntryQuotingRules)
{
    const struct {
        std::string exec;
        Words words;
    } cases[] = {
        {"gedit %U", {"gedit", "%U"}},
        {"  a   b\tc  ", {"a", "b", "c"}},
        {R"("/opt/My Editor/edit" --x "%f")", {"/opt/My Editor/edit", "--x", "%f"}},
        {R"(sh -c "echo \"\$HOME\" \\ \`x\` \n")", {"sh", "-c", R"(echo "$HOME" \ `x` \n)"}},
        {R"(a"b c"d "")", {"ab cd", ""}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitExec(c.exec), c.words) << c.exec;
}

TEST(XdgApplications, FieldCodesGiveThePathAsOneArgument)
{
    const std::string path = "/My Jobs/card one.html";
    const struct {
        std::string exec;
        Words command;
    } cases[] = {
        {"gedit %U", {"gedit", path}},
        {"kate -b %F --end", {"kate", "-b", path, "--end"}},
        {"ed --file=%f", {"ed", "--file=" + path}},
        {"ed %u %f", {"ed", path}},                           // one path for all codes
        {"ed %i %c %k --pct=%% %d", {"ed", "--pct=%", path}}, // dropped codes; the path goes last
        {"ed --new", {"ed", "--new", path}},                  // no file code: the path goes last
        {"", {}},
        {"%i", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(execCommandForFile(c.exec, path), c.command) << c.exec;
}

class DesktopEntries : public ::testing::Test {
protected:
    XdgDirs dirs() const
    {
        XdgDirs d;
        d.configHome = m_root.file("config");
        d.configDirs = {m_root.file("etc")};
        d.dataHome = m_root.file("home");
        d.dataDirs = {m_root.file("share1"), m_root.file("share2")};
        d.currentDesktops = {"kde"};
        return d;
    }
    std::string entry(const std::string& exec, const std::string& extra = {}) const
    {
        return "[Desktop Entry]\nType=Application\nExec=" + exec + "\n" + extra;
    }

    test::TempDir m_root;
};

TEST_F(DesktopEntries, TheFirstDataFolderHoldingAnIdWins)
{
    m_root.write("share2/applications/ed.desktop", entry("second"));
    EXPECT_EQ(findDesktopEntry(dirs(), "ed.desktop")->exec, "second");
    m_root.write("share1/applications/ed.desktop", entry("first"));
    EXPECT_EQ(findDesktopEntry(dirs(), "ed.desktop")->exec, "first");
    m_root.write("home/applications/ed.desktop", entry("mine"));
    EXPECT_EQ(findDesktopEntry(dirs(), "ed.desktop")->exec, "mine");

    // "vendor-app.desktop" is the id of "vendor/app.desktop".
    m_root.write("share1/applications/vendor/app.desktop", entry("vendor app"));
    EXPECT_EQ(findDesktopEntry(dirs(), "vendor-app.desktop")->exec, "vendor app");
    EXPECT_FALSE(findDesktopEntry(dirs(), "missing.desktop"));
    EXPECT_FALSE(findDesktopEntry(dirs(), "../share1/applications/ed.desktop"));
}

TEST_F(DesktopEntries, ReadsOnlyTheDesktopEntryGroup)
{
    const std::string path = m_root.write(
        "e.desktop", "# comment\n[Desktop Action new]\nExec=wrong\n[Desktop Entry]\r\nName=E\r\nType = Application\r\n"
                     "Exec[de]=localised\r\nExec = ed\\s--x \\\\%f\r\nTerminal=true\r\nExec=second\r\n");
    const std::optional<DesktopEntry> e = readDesktopEntry(path);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->exec, "ed --x \\%f");
    EXPECT_TRUE(e->terminal);
    EXPECT_EQ(e->path, path);
}

TEST_F(DesktopEntries, DefaultsComeInOrderOfImportance)
{
    m_root.write("share1/applications/mimeapps.list", "[Default Applications]\ntext/plain=d.desktop\n");
    m_root.write("home/applications/mimeapps.list", "[Default Applications]\ntext/plain=c.desktop;a.desktop\n");
    m_root.write("etc/mimeapps.list", "[Default Applications]\ntext/plain=b.desktop;\n");
    m_root.write("config/mimeapps.list", "[Default Applications]\ntext/plain=a.desktop;\ntext/html=x.desktop\n");
    m_root.write("config/kde-mimeapps.list", "[Default Applications]\ntext/plain=k.desktop\n");
    EXPECT_EQ(defaultApplicationIds(dirs(), "text/plain"),
              (Words{"k.desktop", "a.desktop", "b.desktop", "c.desktop", "d.desktop"}));
    EXPECT_EQ(defaultApplicationIds(dirs(), "text/html"), Words{"x.desktop"});
    EXPECT_TRUE(defaultApplicationIds(dirs(), "image/png").empty());
}

TEST_F(DesktopEntries, RemovedAssociationsHideLessImportantOnes)
{
    m_root.write("config/mimeapps.list", "[Removed Associations]\ntext/plain=cached2.desktop;\n"
                                         "[Added Associations]\ntext/plain=added.desktop;\n");
    m_root.write("share1/applications/mimeapps.list", "[Added Associations]\ntext/plain=cached2.desktop;low.desktop\n");
    m_root.write("share1/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=cached1.desktop;cached2.desktop;\n");
    m_root.write("share2/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=cached3.desktop;added.desktop;\n");
    EXPECT_EQ(associatedApplicationIds(dirs(), "text/plain"),
              (Words{"added.desktop", "low.desktop", "cached1.desktop", "cached3.desktop"}));
}

TEST(XdgApplications, FindsExecutablesOnTheSearchPath)
{
    test::TempDir root;
    const std::string tool = root.write("bin2/tool", "#!/bin/sh\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    root.write("bin1/tool", "not executable");
    std::filesystem::create_directories(root.file("bin1/folder"));

    const std::string path = root.file("bin1") + "::" + root.file("bin2") + "/";
    EXPECT_EQ(findExecutable("tool", path), root.file("bin2") + "/tool");
    EXPECT_EQ(findExecutable("folder", path), "");
    EXPECT_EQ(findExecutable("missing", path), "");
    EXPECT_EQ(findExecutable(tool, ""), tool);
    EXPECT_EQ(findExecutable(root.file("bin1/tool"), ""), "");
    EXPECT_EQ(findExecutable("", path), "");
}

} // namespace
} // namespace stencilor
