// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/OoxmlParts.h"

#include "datasource/workbook/XmlReader.h"
#include "datasource/workbook/ZipArchive.h"

#include <charconv>
#include <functional>

namespace stencilor {

namespace {

// The start tags of a small part, each with the local name of its parent element.
class StartTags final : public XmlHandler {
public:
    using Visit = std::function<void(const XmlName&, const XmlAttributes&, const XmlName& parent)>;
    explicit StartTags(Visit visit)
        : m_visit(std::move(visit))
    {
    }
    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        m_visit(name, attributes, m_open.empty() ? XmlName{} : XmlName{m_open.back().first, m_open.back().second});
        m_open.emplace_back(name.ns, std::string(name.local));
    }
    void endElement(const XmlName&) override { m_open.pop_back(); }
    void characters(std::string_view) override {}

private:
    Visit m_visit;
    std::vector<std::pair<XmlNs, std::string>> m_open;
};

// Reads part `part` of `zip` and hands its start tags to `visit`.
WorkbookStatus visitPart(const ZipArchive& zip, const std::string& part, StartTags::Visit visit)
{
    const WorkbookResult<std::string> text = zip.read(part);
    if (!text)
        return text.error();
    StartTags handler(std::move(visit));
    XmlReader reader(handler, part);
    return reader.parse(text.value());
}

// The last segment of a relationship type (".../relationships/worksheet" gives "worksheet").
std::string_view typeName(std::string_view type)
{
    const std::size_t slash = type.rfind('/');
    return slash == std::string_view::npos ? type : type.substr(slash + 1);
}

struct Relationship {
    std::string type; // its last segment
    std::string target;
};

// The relationships of part `source` ("" for the package), by id; none when it has no .rels part.
WorkbookResult<std::map<std::string, Relationship>> readRelationships(const ZipArchive& zip, std::string_view source)
{
    const std::size_t slash = source.rfind('/');
    const std::string folder(slash == std::string_view::npos ? std::string_view() : source.substr(0, slash + 1));
    const std::string file(slash == std::string_view::npos ? source : source.substr(slash + 1));
    const std::string* part = zip.find(folder + "_rels/" + file + ".rels");
    std::map<std::string, Relationship> relationships;
    if (!part)
        return relationships;
    const WorkbookStatus read = visitPart(zip, *part, [&](const XmlName& name, const XmlAttributes& a, const XmlName&) {
        if (name.is(XmlNs::Package, "Relationship") && a.get(XmlNs::None, "TargetMode") != "External")
            relationships[std::string(a.get(XmlNs::None, "Id"))] = {
                std::string(typeName(a.get(XmlNs::None, "Type"))),
                resolvePartName(source, a.get(XmlNs::None, "Target"))};
    });
    if (!read)
        return read.error();
    return relationships;
}

// Why a main part of content type `type` is not read, or an empty error kind list for a workbook.
WorkbookStatus checkContentType(std::string_view type)
{
    const auto has = [&](std::string_view part) { return type.find(part) != std::string_view::npos; };
    const auto unsupported = [](std::string what) {
        return WorkbookError(WorkbookErrorKind::UnsupportedFormat, {}, std::move(what));
    };
    if (has("spreadsheetml.sheet.main") || has("spreadsheetml.template.main"))
        return true;
    if (has("ms-excel.sheet.binary"))
        return unsupported("an Excel Binary Workbook (.xlsb)");
    if (has("ms-excel.sheet.macroEnabled"))
        return unsupported("an Excel Macro-Enabled Workbook (.xlsm)");
    if (has("ms-excel.template.macroEnabled"))
        return unsupported("an Excel Macro-Enabled Template (.xltm)");
    if (has("ms-excel.addin"))
        return unsupported("an Excel Add-in (.xlam)");
    if (has("wordprocessingml"))
        return WorkbookError(WorkbookErrorKind::NotSpreadsheet, {}, "a word-processing document (.docx)");
    if (has("presentationml"))
        return WorkbookError(WorkbookErrorKind::NotSpreadsheet, {}, "a presentation (.pptx)");
    return WorkbookError(WorkbookErrorKind::NotSpreadsheet);
}

bool sameLetters(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string resolvePartName(std::string_view source, std::string_view target)
{
    std::string path;
    if (!target.empty() && (target[0] == '/' || target[0] == '\\')) {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = source.rfind('/');
        if (slash != std::string_view::npos)
            path.assign(source.substr(0, slash + 1));
    }
    path += target;
    // Segments joined again without "." and with ".." taking the one before (never above the root).
    std::vector<std::string> segments;
    std::string segment;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            if (segment == "..") {
                if (!segments.empty())
                    segments.pop_back();
            } else if (!segment.empty() && segment != ".") {
                segments.push_back(segment);
            }
            segment.clear();
        } else {
            segment += path[i];
        }
    }
    std::string joined;
    for (const std::string& s : segments)
        joined += (joined.empty() ? "" : "/") + s;
    return joined;
}

