// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/ProjectFile.h"

#include "TestUtil.h"
#include "platform/Messages.h"
#include "project/IniFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using test::TempDir;

// The documented example file: a window at its start values with one rule "Field 1" -> %Name%.
const std::string kExampleFile = "[setup]\n"
                                 "delim=;\n"
                                 "textfile=data.csv\n"
                                 "templatefile=template.html\n"
                                 "outputdir=out\n"
                                 "directoryFile=Field 2\n"
                                 "CopyDirFld=0\n"
                                 "nameFromFld=0\n"
                                 "AddExt=0\n"
                                 "edExt=*.htm\n"
                                 "FileNameFld=Field 3\n"
                                 "nameFromTemp=0\n"
                                 "edTemp=example-F?.htm\n"
                                 "DelChars=0\n"
                                 "changecase=0\n"
                                 "case=-1\n"
                                 "report=0\n"
                                 "rep_fld=\n"
                                 "report_fld=\n"
                                 "rulesCount=2\n"
                                 "[rules]\n"
                                 "ColFld1=Field 1\n"
                                 "ColTemp1=%Name%\n";

const std::string kReportFieldsDefault =
    "FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;";

ProjectSettings exampleWindow()
{
    ProjectSettings s;
    s.rules.rule(0) = Rule{"Field 1", "%Name%"};
    return s;
}

