// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the readers of the two sheet formats share: rows as a sheet part stores them, one at a
// time, and the limits of a sheet.

#include "datasource/workbook/SheetRow.h"
#include "datasource/workbook/WorkbookError.h"

#include <cstdint>
#include <vector>

namespace stencilor {

// A rectangle of cells: rows counted from 1, columns from 0.
struct CellRange {
    std::uint64_t firstRow = 0;
    std::uint64_t lastRow = 0;
    std::uint64_t firstColumn = 0;
    std::uint64_t lastColumn = 0;
};

struct SheetLimits {
    std::uint64_t rowBytes = std::uint64_t{256} << 20; // the text of one row
    std::uint64_t rows = std::uint64_t{1} << 24;       // the rows a sheet may have (16,777,216)
    std::uint64_t columns = std::uint64_t{1} << 14;    // the columns (16,384: A to XFD)
    std::size_t merges = std::size_t{1} << 20;         // merged ranges kept (the rest are ignored)
};

class SheetSource {
public:
    virtual ~SheetSource() = default;
    // Puts the next stored row that shows text in some cell into `row` (its number and cells), and
    // the number of rows it stands for (more than 1 for a row repeated below itself); false at the
    // end of the sheet.
    virtual WorkbookResult<bool> next(SheetRow& row, std::uint64_t& repeats) = 0;
    // The merged ranges of the sheet: in an .xlsx they follow the cells, so they are known once
    // next() has returned false.
    virtual std::vector<CellRange> merges() const { return {}; }
    // Rows before `row` are wanted only for whether they show text, not for their text.
    virtual void textFrom(std::uint64_t /*row*/) {}
};

} // namespace stencilor