WorkbookResult<OoxmlWorkbook> readOoxmlWorkbook(const ZipArchive& zip)
{
    // The workbook part: the package's officeDocument relationship.
    const WorkbookResult<std::map<std::string, Relationship>> package = readRelationships(zip, "");
    if (!package)
        return package.error();
    std::string main;
    for (const auto& [id, relationship] : package.value())
        if (relationship.type == "officeDocument")
            main = relationship.target;
    if (main.empty())
        return WorkbookError(WorkbookErrorKind::MissingPart, "_rels/.rels");

    // Its content type tells a workbook from a macro-enabled or binary one.
    std::string type;
    const std::string extension = main.substr(main.rfind('.') == std::string::npos ? main.size() : main.rfind('.') + 1);
    const std::string* contentTypes = zip.find("[Content_Types].xml");
    if (!contentTypes)
        return WorkbookError(WorkbookErrorKind::MissingPart, "[Content_Types].xml");
    const WorkbookStatus types =
        visitPart(zip, *contentTypes, [&](const XmlName& name, const XmlAttributes& a, const XmlName&) {
            if (name.is(XmlNs::ContentTypes, "Override") &&
                sameLetters(resolvePartName("", a.get(XmlNs::None, "PartName")), main))
                type = a.get(XmlNs::None, "ContentType");
            else if (name.is(XmlNs::ContentTypes, "Default") && type.empty() &&
                     sameLetters(a.get(XmlNs::None, "Extension"), extension))
                type = a.get(XmlNs::None, "ContentType");
        });
    if (!types)
        return types.error();
    if (WorkbookStatus checked = checkContentType(type); !checked)
        return checked.error();
    const std::string* mainPart = zip.find(main);
    if (!mainPart)
        return WorkbookError(WorkbookErrorKind::MissingPart, main);

    const WorkbookResult<std::map<std::string, Relationship>> parts = readRelationships(zip, *mainPart);
    if (!parts)
        return parts.error();
    OoxmlWorkbook workbook;
    for (const auto& [id, relationship] : parts.value()) {
        if (relationship.type == "styles")
            workbook.stylesPart = relationship.target;
        else if (relationship.type == "sharedStrings")
            workbook.sharedStringsPart = relationship.target;
    }
    const WorkbookStatus listed =
        visitPart(zip, *mainPart, [&](const XmlName& name, const XmlAttributes& a, const XmlName&) {
            if (name.is(XmlNs::Sheet, "workbookPr")) {
                const std::string_view date1904 = a.get(XmlNs::None, "date1904");
                if (date1904 == "1" || date1904 == "true")
                    workbook.dates = DateSystem::From1904;
            } else if (name.is(XmlNs::Sheet, "sheet")) {
                OoxmlSheet sheet{std::string(a.get(XmlNs::None, "name")), {}, {}};
                const auto found = parts.value().find(std::string(a.get(XmlNs::Relations, "id")));
                if (found != parts.value().end()) {
                    const std::string& kind = found->second.type;
                    sheet.part = found->second.target;
                    if (kind == "chartsheet")
                        sheet.holds = "a chart";
                    else if (kind == "dialogsheet")
                        sheet.holds = "a dialog";
                    else if (kind.find("acrosheet") != std::string::npos)
                        sheet.holds = "macros";
                    else if (kind != "worksheet")
                        sheet.holds = "something other than cells";
                }
                workbook.sheets.push_back(std::move(sheet));
            }
        });
    if (!listed)
        return listed.error();
    return workbook;
}

WorkbookStatus CellStyles::load(std::string_view xml, const std::string& part)
{
    constexpr std::size_t kMaxStyles = std::size_t{1} << 20;
    std::vector<std::uint32_t> styleFormats;
    std::map<std::uint32_t, std::string> codes;
    StartTags handler([&](const XmlName& name, const XmlAttributes& a, const XmlName& parent) {
        const auto number = [](std::string_view text) {
            std::uint32_t value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            return value;
        };
        if (name.is(XmlNs::Sheet, "numFmt") && parent.is(XmlNs::Sheet, "numFmts") && codes.size() < kMaxStyles)
            codes[number(a.get(XmlNs::None, "numFmtId"))] = a.get(XmlNs::None, "formatCode");
        else if (name.is(XmlNs::Sheet, "xf") && parent.is(XmlNs::Sheet, "cellXfs") && styleFormats.size() < kMaxStyles)
            styleFormats.push_back(number(a.get(XmlNs::None, "numFmtId")));
    });
    XmlReader reader(handler, part);
    if (WorkbookStatus parsed = reader.parse(xml); !parsed)
        return parsed.error();
    m_byStyle.clear();
    for (const std::uint32_t id : styleFormats) {
        auto found = m_formats.find(id);
        if (found == m_formats.end()) {
            const auto code = codes.find(id);
            const std::string_view text = code != codes.end() ? std::string_view(code->second) : builtInFormatCode(id);
            // A number the workbook does not define and the built-in list has not: not understood.
            found = m_formats.emplace(id, text.empty() && id != 0 ? NumberFormat::notUnderstood() : NumberFormat(text))
                        .first;
        }
        m_byStyle.push_back(&found->second);
    }
    return true;
}

} // namespace stencilor
