// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/TemplateFile.h"

#include "TestUtil.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace stencilor {
namespace {

// Waits until a file last changed now is old enough for its times to be trusted.
void letTimesSettle()
{
    std::this_thread::sleep_for(std::chrono::nanoseconds(TemplateFile::kTrustAfterNanoseconds) +
                                std::chrono::milliseconds(20));
}

TEST(TemplateFile, IsReadAgainOnlyWhenItMayHaveChanged)
{
    test::TempDir dir;
    const std::string path = dir.write("t.html", "[%A%]");
    TemplateFile file;
    bool reread = false;
    EXPECT_EQ(*file.current(path, reread).value(), "[%A%]");
    EXPECT_TRUE(reread);
    // Just written: within the clock tick an edit could keep every time, so it is read again.
    EXPECT_EQ(*file.current(path, reread).value(), "[%A%]");
    EXPECT_TRUE(reread);
    letTimesSettle();
    ASSERT_TRUE(file.current(path, reread));
    EXPECT_TRUE(reread);
    EXPECT_EQ(*file.current(path, reread).value(), "[%A%]");
    EXPECT_FALSE(reread) << "an unchanged, settled file costs no read";

    const struct {
        const char* what;
        std::function<void()> edit;
        std::string bytes;
    } edits[] = {
        {"rewritten in place with the same size", [&] { dir.write("t.html", "(%A%)"); }, "(%A%)"},
        {"replaced by rename",
         [&] {
             dir.write("new.html", "<%A%>");
             std::filesystem::rename(dir.file("new.html"), path);
         },
         "<%A%>"},
        {"truncated and written",
         [&] {
             std::filesystem::resize_file(path, 0);
             dir.write("t.html", "{%A%}");
         },
         "{%A%}"},
    };
    for (const auto& e : edits) {
        e.edit();
        EXPECT_EQ(*file.current(path, reread).value(), e.bytes) << e.what;
        EXPECT_TRUE(reread) << e.what;
        // Edited again at once, within the same clock tick and to the same size.
        std::string again = e.bytes;
        again[0] = '|';
        dir.write("t.html", again);
        EXPECT_EQ(*file.current(path, reread).value(), again) << e.what << ", then again in the same tick";
        letTimesSettle();
        ASSERT_TRUE(file.current(path, reread));
    }
    std::filesystem::remove(path);
    EXPECT_FALSE(file.current(path, reread));
}

} // namespace
} // namespace stencilor
