// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesTable.h"

#include "datasource/DataSourceCheck.h"
#include "datasource/Fields.h"
#include "datasource/RecordFields.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <unordered_set>
#include <utility>

namespace stencilor {

int Rule::activeField() const
{
    const int field = DigitsToInt(fieldLabel);
    return field > 0 && !identifier.empty() ? field : 0;
}

void RulesTable::setRowCount(std::size_t rows)
{
    m_rows.resize(rows < 2 ? 1 : rows - 1);
}

void RulesTable::reset()
{
    m_rows.assign(1, Rule{});
}

std::int64_t RulesTable::nextFieldNumber() const
{
    // 64 bits, so that a rule for field 2147483647 gives "Field 2147483648" rather than a
    // wrapped-around negative number.
    std::int64_t highest = -1;
    for (const Rule& rule : m_rows)
        highest = std::max<std::int64_t>(highest, DigitsToInt(rule.fieldLabel));
    return std::max<std::int64_t>(highest, 0) + 1;
}

std::size_t RulesTable::addRule()
{
    const std::int64_t n = nextFieldNumber();
    if (n > 1) // the same test as addRuleAppends()
        m_rows.emplace_back();
    m_rows.back() = Rule{fieldLabel(n), {}};
    return m_rows.size() - 1;
}

bool RulesTable::isBlankRule(std::size_t index) const
{
    const Rule& rule = m_rows.at(index);
    return rule.fieldLabel.empty() && rule.identifier.empty();
}

bool RulesTable::insertRule(std::size_t index)
{
    if (isBlankRule(index))
        return false;
    const std::int64_t n = nextFieldNumber();
    m_rows.insert(std::next(m_rows.begin(), static_cast<std::ptrdiff_t>(index)), Rule{fieldLabel(n), {}});
    return true;
}

bool RulesTable::deleteRule(std::size_t index)
{
    if (index >= m_rows.size())
        throw std::out_of_range("RulesTable::deleteRule");
    if (m_rows.size() == 1) {
        m_rows.front() = Rule{};
        return false;
    }
    m_rows.erase(std::next(m_rows.begin(), static_cast<std::ptrdiff_t>(index)));
    return true;
}

std::vector<bool> RulesTable::usedFields(std::int64_t fieldCount, std::size_t exceptIndex) const
{
    std::vector<bool> used(static_cast<std::size_t>(std::max<std::int64_t>(fieldCount, 0)), false);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (i == exceptIndex)
            continue;
        const int n = DigitsToInt(m_rows[i].fieldLabel);
        if (n >= 1 && n <= fieldCount)
            used[static_cast<std::size_t>(n - 1)] = true;
    }
    return used;
}

void RulesTable::FillDefaultRules(std::size_t count, std::string_view widestLine, std::string_view delim, bool quotes)
{
    if (count < 1) {
        reset();
        return;
    }
    m_rows.clear();
    m_rows.reserve(count);
    if (quotes) {
        const RecordFields fields(widestLine, delim, true);
        for (std::size_t r = 1; r <= count; ++r) {
            const auto n = static_cast<std::int64_t>(r);
            const std::string_view field = n <= fields.count() ? fields.field(n) : std::string_view();
            std::string identifier = "%";
            identifier.append(field).append("%");
            m_rows.push_back(Rule{fieldLabel(n), std::move(identifier)});
        }
        return;
    }
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

void RulesTable::FillDefaultRules(std::size_t count, const std::vector<std::string>& names)
{
    if (count < 1) {
        reset();
        return;
    }
    m_rows.clear();
    m_rows.reserve(count);
    std::unordered_set<std::string> used;
    for (std::size_t r = 1; r <= count; ++r) {
        const std::string label = fieldLabel(static_cast<std::int64_t>(r));
        const std::string name = r <= names.size() ? names[r - 1] : std::string();
        std::string identifier = "%" + (name.empty() ? label : name) + "%";
        if (!used.insert(identifier).second) {
            identifier = "%" + name + "_" + std::to_string(r) + "%";
            used.insert(identifier);
        }
        m_rows.push_back(Rule{label, std::move(identifier)});
    }
}

} // namespace stencilor
