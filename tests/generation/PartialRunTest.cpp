// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingHost.h"
#include "TestUtil.h"
#include "generation/GenerationRun.h"
#include "generation/Manifest.h"
#include "generation/RunInputs.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
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

// The data file is read twice (counted, then taken record by record): one cut short in between
// ends the run with an error that says so, not with a run that looks complete.
TEST(PartialRunTest, ADataFileCutShortDuringTheRunIsAnError)
{
    test::TempDir dir;
    // Records longer than the reader's blocks, so that the cut is seen before the last record.
    std::string data;
    for (char c : std::string("abcd"))
        data.append(std::string(700 << 10, c)).append("\n");
    dir.write("data.csv", data);
    dir.write("t.txt", "[%A%]");
    test::RecordingHost host;
    host.setJobIn(dir);
    host.settings.rules = test::rulesTable({{"Field 1", "%A%"}});
    GenerationRun run(host);
    host.onEvents = [&dir](int events) {
        if (events == 1)
            std::filesystem::resize_file(dir.file("data.csv"), 2);
    };
    const RunSummary summary = run.run();
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    const std::string error = summary.error ? errorText(*summary.error) : std::string();
    EXPECT_NE(error.find("changed during the run"), std::string::npos) << error;
    EXPECT_LT(summary.filesWritten, 4u);
}

// Every file in the folder `name` of `dir` (file name to bytes).
std::map<std::string, std::string> treeOf(const test::TempDir& dir, const std::string& name)
{
    std::map<std::string, std::string> files;
    for (const std::string& file : filesIn(dir.file(name)))
        files[file] = dir.read(name + "/" + file);
    return files;
}

// A job cut into N parts, each run into one folder with its manifest, then the report merged from
// the manifests: the same files (numbered by the record's place in the whole data) and the same
// report as one run, for line ends of every kind, empty lines, a NUL, quoted line breaks and
// fewer records than parts.
TEST(PartialRunTest, TheShardsOfAJobTogetherAreOneRun)
{
    const struct {
        const char* what;
        std::string data;
        bool quotes;
    } cases[] = {
        {"LF", "a\nb\nc\nd\ne\nf\ng\n", false},
        {"CR and CR LF", "a\rb\r\nc\r\r\nd\re", false},
        {"empty lines", "\n\na\n\nb\n\n", false},
        {"NUL ends the text", std::string("a\nb\nc\0d\ne\n", 11), false},
        {"quoted line breaks", "\"a\nb\";1\r\n\"c\"\"\r\nd\";2\nplain;3\n\"e;\n\";4", true},
        {"fewer records than parts", "only\n", false},
    };
    for (const auto& c : cases) {
        for (unsigned parts : {1u, 2u, 3u, 5u}) {
            const std::string what = std::string(c.what) + ", " + std::to_string(parts) + " parts";
            test::TempDir dir;
            dir.write("data.csv", c.data);
            dir.write("t.txt", "[%A%]");
            test::RecordingHost host;
            host.setJobIn(dir);
            host.settings.quotes = c.quotes;
            host.settings.report = true;
            host.settings.report_fld = "FileName;Field 1;";
            host.settings.rules = test::rulesTable({{"Field 1", "%A%"}});
            GenerationRun whole(host);
            ASSERT_EQ(whole.run().outcome, RunOutcome::Completed) << what;
            const auto expected = treeOf(dir, "out");

            host.settings.outputdir = dir.file("parts");
            std::vector<std::string> manifests;
            for (unsigned part = 1; part <= parts; ++part) {
                manifests.push_back(dir.file("part" + std::to_string(part) + ".jsonl"));
                GenerationRun run(host);
                run.setJobs(part % 2 == 0 ? 2 : 1);
                run.setOptions(RunOptions{ShardSpec{part, parts}, manifests.back(), {}});
                ASSERT_EQ(run.run().outcome, RunOutcome::Completed) << what << ", part " << part;
            }
            // A part writes no report (a job of one part is the whole job).
            EXPECT_EQ(std::filesystem::exists(dir.file("parts/report.html")), parts == 1) << what;
            const MergeResult merged = mergeReport(manifests, dir.file("parts"));
            ASSERT_TRUE(merged) << what << ": " << errorText(merged.problems.front());
            EXPECT_EQ(treeOf(dir, "parts"), expected) << what;
        }
    }
}

