// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/Manifest.h"

#include "TestUtil.h"
#include "generation/ContentReport.h"
#include "platform/Messages.h"
#include "platform/OutputTree.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace stencilor {
namespace {

constexpr const char* kColumns = "FileName;Field 1;";

// A part of a job over records [first, next): every record written with a report row, but
// record 3, which is skipped without a name. `alter` changes its job line.
void writePart(const std::string& path, std::uint64_t part, std::uint64_t parts, std::uint64_t first,
               std::uint64_t next, bool complete = true, bool report = true,
               const std::function<void(ManifestJob&)>& alter = {})
{
    ManifestWriter writer;
    ASSERT_TRUE(writer.open(path));
    ManifestJob job;
    job.part = part;
    job.parts = parts;
    job.project = "p.ql";
    job.dataBytes = 100;
    job.report = report;
    job.reportFld = kColumns;
    job.dataModified = "2026-12-10T11:58:40.000000000Z";
    job.dataHash = "00000000000000d1";
    job.templateHash = "00000000000000e1";
    job.projectHash = "00000000000000f1";
    if (alter)
        alter(job);
    ASSERT_TRUE(writer.start(job));
    for (std::uint64_t record = first; record < next; ++record) {
        ManifestRecord line;
        line.record = record;
        line.line = record;
        line.name = std::string("r").append(std::to_string(record)).append(".htm");
        line.bytes = 10;
        if (record == 3) {
            line.name.clear();
            line.status = ManifestRecord::Status::Skipped;
            line.reason = "no name";
        } else if (report) {
            line.reportRow = true;
            line.values = {"v\xFC" + std::to_string(record)};
        }
        ASSERT_TRUE(writer.add(line));
    }
    if (complete) {
        ASSERT_TRUE(writer.finish(first, next, true, part == parts));
    }
}

// The merge's problems as the command line prints them, one per line, with DIR for `dir`.
std::string problemLines(const MergeResult& merged, const test::TempDir& dir)
{
    std::string lines;
    for (const Error& problem : merged.problems)
        lines.append(lines.empty() ? "" : "\n").append(errorText(problem));
    for (std::size_t at = lines.find(dir.path()); at != std::string::npos; at = lines.find(dir.path()))
        lines.replace(at, dir.path().size(), "DIR");
    return lines;
}

// The report one run over records 1 to 5 writes.
std::string oneRunReport()
{
    ContentReport report;
    report.start(kColumns);
    for (int record = 1; record <= 5; ++record) {
        if (record == 3)
            continue;
        const std::string name = std::string("r").append(std::to_string(record)).append(".htm");
        report.addRow(kColumns, RecordFields("v\xFC" + std::to_string(record), ";", false), name);
    }
    report.finish();
    return report.text();
}

TEST(Manifest, PartsThatCoverTheJobGiveTheReportOfOneRun)
{
    test::TempDir dir;
    // The order on the command line does not matter; a part without records (more parts than
    // records) is fine too.
    writePart(dir.file("3.jsonl"), 3, 4, 3, 6);
    writePart(dir.file("1.jsonl"), 1, 4, 1, 3);
    writePart(dir.file("2.jsonl"), 2, 4, 3, 3);
    writePart(dir.file("4.jsonl"), 4, 4, 6, 6);
    ASSERT_TRUE(mergeReport({dir.file("3.jsonl"), dir.file("4.jsonl"), dir.file("1.jsonl"), dir.file("2.jsonl")},
                            dir.file("out")));
    EXPECT_EQ(dir.read("out/report.html"), oneRunReport());
}

TEST(Manifest, AMergeThatDoesNotAddUpNamesTheProblemAndWritesNothing)
{
    const struct {
        const char* what;
        std::function<std::vector<std::string>(const test::TempDir&)> make;
        std::string message; // with DIR for the folder
    } cases[] = {
        {"a missing part",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 4);
             return std::vector<std::string>{d.file("1")};
         },
         "part 2/2 is missing"},
        {"a part twice",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 3);
             writePart(d.file("1b"), 1, 2, 1, 3);
             return std::vector<std::string>{d.file("1"), d.file("1b")};
         },
         "part 1/2 is given twice: \"DIR/1\" and \"DIR/1b\"\npart 2/2 is missing"},
        {"a foreign manifest",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 3);
             writePart(d.file("2"), 2, 2, 3, 6, true, true, [](ManifestJob& job) { job.dataBytes = 999; });
             return std::vector<std::string>{d.file("1"), d.file("2")};
         },
         "\"DIR/2\" (part 2/2) is not a manifest of this job: its data_bytes differ from those of \"DIR/1\"\n"
         "part 2/2 is missing"},
        {"a part run over data edited in place, by another version, with another template and project",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 3);
             writePart(d.file("2"), 2, 2, 3, 6, true, true, [](ManifestJob& job) {
                 job.dataModified = "2026-12-10T12:00:01.500000000Z";
                 job.dataHash = "00000000000000d2";
                 job.templateHash = "00000000000000e2";
                 job.projectHash = "00000000000000f2";
                 job.version = "0.0.1";
             });
             return std::vector<std::string>{d.file("1"), d.file("2")};
         },
         "\"DIR/2\" (part 2/2) is not a manifest of this job: its project_hash, data_modified "
         "(2026-12-10T12:00:01.500000000Z against 2026-12-10T11:58:40.000000000Z), data_hash, template_hash, "
         "version differ from those of \"DIR/1\"\n"
         "part 2/2 is missing"},
        {"a manifest of an older version, without the identity of its inputs",
         [](const test::TempDir& d) {
             d.write("old", "{\"stencilor\":\"stencilor manifest\",\"version\":\"1.0.0\",\"part\":1,\"parts\":1,"
                            "\"project\":\"p.ql\",\"data_bytes\":9,\"report\":true,\"report_fld\":\"FileName;\"}\n");
             return std::vector<std::string>{d.file("old")};
         },
         "\"DIR/old\" is not a manifest of a stencilor run"},
        {"not a manifest",
         [](const test::TempDir& d) {
             d.write("x", "id;name\n");
             return std::vector<std::string>{d.file("x")};
         },
         "\"DIR/x\" is not a manifest of a stencilor run"},
        {"a gap",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 3);
             writePart(d.file("2"), 2, 2, 4, 6);
             return std::vector<std::string>{d.file("1"), d.file("2")};
         },
         "records 3-3 are in no manifest (before part 2/2)"},
        {"an overlap",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 4);
             writePart(d.file("2"), 2, 2, 3, 6);
             return std::vector<std::string>{d.file("1"), d.file("2")};
         },
         "records 3-3 are in two manifests (part 2/2 and the one before)"},
        {"a part killed on the way",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 3, false);
             writePart(d.file("2"), 2, 2, 3, 6);
             return std::vector<std::string>{d.file("1"), d.file("2")};
         },
         "part 1/2 (\"DIR/1\") did not finish; it ends after record 2"},
        {"every broken part at once",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 5, 1, 3);
             writePart(d.file("2"), 2, 5, 3, 4, false);
             writePart(d.file("2b"), 2, 5, 3, 4);
             writePart(d.file("3"), 3, 5, 5, 6);
             writePart(d.file("x"), 4, 9, 5, 6);
             d.write("y", "{}\n");
             return std::vector<std::string>{d.file("1"), d.file("2"), d.file("2b"),
                                             d.file("3"), d.file("x"), d.file("y")};
         },
         "\"DIR/y\" is not a manifest of a stencilor run\n"
         "part 2/5 is given twice: \"DIR/2\" and \"DIR/2b\"\n"
         "\"DIR/x\" (part 4/9) is not a manifest of this job: its parts differ from those of \"DIR/1\"\n"
         "part 2/5 (\"DIR/2\") did not finish; it ends after record 3\n"
         "part 4/5 is missing\n"
         "part 5/5 is missing"},
        {"a job without a report",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 1, 1, 6, true, false);
             return std::vector<std::string>{d.file("1")};
         },
         "the job wrote no report (its report is off)"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const MergeResult merged = mergeReport(c.make(dir), dir.file("out"));
        ASSERT_FALSE(merged) << c.what;
        EXPECT_EQ(problemLines(merged, dir), c.message) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out"))) << c.what;
    }
}

