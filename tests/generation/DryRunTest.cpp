// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DryRun.h"

#include "TestUtil.h"
#include "datasource/workbook/WorkbookFiles.h"
#include "platform/Messages.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <vector>

namespace stencilor {
namespace {

// One finding reduced to what the tests compare.
struct Seen {
    CheckFindingKind kind;
    std::uint64_t record;
    std::string name;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen)
{
    return out << checkFindingLabel(seen.kind) << " @" << seen.record << " " << seen.name;
}

class DryRunTest : public testing::Test {
protected:
    DryRunTest()
    {
        settings.textfile = "data.csv";
        settings.templatefile = "t.html";
        settings.outputdir = dir.file("out");
        settings.nameFromFld = true;
        settings.FileNameFld = "Field 1";
        setRules({{"Field 1", "%A%"}, {"Field 2", "%B%"}});
        dir.write("t.html", "<p>%A% %B%</p>\n");
    }

    void setRules(const std::vector<Rule>& rules) { settings.rules = test::rulesTable(rules); }

    CheckReport check(const std::string& data, RecordRange range = {}, std::size_t memory = kCheckMemory)
    {
        dir.write(settings.textfile, data);
        std::vector<CheckFinding> findings;
        CheckReport report = checkProjectOutput(
            settings, {dir.file("job.ql"), "/nonexistent-program-folder/"}, RecordSelection{range, {}, 0},
            [&](const CheckFinding& f) { findings.push_back(f); }, {}, {}, {}, memory);
        report.findings = std::move(findings);
        return report;
    }

    // The findings of `report` as the command line's table shows them.
    static std::string table(const CheckReport& report)
    {
        std::ostringstream out;
        CheckTableWriter writer(out, report.quotes);
        for (const CheckFinding& finding : report.findings)
            writer.add(finding);
        writer.finish(report);
        return out.str();
    }

    static std::vector<Seen> seen(const CheckReport& report)
    {
        std::vector<Seen> result;
        for (const CheckFinding& f : report.findings)
            result.push_back({f.kind, f.record, f.name});
        return result;
    }

