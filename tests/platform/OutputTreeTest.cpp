// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OutputTree.h"

#include "FaultInjection.h"
#include "TestUtil.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace stencilor {
namespace {

namespace fs = std::filesystem;

// An output folder "out" beside a folder "outside" that no write may change, with what an
// attacker (or a careless user) can plant in "out" before the run.
class OutputTreeTest : public testing::Test {
protected:
    OutputTreeTest()
    {
        dir.write("outside/secret", "secret");
        fs::create_directories(dir.file("out"));
    }

    void plant(const std::string& name, const std::function<void(const std::string&)>& make) const
    {
        fs::create_directories(fs::path(dir.file("out/" + name)).parent_path());
        make(dir.file("out/" + name));
    }

    test::TempDir dir;
};

TEST_F(OutputTreeTest, WritesBelowTheFolderAndNeverThroughWhatStandsThere)
{
    const auto linkTo = [](std::string target) {
        return [target](const std::string& at) { fs::create_symlink(target, at); };
    };
    const struct {
        const char* what;
        std::function<void(const std::string&)> make; // planted at "out/<name>"
        std::string plantedAt;
        std::string name; // written
        TreeWriteResult result;
    } cases[] = {
        {"a new file in new subfolders", nullptr, "", "a/b/c.htm", TreeWriteResult{}},
        {"an existing file is replaced", [](const std::string& at) { test::TempDir::writeAt(at, "old"); }, "x.htm",
         "x.htm", TreeWriteResult{}},
        {"a link at the file is replaced, not followed", linkTo(dir.file("outside/secret")), "x.htm", "x.htm",
         TreeWriteResult{}},
        {"a dangling link at the file", linkTo(dir.file("outside/new")), "x.htm", "x.htm", TreeWriteResult{}},
        {"a second name of an outside file is replaced",
         [this](const std::string& at) { fs::create_hard_link(dir.file("outside/secret"), at); }, "x.htm", "x.htm",
         TreeWriteResult{}},
        {"a FIFO at the file is replaced without waiting",
         [](const std::string& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }, "x.htm", "x.htm", TreeWriteResult{}},
        {"a link at a subfolder refuses the record", linkTo(dir.file("outside")), "sub", "sub/x.htm",
         TreeWriteResult{Refusal::LinkInPath}},
        {"a link at a deeper subfolder", linkTo(dir.file("outside")), "a/sub", "a/sub/b/x.htm",
         TreeWriteResult{Refusal::LinkInPath}},
        {"a file in the way of a subfolder", [](const std::string& at) { test::TempDir::writeAt(at, "file"); }, "sub",
         "sub/x.htm", TreeWriteResult{Refusal::FolderFailed, ENOTDIR}},
        {"a name that is a folder", [](const std::string& at) { fs::create_directories(at); }, "d", "d",
         TreeWriteResult{Refusal::None, EISDIR}},
        {"a name ending in a slash", nullptr, "", "d/", TreeWriteResult{Refusal::None, EISDIR}},
        {"a name of one dot", nullptr, "", ".", TreeWriteResult{Refusal::None, EISDIR}},
        {"the reserved report name", nullptr, "", "./report.html", TreeWriteResult{Refusal::OwnInput}},
        {"a name over 255 bytes", nullptr, "", std::string(256, 'n'), TreeWriteResult{Refusal::None, ENAMETOOLONG}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir.file("out"));
        fs::create_directories(dir.file("out"));
        if (c.make)
            plant(c.plantedAt, c.make);
        OutputTree tree;
        ASSERT_TRUE(tree.open(dir.file("out")));
        tree.reserveName("report.html");
        const TreeWriteResult result = tree.write(c.name, "new");
        EXPECT_EQ(result.refusal, c.result.refusal);
        EXPECT_EQ(result.code, c.result.code);
        if (c.result.written()) {
            EXPECT_EQ(dir.read("out/" + c.name), "new");
            EXPECT_FALSE(fs::is_symlink(dir.file("out/" + c.name)));
        }
        EXPECT_EQ(dir.read("outside/secret"), "secret");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("outside")), fs::directory_iterator()), 1);
    }
}

