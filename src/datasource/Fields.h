// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The unit mLib, with ReplaceAll in a file of its own (ReplaceAll.h).
// Field access in delimited records: the field number of a label, counting and cutting fields.
// All text is bytes; every search and comparison is an exact byte comparison.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The number written by the digits of `text` ("Field 12" -> 12, no digits -> 0); -1 when the
// number exceeds 2147483647.
int DigitsToInt(std::string_view text);

// 1 plus the number of non-overlapping occurrences of `delim` in `line`, scanning from the left;
// 1 for an empty line or an empty delimiter.
std::int64_t CountFields(std::string_view line, std::string_view delim);

// Field `n` (1-based; n <= 1 gives field 1) of `line`; empty when the line has fewer fields.
// The result points into `line`.
std::string_view GetField(std::string_view line, std::string_view delim, std::int64_t n);

// Sets `fields` to the first `count` fields of `line` (fewer when the line has fewer), each as
// GetField gives it, in one scan of the line. The views point into `line`.
void SplitFields(std::string_view line, std::string_view delim, std::size_t count,
                 std::vector<std::string_view>& fields);

} // namespace stencilor
