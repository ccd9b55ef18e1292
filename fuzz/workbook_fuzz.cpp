// SPDX-License-Identifier: GPL-3.0-or-later
// The workbook reader on any bytes, within small limits. The first byte chooses what the rest is:
// a whole workbook file, or the XML of one part (a sheet of an .xlsx, its shared strings, the
// content of an .ods) put into a workbook around it, or a number format code and a value. Every
// reading ends in rows or a message; the rows are numbered 1, 2, 3... up to the last the survey
// found, each as wide as the sheet, and each row's record reads back as its cells.

#include "FuzzSupport.h"
#include "datasource/RecordFields.h"
#include "datasource/workbook/NumberFormat.h"
#include "datasource/workbook/SheetRecord.h"
#include "datasource/workbook/Workbook.h"
#include "datasource/workbook/ZipBytes.h"

#include <cstring>
#include <string>
#include <vector>

using namespace stencilor;

namespace {

// A zip of `entries`, stored (so that the fuzzer's changes reach the XML as they are).
std::string zipOf(const test::ZipEntries& entries)
{
    return test::zipBytes(entries, {true, {}});
}

const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

std::string xlsxAround(const std::string& sheet, const std::string& strings)
{
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string package = "http://schemas.openxmlformats.org/package/2006/relationships";
    return zipOf({
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                                "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
        {"_rels/.rels", "<Relationships xmlns=\"" + package + "\"><Relationship Id=\"r\" Type=\"" + rel +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/_rels/workbook.xml.rels", "<Relationships xmlns=\"" + package + "\"><Relationship Id=\"r1\" Type=\"" +
                                           rel + "/worksheet\" Target=\"s.xml\"/><Relationship Id=\"r2\" Type=\"" +
                                           rel + "/sharedStrings\" Target=\"t.xml\"/><Relationship Id=\"r3\" Type=\"" +
                                           rel + "/styles\" Target=\"y.xml\"/></Relationships>"},
        {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + rel +
                                "\"><sheets><sheet name=\"S\" r:id=\"r1\"/></sheets></workbook>"},
        {"xl/y.xml", std::string("<styleSheet xmlns=\"") + kMain +
                         "\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd h:mm\"/></numFmts>"
                         "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"10\"/>"
                         "<xf numFmtId=\"12\"/></cellXfs></styleSheet>"},
        {"xl/s.xml", sheet},
        {"xl/t.xml", strings},
    });
}

std::string odsAround(const std::string& content)
{
    return zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
}

void readWorkbook(const std::string& bytes)
{
    WorkbookLimits limits;
    limits.zip.wholePart = 1 << 20;
    limits.zip.streamedPart = 8 << 20;
    limits.zip.ratioFrom = 1 << 20;
    limits.zip.entries = 1000;
    limits.sharedStrings = 1 << 20;
    limits.sheet.rowBytes = 1 << 20;
    limits.sheet.rows = 100000;
    limits.sheet.columns = 1000;
    limits.sheet.merges = 1000;
    const auto said = [](const WorkbookError& error) { fuzz::check(!workbookMessage(error).empty(), "a message"); };

    WorkbookResult<std::unique_ptr<Workbook>> workbook = Workbook::open(std::make_unique<MemoryBytes>(bytes), limits);
    if (!workbook)
        return said(workbook.error());
    if (const auto names = workbook.value()->sheetNames(); !names)
        said(names.error());
    const WorkbookResult<SheetLayout> layout = workbook.value()->survey("");
    if (!layout)
        return said(layout.error());
    WorkbookResult<std::unique_ptr<SheetReader>> reader = workbook.value()->read("", &layout.value());
    if (!reader)
        return said(reader.error());
    SheetRow row;
    std::string record;
    std::uint64_t expected = 1;
    for (;;) {
        const WorkbookResult<bool> got = reader.value()->next(row);
        if (!got)
            return said(got.error());
        if (!got.value())
            break;
        fuzz::check(row.number == expected++, "rows numbered one after the other");
        fuzz::check(row.size() == layout.value().columns, "every row as wide as the sheet");
        sheetRowRecord(row, record);
        const RecordFields fields(record, kSheetRecordDelimiter, true);
        fuzz::check(fields.count() == static_cast<std::int64_t>(std::max<std::size_t>(row.size(), 1)),
                    "a field per cell");
        for (std::size_t i = 0; i < row.size(); ++i)
            fuzz::checkEqual(fields.field(static_cast<std::int64_t>(i + 1)), row.cell(i),
                             "the record reads back as the cells");
    }
    fuzz::check(expected - 1 == layout.value().rows, "the rows the survey found");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        readWorkbook(rest);
        break;
    case 1:
        readWorkbook(xlsxAround(rest, std::string("<sst xmlns=\"") + kMain + "\"><si><t>a</t></si></sst>"));
        break;
    case 2:
        readWorkbook(xlsxAround(std::string("<worksheet xmlns=\"") + kMain +
                                    "\"><sheetData><row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c>"
                                    "</row></sheetData></worksheet>",
                                rest));
        break;
    case 3:
        readWorkbook(odsAround(rest));
        break;
    default: {
        // A format code, a NUL, and the value's eight bytes.
        const std::size_t nul = rest.find('\0');
        const std::string code = rest.substr(0, nul);
        double value = 0;
        if (nul != std::string::npos && rest.size() - nul - 1 >= sizeof value)
            std::memcpy(&value, rest.data() + nul + 1, sizeof value);
        const NumberFormat format(code);
        std::string out;
        format.appendNumber(value, DateSystem::From1900, out);
        format.appendNumber(value, DateSystem::From1904, out);
        format.appendText(code, out);
        fuzz::check(out.find(static_cast<char>(0)) == std::string::npos, "no NUL from a format without one");
        break;
    }
    }
    return 0;
}
