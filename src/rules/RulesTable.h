#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// One row of the rules table: the field label ("Field 3"; only its digits count) and the
// identifier searched for in the template (any text, may hold line breaks).
struct Rule {
    std::string fieldLabel;
    std::string identifier;

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

    // Replaces the table with `count` default rules: row r gets "Field r" and the identifier "%"
    // + field r of `widestLine` + "%". A count below 1 leaves one blank row.
    void FillDefaultRules(std::size_t count, std::string_view widestLine, std::string_view delim);

    bool operator==(const RulesTable&) const = default;

private:
    std::vector<Rule> m_rows;
};

} // namespace stencilor
