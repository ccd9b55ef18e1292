#include "rules/RulesTable.h"

#include "datasource/DataSourceCheck.h"

#include <cstdint>
#include <utility>

namespace stencilor {

void RulesTable::setRowCount(std::size_t rows)
{
    m_rows.resize(rows < 2 ? 1 : rows - 1);
}

void RulesTable::reset()
{
    m_rows.assign(1, Rule{});
}

void RulesTable::FillDefaultRules(std::size_t count, std::string_view widestLine, std::string_view delim)
{
    if (count < 1) {
        reset();
        return;
    }
    m_rows.clear();
    m_rows.reserve(count);
    // Walks the fields once from the left instead of calling GetField for every row, which would
    // rescan the line from its start each time; the texts are the same as GetField gives.
    std::string_view rest = widestLine;
    bool exhausted = false;
    for (std::size_t r = 1; r <= count; ++r) {
        std::string_view field;
        if (!exhausted) {
            const std::size_t at = delim.empty() ? std::string_view::npos : rest.find(delim);
            field = rest.substr(0, at);
            if (at == std::string_view::npos)
                exhausted = true;
            else
                rest.remove_prefix(at + delim.size());
        }
        std::string identifier;
        identifier.reserve(field.size() + 2);
        identifier.append("%").append(field).append("%");
        m_rows.push_back(Rule{fieldLabel(static_cast<std::int64_t>(r)), std::move(identifier)});
    }
}

} // namespace stencilor
