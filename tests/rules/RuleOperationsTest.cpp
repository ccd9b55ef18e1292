// SPDX-License-Identifier: GPL-3.0-or-later
// The rules table's row operations (Add, Insert, Delete, the used-field flags) and what the rule
// editor offers for them, on the table alone.

#include "rules/RuleEditorFields.h"
#include "rules/RulesTable.h"

#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using Rules = std::vector<Rule>;

RulesTable tableOf(const Rules& rules)
{
    RulesTable table;
    table.setRowCount(rules.size() + 1);
    for (std::size_t i = 0; i < rules.size(); ++i)
        table.rule(i) = rules[i];
    return table;
}

const Rule kBlank{};

TEST(RuleOperations, NextFieldNumberIsOneAboveTheHighest)
{
    const struct {
        Rules rules;
        std::int64_t next;
    } cases[] = {
        {{kBlank}, 1},
        {{{"Field 1", "%a%"}, {"Field 5", "%b%"}}, 6},
        {{{"Field 5", "%a%"}, {"Field 1", "%b%"}}, 6},
        {{{"Name", "%a%"}}, 1},
        {{{"Field 0", "%a%"}}, 1},
        {{{"Field 99999999999", "%a%"}}, 1},
        {{{"Field 99999999999", ""}, {"Field 3", ""}}, 4},
        {{{"2nd Field 1", ""}}, 22},
        {{{"Field 2147483647", ""}}, 2147483648},
    };
    for (const auto& c : cases) {
        const RulesTable table = tableOf(c.rules);
        EXPECT_EQ(table.nextFieldNumber(), c.next) << c.rules.front().fieldLabel;
    }
}

TEST(RuleOperations, AddAppendsOrTakesOverTheLastRow)
{
    const struct {
        const char* name;
        Rules before;
        Rules after;
    } cases[] = {
        {"empty table: Field 1 in row 1, no row added", {kBlank}, {{"Field 1", ""}}},
        {"gaps are not filled",
         {{"Field 2", "%a%"}, {"Field 7", "%b%"}},
         {{"Field 2", "%a%"}, {"Field 7", "%b%"}, {"Field 8", ""}}},
        {"a label without digits is taken over and cleared", {{"Name", "%x%"}}, {{"Field 1", ""}}},
        {"only the last row is taken over", {{"Name", "%x%"}, {"Field 0", "%y%"}}, {{"Name", "%x%"}, {"Field 1", ""}}},
        {"a blank last row stays when a rule has a number",
         {{"Field 1", "%a%"}, kBlank},
         {{"Field 1", "%a%"}, kBlank, {"Field 2", ""}}},
        {"no wrap-around past the integer range",
         {{"Field 2147483647", "%a%"}},
         {{"Field 2147483647", "%a%"}, {"Field 2147483648", ""}}},
    };
    for (const auto& c : cases) {
        RulesTable table = tableOf(c.before);
        EXPECT_EQ(table.addRuleAppends(), c.after.size() > c.before.size()) << c.name;
        const std::size_t edited = table.addRule();
        EXPECT_EQ(table.rules(), c.after) << c.name;
        EXPECT_EQ(edited, c.after.size() - 1) << c.name;
    }
}

TEST(RuleOperations, InsertMovesTheCurrentRowDown)
{
    const Rules three{{"Field 1", "%a%"}, {"Field 2", "%b%"}, {"Field 3", "%c%"}};
    const struct {
        const char* name;
        Rules before;
        std::size_t index;
        bool inserted;
        Rules after;
    } cases[] = {
        {"empty table: nothing added, no label written", {kBlank}, 0, false, {kBlank}},
        {"into row 2 of three",
         three,
         1,
         true,
         {{"Field 1", "%a%"}, {"Field 4", ""}, {"Field 2", "%b%"}, {"Field 3", "%c%"}}},
        {"before the first row",
         three,
         0,
         true,
         {{"Field 4", ""}, {"Field 1", "%a%"}, {"Field 2", "%b%"}, {"Field 3", "%c%"}}},
        {"before the last row",
         three,
         2,
         true,
         {{"Field 1", "%a%"}, {"Field 2", "%b%"}, {"Field 4", ""}, {"Field 3", "%c%"}}},
        {"a blank row among rules adds nothing",
         {{"Field 1", "%a%"}, kBlank, {"Field 2", "%b%"}},
         1,
         false,
         {{"Field 1", "%a%"}, kBlank, {"Field 2", "%b%"}}},
        {"a row with only an identifier is not blank", {{"", "%x%"}}, 0, true, {{"Field 1", ""}, {"", "%x%"}}},
        {"a row with only a label is not blank", {{"Field 3", ""}}, 0, true, {{"Field 4", ""}, {"Field 3", ""}}},
    };
    for (const auto& c : cases) {
        RulesTable table = tableOf(c.before);
        EXPECT_EQ(table.isBlankRule(c.index), !c.inserted) << c.name;
        EXPECT_EQ(table.insertRule(c.index), c.inserted) << c.name;
        EXPECT_EQ(table.rules(), c.after) << c.name;
    }
}

