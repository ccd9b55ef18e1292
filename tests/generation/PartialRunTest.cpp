#include "RecordingHost.h"
#include "TestUtil.h"
#include "generation/GenerationRun.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace stencilor {
namespace {

std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().string());
    return names;
}

TEST(PartialRunTest, WritesAndReportsOnlyTheRecordsOfTheRange)
{
    const struct {
        const char* what;
        RecordRange range;
        std::set<std::string> files;
        std::uint64_t recordCount;
        RunOutcome outcome;
        int stopAfterEvents;
    } cases[] = {
        {"all", RecordRange{}, {"f1.txt", "f2.txt", "f3.txt", "f4.txt"}, 4, RunOutcome::Completed, -1},
        {"middle", RecordRange{2, 3}, {"f2.txt", "f3.txt"}, 2, RunOutcome::Completed, -1},
        {"past the end", RecordRange{3, 10}, {"f3.txt", "f4.txt"}, 2, RunOutcome::Completed, -1},
        {"beyond the data", RecordRange{7, 9}, {}, 0, RunOutcome::Completed, -1},
        {"stopped in the range", RecordRange{2, 4}, {"f2.txt"}, 3, RunOutcome::Stopped, 1},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write("data.csv", "a\nb\nc\nd\n");
        dir.write("t.txt", "[%A%]");
        test::RecordingHost host;
        host.setJobIn(dir);
        host.settings.report = true;
        host.settings.report_fld = "Field 1;";
        host.settings.rules = test::rulesTable({{"Field 1", "%A%"}});
        GenerationRun run(host);
        host.onEvents = [&run, stopAfter = c.stopAfterEvents](int events) {
            if (events == stopAfter)
                run.stop();
        };

        const RunSummary summary = run.run(c.range);
        EXPECT_EQ(summary.outcome, c.outcome) << c.what;
        EXPECT_EQ(summary.recordCount, c.recordCount) << c.what;
        EXPECT_EQ(host.lastMaximum, c.recordCount) << c.what;
        std::set<std::string> expected = c.files;
        expected.insert("report.html");
        EXPECT_EQ(filesIn(dir.file("out")), expected) << c.what;
        // The record number of a file is its line's, so f3 holds line 3 whatever the range.
        if (c.files.count("f3.txt")) {
            EXPECT_EQ(dir.read("out/f3.txt"), "[c]\r\n") << c.what;
        }
        // One report row per written file, and no other.
        const std::string report = dir.read("out/report.html");
        std::size_t rows = 0;
        for (std::size_t at = report.find("\r\n<TR>\r\n"); at != std::string::npos;
             at = report.find("\r\n<TR>\r\n", at + 1))
            ++rows;
        EXPECT_EQ(rows, c.files.size()) << c.what;
    }
}

} // namespace
} // namespace stencilor
