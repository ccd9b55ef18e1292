// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/BrowserCommand.h"

#include "TestUtil.h"

#include <gtest/gtest.h>
#include <string>

namespace stencilor {
namespace {

TEST(BrowserCommand, SplitsTheProgramFromTheExtraArguments)
{
    const struct {
        std::string command;
        std::string program;
        std::string extra;
    } cases[] = {
        // A quoted path with blanks and a quoted "%1": the opening quote goes, the closing one
        // goes with the rest, and "%1" is removed.
        {R"("C:\Program Files\Web\browser.exe" -nohome "%1")", R"(C:\Program Files\Web\browser.exe)", "-nohome"},
        {R"(C:\Web\browser.exe %1)", R"(C:\Web\browser.exe)", ""},
        {R"(c:\web\browser.exe -x)", R"(c:\web\browser.exe)", "-x"},
        {R"(C:\Web\browser.exe)", R"(C:\Web\browser.exe)", ""},
        {R"(C:\Tools\open.BAT "%1")", R"(C:\Tools\open.BAT)", ""},
        {R"(C:\Web\browser.Com -new %1 -tab)", R"(C:\Web\browser.Com)", "-new  -tab"}, // the space after "%1" stays
        // The scan runs from the end, so an argument ending in ".com" ends the program.
        {R"(C:\Web\browser.exe -home www.example.com %1)", R"(C:\Web\browser.exe -home www.example.com)", ""},
        // A "%" deletes up to the next space, also inside a word.
        {R"(C:\b.exe --url=%1 -x)", R"(C:\b.exe)", "--url= -x"},
        {"C:\\b.exe\t-x \r\n", "C:\\b.exe", "-x"},
        // Desktop Exec lines name no ".exe": the program is the first word.
        {"firefox-esr %u", "firefox-esr", ""},
        {"/usr/bin/chromium --new-window %U", "/usr/bin/chromium", "--new-window"},
        {R"("/opt/My Browser/browser" --flag %u)", "/opt/My Browser/browser", "--flag"},
        {"flatpak run org.mozilla.firefox @@u %u @@", "flatpak", "run org.mozilla.firefox @@u  @@"},
        {"browser", "browser", ""},
        {R"("/opt/unclosed quote)", "/opt/unclosed quote", ""},
        {"a.e", "a.e", ""},
    };
    for (const auto& c : cases) {
        const BrowserCommandParts parts = splitBrowserCommand(c.command);
        EXPECT_EQ(parts.program, c.program) << c.command;
        ASSERT_TRUE(parts.extraArguments.has_value()) << c.command;
        EXPECT_EQ(*parts.extraArguments, c.extra) << c.command;
    }
}

TEST(BrowserCommand, AnEmptyCommandLeavesTheExtraArgumentsAsTheyWere)
{
    const BrowserCommandParts parts = splitBrowserCommand("");
    EXPECT_EQ(parts.program, "");
    EXPECT_FALSE(parts.extraArguments.has_value());
}

// A private XDG tree: configuration and data folders under one temporary folder.
class BrowserLookup : public ::testing::Test {
protected:
    XdgDirs dirs() const
    {
        XdgDirs d;
        d.configHome = m_root.file("config");
        d.configDirs = {m_root.file("etc")};
        d.dataHome = m_root.file("data");
        d.dataDirs = {m_root.file("share")};
        return d;
    }
    void app(const std::string& id, const std::string& exec, const std::string& extra = {}) const
    {
        m_root.write("share/applications/" + id,
                     "[Desktop Entry]\nType=Application\nName=B\nExec=" + exec + "\n" + extra);
    }
    void defaults(const std::string& lines) const
    {
        m_root.write("config/mimeapps.list", "[Default Applications]\n" + lines);
    }

    test::TempDir m_root;
};

TEST_F(BrowserLookup, TriesTheTypesInOrderUntilOneLeadsToACommand)
{
    app("shtm.desktop", "shtm-browser %u");
    // Defaults of the first three types name applications that are not installed.
    defaults("x-scheme-handler/http=gone.desktop\nx-scheme-handler/https=\ntext/html=alsogone.desktop;\n"
             "application/xhtml+xml=shtm.desktop\n");
    EXPECT_EQ(findBrowserCommand(dirs()), "shtm-browser %u");

    app("http.desktop", "http-browser %u");
    defaults("application/xhtml+xml=shtm.desktop\nx-scheme-handler/http=http.desktop\n");
    EXPECT_EQ(findBrowserCommand(dirs()), "http-browser %u");
}

TEST_F(BrowserLookup, PassesOverEntriesThatCannotOpenAPage)
{
    app("text.desktop", "lynx %u", "Terminal=true\n");
    app("hidden.desktop", "hidden %u", "Hidden=true\n");
    app("noexec.desktop", "");
    m_root.write("share/applications/link.desktop", "[Desktop Entry]\nType=Link\nURL=http://x\n");
    defaults("x-scheme-handler/http=text.desktop;hidden.desktop;noexec.desktop;link.desktop\n");
    EXPECT_EQ(findBrowserCommand(dirs()), "");

    app("real.desktop", "real %u");
    defaults("x-scheme-handler/http=text.desktop;hidden.desktop;noexec.desktop;link.desktop;real.desktop\n");
    EXPECT_EQ(findBrowserCommand(dirs()), "real %u");
}

TEST_F(BrowserLookup, ADefaultOfAnyTypeBeatsAMereAssociation)
{
    app("cached.desktop", "cached %u");
    app("chosen.desktop", "chosen %u");
    m_root.write("share/applications/mimeinfo.cache", "[MIME Cache]\nx-scheme-handler/http=cached.desktop;\n");
    EXPECT_EQ(findBrowserCommand(dirs()), "cached %u");
    defaults("text/html=chosen.desktop\n");
    EXPECT_EQ(findBrowserCommand(dirs()), "chosen %u");
}

TEST_F(BrowserLookup, NoBrowserGivesAnEmptyCommand)
{
    EXPECT_EQ(findBrowserCommand(dirs()), "");
    XdgDirs none;
    EXPECT_EQ(findBrowserCommand(none), "");
}

} // namespace
} // namespace stencilor
