// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/Workbook.h"

#include "datasource/workbook/OdfSheet.h"
#include "datasource/workbook/OoxmlParts.h"
#include "datasource/workbook/OoxmlSheet.h"
#include "datasource/workbook/SharedStrings.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace stencilor {

namespace {

constexpr std::string_view kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// `text` as UTF-16LE, as the stream names in a compound file's directory are written.
std::string utf16(std::string_view text)
{
    std::string wide;
    for (const char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Whether the bytes hold `needle`, read in blocks (the compound file's directory may stand
// anywhere in it).
WorkbookResult<bool> holds(ArchiveBytes& bytes, std::string_view needle)
{
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::string block(kBlock + needle.size(), '\0');
    for (std::uint64_t offset = 0; offset < bytes.size(); offset += kBlock) {
        const WorkbookResult<std::size_t> got = bytes.readAt(offset, block.data(), block.size());
        if (!got)
            return got.error();
        if (std::string_view(block.data(), got.value()).find(needle) != std::string_view::npos)
            return true;
    }
    return false;
}

// Why an Office 97-2003 compound file is not read: an encrypted .xlsx is kept in one (its
// "EncryptedPackage" stream), else it is a binary workbook or another Office file.
WorkbookError compoundFileError(ArchiveBytes& bytes)
{
    const WorkbookResult<bool> encrypted = holds(bytes, utf16("EncryptedPackage"));
    if (!encrypted)
        return encrypted.error();
    if (encrypted.value())
        return WorkbookError(WorkbookErrorKind::PasswordProtected);
    const WorkbookResult<bool> document = holds(bytes, utf16("WordDocument"));
    if (document && document.value())
        return WorkbookError(WorkbookErrorKind::NotSpreadsheet, {}, "a Word 97-2003 document (.doc)");
    return WorkbookError(WorkbookErrorKind::UnsupportedFormat, {}, "an Excel 97-2003 workbook (.xls)");
}

// What an OpenDocument file of media type `type` holds, when it is no spreadsheet.
std::string odfKind(std::string_view type)
{
    constexpr std::string_view kPrefix = "application/vnd.oasis.opendocument.";
    if (type.substr(0, kPrefix.size()) != kPrefix)
        return {};
    type.remove_prefix(kPrefix.size());
    if (type.starts_with("text"))
        return "a text document (.odt)";
    if (type.starts_with("presentation"))
        return "a presentation (.odp)";
    if (type.starts_with("graphics"))
        return "a drawing (.odg)";
    return "an OpenDocument file of another kind";
}

} // namespace

DataFileKind sniffDataFile(std::string_view firstBytes)
{
    if (firstBytes.starts_with(std::string_view("PK\3\4", 4)) || firstBytes.starts_with(std::string_view("PK\5\6", 4)))
        return DataFileKind::Zip;
    if (firstBytes.starts_with(kCompoundFileSignature))
        return DataFileKind::CompoundFile;
    return DataFileKind::Text;
}

bool isWorkbookFile(const std::string& path)
{
    if (path == "-")
        return false;
    WorkbookResult<std::unique_ptr<FileBytes>> bytes = FileBytes::open(path);
    if (!bytes)
        return false;
    char first[8] = {};
    const WorkbookResult<std::size_t> got = bytes.value()->readAt(0, first, sizeof first);
    return got && sniffDataFile(std::string_view(first, got.value())) != DataFileKind::Text;
}

struct Workbook::Xlsx {
    OoxmlWorkbook parts;
    CellStyles styles;
    SharedStrings strings;
    bool stringsLoaded = false;
    std::unique_ptr<OoxmlSheetContext> context;
};

Workbook::~Workbook() = default;

WorkbookResult<std::unique_ptr<Workbook>> Workbook::open(const std::string& path, const WorkbookLimits& limits)
{
    WorkbookResult<std::unique_ptr<FileBytes>> bytes = FileBytes::open(path);
    if (!bytes)
        return bytes.error();
    return open(std::move(bytes.value()), limits);
}

WorkbookResult<std::unique_ptr<Workbook>> Workbook::open(std::unique_ptr<ArchiveBytes> bytes,
                                                         const WorkbookLimits& limits)
{
    std::unique_ptr<Workbook> workbook(new Workbook);
    workbook->m_bytes = std::move(bytes);
    workbook->m_limits = limits;
    char first[8] = {};
    const WorkbookResult<std::size_t> got = workbook->m_bytes->readAt(0, first, sizeof first);
    if (!got)
        return got.error();
    if (sniffDataFile(std::string_view(first, got.value())) == DataFileKind::CompoundFile)
        return compoundFileError(*workbook->m_bytes);
    WorkbookResult<std::unique_ptr<ZipArchive>> zip = ZipArchive::open(*workbook->m_bytes, limits.zip);
    if (!zip)
        return zip.error();
    workbook->m_zip = std::move(zip.value());
    WorkbookStatus opened = WorkbookError(WorkbookErrorKind::NotSpreadsheet);
    if (workbook->m_zip->find("mimetype"))
        opened = workbook->openOds();
    else if (workbook->m_zip->find("[Content_Types].xml"))
        opened = workbook->openXlsx();
    if (!opened)
        return opened.error();
    return workbook;
}

WorkbookStatus Workbook::openOds()
{
    m_format = WorkbookFormat::Ods;
    const WorkbookResult<std::string> type = m_zip->read(*m_zip->find("mimetype"));
    if (!type)
        return type.error();
    const std::string_view mediaType = type.value();
    if (!mediaType.starts_with("application/vnd.oasis.opendocument.spreadsheet"))
        return WorkbookError(WorkbookErrorKind::NotSpreadsheet, {}, odfKind(mediaType));
    if (m_zip->encrypted())
        return WorkbookError(WorkbookErrorKind::PasswordProtected);
    if (const std::string* manifest = m_zip->find("META-INF/manifest.xml")) {
        const WorkbookResult<std::string> text = m_zip->read(*manifest);
        if (!text)
            return text.error();
        const WorkbookResult<bool> encrypted = odfEncrypted(text.value());
        if (!encrypted)
            return encrypted.error();
        if (encrypted.value())
            return WorkbookError(WorkbookErrorKind::PasswordProtected);
    }
    if (!m_zip->find("content.xml"))
        return WorkbookError(WorkbookErrorKind::MissingPart, "content.xml");
    return true;
}

WorkbookStatus Workbook::openXlsx()
{
    m_format = WorkbookFormat::Xlsx;
    if (m_zip->encrypted())
        return WorkbookError(WorkbookErrorKind::PasswordProtected);
    WorkbookResult<OoxmlWorkbook> parts = readOoxmlWorkbook(*m_zip);
    if (!parts)
        return parts.error();
    m_xlsx = std::make_unique<Xlsx>();
    m_xlsx->parts = std::move(parts.value());
    m_dates = m_xlsx->parts.dates;
    if (const std::string* styles = m_zip->find(m_xlsx->parts.stylesPart)) {
        const WorkbookResult<std::string> text = m_zip->read(*styles);
        if (!text)
            return text.error();
        if (WorkbookStatus loaded = m_xlsx->styles.load(text.value(), *styles); !loaded)
            return loaded.error();
    }
    m_xlsx->context.reset(new OoxmlSheetContext{m_xlsx->strings, m_xlsx->styles, m_dates, m_limits.sheet});
    return true;
}

WorkbookStatus Workbook::loadSharedStrings()
{
    if (m_xlsx->stringsLoaded)
        return true;
    if (const std::string* part = m_zip->find(m_xlsx->parts.sharedStringsPart)) {
        WorkbookResult<std::unique_ptr<ZipEntryStream>> stream = m_zip->stream(*part);
        if (!stream)
            return stream.error();
        if (WorkbookStatus loaded = m_xlsx->strings.load(*stream.value(), m_limits.sharedStrings); !loaded)
            return loaded.error();
    }
    m_xlsx->stringsLoaded = true;
    return true;
}

WorkbookResult<std::vector<std::string>> Workbook::sheetNames()
{
    if (m_format == WorkbookFormat::Xlsx) {
        std::vector<std::string> names;
        for (const OoxmlSheet& sheet : m_xlsx->parts.sheets)
            names.push_back(sheet.name);
        return names;
    }
    WorkbookResult<std::unique_ptr<ZipEntryStream>> content = m_zip->stream("content.xml");
    if (!content)
        return content.error();
    return listOdfSheets(*content.value());
}

WorkbookResult<std::unique_ptr<SheetSource>>
Workbook::openSource(std::string_view sheet, std::vector<CellRange> covered, bool survey, std::string& name)
{
    if (m_format == WorkbookFormat::Ods) {
        WorkbookResult<std::unique_ptr<ZipEntryStream>> content = m_zip->stream(*m_zip->find("content.xml"));
        if (!content)
            return content.error();
        return openOdfSheet(std::move(content.value()), sheet, m_limits.sheet, name);
    }
    const std::vector<OoxmlSheet>& sheets = m_xlsx->parts.sheets;
    const auto found = std::find_if(sheets.begin(), sheets.end(), [&](const OoxmlSheet& s) {
        return sheet.empty() ? s.holds.empty() : s.name == sheet;
    });
    if (found == sheets.end()) {
        if (sheet.empty())
            return WorkbookError(WorkbookErrorKind::NotSpreadsheet, {}, "no sheet of cells");
        return WorkbookError(WorkbookErrorKind::SheetNotFound, std::string(sheet));
    }
    if (!found->holds.empty())
        return WorkbookError(WorkbookErrorKind::NotATable, found->name, found->holds);
    const std::string* part = m_zip->find(found->part);
    if (!part)
        return WorkbookError(WorkbookErrorKind::MissingPart, found->part.empty() ? found->name : found->part);
    if (WorkbookStatus loaded = loadSharedStrings(); !loaded)
        return loaded.error();
    WorkbookResult<std::unique_ptr<ZipEntryStream>> stream = m_zip->stream(*part);
    if (!stream)
        return stream.error();
    name = found->name;
    return openOoxmlSheet(std::move(stream.value()), *m_xlsx->context, found->name, std::move(covered), survey);
}

WorkbookResult<SheetLayout> Workbook::survey(std::string_view sheet)
{
    SheetLayout layout;
    WorkbookResult<std::unique_ptr<SheetSource>> source = openSource(sheet, {}, true, layout.sheet);
    if (!source)
        return source.error();
    SheetReader reader(std::move(source.value()), layout.sheet, nullptr);
    SheetRow row;
    for (;;) {
        const WorkbookResult<bool> got = reader.next(row);
        if (!got)
            return got.error();
        if (!got.value())
            break;
        layout.rows = row.number;
        layout.columns = std::max<std::uint64_t>(layout.columns, row.size());
    }
    layout.merges = reader.merges();
    layout.shownAsGeneral = reader.shownAsGeneral();
    return layout;
}

WorkbookResult<std::unique_ptr<SheetReader>> Workbook::read(std::string_view sheet, const SheetLayout* layout)
{
    std::string name;
    WorkbookResult<std::unique_ptr<SheetSource>> source =
        openSource(sheet, layout ? layout->merges : std::vector<CellRange>{}, false, name);
    if (!source)
        return source.error();
    return std::make_unique<SheetReader>(std::move(source.value()), std::move(name), layout);
}

SheetReader::SheetReader(std::unique_ptr<SheetSource> source, std::string sheet, const SheetLayout* layout)
    : m_source(std::move(source))
    , m_sheet(std::move(sheet))
    , m_width(layout ? layout->columns : 0)
    , m_rows(layout ? layout->rows : 0)
{
}

void SheetReader::skipTo(std::uint64_t row)
{
    m_first = row;
    m_source->textFrom(row);
}

WorkbookResult<bool> SheetReader::next(SheetRow& row)
{
    for (;;) {
        const WorkbookResult<bool> got = nextRow(row);
        if (!got || !got.value() || row.number >= m_first)
            return got;
    }
}

WorkbookResult<bool> SheetReader::nextRow(SheetRow& row)
{
    for (;;) {
        if (m_storedLeft > 0) {
            if (m_next < m_stored.number) {
                // An empty row before the stored one.
                row.clear();
                row.number = m_next++;
            } else if (m_storedLeft == 1) {
                // The stored row's last (usually only) time: handed over without a copy.
                std::swap(row, m_stored);
                row.number = m_next++;
                m_storedLeft = 0;
            } else {
                row = m_stored;
                row.number = m_next++;
                ++m_stored.number;
                --m_storedLeft;
            }
            row.padTo(static_cast<std::size_t>(m_width));
            return true;
        }
        if (m_ended) {
            if (m_next > m_rows)
                return false;
            row.clear();
            row.number = m_next++;
            row.padTo(static_cast<std::size_t>(m_width));
            return true;
        }
        std::uint64_t repeats = 1;
        const WorkbookResult<bool> got = m_source->next(m_stored, repeats);
        if (!got)
            return got.error();
        if (!got.value()) {
            m_ended = true;
            continue;
        }
        m_shownAsGeneral += m_stored.shownAsGeneral * repeats;
        m_storedLeft = repeats;
    }
}

} // namespace stencilor
