// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/TextLines.h"

#include <cstring>

namespace stencilor {

std::string_view textBeforeNul(std::string_view text)
{
    // An empty view may hold no pointer at all, which memchr must not be given.
    if (text.empty())
        return text;
    const void* nul = std::memchr(text.data(), '\0', text.size());
    return nul ? text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data())) : text;
}

namespace {

// The position of the first CR or LF at or after `from`, or text.size().
std::size_t findLineEnd(std::string_view text, std::size_t from)
{
    const char* begin = text.data() + from;
    const std::size_t length = text.size() - from;
    const void* lf = std::memchr(begin, '\n', length);
    const std::size_t lfLength = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : length;
    // A CR can only come before the LF; look for it in that shorter stretch.
    const void* cr = std::memchr(begin, '\r', lfLength);
    return from + (cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : lfLength);
}

} // namespace

bool LineCursor::next(std::string_view& line)
{
    if (m_pos >= m_text.size())
        return false;
    const std::size_t end = findLineEnd(m_text, m_pos);
    line = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    if (m_pos < m_text.size()) {
        if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')
            m_pos += 2;
        else
            m_pos += 1;
    }
    return true;
}

std::string escapeControlBytes(std::string_view text, bool keepLineFeeds)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const auto escapeByte = [](std::string& out, unsigned char byte) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t' && !(keepLineFeeds && byte == '\n')) || byte == 0x7F) {
            escapeByte(out, byte);
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            escapeByte(out, byte);
            escapeByte(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string quoted(std::string_view text)
{
    // Appended piece by piece: `"\"" + std::string(text)` trips a false -Wrestrict warning of
    // GCC 12 at -O2.
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n", 0, 2) != std::string_view::npos;
}

std::size_t countLines(std::string_view text)
{
    LineCursor cursor(text);
    std::size_t count = 0;
    for (std::string_view line; cursor.next(line);)
        ++count;
    return count;
}

void appendNormalized(std::string_view text, std::string& out)
{
    LineCursor cursor(text);
    out.reserve(out.size() + text.size() + 2);
    for (std::string_view line; cursor.next(line);) {
        out.append(line);
        out.append("\r\n", 2);
    }
}

std::string normalizeLineEnds(std::string_view text)
{
    std::string out;
    appendNormalized(text, out);
    return out;
}

bool normalizesTo(std::string_view raw, std::string_view normalized)
{
    // A normalized text normalizes to itself, so equal bytes settle it at the cost of a compare.
    if (raw == normalized)
        return true;
    LineCursor cursor(raw);
    std::size_t pos = 0;
    for (std::string_view line; cursor.next(line);) {
        if (normalized.size() - pos < line.size() + 2 || normalized.compare(pos, line.size(), line) != 0 ||
            normalized[pos + line.size()] != '\r' || normalized[pos + line.size() + 1] != '\n')
            return false;
        pos += line.size() + 2;
    }
    return pos == normalized.size();
}

} // namespace stencilor
