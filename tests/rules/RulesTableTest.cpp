// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesTable.h"

#include "datasource/Fields.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using Rules = std::vector<Rule>;

TEST(RulesTable, FillDefaultRulesTakesIdentifiersFromTheWidestLine)
{
    const struct {
        std::string widest;
        std::string delim;
        bool quotes;
        std::size_t count;
        Rules rules;
    } cases[] = {
        {"Name;Age;City", ";", false, 3, {{"Field 1", "%Name%"}, {"Field 2", "%Age%"}, {"Field 3", "%City%"}}},
        {"a;b;", ";", false, 3, {{"Field 1", "%a%"}, {"Field 2", "%b%"}, {"Field 3", "%%"}}},
        {"whole;line", "", false, 1, {{"Field 1", "%whole;line%"}}},
        {"a;;b", ";;", false, 2, {{"Field 1", "%a%"}, {"Field 2", "%b%"}}},
        {"\"x;y\"; z ", ";", false, 3, {{"Field 1", "%\"x%"}, {"Field 2", "%y\"%"}, {"Field 3", "% z %"}}},
        // Quoted fields are cut as the run cuts them: the quotes go, "" is one quote.
        {"\"x;y\";\"a\"\"b\"", ";", true, 3, {{"Field 1", "%x;y%"}, {"Field 2", "%a\"b%"}, {"Field 3", "%%"}}},
        {"", ";", false, 1, {{"Field 1", "%%"}}},
        {"a;b", ";", false, 0, {{"", ""}}},
    };
    for (const auto& c : cases) {
        RulesTable table;
        table.FillDefaultRules(c.count, c.widest, c.delim, c.quotes);
        EXPECT_EQ(table.rules(), c.rules) << c.widest << " / " << c.delim;
    }
}

TEST(RulesTable, FillDefaultRulesFromHeaderNamesKeepsEveryField)
{
    RulesTable table;
    table.FillDefaultRules(5, {"City", "", "City", "Field 2"});
    EXPECT_EQ(table.rules(), (Rules{{"Field 1", "%City%"},
                                    {"Field 2", "%Field 2%"},
                                    {"Field 3", "%City_3%"},
                                    {"Field 4", "%Field 2_4%"},
                                    {"Field 5", "%Field 5%"}}));
}

TEST(RulesTable, FillDefaultRulesAgreesWithGetField)
{
    const struct {
        std::string line;
        std::string delim;
    } cases[] = {{"a;b;;c;", ";"}, {"x::y:::z", "::"}, {"one", ";"}, {"p;q", ""}, {";;", ";"}};
    for (const auto& c : cases) {
        // Two rows more than the line has fields: those get the empty field, as GetField gives.
        const std::size_t count = static_cast<std::size_t>(CountFields(c.line, c.delim)) + 2;
        RulesTable table;
        table.FillDefaultRules(count, c.line, c.delim);
        ASSERT_EQ(table.ruleCount(), count);
        for (std::size_t r = 1; r <= count; ++r) {
            const std::string field(GetField(c.line, c.delim, static_cast<std::int64_t>(r)));
            EXPECT_EQ(table.rule(r - 1).identifier, "%" + field + "%") << c.line << " row " << r;
        }
    }
}

TEST(RulesTable, FillDefaultRulesReplacesTheWholeTable)
{
    RulesTable table;
    table.setRowCount(11);
    table.rule(9) = {"Field 9", "%old%"};
    table.FillDefaultRules(2, "p;q;r", ";");
    EXPECT_EQ(table.rules(), (Rules{{"Field 1", "%p%"}, {"Field 2", "%q%"}}));
    EXPECT_EQ(table.rowCount(), 3u);

    std::string wide;
    for (int i = 1; i <= 600; ++i)
        wide += (i > 1 ? ";v" : "v") + std::to_string(i);
    table.FillDefaultRules(500, wide, ";");
    ASSERT_EQ(table.ruleCount(), 500u);
    EXPECT_EQ(table.rule(499), (Rule{"Field 500", "%v500%"}));
}

TEST(RulesTable, RowCountKeepsAtLeastOneRuleRow)
{
    const struct {
        std::size_t rows;
        std::size_t rules;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 2}, {6, 5}};
    for (const auto& c : cases) {
        RulesTable table;
        table.rule(0) = {"Field 1", "%a%"};
        table.setRowCount(c.rows);
        ASSERT_EQ(table.ruleCount(), c.rules) << c.rows;
        EXPECT_EQ(table.rowCount(), c.rules + 1) << c.rows;
        // Existing rows survive; new rows are blank.
        EXPECT_EQ(table.rule(0), (Rule{"Field 1", "%a%"})) << c.rows;
        for (std::size_t i = 1; i < c.rules; ++i)
            EXPECT_EQ(table.rule(i), Rule{}) << c.rows;
    }

    RulesTable table;
    table.setRowCount(4);
    table.rule(0) = {"Field 1", "%a%"};
    table.rule(2) = {"Field 3", "%c%"};
    table.setRowCount(3);
    EXPECT_EQ(table.rules(), (Rules{{"Field 1", "%a%"}, {}}));
    table.reset();
    EXPECT_EQ(table.rules(), Rules{Rule{}});
}

} // namespace
} // namespace stencilor
