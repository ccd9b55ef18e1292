// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RecordRange.h"

#include <charconv>

namespace stencilor {

namespace {

// A record number: decimal digits only, 1 or more, no sign or blanks.
std::optional<std::uint64_t> recordNumber(std::string_view text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<RecordRange> parseRecordRange(std::string_view text)
{
    RecordRange range;
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        const auto only = recordNumber(text);
        if (!only)
            return std::nullopt;
        range.first = range.last = *only;
        return range;
    }
    const std::string_view from = text.substr(0, dash);
    const std::string_view to = text.substr(dash + 1);
    if (from.empty() && to.empty())
        return std::nullopt;
    if (!from.empty()) {
        const auto first = recordNumber(from);
        if (!first)
            return std::nullopt;
        range.first = *first;
    }
    if (!to.empty()) {
        const auto last = recordNumber(to);
        if (!last)
            return std::nullopt;
        range.last = *last;
    }
    if (range.first > range.last)
        return std::nullopt;
    return range;
}

namespace {

// A product of two 64-bit numbers needs 128 bits (GCC and Clang have them).
__extension__ using Wide = unsigned __int128;

// Where part `part` (1-based) of `parts` begins in `size` bytes; exact for any sizes.
std::uint64_t partStart(std::uint64_t size, std::uint64_t part, std::uint64_t parts)
{
    return static_cast<std::uint64_t>(static_cast<Wide>(size) * (part - 1) / parts);
}

} // namespace

bool ShardSpec::holds(std::uint64_t offset, std::uint64_t size) const
{
    if (offset < partStart(size, part, parts))
        return false;
    return part == parts || offset < partStart(size, part + 1, parts);
}

bool ShardSpec::follows(std::uint64_t offset, std::uint64_t size) const
{
    return offset < partStart(size, part, parts);
}

RecordSelection::Place RecordSelection::placeInPart(std::uint64_t offset) const
{
    if (shard.follows(offset, dataSize))
        return Place::Before;
    return shard.holds(offset, dataSize) ? Place::Taken : Place::After;
}

std::optional<ShardSpec> parseShard(std::string_view text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const auto part = recordNumber(text.substr(0, slash));
    const auto parts = recordNumber(text.substr(slash + 1));
    if (!part || !parts || *part > *parts)
        return std::nullopt;
    return ShardSpec{*part, *parts};
}

} // namespace stencilor