TEST(RuleOperations, DeleteMovesRowsUpAndKeepsOneRow)
{
    const Rules four{{"Field 1", "%a%"}, {"Field 2", "%b%"}, {"Field 3", "%c%"}, {"Field 4", "%d%"}};
    const struct {
        const char* name;
        Rules before;
        std::size_t index;
        bool removed;
        Rules after;
    } cases[] = {
        {"row 2 of four", four, 1, true, {{"Field 1", "%a%"}, {"Field 3", "%c%"}, {"Field 4", "%d%"}}},
        {"the first row", four, 0, true, {{"Field 2", "%b%"}, {"Field 3", "%c%"}, {"Field 4", "%d%"}}},
        {"the last row", four, 3, true, {{"Field 1", "%a%"}, {"Field 2", "%b%"}, {"Field 3", "%c%"}}},
        {"the only rule is cleared", {{"Field 1", "%a\r\nb%"}}, 0, false, {kBlank}},
        {"the blank table stays blank", {kBlank}, 0, false, {kBlank}},
        {"one of two leaves one", {{"Name", "x"}, {"Field 9", "y"}}, 1, true, {{"Name", "x"}}},
    };
    for (const auto& c : cases) {
        RulesTable table = tableOf(c.before);
        EXPECT_EQ(table.deleteRule(c.index), c.removed) << c.name;
        EXPECT_EQ(table.rules(), c.after) << c.name;
        EXPECT_GE(table.rowCount(), 2u) << c.name;
    }
}

TEST(RuleOperations, UsedFieldsLeaveOutTheEditedRow)
{
    using Flags = std::vector<bool>;
    const struct {
        const char* name;
        Rules rules;
        std::int64_t fieldCount;
        std::size_t except;
        Flags used;
    } cases[] = {
        {"rules for 2 and 4, the third edited",
         {{"Field 2", "a"}, {"Field 4", "b"}, {"Field 1", "c"}},
         5,
         2,
         {false, true, false, true, false}},
        {"editing the rule for 2 frees field 2",
         {{"Field 2", "a"}, {"Field 4", "b"}, {"Field 1", "c"}},
         5,
         0,
         {true, false, false, true, false}},
        {"two other rules on field 3",
         {{"Field 3", "a"}, {"Field 3", "b"}, kBlank},
         5,
         2,
         {false, false, true, false, false}},
        {"numbers outside 1..count are ignored",
         {{"Name", ""}, {"Field 0", ""}, {"Field 6", ""}, {"Field 99999999999", ""}, {"Field 5", ""}},
         5,
         9,
         {false, false, false, false, true}},
        {"no fields, no flags", {{"Field 1", "a"}}, 0, 9, {}},
        {"a negative count gives no flags", {{"Field 1", "a"}}, -1, 9, {}},
    };
    for (const auto& c : cases) {
        const RulesTable table = tableOf(c.rules);
        EXPECT_EQ(table.usedFields(c.fieldCount, c.except), c.used) << c.name;
    }
}

TEST(RuleEditorFields, OfferedFieldNumbers)
{
    using Numbers = std::vector<std::int64_t>;
    const std::vector<bool> used24{false, true, false, true, false};
    Numbers upTo20;
    for (std::int64_t k = 1; k <= 20; ++k)
        if (k != 2 && k != 4)
            upTo20.push_back(k);
    const struct {
        const char* name;
        std::int64_t fieldCount;
        std::int64_t limit;
        bool hide;
        std::vector<bool> used;
        Numbers offered;
    } cases[] = {
        {"five fields, 2 and 4 used, hidden", 5, 20, true, used24, {1, 3, 5}},
        {"five fields, shown", 5, 20, false, used24, {1, 2, 3, 4, 5}},
        {"the limit cuts the list", 5, 3, true, used24, {1, 3}},
        {"no data file: the twenty labels, less the used", 500, 20, true, used24, upTo20},
        {"flags missing for high fields count as unused", 7, 20, true, used24, {1, 3, 5, 6, 7}},
        {"no fields", 0, 20, true, {}, {}},
        {"unknown count", -1, 20, false, {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(offeredFieldNumbers(c.fieldCount, c.limit, c.hide, c.used), c.offered) << c.name;

    // Without a data file every one of the 500 fields is offered after a click on the box.
    const Numbers all = offeredFieldNumbers(500, 500, false, std::vector<bool>(500, true));
    ASSERT_EQ(all.size(), 500u);
    EXPECT_EQ(all.back(), 500);
    EXPECT_EQ(offeredFieldNumbers(500, 500, true, std::vector<bool>(500, true)), Numbers{});
}

TEST(RuleEditorFields, SampleValueOfALabel)
{
    const struct {
        std::string line, delimiter;
        bool quotes;
        std::string label, value;
    } cases[] = {
        {"Smith;John;42", ";", false, "Field 1", "Smith"},
        {"Smith;John;42", ";", false, "Field 3", "42"},
        {"Smith;John;42;x;y", ";", false, "Field 7", ""},
        {"Smith;John;42", ";", false, "Name", ""},
        {"Smith;John;42", ";", false, "Field 0", ""},
        {"Smith;John;42", ";", false, "Field 99999999999", ""},
        {"Smith;John;42", ";", false, "2nd", "John"},
        {"a::b::c", "::", false, "Field 2", "b"},
        {"a;b", "", false, "Field 1", "a;b"},
        {"a;b", "", false, "Field 2", ""},
        {"", ";", false, "Field 1", ""},
        {"\"Smith; John\";42", ";", false, "Field 2", " John\""},
        {"\"Smith; John\";42", ";", true, "Field 1", "Smith; John"},
        {"\"Smith; John\";42", ";", true, "Field 2", "42"},
        {"\"Smith; John\";42", ";", true, "Field 3", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sampleValue(c.line, c.delimiter, c.quotes, c.label), c.value) << c.line << " / " << c.label;
}

} // namespace
} // namespace stencilor