// A one-part job whose manifest has the record line `line` (record 1) between its first and
// closing lines, as a remote worker could write it by hand.
std::string handWritten(const test::TempDir& dir, const std::string& line)
{
    return dir.write("m.jsonl", "{\"stencilor\":\"stencilor manifest\",\"version\":\"1.0.0\",\"part\":1,\"parts\":1,"
                                "\"project\":\"p.ql\",\"data_bytes\":9,\"report\":true,"
                                "\"report_fld\":\"FileName;Field 1;\",\"data_modified\":null,\"data_hash\":\"1\","
                                "\"template_hash\":\"2\",\"project_hash\":null}\n" +
                                    line +
                                    "\n{\"end\":true,\"first\":1,\"next\":2,\"complete\":true,\"data_end\":true}\n");
}

TEST(Manifest, AManifestCarriesValuesThatTheMergeEscapesAsARunDoes)
{
    test::TempDir dir;
    const std::string manifest =
        handWritten(dir, R"j({"record":1,"line":1,"name":"javascript:alert(1)","bytes":1,"status":"written",)j"
                         R"("values":["<script>x</script><iframe src=a>"]})");
    ASSERT_TRUE(mergeReport({manifest}, dir.file("out")));
    ContentReport expected;
    expected.start(kColumns);
    expected.addRow(kColumns, RecordFields("<script>x</script><iframe src=a>", ";", false), "javascript:alert(1)");
    expected.finish();
    const std::string report = dir.read("out/report.html");
    EXPECT_EQ(report, expected.text());
    EXPECT_EQ(report.find("<script"), std::string::npos);
    EXPECT_EQ(report.find("href=\"javascript:"), std::string::npos);
}

