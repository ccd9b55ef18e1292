// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ArchiveWriter.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <clocale>
#include <ctime>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

// Names are taken as UTF-8 while libarchive writes a header, whatever the process's locale:
// libarchive converts names from the locale's character set, so a UTF-8 name goes into the
// header as the UTF-8 that tar readers expect, and a name that is not UTF-8 goes in as the bytes
// it is, in a header marked binary (hdrcharset=BINARY). The locale is the calling thread's own
// for that time only.
class Utf8Names final {
public:
    Utf8Names()
    {
        static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        if (utf8)
            m_previous = ::uselocale(utf8);
    }
    ~Utf8Names()
    {
        if (m_previous)
            ::uselocale(m_previous);
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t m_previous{};
};

// The known formats by their names and extensions, longest extension first where one ends another.
struct FormatName {
    std::string_view name;
    ArchiveFormat format;
};
constexpr FormatName kFormatNames[] = {
    {"tar.gz", ArchiveFormat::TarGz},   {"tgz", ArchiveFormat::TarGz}, {"tar.xz", ArchiveFormat::TarXz},
    {"tar.zst", ArchiveFormat::TarZst}, {"tar", ArchiveFormat::Tar},   {"zip", ArchiveFormat::Zip},
};

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// Sets `archive` up to write `format`: libarchive's format and, for a compressed tar, its filter.
int setFormat(::archive* archive, ArchiveFormat format)
{
    if (format == ArchiveFormat::Zip)
        return archive_write_set_format_zip(archive);
    if (const int set = archive_write_set_format_pax_restricted(archive); set != ARCHIVE_OK)
        return set;
    switch (format) {
    case ArchiveFormat::TarGz:
        return archive_write_add_filter_gzip(archive);
    case ArchiveFormat::TarXz:
        return archive_write_add_filter_xz(archive);
    case ArchiveFormat::TarZst:
        return archive_write_add_filter_zstd(archive);
    case ArchiveFormat::Tar:
    case ArchiveFormat::Zip:
        break;
    }
    return ARCHIVE_OK;
}

} // namespace

std::optional<ArchiveFormat> archiveFormatOfName(std::string_view name)
{
    const std::size_t slash = name.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    for (const FormatName& known : kFormatNames) {
        // The extension and a name before it: ".tar" alone names no archive.
        if (base.size() > known.name.size() + 1 &&
            equalsIgnoringAsciiCase(base.substr(base.size() - known.name.size()), known.name) &&
            base[base.size() - known.name.size() - 1] == '.')
            return known.format;
    }
    return std::nullopt;
}

std::optional<ArchiveFormat> archiveFormatNamed(std::string_view name)
{
    for (const FormatName& known : kFormatNames)
        if (equalsIgnoringAsciiCase(name, known.name))
            return known.format;
    return std::nullopt;
}

