// SPDX-License-Identifier: GPL-3.0-or-later
// The run under faults of the system: a disk that fills up, folders in the way of the output,
// inputs that go away while the run is under way. Whatever happens, the files written before
// stay intact, no partial file is left, and the failure is reported with the system's reason.

#include "FaultInjection.h"
#include "RecordingHost.h"
#include "TestUtil.h"
#include "generation/GenerationRun.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using test::RecordingHost;

class RunFaultTest : public testing::Test {
protected:
    RunFaultTest()
    {
        host.setJobIn(dir);
        host.settings.rules.rule(0) = Rule{"Field 1", "%V%"};
        host.settings.report = true;
        host.settings.report_fld = "FileName;";
    }

    RunSummary run()
    {
        GenerationRun generation(host);
        generation.setJobs(jobs);
        return generation.run();
    }

    // Every regular file under the output folder, by relative path, with its contents.
    std::map<std::string, std::string> outputFiles() const { return test::filesUnder(dir, "out"); }

    test::TempDir dir;
    RecordingHost host;
    unsigned jobs = 1;
};

// The faults with one writer and with two: the outcome is the same, but for files of later
// records that were in the writers' hands when a write failed.
class RunFaultJobsTest : public RunFaultTest, public testing::WithParamInterface<unsigned> {
protected:
    RunFaultJobsTest() { jobs = GetParam(); }
};
INSTANTIATE_TEST_SUITE_P(Jobs, RunFaultJobsTest, testing::Values(1u, 2u));

TEST_P(RunFaultJobsTest, ADiskThatFillsUpEndsTheRunAndLeavesOnlyCompleteFiles)
{
    // Records 1-3 fit under the limit; record 4 does not, as on a disk that fills up mid-run.
    const std::string small(1000, 's'), big(6000, 'b');
    dir.write("data.csv", small + "1\n" + small + "2\n" + small + "3\n" + big + "\n" + small + "5\n");
    dir.write("t.txt", "<%V%>");
    host.settings.report = false;
    RunSummary summary;
    {
        test::FileSizeLimit limit(4096);
        if (!limit.active())
            GTEST_SKIP() << "cannot limit the file size";
        summary = run();
    }
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_EQ(summary.filesWritten, 3u);
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"Cannot create file \"" + dir.file("out/f4.txt") + "\". File too large"});
    std::map<std::string, std::string> files = outputFiles();
    // With two writers the record after the failing one may have been in hand, and written whole.
    if (jobs > 1 && files.count("f5.txt") > 0) {
        EXPECT_EQ(files["f5.txt"], "<" + small + "5>\r\n");
        files.erase("f5.txt");
    }
    EXPECT_EQ(files, (std::map<std::string, std::string>{{"f1.txt", "<" + small + "1>\r\n"},
                                                         {"f2.txt", "<" + small + "2>\r\n"},
                                                         {"f3.txt", "<" + small + "3>\r\n"}}));
}

TEST_P(RunFaultJobsTest, AFullDiskAtTheReportIsReportedBeforeTheRunsOwnError)
{
    // The report of the files written so far is bigger than the limit too: both writes fail,
    // neither leaves a partial file, and the report's error comes first, as the end of the run
    // comes before the error that broke it off.
    std::string data;
    for (int i = 0; i < 40; ++i)
        data += std::string(100, 'r') + std::to_string(i) + "\n";
    data += std::string(5000, 'x') + "\n";
    dir.write("data.csv", data);
    dir.write("t.txt", "%V%");
    host.settings.report_fld = "FileName;Field 1;Field 1;";
    RunSummary summary;
    {
        test::FileSizeLimit limit(4096);
        if (!limit.active())
            GTEST_SKIP() << "cannot limit the file size";
        summary = run();
    }
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_TRUE(summary.reportFailed);
    EXPECT_EQ(summary.filesWritten, 40u);
    EXPECT_EQ(host.errors, (std::vector<std::string>{
                               "Cannot create file \"" + dir.file("out/report.html") + "\". File too large",
                               "Cannot create file \"" + dir.file("out/f41.txt") + "\". File too large",
                           }));
    EXPECT_TRUE(host.opened.empty());
    const auto files = outputFiles();
    EXPECT_EQ(files.size(), 40u);
    EXPECT_EQ(files.count("report.html"), 0u);
    EXPECT_EQ(files.count("f41.txt"), 0u);
    EXPECT_EQ(files.at("f40.txt"), std::string(100, 'r') + "39\r\n");
}