    test::TempDir dir;
    ProjectSettings settings;
};

using Kind = CheckFindingKind;

TEST_F(DryRunTest, AStopRequestEndsTheCheckWhereItIs)
{
    // The stop is asked for from the progress of the pass named, after its record `after`; the
    // check ends before the next record, with what it has found so far.
    struct Case {
        const char* name;
        bool inCountingPass;
        std::uint64_t after;
        std::uint64_t recordCount;
        std::uint64_t checked;
        std::vector<Seen> expected;
    };
    const std::vector<Case> cases = {
        {"while counting", true, 2, 2, 0, {}},
        {"while checking", false, 1, 4, 1, {{Kind::FewerFields, 1, ""}}},
    };
    dir.write("data.csv", "a\nb\nc\nd\n");
    for (const Case& c : cases) {
        std::atomic<bool> stop{false};
        std::vector<CheckFinding> findings;
        PassWatch watch;
        watch.stop = &stop;
        watch.counting = [&](std::uint64_t records, std::uint64_t, std::uint64_t) {
            if (c.inCountingPass && records == c.after)
                stop = true;
        };
        const CheckReport report = checkProjectOutput(
            settings, {dir.file("job.ql"), "/nonexistent-program-folder/"}, {},
            [&](const CheckFinding& f) { findings.push_back(f); }, {},
            [&](std::uint64_t read, std::uint64_t) {
                if (!c.inCountingPass && read == c.after)
                    stop = true;
            },
            watch);
        CheckReport found = report;
        found.findings = findings;
        EXPECT_TRUE(report.started) << c.name;
        EXPECT_TRUE(report.stopped) << c.name;
        EXPECT_EQ(report.recordCount, c.recordCount) << c.name;
        EXPECT_EQ(report.recordsChecked, c.checked) << c.name;
        EXPECT_EQ(seen(found), c.expected) << c.name;
    }
}

TEST_F(DryRunTest, FindsRecordsThatGiveNoNameCollideOrLackFields)
{
    const struct {
        const char* what;
        std::string data;
        std::vector<Seen> findings;
    } cases[] = {
        {"clean", "a;1\nb;2\n", {}},
        {"empty name field and empty line",
         "a;1\n;2\n\n",
         {{Kind::NoName, 2, ""}, {Kind::FewerFields, 3, ""}, {Kind::NoName, 3, ""}}},
        {"same name twice", "a;1\nb;2\na;3\n", {{Kind::SameName, 3, "a"}}},
        {"names differing in case only",
         "Ann;1\nann;2\nANN;3\n",
         {{Kind::SameNameIgnoringCase, 2, "ann"}, {Kind::SameNameIgnoringCase, 3, "ANN"}}},
        {"non-ASCII case folding",
         "\xC3\x89t\xC3\xA9;1\n\xC3\xA9t\xC3\xA9;2\n",
         {{Kind::SameNameIgnoringCase, 2, "\xC3\xA9t\xC3\xA9"}}},
        {"composed and decomposed forms",
         "caf\xC3\xA9;1\ncafe\xCC\x81;2\nCAFE\xCC\x81;3\n",
         {{Kind::SameNameNormalized, 2, "cafe\xCC\x81"}, {Kind::SameNameIgnoringCase, 3, "CAFE\xCC\x81"}}},
        {"leaves the output folder", "../x;1\nok;2\n", {{Kind::LeavesFolder, 1, ""}}},
        {"fewer fields than the rules use", "a;1\nb\n", {{Kind::FewerFields, 2, ""}}},
        {"CR LF data", "a;1\r\na;2\r\n", {{Kind::SameName, 2, "a"}}},
    };
    for (const auto& c : cases) {
        const CheckReport report = check(c.data);
        EXPECT_TRUE(report.started) << c.what;
        EXPECT_EQ(seen(report), c.findings) << c.what;
    }
}

// What stands in the output folder, and names the system refuses, are found before the run.
TEST_F(DryRunTest, FindsWhatTheOutputFolderHoldsInTheWay)
{
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("out/folder"));
    fs::create_directories(dir.file("elsewhere"));
    fs::create_symlink(dir.file("elsewhere"), dir.file("out/linked"));
    fs::create_symlink(dir.file("elsewhere/x"), dir.file("out/file-link"));
    dir.write("out/blocker", "a file");
    settings.CopyDirFld = true;
    settings.directoryFile = "Field 2";
    settings.report = true;
    const std::string longName(256, 'n');
    std::string deepFolder = "d";
    while (deepFolder.size() < 5000)
        deepFolder += "/d";
    const struct {
        const char* what;
        std::string data;
        std::vector<Seen> findings;
    } cases[] = {
        {"a subfolder that is a link", "a;linked\n", {{Kind::LinkInPath, 1, "linked/a"}}},
        {"a link at the file's name", "file-link;\n", {{Kind::ReplacesLink, 1, "file-link"}}},
        {"a file where a subfolder goes", "a;blocker\n", {{Kind::FolderBlocked, 1, "blocker/a"}}},
        {"a name that is a folder", "folder;\n", {{Kind::NameIsFolder, 1, "folder"}}},
        {"another record's subfolder", "x;sub\nsub;\n", {{Kind::NameIsFolder, 2, "sub"}}},
        {"another record's file as a subfolder", "x;\ny;x\n", {{Kind::FolderBlocked, 2, "x/y"}}},
        {"the report", "report.html;\n", {{Kind::OwnInput, 1, "report.html"}}},
        {"a name over 255 bytes", longName + ";\n", {{Kind::NameTooLong, 1, longName}}},
        // A run walks down one folder at a time: a path longer than the system's path limit is
        // written all the same.
        {"a 5,000-byte path of short parts", "a;" + deepFolder + "\n", {}},
    };
    for (const auto& c : cases) {
        const CheckReport report = check(c.data);
        EXPECT_EQ(seen(report), c.findings) << c.what;
    }
    // The report's name is refused as the run refuses it, also before the output folder exists.
    settings.outputdir = dir.file("not-yet");
    EXPECT_EQ(seen(check("report.html;\n")), (std::vector<Seen>{{Kind::OwnInput, 1, "report.html"}}));
    // The run's own inputs, found by what they are, not by their names.
    settings.outputdir = dir.path();
    settings.CopyDirFld = false;
    EXPECT_EQ(seen(check("t.html;\ndata.csv;\n")),
              (std::vector<Seen>{{Kind::OwnInput, 1, "t.html"}, {Kind::OwnInput, 2, "data.csv"}}));
}

// The dry run refuses what the run refuses of its manifest, and lists a record that would replace it.
// Once the names would take more memory than the check may use, they are kept on disk and the
// records read again: the findings are those of names kept in memory, wherever the bound falls.
TEST_F(DryRunTest, NamesKeptOnDiskGiveTheSameFindings)
{
    namespace fs = std::filesystem;
    dir.write("out/blocker", "a file");
    fs::create_directories(dir.file("elsewhere"));
    fs::create_symlink(dir.file("elsewhere"), dir.file("out/linked"));
    settings.CopyDirFld = true;
    settings.directoryFile = "Field 2";
    settings.report = true;
    // Files and subfolders that collide, differ in case or normalization, stand in each other's
    // way, meet what the folder holds or are refused before they reach it.
    const std::vector<std::string> files = {"a",           "A", "b", "caf\xC3\xA9", "CAFE\xCC\x81", "cafe\xCC\x81",
                                            "report.html", "",  "x"};
    const std::vector<std::string> folders = {"", "", "a", "A", "a/b", "b", "blocker", "linked", "..", "a/A", "x/a"};
    std::mt19937 random(11);
    // The same records as a delimited file and as a workbook's sheet, whose reading starts again
    // differently.
    std::string data, rows;
    for (int i = 0; i < 3000; ++i) {
        std::string file = files[random() % files.size()];
        if (random() % 3 == 0)
            file += std::to_string(random() % 600);
        const std::string& folder = folders[random() % folders.size()];
        data += file + ";" + folder + "\n";
        rows += "<row><c t=\"inlineStr\"><is><t>" + file + "</t></is></c><c t=\"inlineStr\"><is><t>" + folder +
                "</t></is></c></row>";
    }
    for (const auto& [file, content] :
         {std::pair{"data.csv", data}, std::pair{"data.xlsx", test::xlsxWithRows(rows)}}) {
        settings.textfile = file;
        const std::string inMemory = table(check(content));
        for (const char* kind : {"same name ", "same name ignoring case", "same name when normalized", "folder blocked",
                                 "name is a folder", "symbolic link in path", "replaces an input", "no name"})
            EXPECT_NE(inMemory.find(kind), std::string::npos) << file << ": " << kind;
        for (const std::size_t memory : {std::size_t{1}, std::size_t{16} << 10, std::size_t{64} << 10}) {
            const CheckReport report = check(content, {}, memory);
            EXPECT_FALSE(report.problem);
            EXPECT_EQ(table(report), inMemory) << file << ", " << memory << " bytes";
        }
    }
    // Without a folder to keep them in, the check breaks off with the error of making the file.
    settings.textfile = "data.csv";
    const char* tmp = std::getenv("TMPDIR");
    const std::string saved = tmp ? tmp : "";
    ::setenv("TMPDIR", dir.file("missing").c_str(), 1);
    const CheckReport broken = check(data, {}, 1);
    tmp ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_TRUE(broken.started);
    ASSERT_TRUE(broken.problem);
    EXPECT_EQ(broken.problem->kind, ErrorKind::CreateFile);
}

TEST_F(DryRunTest, ChecksTheManifestAsTheRunDoes)
{
    settings.report = true;
    dir.write("data.csv", "m.jsonl;\nok;\n");
    const auto checkWith = [&](RunOptions outputs) {
        std::vector<CheckFinding> findings;
        CheckReport report = checkProjectOutput(
            settings, {dir.file("job.ql"), "/nonexistent-program-folder/"}, {},
            [&](const CheckFinding& f) { findings.push_back(f); }, outputs);
        report.findings = std::move(findings);
        return report;
    };
    EXPECT_EQ(seen(checkWith({{}, dir.file("out/m.jsonl"), {}})), (std::vector<Seen>{{Kind::OwnInput, 1, "m.jsonl"}}));
    const CheckReport refused = checkWith({{}, dir.file("out/report.html"), {}});
    ASSERT_FALSE(refused.started);
    EXPECT_EQ(refused.problem->kind, ErrorKind::OutputTwice);
}

TEST_F(DryRunTest, ListsSkippedRulesAndIdentifiersMissingFromTheTemplate)
{
    setRules({{"Field 1", "%A%"}, {"", "%B%"}, {"Field 2", ""}, {"Field 2", "%Gone%"}});
    const CheckReport report = check("a;1\n");
    ASSERT_EQ(report.findings.size(), 3u);
    EXPECT_EQ(report.findings[0].kind, Kind::RuleSkipped);
    EXPECT_EQ(report.findings[0].rule, 2u);
    EXPECT_EQ(detailText(report.findings[0].detail), "rule 2 (\"%B%\") has no field number");
    EXPECT_EQ(report.findings[1].kind, Kind::RuleSkipped);
    EXPECT_EQ(detailText(report.findings[1].detail), "rule 3 (Field 2) has no identifier");
    EXPECT_EQ(report.findings[2].kind, Kind::IdentifierNotInTemplate);
    EXPECT_EQ(report.findings[2].rule, 4u);
    // The run sees the template with CR LF line ends, whatever the file has.
    setRules({{"Field 1", "%B%</p>\r\n"}});
    EXPECT_TRUE(check("a;1\n").findings.empty());
    setRules({{"Field 1", "%B%</p>\n"}});
    EXPECT_EQ(seen(check("a;1\n")), (std::vector<Seen>{{Kind::IdentifierNotInTemplate, 0, ""}}));
}

// A text the run would refuse as too large is found before the run, where the run decides it.
TEST_F(DryRunTest, FindsATextLargerThanTheRunAllows)
{
    std::string templ = "%A%";
    for (int i = 0; i < 2000; ++i)
        templ += "%B%";
    dir.write("t.html", templ);
    const CheckReport report = check("a;" + std::string(600000, 'x') + "\nb;y\n");
    EXPECT_EQ(seen(report), (std::vector<Seen>{{Kind::TextTooLarge, 1, "a"}}));
    EXPECT_EQ(detailText(report.findings.at(0).detail),
              "the text would be larger than 1 GiB; the run ends here with an error");
}

TEST_F(DryRunTest, ChecksOnlyTheRecordsOfARange)
{
    const CheckReport report = check("a;1\n;2\na;3\nb\n;5\n", RecordRange{3, 4});
    EXPECT_EQ(report.recordCount, 5u);
    EXPECT_EQ(report.recordsChecked, 2u);
    // Record 1 lies outside the range, so record 3 collides with nothing.
    EXPECT_EQ(seen(report), (std::vector<Seen>{{Kind::FewerFields, 4, ""}}));
}

TEST_F(DryRunTest, DoesNotStartWithoutItsInputs)
{
    settings.delim.clear();
    EXPECT_EQ(errorText(*check("a").problem), "Please select field delimiter!");
    settings.delim = ";";
    settings.outputdir.clear();
    EXPECT_EQ(errorText(*check("a").problem), "Output folder is not set");
    settings.templatefile = "missing.html";
    const CheckReport report = check("a");
    EXPECT_FALSE(report.started);
    EXPECT_EQ(errorText(*report.problem), "\nTemplate file is empty or not defined");
}

TEST_F(DryRunTest, PrintsATableWithACountLine)
{
    settings.nameFromFld = false;
    settings.nameFromTemp = true;
    settings.edTemp = "card.htm";
    setRules({{"Field 1", "%A%"}, {"Field 2", ""}});
    EXPECT_EQ(table(check("a;1\nb;2\n")),
              "line  finding       name      detail\n"
              "   -  rule skipped  -         rule 2 (Field 2) has no identifier\n"
              "   2  same name     card.htm  the same file as line 1; the later record replaces it\n"
              "2 records checked, 2 findings\n");
    setRules({{"Field 1", "%A%"}});
    settings.edTemp = "c?.htm";
    EXPECT_EQ(table(check("a;1\n")), "1 record checked, 0 findings\n");
    // Control bytes from the data never reach the terminal as they are.
    settings.edTemp = "c?.htm";
    settings.nameFromFld = true;
    settings.nameFromTemp = false;
    EXPECT_EQ(table(check("\x1b[31mred\x07;1\n\x1b[31mred\x07;2\n")),
              "line  finding    name             detail\n"
              "   2  same name  \\x1b[31mred\\x07  the same file as line 1; the later record replaces it\n"
              "2 records checked, 1 finding\n");
}

TEST_F(DryRunTest, SpreadsheetDataFindingsShowTheRecordAndItsFirstLine)
{
    settings.delim = ",";
    settings.quotes = true;
    settings.header = true;
    // The header is no record to check; record 3 begins on line 4 and its quote never closes.
    EXPECT_EQ(table(check("A,B\n\"x\ny\",1\nz,\"a<b\n")),
              "record  line  finding          name  detail\n"
              "     3     4  unclosed quote   -     a quote opened in this record never closes: the rest of the "
              "data file is its last field\n"
              "     3     4  markup in value  -     field 2 (rule 2) holds \"<\" or \"&\", inserted into an HTML "
              "template as markup; escapehtml=1 shows it as text\n"
              "2 records checked, 2 findings\n");
    settings.escapehtml = true;
    EXPECT_EQ(seen(check("A,B\nz,a<b\n")), std::vector<Seen>{});

    // With quotes off, quoted delimiters and a byte-order mark are said once, for the file.
    settings.quotes = settings.header = false;
    const CheckReport report = check("\xEF\xBB\xBFid,\"Smith, J\"\n");
    EXPECT_EQ(seen(report), (std::vector<Seen>{{Kind::DataFile, 0, ""}, {Kind::DataFile, 0, ""}}));
}

TEST_F(DryRunTest, TheTableKeepsItsColumnsBeyondTheRowsItMeasures)
{
    // 1,001 findings: the widths come from the first 1,000 rows, the rest follow them as they come.
    std::string data;
    for (int i = 0; i < 1000; ++i)
        data += "\n";
    data += "a-much-longer-name-than-any-before;1\na-much-longer-name-than-any-before;2\n";
    setRules({{"Field 1", "%A%"}});
    const std::string text = table(check(data));
    EXPECT_TRUE(text.starts_with("line  finding  name  detail\n   1  no name  -     the name field 1 is empty\n"));
    EXPECT_NE(text.find("\n1002  same name  a-much-longer-name-than-any-before  the same file as line 1001"),
              std::string::npos);
}

} // namespace
} // namespace stencilor
