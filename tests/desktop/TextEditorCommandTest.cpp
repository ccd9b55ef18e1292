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
    EXPECT_EQ(textEditorCommand(dirs(), "code --wait", bin(), m_path), (Words{"gedit", m_path}));
}

TEST_F(TextEditor, FallsBackToVisualThenCommonEditorsThenAssociations)
{
    app("vim.desktop", "vim %F", "Terminal=true\n");
    m_root.write("config/mimeapps.list", "[Default Applications]\ntext/plain=vim.desktop\n");
    EXPECT_EQ(textEditorCommand(dirs(), " code  --wait ", bin(), m_path), (Words{"code", "--wait", m_path}));

    // The first of the common editors that is installed, in the list's order.
    const std::string mousepad = executable("bin/mousepad");
    executable("bin/geany");
    EXPECT_EQ(textEditorCommand(dirs(), "", bin(), m_path), (Words{mousepad, m_path}));

    app("writer.desktop", "writer --view %U");
    m_root.write("share/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=vim.desktop;writer.desktop;\n");
    EXPECT_EQ(textEditorCommand(dirs(), "", "", m_path), (Words{"writer", "--view", m_path}));
}

TEST_F(TextEditor, NoEditorGivesNoCommand)
{
    EXPECT_TRUE(textEditorCommand(dirs(), "", bin(), m_path).empty());
    EXPECT_TRUE(textEditorCommand(dirs(), " \t", "", m_path).empty());
}

} // namespace
} // namespace stencilor
