// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/ZipArchive.h"

#include "platform/Messages.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

WorkbookResult<std::size_t> MemoryBytes::readAt(std::uint64_t offset, char* into, std::size_t size)
{
    if (offset >= m_text.size())
        return std::size_t{0};
    const std::size_t count = std::min<std::uint64_t>(size, m_text.size() - offset);
    std::memcpy(into, m_text.data() + offset, count);
    return count;
}

WorkbookResult<std::unique_ptr<FileBytes>> FileBytes::open(const std::string& path)
{
    const auto failed = [&path](int code) { return WorkbookError(WorkbookErrorKind::ReadFailed, path).withCode(code); };
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return failed(code);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return failed(S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile);
    }
    return std::unique_ptr<FileBytes>(new FileBytes(fd, path, static_cast<std::uint64_t>(info.st_size)));
}

FileBytes::~FileBytes()
{
    ::close(m_fd);
}

WorkbookResult<std::size_t> FileBytes::readAt(std::uint64_t offset, char* into, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::pread(m_fd, into, size, static_cast<off_t>(offset));
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return WorkbookError(WorkbookErrorKind::ReadFailed, m_path).withCode(errno);
    }
}

// A libarchive reader over the bytes, with a position of its own, so that several parts can be
// read at once. It counts the packed bytes it hands to libarchive, against which the unpacked
// bytes are measured.
struct ZipEntryStream::Handle {
    explicit Handle(ArchiveBytes& source)
        : bytes(source)
        , buffer(kBlock)
    {
    }
    ~Handle()
    {
        if (archive)
            archive_read_free(archive);
    }

    // Small enough that the packed bytes handed over measure an entry's packed size closely.
    static constexpr std::size_t kBlock = 16 * 1024;
    ArchiveBytes& bytes;
    std::vector<char> buffer;
    struct archive* archive = nullptr;
    std::uint64_t position = 0;
    std::uint64_t delivered = 0; // packed bytes handed to libarchive
    std::optional<WorkbookError> readError;

    static la_ssize_t read(struct archive* archive, void* data, const void** block)
    {
        auto* self = static_cast<Handle*>(data);
        const WorkbookResult<std::size_t> got = self->bytes.readAt(self->position, self->buffer.data(), kBlock);
        if (!got) {
            self->readError = got.error();
            archive_set_error(archive, got.error().code, "%s", "read failed");
            return -1;
        }
        self->position += got.value();
        self->delivered += got.value();
        *block = self->buffer.data();
        return static_cast<la_ssize_t>(got.value());
    }
    static la_int64_t seek(struct archive*, void* data, la_int64_t offset, int whence)
    {
        auto* self = static_cast<Handle*>(data);
        const auto size = static_cast<la_int64_t>(self->bytes.size());
        la_int64_t base = 0;
        if (whence == SEEK_CUR)
            base = static_cast<la_int64_t>(self->position);
        else if (whence == SEEK_END)
            base = size;
        const la_int64_t target = std::clamp<la_int64_t>(base + offset, 0, size);
        self->position = static_cast<std::uint64_t>(target);
        return target;
    }
    static la_int64_t skip(struct archive*, void* data, la_int64_t request)
    {
        auto* self = static_cast<Handle*>(data);
        const std::uint64_t left = self->bytes.size() - std::min(self->position, self->bytes.size());
        const std::uint64_t step =
            std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max<la_int64_t>(request, 0)), left);
        self->position += step;
        return static_cast<la_int64_t>(step);
    }

    // The failure of the last libarchive call, about part `part`.
    WorkbookError failure(std::string_view part) const
    {
        if (readError)
            return *readError;
        const char* words = archive ? archive_error_string(archive) : nullptr;
        return WorkbookError(WorkbookErrorKind::Damaged, std::string(part), words ? words : "");
    }
};

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::uint32_t little32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t little64(const unsigned char* p)
{
    return little32(p) | (static_cast<std::uint64_t>(little32(p + 4)) << 32);
}