TEST(ProjectFilePaths, RelativeDataFileNamesAreLookedUpBesideTheProject)
{
    const struct {
        std::string textFile;
        std::string projectPath;
        std::string resolved;
    } cases[] = {
        {"data.csv", "/home/u/jobs/p.ql", "/home/u/jobs/data.csv"},
        {"sub/data.csv", "/home/u/jobs/p.ql", "/home/u/jobs/sub/data.csv"},
        {"../data/d.csv", "/home/u/jobs/p.ql", "/home/u/jobs/../data/d.csv"},
        {"sub/data.csv", "rel/p.ql", "rel/sub/data.csv"},
        {"/srv/data.csv", "/home/u/jobs/p.ql", "/srv/data.csv"},
        {"data.csv", "/p.ql", "/data.csv"},
        {"data.csv", "p.ql", "data.csv"},                     // no folder to put in front, and never a lone "/"
        {"C:data.csv", "/home/u/p.ql", "/home/u/C:data.csv"}, // no drives: ":" is an ordinary character
        {"", "/home/u/p.ql", "/home/u/"},
        // A project's "-" is a file of that name, never standard input (only --data - reads that).
        {"-", "/home/u/p.ql", "/home/u/-"},
        {"-", "p.ql", "./-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveDataFilePath(c.textFile, c.projectPath), c.resolved) << c.textFile << " in " << c.projectPath;
}

// A project folder, a program folder and a program settings file, all inside one TempDir.
class ProjectFileTest : public ::testing::Test {
protected:
    ProjectFileTest()
    {
        std::filesystem::create_directories(m_dir.file("prog"));
        std::filesystem::create_directories(m_dir.file("work"));
    }

    std::string programFolder() const { return m_dir.file("prog") + "/"; }
    std::string settingsPath() const { return m_dir.file("prog/stencilor.ini"); }
    std::string work(std::string_view name) const { return m_dir.file("work/" + std::string(name)); }
    std::string writeProject(std::string_view name, std::string_view text) const
    {
        return m_dir.write("work/" + std::string(name), text);
    }
    std::string read(std::string_view relative) const { return m_dir.read(relative); }

    LoadedProject load(const std::string& path, const ProjectSettings& current = {}) const
    {
        return loadProject(path, current, programFolder());
    }
    Status save(const std::string& path, const ProjectSettings& settings) const
    {
        return saveProject(path, settings, programFolder(), settingsPath());
    }
    // The saving half: saves `settings` into the project file work/p.ql and parses what was written.
    IniFile saveAndParse(const ProjectSettings& settings) const
    {
        EXPECT_TRUE(save(work("p.ql"), settings).ok());
        return IniFile::parse(read("work/p.ql"));
    }
    // The loading half: writes `text` as the project file work/p.ql and loads it over `current`.
    ProjectSettings loadFile(const std::string& text, const ProjectSettings& current = {}) const
    {
        LoadedProject loaded = load(writeProject("p.ql", text), current);
        EXPECT_TRUE(loaded.fileFound);
        return loaded.settings;
    }
    // Loads a project file holding "[setup]" + `setupLines` (and `rulesLines` under "[rules]").
    ProjectSettings loadText(const std::string& setupLines, const std::string& rulesLines = {}) const
    {
        return loadFile("[setup]\n" + setupLines + "[rules]\n" + rulesLines);
    }

    TempDir m_dir;
};

// ---------------------------------------------------------------- saving

TEST_F(ProjectFileTest, GoldenExampleFileOfPartOneOne)
{
    EXPECT_EQ(projectFileText(IniFile{}, exampleWindow()), kExampleFile);

    const std::string path = work("example.ql");
    ASSERT_TRUE(save(path, exampleWindow()).ok());
    EXPECT_EQ(read("work/example.ql"), kExampleFile);
    EXPECT_EQ(read("prog/stencilor.ini"), "[total]\nlastprj=" + path + "\n");
    EXPECT_EQ(readLastProject(settingsPath()), path);
}

TEST_F(ProjectFileTest, DataKeysAreWrittenWhenSetOrAlreadyPresentAndRoundTrip)
{
    // Unset, none is written: a project that never used them keeps its bytes (the golden file above).
    ProjectSettings s = exampleWindow();
    s.quotes = s.header = s.escapehtml = s.tempRules = true;
    s.encoding = "windows-1251";
    EXPECT_TRUE(save(work("p.ql"), s).ok());
    EXPECT_EQ(load(work("p.ql"), ProjectSettings{}).settings, s);

    // Turned off again, the keys the file has say so instead of vanishing.
    s.quotes = s.header = s.escapehtml = s.tempRules = false;
    s.encoding.clear();
    EXPECT_TRUE(save(work("p.ql"), s).ok());
    const IniFile text = IniFile::parse(read("work/p.ql"));
    for (const char* key : {"quotes", "header", "escapehtml", "tempRules"})
        EXPECT_EQ(text.value("setup", key), "0") << key;
    EXPECT_EQ(text.value("setup", "encoding"), "");
    EXPECT_EQ(load(work("p.ql"), ProjectSettings{}).settings, s);
}

TEST_F(ProjectFileTest, SaveIntoMissingFolderFailsAndLeavesLastProjectUnchanged)
{
    m_dir.write("prog/stencilor.ini", "[total]\nlastprj=/old/p.ql\n");
    const Status status = save(m_dir.file("nowhere/p.ql"), exampleWindow());
    EXPECT_FALSE(status.ok());
    EXPECT_NE(errorText(status.error()).find("nowhere/p.ql"), std::string::npos) << errorText(status.error());
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("nowhere")));
    EXPECT_EQ(read("prog/stencilor.ini"), "[total]\nlastprj=/old/p.ql\n");
}

TEST_F(ProjectFileTest, ProjectFileThatCannotBeReadIsNotReplaced)
{
    m_dir.write("prog/stencilor.ini", "[total]\nlastprj=/old/p.ql\n");
    std::filesystem::create_directories(work("dir.ql"));
    EXPECT_FALSE(save(work("dir.ql"), exampleWindow()).ok());
    EXPECT_TRUE(std::filesystem::is_directory(work("dir.ql")));
    EXPECT_EQ(readLastProject(settingsPath()), "/old/p.ql");
}

