// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/NamesInHand.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

TEST(NamesInHand, ARecordWaitsForTheFilesAndFoldersItWouldMeet)
{
    NamesInHand names;
    names.add(NamesInHand::keyOf("/out", "a/b.txt"));
    names.add(NamesInHand::keyOf("/out", "c"));
    const struct {
        std::string folder, name;
        bool touches;
    } cases[] = {
        {"/out", "a/b.txt", true}, {"/out", "A/./B.TXT", true}, {"/out", "a//b.txt", true},
        {"/out", "a", true},       {"/out", "c/d", true},       {"/out", "a/c.txt", false},
        {"/out", "ab", false},     {"/out", "b.txt", false},    {"/other", "c", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(names.touches(NamesInHand::keyOf(c.folder, c.name)), c.touches) << c.folder << " " << c.name;
    names.add(NamesInHand::keyOf("/out", "a/b.txt"));
    names.remove(NamesInHand::keyOf("/out", "a/b.txt"));
    EXPECT_TRUE(names.touches(NamesInHand::keyOf("/out", "a"))) << "the same file twice in hand, once given back";
    names.remove(NamesInHand::keyOf("/out", "a/b.txt"));
    EXPECT_FALSE(names.touches(NamesInHand::keyOf("/out", "a")));
}

} // namespace
} // namespace stencilor
