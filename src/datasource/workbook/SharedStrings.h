// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shared strings of an .xlsx workbook: the texts its cells refer to by number, held in one
// block of bytes (the one part of a workbook that is held in memory whole, up to a limit).

#include "datasource/workbook/WorkbookError.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

class ZipEntryStream;

class SharedStrings final {
public:
    // Reads the shared strings part from `stream` (rich text runs joined, phonetic guides left
    // out, _xHHHH_ escapes decoded). Fails with SharedStringsTooLarge beyond `limit` bytes, or
    // with the part's errors.
    WorkbookStatus load(ZipEntryStream& stream, std::uint64_t limit);

    std::size_t size() const { return m_ends.size(); }
    // String `index`, which must be below size().
    std::string_view at(std::size_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_text).substr(begin, m_ends[index] - begin);
    }

private:
    std::string m_text;
    std::vector<std::uint64_t> m_ends;
};

// Decodes the _xHHHH_ escapes that an .xlsx writes for characters XML cannot hold (_x000D_ for a
// carriage return, _x005F_ for an underscore) in the text from `from` to the end of `text`.
void decodeXmlEscapes(std::string& text, std::size_t from);

} // namespace stencilor
