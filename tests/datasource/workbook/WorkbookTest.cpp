// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkbookFiles.h"
#include "datasource/workbook/SheetRecord.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

using test::odsOf;
using test::rowsOf;
using test::xlsxOf;
using test::xlsxWithRows;

using Rows = std::vector<std::string>;

const std::string kStyles = "<numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd\"/></numFmts>"
                            "<cellStyleXfs><xf numFmtId=\"10\"/></cellStyleXfs>"
                            "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"10\"/>"
                            "<xf numFmtId=\"4\"/><xf numFmtId=\"200\"/><xf numFmtId=\"12\"/></cellXfs>";

TEST(Workbook, ReadsXlsxCellsAsTheSheetShowsThem)
{
    const std::string strings = "<si><t>plain</t></si>"
                                "<si><r><t xml:space=\"preserve\">rich </t></r><r><rPr><b/></rPr><t>text</t></r>"
                                "<rPh><t>guide</t></rPh></si>"
                                "<si><t>a_x000D_b_x005F_x</t></si>";
    const std::string rows =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r></is></c></row>"
        "<row r=\"2\"><c r=\"A2\" t=\"b\"><v>1</v></c><c r=\"B2\" t=\"b\"><v>0</v></c><c r=\"C2\" "
        "t=\"e\"><v>#N/A</v></c>"
        "<c r=\"D2\"><f>1+2</f><v>3</v></c><c r=\"E2\" t=\"str\"><f>A1&amp;\"\"</f><v>text result</v></c></row>"
        "<row r=\"3\"><c r=\"A3\" s=\"1\"><v>45302</v></c><c r=\"B3\" s=\"2\"><v>0.125</v></c>"
        "<c r=\"C3\" s=\"3\"><v>1234567.891</v></c><c r=\"D3\" s=\"4\"><v>1.5</v></c>"
        "<c r=\"E3\" s=\"1\" t=\"d\"><v>2024-01-05T00:00:00</v></c></row>"
        "<row r=\"5\"><c r=\"A5\"><f>B5</f></c><c r=\"B5\" t=\"s\"/><c r=\"C5\" s=\"5\"><v>0.5</v></c></row>"
        "<row r=\"7\" ht=\"20\" customHeight=\"1\"><c r=\"A7\" s=\"1\"/></row><row r=\"9\"/>";
    const std::string workbookBytes = xlsxWithRows(rows, strings, kStyles);
    EXPECT_EQ(rowsOf(workbookBytes),
              (Rows{"1:plain,rich text,\"a\rb_x\",inline,", "2:TRUE,FALSE,#N/A,3,text result",
                    "3:2024-01-11,12.50%,\"1,234,567.89\",1.5,2024-01-05", "4:,,,,", "5:,,0.5,,"}));

    // Two cells (1.5 in an undefined format, 0.5 in a fraction) were shown as General.
    auto workbook = Workbook::open(std::make_unique<MemoryBytes>(workbookBytes));
    ASSERT_TRUE(workbook);
    const WorkbookResult<SheetLayout> layout = workbook.value()->survey("");
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout.value().shownAsGeneral, 2u);
    EXPECT_EQ(layout.value().rows, 5u);
    EXPECT_EQ(layout.value().columns, 5u);
}

TEST(Workbook, PlacesXlsxCellsByTheirReferencesOrAfterTheCellBefore)
{
    EXPECT_EQ(rowsOf(xlsxWithRows("<row><c><v>1</v></c><c><v>2</v></c></row><row><c r=\"C2\"><v>3</v></c></row>"
                                  "<row r=\"4\"><c r=\"B4\"><v>4</v></c><c><v>5</v></c></row>")),
              (Rows{"1:1,2,", "2:,,3", "3:,,", "4:,4,5"}));
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"2\"><c><v>1</v></c></row><row r=\"2\"><c><v>2</v></c></row>")),
              (Rows{"error: The workbook is damaged (sheet \"Sheet1\", row 2): its rows or cells are not in order"}));
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"A1\"><v>2</v></c></row>")),
              (Rows{"error: The workbook is damaged (sheet \"Sheet1\", row 1): its rows or cells are not in order"}));
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>", "<si><t>only</t></si>")),
              (Rows{"error: The workbook is damaged (sheet \"Sheet1\", row 1): a cell names a shared string that the "
                    "workbook does not have"}));
}

