// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Workbooks built in memory for the tests: zip archives of hand-written parts, and the rows a
// workbook's sheet reads as.

#include "ZipBytes.h"
#include "datasource/workbook/Workbook.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stencilor::test {

// A zip archive of `entries` (name, content), deflated; with `password`, encrypted with the
// traditional zip cipher.
std::string zipOf(const ZipEntries& entries, const std::string& password = {});

// The parts of an .xlsx: its sheets (name, the worksheet's content inside <worksheet>), and the
// content of <sst> and <styleSheet> when not empty; `workbookPr` goes into <workbook> as it is.
struct XlsxParts {
    std::vector<std::pair<std::string, std::string>> sheets;
    std::string sharedStrings;
    std::string styles;
    std::string workbookPr;
    std::string mainContentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
};
ZipEntries xlsxEntries(const XlsxParts& parts);
std::string xlsxOf(const XlsxParts& parts);
// An .xlsx with one sheet "Sheet1" of content `sheetData` (the inside of <sheetData>).
std::string xlsxWithRows(const std::string& sheetData, const std::string& sharedStrings = {},
                         const std::string& styles = {});

// An .ods whose <office:spreadsheet> holds `tables`.
std::string odsOf(const std::string& tables);

// The rows of sheet `sheet` of the workbook `bytes`, surveyed first, each as "N:record" (N the
// row number, record as sheetRowRecord makes it); a failure anywhere as "error: message".
std::vector<std::string> rowsOf(const std::string& bytes, std::string_view sheet = {},
                                const WorkbookLimits& limits = {});

} // namespace stencilor::test
