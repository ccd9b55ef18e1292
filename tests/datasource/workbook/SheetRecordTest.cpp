// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/SheetRecord.h"

#include "datasource/RecordFields.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

SheetRow rowOf(const std::vector<std::string>& cells)
{
    SheetRow row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        row.openCell(i) += cells[i];
        row.closeCell();
    }
    row.padTo(cells.size());
    return row;
}

// A row's record, read back by the quoted-field rules (a record in memory, and records read from
// a stream one after the other), gives exactly its cells, whatever they hold.
TEST(SheetRecord, QuotedFieldsReadBackAsTheCells)
{
    const std::vector<std::vector<std::string>> rows = {
        {"a", "b"},
        {""},
        {"", "", ""},
        {"a,b", "x;;y", "tab\there"},
        {"\"quoted\"", "in\"side", "\""},
        {"line\nbreak", "cr\rlf\r\n", "\r"},
        {" \"after a blank", "end\""},
        {"ab", "aab", "b", "a"},
        {"utf-8 \xc3\xa9", "", "last"},
    };
    for (const std::string delim : {",", ";;", "\t", "ab"}) {
        std::string stream;
        for (const auto& cells : rows) {
            std::string record;
            sheetRowRecord(rowOf(cells), record, delim);
            const RecordFields fields(record, delim, true);
            ASSERT_EQ(fields.count(), static_cast<std::int64_t>(cells.size())) << record;
            for (std::size_t i = 0; i < cells.size(); ++i)
                EXPECT_EQ(fields.field(static_cast<std::int64_t>(i + 1)), cells[i]) << record;
            stream += record + "\r\n";
        }
        TextSource source(stream);
        RecordReader reader(source, {true, delim, 3});
        DataRecord record;
        for (const auto& cells : rows) {
            ASSERT_TRUE(reader.next(record).value());
            const RecordFields fields(record.text, delim, true);
            EXPECT_EQ(fields.count(), static_cast<std::int64_t>(cells.size())) << delim;
            for (std::size_t i = 0; i < cells.size(); ++i)
                EXPECT_EQ(fields.field(static_cast<std::int64_t>(i + 1)), cells[i]) << delim;
        }
        EXPECT_FALSE(reader.next(record).value()) << delim;
    }
}

TEST(SheetRecord, PlainCellsGoInAsTheyAre)
{
    std::string record;
    sheetRowRecord(rowOf({"Ann", "12.50%", "1 234", "a\"b"}), record);
    EXPECT_EQ(record, "Ann,12.50%,1 234,a\"b");
    sheetRowRecord(rowOf({"1,234.50", "\"x", "two\nlines"}), record);
    EXPECT_EQ(record, "\"1,234.50\",\"\"\"x\",\"two\nlines\"");
}

} // namespace
} // namespace stencilor
