// SPDX-License-Identifier: GPL-3.0-or-later
// GetField, CountFields, SplitFields, RecordFields (plain and quoted) and DigitsToInt against
// plain references: a line split by comparing the delimiter at every position, quoted fields
// read character by character, and digits read one by one with a range check.

#include "FuzzSupport.h"
#include "datasource/Fields.h"
#include "datasource/RecordFields.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <limits>
#include <string>
#include <vector>

using namespace stencilor;

namespace {

// The fields of `line`: the pieces between non-overlapping occurrences of `delim`, found left to
// right by comparing at every position.
std::vector<std::string_view> referenceFields(std::string_view line, std::string_view delim)
{
    if (delim.empty())
        return {line};
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i + delim.size() <= line.size()) {
        if (line.compare(i, delim.size(), delim) == 0) {
            fields.push_back(line.substr(start, i - start));
            i += delim.size();
            start = i;
        } else {
            ++i;
        }
    }
    fields.push_back(line.substr(start));
    return fields;
}

// The position of the first `delim` in `line` at or after `from`, comparing at every position.
std::size_t referenceFind(std::string_view line, std::string_view delim, std::size_t from)
{
    for (std::size_t i = from; i + delim.size() <= line.size(); ++i)
        if (line.compare(i, delim.size(), delim) == 0)
            return i;
    return std::string_view::npos;
}

// The fields of a record with quoted fields, character by character: a field that begins with
// '"' runs to the closing quote ('""' inside is one '"', no closing quote takes the rest), and
// any text after the closing quote up to the next delimiter is kept.
std::vector<std::string> referenceQuotedFields(std::string_view line, std::string_view delim)
{
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        std::string value;
        std::size_t i = pos;
        if (i < line.size() && line[i] == '"') {
            for (++i; i < line.size();) {
                if (line[i] != '"') {
                    value += line[i++];
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    value += '"';
                    i += 2;
                } else {
                    ++i;
                    break;
                }
            }
        }
        const std::size_t next = referenceFind(line, delim, i);
        value.append(line.substr(i, next == std::string_view::npos ? std::string_view::npos : next - i));
        fields.push_back(std::move(value));
        if (next == std::string_view::npos)
            return fields;
        pos = next + delim.size();
    }
}

std::string_view referenceField(const std::vector<std::string_view>& fields, std::int64_t n)
{
    if (n <= 1)
        return fields.front();
    return static_cast<std::uint64_t>(n) <= fields.size() ? fields[static_cast<std::size_t>(n - 1)]
                                                          : std::string_view();
}

int referenceDigitsToInt(std::string_view text)
{
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            return -1;
    }
    return static_cast<int>(value);
}

bool pointsInto(std::string_view part, std::string_view whole)
{
    return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::int64_t n = input.ConsumeIntegral<std::int64_t>();
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 64);
    const std::string delim = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 4));
    const std::string line = input.ConsumeRemainingBytesAsString();

    const std::vector<std::string_view> fields = referenceFields(line, delim);
    fuzz::check(CountFields(line, delim) == static_cast<std::int64_t>(fields.size()), "CountFields");
    for (std::int64_t k = -1; k <= static_cast<std::int64_t>(fields.size()) + 1; ++k) {
        const std::string_view field = GetField(line, delim, k);
        fuzz::checkEqual(field, referenceField(fields, k), "GetField of every field number");
        fuzz::check(pointsInto(field, line), "GetField points into the line");
    }
    fuzz::checkEqual(GetField(line, delim, n), referenceField(fields, n), "GetField of any number");

    std::vector<std::string_view> split{"left over"};
    SplitFields(line, delim, count, split);
    fuzz::check(split.size() == std::min(count, fields.size()), "SplitFields count");
    for (std::size_t k = 0; k < split.size(); ++k) {
        fuzz::checkEqual(split[k], GetField(line, delim, static_cast<std::int64_t>(k + 1)), "SplitFields = GetField");
        fuzz::check(pointsInto(split[k], line), "SplitFields points into the line");
    }

    const RecordFields plain(line, delim, false);
    fuzz::check(plain.count() == static_cast<std::int64_t>(fields.size()), "RecordFields plain count");
    fuzz::checkEqual(plain.field(n), referenceField(fields, n), "RecordFields plain = GetField");
    if (!delim.empty()) {
        const std::vector<std::string> quoted = referenceQuotedFields(line, delim);
        const RecordFields record(line, delim, true);
        fuzz::check(record.count() == static_cast<std::int64_t>(quoted.size()), "RecordFields quoted count");
        for (std::size_t k = 0; k < quoted.size(); ++k)
            fuzz::checkEqual(record.field(static_cast<std::int64_t>(k + 1)), quoted[k], "RecordFields quoted field");
    }

    const int number = DigitsToInt(line);
    fuzz::check(number == referenceDigitsToInt(line), "DigitsToInt");
    return 0;
}
