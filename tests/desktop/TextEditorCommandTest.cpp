// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/TextEditorCommand.h"

#include "TestUtil.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using Words = std::vector<std::string>;

TEST(TemplatePreview, ARelativeTemplateNameLiesBesideTheProjectFile)
{
    const struct {
        std::string templatePath;
        std::string projectPath;
        std::string file;
    } cases[] = {
        {"/Jobs/card.html", "/Other/cards.ql", "/Jobs/card.html"},
        {"card.html", "/Jobs/cards.ql", "/Jobs/card.html"},
        // A bare project name lies in the program folder, and so does its bare template.
        {"card.html", "cards.ql", "/prog/card.html"},
        // Nothing is checked: an empty template path names the project's folder.
        {"", "/Jobs/cards.ql", "/Jobs/"},
        {"/My Jobs/card.html", "/Jobs/cards.ql", "/My Jobs/card.html"},
        {"sub/card.html", "/Jobs/cards.ql", "/Jobs/sub/card.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(templatePreviewPath(c.templatePath, c.projectPath, "/prog/"), c.file) << c.templatePath;
}

class TextEditor : public ::testing::Test {
protected:
    XdgDirs dirs() const
    {
        XdgDirs d;
        d.configHome = m_root.file("config");
        d.dataDirs = {m_root.file("share")};
        return d;
    }
    void app(const std::string& id, const std::string& exec, const std::string& extra = {}) const
    {
        m_root.write("share/applications/" + id, "[Desktop Entry]\nType=Application\nExec=" + exec + "\n" + extra);
    }
    std::string executable(const std::string& relative) const
    {
        const std::string file = m_root.write(relative, "#!/bin/sh\n");
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        return file;
    }
    std::string bin() const { return m_root.file("bin"); }

    const std::string m_path = "/My Jobs/card.html";
    test::TempDir m_root;
};

TEST_F(TextEditor, TheDesktopDefaultForPlainTextComesFirst)
{
    app("vim.desktop", "vim %F", "Terminal=true\n");
    app("gedit.desktop", "gedit %U");
    m_root.write("config/mimeapps.list", "[Default Applications]\ntext/plain=vim.desktop;gedit.desktop\n");
    executable("bin/kate");
    executable("bin/code");
    EXPECT_EQ(findTextEditor(dirs(), "code --wait", bin(), m_path).command, (Words{"gedit", m_path}));
}

TEST_F(TextEditor, FallsBackToVisualThenCommonEditorsThenAssociations)
{
    app("vim.desktop", "vim %F", "Terminal=true\n");
    m_root.write("config/mimeapps.list", "[Default Applications]\ntext/plain=vim.desktop\n");
    executable("bin/code");
    EXPECT_EQ(findTextEditor(dirs(), " code  --wait ", bin(), m_path).command, (Words{"code", "--wait", m_path}));

    // The first of the common editors that is installed, in the list's order.
    const std::string mousepad = executable("bin/mousepad");
    executable("bin/geany");
    EXPECT_EQ(findTextEditor(dirs(), "", bin(), m_path).command, (Words{mousepad, m_path}));

    app("writer.desktop", "writer --view %U");
    m_root.write("share/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=vim.desktop;writer.desktop;\n");
    EXPECT_EQ(findTextEditor(dirs(), "", "", m_path).command, (Words{"writer", "--view", m_path}));
}

TEST_F(TextEditor, ATerminalEditorRunsInTheTerminalEmulatorOrIsPassedOver)
{
    // VISUAL names a terminal editor (by its desktop entry, or by name without one); an editor
    // that is not installed is passed over. Either way the message can say what was tried.
    app("nvim.desktop", "nvim %F", "Terminal=true\n");
    app("emacs.desktop", "emacs %F");
    const struct {
        std::string visual;
        bool terminalInstalled;
        Words command; // "TERM" stands for the terminal emulator's path, "GEDIT" for gedit's
        Words tried;
    } cases[] = {
        {"vim", true, {"TERM", "-e", "vim", "/My Jobs/card.html"}, {}},
        {"nvim -p", true, {"TERM", "-e", "nvim", "-p", "/My Jobs/card.html"}, {}},
        {"emacs", true, {"emacs", "/My Jobs/card.html"}, {}},
        {"vim", false, {"GEDIT", "/My Jobs/card.html"}, {"vim", "gnome-text-editor"}},
        {"/nonexistent/editor", true, {"GEDIT", "/My Jobs/card.html"}, {"/nonexistent/editor", "gnome-text-editor"}},
    };
    for (const auto& c : cases) {
        test::TempDir bins;
        const auto install = [&bins](const std::string& name) {
            const std::string file = bins.write(name, "#!/bin/sh\n");
            std::filesystem::permissions(file, std::filesystem::perms::owner_all);
            return file;
        };
        const std::string terminal = c.terminalInstalled ? install("x-terminal-emulator") : std::string();
        const std::string gedit = install("gedit");
        for (const char* editor : {"vim", "nvim", "emacs"})
            install(editor);
        Words expected = c.command;
        for (std::string& word : expected)
            word = word == "TERM" ? terminal : word == "GEDIT" ? gedit : word;
        const TextEditorSearch search = findTextEditor(dirs(), c.visual, bins.path(), m_path);
        EXPECT_EQ(search.command, expected) << c.visual;
        EXPECT_EQ(search.tried, c.tried) << c.visual;
    }
}

TEST_F(TextEditor, NoEditorNamesEverythingTried)
{
    EXPECT_TRUE(findTextEditor(dirs(), " \t", "", m_path).command.empty());
    const TextEditorSearch search = findTextEditor(dirs(), "vi", bin(), m_path);
    EXPECT_TRUE(search.command.empty());
    ASSERT_EQ(search.tried.size(), 1 + std::size(kCommonTextEditors));
    EXPECT_EQ(search.tried.front(), "vi");
    EXPECT_EQ(search.tried.back(), "geany");
}

} // namespace
} // namespace stencilor