TEST_F(ProjectFileTest, ExtraKeysAndAThirdSectionSurviveASave)
{
    const std::string before = "; written by hand\n"
                               "[Setup]\n"
                               "comment=mine\n"
                               "DELIM=,\n"
                               "rulesCount=4\n"
                               "\n"
                               "[rules]\n"
                               "ColFld1=Field 9\n"
                               "ColFld7=stale\n"
                               "\n"
                               "[third]\n"
                               "x = 1\n"
                               "y\n";
    const std::string path = writeProject("p.ql", before);
    ASSERT_TRUE(save(path, exampleWindow()).ok());
    EXPECT_EQ(read("work/p.ql"), "; written by hand\n"
                                 "[Setup]\n"
                                 "comment=mine\n"
                                 "delim=;\n"
                                 "rulesCount=2\n"
                                 "textfile=data.csv\n"
                                 "templatefile=template.html\n"
                                 "outputdir=out\n"
                                 "directoryFile=Field 2\n"
                                 "CopyDirFld=0\n"
                                 "nameFromFld=0\n"
                                 "AddExt=0\n"
                                 "edExt=*.htm\n"
                                 "FileNameFld=Field 3\n"
                                 "nameFromTemp=0\n"
                                 "edTemp=example-F?.htm\n"
                                 "DelChars=0\n"
                                 "changecase=0\n"
                                 "case=-1\n"
                                 "report=0\n"
                                 "rep_fld=\n"
                                 "report_fld=\n"
                                 "\n"
                                 "[third]\n"
                                 "x = 1\n"
                                 "y\n"
                                 "[rules]\n"
                                 "ColFld1=Field 1\n"
                                 "ColTemp1=%Name%\n");
}

TEST_F(ProjectFileTest, CrLfFileKeepsCrLf)
{
    const std::string path = writeProject("p.ql", "[setup]\r\ndelim=,\r\n[other]\r\nk=v\r\n");
    ASSERT_TRUE(save(path, exampleWindow()).ok());
    const std::string text = read("work/p.ql");
    std::string expected = kExampleFile;
    expected.insert(expected.find("[rules]"), "[other]\nk=v\n");
    std::string crlf;
    for (char c : expected) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(text, crlf);
}

TEST_F(ProjectFileTest, FlagsAndIntegersAreWrittenAsDigits)
{
    ProjectSettings s;
    s.CopyDirFld = true;
    s.nameFromTemp = true;
    s.AddExt = true;
    s.DelChars = true;
    s.changecase = true;
    s.report = true;
    s.caseIndex = kCaseLarge;
    s.rules.setRowCount(4);
    const IniFile text = IniFile::parse(projectFileText(IniFile{}, s));
    for (const char* key : {"CopyDirFld", "nameFromTemp", "AddExt", "DelChars", "changecase", "report"})
        EXPECT_EQ(text.value("setup", key), "1") << key;
    EXPECT_EQ(text.value("setup", "nameFromFld"), "0");
    EXPECT_EQ(text.value("setup", "case"), "2");
    EXPECT_EQ(text.value("setup", "rulesCount"), "4");
    EXPECT_EQ(text.value("rules", "ColFld4"), std::nullopt);
}

TEST_F(ProjectFileTest, ReplacingSaveLeavesExactlyTheProject)
{
    // Save As onto a data file the user agreed to replace: none of its lines may stay, or they
    // would become records of the next run. An updating save keeps what it does not write.
    const struct {
        SaveMode mode;
        bool keepsOldLines;
    } cases[] = {{SaveMode::Replace, false}, {SaveMode::Update, true}};
    for (const auto& c : cases) {
        const std::string path = writeProject("contacts.csv", "Ann;Lee;Paris\r\nBob;Ray;Rome\r\n");
        ASSERT_TRUE(saveProject(path, exampleWindow(), programFolder(), settingsPath(), c.mode).ok());
        const std::string text = read("work/contacts.csv");
        EXPECT_EQ(text.find("Ann;Lee;Paris") != std::string::npos, c.keepsOldLines) << text;
        if (!c.keepsOldLines) {
            EXPECT_EQ(text, kExampleFile);
        }
        EXPECT_EQ(readLastProject(settingsPath()), path);
    }
}

