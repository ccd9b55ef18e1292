// GetField, CountFields, SplitFields and DigitsToInt against plain references: a line split by
// comparing the delimiter at every position, and digits read one by one with a range check.

#include "FuzzSupport.h"
#include "datasource/Fields.h"

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

    const int number = DigitsToInt(line);
    fuzz::check(number == referenceDigitsToInt(line), "DigitsToInt");
    std::string digits;
    for (char c : line)
        if (c >= '0' && c <= '9')
            digits += c;
    fuzz::checkEqual(DigitsOnly(line), digits, "DigitsOnly");
    return 0;
}
