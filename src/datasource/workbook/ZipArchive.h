// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The zip container of a workbook, read through libarchive from bytes that can be read at any
// offset (the zip's directory stands at its end). Entry names are only ever compared, never used
// as paths: every part is unpacked into memory or read as a stream. Unpacking is bounded, so that a
// zip bomb ends in an error instead of in exhausted memory or an endless read.

#include "datasource/workbook/WorkbookError.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// Bytes that can be read at any offset: a file, or a text in memory.
class ArchiveBytes {
public:
    virtual ~ArchiveBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `size` bytes at `offset` into `into`: the number read, 0 at the end.
    virtual WorkbookResult<std::size_t> readAt(std::uint64_t offset, char* into, std::size_t size) = 0;
};

// The bytes of a text held elsewhere, which must outlive them.
class MemoryBytes final : public ArchiveBytes {
public:
    explicit MemoryBytes(std::string_view text)
        : m_text(text)
    {
    }
    std::uint64_t size() const override { return m_text.size(); }
    WorkbookResult<std::size_t> readAt(std::uint64_t offset, char* into, std::size_t size) override;

private:
    std::string_view m_text;
};

// The bytes of a regular file, read through one open descriptor that the object closes.
class FileBytes final : public ArchiveBytes {
public:
    // Opens the regular file at `path`; fails with ReadFailed (kNotRegularFile for a FIFO or a device).
    static WorkbookResult<std::unique_ptr<FileBytes>> open(const std::string& path);
    ~FileBytes() override;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t size() const override { return m_size; }
    WorkbookResult<std::size_t> readAt(std::uint64_t offset, char* into, std::size_t size) override;

private:
    FileBytes(int fd, std::string path, std::uint64_t size)
        : m_fd(fd)
        , m_path(std::move(path))
        , m_size(size)
    {
    }
    int m_fd;
    std::string m_path;
    std::uint64_t m_size;
};

// How much a workbook's zip may unpack to.
struct ZipLimits {
    std::uint64_t wholePart = std::uint64_t{64} << 20;   // a part read whole into memory
    std::uint64_t streamedPart = std::uint64_t{8} << 30; // a part read as a stream (a sheet)
    // Beyond `ratioFrom` unpacked bytes, a part may unpack to at most `ratio` times the bytes it
    // was packed in: a sheet of repeated rows packs some 30 to 1, a zip bomb some 1000 to 1.
    std::uint64_t ratio = 200;
    std::uint64_t ratioFrom = std::uint64_t{64} << 20;
    std::size_t entries = 65536; // entries in the zip's directory
};

class ZipEntryStream;

class ZipArchive final {
public:
    // Reads the zip directory of `bytes` (which must outlive the archive and its streams). Fails
    // with NotZip when there is no complete zip, TooManyParts, Damaged or ReadFailed.
    static WorkbookResult<std::unique_ptr<ZipArchive>> open(ArchiveBytes& bytes, const ZipLimits& limits);

    // The entry names in the archive's order.
    const std::vector<std::string>& names() const { return m_names; }
    // The entry named `name`, ASCII letters compared in any case (part names are case-insensitive);
    // nullptr when there is none.
    const std::string* find(std::string_view name) const;
    // Whether any entry is encrypted.
    bool encrypted() const { return m_encrypted; }

    // The whole of entry `name` (at most limits.wholePart bytes). Fails with MissingPart,
    // PartTooLarge, Damaged or ReadFailed.
    WorkbookResult<std::string> read(std::string_view name) const;
    // Entry `name` as a stream (at most limits.streamedPart bytes).
    WorkbookResult<std::unique_ptr<ZipEntryStream>> stream(std::string_view name) const;

private:
    ZipArchive(ArchiveBytes& bytes, const ZipLimits& limits)
        : m_bytes(bytes)
        , m_limits(limits)
    {
    }
    WorkbookResult<std::unique_ptr<ZipEntryStream>> openEntry(std::string_view name, std::uint64_t limit) const;

    ArchiveBytes& m_bytes;
    ZipLimits m_limits;
    std::vector<std::string> m_names;
    bool m_encrypted = false;
};

// One entry's unpacked bytes, read in blocks.
class ZipEntryStream final {
public:
    ~ZipEntryStream();
    ZipEntryStream(const ZipEntryStream&) = delete;
    ZipEntryStream& operator=(const ZipEntryStream&) = delete;

    // Reads up to `size` unpacked bytes: the number read, 0 at the end. Fails with PartTooLarge
    // beyond the limits, Damaged or ReadFailed.
    WorkbookResult<std::size_t> read(char* into, std::size_t size);
    const std::string& name() const { return m_name; }

    // The libarchive reader positioned at the entry's data (known to ZipArchive.cpp alone).
    struct Handle;
    ZipEntryStream(std::unique_ptr<Handle> handle, std::string name, std::uint64_t limit, const ZipLimits& limits);

private:
    std::unique_ptr<Handle> m_handle;
    std::string m_name;
    std::uint64_t m_limit;
    ZipLimits m_limits;
    std::uint64_t m_unpacked = 0;
    std::uint64_t m_packedAtStart = 0;
};

} // namespace stencilor