TEST_F(ProjectFileTest, BareProjectPathLiesInTheProgramFolderButIsRecordedBare)
{
    ASSERT_TRUE(save("Noname.ql", exampleWindow()).ok());
    EXPECT_EQ(read("prog/Noname.ql"), kExampleFile);
    EXPECT_EQ(readLastProject(settingsPath()), "Noname.ql");

    ProjectSettings current;
    current.delim = "changed";
    const LoadedProject loaded = load("Noname.ql", current);
    EXPECT_TRUE(loaded.fileFound);
    EXPECT_EQ(loaded.settings, exampleWindow());

    EXPECT_EQ(resolveProjectPath("Noname.ql", "/p/"), "/p/Noname.ql");
    EXPECT_EQ(resolveProjectPath("sub/Noname.ql", "/p/"), "sub/Noname.ql");
    EXPECT_EQ(resolveProjectPath("/abs/Noname.ql", "/p/"), "/abs/Noname.ql");
}

TEST_F(ProjectFileTest, MissingProgramAndSettingsFoldersAreCreated)
{
    // An XDG data folder and an XDG config folder that do not exist yet.
    const std::string dataFolder = m_dir.file("xdg/data/stencilor/");
    const std::string settings = m_dir.file("xdg/config/stencilor/stencilor.ini");
    ASSERT_TRUE(saveProject(dataFolder + "New-2026-12-07_03-11.ql", exampleWindow(), dataFolder, settings).ok());
    EXPECT_EQ(m_dir.read("xdg/data/stencilor/New-2026-12-07_03-11.ql"), kExampleFile);
    EXPECT_EQ(readLastProject(settings), dataFolder + "New-2026-12-07_03-11.ql");
    // Created for this user alone, as the XDG rules ask.
    namespace fs = std::filesystem;
    for (const char* folder : {"xdg/data/stencilor", "xdg/config/stencilor"})
        EXPECT_EQ(fs::status(m_dir.file(folder)).permissions() & fs::perms::all, fs::perms::owner_all) << folder;
}

TEST_F(ProjectFileTest, ProgramSettingsFileKeepsItsOtherLines)
{
    m_dir.write("prog/stencilor.ini", "[total]\r\nLASTPRJ=/old.ql\r\nother=1\r\n[more]\r\nx=y\r\n");
    ASSERT_TRUE(save(work("p.ql"), exampleWindow()).ok());
    EXPECT_EQ(read("prog/stencilor.ini"), "[total]\r\nlastprj=" + work("p.ql") + "\r\nother=1\r\n[more]\r\nx=y\r\n");
}

TEST_F(ProjectFileTest, FailingProgramSettingsWriteIsReportedAfterTheProjectIsWritten)
{
    m_dir.write("blocker", "a file where a folder should be");
    const Status status = saveProject(work("p.ql"), exampleWindow(), programFolder(), m_dir.file("blocker/s.ini"));
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(read("work/p.ql"), kExampleFile);
}

TEST_F(ProjectFileTest, ReadLastProjectOfMissingFileIsEmpty)
{
    EXPECT_EQ(readLastProject(settingsPath()), "");
    m_dir.write("prog/stencilor.ini", "[total]\n");
    EXPECT_EQ(readLastProject(settingsPath()), "");
}

// ---------------------------------------------------------------- loading

TEST_F(ProjectFileTest, NoFileChangesOnlyTheRules)
{
    ProjectSettings current = exampleWindow();
    current.delim = "|";
    current.caseIndex = 1;
    current.report_fld = "x;";
    current.rules.setRowCount(5);
    const LoadedProject loaded = load(work("missing.ql"), current);
    EXPECT_FALSE(loaded.fileFound);
    ProjectSettings expected = current;
    expected.rules.reset();
    EXPECT_EQ(loaded.settings, expected);
    EXPECT_EQ(loaded.settings.rules.rowCount(), 2u);
    EXPECT_EQ(loaded.settings.rules.rule(0), Rule{});
}

