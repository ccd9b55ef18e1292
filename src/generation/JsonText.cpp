// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/JsonText.h"

#include "datasource/Encoding.h"

#include <cstdio>

namespace stencilor {

namespace {

void appendEscape(std::string& out, unsigned value)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", value);
    out += escape;
}

class Parser final {
public:
    explicit Parser(std::string_view text)
        : m_text(text)
    {
    }

    std::optional<JsonValue> document()
    {
        std::optional<JsonValue> value = parseValue(0);
        skipBlanks();
        if (!value || m_pos != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    void skipBlanks()
    {
        while (m_pos < m_text.size() &&
               (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\r' || m_text[m_pos] == '\n'))
            ++m_pos;
    }
    bool take(char c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool word(std::string_view w)
    {
        if (m_text.substr(m_pos, w.size()) != w)
            return false;
        m_pos += w.size();
        return true;
    }
    std::optional<unsigned> hex4()
    {
        if (m_pos + 4 > m_text.size())
            return std::nullopt;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<unsigned>(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return value;
    }
    std::optional<std::string> parseString()
    {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                return std::nullopt;
            const char e = m_text[m_pos++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::optional<unsigned> unit = hex4();
                if (!unit)
                    return std::nullopt;
                if (*unit >= 0xDC80 && *unit <= 0xDCFF) {
                    out += static_cast<char>(*unit - 0xDC00); // a byte that was not UTF-8
                } else if (*unit >= 0xD800 && *unit <= 0xDBFF) {
                    if (!word("\\u"))
                        return std::nullopt;
                    const std::optional<unsigned> low = hex4();
                    if (!low || *low < 0xDC00 || *low > 0xDFFF)
                        return std::nullopt;
                    appendUtf8(out, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
                } else if (*unit >= 0xDC00 && *unit <= 0xDFFF) {
                    return std::nullopt;
                } else {
                    appendUtf8(out, *unit);
                }
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<JsonValue> parseValue(int depth)
    {
        if (depth > kMaxDepth)
            return std::nullopt;
        skipBlanks();
        if (m_pos >= m_text.size())
            return std::nullopt;
        JsonValue value;
        const char c = m_text[m_pos];
        if (c == '"') {
            std::optional<std::string> text = parseString();
            if (!text)
                return std::nullopt;
            value.kind = JsonValue::Kind::String;
            value.text = std::move(*text);
        } else if (c == '{') {
            ++m_pos;
            value.kind = JsonValue::Kind::Object;
            if (take('}'))
                return value;
            do {
                skipBlanks();
                std::optional<std::string> name = parseString();
                if (!name || !take(':'))
                    return std::nullopt;
                std::optional<JsonValue> member = parseValue(depth + 1);
                if (!member)
                    return std::nullopt;
                value.members[*name] = std::move(*member);
            } while (take(','));
            if (!take('}'))
                return std::nullopt;
        } else if (c == '[') {
            ++m_pos;
            value.kind = JsonValue::Kind::Array;
            if (take(']'))
                return value;
            do {
                std::optional<JsonValue> item = parseValue(depth + 1);
                if (!item)
                    return std::nullopt;
                value.items.push_back(std::move(*item));
            } while (take(','));
            if (!take(']'))
                return std::nullopt;
        } else if (word("true")) {
            value.kind = JsonValue::Kind::Bool;
            value.boolean = true;
        } else if (word("false")) {
            value.kind = JsonValue::Kind::Bool;
        } else if (word("null")) {
            value.kind = JsonValue::Kind::Null;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            const bool negative = c == '-';
            if (negative)
                ++m_pos;
            std::uint64_t magnitude = 0;
            std::size_t digits = 0;
            while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9' && digits < 18) {
                magnitude = magnitude * 10 + static_cast<std::uint64_t>(m_text[m_pos++] - '0');
                ++digits;
            }
            if (digits == 0 || (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9'))
                return std::nullopt;
            value.kind = JsonValue::Kind::Number;
            value.number = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        } else {
            return std::nullopt;
        }
        return value;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

void appendJsonString(std::string& out, std::string_view bytes)
{
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\r') {
            out += "\\r";
            ++i;
        } else if (c == '\t') {
            out += "\\t";
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            appendEscape(out, c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = decodeUtf8(bytes, i).length; length > 0) {
            out.append(bytes, i, length);
            i += length;
        } else {
            appendEscape(out, 0xDC00 + c);
            ++i;
        }
    }
    out += '"';
}

const JsonValue* JsonValue::member(std::string_view name) const
{
    const auto found = members.find(std::string(name));
    return found == members.end() ? nullptr : &found->second;
}

std::optional<JsonValue> parseJson(std::string_view text)
{
    return Parser(text).document();
}

void JsonObject::name(std::string_view name)
{
    if (m_text.size() > 1)
        m_text += ',';
    appendJsonString(m_text, name);
    m_text += ':';
}

JsonObject& JsonObject::add(std::string_view member, std::string_view text)
{
    name(member);
    appendJsonString(m_text, text);
    return *this;
}

JsonObject& JsonObject::add(std::string_view member, std::int64_t number)
{
    name(member);
    m_text += std::to_string(number);
    return *this;
}

JsonObject& JsonObject::add(std::string_view member, std::uint64_t number)
{
    name(member);
    m_text += std::to_string(number);
    return *this;
}

JsonObject& JsonObject::add(std::string_view member, bool flag)
{
    name(member);
    m_text += flag ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::addNull(std::string_view member)
{
    name(member);
    m_text += "null";
    return *this;
}

JsonObject& JsonObject::addStrings(std::string_view member, const std::vector<std::string>& texts)
{
    name(member);
    m_text += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            m_text += ',';
        appendJsonString(m_text, texts[i]);
    }
    m_text += ']';
    return *this;
}

JsonObject& JsonObject::addRaw(std::string_view member, std::string_view json)
{
    name(member);
    m_text += json;
    return *this;
}

} // namespace stencilor
