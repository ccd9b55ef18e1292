// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/RecordReader.h"

#include "datasource/TextLines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

struct Seen {
    std::string text;
    std::uint64_t number, firstLine, offset;
    bool unclosed = false;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen)
{
    return out << testing::PrintToString(seen.text) << " #" << seen.number << " line " << seen.firstLine << " @"
               << seen.offset << (seen.unclosed ? " unclosed" : "");
}

// Every record of `text` read in blocks of `blockSize` bytes.
std::vector<Seen> readAll(std::string_view text, bool quotes, std::size_t blockSize, std::string delim = ";")
{
    TextSource source(text);
    RecordReader reader(source, {quotes, std::move(delim), blockSize});
    std::vector<Seen> records;
    DataRecord record;
    while (reader.next(record).value())
        records.push_back(
            {std::string(record.text), record.number, record.firstLine, record.offset, record.unclosedQuote});
    return records;
}

const std::size_t kBlockSizes[] = {1, 2, 3, 7, 1 << 20};

// Without quoting a record is a line, exactly as the whole-text line rules give them, whatever
// the block size: CR, LF and CR LF split across blocks, a NUL ending the text, no record for a
// line end at the very end.
TEST(RecordReader, LinesAreRecordsInEveryBlockSize)
{
    const std::string texts[] = {
        "",
        "a",
        "a\n",
        "a\r\nb\r\n",
        "a\rb\nc\r\n\r\n",
        "\n\n",
        "x;y\r",
        "\r\n\r",
        "a\n\nb",
        std::string("ab\0c\nd", 6),
        std::string("\0", 1),
        "long line with ;; delimiters\r\nnext\n",
    };
    for (const std::string& text : texts) {
        std::vector<Seen> expected;
        LineCursor cursor(text);
        std::uint64_t number = 0;
        std::uint64_t offset = 0;
        const std::string_view before = textBeforeNul(text);
        for (std::string_view line; cursor.next(line);) {
            ++number;
            offset = static_cast<std::uint64_t>(line.data() - before.data());
            expected.push_back({std::string(line), number, number, offset});
        }
        for (const std::size_t block : kBlockSizes)
            EXPECT_EQ(readAll(text, false, block), expected)
                << testing::PrintToString(text) << " in blocks of " << block;
    }
}

// A record longer than the bound ends the reading with an error naming it, quoted or not, with a
// line end or at the end of the data; one of just the bound's length is read.
TEST(RecordReader, ARecordLongerThanTheBoundIsAnError)
{
    const struct {
        std::string text;
        bool quotes;
        std::uint64_t goodRecords; // before the error; all of them when none comes
        bool tooLong;
    } cases[] = {
        {"abcd\nefgh\r\nij", false, 3, false}, {"abcd\nefghi\nj\n", false, 1, true}, {"abcd\nefghi", false, 1, true},
        {"a\n\"b\n\"\n", true, 2, false},      {"a\n\"b\ncd\"\nx\n", true, 1, true}, {"\"abcdefgh", true, 0, true},
    };
    for (const auto& c : cases) {
        for (const std::size_t block : kBlockSizes) {
            TextSource source(c.text);
            RecordReader reader(source, {c.quotes, ";", block, 4});
            DataRecord record;
            std::uint64_t good = 0;
            Result<bool> got = true;
            while ((got = reader.next(record)) && got.value())
                ++good;
            EXPECT_EQ(good, c.goodRecords) << testing::PrintToString(c.text) << " in blocks of " << block;
            EXPECT_EQ(!got, c.tooLong) << testing::PrintToString(c.text) << " in blocks of " << block;
            if (!got) {
                EXPECT_EQ(got.error().kind, ErrorKind::RecordTooLong);
                EXPECT_EQ(got.error().numbers[0], good + 1);
            }
        }
    }
}

TEST(RecordReader, QuotedFieldsHoldDelimitersAndLineBreaks)
{
    const struct {
        const char* what;
        std::string text;
        std::vector<Seen> records;
    } cases[] = {
        {"a comma in quotes",
         "1;\"Smith; John\";Oslo\n2;x\n",
         {{"1;\"Smith; John\";Oslo", 1, 1, 0}, {"2;x", 2, 2, 21}}},
        {"a line break in quotes",
         "1;\"two\r\nlines\";z\r\n2;\"a\nb\rc\"\n3",
         {{"1;\"two\r\nlines\";z", 1, 1, 0}, {"2;\"a\nb\rc\"", 2, 3, 18}, {"3", 3, 6, 28}}},
        {"doubled quotes",
         "\"say \"\"hi\"\"\";x\n\"\"\"\";y\n",
         {{"\"say \"\"hi\"\"\";x", 1, 1, 0}, {"\"\"\"\";y", 2, 2, 15}}},
        {"a quote inside a field is plain", "a\"b;c\nd\n", {{"a\"b;c", 1, 1, 0}, {"d", 2, 2, 6}}},
        {"an unclosed quote runs to the end",
         "1;ok\n2;\"open\n3;x\n",
         {{"1;ok", 1, 1, 0}, {"2;\"open\n3;x\n", 2, 2, 5, true}}},
        {"a NUL ends the text, in quotes too", std::string("1;\"a\0b\"\n2\n", 10), {{"1;\"a", 1, 1, 0, true}}},
    };
    for (const auto& c : cases)
        for (const std::size_t block : kBlockSizes)
            EXPECT_EQ(readAll(c.text, true, block), c.records) << c.what << " in blocks of " << block;
    // A delimiter of several characters, split across blocks.
    for (const std::size_t block : kBlockSizes)
        EXPECT_EQ(readAll("a||\"x||\ny\"||b\nc", true, block, "||"),
                  (std::vector<Seen>{{"a||\"x||\ny\"||b", 1, 1, 0}, {"c", 2, 3, 14}}))
            << block;
}

TEST(RecordReader, QuotedFieldsAreSplitAsReadersOfSuchFilesDo)
{
    const struct {
        std::string text, delim;
        std::vector<std::string> fields;
    } cases[] = {
        {"1;\"Smith; John\";Oslo", ";", {"1", "Smith; John", "Oslo"}},
        {"\"say \"\"hi\"\"\";\"\"", ";", {"say \"hi\"", ""}},
        {"\"two\r\nlines\"", ";", {"two\r\nlines"}},
        {"\"a\"b;c", ";", {"ab", "c"}},
        {"a\"b\";c", ";", {"a\"b\"", "c"}},
        {"", ";", {""}},
        {";", ";", {"", ""}},
        {"\"open;x", ";", {"open;x"}},
        {"x||\"y||z\"||", "||", {"x", "y||z", ""}},
    };
    for (const auto& c : cases) {
        std::string scratch;
        std::vector<std::string_view> fields;
        splitQuotedFields(c.text, c.delim, SIZE_MAX, scratch, fields);
        EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), c.fields) << c.text;
        splitQuotedFields(c.text, c.delim, 1, scratch, fields);
        EXPECT_EQ(fields.size(), 1u) << c.text;
    }
}

} // namespace
} // namespace stencilor
