// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/IniFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

// The INI format as read and written here
// ---------------------------------------
// A file is a list of lines. Both CR LF and LF end a line when reading (every CR before the LF
// belongs to the line end); the style of the first line end is the file's style, and every line
// is written back with it (a new file gets LF).
// A line whose first character after spaces and tabs is "[" is a section header; the name is the
// text up to the first "]" (or the end of the line), trimmed of spaces and tabs. Within a section,
// a key line is any line that holds "="; the key is the text before the first "=", trimmed of
// spaces and tabs, and the raw value is everything after it. Names match without regard to ASCII
// letter case; the first matching section and, in it, the first matching key win. Lines before
// the first header belong to no section. Values are returned whole (no 2047-character cut).
//
// Stored form of a value (encodeValue / decodeValue)
// --------------------------------------------------
// Readers of the format trim spaces and tabs around a value and remove one pair of enclosing
// quotes, and a line cannot hold a line break. So that every byte string survives a write and a
// read exactly, writeString stores a value as follows:
//
//  1. Escaping. A value that holds a CR or an LF (a multi-line identifier), or that itself begins
//     with the marker "{stencilor-ml}", is stored as the marker followed by the value in which
//     every "\" is written "\\", every CR "\r" and every LF "\n". Any other value is kept as it is.
//  2. Quoting. When the result of step 1 begins or ends with a space or a tab, or is at least two
//     characters long and begins and ends with the same quote character (" or '), it is written
//     between double quotes.
//
// Reading reverses this: trim spaces and tabs; remove one enclosing pair of " or ' quotes
// (length >= 2); then, when the text begins with the marker, drop the marker and unescape ("\\",
// "\r", "\n"; a "\" before any other character, or at the end, stands for itself). A value
// written by another writer of the format is read differently only when it begins with the
// marker, which no ordinary value does.

namespace {

constexpr std::string_view kMarker = "{stencilor-ml}";

// See IniFile::linesVisited.
thread_local std::uint64_t t_linesVisited = 0;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = asciiLower(c);
    return lower;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// The name of the section that `line` opens, or nothing when it is no header line.
std::optional<std::string_view> headerName(std::string_view line)
{
    // A byte-order mark left by an editor must not hide the first section.
    if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        line.remove_prefix(kUtf8Bom.size());
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    return trimBlanks(line.substr(0, line.find(']')));
}

struct KeyLine {
    std::string_view key;
    std::string_view rawValue;
};

// The key and raw value of `line`, or nothing when it holds no "=".
std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimBlanks(line.substr(0, equals)), line.substr(equals + 1)};
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One or more hexadecimal digits whose value fits a signed 32-bit integer.
std::optional<std::int32_t> parseHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
        if (value > INT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// Rule 5: "0x"/"0X" + hex (longer than two characters), "$" + hex, or an optionally signed
// decimal number; the value must lie in the signed 32-bit range (so "0xFFFFFFFF" is rejected).
std::optional<std::int32_t> parseInt(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));
    if (!text.empty() && text[0] == '$')
        return parseHex(text.substr(1));
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{INT32_MAX} + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool enclosedInQuotes(std::string_view text)
{
    return text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
}

std::string escapeValue(std::string_view value)
{
    std::string escaped(kMarker);
    escaped.reserve(kMarker.size() + value.size() + value.size() / 8);
    for (char c : value) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string unescapeValue(std::string_view escaped)
{
    std::string value;
    value.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\' || i + 1 == escaped.size()) {
            value += c;
            continue;
        }
        const char next = escaped[i + 1];
        if (next == '\\')
            value += '\\';
        else if (next == 'r')
            value += '\r';
        else if (next == 'n')
            value += '\n';
        else {
            value += c;
            continue; // an unknown escape stands for itself; `next` is read on its own
        }
        ++i;
    }
    return value;
}

std::string keyLineText(std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    line += IniFile::encodeValue(value);
    return line;
}

} // namespace

std::string IniFile::encodeValue(std::string_view value)
{
    const bool needsEscape = value.find_first_of("\r\n") != std::string_view::npos || value.starts_with(kMarker);
    std::string stored = needsEscape ? escapeValue(value) : std::string(value);
    const bool needsQuotes =
        !stored.empty() && (isBlank(stored.front()) || isBlank(stored.back()) || enclosedInQuotes(stored));
    if (needsQuotes)
        return '"' + stored + '"';
    return stored;
}

std::string IniFile::decodeValue(std::string_view raw)
{
    std::string_view text = trimBlanks(raw);
    if (enclosedInQuotes(text))
        text = text.substr(1, text.size() - 2);
    if (text.starts_with(kMarker))
        return unescapeValue(text.substr(kMarker.size()));
    return std::string(text);
}

