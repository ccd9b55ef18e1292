#include "platform/OutputTree.h"

#include "TestUtil.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
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
        TreeWrite outcome;
        int code = 0;
    } cases[] = {
        {"a new file in new subfolders", nullptr, "", "a/b/c.htm", TreeWrite::Written},
        {"an existing file is replaced", [](const std::string& at) { test::TempDir::writeAt(at, "old"); }, "x.htm",
         "x.htm", TreeWrite::Written},
        {"a link at the file is replaced, not followed", linkTo(dir.file("outside/secret")), "x.htm", "x.htm",
         TreeWrite::Written},
        {"a dangling link at the file", linkTo(dir.file("outside/new")), "x.htm", "x.htm", TreeWrite::Written},
        {"a second name of an outside file is replaced",
         [this](const std::string& at) { fs::create_hard_link(dir.file("outside/secret"), at); }, "x.htm", "x.htm",
         TreeWrite::Written},
        {"a FIFO at the file is replaced without waiting",
         [](const std::string& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }, "x.htm", "x.htm", TreeWrite::Written},
        {"a link at a subfolder refuses the record", linkTo(dir.file("outside")), "sub", "sub/x.htm",
         TreeWrite::LinkInPath},
        {"a link at a deeper subfolder", linkTo(dir.file("outside")), "a/sub", "a/sub/b/x.htm", TreeWrite::LinkInPath},
        {"a file in the way of a subfolder", [](const std::string& at) { test::TempDir::writeAt(at, "file"); }, "sub",
         "sub/x.htm", TreeWrite::FolderFailed, ENOTDIR},
        {"a name that is a folder", [](const std::string& at) { fs::create_directories(at); }, "d", "d",
         TreeWrite::Failed, EISDIR},
        {"a name ending in a slash", nullptr, "", "d/", TreeWrite::Failed, EISDIR},
        {"a name of one dot", nullptr, "", ".", TreeWrite::Failed, EISDIR},
        {"the reserved report name", nullptr, "", "./report.html", TreeWrite::OwnInput},
        {"a name over 255 bytes", nullptr, "", std::string(256, 'n'), TreeWrite::Failed, ENAMETOOLONG},
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
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.code, c.code);
        if (c.outcome == TreeWrite::Written) {
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
    EXPECT_EQ(tree.write("data.csv", "x").outcome, TreeWrite::OwnInput);
    EXPECT_EQ(tree.write("copy.csv", "x").outcome, TreeWrite::OwnInput);
    EXPECT_EQ(dir.read("out/data.csv"), "a;b");
}

TEST_F(OutputTreeTest, ASecondTreeOnTheFolderIsRefusedUntilTheFirstCloses)
{
    auto first = std::make_unique<OutputTree>();
    ASSERT_TRUE(first->open(dir.file("out")));
    OutputTree second;
    const Status refused = second.open(dir.file("out"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, folderInUseCode());
    // The parts of one sharded job share the folder, but never with a plain run.
    EXPECT_FALSE(second.open(dir.file("out"), FolderLock::Shared));
    first.reset();
    EXPECT_TRUE(second.open(dir.file("out"), FolderLock::Shared));
    OutputTree third;
    EXPECT_TRUE(third.open(dir.file("out"), FolderLock::Shared));
    EXPECT_FALSE(OutputTree().open(dir.file("out")));
}

TEST_F(OutputTreeTest, TheProbeSeesWhatAWriteWouldMeet)
{
    plant("link", [this](const std::string& at) { fs::create_symlink(dir.file("outside"), at); });
    plant("file.htm", [this](const std::string& at) { fs::create_symlink(dir.file("outside/secret"), at); });
    plant("blocker", [](const std::string& at) { test::TempDir::writeAt(at, "file"); });
    plant("folder/x", [](const std::string& at) { fs::create_directories(at); });
    const std::string data = dir.write("out/data.csv", "a;b");
    OutputProbe probe(dir.file("out"));
    probe.protect(*fileIdentityOf(data));
    probe.reserveName("report.html");
    const struct {
        std::string name;
        TreeProbe outcome;
        std::string at;
    } cases[] = {
        {"new/x.htm", TreeProbe::Clear, "new/x.htm"},
        {"link/x.htm", TreeProbe::LinkInPath, "link"},
        {"file.htm", TreeProbe::ReplacesEntry, "file.htm"},
        {"blocker/x.htm", TreeProbe::FolderBlocked, "blocker"},
        {"folder/x", TreeProbe::NameIsFolder, "folder/x"},
        {"new/", TreeProbe::NameIsFolder, "new/"},
        {"data.csv", TreeProbe::OwnInput, "data.csv"},
        {"report.html", TreeProbe::OwnInput, "report.html"},
        {"folder/report.html", TreeProbe::Clear, "folder/report.html"},
    };
    for (const auto& c : cases) {
        std::string at;
        EXPECT_EQ(probe.probe(c.name, at), c.outcome) << c.name;
        EXPECT_EQ(at, c.at) << c.name;
    }
}

} // namespace
} // namespace stencilor