// Checks the end-of-directory record before libarchive reads the directory it describes: there
// must be one (else the zip is cut short, or is none), listing at most `limits.entries` entries in
// a directory of a size such entries can have.
WorkbookStatus checkDirectory(ArchiveBytes& bytes, const ZipLimits& limits)
{
    constexpr std::size_t kRecord = 22;
    constexpr std::size_t kSearch = kRecord + 65535; // the record and the longest comment
    const std::uint64_t size = bytes.size();
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kSearch));
    std::string tail(tailSize, '\0');
    const WorkbookResult<std::size_t> got = bytes.readAt(size - tailSize, tail.data(), tailSize);
    if (!got)
        return got.error();
    const auto* data = reinterpret_cast<const unsigned char*>(tail.data());
    const WorkbookError notZip(WorkbookErrorKind::NotZip);
    if (tailSize < kRecord)
        return notZip;
    for (std::size_t at = tailSize - kRecord + 1; at-- > 0;) {
        if (std::memcmp(data + at, "PK\5\6", 4) != 0)
            continue;
        std::uint64_t entries = data[at + 10] | (data[at + 11] << 8);
        std::uint64_t directorySize = little32(data + at + 12);
        // A zip64 directory: its locator stands just before the record.
        if ((entries == 0xffff || directorySize == 0xffffffff) && at >= 20 &&
            std::memcmp(data + at - 20, "PK\6\7", 4) == 0) {
            unsigned char record[56];
            const WorkbookResult<std::size_t> read =
                bytes.readAt(little64(data + at - 20 + 8), reinterpret_cast<char*>(record), sizeof record);
            if (!read)
                return read.error();
            if (read.value() < sizeof record || std::memcmp(record, "PK\6\6", 4) != 0)
                return notZip;
            entries = little64(record + 32);
            directorySize = little64(record + 40);
        }
        // An entry of the directory takes 46 bytes and its name, at most 64 KiB long.
        if (entries > limits.entries || directorySize > limits.entries * (46 + 65535 * 3))
            return WorkbookError(WorkbookErrorKind::TooManyParts).withLimit(limits.entries);
        return true;
    }
    return notZip;
}

// A libarchive reader of the zip in `bytes`, opened.
WorkbookResult<std::unique_ptr<ZipEntryStream::Handle>> openHandle(ArchiveBytes& bytes)
{
    auto handle = std::make_unique<ZipEntryStream::Handle>(bytes);
    handle->archive = archive_read_new();
    if (!handle->archive)
        return WorkbookError(WorkbookErrorKind::Damaged, {}, "out of memory");
    struct archive* a = handle->archive;
    // The directory at the end names the entries; the seekable reader reads it, and never guesses
    // entries from the bytes in between.
    archive_read_support_format_zip_seekable(a);
    archive_read_set_callback_data(a, handle.get());
    archive_read_set_read_callback(a, &ZipEntryStream::Handle::read);
    archive_read_set_seek_callback(a, &ZipEntryStream::Handle::seek);
    archive_read_set_skip_callback(a, &ZipEntryStream::Handle::skip);
    if (archive_read_open1(a) != ARCHIVE_OK)
        return handle->failure({});
    return handle;
}

} // namespace

WorkbookResult<std::unique_ptr<ZipArchive>> ZipArchive::open(ArchiveBytes& bytes, const ZipLimits& limits)
{
    if (WorkbookStatus checked = checkDirectory(bytes, limits); !checked)
        return checked.error();
    WorkbookResult<std::unique_ptr<ZipEntryStream::Handle>> handle = openHandle(bytes);
    if (!handle)
        return handle.error();
    std::unique_ptr<ZipArchive> zip(new ZipArchive(bytes, limits));
    struct archive* a = handle.value()->archive;
    for (;;) {
        struct archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            return handle.value()->failure({});
        if (zip->m_names.size() >= limits.entries)
            return WorkbookError(WorkbookErrorKind::TooManyParts).withLimit(limits.entries);
        const char* name = archive_entry_pathname(entry);
        zip->m_names.emplace_back(name ? name : "");
        if (archive_entry_is_encrypted(entry))
            zip->m_encrypted = true;
    }
    return zip;
}

