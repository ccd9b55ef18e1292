// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The cells of one .xlsx worksheet part, streamed a row at a time: shared and inline strings
// (rich text runs joined), booleans as TRUE and FALSE, errors as written (#N/A), formulas by their
// cached value, numbers through their cell style's number format.

#include "datasource/workbook/NumberFormat.h"
#include "datasource/workbook/SheetSource.h"

#include <memory>
#include <string>

namespace stencilor {

class CellStyles;
class SharedStrings;
class ZipEntryStream;

struct OoxmlSheetContext {
    const SharedStrings& strings;
    const CellStyles& styles;
    DateSystem dates;
    SheetLimits limits;
};

// A reader of worksheet `stream` (sheet `sheet`, named in errors). With `covered` (merged ranges
// found by an earlier reading), the cells merged into another show nothing. A `survey` reads past
// the cells to the merged ranges, for merges(), and gives rows whose cells show text where the
// sheet's do, but not that text (a byte stands for it where the text is not needed to know).
std::unique_ptr<SheetSource> openOoxmlSheet(std::unique_ptr<ZipEntryStream> stream, const OoxmlSheetContext& context,
                                            std::string sheet, std::vector<CellRange> covered, bool survey);

// Column `text` ("A", "XFD") counted from 0 and the row after it, from a cell reference ("B12");
// false when it has no column letters.
bool parseCellReference(std::string_view text, std::uint64_t& column, std::uint64_t& row);

} // namespace stencilor