// A part run after its job's inputs changed is not merged with the parts run before: an edit of
// the data in place at the same size is told by the data's time, or by its bytes when the time
// was put back; the template and the project file by their bytes.
TEST(PartialRunTest, PartsRunOverChangedInputsAreNotMerged)
{
    const auto setTime = [](const std::string& path, std::time_t seconds) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    const struct {
        const char* what;
        std::function<void(const test::TempDir&)> change;
        const char* differs; // the start of what the merge names as differing
    } cases[] = {
        {"data edited in place",
         [&](const test::TempDir& d) {
             d.write("data.csv", "a\nb\nX\nd\n");
             setTime(d.file("data.csv"), 1'000'000'000);
         },
         "data_modified (2001-09-09T01:46:40.000000000Z against 2001-09-09T01:46:39.000000000Z), data_hash"},
        {"data edited, its time put back",
         [&](const test::TempDir& d) {
             d.write("data.csv", "a\nb\nX\nd\n");
             setTime(d.file("data.csv"), 999'999'999);
         },
         "data_hash"},
        {"data touched", [&](const test::TempDir& d) { setTime(d.file("data.csv"), 1'000'000'000); },
         "data_modified (2001-09-09T01:46:40.000000000Z against 2001-09-09T01:46:39.000000000Z)"},
        {"template edited", [](const test::TempDir& d) { d.write("t.txt", "<%A%>"); }, "template_hash"},
        {"project edited", [](const test::TempDir& d) { d.write("job.ql", "[setup]\n"); }, "project_hash"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write("data.csv", "a\nb\nc\nd\n");
        dir.write("t.txt", "[%A%]");
        dir.write("job.ql", "[setup]\nreport=1\n");
        setTime(dir.file("data.csv"), 999'999'999);
        test::RecordingHost host;
        host.setJobIn(dir);
        host.settings.report = true;
        host.settings.report_fld = "FileName;";
        host.settings.rules = test::rulesTable({{"Field 1", "%A%"}});
        const std::vector<std::string> manifests{dir.file("1.jsonl"), dir.file("2.jsonl")};
        for (unsigned part = 1; part <= 2; ++part) {
            if (part == 2)
                c.change(dir);
            GenerationRun run(host);
            run.setOptions(RunOptions{ShardSpec{part, 2}, manifests[part - 1], {}});
            ASSERT_EQ(run.run().outcome, RunOutcome::Completed) << c.what;
        }
        const MergeResult merged = mergeReport(manifests, dir.file("out"));
        ASSERT_FALSE(merged) << c.what;
        EXPECT_EQ(merged.problems.front().kind, ErrorKind::OtherJob) << c.what;
        EXPECT_EQ(merged.problems.front().aspect.rfind(c.differs, 0), 0u)
            << c.what << ": " << merged.problems.front().aspect;
    }
}

// With an encoding the parts are cut by the file's bytes, not the decoded text: half ASCII and
// half Cyrillic records of equal size in the file make parts of equal record counts.
TEST(PartialRunTest, PartsOfAnEncodedFileAreCutByItsBytes)
{
    const std::string ascii = "abcdefg\n", cyrillic = "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\n"; // 8 bytes each
    std::string windows1251, utf16;
    for (int i = 0; i < 4000; ++i)
        windows1251 += i < 2000 ? ascii : cyrillic;
    for (const char c : windows1251) {
        // Each byte as a UTF-16LE unit: the Cyrillic letters of windows-1251 in their own place.
        const auto byte = static_cast<unsigned char>(c);
        const unsigned unit = byte >= 0xC0 ? 0x0410 + (byte - 0xC0) : byte;
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    for (const auto& [encoding, data] :
         {std::pair{std::string("windows-1251"), windows1251}, std::pair{std::string("UTF-16LE"), utf16}}) {
        test::TempDir dir;
        dir.write("data.csv", data);
        ProjectSettings settings;
        settings.encoding = encoding;
        std::uint64_t total = 0;
        for (unsigned part = 1; part <= 4; ++part) {
            auto records = RunRecords::open(dir.file("data.csv"), settings);
            ASSERT_TRUE(records) << encoding;
            const Result<RecordCount> counted = records.value()->count(RecordSelection{{}, ShardSpec{part, 4}, 0});
            ASSERT_TRUE(counted) << encoding;
            // Within 1 % of equal bytes: the records are of equal size in the file.
            EXPECT_NEAR(static_cast<double>(counted.value().taken), 1000.0, 10.0) << encoding << ", part " << part;
            total += counted.value().taken;
        }
        EXPECT_EQ(total, 4000u) << encoding;
    }
}

} // namespace
} // namespace stencilor
