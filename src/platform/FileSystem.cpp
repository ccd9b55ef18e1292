// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace stencilor {

namespace {

// Opens `path` for reading when it names a regular file. O_NONBLOCK keeps the open of a FIFO from
// waiting for a writer; it changes nothing for a regular file.
Result<FileDescriptor> openRegularFile(const std::string& path, struct stat& info)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return systemError(ErrorKind::OpenFile, path, errno);
    if (::fstat(fd.get(), &info) != 0)
        return systemError(ErrorKind::ReadFile, path, errno);
    if (!S_ISREG(info.st_mode))
        return systemError(ErrorKind::ReadFile, path, S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile);
    return fd;
}

} // namespace

Result<FileIdentity> readWholeFileInto(const std::string& path, std::string& out)
{
    struct stat info {};
    Result<FileDescriptor> opened = openRegularFile(path, info);
    if (!opened) {
        out.clear();
        return opened.error();
    }
    const FileDescriptor& fd = opened.value();
    // Read into the size the file has now plus one byte, going on in case it grows. The bytes
    // `out` already holds are read over rather than cleared, which spares zero-filling a buffer
    // that is reused for every record.
    const auto size = static_cast<std::size_t>(info.st_size);
    if (out.size() < size + 1)
        out.resize(size + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == out.size())
            out.resize(out.size() * 2 + 4096);
        const std::size_t asked = out.size() - filled;
        const Result<std::size_t> got = readSome(fd.get(), out.data() + filled, asked);
        if (!got) {
            out.clear();
            return systemError(ErrorKind::ReadFile, path, got.error().code);
        }
        filled += got.value();
        // A regular file that gives fewer bytes than asked for is at its end.
        if (got.value() == 0 || got.value() < asked)
            break;
    }
    out.resize(filled);
    return FileIdentity{info.st_dev, info.st_ino};
}

Result<std::string> readWholeFile(const std::string& path)
{
    std::string text;
    if (Result<FileIdentity> read = readWholeFileInto(path, text); !read)
        return read.error();
    return text;
}

Status FileReader::open(const std::string& path)
{
    struct stat info {};
    Result<FileDescriptor> opened = openRegularFile(path, info);
    if (!opened)
        return opened.error();
    m_fd = std::move(opened.value());
    m_path = path;
    return {};
}

Result<std::size_t> FileReader::read(char* into, std::size_t size)
{
    Result<std::size_t> got = readSome(m_fd.get(), into, size);
    if (!got)
        return systemError(ErrorKind::ReadFile, m_path, got.error().code);
    return got;
}

Status writeFileAtomically(const std::string& path, std::string_view data)
{
    std::string temp = path + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid())
        return systemError(ErrorKind::CreateFile, path, errno);
    // Keep the permissions an existing file has; a new file gets the usual ones.
    struct stat info {};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    int code = writeAll(fd.get(), data);
    if (code == 0 && ::fchmod(fd.get(), mode) != 0)
        code = errno;
    if (code == 0 && ::fsync(fd.get()) != 0)
        code = errno;
    if (const int closed = fd.close(); closed != 0 && code == 0)
        code = closed;
    if (code == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(temp.c_str());
        return systemError(ErrorKind::WriteFile, path, code);
    }
    return {};
}

std::optional<FileIdentity> fileIdentityOf(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

bool fileExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status EnsureFolder(std::string_view path, unsigned mode)
{
    if (path.empty())
        return systemError(ErrorKind::CreateFolder, std::string(path), EINVAL);
    std::string folder(path);
    // Every trailing "/" goes, not only one: "a//" names the folder "a", and keeping a "/" at
    // the end would make the folder its own parent.
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();

    // Walk up to the first folder that exists (or the root, or the top of a relative path),
    // remembering the prefix lengths of the missing ones, then create them top-down.
    std::vector<std::size_t> missing;
    std::size_t length = folder.size();
    while (length > 0 && !FolderExists(folder.substr(0, length))) {
        missing.push_back(length);
        const std::size_t slash = folder.rfind('/', length - 1);
        if (slash == std::string::npos)
            break;
        length = slash;
        while (length > 0 && folder[length - 1] == '/')
            --length;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::string prefix = folder.substr(0, *it);
        // A folder made by someone else in the meantime is as good as one made here.
        if (::mkdir(prefix.c_str(), static_cast<mode_t>(mode)) != 0 && !(errno == EEXIST && FolderExists(prefix))) {
            const int code = errno == EEXIST ? ENOTDIR : errno;
            return systemError(ErrorKind::CreateFolder, prefix, code);
        }
    }
    return {};
}

std::string currentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

std::string absolutePath(const std::string& path, const std::string& base)
{
    if (!path.empty() && path.front() == '/')
        return path;
    std::string folder = base.empty() ? currentFolder() : base;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder + path;
}

std::string percentEncodePath(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '/') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

std::string fileUrl(std::string_view path)
{
    return "file://" + percentEncodePath(path);
}

std::string_view folderPart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view fileNamePart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string executablePath()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
        return {};
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

} // namespace stencilor
