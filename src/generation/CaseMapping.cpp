// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/CaseMapping.h"

#include "datasource/Encoding.h"

#include <algorithm>
#include <cstdint>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
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
        // ASCII, most of a name, maps to ASCII: one byte in, one out.
        if (bytes[i] < 0x80) {
            out.push_back(static_cast<char>(map(static_cast<UChar32>(bytes[i]))));
            ++i;
            continue;
        }
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
    return mapCodePoints(text, [](UChar32 c) {
        if (c >= 0x80)
            return u_tolower(c);
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    });
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

std::string toComposedForm(std::string_view text)
{
    // ASCII is composed already; most names are.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(text);
    Utf8Validator validator;
    validator.feed(text);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* composed = icu::Normalizer2::getNFCInstance(status);
    if (!validator.valid() || U_FAILURE(status))
        return std::string(text);
    const icu::UnicodeString source =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    const icu::UnicodeString normalized = composed->normalize(source, status);
    if (U_FAILURE(status))
        return std::string(text);
    std::string out;
    normalized.toUTF8String(out);
    return out;
}

} // namespace stencilor