TEST_F(ProjectFileTest, MissingKeysTakeTheirLoadDefaults)
{
    ProjectSettings current = exampleWindow();
    current.rep_fld = "kept?";
    EXPECT_EQ(loadFile("[setup]\n", current), loadDefaults(programFolder()));

    const ProjectSettings d = loadDefaults("/opt/st/");
    EXPECT_EQ(d.delim, ";");
    EXPECT_EQ(d.textfile, "/opt/st/data.csv");
    EXPECT_EQ(d.templatefile, "/opt/st/template.html");
    EXPECT_EQ(d.outputdir, "/opt/st/temp/");
    EXPECT_EQ(d.directoryFile, "");
    EXPECT_EQ(d.FileNameFld, "");
    EXPECT_EQ(d.edExt, "*.htm");
    EXPECT_EQ(d.edTemp, "example-F?.htm");
    EXPECT_EQ(d.caseIndex, kCaseSmall);
    EXPECT_EQ(d.report_fld, kReportFieldsDefault);
    EXPECT_EQ(d.rules.rowCount(), 2u);
}

TEST_F(ProjectFileTest, FreshWindowStoresCaseMinusOneAndEmptyReportFields)
{
    const IniFile saved = saveAndParse(ProjectSettings{});
    EXPECT_EQ(saved.value("setup", "case"), "-1");
    EXPECT_EQ(saved.value("setup", "report_fld"), "");

    const ProjectSettings lacking = loadText("delim=;\n");
    EXPECT_EQ(lacking.caseIndex, kCaseSmall);
    EXPECT_EQ(lacking.report_fld, kReportFieldsDefault);
}

TEST_F(ProjectFileTest, RulesCountBelowTwoOrUnreadableGivesOneBlankRow)
{
    const std::string setups[] = {
        "", "rulesCount=0\n", "rulesCount=1\n", "rulesCount=-3\n", "rulesCount=abc\n", "rulesCount=\n"};
    for (const std::string& setup : setups) {
        const ProjectSettings s = loadText(setup, "ColFld1=Field 1\nColTemp1=%a%\n");
        EXPECT_EQ(s.rules.rowCount(), 2u) << setup;
        // "missing" reads the default 2, which loads rule 1; the others read below 2 and are raised to 2.
        EXPECT_EQ(s.rules.rule(0), (Rule{"Field 1", "%a%"})) << setup;
    }
    const ProjectSettings noKeys = loadText("rulesCount=0\n");
    EXPECT_EQ(noKeys.rules.rowCount(), 2u);
    EXPECT_EQ(noKeys.rules.rule(0), Rule{});
}

TEST_F(ProjectFileTest, RulesCountBeyondTheKeysGivesBlankRows)
{
    const ProjectSettings s =
        loadText("rulesCount=5\n", "ColFld1=Field 1\nColTemp1=%a%\nColFld2=Field 2\nColTemp2=%b%\n");
    ASSERT_EQ(s.rules.rowCount(), 5u);
    const std::vector<Rule> expected = {{"Field 1", "%a%"}, {"Field 2", "%b%"}, {}, {}};
    EXPECT_EQ(s.rules.rules(), expected);
}

TEST_F(ProjectFileTest, RulesKeysAtOrBeyondRulesCountAreIgnoredAndGoneAfterSave)
{
    const ProjectSettings s = loadFile("[setup]\nrulesCount=2\n[rules]\nColFld1=Field 1\nColTemp1=%a%\n"
                                       "ColFld2=Field 2\nColTemp2=%b%\nColFld3=Field 3\n");
    ASSERT_EQ(s.rules.rowCount(), 2u);
    EXPECT_EQ(s.rules.rule(0), (Rule{"Field 1", "%a%"}));
    const IniFile saved = saveAndParse(s);
    EXPECT_EQ(saved.value("rules", "ColFld2"), std::nullopt);
    EXPECT_EQ(saved.value("rules", "ColTemp2"), std::nullopt);
    EXPECT_EQ(saved.value("rules", "ColFld3"), std::nullopt);
}

