// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/RecordFields.h"

#include "datasource/Fields.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace stencilor {

void RecordFields::assign(std::string_view text, std::string_view delim, bool quotes)
{
    m_text = text;
    if (quotes)
        splitQuotedFields(text, delim, SIZE_MAX, m_scratch, m_fields);
    else
        SplitFields(text, delim, SIZE_MAX, m_fields);
    if (m_fields.empty())
        m_fields.emplace_back();
}

std::string_view RecordFields::field(std::int64_t n) const
{
    const std::size_t index = static_cast<std::size_t>(std::max<std::int64_t>(n, 1) - 1);
    return index < m_fields.size() ? m_fields[index] : std::string_view();
}

} // namespace stencilor
