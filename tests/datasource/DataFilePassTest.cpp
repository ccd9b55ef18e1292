// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataFilePass.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

// The findings as one comparable text, so that a difference names the field that differs.
std::string describe(const DataFileState& s)
{
    std::string text = std::to_string(s.csvFieldCount) + "|" + s.csvSampleLine + "|" + s.csvWidestLine + "|" +
                       std::to_string(s.csvSampleBytes) + "|" + std::to_string(s.csvWidestBytes) + "|" +
                       std::to_string(s.replaced) + "|" + (s.encoding ? s.encoding->name : "-") + "|";
    for (const std::string& name : s.fieldNames)
        text += name + ",";
    text += "|";
    for (const std::string& field : s.sampleFields)
        text += field + ",";
    return text;
}

std::string describe(const DataFileWarnings& w)
{
    std::string text;
    for (const std::string& line : warningTexts(w))
        text += line + "\n";
    return text;
}

TEST(DataFilePass, FindsInOneReadWhatTheCheckAndTheWarningsFindApart)
{
    const std::string wideLine = std::string(5000, 'a') + ";\"b;" + std::string(3000, 'c') + "\"\r\n";
    const struct {
        const char* what;
        std::string data;
    } files[] = {
        {"plain", "id;name\n1;Ann\n2;Bo;x\n"},
        {"a mark, Latin-1 and quoted delimiters", "\xEF\xBB\xBFid;\"a;b\"\nZ\xFCrich;1\n\"open;\n"},
        {"a NUL with text after it", "a;b\nc;d;e\0\nrest;of;it;here\n"},
        {"a NUL at a line's start", std::string("a;b\n\0tail\n", 10)},
        {"lines longer than a block", wideLine + "x;y\r" + wideLine},
        {"blank lines first", "\n  \r\n\t\n1;2\n"},
        {"UTF-16 with a mark", std::string("\xFF\xFE"
                                           "a\0;\0b\0\n\0"
                                           "\xFC\0;\0"
                                           "c\0\n\0",
                                           18)},
    };
    const DataFormat formats[] = {
        {";", false, "", false},
        {";", true, "", false},
        {";", false, "", true},
        {";", false, "auto", false},
        {"::", true, "windows-1252", true},
    };
    for (const auto& file : files) {
        test::TempDir dir;
        const std::string path = dir.write("d.csv", file.data);
        for (const DataFormat& format : formats) {
            for (const std::size_t block : {std::size_t{3}, std::size_t{64}, std::size_t{1} << 20}) {
                SCOPED_TRACE(std::string(file.what) + " / delim " + format.delim + " quotes " +
                             std::to_string(format.quotes) + " encoding " + format.encoding + " header " +
                             std::to_string(format.header) + " / block " + std::to_string(block));
                DataFilePass pass;
                pass.blockSize = block;
                const DataFileFindings both = examineDataFile(path, format, pass);
                EXPECT_FALSE(both.stopped);
                EXPECT_EQ(describe(both.state), describe(checkDataFile(path, format, block)));
                EXPECT_EQ(describe(both.warnings),
                          describe(scanDataFile(path, format.delim, format.quotes, format.encoding, block)));
            }
        }
    }
}

TEST(DataFilePass, StopsWhenAsked)
{
    test::TempDir dir;
    const std::string path = dir.write("d.csv", "a;b\nc;d\n");
    const std::atomic<bool> stop{true};
    for (const DataFormat& format : {DataFormat{";", false, "", false}, DataFormat{";", true, "", false}}) {
        DataFilePass pass;
        pass.stop = &stop;
        const DataFileFindings found = examineDataFile(path, format, pass);
        EXPECT_TRUE(found.stopped);
        EXPECT_EQ(found.state.csvFieldCount, -1);
    }
}

} // namespace
} // namespace stencilor
