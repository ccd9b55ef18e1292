// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// One row of the rules table: the field label ("Field 3"; only its digits count) and the
// identifier searched for in the template (any text, may hold line breaks).
struct Rule {
    std::string fieldLabel;
    std::string identifier;

    // The field number the run takes this rule's value from; 0 when the run skips the rule: its
    // label has no field number (or one beyond the integer range), or its identifier is empty.
    int activeField() const;

    bool operator==(const Rule&) const = default;
};

// The ordered rules of a project. Like the grid that shows it, it always holds at least one
// rule row; an empty table is one blank row. Row counts include the header row of the grid.
class RulesTable final {
public:
    RulesTable()
        : m_rows(1)
    {
    }

    const std::vector<Rule>& rules() const { return m_rows; }
    std::size_t ruleCount() const { return m_rows.size(); }
    // The grid's row count: the rules plus the header row (2 for the empty table).
    std::size_t rowCount() const { return m_rows.size() + 1; }

    Rule& rule(std::size_t index) { return m_rows.at(index); }
    const Rule& rule(std::size_t index) const { return m_rows.at(index); }

    // Sets the grid row count (header included); values below 2 give one rule row. New rows are blank.
    void setRowCount(std::size_t rows);

    // Back to one blank rule row.
    void reset();

    // The field number a new rule gets: one more than the highest field number of any rule, 1 when
    // no rule has a field number of 1 or more. Labels without digits count 0, labels whose digits
    // exceed the integer range -1; gaps are not filled.
    std::int64_t nextFieldNumber() const;

    // Add Rule: clears the last row and labels it "Field " + nextFieldNumber(), after appending a
    // new last row unless no rule has a field number (then the last row is taken over). Returns the
    // index of the last row, the one to edit.
    std::size_t addRule();
    // Whether addRule() appends a row (false: it takes over the last row).
    bool addRuleAppends() const { return nextFieldNumber() > 1; }

    // Insert before the rule at `index`: a new rule labelled "Field " + nextFieldNumber() takes its
    // place and it and every rule below move one row down; returns true. When both cells of that
    // rule are empty nothing changes and false is returned (the blank row itself is to be edited).
    // `index` must name a rule.
    bool insertRule(std::size_t index);
    // Whether both cells of the rule at `index` are empty (Insert then adds no row).
    bool isBlankRule(std::size_t index) const;

    // Delete Rule: removes the rule at `index`, the rules below moving one row up, and returns true;
    // the only rule is cleared instead (false), so the table keeps one blank row. `index` must name
    // a rule.
    bool deleteRule(std::size_t index);

    // One flag per field number 1..fieldCount (flag n-1 for field n): whether a rule other than the
    // one at `exceptIndex` names that field. Field numbers outside that range are ignored.
    std::vector<bool> usedFields(std::int64_t fieldCount, std::size_t exceptIndex) const;

    // Replaces the table with `count` default rules: row r gets "Field r" and the identifier "%"
    // + field r of `widestLine` + "%", the fields cut as the run cuts them (with `quotes`, a field
    // in double quotes is its text without them). A count below 1 leaves one blank row.
    void FillDefaultRules(std::size_t count, std::string_view widestLine, std::string_view delim, bool quotes = false);
    // The same with identifiers made from the header's field names ("%City%"): a field without a
    // name gets "%Field n%", a name already used gets "%City_n%" (n its field number), so that
    // every field keeps a rule of its own.
    void FillDefaultRules(std::size_t count, const std::vector<std::string>& names);

    bool operator==(const RulesTable&) const = default;

private:
    std::vector<Rule> m_rows;
};

} // namespace stencilor