const std::string* ZipArchive::find(std::string_view name) const
{
    for (const std::string& entry : m_names)
        if (sameName(entry, name))
            return &entry;
    return nullptr;
}

WorkbookResult<std::unique_ptr<ZipEntryStream>> ZipArchive::openEntry(std::string_view name, std::uint64_t limit) const
{
    WorkbookResult<std::unique_ptr<ZipEntryStream::Handle>> handle = openHandle(m_bytes);
    if (!handle)
        return handle.error();
    struct archive* a = handle.value()->archive;
    for (;;) {
        struct archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a, &entry);
        if (status == ARCHIVE_EOF)
            return WorkbookError(WorkbookErrorKind::MissingPart, std::string(name));
        if (status < ARCHIVE_WARN)
            return handle.value()->failure(name);
        const char* entryName = archive_entry_pathname(entry);
        if (entryName && sameName(entryName, name)) {
            if (archive_entry_is_encrypted(entry))
                return WorkbookError(WorkbookErrorKind::PasswordProtected);
            if (archive_entry_size_is_set(entry) && static_cast<std::uint64_t>(archive_entry_size(entry)) > limit)
                return WorkbookError(WorkbookErrorKind::PartTooLarge, std::string(name)).withLimit(limit);
            return std::make_unique<ZipEntryStream>(std::move(handle.value()), std::string(name), limit, m_limits);
        }
    }
}

WorkbookResult<std::string> ZipArchive::read(std::string_view name) const
{
    WorkbookResult<std::unique_ptr<ZipEntryStream>> stream = openEntry(name, m_limits.wholePart);
    if (!stream)
        return stream.error();
    std::string text;
    for (;;) {
        constexpr std::size_t kBlock = 64 * 1024;
        const std::size_t at = text.size();
        text.resize(at + kBlock);
        const WorkbookResult<std::size_t> got = stream.value()->read(text.data() + at, kBlock);
        if (!got)
            return got.error();
        text.resize(at + got.value());
        if (got.value() == 0)
            return text;
    }
}

WorkbookResult<std::unique_ptr<ZipEntryStream>> ZipArchive::stream(std::string_view name) const
{
    return openEntry(name, m_limits.streamedPart);
}

ZipEntryStream::ZipEntryStream(std::unique_ptr<Handle> handle, std::string name, std::uint64_t limit,
                               const ZipLimits& limits)
    : m_handle(std::move(handle))
    , m_name(std::move(name))
    , m_limit(limit)
    , m_limits(limits)
    , m_packedAtStart(m_handle->delivered)
{
}

ZipEntryStream::~ZipEntryStream() = default;

WorkbookResult<std::size_t> ZipEntryStream::read(char* into, std::size_t size)
{
    const la_ssize_t got = archive_read_data(m_handle->archive, into, size);
    if (got < 0)
        return m_handle->failure(m_name);
    m_unpacked += static_cast<std::uint64_t>(got);
    if (m_unpacked > m_limit)
        return WorkbookError(WorkbookErrorKind::PartTooLarge, m_name).withLimit(m_limit);
    // The packed bytes read for this entry, with the block libarchive may have read ahead of it.
    const std::uint64_t packed = m_handle->delivered - m_packedAtStart + Handle::kBlock;
    if (m_unpacked > m_limits.ratioFrom && m_unpacked / packed >= m_limits.ratio)
        return WorkbookError(WorkbookErrorKind::PartTooLarge, m_name).withRatio(m_limits.ratio);
    return static_cast<std::size_t>(got);
}

} // namespace stencilor
