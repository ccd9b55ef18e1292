// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "TestUtil.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace stencilor {
namespace {

TEST(CommandLine, ParsesSwitchesInAnyOrder)
{
    const struct {
        std::vector<std::string> args;
        Command command;
        std::string project;
        bool quiet, openReport;
    } cases[] = {
        {{}, Command::OpenWindow, "", false, false},
        {{"p.ql"}, Command::OpenWindow, "p.ql", false, false},
        {{"--run", "p.ql"}, Command::Run, "p.ql", false, false},
        {{"p.ql", "--run"}, Command::Run, "p.ql", false, false},
        {{"--run", "--quiet", "p.ql"}, Command::Run, "p.ql", true, false},
        {{"--open-report", "p.ql", "--run", "--quiet"}, Command::Run, "p.ql", true, true},
        {{"--check", "p.ql"}, Command::Check, "p.ql", false, false},
        {{"p.ql", "--dry-run"}, Command::DryRun, "p.ql", false, false},
        {{"--dry-run"}, Command::UsageError, "", false, false},
        {{"--dry-run", "--run", "p.ql"}, Command::UsageError, "", false, false},
        {{"--dry-run", "--quiet", "p.ql"}, Command::DryRun, "p.ql", true, false},
        {{"--records", "2-3", "p.ql"}, Command::UsageError, "", false, false},
        {{"--run", "--records", "3-2", "p.ql"}, Command::UsageError, "", false, false},
        {{"--run", "--records", "", "p.ql"}, Command::UsageError, "", false, false},
        {{"--help"}, Command::Help, "", false, false},
        {{"--version"}, Command::Version, "", false, false},
        {{"--run"}, Command::UsageError, "", false, false},
        {{"--run", "--check", "p.ql"}, Command::UsageError, "p.ql", false, false},
        {{"--quiet", "p.ql"}, Command::UsageError, "p.ql", true, false},
        {{"--run", "a.ql", "b.ql"}, Command::UsageError, "", false, false},
        {{"--frobnicate", "p.ql"}, Command::UsageError, "", false, false},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.args);
        const std::string args = testing::PrintToString(c.args);
        EXPECT_EQ(parsed.command, c.command) << args;
        if (c.command == Command::UsageError) {
            EXPECT_TRUE(parsed.text.starts_with("stencilor: ")) << args;
            continue;
        }
        EXPECT_EQ(parsed.project, c.project) << args;
        EXPECT_EQ(parsed.quiet, c.quiet) << args;
        EXPECT_EQ(parsed.openReport, c.openReport) << args;
    }
    EXPECT_NE(parseCommandLine({"--help"}).text.find("--open-report"), std::string::npos);
    EXPECT_EQ(parseCommandLine({"p.ql", "--records", "2-5", "--run"}).records, (RecordRange{2, 5}));
    EXPECT_EQ(parseCommandLine({"--dry-run", "--records=7-", "p.ql"}).records.first, 7u);
    EXPECT_TRUE(parseCommandLine({"--run", "p.ql"}).records.isAll());
}

TEST(CommandLine, JobsIsACountOfWritersForARun)
{
    const struct {
        std::vector<std::string> args;
        Command command;
        unsigned jobs;
    } cases[] = {
        {{"--run", "p.ql"}, Command::Run, 1},
        {{"--run", "--jobs", "2", "p.ql"}, Command::Run, 2},
        {{"p.ql", "--jobs=0", "--run"}, Command::Run, 0},
        {{"--run", "--jobs", "256", "p.ql"}, Command::Run, 256},
        {{"--run", "--jobs", "257", "p.ql"}, Command::UsageError, 0},
        {{"--run", "--jobs", "-1", "p.ql"}, Command::UsageError, 0},
        {{"--run", "--jobs", "two", "p.ql"}, Command::UsageError, 0},
        {{"--run", "--jobs", "1.5", "p.ql"}, Command::UsageError, 0},
        {{"--run", "--jobs", "p.ql"}, Command::UsageError, 0},
        {{"--dry-run", "--jobs", "2", "p.ql"}, Command::UsageError, 0},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.args);
        EXPECT_EQ(parsed.command, c.command) << testing::PrintToString(c.args);
        if (c.command != Command::UsageError) {
            EXPECT_EQ(parsed.jobs, c.jobs) << testing::PrintToString(c.args);
        }
    }
}