TEST_F(OutputTreeTest, NeverReplacesAProtectedFile)
{
    // The data file lies in the output folder, and a second name of it too.
    const std::string data = dir.write("out/data.csv", "a;b");
    fs::create_hard_link(data, dir.file("out/copy.csv"));
    OutputTree tree;
    ASSERT_TRUE(tree.open(dir.file("out")));
    tree.protect(*fileIdentityOf(data));
    EXPECT_EQ(tree.write("data.csv", "x").refusal, Refusal::OwnInput);
    EXPECT_EQ(tree.write("copy.csv", "x").refusal, Refusal::OwnInput);
    EXPECT_EQ(dir.read("out/data.csv"), "a;b");
}

TEST_F(OutputTreeTest, ASubfolderMovedAwayOrReplacedStopsTheFilesWithinASecond)
{
    const auto moveTo = [](std::string to) {
        return [to](const test::TempDir& d, const std::string& at) { fs::rename(at, d.file(to)); };
    };
    const struct {
        const char* what;
        std::function<void(const test::TempDir&, const std::string&)> fault; // on "out/cN"
        bool moved;
    } cases[] = {
        {"moved outside", moveTo("outside/c0"), true},
        {"moved within the output folder", moveTo("out/elsewhere"), true},
        {"replaced by a link to where it went",
         [](const test::TempDir& d, const std::string& at) {
             fs::rename(at, d.file("outside/c2"));
             fs::create_directory_symlink(d.file("outside/c2"), at);
         },
         true},
        {"replaced by another folder",
         [](const test::TempDir& d, const std::string& at) {
             fs::rename(at, d.file("outside/c3"));
             fs::create_directories(at + "/d");
         },
         true},
        {"removed: made again", [](const test::TempDir&, const std::string& at) { fs::remove_all(at); }, false},
    };
    OutputTree tree;
    ASSERT_TRUE(tree.open(dir.file("out")));
    const auto folder = [](std::size_t i) { return "c" + std::to_string(i); };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        ASSERT_TRUE(tree.write(folder(i) + "/d/first", "1").written()) << cases[i].what;
    EXPECT_EQ(tree.movedFolder(), "");
    for (std::size_t i = 0; i < std::size(cases); ++i)
        cases[i].fault(dir, dir.file("out/" + folder(i)));
    EXPECT_EQ(tree.movedFolder(), "c0");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(tree.write(folder(i) + "/d/second", "2").moved, c.moved) << c.what;
        EXPECT_EQ(fs::exists(dir.file("out/" + folder(i) + "/d/second")), !c.moved) << c.what;
        EXPECT_FALSE(fs::exists(dir.file("outside/" + folder(i) + "/d/second"))) << c.what;
    }
    EXPECT_FALSE(fs::exists(dir.file("out/elsewhere/d/second")));
}

// Where the file system offers no flock on a folder (ENOLCK, EOPNOTSUPP, EINVAL, or EBADF as NFS
// says), a record lock on a file in the folder keeps the runs apart just the same.
TEST_F(OutputTreeTest, ASecondTreeOnTheFolderIsRefusedUntilTheFirstCloses)
{
    for (const int flockError : {0, ENOLCK, EOPNOTSUPP, EINVAL, EBADF}) {
        test::FlockFails flockFails(flockError);
        const std::string folder = dir.file("out" + std::to_string(flockError));
        auto first = std::make_unique<OutputTree>();
        ASSERT_TRUE(first->open(folder)) << flockError;
        OutputTree second;
        const Status refused = second.open(folder);
        ASSERT_FALSE(refused) << flockError;
        EXPECT_EQ(refused.error().code, folderInUseCode()) << flockError;
        // The parts of one sharded job share the folder, but never with a plain run.
        EXPECT_FALSE(second.open(folder, FolderLock::Shared)) << flockError;
        // A view holds the lock as long as the tree does.
        auto view = first->share();
        ASSERT_TRUE(view);
        first.reset();
        EXPECT_FALSE(second.open(folder, FolderLock::Shared)) << flockError;
        view.value().reset();
        EXPECT_TRUE(second.open(folder, FolderLock::Shared)) << flockError;
        OutputTree third;
        EXPECT_TRUE(third.open(folder, FolderLock::Shared)) << flockError;
        EXPECT_FALSE(OutputTree().open(folder)) << flockError;
        // The lock file is none of the outputs.
        EXPECT_EQ(fs::exists(folder + "/" + kFolderLockName), flockError != 0) << flockError;
        EXPECT_EQ(third.write(kFolderLockName, "x").refusal, flockError ? Refusal::OwnInput : Refusal::None);
    }
}

