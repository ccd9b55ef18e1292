// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/ProjectCommands.h"

#include "TestUtil.h"
#include "project/ProjectFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace stencilor {
namespace {

using test::TempDir;

std::tm localTime(int year, int month, int day, int hour, int minute)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

class ProjectCommandsTest : public ::testing::Test {
protected:
    ProjectCommandsTest()
    {
        std::filesystem::create_directories(m_dir.file("prog"));
        std::filesystem::create_directories(m_dir.file("work"));
    }

    std::string programFolder() const { return m_dir.file("prog") + "/"; }
    std::string settingsPath() const { return m_dir.file("prog/stencilor.ini"); }
    std::string work(std::string_view name) const { return m_dir.file("work/" + std::string(name)); }

    TempDir m_dir;
};

// ---------------------------------------------------------------- New

TEST_F(ProjectCommandsTest, NewTakesTheFirstFreeNonameInTheProjectFolder)
{
    EXPECT_EQ(newProjectPath(work("cards.ql"), programFolder()), work("noname0.ql"));
    m_dir.write("work/noname0.ql", "");
    m_dir.write("work/noname1.ql", "");
    EXPECT_EQ(newProjectPath(work("cards.ql"), programFolder()), work("noname2.ql"));
    // Whatever stands at a name makes it taken, a folder too; a gap is filled.
    std::filesystem::create_directories(work("noname2.ql"));
    std::filesystem::remove(work("noname0.ql"));
    EXPECT_EQ(newProjectPath(work("noname1.ql"), programFolder()), work("noname0.ql"));
    m_dir.write("work/noname0.ql", "");
    EXPECT_EQ(newProjectPath(work("noname1.ql"), programFolder()), work("noname3.ql"));
}

TEST_F(ProjectCommandsTest, NewFallsBackToTheProgramFolder)
{
    const struct {
        std::string current;
        const char* why;
    } cases[] = {
        {"Noname.ql", "no folder part"},
        {"", "empty project path"},
        {m_dir.file("gone/cards.ql"), "the project's folder was deleted"},
    };
    m_dir.write("prog/noname0.ql", "");
    for (const auto& c : cases)
        EXPECT_EQ(newProjectPath(c.current, programFolder()), programFolder() + "noname1.ql") << c.why;
    // A program folder given without its trailing "/" still gives a path inside it.
    EXPECT_EQ(newProjectPath("Noname.ql", m_dir.file("prog")), programFolder() + "noname1.ql");
}

TEST_F(ProjectCommandsTest, NewProjectReadsSpreadsheetDataAndEscapesForHtmlTemplates)
{
    const struct {
        const char* templatefile;
        bool escapehtml; // before
        bool expected;
    } cases[] = {
        {"card.html", false, true}, {"card.HTM", false, true}, {"notes.txt", false, false},
        {"notes.txt", true, true},  {"html", false, false},    {"a.html.txt", false, false},
    };
    for (const auto& c : cases) {
        ProjectSettings kept;
        kept.templatefile = c.templatefile;
        kept.escapehtml = c.escapehtml;
        kept.delim = ",";
        const ProjectSettings fresh = newProjectSettings(kept);
        EXPECT_TRUE(fresh.quotes) << c.templatefile;
        EXPECT_EQ(fresh.encoding, "auto") << c.templatefile;
        EXPECT_EQ(fresh.escapehtml, c.expected) << c.templatefile;
        // Everything else is kept.
        kept.quotes = true;
        kept.encoding = "auto";
        kept.escapehtml = c.expected;
        EXPECT_EQ(fresh, kept) << c.templatefile;
    }
}

// ---------------------------------------------------------------- start-up

TEST_F(ProjectCommandsTest, StartupNameCarriesDateAndTimeWithLeadingZeros)
{
    EXPECT_EQ(newStartupProjectPath(localTime(2026, 12, 7, 3, 11), "/p/"), "/p/New-2026-12-07_03-11.ql");
    EXPECT_EQ(newStartupProjectPath(localTime(2031, 1, 31, 23, 5), "/p/"), "/p/New-2031-01-31_23-05.ql");
    EXPECT_EQ(newStartupProjectPath(localTime(2031, 1, 31, 0, 0), "/p/"), "/p/New-2031-01-31_00-00.ql");
}

TEST_F(ProjectCommandsTest, StartupProjectChoice)
{
    const std::tm now = localTime(2026, 12, 7, 3, 11);
    const std::string fresh = programFolder() + "New-2026-12-07_03-11.ql";
    const std::string existing = m_dir.write("work/arg.ql", "[setup]\n");
    std::filesystem::create_directories(work("folder.ql"));

    // No program settings file yet.
    EXPECT_EQ(startupProjectPath("", settingsPath(), programFolder(), now), fresh);
    EXPECT_EQ(startupProjectPath(existing, settingsPath(), programFolder(), now), existing);
    EXPECT_EQ(startupProjectPath(work("missing.ql"), settingsPath(), programFolder(), now), fresh);

    // The last project is taken even when it no longer exists; a missing argument or a folder
    // given as the argument is ignored in favour of it.
    m_dir.write("prog/stencilor.ini", "[total]\nlastprj=/gone/last.ql\n");
    const struct {
        std::string argument;
        std::string expected;
    } cases[] = {
        {"", "/gone/last.ql"},
        {work("missing.ql"), "/gone/last.ql"},
        {work("folder.ql"), "/gone/last.ql"},
        {existing, existing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(startupProjectPath(c.argument, settingsPath(), programFolder(), now), c.expected) << c.argument;
}

// ---------------------------------------------------------------- Save As

TEST_F(ProjectCommandsTest, SaveAsExtensionRule)
{
    const struct {
        const char* chosen;
        const char* saved;
    } cases[] = {
        {"/w/job", "/w/job.ql"},
        {"/w/job.", "/w/job.ql"},
        {"/w/job.ql", "/w/job.ql"},
        {"/w/job.txt", "/w/job.txt"},
        {"/w/job.QL", "/w/job.QL"},
        {"/w/my.jobs/job", "/w/my.jobs/job.ql"},
        {"/w/archive.tar.gz", "/w/archive.tar.gz"},
        {"/w/.hidden", "/w/.hidden"},
        {"job", "job.ql"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withProjectExtension(c.chosen), c.saved) << c.chosen;
}

TEST_F(ProjectCommandsTest, SaveAsAsksOnlyBeforeReplacingAnotherFile)
{
    const std::string current = m_dir.write("work/current.ql", "[setup]\n");
    m_dir.write("work/other.ql", "[setup]\n");
    std::filesystem::create_directories(work("folder.ql"));
    std::filesystem::create_directory_symlink(m_dir.file("work"), m_dir.file("linked"));
    const struct {
        std::string target;
        bool asks;
    } cases[] = {
        {work("new.ql"), false},
        {work("other.ql"), true},
        {current, false},
        {m_dir.file("linked/current.ql"), false}, // the current project by another path
        {m_dir.file("linked/other.ql"), true},
        {work("folder.ql"), false}, // no file to replace; the save itself says why it fails
    };
    for (const auto& c : cases)
        EXPECT_EQ(saveAsReplacesAnotherFile(c.target, current), c.asks) << c.target;
    // A current project that was never saved has no file of its own.
    EXPECT_TRUE(saveAsReplacesAnotherFile(work("other.ql"), work("never-saved.ql")));
    EXPECT_FALSE(saveAsReplacesAnotherFile(work("never-saved.ql"), work("never-saved.ql")));
}

// ---------------------------------------------------------------- Exit comparison

class ExitComparisonTest : public ProjectCommandsTest {
protected:
    ProjectFileComparison compareAfterSave(const ProjectSettings& saved, const ProjectSettings& window)
    {
        const std::string path = work("p.ql");
        EXPECT_TRUE(saveProject(path, saved, programFolder(), settingsPath()).ok());
        return compareWithProjectFile(window, path);
    }
};

TEST_F(ExitComparisonTest, WithoutAFileOnlyRulesWithFieldAndIdentifierAreWorthAsking)
{
    const struct {
        const char* why;
        std::vector<Rule> rules;
        ProjectFileComparison expected;
    } cases[] = {
        {"one blank row (start-up, New)", {{"", ""}}, ProjectFileComparison::NoFile},
        {"a field only", {{"Field 1", ""}}, ProjectFileComparison::NoFile},
        {"an identifier only", {{"", "%A%"}}, ProjectFileComparison::NoFile},
        {"field and identifier", {{"Field 1", "%A%"}}, ProjectFileComparison::UnsavedRules},
        {"below blank and half rows",
         {{"", ""}, {"Field 1", ""}, {"Field 2", "%B%"}},
         ProjectFileComparison::UnsavedRules},
    };
    std::filesystem::create_directories(work("dir.ql"));
    for (const auto& c : cases) {
        ProjectSettings window;
        window.rules.setRowCount(c.rules.size() + 1);
        for (std::size_t i = 0; i < c.rules.size(); ++i)
            window.rules.rule(i) = c.rules[i];
        EXPECT_EQ(compareWithProjectFile(window, work("never-saved.ql")), c.expected) << c.why;
        // A folder at the project's path is no project file either.
        EXPECT_EQ(compareWithProjectFile(window, work("dir.ql")), c.expected) << c.why;
    }
}

TEST_F(ExitComparisonTest, RightAfterSaveEverySettingIsSame)
{
    ProjectSettings s;
    s.delim = "|";
    s.CopyDirFld = true;
    s.nameFromFld = true;
    s.caseIndex = kCaseLarge;
    s.report = true;
    s.rep_fld = "x";
    s.report_fld = "FileName;Field 2;;;;;";
    s.quotes = s.header = s.escapehtml = s.tempRules = true;
    s.encoding = "windows-1251";
    s.rules.setRowCount(3);
    s.rules.rule(0) = Rule{"Field 1", "%A%"};
    s.rules.rule(1) = Rule{"Field 2", "line one\nline two"};
    EXPECT_EQ(compareAfterSave(s, s), ProjectFileComparison::Same);
    EXPECT_EQ(compareAfterSave(ProjectSettings{}, ProjectSettings{}), ProjectFileComparison::Same);
}

TEST_F(ExitComparisonTest, EachComparedValueCountsOnItsOwn)
{
    ProjectSettings saved;
    saved.rules.setRowCount(3);
    saved.rules.rule(0) = Rule{"Field 1", "%A%"};
    saved.rules.rule(1) = Rule{"Field 2", "%B%"};
    // Texts are assigned from temporaries: literals trip a false -Wrestrict warning of GCC 12 at -O3.
    const struct {
        const char* what;
        void (*change)(ProjectSettings&);
    } cases[] = {
        {"delimiter", [](ProjectSettings& s) { s.delim = std::string(","); }},
        {"letter case of a text", [](ProjectSettings& s) { s.textfile = std::string("C:\\EXAMPLE"); }},
        {"template", [](ProjectSettings& s) { s.templatefile = std::string("t.html"); }},
        {"output folder", [](ProjectSettings& s) { s.outputdir = std::string("/out"); }},
        {"folder field", [](ProjectSettings& s) { s.directoryFile = std::string("Field 9"); }},
        {"subfolders flag", [](ProjectSettings& s) { s.CopyDirFld = true; }},
        {"name from field", [](ProjectSettings& s) { s.nameFromFld = true; }},
        {"add extension", [](ProjectSettings& s) { s.AddExt = true; }},
        {"extension", [](ProjectSettings& s) { s.edExt = std::string(".txt"); }},
        {"name field", [](ProjectSettings& s) { s.FileNameFld = std::string("Field 1"); }},
        {"name from template", [](ProjectSettings& s) { s.nameFromTemp = true; }},
        {"name template", [](ProjectSettings& s) { s.edTemp = std::string("?.htm"); }},
        {"delete characters", [](ProjectSettings& s) { s.DelChars = true; }},
        {"change case", [](ProjectSettings& s) { s.changecase = true; }},
        {"case", [](ProjectSettings& s) { s.caseIndex = kCaseSmall; }},
        {"report", [](ProjectSettings& s) { s.report = true; }},
        {"rep_fld", [](ProjectSettings& s) { s.rep_fld = std::string("x"); }},
        {"report_fld", [](ProjectSettings& s) { s.report_fld = std::string("FileName;"); }},
        {"quoted fields", [](ProjectSettings& s) { s.quotes = true; }},
        {"header record", [](ProjectSettings& s) { s.header = true; }},
        {"encoding", [](ProjectSettings& s) { s.encoding = std::string("auto"); }},
        {"escaped values", [](ProjectSettings& s) { s.escapehtml = true; }},
        {"name template through the rules", [](ProjectSettings& s) { s.tempRules = true; }},
        {"one rule more", [](ProjectSettings& s) { s.rules.setRowCount(4); }},
        {"one rule less", [](ProjectSettings& s) { s.rules.setRowCount(2); }},
        {"a field label", [](ProjectSettings& s) { s.rules.rule(1).fieldLabel = std::string("Field 3"); }},
        {"an identifier", [](ProjectSettings& s) { s.rules.rule(1).identifier = std::string("%b%"); }},
    };
    for (const auto& c : cases) {
        ProjectSettings window = saved;
        c.change(window);
        EXPECT_EQ(compareAfterSave(saved, window), ProjectFileComparison::Differs) << c.what;
    }
}

TEST_F(ExitComparisonTest, MissingKeysReadAsEmptyFalseAndZero)
{
    const struct {
        const char* file;
        ProjectFileComparison expected;
        const char* why;
    } cases[] = {
        {"[setup]\n", ProjectFileComparison::Differs, "a missing delim reads as empty, the window shows \";\""},
        // A file that both radio buttons cannot show.
        {"[setup]\ndelim=;\nnameFromFld=1\nnameFromTemp=1\ncase=0\nrulesCount=2\n", ProjectFileComparison::Differs,
         "both name sources set"},
        {"[setup]\ndelim=;\nnameFromTemp=1\ncase=0\nrulesCount=2\n", ProjectFileComparison::Same,
         "missing texts and flags equal an empty window"},
        {"[setup]\ndelim=;\nnameFromTemp=1\ncase=0\nrulesCount=2\n[rules]\nColFld1=\nColTemp1=\n",
         ProjectFileComparison::Same, "empty rule keys equal an empty rule row"},
        {"[SETUP]\nDELIM=;\nNameFromTemp=0x1\nCASE=0\nrulescount=2\n", ProjectFileComparison::Same,
         "names in other letter case, numbers in hexadecimal"},
    };
    ProjectSettings window;
    for (auto* text : {&window.textfile, &window.templatefile, &window.outputdir, &window.directoryFile, &window.edExt,
                       &window.FileNameFld, &window.edTemp})
        text->clear();
    window.nameFromTemp = true;
    window.caseIndex = 0;
    for (const auto& c : cases) {
        const std::string path = m_dir.write("work/c.ql", c.file);
        EXPECT_EQ(compareWithProjectFile(window, path), c.expected) << c.why;
    }
}

TEST_F(ExitComparisonTest, UnreadableFileCountsAsDifferent)
{
    const std::string path = m_dir.write("work/locked.ql", "[setup]\n");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (::access(path.c_str(), R_OK) == 0)
        GTEST_SKIP() << "running with permission to read every file";
    EXPECT_EQ(compareWithProjectFile(ProjectSettings{}, path), ProjectFileComparison::Differs);
}

} // namespace
} // namespace stencilor