TEST(Workbook, MergedCellsShowTheirValueInTheFirstCellOnly)
{
    test::XlsxParts parts;
    parts.sheets = {{"Sheet1", "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>m</t></is></c>"
                               "<c r=\"B1\" t=\"inlineStr\"><is><t>hidden</t></is></c><c r=\"C1\"><v>1</v></c></row>"
                               "<row r=\"2\"><c r=\"A2\"><v>9</v></c><c r=\"C2\"><v>2</v></c></row></sheetData>"
                               "<mergeCells count=\"1\"><mergeCell ref=\"A1:B2\"/></mergeCells>"}};
    EXPECT_EQ(rowsOf(xlsxOf(parts)), (Rows{"1:m,,1", "2:,,2"}));
    // A last row whose text lies only in merged-over cells stays a row, as the survey counted it.
    parts.sheets[0].second.replace(parts.sheets[0].second.find("A1:B2"), 5, "A1:C2");
    EXPECT_EQ(rowsOf(xlsxOf(parts)), (Rows{"1:m,,", "2:,,"}));
    EXPECT_EQ(rowsOf(odsOf("<table:table table:name=\"T\"><table:table-row>"
                           "<table:table-cell table:number-columns-spanned=\"2\"><text:p>m</text:p></table:table-cell>"
                           "<table:covered-table-cell><text:p>hidden</text:p></table:covered-table-cell>"
                           "<table:table-cell><text:p>z</text:p></table:table-cell></table:table-row></table:table>")),
              (Rows{"1:m,,z"}));
}

TEST(Workbook, ReadsOdsCellsAsTheirStoredText)
{
    const std::string table =
        "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"1024\"/>"
        "<table:table-header-rows><table:table-row>"
        "<table:table-cell><text:p>p1</text:p><text:p>p2</text:p></table:table-cell>"
        "<table:table-cell><office:annotation><text:p>a note</text:p></office:annotation>"
        "<text:p>a<text:s "
        "text:c=\"2\"/>b<text:tab/>c<text:line-break/>d<text:span>e</text:span></text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"float\" office:value=\"3.5\"/>"
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
        "<table:table-cell table:number-columns-repeated=\"1020\"/></table:table-row></table:table-header-rows>"
        "<table:table-row table:number-rows-repeated=\"2\">"
        "<table:table-cell table:number-columns-repeated=\"2\"><text:p>r</text:p></table:table-cell></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"1024\"/>"
        "</table:table-row>"
        "<table:table-row><table:table-cell/><table:table-cell><text:p>x</text:p></table:table-cell></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell table:number-columns-repeated="
        "\"1024\"/></table:table-row></table:table>";
    EXPECT_EQ(rowsOf(odsOf(table)),
              (Rows{"1:\"p1\np2\",\"a  b\tc\nde\",3.5,TRUE", "2:r,r,,", "3:r,r,,", "4:,,,", "5:,,,", "6:,x,,"}));
}

// A reader told to begin at a row gives the rows from there on as a full reading does.
TEST(Workbook, SkipsToARow)
{
    const std::string xlsx =
        xlsxWithRows("<row r=\"1\"><c><v>1</v></c></row><row r=\"2\"><c r=\"B2\" s=\"1\"><v>2</v>"
                     "</c></row><row r=\"4\"><c><v>4</v></c></row><row r=\"5\"><c><v>5</v></c></row>",
                     {}, kStyles);
    const std::string ods = odsOf("<table:table table:name=\"T\"><table:table-row table:number-rows-repeated=\"3\">"
                                  "<table:table-cell><text:p>r</text:p></table:table-cell></table:table-row>"
                                  "<table:table-row/><table:table-row><table:table-cell table:number-columns-repeated="
                                  "\"2\"><text:p>5</text:p></table:table-cell></table:table-row></table:table>");
    for (const std::string& bytes : {xlsx, ods}) {
        auto workbook = Workbook::open(std::make_unique<MemoryBytes>(bytes));
        ASSERT_TRUE(workbook);
        const WorkbookResult<SheetLayout> layout = workbook.value()->survey("");
        ASSERT_TRUE(layout);
        const Rows all = rowsOf(bytes);
        for (std::uint64_t first = 1; first <= 6; ++first) {
            auto reader = workbook.value()->read("", &layout.value());
            ASSERT_TRUE(reader);
            reader.value()->skipTo(first);
            Rows rows;
            SheetRow row;
            std::string record;
            while (reader.value()->next(row).value()) {
                sheetRowRecord(row, record);
                rows.push_back(std::to_string(row.number) + ":" + record);
            }
            EXPECT_EQ(rows, Rows(all.begin() + std::min<std::ptrdiff_t>(first - 1, all.size()), all.end())) << first;
        }
    }
}

