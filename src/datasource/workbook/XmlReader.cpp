// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/XmlReader.h"

#include "datasource/workbook/ZipArchive.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <expat.h>

namespace stencilor {

namespace {

// Expat joins a namespace and a local name with this byte, which no XML name holds.
constexpr char kSeparator = '\x01';

struct KnownNamespace {
    std::string_view uri;
    XmlNs ns;
};

constexpr std::array kNamespaces{
    KnownNamespace{"http://schemas.openxmlformats.org/spreadsheetml/2006/main", XmlNs::Sheet},
    KnownNamespace{"http://purl.oclc.org/ooxml/spreadsheetml/main", XmlNs::Sheet},
    KnownNamespace{"http://schemas.openxmlformats.org/officeDocument/2006/relationships", XmlNs::Relations},
    KnownNamespace{"http://purl.oclc.org/ooxml/officeDocument/relationships", XmlNs::Relations},
    KnownNamespace{"http://schemas.openxmlformats.org/package/2006/relationships", XmlNs::Package},
    KnownNamespace{"http://schemas.openxmlformats.org/package/2006/content-types", XmlNs::ContentTypes},
    KnownNamespace{"urn:oasis:names:tc:opendocument:xmlns:office:1.0", XmlNs::OdfOffice},
    KnownNamespace{"urn:oasis:names:tc:opendocument:xmlns:table:1.0", XmlNs::OdfTable},
    KnownNamespace{"urn:oasis:names:tc:opendocument:xmlns:text:1.0", XmlNs::OdfText},
    KnownNamespace{"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", XmlNs::OdfManifest},
};

XmlName nameOf(const char* expatName)
{
    const char* split = std::strchr(expatName, kSeparator);
    if (!split)
        return {XmlNs::None, std::string_view(expatName)};
    const std::string_view uri(expatName, static_cast<std::size_t>(split - expatName));
    // The known namespaces differ in length but for a few: the length picks the candidates.
    for (const KnownNamespace& known : kNamespaces)
        if (known.uri.size() == uri.size() && std::memcmp(known.uri.data(), uri.data(), uri.size()) == 0)
            return {known.ns, std::string_view(split + 1)};
    return {XmlNs::Other, std::string_view(split + 1)};
}

// Whether the expat name `name` is `local` in namespace `ns`.
bool named(const char* name, XmlNs ns, std::string_view local)
{
    if (ns == XmlNs::None)
        return std::strncmp(name, local.data(), local.size()) == 0 && name[local.size()] == '\0';
    return nameOf(name).is(ns, local);
}

} // namespace

std::string_view XmlAttributes::get(XmlNs ns, std::string_view local, std::string_view fallback) const
{
    for (const char** pair = m_pairs; pair && *pair; pair += 2)
        if (named(*pair, ns, local))
            return pair[1];
    return fallback;
}

bool XmlAttributes::has(XmlNs ns, std::string_view local) const
{
    for (const char** pair = m_pairs; pair && *pair; pair += 2)
        if (named(*pair, ns, local))
            return true;
    return false;
}

XmlReader::XmlReader(XmlHandler& handler, std::string part)
    : m_parser(XML_ParserCreateNS(nullptr, kSeparator))
    , m_handler(handler)
    , m_part(std::move(part))
{
    m_handler.reader = this;
    if (!m_parser)
        return;
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlReader::onStart, &XmlReader::onEnd);
    XML_SetCharacterDataHandler(m_parser, &XmlReader::onText);
    // A workbook part never has a document type declaration; refusing any keeps entity
    // declarations (internal ones that expand without bound, external ones that would be fetched)
    // from being read at all. No external entity handler is set, so none is ever loaded.
    XML_SetStartDoctypeDeclHandler(m_parser, &XmlReader::onDocumentType);
    XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

void XmlReader::onStart(void* data, const char* name, const char** attributes)
{
    auto* reader = static_cast<XmlReader*>(data);
    // Each open element takes memory in expat: the depth is bounded like the length of a tag.
    if (++reader->m_depth > reader->m_maxDepth) {
        reader->fail(WorkbookError(WorkbookErrorKind::XmlTooLarge, reader->m_part)
                         .withLimit(static_cast<std::uint64_t>(reader->m_maxDepth))
                         .withRatio(1));
        return;
    }
    reader->m_handler.startElement(nameOf(name), XmlAttributes(attributes));
}

void XmlReader::onEnd(void* data, const char* name)
{
    auto* reader = static_cast<XmlReader*>(data);
    --reader->m_depth;
    reader->m_handler.endElement(nameOf(name));
}

void XmlReader::onText(void* reader, const char* text, int length)
{
    static_cast<XmlReader*>(reader)->m_handler.characters(std::string_view(text, static_cast<std::size_t>(length)));
}

void XmlReader::onDocumentType(void* data, const char*, const char*, const char*, int)
{
    auto* reader = static_cast<XmlReader*>(data);
    reader->fail(WorkbookError(WorkbookErrorKind::DocumentType, reader->m_part));
}

XmlReader::~XmlReader()
{
    if (m_parser)
        XML_ParserFree(m_parser);
}

void XmlReader::suspend()
{
    m_suspended = true;
    XML_StopParser(m_parser, XML_TRUE);
}

void XmlReader::fail(WorkbookError error)
{
    if (m_failed)
        return;
    m_failed = true;
    m_failure = std::move(error);
    XML_StopParser(m_parser, XML_FALSE);
}

WorkbookError XmlReader::parseError() const
{
    if (m_failed)
        return m_failure;
    const XML_Error code = XML_GetErrorCode(m_parser);
    std::string detail = XML_ErrorString(code) ? XML_ErrorString(code) : "not well-formed";
    detail += " at line " + std::to_string(XML_GetCurrentLineNumber(m_parser)) + ", column " +
              std::to_string(XML_GetCurrentColumnNumber(m_parser) + 1);
    return WorkbookError(WorkbookErrorKind::BrokenXml, m_part, std::move(detail));
}

WorkbookStatus XmlReader::parse(std::string_view text)
{
    if (!m_parser)
        return WorkbookError(WorkbookErrorKind::Damaged, m_part, "out of memory");
    // Fed in pieces: expat takes an int length.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    do {
        const std::size_t length = std::min(text.size(), kPiece);
        const bool last = length == text.size();
        if (XML_Parse(m_parser, text.data(), static_cast<int>(length), last) != XML_STATUS_OK)
            return parseError();
        text.remove_prefix(length);
    } while (!text.empty());
    return true;
}

