// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/Fields.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace stencilor {
namespace {

TEST(Fields, DigitsToIntReadsTheDigitsAsOneNumber)
{
    const struct {
        std::string text;
        int value;
    } cases[] = {
        {"Field 3", 3},
        {"Field 007", 7},
        {"F1 2", 12},
        {"--not defined--", 0},
        {"", 0},
        {"Field 0", 0},
        {"Field 2147483647", 2147483647},
        {"Field 0002147483647", 2147483647}, // leading zeros do not count towards the range
        {"Field 2147483648", -1},
        {"Field 9999999999", -1},
        {"Field 12345678901234567890", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DigitsToInt(c.text), c.value) << c.text;
}

TEST(Fields, CountFieldsCountsNonOverlappingDelimiters)
{
    const struct {
        std::string line;
        std::string delim;
        std::int64_t count;
    } cases[] = {
        {"", ";", 1},          {"a;b;", ";", 3},
        {"a;;b", ";;", 2},     {";;;", ";;", 2}, // the scan goes on behind each occurrence
        {"a;b;c", "", 1},                        // no occurrence of an empty delimiter
        {"a,b;c", ";", 2},                       // only the chosen delimiter counts
        {"aXbxc", "X", 2},                       // case-sensitive
        {"\"x;y\";z", ";", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountFields(c.line, c.delim), c.count) << c.line << " / " << c.delim;
}

TEST(Fields, GetFieldTakesTheTextBetweenDelimiters)
{
    constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
    const struct {
        std::string line;
        std::string delim;
        std::int64_t n;
        std::string field;
    } cases[] = {
        {"a;b;c", ";", 3, "c"},       {"a;b;c", ";", 4, ""},        {"a;b;c", ";", 0, "a"}, {"a;b;c", ";", -5, "a"},
        {"a;b;c", ";", kHuge, ""},    {"a;;c", ";", 2, ""},         {"a;;c", ";", 3, "c"},  {"a;;b", ";;", 2, "b"},
        {"a;b;", ";", 3, ""},         {"\"x;y\";z", ";", 1, "\"x"}, // quotation marks have no meaning
        {"\"x;y\";z", ";", 2, "y\""}, {" a ; b ", ";", 2, " b "},   // never trimmed
        {"a;b", "", 1, "a;b"},        {"a;b", "", 2, ""},           {"", ";", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetField(c.line, c.delim, c.n), c.field) << c.line << " / " << c.delim << " / " << c.n;
}

TEST(Fields, GetFieldPointsIntoTheLine)
{
    const std::string line = "one;two;three";
    const std::string_view field = GetField(line, ";", 2);
    EXPECT_EQ(field.data(), line.data() + 4);
    EXPECT_EQ(field.size(), 3u);
}

TEST(Fields, SplitFieldsGivesWhatGetFieldGives)
{
    const struct {
        std::string_view line, delim;
        std::size_t count;
    } cases[] = {
        {
            "a;b;c",
            ";",
            5,
        },
        {"a;b;c", ";", 2},
        {"a;;", ";", 3},
        {"", ";", 2},
        {"a::b:::c", "::", 4},
        {"aaaa", "aa", 3},
        {"abc", "", 3},
        {"a;b", ";", 0},
    };
    std::vector<std::string_view> fields;
    for (const auto& c : cases) {
        SplitFields(c.line, c.delim, c.count, fields);
        ASSERT_LE(fields.size(), c.count) << c.line;
        for (std::size_t n = 1; n <= c.count; ++n) {
            const std::string_view split = n <= fields.size() ? fields[n - 1] : std::string_view();
            EXPECT_EQ(split, GetField(c.line, c.delim, static_cast<std::int64_t>(n))) << c.line << " field " << n;
        }
    }
}

} // namespace
} // namespace stencilor