// Each rule of what goes together says what is wrong in its own words, whichever part of the
// command line checks it.
TEST(CommandLine, UsageErrorsSayWhatGoesTogether)
{
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--run", "--check", "p.ql"}, "--run, --check, --dry-run and --merge-report cannot be combined"},
        {{"--dry-run", "--merge-report", "--output", "o", "m"},
         "--run, --check, --dry-run and --merge-report cannot be combined"},
        {{"--merge-report", "m"}, "--merge-report needs --output DIR and the manifests"},
        {{"--merge-report", "--output", "o"}, "--merge-report needs --output DIR and the manifests"},
        {{"--merge-report", "--output", "o", "--quiet", "m"},
         "--merge-report takes only --output, --format and the manifests"},
        {{"--check", "--open-report", "p.ql"}, "--open-report goes with --run"},
        {{"--quiet", "p.ql"}, "--quiet goes with --run, --check or --dry-run"},
        {{"--dry-run", "--jobs", "2", "p.ql"}, "--jobs goes with --run"},
        {{"--run", "--jobs", "-1", "p.ql"},
         "--jobs wants 0 (one per core) or a number of threads from 1 to 256, not -1"},
        {{"--check", "--manifest", "m", "p.ql"}, "--manifest goes with --run or --dry-run"},
        {{"--run", "--manifest", "", "p.ql"}, "--manifest wants a file name"},
        {{"--check", "--archive", "a", "p.ql"}, "--archive goes with --run or --dry-run"},
        {{"--run", "--open-report", "--archive", "-", "p.ql"},
         "--open-report goes with a run into a folder, not --archive"},
        {{"--run", "--archive", "out.7z", "p.ql"},
         "--archive wants a name ending in .tar, .tar.gz, .tgz, .tar.xz, .tar.zst or .zip, not \"out.7z\""},
        {{"--run", "--archive", "out.tar", "--output", "o", "p.ql"},
         "--output and --archive cannot be combined: the archive takes the files"},
        {{"--run", "--archive", "out.tar", "--archive-format", "zip", "p.ql"},
         "--archive-format goes with --archive -; a file's extension names its format"},
        {{"--run", "--archive-format", "zip", "p.ql"}, "--archive-format goes with --archive -"},
        {{"--run", "--archive", "-", "--archive-format", "rar", "p.ql"},
         "--archive-format wants tar, tar.gz, tar.xz, tar.zst or zip, not \"rar\""},
        {{"--run", "--format", "xml", "p.ql"}, "--format wants text, json or jsonl, not \"xml\""},
        {{"--run", "--records", "5-2", "p.ql"}, "--records wants A-B with 1 <= A <= B, not \"5-2\""},
        {{"--run", "--shard", "3/2", "p.ql"}, "--shard wants K/N with 1 <= K <= N, not \"3/2\""},
        {{"--run", "--shard", "1/2", "--records", "3", "p.ql"}, "--shard and --records cannot be combined"},
        {{"--check", "--output", "x", "p.ql"}, "--output goes with --run or --dry-run"},
        {{"--run", "--data", "", "p.ql"}, "--data wants a file name or -"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.args);
        EXPECT_EQ(parsed.command, Command::UsageError) << testing::PrintToString(c.args);
        EXPECT_EQ(parsed.text, "stencilor: " + c.message + "\nRun 'stencilor --help' for the usage.")
            << testing::PrintToString(c.args);
    }
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome headless(const std::vector<std::string>& args, const std::string& programFolder = "/nonexistent/")
{
    std::ostringstream out, err;
    const int status = runHeadless(parseCommandLine(args), programFolder, out, err);
    return {status, out.str(), err.str()};
}

TEST(CommandLine, MissingProjectDoesNotStart)
{
    test::TempDir dir;
    for (const char* option : {"--run", "--check", "--dry-run"}) {
        const Outcome outcome = headless({option, dir.file("none.ql")});
        EXPECT_EQ(outcome.status, kExitNotStarted) << option;
        EXPECT_EQ(outcome.err, "Cannot open file \"" + dir.file("none.ql") + "\". No such file or directory\n")
            << option;
    }
}

