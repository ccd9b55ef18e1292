// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include "TestUtil.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace stencilor {
namespace {

TEST(FileSystem, ReadsWholeFilesAndReportsFailures)
{
    test::TempDir dir;
    const std::string big(3 * 1024 * 1024 + 7, 'z');
    dir.write("big", big);
    std::string buffer = "old contents";
    ASSERT_TRUE(readWholeFileInto(dir.file("big"), buffer));
    EXPECT_EQ(buffer, big);
    dir.write("empty", "");
    ASSERT_TRUE(readWholeFileInto(dir.file("empty"), buffer));
    EXPECT_EQ(buffer, "");

    const Result<FileIdentity> missing = readWholeFileInto(dir.file("missing"), buffer);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ENOENT);
    EXPECT_EQ(errorText(missing.error()),
              "cannot open file \"" + dir.file("missing") + "\": No such file or directory");
    EXPECT_EQ(readWholeFile(dir.path()).error().code, EISDIR);
}

// A device would feed a read without end and a FIFO would hold it until a writer comes; neither
// is read, and the reason says why.
TEST(FileSystem, ReadsOnlyRegularFiles)
{
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), dir.file("fifo")}) {
        std::string buffer;
        const Result<FileIdentity> read = readWholeFileInto(path, buffer);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(read.error().code, kNotRegularFile) << path;
        EXPECT_EQ(systemReason(read.error().code), "Not a regular file");
        FileReader reader;
        EXPECT_EQ(reader.open(path).error().code, kNotRegularFile) << path;
    }
}

TEST(FileSystem, WritesReplaceExistingFiles)
{
    test::TempDir dir;
    dir.write("out.txt", "a much longer earlier content");
    ASSERT_TRUE(writeFileAtomically(dir.file("out.txt"), "atomic"));
    EXPECT_EQ(dir.read("out.txt"), "atomic");
    EXPECT_FALSE(writeFileAtomically(dir.file("no/such/folder/f"), "x"));
}

TEST(FileSystem, AtomicWriteKeepsPermissionsAndLeavesNoTemporaryFile)
{
    test::TempDir dir;
    const std::string path = dir.write("p.ql", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(path, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(FileSystem, PathParts)
{
    const struct {
        std::string path, folder, file;
    } cases[] = {
        {"/a/b.ql", "/a/", "b.ql"}, {"b.ql", "", "b.ql"}, {"/", "/", ""}, {"rel/x/", "rel/x/", ""}, {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(fileNamePart(c.path), c.file) << c.path;
    }
    EXPECT_EQ(absolutePath("/x/y", "/base"), "/x/y");
    EXPECT_EQ(absolutePath("p.ql", "/base"), "/base/p.ql");
    EXPECT_EQ(absolutePath("p.ql", "/"), "/p.ql");
    EXPECT_EQ(absolutePath("p.ql"), currentFolder() + "/p.ql");
}

TEST(FileSystem, FileAddressesPercentEncodeEverythingButUnreservedBytesAndSlashes)
{
    const struct {
        std::string path, url;
    } cases[] = {
        {"/out/report.html", "file:///out/report.html"},
        {"/a b/#1?x=50%.htm", "file:///a%20b/%231%3Fx%3D50%25.htm"},
        {"/caf\xC3\xA9/\xD0\x96~_-.txt", "file:///caf%C3%A9/%D0%96~_-.txt"},
        {std::string("/\x01\"<>&'\x7F\xFF", 9), "file:///%01%22%3C%3E%26%27%7F%FF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileUrl(c.path), c.url) << c.path;
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(EnsureFolder, CreatesMissingFoldersAndAcceptsExistingOnes)
{
    const test::TempDir dir;
    const std::string rows[] = {
        "a/b/c", // nested, all missing
        "a/b/c", // now existing
        "t/",    // one trailing "/"
        "u/v//", // several trailing "/"
        "w//x",  // doubled separator inside
        "p/./q", // "." component
        "r/../s" // ".." component whose parent is missing too
    };
    for (const std::string& relative : rows) {
        EXPECT_TRUE(EnsureFolder(dir.file(relative))) << relative;
        EXPECT_TRUE(isFolder(dir.file(relative))) << relative;
    }
    EXPECT_TRUE(isFolder(dir.file("u/v")));
    EXPECT_TRUE(EnsureFolder("/"));
    EXPECT_TRUE(EnsureFolder("//"));
}

TEST(EnsureFolder, FailsOnFileInTheWayAndEmptyPath)
{
    const test::TempDir dir;
    dir.write("file", "x");
    for (const std::string relative : {"file", "file/", "file/sub/deeper"})
        EXPECT_FALSE(EnsureFolder(dir.file(relative))) << relative;
    EXPECT_FALSE(isFolder(dir.file("file")));
    EXPECT_FALSE(EnsureFolder(""));

    // The failure names the folder that could not be made and the system's reason.
    const Status blocked = EnsureFolder(dir.file("file/sub"));
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error().code, ENOTDIR);
    EXPECT_EQ(errorText(blocked.error()), "cannot create folder \"" + dir.file("file") + "\": Not a directory");
}

} // namespace
} // namespace stencilor
