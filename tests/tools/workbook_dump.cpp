// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the rows of a workbook's sheet as the records the data readers see: one line per row,
// the cells joined by "," with the quoting of sheetRowRecord, each row as wide as the sheet.
// A failure is written to stderr as its message, with exit status 2.
// usage: stencilor_workbook_dump WORKBOOK [SHEET]

#include "datasource/workbook/SheetRecord.h"
#include "datasource/workbook/Workbook.h"

#include <cstdio>
#include <string>

using namespace stencilor;

namespace {

int fail(const WorkbookError& error)
{
    std::fprintf(stderr, "%s\n", workbookMessage(error).c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s WORKBOOK [SHEET]\n", argv[0]);
        return 64;
    }
    const std::string sheet = argc > 2 ? argv[2] : "";
    WorkbookResult<std::unique_ptr<Workbook>> workbook = Workbook::open(argv[1]);
    if (!workbook)
        return fail(workbook.error());
    const WorkbookResult<SheetLayout> layout = workbook.value()->survey(sheet);
    if (!layout)
        return fail(layout.error());
    WorkbookResult<std::unique_ptr<SheetReader>> reader = workbook.value()->read(sheet, &layout.value());
    if (!reader)
        return fail(reader.error());
    SheetRow row;
    std::string record;
    for (;;) {
        const WorkbookResult<bool> got = reader.value()->next(row);
        if (!got)
            return fail(got.error());
        if (!got.value())
            break;
        sheetRowRecord(row, record);
        record += '\n';
        std::fwrite(record.data(), 1, record.size(), stdout);
    }
    if (layout.value().shownAsGeneral > 0)
        std::fprintf(stderr, "%llu cells: %s\n", static_cast<unsigned long long>(layout.value().shownAsGeneral),
                     std::string(kFormatShownAsGeneralText).c_str());
    return 0;
}
