// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The XML parts of a workbook read through expat, as events: elements with their namespace and
// local name, and text. A part may be parsed whole or as a stream that the handler suspends after
// each row, so that a sheet is read one row at a time. No document type declaration is accepted,
// so no entity is ever declared, expanded or fetched from outside.

#include "datasource/workbook/WorkbookError.h"

#include <cstdint>
#include <string>
#include <string_view>

struct XML_ParserStruct;

namespace stencilor {

class ZipEntryStream;

// The namespaces the workbook readers look at (the strict and transitional names of a namespace
// are one).
enum class XmlNs : std::uint8_t {
    None,         // no namespace
    Other,        // a namespace not listed here
    Sheet,        // SpreadsheetML
    Relations,    // relationship ids in SpreadsheetML (r:id)
    Package,      // package relationships (.rels)
    ContentTypes, // [Content_Types].xml
    OdfOffice,
    OdfTable,
    OdfText,
    OdfManifest,
};

struct XmlName {
    XmlNs ns = XmlNs::None;
    std::string_view local;

    bool is(XmlNs space, std::string_view name) const { return ns == space && local == name; }
};

// The attributes of an element, as expat gives them.
class XmlAttributes final {
public:
    explicit XmlAttributes(const char** pairs)
        : m_pairs(pairs)
    {
    }
    // The value of attribute `local` in namespace `ns`; `fallback` when the element has none.
    std::string_view get(XmlNs ns, std::string_view local, std::string_view fallback = {}) const;
    bool has(XmlNs ns, std::string_view local) const;
    // The names and values one after the other, ending in a null pointer (names with a namespace
    // are its URI, a byte 1 and the local name).
    const char* const* pairs() const { return m_pairs; }

private:
    const char** m_pairs;
};

class XmlReader;

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(const XmlName& name, const XmlAttributes& attributes) = 0;
    virtual void endElement(const XmlName& name) = 0;
    // A piece of text (the text of an element may come in several pieces).
    virtual void characters(std::string_view text) = 0;

    // The reader that hands this handler its events (set by the reader), to suspend or fail it.
    XmlReader* reader = nullptr;
};

class XmlReader final {
public:
    // A reader of part `part` (named in errors) that hands its events to `handler`.
    XmlReader(XmlHandler& handler, std::string part);
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Parses `text`, a whole part. Fails with BrokenXml, DocumentType or the handler's failure.
    WorkbookStatus parse(std::string_view text);
    // Parses on from `stream` until the handler suspends (true) or the part ends (false).
    WorkbookResult<bool> parseSome(ZipEntryStream& stream);
    // Parses the whole of `stream` (for a handler that never suspends).
    WorkbookStatus parseToEnd(ZipEntryStream& stream);

    // The longest stretch of a streamed part that may be waiting to be parsed (a tag: expat keeps
    // a tag whole until it ends), and the deepest nesting of elements; beyond them the part fails.
    void setLimits(std::uint64_t pendingBytes, int depth)
    {
        m_maxPending = pendingBytes;
        m_maxDepth = depth;
    }

    // From a handler: stop after this event; the next parseSome() goes on from here.
    void suspend();
    // From a handler: stop, and fail with `error`.
    void fail(WorkbookError error);

    const std::string& part() const { return m_part; }

private:
    WorkbookError parseError() const;
    // Expat's callbacks, with this reader as their user data.
    static void onStart(void* reader, const char* name, const char** attributes);
    static void onEnd(void* reader, const char* name);
    static void onText(void* reader, const char* text, int length);
    static void onDocumentType(void* reader, const char* name, const char* system, const char* publicId, int subset);

    XML_ParserStruct* m_parser;
    XmlHandler& m_handler;
    std::string m_part;
    bool m_suspended = false;
    bool m_ended = false;
    std::uint64_t m_fed = 0; // bytes handed to expat
    std::uint64_t m_maxPending = std::uint64_t{64} << 20;
    int m_depth = 0;
    int m_maxDepth = 1000;
    WorkbookError m_failure;
    bool m_failed = false;
};

} // namespace stencilor
