// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/NameDigests.h"

#include "generation/SpillSort.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace stencilor {
namespace {

TEST(NameDigests, EveryNameKeepsItsFirstValueThroughGrowth)
{
    // Names that differ in one letter, in case or in length only, many more than the first table holds.
    const auto name = [](int i) { return (i % 2 ? "Name" : "name") + std::to_string(i / 2); };
    constexpr int kNames = 20000;
    DigestMap<std::uint64_t> map;
    for (int i = 0; i < kNames; ++i)
        ASSERT_TRUE(map.tryEmplace(digestOf(name(i)), static_cast<std::uint64_t>(i)).second) << name(i);
    for (int i = 0; i < kNames; ++i) {
        const auto [value, inserted] = map.tryEmplace(digestOf(name(i)), 999999);
        EXPECT_FALSE(inserted);
        EXPECT_EQ(*value, static_cast<std::uint64_t>(i));
        ASSERT_NE(map.find(digestOf(name(i))), nullptr);
    }
    EXPECT_EQ(map.size(), static_cast<std::size_t>(kNames));
    EXPECT_EQ(map.find(digestOf("name" + std::to_string(kNames))), nullptr);
    EXPECT_EQ(DigestMap<int>().find(digestOf("")), nullptr);
}

// Items of every kind the check sorts (empty ones, zero bytes, one item the beginning of another,
// repeats), sorted in memory and through more runs on disk than one merge reads at once.
TEST(SpillSorter, SortsAsInMemoryAtAnyBoundAndReadsAgain)
{
    std::mt19937 random(7);
    std::vector<std::string> items;
    for (int i = 0; i < 6000; ++i) {
        std::string item(random() % 12, '\0');
        for (char& c : item)
            c = "ab\0\x01\xff/"[random() % 6];
        items.push_back(item);
        if (i % 10 == 0)
            items.push_back(item + "z");
    }
    std::vector<std::string> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    for (const std::size_t memory : {std::size_t{1} << 20, std::size_t{1024}}) {
        SpillSorter sorter(memory);
        for (const std::string& item : items)
            ASSERT_TRUE(sorter.add(item));
        EXPECT_EQ(sorter.size(), items.size());
        for (int reading = 0; reading < 2; ++reading) {
            ASSERT_TRUE(sorter.startReading());
            std::vector<std::string> read;
            std::string_view item;
            for (Result<bool> got = sorter.next(item); got && got.value(); got = sorter.next(item))
                read.emplace_back(item);
            EXPECT_EQ(read, sorted) << memory << " bytes, reading " << reading;
        }
    }
}

} // namespace
} // namespace stencilor
