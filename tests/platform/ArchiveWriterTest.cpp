#include "platform/ArchiveWriter.h"

#include "FaultInjection.h"
#include "TestUtil.h"

#include <archive.h>
#include <archive_entry.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace stencilor {
namespace {

// Every entry of the tar archive at `path` with its contents.
std::map<std::string, std::string> entries(const std::string& path)
{
    std::map<std::string, std::string> found;
    archive* reader = archive_read_new();
    archive_read_support_format_tar(reader);
    EXPECT_EQ(archive_read_open_filename(reader, path.c_str(), 10240), ARCHIVE_OK);
    archive_entry* entry = nullptr;
    // A warning says a UTF-8 name has no form in this process's locale; the entry is there.
    for (int read; (read = archive_read_next_header(reader, &entry)) == ARCHIVE_OK || read == ARCHIVE_WARN;) {
        std::string data(static_cast<std::size_t>(archive_entry_size(entry)), '\0');
        archive_read_data(reader, data.data(), data.size());
        // UTF-8 names are read as UTF-8 whatever the locale; binary ones as the bytes they are.
        const char* name = archive_entry_pathname_utf8(entry);
        found[name ? name : archive_entry_pathname(entry)] = data;
    }
    archive_read_free(reader);
    return found;
}

TEST(ArchiveWriter, WritesEntriesUnderTheirRelativeNames)
{
    test::TempDir dir;
    ArchiveWriter writer;
    ASSERT_TRUE(writer.open(dir.file("out.tar")));
    const std::map<std::string, std::string> files = {{"a.htm", "A\r\n"},
                                                      {"Москва/b.htm", std::string(100000, 'b')},
                                                      {"latin1 \xFC.htm", "bytes as they are"},
                                                      {"empty", ""},
                                                      {"report.html", "<HTML>"}};
    for (const auto& [name, data] : files)
        ASSERT_TRUE(writer.add(name, data)) << name;
    for (const char* outside : {"../x", "/etc/passwd", "a/../../x", ""})
        EXPECT_EQ(writer.add(outside, "x").error().code, EINVAL) << outside;
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(entries(dir.file("out.tar")), files);
}

// A full disk (a file-size limit on a regular file, /dev/full behind a link): the error names the
// archive; a regular file is removed, a device is left alone.
TEST(ArchiveWriter, AFullDiskNamesTheArchiveAndRemovesOnlyARegularFile)
{
    struct Case {
        bool device;
        int code;
    };
    for (const Case c : {Case{false, EFBIG}, Case{true, ENOSPC}}) {
        if (c.device && !std::filesystem::exists("/dev/full"))
            continue;
        test::TempDir dir;
        const std::string path = dir.file("full.tar");
        if (c.device)
            std::filesystem::create_symlink("/dev/full", path);
        Status status;
        {
            const test::FileSizeLimit limit(64 << 10);
            ASSERT_TRUE(limit.active());
            ArchiveWriter writer;
            ASSERT_TRUE(writer.open(path));
            status = writer.add("a.htm", std::string(1 << 20, 'a'));
            if (status)
                status = writer.close();
            writer.discard();
        }
        ASSERT_FALSE(status) << c.device;
        EXPECT_EQ(status.error().code, c.code);
        EXPECT_EQ(status.error().object, path);
        EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(path)), c.device);
    }
}

} // namespace
} // namespace stencilor