IniFile IniFile::parse(std::string_view text)
{
    IniFile file;
    file.m_exists = true;
    const std::size_t firstLf = text.find('\n');
    file.m_crlf = firstLf != std::string_view::npos && firstLf > 0 && text[firstLf - 1] == '\r';
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string_view line;
        if (end == std::string_view::npos) {
            line = text.substr(pos);
            pos = text.size();
        } else {
            line = text.substr(pos, end - pos);
            pos = end + 1;
        }
        // Every CR before the LF belongs to the line end (CR CR LF is left by a broken conversion):
        // a CR kept at the end of a line would be written back as a CR LF line end and read as one.
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        file.m_lines.emplace_back(line);
        ++t_linesVisited;
    }
    return file;
}

Result<IniFile> IniFile::load(const std::string& path)
{
    Result<std::string> text = readWholeFile(path);
    if (!text) {
        const int code = text.error().code;
        if (code == ENOENT || code == ENOTDIR)
            return IniFile();
        return text.error();
    }
    return parse(text.value());
}

IniFile::Range IniFile::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        ++t_linesVisited;
        const std::optional<std::string_view> name = headerName(m_lines[i]);
        if (!name || !equalNoCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !headerName(m_lines[end]))
            ++end;
        t_linesVisited += end - i - 1;
        return Range{i, end};
    }
    return Range{m_lines.size(), m_lines.size()};
}

std::optional<std::size_t> IniFile::findKey(const Range& range, std::string_view key) const
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        ++t_linesVisited;
        const std::optional<KeyLine> line = keyLine(m_lines[i]);
        if (line && equalNoCase(line->key, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    const Range range = findSection(section);
    if (range.header == m_lines.size())
        return std::nullopt;
    const std::optional<std::size_t> index = findKey(range, key);
    if (!index)
        return std::nullopt;
    return decodeValue(keyLine(m_lines[*index])->rawValue);
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    std::optional<std::string> found = value(section, key);
    return found ? std::move(*found) : std::string(def);
}

std::int32_t IniFile::readInt(std::string_view section, std::string_view key, std::int32_t def) const
{
    return parseInt(readString(section, key, {})).value_or(def);
}

bool IniFile::readFlag(std::string_view section, std::string_view key) const
{
    return readInt(section, key, 0) != 0;
}

std::unordered_map<std::string, std::string> IniFile::sectionValues(std::string_view section) const
{
    std::unordered_map<std::string, std::string> values;
    const Range range = findSection(section);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        ++t_linesVisited;
        const std::optional<KeyLine> line = keyLine(m_lines[i]);
        if (!line)
            continue;
        std::string lower = asciiLower(line->key);
        if (!values.contains(lower))
            values.emplace(std::move(lower), decodeValue(line->rawValue));
    }
    return values;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const Range range = findSection(section);
    if (range.header == m_lines.size()) {
        m_lines.push_back('[' + std::string(section) + ']');
        m_lines.push_back(keyLineText(key, value));
        return;
    }
    if (const std::optional<std::size_t> index = findKey(range, key)) {
        m_lines[*index] = keyLineText(key, value);
        return;
    }
    // A new key goes after the section's last non-blank line, before any blank lines that
    // separate it from the next section.
    std::size_t insertAt = range.end;
    while (insertAt > range.header + 1 && trimBlanks(m_lines[insertAt - 1]).empty())
        --insertAt;
    t_linesVisited += m_lines.size() - insertAt;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLineText(key, value));
}

void IniFile::eraseSection(std::string_view section)
{
    std::vector<std::string> kept;
    kept.reserve(m_lines.size());
    bool erasing = false;
    for (std::string& line : m_lines) {
        ++t_linesVisited;
        if (const std::optional<std::string_view> name = headerName(line))
            erasing = equalNoCase(*name, section);
        if (!erasing)
            kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
}

void IniFile::replaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries)
{
    eraseSection(section);
    if (entries.empty())
        return;
    m_lines.push_back('[' + std::string(section) + ']');
    // As writeString would: a key written twice keeps its first line and takes the last value.
    std::unordered_map<std::string, std::size_t> lineOfKey;
    for (const auto& [key, value] : entries) {
        ++t_linesVisited;
        auto [it, added] = lineOfKey.try_emplace(asciiLower(trimBlanks(key)), m_lines.size());
        if (added)
            m_lines.push_back(keyLineText(key, value));
        else
            m_lines[it->second] = keyLineText(key, value);
    }
}

std::string IniFile::text() const
{
    const std::string_view lineEnd = m_crlf ? "\r\n" : "\n";
    std::size_t size = 0;
    for (const std::string& line : m_lines)
        size += line.size() + lineEnd.size();
    std::string text;
    text.reserve(size);
    for (const std::string& line : m_lines) {
        text += line;
        text += lineEnd;
    }
    t_linesVisited += m_lines.size();
    return text;
}

std::uint64_t IniFile::linesVisited()
{
    return t_linesVisited;
}

Status IniFile::save(const std::string& path) const
{
    // Write through a symbolic link to its target, so that the rename keeps the link.
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    // The rename would replace a file the user made read-only; refuse as an in-place write would.
    if (fileExists(target) && ::access(target.c_str(), W_OK) != 0) {
        const int code = errno;
        return systemError(ErrorKind::WriteFile, path, code);
    }
    return writeFileAtomically(target, text());
}

} // namespace stencilor
