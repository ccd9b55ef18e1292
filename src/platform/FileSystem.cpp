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

// Closes a file descriptor when it goes out of scope.
class FileDescriptor final {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Hands the descriptor over to the caller, who closes it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes now and reports the result, since close() can report a delayed write error.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Opens `path` for reading when it names a regular file. O_NONBLOCK keeps the open of a FIFO from
// waiting for a writer; it changes nothing for a regular file.
int openRegularFile(const std::string& path, struct stat& info, Error& error)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        error = systemError("cannot open file", path, errno);
        return -1;
    }
    if (::fstat(fd.get(), &info) != 0) {
        error = systemError("cannot read file", path, errno);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        error = systemError("cannot read file", path, S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile);
        return -1;
    }
    return fd.release();
}

} // namespace

int writeAll(int fd, std::string_view data)
{
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

Result<FileIdentity> readWholeFileInto(const std::string& path, std::string& out)
{
    struct stat info {};
    Error error;
    FileDescriptor fd(openRegularFile(path, info, error));
    if (!fd.valid()) {
        out.clear();
        return error;
    }
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
        const ssize_t got = ::read(fd.get(), out.data() + filled, asked);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            out.clear();
            return systemError("cannot read file", path, code);
        }
        filled += static_cast<std::size_t>(got);
        // A regular file that gives fewer bytes than asked for is at its end.
        if (got == 0 || static_cast<std::size_t>(got) < asked)
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

FileReader::~FileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Status FileReader::open(const std::string& path)
{
    struct stat info {};
    Error error;
    FileDescriptor fd(openRegularFile(path, info, error));
    if (!fd.valid())
        return error;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd.release();
    m_path = path;
    return {};
}

Result<std::size_t> FileReader::read(char* into, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(m_fd, into, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return systemError("cannot read file", m_path, errno);
    }
}

Status writeWholeFile(const std::string& path, std::string_view data)
{
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid())
        return systemError("cannot create file", path, errno);
    int code = writeAll(fd.get(), data);
    if (fd.close() != 0 && code == 0)
        code = errno;
    if (code != 0) {
        // A partial file would look like a finished one; remove it so only complete files remain.
        ::unlink(path.c_str());
        return systemError("cannot write file", path, code);
    }
    return {};
}

Status writeFileAtomically(const std::string& path, std::string_view data)
{
    std::string temp = path + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid())
        return systemError("cannot create file", path, errno);
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
    if (fd.close() != 0 && code == 0)
        code = errno;
    if (code == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(temp.c_str());
        return systemError("cannot write file", path, code);
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
        return systemError("cannot create folder", path, EINVAL);
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
            return systemError("cannot create folder", prefix, code);
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