TEST(CommandLine, CheckPrintsFieldCountSampleAndWidestLine)
{
    test::TempDir dir;
    dir.write("d.csv", "\n  \nName;City\nAnn;Oslo;12\n");
    dir.write("p.ql", "[setup]\ntextfile=d.csv\n");
    const Outcome outcome = headless({"--check", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitOk);
    EXPECT_EQ(outcome.out, "fields: 3\nsample: Name;City\nwidest: Ann;Oslo;12\n");

    const std::string note(1000, 'n');
    dir.write("d.csv", "Name;City\nAnn;Oslo;" + note + "\n");
    EXPECT_EQ(headless({"--check", dir.file("p.ql")}).out,
              "fields: 3\nsample: Name;City\nwidest: Ann;Oslo;" + note.substr(0, 491) + "... (1009 bytes)\n");
}

// A data file that is missing or is no regular file stops each command before it reads or writes
// anything, with a message that names the file; the previous report stays.
TEST(CommandLine, DataFileThatCannotBeReadStopsBeforeAnything)
{
    test::TempDir dir;
    dir.write("t.txt", "Hello %N%");
    dir.write("out/report.html", "previous");
    dir.write("p.ql", "[setup]\ntextfile=d.csv\ntemplatefile=t.txt\noutputdir=" + dir.file("out") + "\nreport=1\n");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const struct {
        const char* command;
        std::string data, message;
    } cases[] = {
        {"--run", "fifo", "\"" + dir.file("fifo") + "\". Not a regular file"},
        {"--dry-run", "fifo", "\"" + dir.file("fifo") + "\". Not a regular file"},
        {"--check", "fifo", "\"" + dir.file("fifo") + "\". Not a regular file"},
        {"--run", "none.csv", "there is no file \"" + dir.file("none.csv") + "\""},
        {"--dry-run", "none.csv", "there is no file \"" + dir.file("none.csv") + "\""},
        {"--check", "none.csv", "\"" + dir.file("none.csv") + "\". No such file or directory"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = headless({c.command, "--data", dir.file(c.data), dir.file("p.ql")});
        EXPECT_EQ(outcome.status, kExitNotStarted) << c.command << ' ' << c.data;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << c.command << ' ' << outcome.err;
        EXPECT_EQ(outcome.out, "") << c.command << ' ' << c.data;
        EXPECT_EQ(dir.read("out/report.html"), "previous") << c.command << ' ' << c.data;
    }
}

TEST(CommandLine, RunReportsStatusAndSummary)
{
    test::TempDir dir;
    dir.write("d.csv", "Ann\nBob\n\n");
    dir.write("t.txt", "Hello %N%");
    const std::string project = "[setup]\ntextfile=d.csv\ntemplatefile=t.txt\noutputdir=" + dir.file("out") +
                                "\nnameFromFld=1\nFileNameFld=Field 1\nAddExt=1\nedExt=*.txt\nrulesCount=2\n"
                                "[rules]\nColFld1=Field 1\nColTemp1=%N%\n";
    dir.write("p.ql", project);
    Outcome outcome = headless({"--run", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(dir.read("out/Bob.txt"), "Hello Bob\r\n");
    EXPECT_TRUE(outcome.err.starts_with("2 files written, 1 record skipped (1 without a name), ")) << outcome.err;

    outcome = headless({"--run", "--quiet", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitOk);
    EXPECT_EQ(outcome.err, "");

    std::filesystem::remove_all(dir.file("out"));
    outcome = headless({"--run", "--records", "2-3", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/Ann.txt")));
    EXPECT_EQ(dir.read("out/Bob.txt"), "Hello Bob\r\n");
    EXPECT_TRUE(outcome.err.starts_with("1 file written, 1 record skipped (1 without a name), ")) << outcome.err;

    dir.write("bad.ql", "[setup]\ndelim=\"\"\n");
    outcome = headless({"--run", dir.file("bad.ql")});
    EXPECT_EQ(outcome.status, kExitNotStarted);
    EXPECT_EQ(outcome.err, "Please select field delimiter!\n");
}

// The files under `folder`, by their path in it, with their content.
std::map<std::string, std::string> filesUnder(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[std::filesystem::relative(entry.path(), folder).string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

TEST(CommandLine, AWorkbookRunWritesWhatItsSheetExportedByTheOfficeSuiteWrites)
{
    test::TempDir dir;
    std::string template_;
    std::string rules;
    for (int n = 1; n <= 9; ++n) {
        template_ += "[%" + std::to_string(n) + "%]\n";
        rules += "ColFld" + std::to_string(n) + "=Field " + std::to_string(n) + "\nColTemp" + std::to_string(n) + "=%" +
                 std::to_string(n) + "%\n";
    }
    dir.write("t.txt", template_);
    const auto project = [&](const std::string& data, const std::string& keys, const std::string& out) {
        return dir.write(out + ".ql", "[setup]\ntextfile=" + data + "\ntemplatefile=t.txt\noutputdir=" + out +
                                          "\nnameFromTemp=1\nedTemp=row-?.txt\nreport=1\nreport_fld=FileName;Field "
                                          "1;Field 2;\nheader=1\n" +
                                          keys + "rulesCount=10\n[rules]\n" + rules);
    };
    const std::string office = STENCILOR_OFFICE_FIXTURES;
    const struct {
        std::string workbook, sheetKey, exported;
    } cases[] = {
        {"people.xlsx", "", "people.xlsx.sheet1.csv"},
        {"people.ods", "", "people.ods.sheet1.csv"},
        {"people.xlsx", "sheet=Second sheet\n", "people.xlsx.sheet2.csv"},
        {"people.ods", "sheet=Second sheet\n", "people.ods.sheet2.csv"},
    };
    for (const auto& c : cases) {
        const std::string label = c.workbook + " " + c.sheetKey;
        std::filesystem::remove_all(dir.file("sheet"));
        std::filesystem::remove_all(dir.file("csv"));
        std::filesystem::remove_all(dir.file("parts"));
        const Outcome fromCsv =
            headless({"--run", project(office + "/" + c.exported, "delim=,\nquotes=1\n", "csv"), "--quiet"});
        ASSERT_EQ(fromCsv.status, kExitOk) << fromCsv.err;
        // The project's delimiter, quotes and encoding do not apply to a workbook.
        const std::string sheetProject =
            project(office + "/" + c.workbook, c.sheetKey + "delim=;\nencoding=windows-1251\n", "sheet");
        const Outcome fromSheet = headless({"--run", sheetProject, "--quiet"});
        ASSERT_EQ(fromSheet.status, kExitOk) << label << fromSheet.err;
        EXPECT_EQ(filesUnder(dir.file("sheet")), filesUnder(dir.file("csv"))) << label;
        // The parts of a sharded job write the sheet's files between them, each once.
        const std::string parts = project(office + "/" + c.workbook, c.sheetKey, "parts");
        for (const char* part : {"1/3", "2/3", "3/3"})
            ASSERT_EQ(headless({"--run", parts, "--quiet", "--shard", part}).status, kExitOk) << label << part;
        std::map<std::string, std::string> written = filesUnder(dir.file("parts"));
        std::map<std::string, std::string> whole = filesUnder(dir.file("sheet"));
        std::erase_if(written, [](const auto& file) { return !file.first.starts_with("row-"); });
        std::erase_if(whole, [](const auto& file) { return !file.first.starts_with("row-"); });
        EXPECT_EQ(written, whole) << label;
    }
}

TEST(CommandLine, AWorkbookIsCheckedByItsSheetAndASheetItLacksStopsEveryCommand)
{
    test::TempDir dir;
    const std::string workbook = std::string(STENCILOR_OFFICE_FIXTURES) + "/people.xlsx";
    dir.write("t.txt", "%1%");
    const std::string setup = "[setup]\ntextfile=" + workbook + "\ntemplatefile=t.txt\noutputdir=" + dir.file("out") +
                              "\nrulesCount=2\n[rules]\nColFld1=Field 1\nColTemp1=%1%\n";
    const Outcome checked = headless({"--check", dir.write("p.ql", setup)});
    EXPECT_EQ(checked.status, kExitOk);
    EXPECT_EQ(checked.out, "fields: 9\nsample: Name,Born,Starts,Share,Price,Amount,Member,Total,Note\n"
                           "widest: Name,Born,Starts,Share,Price,Amount,Member,Total,Note\nsheet: People\n");
    const std::string lacking = dir.write("q.ql", "[setup]\nsheet=Prices\n" + setup.substr(8));
    for (const char* command : {"--run", "--check", "--dry-run"}) {
        const Outcome outcome = headless({command, lacking});
        EXPECT_EQ(outcome.status, kExitNotStarted) << command;
        EXPECT_EQ(outcome.err, "Sheet \"Prices\" not found in the data file\n") << command;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST(CommandLine, DryRunListsFindingsAndWritesNothing)
{
    test::TempDir dir;
    dir.write("d.csv", "Ann;1\nann;2\n;3\n");
    dir.write("t.txt", "Hello %N%");
    const std::string setup = "[setup]\ntextfile=d.csv\ntemplatefile=t.txt\noutputdir=" + dir.file("out") +
                              "\nnameFromFld=1\nFileNameFld=Field 1\nrulesCount=2\n[rules]\nColFld1=Field 1\nColTemp1=";
    dir.write("p.ql", setup + "%N%\n");
    Outcome outcome = headless({"--dry-run", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitFindings) << outcome.err;
    EXPECT_EQ(outcome.out, "line  finding                  name  detail\n"
                           "   2  same name ignoring case  ann   differs only in letter case from line 1 (\"Ann\"); "
                           "a case-insensitive disk would merge them\n"
                           "   3  no name                  -     the name field 1 is empty\n"
                           "3 records checked, 2 findings\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));

    outcome = headless({"--dry-run", "--records", "3", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitFindings);
    EXPECT_EQ(outcome.out, "line  finding  name  detail\n"
                           "   3  no name  -     the name field 1 is empty\n"
                           "1 record checked, 1 finding\n");

    dir.write("d.csv", "Ann;1\nBob;2\n");
    outcome = headless({"--dry-run", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, "2 records checked, 0 findings\n");

    dir.write("p.ql", "[setup]\ntextfile=d.csv\ntemplatefile=none.txt\n");
    outcome = headless({"--dry-run", dir.file("p.ql")});
    EXPECT_EQ(outcome.status, kExitNotStarted);
    EXPECT_EQ(outcome.err,
              "\nTemplate file is empty or not defined: there is no file \"" + dir.file("none.txt") + "\"\n");
}

} // namespace
} // namespace stencilor
