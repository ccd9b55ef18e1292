// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/Fields.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace stencilor {

int DigitsToInt(std::string_view text)
{
    // Runs for every rule of every record, so it reads the digits in place instead of
    // collecting them; leading zeros are allowed and do not count towards the range.
    constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        value = value * 10 + (c - '0');
        if (value > kLargest)
            return -1;
    }
    return static_cast<int>(value);
}

std::int64_t CountFields(std::string_view line, std::string_view delim)
{
    if (delim.empty())
        return 1;
    if (delim.size() == 1)
        return 1 + static_cast<std::int64_t>(std::count(line.begin(), line.end(), delim.front()));
    std::int64_t count = 1;
    for (std::size_t at = line.find(delim); at != std::string_view::npos; at = line.find(delim, at + delim.size()))
        ++count;
    return count;
}

std::string_view GetField(std::string_view line, std::string_view delim, std::int64_t n)
{
    if (delim.empty())
        return n <= 1 ? line : std::string_view();
    std::string_view rest = line;
    for (std::int64_t i = 1; i < n; ++i) {
        const std::size_t at = rest.find(delim);
        if (at == std::string_view::npos)
            return {};
        rest.remove_prefix(at + delim.size());
    }
    return rest.substr(0, rest.find(delim));
}

void SplitFields(std::string_view line, std::string_view delim, std::size_t count,
                 std::vector<std::string_view>& fields)
{
    fields.clear();
    if (count == 0)
        return;
    if (delim.empty()) {
        fields.push_back(line);
        return;
    }
    std::string_view rest = line;
    while (fields.size() < count) {
        const std::size_t at = rest.find(delim);
        fields.push_back(rest.substr(0, at));
        if (at == std::string_view::npos)
            return;
        rest.remove_prefix(at + delim.size());
    }
}

} // namespace stencilor
