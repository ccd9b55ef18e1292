// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/NameDigests.h"

#include <gtest/gtest.h>
#include <string>

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

} // namespace
} // namespace stencilor
