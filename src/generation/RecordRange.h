// SPDX-License-Identifier: GPL-3.0-or-later
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

// One of N contiguous parts of a job (--shard K/N): the data file's bytes cut into N spans of about
// equal size, each moved on to the next record boundary, so that every record falls into exactly
// one part (the one whose span holds its first byte) and the parts together are the whole job.
struct ShardSpec {
    std::uint64_t part = 1;  // K, 1 to parts
    std::uint64_t parts = 1; // N

    bool isWhole() const { return parts == 1; }
    // True when the record whose first byte is at `offset` of a data file of `size` bytes belongs
    // to this part.
    bool holds(std::uint64_t offset, std::uint64_t size) const;
    // True when the record whose first byte is at `offset` comes before this part.
    bool follows(std::uint64_t offset, std::uint64_t size) const;
    bool operator==(const ShardSpec&) const = default;
};

// Reads "K/N" with 1 <= K <= N (decimal, no sign or blanks); no value for any other text.
std::optional<ShardSpec> parseShard(std::string_view text);

// The records a run, a check or a preview takes: those numbered within `range` whose first byte
// lies in part `shard` of the data's `dataSize` bytes. The records taken follow each other.
struct RecordSelection {
    RecordRange range;
    ShardSpec shard;
    std::uint64_t dataSize = 0;

    enum class Place { Before, Taken, After };
    // Where the record numbered `number`, whose first byte is at `offset`, stands.
    Place placeOf(std::uint64_t number, std::uint64_t offset) const
    {
        if (number < range.first)
            return Place::Before;
        if (number > range.last)
            return Place::After;
        // The whole job takes every record its range takes, without the arithmetic of the parts.
        return shard.isWhole() ? Place::Taken : placeInPart(offset);
    }

private:
    Place placeInPart(std::uint64_t offset) const;
};

} // namespace stencilor
