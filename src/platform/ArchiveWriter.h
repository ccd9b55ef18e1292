// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An archive written as a stream, instead of a folder of files: a run's outputs and its report go
// into it one entry after the other, to a file or to standard output, so that a part of a big job
// can be piped straight into object storage. The archive is a POSIX (pax) tar, plain or
// compressed with gzip, xz or zstd, or a zip.

#include "platform/FileDescriptor.h"
#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct archive;

namespace stencilor {

enum class ArchiveFormat : std::uint8_t { Tar, TarGz, TarXz, TarZst, Zip };

// The format an archive's name asks for by its extension (".tar", ".tar.gz" or ".tgz", ".tar.xz",
// ".tar.zst", ".zip", in any case), or none for any other name.
std::optional<ArchiveFormat> archiveFormatOfName(std::string_view name);
// The format a format's name says ("tar", "tar.gz", "tgz", "tar.xz", "tar.zst", "zip"), or none.
std::optional<ArchiveFormat> archiveFormatNamed(std::string_view name);
// The extensions archiveFormatOfName() knows, for messages: ".tar, .tar.gz, ...".
inline constexpr const char* kArchiveExtensions = ".tar, .tar.gz, .tgz, .tar.xz, .tar.zst or .zip";

class ArchiveWriter final {
public:
    ArchiveWriter() = default;
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Starts the archive at `path` ("-" for standard output) in `format`. Fails with the errno of
    // creating it.
    Status open(const std::string& path, ArchiveFormat format = ArchiveFormat::Tar);
    bool isOpen() const { return m_archive != nullptr; }
    // Adds the file `name` (relative, "/"-separated, never absolute and without ".." components,
    // which are refused with EINVAL) holding `data`. Fails with the errno of writing.
    Status add(std::string_view name, std::string_view data);
    // Adds the file `name` (as add() does) holding the `size` bytes at the start of the open
    // file `fd`, read in blocks. Fails with the errno of reading or writing.
    Status add(std::string_view name, int fd, std::uint64_t size);
    // Ends the archive; fails with the errno of writing its end.
    Status close();
    // Stops without ending the archive; a regular file is removed (standard output, a device or
    // a pipe cannot be).
    void discard();

    // The path as given to open().
    const std::string& path() const { return m_path; }

private:
    Status startEntry(std::string_view name, std::uint64_t size);
    Status writeData(std::string_view data);
    Error failure(ErrorKind kind);
    // libarchive's client callbacks: bytes go to m_fd until the archive is discarded.
    static long writeBlock(::archive* archive, void* self, const void* buffer, std::size_t size);
    static int closeStream(::archive* archive, void* self);
    ::archive* m_archive = nullptr;
    std::string m_path;
    FileDescriptor m_file;    // the archive's file (none for standard output)
    int m_fd = -1;            // where its bytes go: m_file or standard output
    bool m_removable = false; // a regular file: removed when the archive cannot be written whole
    // Set by discard(): the rest of a failed archive is dropped, so that no reader mistakes
    // what was written for a whole archive.
    bool m_dropWrites = false;
};

// True when `name` may stand in an archive: not empty, not absolute, no ".." component.
bool isContainedName(std::string_view name);

} // namespace stencilor