TEST_F(OutputTreeTest, ViewsOnOtherThreadsWriteTogetherAndShareWhatIsLeftAlone)
{
    const std::string data = dir.write("out/data.csv", "a;b");
    OutputTree tree;
    ASSERT_TRUE(tree.open(dir.file("out")));
    std::vector<std::unique_ptr<OutputTree>> views;
    for (int i = 0; i < 3; ++i)
        views.push_back(std::move(tree.share().value()));
    // Set after the views were made: they see it all the same.
    tree.protect(*fileIdentityOf(data));
    tree.reserveName("report.html");

    // Every view writes into the same new subfolders at once, each making them when it comes first.
    constexpr int kFiles = 300;
    std::vector<std::thread> threads;
    std::vector<std::vector<TreeWriteResult>> outcomes(views.size());
    for (std::size_t v = 0; v < views.size(); ++v) {
        threads.emplace_back([&, v] {
            for (int i = static_cast<int>(v); i < kFiles; i += static_cast<int>(views.size())) {
                // Built by append: GCC 12 sees a false overlap in "literal" + std::string here.
                const std::string name =
                    std::string("s").append(std::to_string(i % 7)).append("/d/f").append(std::to_string(i));
                outcomes[v].push_back(views[v]->write(name, std::to_string(i)));
            }
            outcomes[v].push_back(views[v]->write("data.csv", "x"));
            outcomes[v].push_back(views[v]->write("report.html", "x"));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& seen : outcomes) {
        ASSERT_GE(seen.size(), 2u);
        EXPECT_EQ(std::count(seen.begin(), seen.end() - 2, TreeWriteResult{}), seen.end() - 2 - seen.begin());
        EXPECT_EQ(seen.end()[-2].refusal, Refusal::OwnInput) << "a protected file";
        EXPECT_EQ(seen.end()[-1].refusal, Refusal::OwnInput) << "the reserved name";
    }
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(dir.read("out/s" + std::to_string(i % 7) + "/d/f" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(dir.read("out/data.csv"), "a;b");
    EXPECT_FALSE(fs::exists(dir.file("out/report.html")));
}

TEST_F(OutputTreeTest, TheProbeSeesWhatAWriteWouldMeet)
{
    plant("link", [this](const std::string& at) { fs::create_symlink(dir.file("outside"), at); });
    plant("file.htm", [this](const std::string& at) { fs::create_symlink(dir.file("outside/secret"), at); });
    plant("blocker", [](const std::string& at) { test::TempDir::writeAt(at, "file"); });
    plant("folder/x", [](const std::string& at) { fs::create_directories(at); });
    const std::string data = dir.write("out/data.csv", "a;b");
    OutputTree probe;
    probe.openToProbe(dir.file("out"));
    probe.protect(*fileIdentityOf(data));
    probe.reserveName("report.html");
    const TreeWriteResult clear;
    const struct {
        std::string name;
        TreeWriteResult write;
        bool replaces;
        std::string at;
    } cases[] = {
        {"new/x.htm", clear, false, "new/x.htm"},
        {"link/x.htm", TreeWriteResult{Refusal::LinkInPath}, false, "link"},
        {"file.htm", clear, true, "file.htm"},
        {"blocker/x.htm", TreeWriteResult{Refusal::FolderFailed, ENOTDIR}, false, "blocker"},
        {"folder/x", TreeWriteResult{Refusal::None, EISDIR}, false, "folder/x"},
        {"new/", TreeWriteResult{Refusal::None, EISDIR}, false, "new/"},
        {"data.csv", TreeWriteResult{Refusal::OwnInput}, false, "data.csv"},
        {"report.html", TreeWriteResult{Refusal::OwnInput}, false, "report.html"},
        {"folder/report.html", clear, false, "folder/report.html"},
    };
    for (const auto& c : cases) {
        const TreeProbeResult probed = probe.probe(c.name);
        EXPECT_EQ(probed.write, c.write) << c.name;
        EXPECT_EQ(probed.replaces, c.replaces) << c.name;
        EXPECT_EQ(probed.at, c.at) << c.name;
    }
    // Nothing was made: the probe only looked.
    EXPECT_FALSE(fs::exists(dir.file("out/new")));
}

} // namespace
} // namespace stencilor
