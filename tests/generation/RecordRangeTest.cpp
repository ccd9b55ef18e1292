#include "generation/RecordRange.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

TEST(RecordRangeTest, ParsesSpansAndRefusesAnythingElse)
{
    constexpr std::uint64_t kEnd = RecordRange{}.last;
    const struct {
        const char* text;
        std::optional<RecordRange> range;
    } cases[] = {
        {"3-7", RecordRange{3, 7}},
        {"5", RecordRange{5, 5}},
        {"10-", RecordRange{10, kEnd}},
        {"-4", RecordRange{1, 4}},
        {"2-2", RecordRange{2, 2}},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"0-3", std::nullopt},
        {"7-3", std::nullopt},
        {"a-3", std::nullopt},
        {" 1-2", std::nullopt},
        {"1-2-3", std::nullopt},
        {"+1-2", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseRecordRange(c.text), c.range) << c.text;
    EXPECT_TRUE(RecordRange{}.isAll());
    EXPECT_TRUE((RecordRange{2, 4}.contains(4)));
    EXPECT_FALSE((RecordRange{2, 4}.contains(1)));
}

} // namespace
} // namespace stencilor
