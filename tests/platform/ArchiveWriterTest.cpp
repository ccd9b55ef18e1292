// SPDX-License-Identifier: GPL-3.0-or-later
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

// Every entry of the archive at `path` (any format and compression libarchive reads) with its
// contents; `format` and `filter`, when given, get libarchive's codes of what it found.
std::map<std::string, std::string> entries(const std::string& path, int* format = nullptr, int* filter = nullptr)
{
    std::map<std::string, std::string> found;
    archive* reader = archive_read_new();
    archive_read_support_format_all(reader);
    archive_read_support_filter_all(reader);
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
    if (format)
        *format = archive_format(reader) & ARCHIVE_FORMAT_BASE_MASK;
    if (filter)
        *filter = archive_filter_code(reader, 0);
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

// The name's extension picks the format and the compression, in any case; a name without a
// known extension, or an extension alone, picks none.
TEST(ArchiveWriter, TheExtensionPicksTheFormat)
{
    const struct {
        const char* name;
        int format; // libarchive's format and filter codes of what is written
        int filter;
    } cases[] = {
        {"out.tar", ARCHIVE_FORMAT_TAR, ARCHIVE_FILTER_NONE},     {"out.TGZ", ARCHIVE_FORMAT_TAR, ARCHIVE_FILTER_GZIP},
        {"a.b.tar.gz", ARCHIVE_FORMAT_TAR, ARCHIVE_FILTER_GZIP},  {"out.tar.xz", ARCHIVE_FORMAT_TAR, ARCHIVE_FILTER_XZ},
        {"out.tar.zst", ARCHIVE_FORMAT_TAR, ARCHIVE_FILTER_ZSTD}, {"out.Zip", ARCHIVE_FORMAT_ZIP, ARCHIVE_FILTER_NONE},
    };
    const std::map<std::string, std::string> files = {{"a.htm", "A\r\n"}, {"sub/b.htm", std::string(70000, 'b')}};
    for (const auto& c : cases) {
        const std::optional<ArchiveFormat> format = archiveFormatOfName(c.name);
        ASSERT_TRUE(format) << c.name;
        test::TempDir dir;
        ArchiveWriter writer;
        ASSERT_TRUE(writer.open(dir.file(c.name), *format)) << c.name;
        for (const auto& [name, data] : files)
            ASSERT_TRUE(writer.add(name, data)) << c.name;
        ASSERT_TRUE(writer.close()) << c.name;
        int foundFormat = 0;
        int foundFilter = -1;
        EXPECT_EQ(entries(dir.file(c.name), &foundFormat, &foundFilter), files) << c.name;
        EXPECT_EQ(foundFormat, c.format) << c.name;
        EXPECT_EQ(foundFilter, c.filter) << c.name;
    }
    for (const char* unknown : {"out.7z", "out.tar.bz2", "out", ".tar", "dir/.zip", "out.tar.gz.bak"})
        EXPECT_FALSE(archiveFormatOfName(unknown)) << unknown;
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
