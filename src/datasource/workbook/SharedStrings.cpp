// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/SharedStrings.h"

#include "datasource/workbook/XmlReader.h"
#include "datasource/workbook/ZipArchive.h"

#include <charconv>
#include <unicode/utf8.h>

namespace stencilor {

namespace {

// The UTF-16 unit of an escape _xHHHH_ at `at` of `text`, or -1 when none stands there.
long escapeAt(std::string_view text, std::size_t at)
{
    if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_')
        return -1;
    unsigned unit = 0;
    const char* digits = text.data() + at + 2;
    const auto parsed = std::from_chars(digits, digits + 4, unit, 16);
    return parsed.ec == std::errc() && parsed.ptr == digits + 4 ? static_cast<long>(unit) : -1;
}

// The events of sharedStrings.xml: an <si> per string, its text in <t> directly or in the runs
// <r><t>; the phonetic guides <rPh> are not shown in a cell.
class SharedStringsHandler final : public XmlHandler {
public:
    SharedStringsHandler(std::string& text, std::vector<std::uint64_t>& ends, std::uint64_t limit)
        : m_text(text)
        , m_ends(ends)
        , m_limit(limit)
    {
    }

    void startElement(const XmlName& name, const XmlAttributes&) override
    {
        if (name.ns != XmlNs::Sheet)
            return;
        if (name.local == "si") {
            m_inString = true;
            m_start = m_text.size();
        } else if (name.local == "rPh") {
            ++m_phonetic;
        } else if (name.local == "t" && m_inString && m_phonetic == 0) {
            m_inText = true;
        }
    }
    void endElement(const XmlName& name) override
    {
        if (name.ns != XmlNs::Sheet)
            return;
        if (name.local == "t") {
            m_inText = false;
        } else if (name.local == "rPh") {
            --m_phonetic;
        } else if (name.local == "si" && m_inString) {
            decodeXmlEscapes(m_text, m_start);
            m_ends.push_back(m_text.size());
            m_inString = false;
            // Each string's place counts too, so that a million empty strings are bounded as well.
            if (m_text.size() + m_ends.size() * sizeof m_ends[0] > m_limit)
                reader->fail(WorkbookError(WorkbookErrorKind::SharedStringsTooLarge).withLimit(m_limit));
        }
    }
    void characters(std::string_view text) override
    {
        if (!m_inText)
            return;
        if (m_text.size() + text.size() > m_limit) {
            reader->fail(WorkbookError(WorkbookErrorKind::SharedStringsTooLarge).withLimit(m_limit));
            m_inText = false;
            return;
        }
        m_text += text;
    }

private:
    std::string& m_text;
    std::vector<std::uint64_t>& m_ends;
    std::uint64_t m_limit;
    bool m_inString = false;
    bool m_inText = false;
    int m_phonetic = 0;
    std::size_t m_start = 0;
};

} // namespace

void decodeXmlEscapes(std::string& text, std::size_t from)
{
    std::size_t at = text.find("_x", from);
    if (at == std::string::npos)
        return;
    std::string decoded(text, 0, at);
    while (at < text.size()) {
        long unit = escapeAt(text, at);
        if (unit < 0) {
            decoded += text[at++];
            continue;
        }
        at += 7;
        char32_t c = static_cast<char32_t>(unit);
        if (unit >= 0xd800 && unit < 0xdc00) {
            // A surrogate pair is two escapes.
            const long low = escapeAt(text, at);
            if (low >= 0xdc00 && low < 0xe000) {
                c = 0x10000 + ((static_cast<char32_t>(unit) - 0xd800) << 10) + (static_cast<char32_t>(low) - 0xdc00);
                at += 7;
            } else {
                c = 0xfffd;
            }
        } else if (unit >= 0xdc00 && unit < 0xe000) {
            c = 0xfffd;
        }
        // A NUL would end the text for the readers of a data file: it is left out.
        if (c != 0) {
            char bytes[U8_MAX_LENGTH];
            std::size_t length = 0;
            U8_APPEND_UNSAFE(bytes, length, c);
            decoded.append(bytes, length);
        }
    }
    text = std::move(decoded);
}

WorkbookStatus SharedStrings::load(ZipEntryStream& stream, std::uint64_t limit)
{
    m_text.clear();
    m_ends.clear();
    SharedStringsHandler handler(m_text, m_ends, limit);
    XmlReader reader(handler, stream.name());
    return reader.parseToEnd(stream);
}

} // namespace stencilor