bool isContainedName(std::string_view name)
{
    if (name.empty() || name.front() == '/')
        return false;
    for (std::size_t start = 0;;) {
        const std::size_t end = name.find('/', start);
        if (name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == "..")
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

ArchiveWriter::~ArchiveWriter()
{
    discard();
}

Error ArchiveWriter::failure(ErrorKind kind)
{
    return systemError(kind, m_path, m_archive && archive_errno(m_archive) > 0 ? archive_errno(m_archive) : EIO);
}

long ArchiveWriter::writeBlock(::archive* archive, void* self, const void* buffer, std::size_t size)
{
    auto* writer = static_cast<ArchiveWriter*>(self);
    if (writer->m_dropWrites) {
        archive_set_error(archive, ECANCELED, "archive discarded");
        return -1;
    }
    if (const int code = writeAll(writer->m_fd, std::string_view(static_cast<const char*>(buffer), size)); code != 0) {
        archive_set_error(archive, code, "write error");
        return -1;
    }
    return static_cast<long>(size);
}

int ArchiveWriter::closeStream(::archive* /*archive*/, void* self)
{
    auto* writer = static_cast<ArchiveWriter*>(self);
    writer->m_file.reset();
    writer->m_fd = -1;
    return ARCHIVE_OK;
}

Status ArchiveWriter::open(const std::string& path, ArchiveFormat format)
{
    discard();
    m_path = path;
    m_dropWrites = false;
    const bool toStandardOutput = path == "-";
    if (!toStandardOutput) {
        m_file.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!m_file.valid())
            return systemError(ErrorKind::CreateFile, path, errno);
    }
    m_fd = toStandardOutput ? STDOUT_FILENO : m_file.get();
    // Only a regular file is removed when the archive fails: never a device or a pipe it names.
    struct stat info {};
    m_removable = !toStandardOutput && ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
    const Utf8Names names;
    m_archive = archive_write_new();
    if (!m_archive) {
        closeStream(nullptr, this);
        if (m_removable)
            ::unlink(path.c_str());
        return systemError(ErrorKind::CreateFile, path, ENOMEM);
    }
    // Standard output may be a pipe read by another program: pad only to whole 512-byte records.
    if (setFormat(m_archive, format) != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(m_archive, 1) != ARCHIVE_OK ||
        archive_write_open2(m_archive, this, nullptr, &ArchiveWriter::writeBlock, &ArchiveWriter::closeStream,
                            nullptr) != ARCHIVE_OK) {
        const Error error = failure(ErrorKind::CreateFile);
        archive_write_free(m_archive);
        m_archive = nullptr;
        closeStream(nullptr, this);
        if (m_removable)
            ::unlink(path.c_str());
        return error;
    }
    return {};
}

Status ArchiveWriter::startEntry(std::string_view name, std::uint64_t size)
{
    if (!isContainedName(name))
        return systemError(ErrorKind::AddToArchive, std::string(name), EINVAL);
    const Utf8Names names;
    archive_entry* entry = archive_entry_new();
    const std::string pathname(name);
    archive_entry_set_pathname(entry, pathname.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(size));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_mtime(entry, std::time(nullptr), 0);
    Status status;
    // A warning is the binary header of a name that is not UTF-8: the entry is written.
    if (const int written = archive_write_header(m_archive, entry); written != ARCHIVE_OK && written != ARCHIVE_WARN)
        status = failure(ErrorKind::WriteFile);
    archive_entry_free(entry);
    return status;
}

Status ArchiveWriter::writeData(std::string_view data)
{
    if (!data.empty() &&
        archive_write_data(m_archive, data.data(), data.size()) != static_cast<la_ssize_t>(data.size()))
        return failure(ErrorKind::WriteFile);
    return {};
}

Status ArchiveWriter::add(std::string_view name, std::string_view data)
{
    if (Status started = startEntry(name, data.size()); !started)
        return started;
    return writeData(data);
}

Status ArchiveWriter::add(std::string_view name, int fd, std::uint64_t size)
{
    if (Status started = startEntry(name, size); !started)
        return started;
    std::string block(std::size_t{1} << 16, '\0');
    for (std::uint64_t at = 0; at < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - at));
        const Result<std::size_t> got = readAt(fd, block.data(), want, at);
        if (!got || got.value() == 0) {
            // The entry's size is in its header already: an archive without its bytes is no archive.
            return systemError(ErrorKind::ReadForArchive, std::string(name), got ? EIO : got.error().code);
        }
        if (Status written = writeData(std::string_view(block.data(), got.value())); !written)
            return written;
        at += got.value();
    }
    return {};
}

Status ArchiveWriter::close()
{
    if (!m_archive)
        return {};
    const int closed = archive_write_close(m_archive);
    const Status status = closed == ARCHIVE_OK ? Status() : Status(failure(ErrorKind::WriteFile));
    archive_write_free(m_archive);
    m_archive = nullptr;
    if (!status && m_removable)
        ::unlink(m_path.c_str());
    return status;
}

void ArchiveWriter::discard()
{
    if (!m_archive)
        return;
    // Closing (rather than failing) the archive lets libarchive free its buffers; the writes it
    // still attempts are dropped.
    m_dropWrites = true;
    archive_write_close(m_archive);
    archive_write_free(m_archive);
    m_archive = nullptr;
    if (m_removable)
        ::unlink(m_path.c_str());
}

} // namespace stencilor