TEST(Workbook, ReadsTheSheetItIsAskedFor)
{
    test::XlsxParts parts;
    parts.sheets = {{"First", "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"},
                    {"Second", "<sheetData><row r=\"1\"><c r=\"A1\"><v>2</v></c></row></sheetData>"}};
    const std::string xlsx = xlsxOf(parts);
    const std::string ods = odsOf("<table:table table:name=\"First\"><table:table-row><table:table-cell>"
                                  "<text:p>1</text:p></table:table-cell></table:table-row></table:table>"
                                  "<table:table table:name=\"Second\"><table:table-row><table:table-cell>"
                                  "<text:p>2</text:p></table:table-cell></table:table-row></table:table>");
    for (const std::string& workbook : {xlsx, ods}) {
        EXPECT_EQ(rowsOf(workbook), (Rows{"1:1"}));
        EXPECT_EQ(rowsOf(workbook, "Second"), (Rows{"1:2"}));
        EXPECT_EQ(rowsOf(workbook, "second"), (Rows{"error: Sheet \"second\" not found in the data file"}));
        auto opened = Workbook::open(std::make_unique<MemoryBytes>(workbook));
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened.value()->sheetNames().value(), (std::vector<std::string>{"First", "Second"}));
    }

    // A chart sheet holds no cells.
    test::ZipEntries entries = test::xlsxEntries(parts);
    for (auto& [name, content] : entries)
        if (name == "xl/_rels/workbook.xml.rels")
            content.replace(content.find("worksheet\" Target=\"worksheets/sheet2"), 9, "chartsheet");
    EXPECT_EQ(rowsOf(test::zipOf(entries), "Second"),
              (Rows{"error: Sheet \"Second\" holds a chart, not a table of cells"}));
}

TEST(Workbook, CountsDatesInTheWorkbooksDateSystem)
{
    test::XlsxParts parts;
    parts.sheets = {{"S", "<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c></row></sheetData>"}};
    parts.styles = kStyles;
    EXPECT_EQ(rowsOf(xlsxOf(parts)), (Rows{"1:1900-01-00"}));
    parts.workbookPr = "<workbookPr date1904=\"1\"/>";
    EXPECT_EQ(rowsOf(xlsxOf(parts)), (Rows{"1:1904-01-01"}));
}

// Parts with the strict namespace, and elements with a prefix, read as the usual ones.
TEST(Workbook, ReadsStrictAndPrefixedSpreadsheetMarkup)
{
    test::ZipEntries entries = test::xlsxEntries({{{"S", ""}}, {}, {}, {}});
    for (auto& [name, content] : entries)
        if (name == "xl/worksheets/sheet1.xml")
            content = "<x:worksheet xmlns:x=\"http://purl.oclc.org/ooxml/spreadsheetml/main\"><x:sheetData>"
                      "<x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>strict</x:t></x:is></x:c></x:row>"
                      "</x:sheetData></x:worksheet>";
    EXPECT_EQ(rowsOf(test::zipOf(entries)), (Rows{"1:strict"}));
}

