// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A sheet's row as a record of a delimited data file with quoted fields, so that the fields the
// quoted-field reader cuts from it (RecordFields with quotes on) are exactly the row's cells.

#include "datasource/workbook/SheetRow.h"

#include <string>
#include <string_view>

namespace stencilor {

// The delimiter of the records made from sheet rows.
inline constexpr std::string_view kSheetRecordDelimiter = ",";

// Replaces `record` with the cells of `row` joined by `delim` (which must not be empty nor hold
// '"', CR or LF): a cell goes in double quotes (each '"' in it doubled) when it begins with '"' or
// holds a line break or any byte of the delimiter; every other cell goes in as it is.
void sheetRowRecord(const SheetRow& row, std::string& record, std::string_view delim = kSheetRecordDelimiter);

} // namespace stencilor