TEST_F(ProjectFileTest, FlagAndCaseValues)
{
    struct Row {
        std::string setup;
        bool copyDirFld;
        std::int32_t caseIndex;
    };
    const Row rows[] = {
        {"CopyDirFld=true\ncase=0x2\n", false, 2}, {"CopyDirFld=2\ncase=7\n", true, 2},
        {"CopyDirFld=yes\ncase=-5\n", false, -1},  {"CopyDirFld=-1\ncase=-1\n", true, -1},
        {"CopyDirFld=0x1\ncase=1\n", true, 1},     {"CopyDirFld=\ncase=x\n", false, 0},
        {"case=2147483648\n", false, 0},
    };
    for (const Row& row : rows) {
        const ProjectSettings s = loadText(row.setup);
        EXPECT_EQ(s.CopyDirFld, row.copyDirFld) << row.setup;
        EXPECT_EQ(s.caseIndex, row.caseIndex) << row.setup;
    }

    // Saved back in their normal form.
    const IniFile saved = saveAndParse(loadFile("[setup]\nCopyDirFld=2\ncase=-5\n"));
    EXPECT_EQ(saved.value("setup", "CopyDirFld"), "1");
    EXPECT_EQ(saved.value("setup", "case"), "-1");
}

TEST_F(ProjectFileTest, NameFromTemplateWinsOverNameFromField)
{
    struct Row {
        bool fromFld;
        bool fromTemp;
        bool expectedFld;
        bool expectedTemp;
    };
    const Row rows[] = {
        {true, true, false, true},
        {true, false, true, false},
        {false, true, false, true},
        {false, false, false, false},
    };
    for (const Row& row : rows) {
        const ProjectSettings s = loadText("nameFromFld=" + std::to_string(row.fromFld) +
                                           "\nnameFromTemp=" + std::to_string(row.fromTemp) + "\n");
        EXPECT_EQ(s.nameFromFld, row.expectedFld) << row.fromFld << row.fromTemp;
        EXPECT_EQ(s.nameFromTemp, row.expectedTemp) << row.fromFld << row.fromTemp;
    }
}

TEST_F(ProjectFileTest, HandWrittenBlanksAroundValuesAreTrimmed)
{
    const ProjectSettings s = loadText("delim= ; \nedExt=\t*.txt\t\n", "ColFld1=Field 1\nColTemp1=  %x%  \n");
    EXPECT_EQ(s.delim, ";");
    EXPECT_EQ(s.edExt, "*.txt");
    EXPECT_EQ(s.rules.rule(0).identifier, "%x%");
    EXPECT_EQ(loadText("delim= \n").delim, "") << "a hand-written single-space delimiter reads as empty";
}

TEST_F(ProjectFileTest, KeysAndSectionsInAnyLetterCaseAreFound)
{
    const ProjectSettings s = loadFile("[SETUP]\nDELIM=,\nEdExt=*.TXT\nRULESCOUNT=3\n"
                                       "[Rules]\ncolfld1=Field 1\nCOLTEMP1=%a%\nColFLD2=Field 2\n");
    EXPECT_EQ(s.delim, ",");
    EXPECT_EQ(s.edExt, "*.TXT");
    ASSERT_EQ(s.rules.rowCount(), 3u);
    EXPECT_EQ(s.rules.rule(0), (Rule{"Field 1", "%a%"}));
    EXPECT_EQ(s.rules.rule(1), (Rule{"Field 2", ""}));
}