std::string compoundFile(std::string_view stream)
{
    std::string file("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    file.append(504, '\0');
    for (const char c : stream)
        file.append({c, '\0'});
    return file;
}

TEST(Workbook, SaysWhyAFileIsNotAReadableWorkbook)
{
    const auto withContentType = [](std::string type) {
        test::XlsxParts parts;
        parts.sheets = {{"S", "<sheetData/>"}};
        parts.mainContentType = std::move(type);
        return xlsxOf(parts);
    };
    const auto odfOfType = [](std::string type) {
        return test::zipOf({{"mimetype", std::move(type)}, {"content.xml", "<x/>"}});
    };
    const std::string xlsx = xlsxWithRows("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
    const std::string notSpreadsheet =
        "error: The data file is a zip archive but not a spreadsheet workbook (.xlsx or .ods)";
    const std::string saveAs =
        ", which is not read; open it in the spreadsheet program and save it as an Excel Workbook "
        "(.xlsx)";
    const std::string encryptedOds = test::zipOf(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"META-INF/manifest.xml",
          "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
          "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/></manifest:file-entry>"
          "</manifest:manifest>"},
         {"content.xml", std::string("\x13\x97\x02", 3)}});
    const struct {
        std::string bytes;
        std::string expected;
    } rows[] = {
        {compoundFile("EncryptedPackage"), "error: The workbook is password-protected"},
        {compoundFile("Workbook"), "error: The data file is an Excel 97-2003 workbook (.xls)" + saveAs},
        {withContentType("application/vnd.ms-excel.sheet.binary.macroEnabled.main"),
         "error: The data file is an Excel Binary Workbook (.xlsb)" + saveAs},
        {withContentType("application/vnd.ms-excel.sheet.macroEnabled.main+xml"),
         "error: The data file is an Excel Macro-Enabled Workbook (.xlsm)" + saveAs},
        {withContentType("application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"),
         notSpreadsheet + ": it holds a word-processing document (.docx)"},
        {odfOfType("application/vnd.oasis.opendocument.text"), notSpreadsheet + ": it holds a text document (.odt)"},
        {test::zipOf({{"readme.txt", "hello"}}), notSpreadsheet},
        {test::zipOf(test::xlsxEntries({{{"S", "<sheetData/>"}}, {}, {}, {}}), "secret"),
         "error: The workbook is password-protected"},
        {encryptedOds, "error: The workbook is password-protected"},
        {xlsx.substr(0, xlsx.size() / 2), "error: The workbook is damaged: it is not a complete zip archive"},
        {"name;age\n", "error: The workbook is damaged: it is not a complete zip archive"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(rowsOf(row.bytes), Rows{row.expected}) << row.expected;
}

TEST(Workbook, RefusesDocumentTypesAndBrokenXml)
{
    const std::string externalEntity =
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>";
    test::ZipEntries entries = test::xlsxEntries(
        {{{"S", "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&x;</t></is></c></row></sheetData>"}},
         {},
         {},
         {}});
    for (auto& [name, content] : entries)
        if (name == "xl/worksheets/sheet1.xml")
            content.insert(0, externalEntity);
    EXPECT_EQ(rowsOf(test::zipOf(entries)),
              (Rows{"error: The workbook is damaged (sheet \"S\"): it has a document type declaration, which a "
                    "workbook never has (it is not read, so that no entity it declares is ever expanded or fetched)"}));

    const std::string laughs = "<!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>";
    entries = test::xlsxEntries({{{"S", "<sheetData/>"}}, "<si><t>&b;</t></si>", {}, {}});
    for (auto& [name, content] : entries)
        if (name == "xl/sharedStrings.xml")
            content.insert(0, laughs);
    EXPECT_EQ(rowsOf(test::zipOf(entries)),
              (Rows{"error: The workbook is damaged (part \"xl/sharedStrings.xml\"): it has a document type "
                    "declaration, which a workbook never has (it is not read, so that no entity it declares is ever "
                    "expanded or fetched)"}));

    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"1\"><c><v>1</v></c></row>\n<row r=\"2\"><c><v>2</c></row>")),
              (Rows{"error: The workbook is damaged (sheet \"Sheet1\", row 2): mismatched tag at line 2, column 21"}));
    EXPECT_EQ(rowsOf(odsOf("<table:table table:name=\"T\"><table:table-row><table:table-cell><text:p>x</text:p>"
                           "</table:table-row></table:table>")),
              (Rows{"error: The workbook is damaged (sheet \"T\", row 1): mismatched tag at line 1, column 328"}));
}

