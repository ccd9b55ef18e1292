// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/RecentProjects.h"

#include "TestUtil.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stencilor {
namespace {

using test::TempDir;

std::vector<std::string> numbered(int first, int last)
{
    std::vector<std::string> list;
    for (int n = first; n <= last; ++n)
        list.push_back("/p" + std::to_string(n) + ".ql");
    return list;
}

TEST(RecentProjects, TheNewestComesFirstOnceAndTheOldestDropOut)
{
    const struct {
        const char* what;
        std::vector<std::string> list;
        std::string added;
        std::vector<std::string> expected;
    } cases[] = {
        {"empty list", {}, "/a.ql", {"/a.ql"}},
        {"new path in front", {"/a.ql", "/b.ql"}, "/c.ql", {"/c.ql", "/a.ql", "/b.ql"}},
        {"known path moves up", {"/a.ql", "/b.ql", "/c.ql"}, "/b.ql", {"/b.ql", "/a.ql", "/c.ql"}},
        {"eleventh drops the oldest", numbered(1, 10), "/new.ql",
         [] {
             std::vector<std::string> l = numbered(1, 9);
             l.insert(l.begin(), "/new.ql");
             return l;
         }()},
        {"empty path changes nothing", {"/a.ql"}, "", {"/a.ql"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withRecentProject(c.list, c.added), c.expected) << c.what;
}

TEST(RecentProjects, StoredBesideLastProjectAndReadBack)
{
    TempDir dir;
    const std::string settings = dir.write("stencilor.ini", "; mine\n[total]\nlastprj=/jobs/a.ql\n[other]\nk=v\n");
    ASSERT_TRUE(writeRecentProjects(settings, {"/jobs/a.ql", "/jobs/b c.ql"}));
    EXPECT_EQ(readRecentProjects(settings), (std::vector<std::string>{"/jobs/a.ql", "/jobs/b c.ql"}));
    const std::string text = dir.read("stencilor.ini");
    EXPECT_EQ(text.substr(0, text.find("recent1")), "; mine\n[total]\nlastprj=/jobs/a.ql\n");
    EXPECT_NE(text.find("recent10=\n[other]\nk=v\n"), std::string::npos) << text;

    // A shorter list leaves none of the longer one's entries behind; an emptied one reads empty.
    ASSERT_TRUE(writeRecentProjects(settings, {"/jobs/b c.ql"}));
    EXPECT_EQ(readRecentProjects(settings), std::vector<std::string>{"/jobs/b c.ql"});
    ASSERT_TRUE(writeRecentProjects(settings, {}));
    EXPECT_TRUE(readRecentProjects(settings).empty());

    // Written by hand: gaps and repeats are skipped; a missing file is an empty list.
    const std::string edited = dir.write("edited.ini", "[total]\nrecent2=/x.ql\nrecent4=/y.ql\nrecent5=/x.ql\n");
    EXPECT_EQ(readRecentProjects(edited), (std::vector<std::string>{"/x.ql", "/y.ql"}));
    EXPECT_TRUE(readRecentProjects(dir.file("missing.ini")).empty());

    // The settings folder is made when it is missing; a folder standing at the file fails.
    EXPECT_TRUE(writeRecentProjects(dir.file("config/stencilor/stencilor.ini"), {"/a.ql"}));
    EXPECT_FALSE(writeRecentProjects(dir.path(), {"/a.ql"}));
}

} // namespace
} // namespace stencilor