// Design 4, item 4: values survive a save and a load exactly.
TEST_F(ProjectFileTest, AwkwardValuesSurviveSaveAndLoad)
{
    ProjectSettings s;
    s.delim = " ";
    s.textfile = "  /data/with blanks.csv  ";
    s.templatefile = "'quoted'";
    s.outputdir = "\"double\"";
    s.directoryFile = "\t";
    s.edExt = "{stencilor-ml}x";
    s.FileNameFld = "a\\nb";
    s.edTemp = std::string(3000, 'n') + "?";
    s.rep_fld = "line1\r\nline2\\";
    s.report_fld = "FileName;Field 2;;;;;";
    s.caseIndex = kCaseSentence;
    s.nameFromFld = true;
    s.rules.setRowCount(4);
    s.rules.rule(0) = Rule{"Field 1", "<p>\n  %multi%\n</p>\n"};
    s.rules.rule(1) = Rule{" Field 2 ", "\r"};
    s.rules.rule(2) = Rule{"", " "};
    const std::string path = work("awkward.ql");
    ASSERT_TRUE(save(path, s).ok());
    const LoadedProject loaded = load(path);
    EXPECT_TRUE(loaded.fileFound);
    EXPECT_EQ(loaded.settings, s);
}

TEST_F(ProjectFileTest, AbsurdRulesCountIsBoundedWithoutLosingARule)
{
    // Blank rows beyond the allowance are dropped; a rule far down keeps its order after them.
    const ProjectSettings s =
        loadText("rulesCount=2000000000\n", "ColFld1=Field 1\nColTemp1=%a%\nColFld1999999999=x\nColTemp3=%c%\n");
    EXPECT_LE(s.rules.rowCount(), 100004u);
    EXPECT_EQ(s.rules.rule(0), (Rule{"Field 1", "%a%"}));
    EXPECT_EQ(s.rules.rule(2), (Rule{"", "%c%"}));
    EXPECT_EQ(s.rules.rules().back(), (Rule{"x", ""}));

    // A modest count of blank rows beyond the keys loads exactly as declared.
    EXPECT_EQ(loadText("rulesCount=500\n", "ColFld1=Field 1\n").rules.rowCount(), 500u);
}

TEST_F(ProjectFileTest, HundredThousandRowsRoundTripWithoutKeysForBlankRows)
{
    const ProjectSettings s = loadText("rulesCount=100000\n", "ColFld1=Field 1\nColTemp1=%a%\nColFld2=Field 2\n"
                                                              "ColTemp2=%b%\nColFld99999=Field 3\nColTemp99999=%z%\n");
    ASSERT_EQ(s.rules.rowCount(), 100000u);
    EXPECT_EQ(s.rules.rule(99998), (Rule{"Field 3", "%z%"}));
    EXPECT_EQ(s.rules.rule(50000), Rule{});

    const IniFile saved = saveAndParse(s);
    EXPECT_EQ(saved.value("setup", "rulesCount"), "100000");
    EXPECT_EQ(saved.sectionValues("rules").size(), 6u) << "blank rows write no keys";
    EXPECT_EQ(saved.value("rules", "ColTemp99999"), "%z%");
    EXPECT_EQ(load(work("p.ql")).settings, s);
}

TEST_F(ProjectFileTest, ManyRulesSaveAndLoadInLinearWork)
{
    // The work is the INI engine's count of lines visited, which no machine load changes: four
    // times the rules give about four times the work where a quadratic save or load (a key looked
    // up or inserted line by line) would give sixteen.
    const auto saveAndLoad = [this](std::size_t rules) {
        ProjectSettings s;
        s.rules.setRowCount(rules + 1);
        for (std::size_t i = 0; i < rules; ++i)
            s.rules.rule(i) = Rule{"Field " + std::to_string(i + 1), std::to_string(i).append("%").insert(0, 1, '%')};
        const std::uint64_t before = IniFile::linesVisited();
        EXPECT_TRUE(save(work("many.ql"), s).ok());
        const LoadedProject loaded = load(work("many.ql"));
        EXPECT_EQ(loaded.settings, s) << "a file the program wrote loads its full row count";
        return IniFile::linesVisited() - before;
    };
    const std::uint64_t work1000 = saveAndLoad(1000);
    const std::uint64_t work4000 = saveAndLoad(4000);
    ASSERT_GT(work4000, 3 * work1000);
    ASSERT_LT(work4000, 5 * work1000);
    saveAndLoad(50000);
}

} // namespace
} // namespace stencilor
