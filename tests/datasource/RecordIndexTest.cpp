// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/RecordIndex.h"

#include "TestUtil.h"
#include "datasource/workbook/WorkbookFiles.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

struct IndexCase {
    const char* name;
    std::string content;
    std::string delim = ";";
    bool quotes = false;
    std::string encoding = {};
};

// The records of `path` as a run reads them.
std::vector<std::string> runRecords(const std::string& path, const DataFormat& format)
{
    auto input = DataInput::open(path, DataInput::Options{format.quotes, format.delim, format.encoding, 4096, false,
                                                          kMaxRecordBytes, format.sheet});
    EXPECT_TRUE(input);
    std::vector<std::string> texts;
    DataRecord record;
    while (input && input.value()->next(record).value())
        texts.emplace_back(record.text);
    return texts;
}

// Every record read again through the index, found a few records at a time (so that each call
// goes on where the last one stopped), as the run reads it: line ends of every kind, records
// spanning lines, decoded text, a workbook's rows.
TEST(RecordIndex, ReadsEveryRecordAgainAsTheRunReadsIt)
{
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("a\0;\0b\0\n\0c\0;\0\xE4\0\r\0\n\0", 18);
    const std::vector<IndexCase> cases = {
        {"line feeds", "a;b\nc;d\n\ne;f"},
        {"CR LF and CR", "a;b\r\nc;d\re;f\r\n"},
        {"quoted records over lines", "1,\"x\r\ny\"\r\n2,\"q\"\"\"\r\n3,\"z\n", ",", true},
        {"windows-1251", "1;\xCC\xEE\xF1\xEA\xE2\xE0\n2;\xCA\xE8\xE5\xE2\n", ";", false, "windows-1251"},
        {"UTF-16 with its mark", utf16, ";", false, "auto"},
        {"a NUL byte ends the text", std::string("a;b\nc\0d\ne", 9)},
        {
            "workbook",
            test::odsOf("<table:table table:name=\"s\"><table:table-row><table:table-cell "
                        "office:value-type=\"string\"><text:p>x;y</text:p></table:table-cell>"
                        "</table:table-row><table:table-row/><table:table-row><table:table-cell "
                        "office:value-type=\"string\"><text:p>z</text:p></table:table-cell>"
                        "</table:table-row></table:table>"),
        },
    };
    for (const IndexCase& c : cases) {
        test::TempDir dir;
        const std::string path = dir.write("data", c.content);
        DataFormat format;
        format.delim = c.delim;
        format.quotes = c.quotes;
        format.encoding = c.encoding;
        const std::vector<std::string> expected = runRecords(path, format);
        auto index = RecordIndex::open(path, format);
        ASSERT_TRUE(index) << c.name;
        std::vector<std::uint64_t> starts;
        for (bool ended = false; !ended;) {
            const Result<bool> got = index.value()->index(starts, 2);
            ASSERT_TRUE(got) << c.name;
            ended = got.value();
        }
        EXPECT_EQ(index.value()->position(), index.value()->size()) << c.name;
        std::vector<std::string> read;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const bool next = i + 1 < starts.size();
            read.push_back(
                index.value()->record(starts[i], next ? starts[i + 1] : index.value()->textEnd(), next).value());
        }
        EXPECT_EQ(read, expected) << c.name;
    }
}

TEST(RecordIndex, ShowsAtMostTheLimitOfARecordAndStopsWhenAsked)
{
    test::TempDir dir;
    const std::string path = dir.write("data", std::string(5000, 'x') + "\nshort\n");
    auto index = RecordIndex::open(path, {});
    ASSERT_TRUE(index);
    std::vector<std::uint64_t> starts;
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(index.value()->index(starts, 10, &stop).value());
    EXPECT_TRUE(starts.empty());
    EXPECT_TRUE(index.value()->index(starts, 10).value());
    ASSERT_EQ(starts.size(), 2U);
    EXPECT_EQ(index.value()->record(starts[0], starts[1], true, 100).value(), std::string(100, 'x'));
    EXPECT_EQ(index.value()->record(starts[1], index.value()->textEnd(), false).value(), "short");
}

} // namespace
} // namespace stencilor
