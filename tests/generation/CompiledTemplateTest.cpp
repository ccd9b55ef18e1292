// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/CompiledTemplate.h"

#include "datasource/ReplaceAll.h"

#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace stencilor {
namespace {

// The rules applied one by one, each to the whole text the ones before it produced.
std::string applyOneByOne(std::string text, const std::vector<std::string>& identifiers,
                          const std::vector<std::string>& values)
{
    for (std::size_t i = 0; i < identifiers.size(); ++i)
        text = ReplaceAll(text, identifiers[i], values[i]);
    return text;
}

std::vector<std::string_view> views(const std::vector<std::string>& strings)
{
    return std::vector<std::string_view>(strings.begin(), strings.end());
}

struct RenderCase {
    const char* name;
    std::string text;
    std::vector<std::string> identifiers;
    std::vector<std::string> values;
    bool renders; // whether the single pass is taken
};

// Records whose values cannot interact with the identifiers render in one pass; the others are
// declined, since one pass would give a different text than the rules one by one.
TEST(CompiledTemplate, RendersOnlyWhereTheOnePassEqualsTheRulesOneByOne)
{
    const RenderCase cases[] = {
        {"ordinary card", "<p>%First% %Last%</p>\r\n<i>%First%</i>\r\n", {"%First%", "%Last%"}, {"Anna", "Weiß"}, true},
        {"empty value between tags", "<td>%A%</td>", {"%A%"}, {""}, true},
        {"identifier never in the template", "plain", {"%X%"}, {"%X%"}, true},
        {"value holding its own identifier", "a %A% b", {"%A%"}, {"x%A%y"}, false},
        {"value holding a later identifier", "%A% %B%", {"%A%", "%B%"}, {"%B%", "b"}, false},
        {"value holding an earlier identifier is final", "{{A}} {{B}}", {"{{A}}", "{{B}}"}, {"a", "{{A}}"}, true},
        // After the first rule the text is "%B%B%": the second rule matches across the value.
        {"value joining a later identifier", "%A%%B%", {"%A%", "%B%"}, {"%B", "x"}, false},
        {"value completing its own identifier", "%%A%%", {"%A%"}, {"A"}, false},
        // The text beside a slot decides: the same value cannot complete the identifier here.
        {"value that could complete its identifier elsewhere", "%%A%A%%", {"%A%"}, {"A"}, true},
        {"value ending where a later identifier begins", "%A%B%", {"%A%", "%B%"}, {"50%", "b"}, false},
        {"value ending with an identifier's first byte",
         "<td>%A%</td><td>%B%</td>",
         {"%A%", "%B%"},
         {"50%", "x"},
         true},
        {"value beginning with an identifier's last byte", "<td>%A%</td>", {"%A%"}, {"%x"}, true},
        // The text before the slot ends with the identifier's start, next to another slot.
        {"value finishing an identifier after a slot's neighbour", "[%B%ab%A%]", {"%B%", "%A%"}, {"x", "cd"}, true},
        {"value finishing an identifier begun beside another slot",
         "%B%xab%A%",
         {"%B%", "%A%", "abcde"},
         {"y", "cde", "z"},
         false},
        // The slot right before holds "x" by then, which the value's "%y" finishes into "x%y".
        {"value finishing an identifier begun in the slot right before",
         "%A%%B%",
         {"%A%", "%B%", "x%y"},
         {"x", "%y", "z"},
         false},
        {"empty value joining its neighbours", "%A%X%%", {"%X%", "%A%"}, {"", "v"}, false},
        {"empty value beside another slot", "x%A%%B%y", {"%A%", "%B%"}, {"", ""}, false},
        {"empty values at both ends", "%A%%B%", {"%A%", "%B%"}, {"", ""}, true},
        {"empty value at the start", "%A%rest", {"%A%"}, {""}, true},
        {"value inside an identifier", "%%Name%%", {"%Name%"}, {"Name"}, false},
        {"value that is an identifier's inside between other text", "<b>%Name%</b>", {"%Name%"}, {"Name"}, true},
    };
    for (const RenderCase& c : cases) {
        CompiledTemplate compiled;
        compiled.compile(c.text, views(c.identifiers));
        std::string out;
        const bool rendered = compiled.render(views(c.values), out, SIZE_MAX) == CompiledTemplate::Render::Done;
        EXPECT_EQ(rendered, c.renders) << c.name;
        if (rendered) {
            EXPECT_EQ(out, applyOneByOne(c.text, c.identifiers, c.values)) << c.name;
        }
    }
}

TEST(CompiledTemplate, IdentifierWithALineBreakIsLeftToTheRulesOneByOne)
{
    CompiledTemplate compiled;
    compiled.compile("a\r\nb", {"a\r\nb"});
    EXPECT_FALSE(compiled.renders());
    std::string out;
    EXPECT_EQ(compiled.render({std::string_view("x")}, out, SIZE_MAX), CompiledTemplate::Render::Declined);
    EXPECT_EQ(compiled.text(), "a\r\nb");
}

TEST(CompiledTemplate, RefusesATextBeyondTheLimitEitherWay)
{
    // One pass: two slots of a 6-byte value and 2 bytes of text make 14 bytes.
    CompiledTemplate compiled;
    compiled.compile("<%A%%A%>", {"%A%"});
    std::string out;
    EXPECT_EQ(compiled.render({std::string_view("123456")}, out, 14), CompiledTemplate::Render::Done);
    EXPECT_EQ(compiled.render({std::string_view("1234567")}, out, 14), CompiledTemplate::Render::TooLarge);
    // One by one: each value holds the next identifier twice, doubling the text at every rule;
    // the text between the rules (12 bytes after the second) counts as well as the result.
    const std::vector<std::string_view> ids = {"%1%", "%2%", "%3%"};
    const std::vector<std::string_view> values = {"%2%%2%", "%3%%3%", "xx"};
    std::string text = "%1%";
    EXPECT_TRUE(applyRules(text, ids, values, 12));
    EXPECT_EQ(text, "xxxxxxxx");
    text = "%1%";
    EXPECT_FALSE(applyRules(text, ids, values, 11));
}

TEST(CompiledTemplate, KnowsWhichIdentifiersItWasCompiledFor)
{
    CompiledTemplate compiled;
    compiled.compile("%A% %B%", {"%A%", "%B%"});
    EXPECT_TRUE(compiled.isFor({"%A%", "%B%"}));
    EXPECT_FALSE(compiled.isFor({"%B%", "%A%"}));
    EXPECT_FALSE(compiled.isFor({"%A%"}));
}

// Random texts over a three-letter alphabet make identifiers, values and template text meet in
// every way; wherever the single pass is taken its text must be the rules' text one by one.
TEST(CompiledTemplate, AgreesWithTheRulesOneByOneOnRandomInputs)
{
    std::mt19937 random(20261208);
    const auto word = [&](std::size_t minLength, std::size_t maxLength) {
        std::string text(std::uniform_int_distribution<std::size_t>(minLength, maxLength)(random), ' ');
        for (char& c : text)
            c = "%ab"[std::uniform_int_distribution<int>(0, 2)(random)];
        return text;
    };
    std::size_t rendered = 0;
    const std::size_t rounds = 40000;
    for (std::size_t round = 0; round < rounds; ++round) {
        const std::string text = word(0, 14);
        std::vector<std::string> identifiers;
        std::vector<std::string> values;
        const std::size_t rules = std::uniform_int_distribution<std::size_t>(1, 3)(random);
        for (std::size_t r = 0; r < rules; ++r) {
            identifiers.push_back(word(1, 3));
            values.push_back(word(0, 3));
        }
        CompiledTemplate compiled;
        compiled.compile(text, views(identifiers));
        std::string out;
        if (compiled.render(views(values), out, SIZE_MAX) != CompiledTemplate::Render::Done)
            continue;
        ++rendered;
        ASSERT_EQ(out, applyOneByOne(text, identifiers, values))
            << "text '" << text << "' identifiers '" << identifiers[0] << "' values '" << values[0] << "'";
    }
    // The check must not decline everything, or the single pass would never be used.
    EXPECT_GT(rendered, rounds / 5);
}

} // namespace
} // namespace stencilor