TEST_P(RunFaultJobsTest, AFileInTheWayOfAFolderPassesTheRecordsOverAndStaysIntact)
{
    const struct {
        const char* name;
        std::string outputdir; // relative to the test folder
        std::string blocker;   // a file standing where a folder must go
        std::map<std::string, std::string> files;
        std::uint64_t skipped;
    } cases[] = {
        {"the output folder is a file", "out", "out", {}, 3},
        {"a parent of the output folder is a file", "out/deeper", "out", {}, 3},
        {"a subfolder name is a file", "out", "out/b", {{"out/a/x1.txt", "1\r\n"}, {"out/c/d/x3.txt", "3\r\n"}}, 1},
        {"a parent of a subfolder is a file",
         "out",
         "out/c",
         {{"out/a/x1.txt", "1\r\n"}, {"out/b/x2.txt", "2\r\n"}},
         1},
    };
    const ProjectSettings base = host.settings;
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host = RecordingHost{};
        host.settings = base;
        host.setJobIn(caseDir);
        host.settings.report = false;
        host.settings.outputdir = caseDir.file(c.outputdir);
        host.settings.edTemp = "x?.txt";
        host.settings.CopyDirFld = true;
        host.settings.directoryFile = "Field 2";
        caseDir.write("data.csv", "1;a\n2;b\n3;c/d\n");
        caseDir.write("t.txt", "%V%");
        caseDir.write(c.blocker, "keep me");
        const RunSummary summary = run();
        EXPECT_EQ(summary.outcome, RunOutcome::Completed) << c.name;
        EXPECT_EQ(summary.skippedFor(Refusal::FolderFailed), c.skipped) << c.name;
        EXPECT_EQ(caseDir.read(c.blocker), "keep me") << c.name;
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(caseDir.path())) {
            const std::string relative = std::filesystem::relative(entry.path(), caseDir.path()).string();
            if (entry.is_regular_file() && relative != c.blocker && relative != "data.csv" && relative != "t.txt")
                files[relative] = caseDir.read(relative);
        }
        EXPECT_EQ(files, c.files) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST_P(RunFaultJobsTest, ADataFileRemovedOnceTheRunStartedIsReadThroughItsOpenFile)
{
    dir.write("data.csv", "a\nb\n");
    dir.write("t.txt", "x");
    // The data file is open (and counted) before the output is touched.
    host.onRunState = [this](bool running) {
        if (running)
            std::filesystem::remove(dir.file("data.csv"));
    };
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Completed);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(summary.filesWritten, 2u);
}

TEST_P(RunFaultJobsTest, AnInputThatGoesAwayMidRunKeepsTheFilesWrittenBefore)
{
    const struct {
        const char* name;
        std::function<void(const test::TempDir&)> fault;
        std::string error;
    } cases[] = {
        {"template deleted", [](const test::TempDir& d) { std::filesystem::remove(d.file("t.txt")); },
         "\". No such file or directory"},
        {"template replaced by a folder",
         [](const test::TempDir& d) {
             std::filesystem::remove(d.file("t.txt"));
             std::filesystem::create_directory(d.file("t.txt"));
         },
         "\". Is a directory"},
    };
    const ProjectSettings base = host.settings;
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host = RecordingHost{};
        host.settings = base;
        host.setJobIn(caseDir);
        caseDir.write("data.csv", "a\nb\nc\nd\n");
        caseDir.write("t.txt", "[%V%]");
        host.onEvents = [&](int events) {
            if (events == 2)
                c.fault(caseDir);
        };
        const RunSummary summary = run();
        EXPECT_EQ(summary.outcome, RunOutcome::Failed) << c.name;
        EXPECT_EQ(summary.filesWritten, 2u) << c.name;
        EXPECT_EQ(host.errors, std::vector<std::string>{"Cannot open file \"" + caseDir.file("t.txt") + c.error})
            << c.name;
        EXPECT_EQ(caseDir.read("out/f1.txt"), "[a]\r\n") << c.name;
        EXPECT_EQ(caseDir.read("out/f2.txt"), "[b]\r\n") << c.name;
        EXPECT_FALSE(std::filesystem::exists(caseDir.file("out/f3.txt"))) << c.name;
        const std::string report = caseDir.read("out/report.html");
        EXPECT_NE(report.find("f2.txt"), std::string::npos) << c.name;
        EXPECT_TRUE(report.ends_with("  </TABLE>\r\n</HTML>\r\n")) << c.name;
    }
}

TEST_F(RunFaultTest, ASubfolderMovedAwayDuringTheRunEndsItWithAnError)
{
    // The files after the move follow the folder until its next check; the run does not report
    // success either way.
    dir.write("data.csv", "1;x\n2;x\n3;x\n4;x\n");
    dir.write("t.txt", "%V%");
    host.settings.CopyDirFld = true;
    host.settings.directoryFile = "Field 2";
    std::filesystem::create_directory(dir.file("outside"));
    host.onEvents = [this](int events) {
        if (events == 2)
            std::filesystem::rename(dir.file("out/x"), dir.file("outside/moved"));
    };
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_EQ(host.errors, std::vector<std::string>{"The folder \"" + dir.file("out/x") +
                                                    "\" was moved or replaced during the run"});
}

TEST_F(RunFaultTest, ATemplateEditedMidRunIsReadAgainWhateverItsSize)
{
    // Small templates and big ones (over a megabyte) are checked for changes in different ways;
    // an edit that keeps the size, or that changes only the line ends, must be seen by both.
    for (const std::size_t size : {std::size_t{10}, std::size_t{3} << 20}) {
        test::TempDir caseDir;
        host = RecordingHost{};
        host.setJobIn(caseDir);
        host.settings.rules.rule(0) = Rule{"Field 1", "%V%"};
        const std::string filler(size, '.');
        caseDir.write("data.csv", "a\nb\nc\n");
        caseDir.write("t.txt", filler + "[%V%]\n");
        host.onEvents = [&](int events) {
            if (events == 1)
                caseDir.write("t.txt", filler + "(%V%)\n"); // same size, other bytes
            if (events == 2)
                caseDir.write("t.txt", filler + "(%V%)\r\n"); // the same text with CR LF
        };
        GenerationRun generation(host);
        EXPECT_EQ(generation.run().outcome, RunOutcome::Completed) << size;
        EXPECT_EQ(caseDir.read("out/f1.txt"), filler + "[a]\r\n") << size;
        EXPECT_EQ(caseDir.read("out/f2.txt"), filler + "(b)\r\n") << size;
        EXPECT_EQ(caseDir.read("out/f3.txt"), filler + "(c)\r\n") << size;
    }
}

} // namespace
} // namespace stencilor