WorkbookResult<bool> XmlReader::parseSome(ZipEntryStream& stream)
{
    if (!m_parser)
        return WorkbookError(WorkbookErrorKind::Damaged, m_part, "out of memory");
    constexpr int kBlock = 256 * 1024;
    for (;;) {
        XML_Status status;
        if (m_suspended) {
            m_suspended = false;
            status = XML_ResumeParser(m_parser);
        } else {
            if (m_ended)
                return false;
            void* buffer = XML_GetBuffer(m_parser, kBlock);
            if (!buffer)
                return WorkbookError(WorkbookErrorKind::Damaged, m_part, "out of memory");
            const WorkbookResult<std::size_t> got = stream.read(static_cast<char*>(buffer), kBlock);
            if (!got)
                return got.error();
            m_ended = got.value() == 0;
            m_fed += got.value();
            status = XML_ParseBuffer(m_parser, static_cast<int>(got.value()), m_ended);
        }
        if (status == XML_STATUS_ERROR)
            return parseError();
        if (status == XML_STATUS_SUSPENDED)
            return true;
        // Expat holds an unfinished tag whole; past the last event, the bytes wait for its end.
        const XML_Index lastEvent = XML_GetCurrentByteIndex(m_parser);
        if (m_fed - static_cast<std::uint64_t>(std::max<XML_Index>(lastEvent, 0)) > m_maxPending)
            return WorkbookError(WorkbookErrorKind::XmlTooLarge, m_part).withLimit(m_maxPending);
        XML_ParsingStatus parsing;
        XML_GetParsingStatus(m_parser, &parsing);
        if (parsing.parsing == XML_FINISHED)
            return false;
    }
}

WorkbookStatus XmlReader::parseToEnd(ZipEntryStream& stream)
{
    for (;;) {
        const WorkbookResult<bool> more = parseSome(stream);
        if (!more)
            return more.error();
        if (!more.value())
            return true;
    }
}

} // namespace stencilor
