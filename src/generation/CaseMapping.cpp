#include "generation/CaseMapping.h"

#include <cstdint>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace stencilor {

namespace {

// True when the code point changes under upper- or lower-case mapping, i.e. it is a letter with
// a case partner; letters already in upper case count as well as those in lower case.
bool hasCaseForm(UChar32 c)
{
    return u_toupper(c) != c || u_tolower(c) != c;
}

// Walks `text` as UTF-8 and appends the UTF-8 form of map(code point) for every
// valid sequence; the bytes of an invalid sequence are copied as they stand.
template <class Map> std::string mapCodePoints(std::string_view text, Map map)
{
    std::string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            out.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
            continue;
        }
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t written = 0;
        U8_APPEND_UNSAFE(buffer, written, map(c));
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(written));
    }
    return out;
}

} // namespace

std::string toLowerCase(std::string_view text)
{
    return mapCodePoints(text, [](UChar32 c) { return u_tolower(c); });
}

std::string toUpperCase(std::string_view text)
{
    return mapCodePoints(text, [](UChar32 c) { return u_toupper(c); });
}

std::string toSentenceCase(std::string_view text)
{
    bool seenFirst = false;
    return mapCodePoints(text, [&seenFirst](UChar32 c) {
        if (!seenFirst && hasCaseForm(c)) {
            seenFirst = true;
            return u_toupper(c);
        }
        return u_tolower(c);
    });
}

} // namespace stencilor
