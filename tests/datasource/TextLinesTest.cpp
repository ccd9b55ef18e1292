// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/TextLines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using Lines = std::vector<std::string>;

// The lines of `text` as the cursor walks them.
Lines linesOf(std::string_view text)
{
    Lines lines;
    LineCursor cursor(text);
    for (std::string_view line; cursor.next(line);)
        lines.emplace_back(line);
    return lines;
}

TEST(TextLines, SplitsAtEveryKindOfLineEnd)
{
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},   // LF then a lone CR: two line ends
        {"a\r\r\nb", {"a", "", "b"}}, // lone CR then CR LF
        {"a\n\n", {"a", ""}},         // two line ends at the end: one empty record more
        {"\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {std::string("ab\0cd\ne", 7), {"ab"}}, // NUL ends the text
        {std::string("\0x", 2), {}},
        {"\xD0\x9C\xD0\xBE;\xC3\xA9\r\n", {"\xD0\x9C\xD0\xBE;\xC3\xA9"}}, // bytes stay as they are
    };
    for (const auto& c : cases) {
        EXPECT_EQ(linesOf(c.text), c.lines) << testing::PrintToString(c.text);
        EXPECT_EQ(countLines(c.text), c.lines.size()) << testing::PrintToString(c.text);
    }
}

TEST(TextLines, NormalizingEqualsSplittingAndJoining)
{
    const std::string texts[] = {"", "a", "a\nb", "a\rb\r\n", "\r\r\n\n", "x\r\n", std::string("p\r\0q", 4), "\n\n\n"};
    for (const std::string& text : texts) {
        std::string joined;
        for (const std::string& line : linesOf(text))
            joined += line + "\r\n";
        EXPECT_EQ(normalizeLineEnds(text), joined) << testing::PrintToString(text);
        for (const std::string& other : texts) {
            const std::string normalized = normalizeLineEnds(other);
            EXPECT_EQ(normalizesTo(text, normalized), joined == normalized)
                << testing::PrintToString(text) << " " << testing::PrintToString(normalized);
        }
    }
}

TEST(TextLines, NormalizingEndsEveryLineWithCrLf)
{
    EXPECT_EQ(normalizeLineEnds("a\n\nb"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(normalizeLineEnds(""), "");
    std::string out = "head\r\n";
    appendNormalized("x\ny", out);
    EXPECT_EQ(out, "head\r\nx\r\ny\r\n");
}

TEST(TextLines, ControlBytesAreEscapedForTheTerminal)
{
    const struct {
        std::string text;
        bool keepLineFeeds;
        std::string shown;
    } cases[] = {
        {"plain\tZ\xC3\xBCrich \xD0\x96", false, "plain\tZ\xC3\xBCrich \xD0\x96"},
        {"\x1b]0;title\x07x\x1b[2J", false, "\\x1b]0;title\\x07x\\x1b[2J"},
        {"a\rb\nc\x7f", false, "a\\x0db\\x0ac\\x7f"},
        {"a\rb\nc", true, "a\\x0db\nc"},
        {"csi \xC2\x9B"
         "2J, not \xC2\xA0 or \xC2",
         false, "csi \\xc2\\x9b2J, not \xC2\xA0 or \xC2"},
        {std::string("nul\0", 4), false, "nul\\x00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapeControlBytes(c.text, c.keepLineFeeds), c.shown) << testing::PrintToString(c.text);
}

} // namespace
} // namespace stencilor
