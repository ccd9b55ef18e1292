// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RuleEditorFields.h"

#include "datasource/Fields.h"
#include "datasource/RecordFields.h"

#include <algorithm>

namespace stencilor {

std::vector<std::int64_t> offeredFieldNumbers(std::int64_t fieldCount, std::int64_t limit, bool hideUsed,
                                              const std::vector<bool>& usedFields)
{
    std::vector<std::int64_t> numbers;
    const std::int64_t last = std::min(fieldCount, limit);
    if (last < 1)
        return numbers;
    numbers.reserve(static_cast<std::size_t>(last));
    for (std::int64_t k = 1; k <= last; ++k) {
        const auto flag = static_cast<std::size_t>(k - 1);
        if (!hideUsed || flag >= usedFields.size() || !usedFields[flag])
            numbers.push_back(k);
    }
    return numbers;
}

std::string sampleValue(std::string_view sampleLine, std::string_view delimiter, bool quotes, std::string_view label)
{
    const int n = DigitsToInt(label);
    if (n <= 0)
        return {};
    if (!quotes)
        return std::string(GetField(sampleLine, delimiter, n));
    const RecordFields fields(sampleLine, delimiter, true);
    return n <= fields.count() ? std::string(fields.field(n)) : std::string();
}

} // namespace stencilor
