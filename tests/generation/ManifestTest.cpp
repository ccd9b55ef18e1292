#include "generation/Manifest.h"

#include "TestUtil.h"
#include "generation/ContentReport.h"
#include "platform/Messages.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace stencilor {
namespace {

constexpr const char* kColumns = "FileName;Field 1;";

// A part of a job over records [first, next): every record written with a report row, but
// record 3, which is skipped without a name.
void writePart(const std::string& path, std::uint64_t part, std::uint64_t parts, std::uint64_t first,
               std::uint64_t next, bool complete = true, bool report = true, std::uint64_t dataBytes = 100)
{
    ManifestWriter writer;
    ASSERT_TRUE(writer.open(path, {part, parts, "p.ql", dataBytes, report, kColumns}));
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
            line.cells = {"      <TD> <a href=\"" + line.name + "\">" + line.name + "</a> </TD>",
                          "<TD>v\xFC" + std::to_string(record) + "</TD>",
                          "",
                          "",
                          "",
                          ""};
        }
        ASSERT_TRUE(writer.add(line));
    }
    if (complete) {
        ASSERT_TRUE(writer.finish(first, next, true, part == parts));
    }
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
        report.addRowCells({"      <TD> <a href=\"" + name + "\">" + name + "</a> </TD>",
                            "<TD>v\xFC" + std::to_string(record) + "</TD>", "", "", "", ""});
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
         "part 1/2 is given twice: \"DIR/1\" and \"DIR/1b\""},
        {"a foreign manifest",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 2, 1, 3);
             writePart(d.file("2"), 2, 2, 3, 6, true, true, 999);
             return std::vector<std::string>{d.file("1"), d.file("2")};
         },
         "\"DIR/2\" belongs to another job than \"DIR/1\""},
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
        {"a job without a report",
         [](const test::TempDir& d) {
             writePart(d.file("1"), 1, 1, 1, 6, true, false);
             return std::vector<std::string>{d.file("1")};
         },
         "the job wrote no report (its report is off)"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const Status merged = mergeReport(c.make(dir), dir.file("out"));
        ASSERT_FALSE(merged) << c.what;
        std::string message = c.message;
        for (std::size_t at = message.find("DIR"); at != std::string::npos; at = message.find("DIR"))
            message.replace(at, 3, dir.path());
        EXPECT_EQ(errorText(merged.error()), message) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out"))) << c.what;
    }
}

} // namespace
} // namespace stencilor
