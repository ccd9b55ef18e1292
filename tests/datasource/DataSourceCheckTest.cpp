// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataSourceCheck.h"

#include "TestUtil.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

// The check of `text` as a data file, read in one block.
DataFileState checkText(const std::string& text, std::string_view delim)
{
    const test::TempDir dir;
    return checkDataFile(dir.write("data.csv", text), delim);
}

TEST(DataSourceCheck, FindsSampleLineWidestLineAndFieldCount)
{
    const struct {
        std::string text;
        std::string delim;
        std::string sample;
        std::string widest;
        std::int64_t count;
    } cases[] = {
        {"", ";", "", "", -1},
        {"\r\n \t\r\nName;Age\r\nAnn;7\r\n", ";", "Name;Age", "Name;Age", 2}, // blank first lines
        {"a;b;c\n1;2;3;4\n5;6;7;8\n", ";", "a;b;c", "1;2;3;4", 4},            // header 3, record 4
        {"x;y\nz;w\n", ";", "x;y", "x;y", 2},                                 // the earliest widest line
        {" \n\t\n\x01\x1F", ";", "\x01\x1F", " ", 1},                         // all blank: the last line
        {"\n\n", ";", "", "", 1},                                             // empty lines are lines
        {"\xA0\nv", ";", "\xA0", "\xA0", 1},                                  // bytes above 32 are content
        {"a;;b;c\r1;;2;;3", ";;", "a;;b;c", "1;;2;;3", 3},                    // lone CR, two-byte delimiter
        {"a;b\nlonger;line;here", "", "a;b", "a;b", 1},                       // empty delimiter: one field
        {std::string("x;y\0;z;w\nmore;a;b;c", 19), ";", "x;y", "x;y", 2},     // NUL ends the text
        {"a;b;\n", ";", "a;b;", "a;b;", 3},
    };
    for (const auto& c : cases) {
        const DataFileState state = checkText(c.text, c.delim);
        EXPECT_EQ(state.csvSampleLine, c.sample) << testing::PrintToString(c.text);
        EXPECT_EQ(state.csvWidestLine, c.widest) << testing::PrintToString(c.text);
        EXPECT_EQ(state.csvFieldCount, c.count) << testing::PrintToString(c.text);
    }
}

