// SPDX-License-Identifier: GPL-3.0-or-later
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

TEST(RecordRangeTest, ShardsParseAndCutEveryOffsetIntoExactlyOnePart)
{
    EXPECT_EQ(parseShard("3/40"), (ShardSpec{3, 40}));
    EXPECT_EQ(parseShard("1/1"), (ShardSpec{1, 1}));
    for (const char* bad : {"0/4", "5/4", "a/b", "1/", "/4", "1/0", "-1/4", "1 /4", "4", ""})
        EXPECT_EQ(parseShard(bad), std::nullopt) << bad;

    // Every offset of files of several sizes lies in exactly one part, and later offsets never in
    // an earlier part.
    for (const std::uint64_t size : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{7}, std::uint64_t{1000},
                                     std::numeric_limits<std::uint64_t>::max() / 2}) {
        for (const std::uint64_t parts : {1, 3, 40}) {
            std::uint64_t previous = 1;
            for (std::uint64_t offset : {std::uint64_t{0}, size / 3, size / 2, size == 0 ? 0 : size - 1}) {
                std::uint64_t holders = 0, holder = 0;
                for (std::uint64_t part = 1; part <= parts; ++part)
                    if (ShardSpec{part, parts}.holds(offset, size)) {
                        ++holders;
                        holder = part;
                    }
                EXPECT_EQ(holders, 1u) << size << " " << parts << " " << offset;
                EXPECT_GE(holder, previous) << size << " " << parts << " " << offset;
                previous = holder;
            }
        }
    }
}

} // namespace
} // namespace stencilor
