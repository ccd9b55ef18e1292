// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/Encoding.h"

#include "platform/Messages.h"

#include <gtest/gtest.h>
#include <string>

namespace stencilor {
namespace {

// All of `raw` decoded from `encoding`, read in pieces of `piece` bytes.
std::string decoded(const std::string& raw, const std::string& encoding, std::size_t piece,
                    std::uint64_t* replaced = nullptr)
{
    TextSource source(raw);
    auto decoder = DecodingSource::open(source, encoding);
    EXPECT_TRUE(decoder) << encoding;
    if (!decoder)
        return {};
    std::string text;
    std::string buffer(piece, '\0');
    for (;;) {
        const Result<std::size_t> got = decoder.value()->read(buffer.data(), piece);
        EXPECT_TRUE(got);
        if (!got || got.value() == 0)
            break;
        text.append(buffer, 0, got.value());
    }
    if (replaced)
        *replaced = decoder.value()->replaced();
    return text;
}

TEST(Encoding, DecodesToUtf8AndDropsAByteOrderMark)
{
    const struct {
        const char* what;
        std::string raw, encoding, text;
        std::uint64_t replaced;
    } cases[] = {
        {"Latin-1", "Z\xFCrich;\xA7", "ISO-8859-1", "Z\xC3\xBCrich;\xC2\xA7", 0},
        {"Windows-1251", "\xCC\xEE\xF1\xEA\xE2\xE0", "windows-1251", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
         0},
        {"UTF-16 with its mark",
         std::string("\xFF\xFE"
                     "a\0;\0\x16\x04",
                     8),
         "UTF-16", "a;\xD0\x96", 0},
        {"UTF-8 with a mark", "\xEF\xBB\xBFid;name\n", "UTF-8", "id;name\n", 0},
        // Of two marks exactly one is dropped, whichever name and case names the encoding.
        {"two marks, utf-16", std::string("\xFE\xFF\xFE\xFF\0\"", 6), "utf-16", "\xEF\xBB\xBF\"", 0},
        {"two marks, UTF-16 little-endian", std::string("\xFF\xFE\xFF\xFE\"\0", 6), "UTF-16", "\xEF\xBB\xBF\"", 0},
        {"two marks, UTF-16BE", std::string("\xFE\xFF\xFE\xFF\0\"", 6), "UTF-16BE", "\xEF\xBB\xBF\"", 0},
        {"two marks, UTF-32", std::string("\0\0\xFE\xFF\0\0\xFE\xFF\0\0\0\"", 12), "Utf-32", "\xEF\xBB\xBF\"", 0},
        {"two marks, UTF-32LE", std::string("\xFF\xFE\0\0\xFF\xFE\0\0\"\0\0\0", 12), "UTF-32LE", "\xEF\xBB\xBF\"", 0},
        {"two marks, UTF-8", "\xEF\xBB\xBF\xEF\xBB\xBF\"", "utf-8", "\xEF\xBB\xBF\"", 0},
        {"only a mark", "\xEF\xBB\xBF", "UTF-8", "", 0},
        {"invalid UTF-8 replaced and counted",
         "a\xFF"
         "b\xC3",
         "UTF-8",
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD",
         2},
        {"a long text", std::string(300000, 'x'), "ISO-8859-1", std::string(300000, 'x'), 0},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{4096}}) {
            std::uint64_t replaced = 0;
            EXPECT_EQ(decoded(c.raw, c.encoding, piece, &replaced), c.text) << c.what << " in pieces of " << piece;
            EXPECT_EQ(replaced, c.replaced) << c.what;
        }
    }
    TextSource source("x");
    const auto unknown = DecodingSource::open(source, "x-no-such");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(errorText(unknown.error()), "Unknown encoding \"x-no-such\" in the project file");
}

TEST(Encoding, AutoUsesTheMarkThenUtf8ThenDetection)
{
    const std::string russian =
        "\xCC\xEE\xF1\xEA\xE2\xE0;\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xE2\xE0\xED "
        "\xCF\xE5\xF2\xF0\xEE\xE2\xE8\xF7;\xD1\xE0\xED\xEA\xF2-\xCF\xE5\xF2\xE5\xF0\xE1\xF3\xF0\xE3\n";
    std::string sample;
    for (int i = 0; i < 50; ++i)
        sample += russian;
    const struct {
        const char* what;
        std::string setting, start;
        bool valid;
        std::string sample, line;
    } cases[] = {
        {"named", "windows-1251", "", false, "", "encoding: windows-1251"},
        {"a UTF-16 mark", "auto",
         "\xFF\xFE"
         "a",
         false, "", "encoding: UTF-16LE (byte-order mark)"},
        {"a UTF-8 mark", "auto", "\xEF\xBB\xBFid", true, "", "encoding: UTF-8 (byte-order mark)"},
        {"valid UTF-8", "auto", "id", true, "", "encoding: UTF-8 (detected)"},
        {"Cyrillic in windows-1251", "auto", sample.substr(0, 4), false, sample, "encoding: windows-1251 (detected)"},
    };
    for (const auto& c : cases) {
        const Result<ChosenEncoding> chosen = chooseEncoding(c.setting, c.start, c.valid, c.sample);
        ASSERT_TRUE(chosen) << c.what;
        EXPECT_EQ(encodingLine(chosen.value()), c.line) << c.what;
    }
    EXPECT_EQ(errorText(chooseEncoding("x", "", true, "").error()), "Unknown encoding \"x\" in the project file");
    EXPECT_TRUE(isKnownEncoding("auto") && isKnownEncoding("latin1") && !isKnownEncoding("x"));
}

TEST(Encoding, Utf8IsValidatedAcrossPieces)
{
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"plain", true},
        {"Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80", true},
        {"\xC3", false},             // cut short
        {"\xC0\xAF", false},         // overlong
        {"\xED\xA0\x80", false},     // a surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xFF", false},
        {"\x80", false},
    };
    for (const auto& c : cases) {
        for (std::size_t cut = 0; cut <= c.text.size(); ++cut) {
            Utf8Validator validator;
            validator.feed(std::string_view(c.text).substr(0, cut));
            validator.feed(std::string_view(c.text).substr(cut));
            EXPECT_EQ(validator.valid(), c.valid) << testing::PrintToString(c.text) << " cut at " << cut;
        }
    }
    // A block may end inside a sequence: only bytes that cannot begin a valid one are invalid so far.
    for (const auto& [text, soFar] : {std::pair<std::string, bool>{"a\xE0\xA0", true},
                                      {"a\xE0\x80", false},
                                      {"a\xF4\x8F", true},
                                      {"a\xF4\x90", false},
                                      {"a\xC1", false}}) {
        Utf8Validator validator;
        validator.feed(text);
        EXPECT_EQ(validator.validSoFar(), soFar) << testing::PrintToString(text);
        EXPECT_FALSE(validator.valid()) << testing::PrintToString(text);
    }
}

} // namespace
} // namespace stencilor