TEST(DataSourceCheck, FieldCountIsNotCappedButLabelsAre)
{
    std::string line;
    for (int i = 1; i <= 100000; ++i)
        line += (i > 1 ? ";v" : "v") + std::to_string(i);
    const DataFileState state = checkText("short;line\n" + line + "\n", ";");
    EXPECT_EQ(state.csvFieldCount, 100000);
    EXPECT_EQ(state.csvWidestLine, line);

    const struct {
        std::int64_t count;
        std::size_t labels;
        std::string last;
    } cases[] = {
        {-1, 0, ""}, {0, 0, ""}, {1, 1, "Field 1"}, {3, 3, "Field 3"}, {500, 500, "Field 500"}, {600, 500, "Field 500"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> labels = fieldLabels(c.count);
        ASSERT_EQ(labels.size(), c.labels) << c.count;
        if (!labels.empty()) {
            EXPECT_EQ(labels.front(), "Field 1");
            EXPECT_EQ(labels.back(), c.last);
        }
    }
}

TEST(DataSourceCheck, FieldListTextShowsTheHeaderNameOrTheSampleValueBesideTheLabel)
{
    const std::string longValue(31, 'x');
    const struct {
        std::int64_t number;
        std::string headerName;
        std::string sampleValue;
        std::string expected;
    } cases[] = {
        {4, "", "Berlin", "Field 4 \u2014 Berlin"},
        {4, "City", "Berlin", "Field 4 \u2014 City"},
        {2, "", "", "Field 2"},
        {2, "", " \t ", "Field 2"},
        {3, "", "  a\tb  ", "Field 3 \u2014 a b"},
        {5, "", longValue.substr(1), "Field 5 \u2014 " + longValue.substr(1)},
        {5, "", longValue, "Field 5 \u2014 " + longValue.substr(1) + "\u2026"},
        // Thirty characters of two bytes each are not cut; a byte that is not UTF-8 stays.
        {6, "", std::string(30, 'x').replace(0, 1, "\xC3\xBC"), "Field 6 \u2014 \xC3\xBC" + std::string(29, 'x')},
        {7, "", "M\xFCller", "Field 7 \u2014 M\xFCller"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fieldListText(c.number, c.headerName, c.sampleValue), c.expected) << c.sampleValue;
}

// The file is read in blocks; every way a block boundary can cut a line, a CR LF pair, a
// delimiter or a NUL must give what checking the whole text at once gives.
TEST(DataSourceCheck, ReadingInBlocksGivesTheWholeTextResult)
{
    const std::string texts[] = {
        "a;b\r\nc;d;e\r\n",
        "\r\n \t\r\nx;;y\r",
        "one\rtwo;2\nthree;3;3\r\n\r\n",
        "a::b::c\nd::e",
        "no line end; at all",
        "x;y\0;z;w;v\n",
        "\r\r\n\n;\r\n;;\r",
        "",
        " \r\n", // all blank: the sample is the last line
        std::string(3000, ';') + "\r\nshort",
    };
    const std::string delims[] = {";", "::", ""};
    test::TempDir dir;
    for (const std::string& text : texts) {
        const std::string path = dir.write("data.csv", text);
        for (const std::string& delim : delims) {
            const DataFileState whole = checkDataFile(path, delim);
            for (std::size_t block : {1u, 2u, 3u, 5u, 64u, 1u << 20}) {
                const DataFileState blocks = checkDataFile(path, delim, block);
                EXPECT_EQ(blocks.csvFieldCount, whole.csvFieldCount) << text << " block " << block;
                EXPECT_EQ(blocks.csvSampleLine, whole.csvSampleLine) << text << " block " << block;
                EXPECT_EQ(blocks.csvWidestLine, whole.csvWidestLine) << text << " block " << block;
                EXPECT_EQ(blocks.csvSampleBytes, whole.csvSampleBytes) << text << " block " << block;
                EXPECT_EQ(blocks.csvWidestBytes, whole.csvWidestBytes) << text << " block " << block;
            }
        }
    }
}

TEST(DataSourceCheck, ALineLongerThanWhatIsKeptIsCountedWholeAndKeptCut)
{
    // Three megabytes of fields, read in blocks of 64 KB: the fields of the whole line count,
    // and only its first kKeptLineBytes stay, with its length.
    std::string line;
    while (line.size() < (std::size_t{3} << 20))
        line += "value::";
    const std::int64_t fields = static_cast<std::int64_t>(line.size() / 7) + 1;
    const test::TempDir dir;
    const std::string path = dir.write("data.csv", "a::b\n" + line + "\nlast");
    for (const DataFileState& state :
         {checkDataFile(path, "::", 1 << 16), checkDataFile(path, DataFormat{"::", true, "", false})}) {
        EXPECT_EQ(state.csvFieldCount, fields);
        EXPECT_EQ(state.csvWidestLine, line.substr(0, kKeptLineBytes));
        EXPECT_EQ(state.csvWidestBytes, line.size());
        EXPECT_EQ(state.csvSampleLine, "a::b");
        EXPECT_EQ(state.csvSampleBytes, 4u);
    }
}

TEST(DataSourceCheck, ShownLineCutsLongLinesBeforeAWholeCharacter)
{
    const std::string ascii(600, 'a');
    const std::string umlauts = std::string(499, 'a') + "\xC3\xBC" + "tail";  // the sequence at 499-500
    const std::string euro = std::string(498, 'a') + "\xE2\x82\xAC" + "tail"; // at 498-500
    const struct {
        std::string line;
        std::uint64_t bytes;
        std::string shown;
    } cases[] = {
        {"", 0, ""},
        {"short;line", 10, "short;line"},
        {ascii.substr(0, 500), 500, ascii.substr(0, 500)},
        {ascii.substr(0, 501), 501, ascii.substr(0, 500) + "... (501 bytes)"},
        {umlauts, umlauts.size(), std::string(499, 'a') + "... (505 bytes)"},
        {euro, euro.size(), std::string(498, 'a') + "... (505 bytes)"},
        {ascii, 2200000000u, ascii.substr(0, 500) + "... (2200000000 bytes)"}, // kept cut, counted whole
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownLine(c.line, c.bytes), c.shown) << c.bytes;
}

TEST(DataSourceCheck, MissingOrUnreadableFilesCountAsNoLines)
{
    const test::TempDir dir;
    const std::string data = dir.write("data.csv", "\r\nName;Age;City\r\nAnn;7;Rome\r\n");
    const DataFileState found = checkDataFile(data, ";");
    EXPECT_EQ(found.csvSampleLine, "Name;Age;City");
    EXPECT_EQ(found.csvWidestLine, "Name;Age;City");
    EXPECT_EQ(found.csvFieldCount, 3);

    for (const std::string& path : {dir.file("missing.csv"), dir.path(), std::string()}) {
        const DataFileState none = checkDataFile(path, ";");
        EXPECT_EQ(none.csvSampleLine, "") << path;
        EXPECT_EQ(none.csvWidestLine, "") << path;
        EXPECT_EQ(none.csvFieldCount, -1) << path;
    }
}

} // namespace
} // namespace stencilor
