#include "platform/ArchiveWriter.h"

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
    while (archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
        std::string data(static_cast<std::size_t>(archive_entry_size(entry)), '\0');
        archive_read_data(reader, data.data(), data.size());
        found[archive_entry_pathname(entry)] = data;
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

TEST(ArchiveWriter, AFullDiskNamesTheArchiveAndLeavesNoPartOfIt)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    test::TempDir dir;
    std::filesystem::create_symlink("/dev/full", dir.file("full.tar"));
    ArchiveWriter writer;
    ASSERT_TRUE(writer.open(dir.file("full.tar")));
    Status status = writer.add("a.htm", std::string(1 << 20, 'a'));
    if (status)
        status = writer.close();
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().code, ENOSPC);
    EXPECT_NE(status.error().message.find(dir.file("full.tar")), std::string::npos);
    writer.discard();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("full.tar"))));
}

} // namespace
} // namespace stencilor
