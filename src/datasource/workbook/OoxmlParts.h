// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The structure of an .xlsx workbook (Office Open XML, transitional or strict): the package's
// content types and relationships lead to the workbook part, which lists the sheets and names the
// parts of its styles and shared strings.

#include "datasource/workbook/NumberFormat.h"
#include "datasource/workbook/WorkbookError.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

class ZipArchive;

struct OoxmlSheet {
    std::string name;
    std::string part;  // the zip entry of its cells; empty when the workbook names none
    std::string holds; // empty for a sheet of cells, else what it holds ("a chart", "macros")
};

struct OoxmlWorkbook {
    std::vector<OoxmlSheet> sheets; // in the workbook's order
    std::string stylesPart;         // empty when there is none
    std::string sharedStringsPart;  // empty when there is none
    DateSystem dates = DateSystem::From1900;
};

// Reads the structure of the .xlsx package in `zip`. Fails with UnsupportedFormat for a
// macro-enabled or binary workbook, NotSpreadsheet for another Office document, MissingPart, or
// the errors of reading a part.
WorkbookResult<OoxmlWorkbook> readOoxmlWorkbook(const ZipArchive& zip);

// The number formats of a workbook's cell styles.
class CellStyles final {
public:
    CellStyles() = default;
    CellStyles(const CellStyles&) = delete; // the styles point into the formats
    CellStyles& operator=(const CellStyles&) = delete;

    // Reads the styles part `xml` (named `part` in errors); without one every cell is General.
    WorkbookStatus load(std::string_view xml, const std::string& part);
    // The number format of cell style `index` (General for a style it does not have).
    const NumberFormat& format(std::size_t index) const
    {
        return index < m_byStyle.size() ? *m_byStyle[index] : m_general;
    }

private:
    NumberFormat m_general;
    std::map<std::uint32_t, NumberFormat> m_formats;
    std::vector<const NumberFormat*> m_byStyle;
};

// The zip entry that relationship target `target` names, seen from part `source` ("xl/workbook.xml"
// and "worksheets/sheet1.xml" give "xl/worksheets/sheet1.xml"; "/xl/x.xml" is absolute).
std::string resolvePartName(std::string_view source, std::string_view target);

} // namespace stencilor
