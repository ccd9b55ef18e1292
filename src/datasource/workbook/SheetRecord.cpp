// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/SheetRecord.h"

namespace stencilor {

void sheetRowRecord(const SheetRow& row, std::string& record, std::string_view delim)
{
    record.clear();
    // A byte of the delimiter anywhere in a cell could join with the bytes around it into a
    // delimiter; a cell holding one is quoted, which no delimiter inside quotes can split.
    std::string special = "\r\n";
    special += delim;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            record += delim;
        const std::string_view cell = row.cell(i);
        if (!cell.starts_with('"') && cell.find_first_of(special) == std::string_view::npos) {
            record += cell;
            continue;
        }
        record += '"';
        for (const char c : cell) {
            if (c == '"')
                record += '"';
            record += c;
        }
        record += '"';
    }
}

} // namespace stencilor