TEST(Manifest, AManifestWhoseLinesLeaveTheFolderOrDoNotFitItsColumnsIsRefused)
{
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {R"({"record":1,"line":1,"name":"../../etc/x","bytes":1,"status":"written","values":["v"]})",
         "\"DIR/m.jsonl\" line 2 names a file outside the output folder"},
        {R"({"record":1,"line":1,"name":"/abs","bytes":1,"status":"written","values":["v"]})",
         "\"DIR/m.jsonl\" line 2 names a file outside the output folder"},
        {R"({"record":1,"line":1,"name":"a/./b","bytes":1,"status":"written","values":["v"]})",
         "\"DIR/m.jsonl\" line 2 names a file outside the output folder"},
        {R"({"record":1,"line":1,"name":"a","bytes":1,"status":"written","values":["v","w"]})",
         "\"DIR/m.jsonl\" line 2 does not fit the report columns of its first line"},
        {R"({"record":1,"line":1,"name":"a","bytes":1,"status":"written","values":[1]})",
         "\"DIR/m.jsonl\" line 2 does not fit the report columns of its first line"},
        // The cells of an older manifest are markup: a written record without values is refused.
        {R"({"record":1,"line":1,"name":"a","bytes":1,"status":"written","row":["<TD><script></TD>"]})",
         "\"DIR/m.jsonl\" line 2 does not fit the report columns of its first line"},
        {R"({"record":1,"line":1,"name":null,"bytes":0,"status":"skipped","values":["v"]})",
         "\"DIR/m.jsonl\" line 2 does not fit the report columns of its first line"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const MergeResult merged = mergeReport({handWritten(dir, c.line)}, dir.file("out"));
        ASSERT_FALSE(merged) << c.line;
        EXPECT_EQ(problemLines(merged, dir), c.message) << c.line;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out"))) << c.line;
    }
}

TEST(Manifest, AMergeLocksTheOutputFolderAsARunDoes)
{
    test::TempDir dir;
    writePart(dir.file("1"), 1, 1, 1, 6);
    OutputTree run;
    ASSERT_TRUE(run.open(dir.file("out")));
    const MergeResult merged = mergeReport({dir.file("1")}, dir.file("out"));
    ASSERT_EQ(merged.problems.size(), 1u);
    EXPECT_EQ(merged.problems.front().kind, ErrorKind::FolderInUse);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/report.html")));
}

} // namespace
} // namespace stencilor
