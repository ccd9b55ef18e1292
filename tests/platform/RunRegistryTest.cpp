// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RunRegistry.h"

#include "TestUtil.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {
namespace {

namespace fs = std::filesystem;

// A registry of its own in a temporary folder, as $XDG_RUNTIME_DIR names it, for the test's
// lifetime.
class RunRegistryTest : public testing::Test {
protected:
    RunRegistryTest()
    {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old)
            m_old = old;
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        fs::create_directories(dir.file("out/v"));
        fs::create_symlink(dir.file("out"), dir.file("link"));
    }
    ~RunRegistryTest() override
    {
        if (m_old)
            ::setenv("XDG_RUNTIME_DIR", m_old->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

    test::TempDir runtime, dir;

private:
    std::optional<std::string> m_old;
};

// A run into a folder inside or around the folder of a run in progress is refused, and so are
// parts of another job in the same folder; parts of one job share it.
TEST_F(RunRegistryTest, ARunStaysOutOfTheFoldersOfOtherRuns)
{
    struct Run {
        const char* folder;
        const char* job;
        bool shared;
    };
    const struct {
        Run first, second;
        std::optional<ErrorKind> refused;
    } cases[] = {
        {{"out", "a", false}, {"out/v", "a", false}, ErrorKind::FolderOverlapsRun},
        {{"out/v", "a", false}, {"out", "a", false}, ErrorKind::FolderOverlapsRun},
        {{"out", "a", true}, {"out/v", "a", true}, ErrorKind::FolderOverlapsRun},
        {{"out", "a", false}, {"link/v/w", "b", false}, ErrorKind::FolderOverlapsRun},
        {{"out", "a", false}, {"out", "a", false}, ErrorKind::FolderInUse},
        {{"out", "a", true}, {"out", "b", true}, ErrorKind::FolderInUse},
        {{"out", "a", true}, {"link/", "a", false}, ErrorKind::FolderInUse},
        {{"out", "a", true}, {"out", "a", true}, std::nullopt},
        {{"out", "a", false}, {"out2", "a", false}, std::nullopt},
        {{"out/v", "a", false}, {"out/w", "a", false}, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.first.folder) + " then " + c.second.folder;
        auto first = RunRegistration::enter(dir.file(c.first.folder), c.first.job, c.first.shared);
        ASSERT_TRUE(first) << what;
        {
            const auto second = RunRegistration::enter(dir.file(c.second.folder), c.second.job, c.second.shared);
            EXPECT_EQ(second ? std::nullopt : std::optional(second.error().kind), c.refused) << what;
            if (!second && second.error().kind == ErrorKind::FolderOverlapsRun) {
                EXPECT_EQ(second.error().other, fs::canonical(dir.file(c.first.folder)).string()) << what;
            }
        }
        // Once the first run has ended, the second may start.
        first.value().reset();
        EXPECT_TRUE(RunRegistration::enter(dir.file(c.second.folder), c.second.job, c.second.shared)) << what;
    }
}

// A run whose output folder changes while it runs enters the new one too: its own folders do not
// keep it out of each other, but the new one keeps other runs out.
TEST_F(RunRegistryTest, ARunsOwnFoldersDoNotKeepItOut)
{
    auto run = RunRegistration::enter(dir.file("out"), "a", false);
    ASSERT_TRUE(run);
    EXPECT_TRUE(run.value()->add(dir.file("out/v")));
    EXPECT_TRUE(run.value()->add(dir.file("x")));
    EXPECT_FALSE(RunRegistration::enter(dir.file("x/y"), "a", false));
}

// An entry left by a run that died holds no lock: it is removed, and keeps no run out.
TEST_F(RunRegistryTest, AnEntryOfADeadRunIsRemoved)
{
    const std::string registry = RunRegistration::registryFolder();
    ASSERT_EQ(registry, runtime.file("stencilor"));
    ASSERT_TRUE(RunRegistration::enter(dir.file("x"), "a", false)); // makes the registry
    test::TempDir::writeAt(registry + "/run-1-0", "stencilor run\nalone\na\n" + dir.file("out") + "\n");
    EXPECT_TRUE(RunRegistration::enter(dir.file("out/v"), "a", false));
    EXPECT_FALSE(fs::exists(registry + "/run-1-0"));
}

// A registry others may read or write is not used: they could plant or remove entries. A runtime
// folder that is gone or is no folder is passed over for one in /tmp.
TEST_F(RunRegistryTest, ARegistryOpenToOthersIsRefused)
{
    for (const std::string& runtimeFolder : {std::string("/nonexistent"), dir.write("file", "")}) {
        ::setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
        EXPECT_EQ(RunRegistration::registryFolder(), "/tmp/stencilor-" + std::to_string(::geteuid())) << runtimeFolder;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    fs::create_directory(runtime.file("stencilor"));
    ::chmod(runtime.file("stencilor").c_str(), 0755);
    const auto refused = RunRegistration::enter(dir.file("out"), "a", false);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, ErrorKind::LockFolder);
    EXPECT_EQ(refused.error().code, EACCES);
}

} // namespace
} // namespace stencilor
