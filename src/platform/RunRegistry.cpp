// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RunRegistry.h"

#include "platform/FileSystem.h"
#include "platform/Messages.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

constexpr std::string_view kEntryPrefix = "run-";
constexpr std::string_view kEntryKind = "stencilor run\n";
constexpr const char* kRegistryLock = "registry.lock";
// An entry is a few lines; anything longer is not one.
constexpr std::size_t kMaxEntryBytes = 1 << 16;

// Tells apart the entries one process makes.
std::atomic<unsigned> g_entries{0};

// What an entry says of its run.
struct Entry {
    bool shared = false;
    std::string job;
    std::string folder;
};

// `folder` as one path whatever the links and dots on the way: the canonical path of the part
// that exists, then the rest as given, without dots.
std::string canonicalFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(absolutePath(folder), error);
    if (error)
        path = std::filesystem::path(absolutePath(folder)).lexically_normal();
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// True when `inner` lies below `outer` (both canonical).
bool liesInside(const std::string& inner, const std::string& outer)
{
    if (inner.size() <= outer.size() || inner.compare(0, outer.size(), outer) != 0)
        return false;
    return outer == "/" || inner[outer.size()] == '/';
}

// A record lock over the whole of `fd`, waiting for it when `wait`; 0 or the errno.
int recordLock(int fd, short type, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return retryOnInterrupt([&] { return ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock); }) == 0 ? 0 : errno;
}

// True when a run holds the entry open as `fd`.
bool entryHeld(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    // A lock that cannot be tested is taken as held: an entry is never removed on a doubt.
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0)
        return true;
    return lock.l_type != F_UNLCK;
}

// The entry in the file `fd`; none when it is not one.
std::optional<Entry> readEntry(int fd)
{
    std::string text(kMaxEntryBytes, '\0');
    const Result<std::size_t> got = readAt(fd, text.data(), text.size(), 0);
    if (!got || got.value() == text.size())
        return std::nullopt;
    text.resize(got.value());
    if (text.rfind(kEntryKind, 0) != 0)
        return std::nullopt;
    std::size_t at = kEntryKind.size();
    const auto line = [&]() -> std::optional<std::string> {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return std::nullopt;
        std::string piece = text.substr(at, end - at);
        at = end + 1;
        return piece;
    };
    const std::optional<std::string> mode = line(), job = line();
    // The folder is the rest, whatever it holds, without the line end that closes it.
    if (!mode || !job || (*mode != "shared" && *mode != "alone") || text.size() <= at || text.back() != '\n')
        return std::nullopt;
    return Entry{*mode == "shared", *job, text.substr(at, text.size() - at - 1)};
}

// The folder of the registry, made when missing, opened; it must be the user's own and closed
// to others, so that no one else can read, plant or remove entries.
Result<FileDescriptor> openRegistry(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return systemError(ErrorKind::LockFolder, path, errno);
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return systemError(ErrorKind::LockFolder, path, errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return systemError(ErrorKind::LockFolder, path, errno);
    if (status.st_uid != ::geteuid() || (status.st_mode & 077) != 0)
        return systemError(ErrorKind::LockFolder, path, EACCES);
    return fd;
}

} // namespace

std::string RunRegistration::registryFolder()
{
    // A variable left from another user (su, sudo) or a folder that is gone is passed over.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (runtime && runtime[0] == '/' && ::stat(runtime, &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == ::geteuid())
        return std::string(runtime) + "/stencilor";
    return "/tmp/stencilor-" + std::to_string(::geteuid());
}

RunRegistration::~RunRegistration()
{
    // Removed before their locks go, so that no run takes them for those of a dead run.
    for (const auto& [name, entry] : m_entries)
        ::unlinkat(m_registry.get(), name.c_str(), 0);
}

Result<std::unique_ptr<RunRegistration>> RunRegistration::enter(const std::string& folder, const std::string& job,
                                                                bool shared)
{
    std::unique_ptr<RunRegistration> registration(new RunRegistration);
    registration->m_path = registryFolder();
    Result<FileDescriptor> registry = openRegistry(registration->m_path);
    if (!registry)
        return registry.error();
    registration->m_registry = std::move(registry.value());
    registration->m_job = job;
    registration->m_shared = shared;
    if (Status added = registration->add(folder); !added)
        return added.error();
    return registration;
}

Status RunRegistration::add(const std::string& folder)
{
    const int dir = m_registry.get();
    // The whole registry's lock, held while the entries are read and this one is made.
    FileDescriptor guard(::openat(dir, kRegistryLock, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!guard.valid())
        return systemError(ErrorKind::LockFolder, m_path, errno);
    if (const int code = recordLock(guard.get(), F_WRLCK, true); code != 0)
        return systemError(ErrorKind::LockFolder, m_path, code);

    const std::string mine = canonicalFolder(folder);
    DIR* listing = ::fdopendir(::fcntl(dir, F_DUPFD_CLOEXEC, 0));
    if (!listing)
        return systemError(ErrorKind::LockFolder, m_path, errno);
    // Read from the start: the duplicate shares the position of the registry's descriptor.
    ::rewinddir(listing);
    std::optional<Error> refusal;
    while (const dirent* found = ::readdir(listing)) {
        const std::string name = found->d_name;
        // This run's own folders do not keep it out of each other.
        if (name.rfind(kEntryPrefix, 0) != 0 || m_entries.count(name))
            continue;
        FileDescriptor entry(::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!entry.valid())
            continue;
        if (!entryHeld(entry.get())) {
            ::unlinkat(dir, name.c_str(), 0);
            continue;
        }
        const std::optional<Entry> other = readEntry(entry.get());
        if (!other)
            continue;
        if (other->folder == mine) {
            if (!(m_shared && other->shared && other->job == m_job))
                refusal = Error(ErrorKind::FolderInUse);
        } else if (liesInside(mine, other->folder) || liesInside(other->folder, mine)) {
            refusal = Error(ErrorKind::FolderOverlapsRun, mine, 0, {}, other->folder);
        }
        if (refusal)
            break;
    }
    ::closedir(listing);
    if (refusal)
        return *refusal;

    std::string name;
    FileDescriptor entry;
    do {
        name = std::string(kEntryPrefix) + std::to_string(::getpid()) + "-" + std::to_string(g_entries++);
        entry.reset(::openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    } while (!entry.valid() && errno == EEXIST);
    if (!entry.valid())
        return systemError(ErrorKind::LockFolder, m_path, errno);
    const int fd = entry.get();
    // Kept at once, so that the entry goes with the registration whatever happens next.
    m_entries.emplace(name, std::move(entry));
    if (const int code = recordLock(fd, F_WRLCK, false); code != 0)
        return systemError(ErrorKind::LockFolder, m_path, code);
    const std::string text =
        std::string(kEntryKind) + (m_shared ? "shared" : "alone") + "\n" + m_job + "\n" + mine + "\n";
    if (const int code = writeAll(fd, text); code != 0)
        return systemError(ErrorKind::LockFolder, m_path, code);
    return {};
}

} // namespace stencilor
