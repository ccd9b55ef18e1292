// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One row of a sheet as the text of its cells, built in place by the sheet readers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

class SheetRow final {
public:
    std::uint64_t number = 0;         // the row's number in the sheet, 1 for the first
    std::uint32_t shownAsGeneral = 0; // its cells whose number format was not understood

    // The cells up to the last one that shows text (or up to the width the row was padded to).
    std::size_t size() const { return m_ends.size(); }
    std::string_view cell(std::size_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_text).substr(begin, m_ends[index] - begin);
    }
    // The bytes of all cells together.
    std::size_t bytes() const { return m_text.size(); }

    void clear()
    {
        number = 0;
        shownAsGeneral = 0;
        m_text.clear();
        m_ends.clear();
    }
    // Starts the cell in column `column` (0-based, beyond the cells so far): its text is appended
    // to the string returned, then closeCell() ends it.
    std::string& openCell(std::size_t column)
    {
        m_openColumn = column;
        m_openAt = m_text.size();
        return m_text;
    }
    // Ends the open cell: a cell without text adds nothing (a later cell brings the empty cells
    // before it).
    void closeCell()
    {
        if (m_text.size() == m_openAt)
            return;
        m_ends.resize(m_openColumn, m_openAt);
        m_ends.push_back(m_text.size());
    }
    // Repeats the last cell `count` more times to its right.
    void repeatLastCell(std::size_t count)
    {
        const std::string_view last = cell(m_ends.size() - 1);
        const std::size_t begin = m_text.size() - last.size();
        for (std::size_t i = 0; i < count; ++i) {
            m_text.append(m_text, begin, last.size());
            m_ends.push_back(m_text.size());
        }
    }
    // Adds empty cells up to `width` cells.
    void padTo(std::size_t width)
    {
        if (m_ends.size() < width)
            m_ends.resize(width, m_text.size());
    }

private:
    std::string m_text;
    std::vector<std::size_t> m_ends; // where each cell's text ends in m_text
    std::size_t m_openColumn = 0;
    std::size_t m_openAt = 0;
};

} // namespace stencilor
