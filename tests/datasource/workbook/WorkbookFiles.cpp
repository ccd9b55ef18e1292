// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkbookFiles.h"

#include "datasource/workbook/SheetRecord.h"

#include <gtest/gtest.h>

namespace stencilor::test {

std::string zipOf(const ZipEntries& entries, const std::string& password)
{
    std::string zip = zipBytes(entries, {false, password});
    EXPECT_FALSE(zip.empty()) << "libarchive cannot write this zip";
    return zip;
}

namespace {

const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string kRelations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string kPackage = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string relationship(const std::string& id, const std::string& type, const std::string& target)
{
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelations + "/" + type + "\" Target=\"" + target + "\"/>";
}

} // namespace

ZipEntries xlsxEntries(const XlsxParts& parts)
{
    ZipEntries entries;
    entries.emplace_back("[Content_Types].xml",
                         "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                         "content-types\"><Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
                             parts.mainContentType + "\"/></Types>");
    entries.emplace_back("_rels/.rels", "<Relationships xmlns=\"" + kPackage + "\">" +
                                            relationship("rId1", "officeDocument", "xl/workbook.xml") +
                                            "</Relationships>");
    std::string sheets;
    std::string relations =
        relationship("rS", "styles", "styles.xml") + relationship("rT", "sharedStrings", "/xl/sharedStrings.xml");
    for (std::size_t i = 0; i < parts.sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        sheets += "<sheet name=\"" + parts.sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relations += relationship("rId" + n, "worksheet", "worksheets/sheet" + n + ".xml");
        entries.emplace_back("xl/worksheets/sheet" + n + ".xml", "<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" +
                                                                     kRelations + "\">" + parts.sheets[i].second +
                                                                     "</worksheet>");
    }
    entries.emplace_back("xl/_rels/workbook.xml.rels",
                         "<Relationships xmlns=\"" + kPackage + "\">" + relations + "</Relationships>");
    entries.emplace_back("xl/workbook.xml", "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelations + "\">" +
                                                parts.workbookPr + "<sheets>" + sheets + "</sheets></workbook>");
    if (!parts.sharedStrings.empty())
        entries.emplace_back("xl/sharedStrings.xml", "<sst xmlns=\"" + kMain + "\">" + parts.sharedStrings + "</sst>");
    if (!parts.styles.empty())
        entries.emplace_back("xl/styles.xml", "<styleSheet xmlns=\"" + kMain + "\">" + parts.styles + "</styleSheet>");
    return entries;
}

std::string xlsxOf(const XlsxParts& parts)
{
    return zipOf(xlsxEntries(parts));
}

std::string xlsxWithRows(const std::string& sheetData, const std::string& sharedStrings, const std::string& styles)
{
    XlsxParts parts;
    parts.sheets = {{"Sheet1", "<sheetData>" + sheetData + "</sheetData>"}};
    parts.sharedStrings = sharedStrings;
    parts.styles = styles;
    return xlsxOf(parts);
}

std::string odsOf(const std::string& tables)
{
    const std::string type = "application/vnd.oasis.opendocument.spreadsheet";
    return zipOf({
        {"mimetype", type},
        {"META-INF/manifest.xml",
         "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
         "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"" +
             type + "\"/></manifest:manifest>"},
        {"content.xml",
         "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>" +
             tables + "</office:spreadsheet></office:body></office:document-content>"},
    });
}

std::vector<std::string> rowsOf(const std::string& bytes, std::string_view sheet, const WorkbookLimits& limits)
{
    const auto failed = [](const WorkbookError& error) {
        return std::vector<std::string>{"error: " + workbookMessage(error)};
    };
    WorkbookResult<std::unique_ptr<Workbook>> workbook = Workbook::open(std::make_unique<MemoryBytes>(bytes), limits);
    if (!workbook)
        return failed(workbook.error());
    const WorkbookResult<SheetLayout> layout = workbook.value()->survey(sheet);
    if (!layout)
        return failed(layout.error());
    WorkbookResult<std::unique_ptr<SheetReader>> reader = workbook.value()->read(sheet, &layout.value());
    if (!reader)
        return failed(reader.error());
    std::vector<std::string> rows;
    SheetRow row;
    std::string record;
    for (;;) {
        const WorkbookResult<bool> got = reader.value()->next(row);
        if (!got)
            return failed(got.error());
        if (!got.value())
            return rows;
        sheetRowRecord(row, record);
        rows.push_back(std::to_string(row.number) + ":" + record);
    }
}

} // namespace stencilor::test
