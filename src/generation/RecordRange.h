#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace stencilor {

// A span of record numbers, both ends included, counted as the name template counts them
// (1 for the first line of the data file). The default span holds every record.
struct RecordRange {
    std::uint64_t first = 1;
    std::uint64_t last = std::numeric_limits<std::uint64_t>::max();

    bool contains(std::uint64_t record) const { return record >= first && record <= last; }
    bool isAll() const { return first <= 1 && last == std::numeric_limits<std::uint64_t>::max(); }
    bool operator==(const RecordRange&) const = default;
};

// Reads "A-B" (records A to B), "A-" (A to the end), "-B" (1 to B) or "A" (record A alone);
// numbers are decimal, 1 or more, and A must not exceed B. No value for any other text.
std::optional<RecordRange> parseRecordRange(std::string_view text);

} // namespace stencilor
