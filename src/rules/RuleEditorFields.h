// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the rule editor offers and shows, without the dialog: the field numbers its field list
// holds and the sample value of a field label.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The field numbers 1..min(fieldCount, limit) in order, leaving out each field n whose flag
// usedFields[n-1] is set when `hideUsed` is on (missing flags count as unused).
std::vector<std::int64_t> offeredFieldNumbers(std::int64_t fieldCount, std::int64_t limit, bool hideUsed,
                                              const std::vector<bool>& usedFields);

// The value that the field named by `label` has in `sampleLine`, cut at `delimiter` as the run cuts
// it (with `quotes`, a field in double quotes is its text without them); empty when the label's
// digits give 0, exceed the integer range, or name a field the line lacks.
std::string sampleValue(std::string_view sampleLine, std::string_view delimiter, bool quotes, std::string_view label);

} // namespace stencilor
