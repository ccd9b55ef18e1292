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

} // namespace

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

Error ArchiveWriter::failure(const char* what)
{
    const int code = m_archive && archive_errno(m_archive) > 0 ? archive_errno(m_archive) : EIO;
    return Error{code, std::string(what) + " \"" + m_path + "\": " + systemReason(code)};
}

long ArchiveWriter::writeBlock(::archive* archive, void* self, const void* buffer, std::size_t size)
{
    auto* writer = static_cast<ArchiveWriter*>(self);
    if (writer->m_dropWrites) {
        archive_set_error(archive, ECANCELED, "archive discarded");
        return -1;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(writer->m_fd, bytes + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            archive_set_error(archive, written < 0 ? errno : EIO, "write error");
            return -1;
        }
        done += static_cast<std::size_t>(written);
    }
    return static_cast<long>(size);
}

int ArchiveWriter::closeStream(::archive* /*archive*/, void* self)
{
    auto* writer = static_cast<ArchiveWriter*>(self);
    if (!writer->m_toStandardOutput && writer->m_fd >= 0)
        ::close(writer->m_fd);
    writer->m_fd = -1;
    return ARCHIVE_OK;
}

Status ArchiveWriter::open(const std::string& path)
{
    discard();
    m_path = path;
    m_toStandardOutput = path == "-";
    m_dropWrites = false;
    m_fd = m_toStandardOutput ? STDOUT_FILENO : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return Error{errno, "cannot create file \"" + path + "\": " + systemReason(errno)};
    // Only a regular file is removed when the archive fails: never a device or a pipe it names.
    struct stat info {};
    m_removable = !m_toStandardOutput && ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
    const Utf8Names names;
    m_archive = archive_write_new();
    if (!m_archive) {
        closeStream(nullptr, this);
        if (m_removable)
            ::unlink(path.c_str());
        return Error{ENOMEM, "cannot create file \"" + path + "\": " + systemReason(ENOMEM)};
    }
    archive_write_set_format_pax_restricted(m_archive);
    // Standard output may be a pipe read by another program: pad only to whole 512-byte records.
    archive_write_set_bytes_in_last_block(m_archive, 1);
    if (archive_write_open2(m_archive, this, nullptr, &ArchiveWriter::writeBlock, &ArchiveWriter::closeStream,
                            nullptr) != ARCHIVE_OK) {
        const Error error = failure("cannot create file");
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
        return Error{EINVAL, "cannot add \"" + std::string(name) + "\" to the archive: " + systemReason(EINVAL)};
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
        status = failure("cannot write file");
    archive_entry_free(entry);
    return status;
}

Status ArchiveWriter::writeData(std::string_view data)
{
    if (!data.empty() &&
        archive_write_data(m_archive, data.data(), data.size()) != static_cast<la_ssize_t>(data.size()))
        return failure("cannot write file");
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
        const ssize_t got = ::pread(fd, block.data(), want, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // The entry's size is in its header already: an archive without its bytes is no archive.
            const int code = got < 0 ? errno : EIO;
            return Error{code, "cannot read \"" + std::string(name) + "\" for the archive: " + systemReason(code)};
        }
        if (Status written = writeData(std::string_view(block.data(), static_cast<std::size_t>(got))); !written)
            return written;
        at += static_cast<std::uint64_t>(got);
    }
    return {};
}

Status ArchiveWriter::close()
{
    if (!m_archive)
        return {};
    const int closed = archive_write_close(m_archive);
    const Status status = closed == ARCHIVE_OK ? Status() : Status(failure("cannot write file"));
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
