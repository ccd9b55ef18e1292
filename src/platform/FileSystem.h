// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileDescriptor.h"
#include "platform/Messages.h"
#include "platform/Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace stencilor {

// A file's identity on its device: what neither a rename nor a second name changes.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Reads the whole regular file into `out` (replacing its contents, reusing its capacity) and
// gives its identity; fails with the errno of open/read (EISDIR for a folder, kNotRegularFile for
// anything else that is not a regular file) and a message naming the file.
Result<FileIdentity> readWholeFileInto(const std::string& path, std::string& out);

// Reads the whole file; fails as readWholeFileInto.
Result<std::string> readWholeFile(const std::string& path);

// A file opened for reading in pieces, for files too large to hold whole. Closed on destruction.
class FileReader final {
public:
    // Opens the regular file `path` for reading; fails with the errno of open (EISDIR for a
    // folder, kNotRegularFile for a FIFO, device or socket).
    Status open(const std::string& path);
    // Reads up to `size` bytes into `into`: the number read, 0 at the end of the file; fails with
    // the errno of read.
    Result<std::size_t> read(char* into, std::size_t size);

private:
    FileDescriptor m_fd;
    std::string m_path;
};

// Writes `data` to a temporary file in the same folder, flushes it and renames it over `path`,
// so a crash or a full disk leaves either the old or the new file, never a mixture.
Status writeFileAtomically(const std::string& path, std::string_view data);

// The identity of the file `path` names (following links); none when it cannot be examined.
std::optional<FileIdentity> fileIdentityOf(const std::string& path);

// True when `path` names an existing file that is not a folder.
bool fileExists(const std::string& path);

// True when `path` names an existing folder.
bool FolderExists(const std::string& path);

// Makes sure the folder `path` exists, creating missing parents first with permission bits
// `mode` (before the umask). Trailing "/" are ignored; the root and existing folders succeed.
// Fails with the system's reason: the errno of mkdir (ENOTDIR when a file stands in the way), or
// EINVAL for "".
Status EnsureFolder(std::string_view path, unsigned mode = 0777);

// The current working folder, with no trailing "/" (except for the root).
std::string currentFolder();

// `path` made absolute against `base` (the working folder when empty); an absolute path comes
// back unchanged. No "." or ".." is resolved, no link is followed.
std::string absolutePath(const std::string& path, const std::string& base = {});

// The file:// address of the absolute `path`: every byte other than A-Z a-z 0-9 - . _ ~ / is
// percent-encoded with uppercase hex, so any name opens whatever encoding a program assumes.
std::string fileUrl(std::string_view path);

// `text` with every byte other than A-Z a-z 0-9 - . _ ~ / percent-encoded ("%20", "%C3%A9").
std::string percentEncodePath(std::string_view text);

// The folder part of a path: everything up to and including its last "/" (empty when none).
std::string_view folderPart(std::string_view path);

// The file-name part of a path: everything after its last "/".
std::string_view fileNamePart(std::string_view path);

// The path of the running executable (from /proc/self/exe); empty when unknown.
std::string executablePath();

} // namespace stencilor