TEST(Workbook, StaysWithinItsLimits)
{
    // A sheet of 16 MiB of blanks packs some 1000 to 1.
    const std::string bomb = xlsxWithRows(std::string(16 << 20, ' ') + "<row r=\"1\"><c><v>1</v></c></row>");
    WorkbookLimits limits;
    limits.zip.ratioFrom = 1 << 20;
    EXPECT_EQ(rowsOf(bomb, {}, limits),
              (Rows{"error: The workbook's part \"xl/worksheets/sheet1.xml\" unpacks to more than 200 times its packed "
                    "size: it is not read, as it may be a zip bomb"}));
    limits = {};
    limits.zip.streamedPart = 1 << 20;
    EXPECT_EQ(rowsOf(bomb, {}, limits),
              (Rows{"error: The workbook's part \"xl/worksheets/sheet1.xml\" unpacks to more than 1 MiB: it is not "
                    "read, as it may be a zip bomb"}));

    limits = {};
    limits.sharedStrings = 1000;
    EXPECT_EQ(rowsOf(xlsxWithRows("", "<si><t>" + std::string(1000, 'x') + "</t></si>"), {}, limits),
              (Rows{"error: The workbook's shared strings are larger than 1000 bytes, more than is held in memory"}));
    // Empty strings count by the place each takes.
    std::string empty;
    for (int i = 0; i < 200; ++i)
        empty += "<si/>";
    EXPECT_EQ(rowsOf(xlsxWithRows("", empty), {}, limits),
              (Rows{"error: The workbook's shared strings are larger than 1000 bytes, more than is held in memory"}));

    limits = {};
    limits.sheet.rowBytes = 10;
    limits.sheet.rows = 3;
    limits.sheet.columns = 2;
    const std::string tooLarge = "error: Row 1 of sheet \"Sheet1\" is larger than 10 bytes";
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"1\"><c><v>123456</v></c><c><v>123456</v></c></row>"), {}, limits),
              Rows{tooLarge});
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"4\"><c><v>1</v></c></row>"), {}, limits),
              Rows{"error: Sheet \"Sheet1\" has a cell below row 3, the last row a sheet may have"});
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"1\"><c r=\"C1\"><v>1</v></c></row>"), {}, limits),
              Rows{"error: Sheet \"Sheet1\" has a cell right of column B in row 1, the last column a sheet may have"});
    // Expat keeps a tag whole until it ends, and each open element: both are bounded.
    EXPECT_EQ(
        rowsOf(xlsxWithRows("<row r=\"1\"><c r=\"A1\" x=\"" + std::string(2 << 20, 'x') + "\"/></row>"), {}, limits),
        Rows{"error: The workbook is damaged (sheet \"Sheet1\", row 1): it has a tag longer than 1 MiB"});
    std::string deep;
    for (int i = 0; i < 1001; ++i)
        deep += "<x>";
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"1\">" + deep + "</row>"), {}, limits),
              Rows{"error: The workbook is damaged (sheet \"Sheet1\", row 1): its elements are nested more than 1000 "
                   "deep"});
    // Cells that show nothing (formatted, empty) may lie beyond them.
    EXPECT_EQ(rowsOf(xlsxWithRows("<row r=\"9\"><c r=\"Z9\" s=\"1\"/></row>", {}, kStyles), {}, limits), Rows{});

    // Repeat counts that would take forever are bounded as well.
    const std::string cell = "<table:table-cell><text:p>x</text:p></table:table-cell>";
    EXPECT_EQ(
        rowsOf(odsOf("<table:table table:name=\"T\"><table:table-row table:number-rows-repeated=\"1000000000000\">" +
                     cell + "</table:table-row></table:table>")),
        Rows{"error: Sheet \"T\" has a cell below row 16777216, the last row a sheet may have"});
    EXPECT_EQ(rowsOf(odsOf("<table:table table:name=\"T\"><table:table-row><table:table-cell "
                           "table:number-columns-repeated=\"99999999999\"><text:p>x</text:p></table:table-cell>"
                           "</table:table-row></table:table>")),
              Rows{"error: Sheet \"T\" has a cell right of column XFD in row 1, the last column a sheet may have"});
    EXPECT_EQ(rowsOf(odsOf("<table:table table:name=\"T\"><table:table-row><table:table-cell><text:p><text:s "
                           "text:c=\"99999999999\"/></text:p></table:table-cell></table:table-row></table:table>"),
                     {}, limits),
              Rows{"error: Row 1 of sheet \"T\" is larger than 10 bytes"});
}

} // namespace
} // namespace stencilor
