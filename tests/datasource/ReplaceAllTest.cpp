// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/ReplaceAll.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>

namespace stencilor {
namespace {

// The replacement as described for users: search from the first character, replace the first
// occurrence, start again. Deliberately naive; gives up (nullopt) after `maxSteps` replacements
// or when the text grows beyond `maxSize`.
std::optional<std::string> repeatedSearch(std::string text, const std::string& find, const std::string& repl,
                                          std::size_t maxSteps, std::size_t maxSize)
{
    if (find.empty())
        return text;
    for (std::size_t step = 0;; ++step) {
        const std::size_t at = text.find(find);
        if (at == std::string::npos)
            return text;
        if (step == maxSteps || text.size() > maxSize)
            return std::nullopt;
        text.replace(at, find.size(), repl);
    }
}

// Every occurrence of the original text replaced once, from left to right.
std::string onePass(const std::string& text, const std::string& find, const std::string& repl)
{
    std::string out;
    std::size_t pos = 0;
    for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, pos)) {
        out += text.substr(pos, at - pos) + repl;
        pos = at + find.size();
    }
    return out + text.substr(pos);
}

std::string randomText(std::mt19937& rng, const std::string& alphabet, std::size_t minLength, std::size_t maxLength)
{
    const std::size_t length = minLength + rng() % (maxLength - minLength + 1);
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(alphabet[rng() % alphabet.size()]);
    return text;
}

TEST(ReplaceAll, ReplacesEveryOccurrence)
{
    const struct {
        std::string text;
        std::string find;
        std::string repl;
        std::string result;
    } cases[] = {
        {"a?b?", "?", "7", "a7b7"},
        {"x:y:z", ":", "", "xyz"},
        {"aabb", "ab", "a", "aa"}, // occurrences formed by a replacement are replaced too
        {"abc", "", "X", "abc"},
        {"", "", "X", ""},
        {"", "a", "X", ""},
        {"%Name%, %Name%!", "%Name%", "Ann", "Ann, Ann!"},
        {"%name%", "%Name%", "Ann", "%name%"}, // case-sensitive
        {"aaaa", "aa", "b", "bb"},
        // A value holding its own identifier: each occurrence of the text replaced once.
        {"<%N%|%N%>", "%N%", "[%N%]", "<[%N%]|[%N%]>"},
        {"ab", "ab", "ab", "ab"},
        {"xyz", "ab", "abab", "xyz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.repl), c.result) << c.text << " / " << c.find << " / " << c.repl;
        // The in-place form gives the same text and says whether there was anything to replace.
        std::string text = c.text;
        const bool found = !c.find.empty() && c.text.find(c.find) != std::string::npos;
        EXPECT_EQ(ReplaceAllInPlace(text, c.find, c.repl), found) << c.text << " / " << c.find;
        EXPECT_EQ(text, c.result) << c.text << " / " << c.find << " / " << c.repl;
    }
}

TEST(ReplaceAll, AgreesWithRepeatedSearchOnRandomInputs)
{
    std::mt19937 rng(20240611);
    std::size_t compared = 0;
    std::size_t cascades = 0;
    std::size_t endless = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::string alphabet = i % 2 == 0 ? "ab" : "abc";
        const std::string text = randomText(rng, alphabet, 0, 14);
        const std::string find = randomText(rng, alphabet, 1, 4);
        const std::string repl = randomText(rng, alphabet, 0, 6);
        const std::string got = ReplaceAll(text, find, repl);
        const std::string pass = onePass(text, find, repl);
        const std::optional<std::string> expected = repeatedSearch(text, find, repl, 200, 256);
        if (expected) {
            ASSERT_EQ(got, *expected) << "text " << text << " find " << find << " repl " << repl;
            ++compared;
            cascades += *expected != pass;
        } else if (repl.find(find) != std::string::npos) {
            ASSERT_EQ(got, pass) << "text " << text << " find " << find << " repl " << repl;
            ++endless;
        } else {
            // Either the repeated search ends within ReplaceAll's own larger bound, or the
            // documented one-pass result comes back.
            const std::optional<std::string> longer =
                repeatedSearch(text, find, repl, 4 * (text.size() + 1) + 256, std::string::npos);
            ASSERT_EQ(got, longer ? *longer : pass) << "text " << text << " find " << find << " repl " << repl;
            ++endless;
        }
    }
    // The random inputs must exercise all three kinds of input, or the comparison proves little.
    EXPECT_GT(compared, 30000u);
    EXPECT_GT(cascades, 500u);
    EXPECT_GT(endless, 500u);
}

TEST(ReplaceAll, EndsWhereTheRepeatedSearchWouldNot)
{
    const struct {
        std::string text;
        std::string find;
        std::string repl;
        std::string result;
    } cases[] = {
        {"aab", "ab", "bbaa", "abbaa"}, // cascades without end: the one-pass result
        {"x%N%y", "%N%", "%N%%N%", "x%N%%N%y"},
        {"aa", "a", "a", "aa"},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(repeatedSearch(c.text, c.find, c.repl, 10000, 1 << 20)) << c.text;
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.repl), c.result) << c.text << " / " << c.find << " / " << c.repl;
    }
}

// Large inputs that an algorithm searching again from the start would take hours on; they are
// here so such an algorithm visibly hangs the suite. Nothing is timed.
TEST(ReplaceAll, HandlesLongInputs)
{
    std::string text;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        text += "abcde%ID%\n";
        expected += "abcdevalue\n";
    }
    ASSERT_EQ(text.size(), 1000000u);
    EXPECT_EQ(ReplaceAll(text, "%ID%", "value"), expected);

    // Every replacement forms the next occurrence.
    const std::string nested = std::string(100000, 'a') + std::string(100000, 'b');
    EXPECT_EQ(ReplaceAll(nested, "ab", "a"), std::string(100000, 'a'));
    EXPECT_EQ(ReplaceAll(nested, "ab", ""), "");

    // A cascade without end on a long text stops at its bound with the one-pass result.
    const std::string endless = std::string(20000, 'a') + "b";
    EXPECT_EQ(ReplaceAll(endless, "ab", "bbaa"), std::string(19999, 'a') + "bbaa");
}

} // namespace
} // namespace stencilor
