// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OutputTree.h"

#include "platform/FileLock.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

// More open subfolders than this are closed and opened again as needed, so that a job with
// very many folders never runs out of descriptors.
constexpr std::size_t kMaxOpenFolders = 256;
// The files a run keeps open besides the trees' subfolders: the standard streams, the data file
// and its copy, the template, the report and the manifest being written, the archive, the
// locks; with room to spare.
constexpr std::size_t kOpenBesides = 32;
// What each tree keeps open besides its cache: its folder, the two folders of a walk down past
// the cache, and the file being written.
constexpr std::size_t kOpenPerTree = 4;

// The trees (and views) open now, and how many the run said it will open.
std::atomic<std::size_t> g_trees{0};
std::atomic<std::size_t> g_treesExpected{1};

} // namespace

void OutputTree::expectTrees(std::size_t count)
{
    g_treesExpected = std::max<std::size_t>(count, 1);
}

std::size_t OutputTree::openFolderBudget()
{
    const std::size_t trees = std::max(g_trees.load(), g_treesExpected.load());
    const std::size_t limit = openFileLimit();
    const std::size_t each = limit > kOpenBesides ? (limit - kOpenBesides) / trees : 0;
    return each > kOpenPerTree ? std::min(kMaxOpenFolders, each - kOpenPerTree) : 0;
}

OutputTree::OutputTree()
{
    ++g_trees;
}

OutputTree::~OutputTree()
{
    --g_trees;
}

int folderInUseCode()
{
    return EWOULDBLOCK;
}

Status OutputTree::open(const std::string& folder, FolderLock lock)
{
    if (Status made = EnsureFolder(folder); !made)
        return made;
    // The output folder itself is the user's choice and may be reached through links; only what
    // lies below it is generated from data.
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return systemError(ErrorKind::OpenFolder, folder, errno);
    const bool exclusive = lock == FolderLock::Exclusive;
    const int mode = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    FileDescriptor lockFile;
    if (retryOnInterrupt([&] { return ::flock(fd.get(), mode); }) != 0) {
        const int code = errno;
        // NFS makes flock a record lock, which an exclusive lock cannot take on a folder opened
        // for reading (EBADF, of a descriptor known to be open).
        if (!lockUnsupported(code) && code != EBADF)
            return systemError(ErrorKind::LockFolder, folder, code);
        // A file system without flock on folders: a record lock on a file of the folder, which
        // network file systems pass to their lock servers.
        lockFile.reset(retryOnInterrupt(
            [&] { return ::openat(fd.get(), kFolderLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666); }));
        if (!lockFile.valid())
            return systemError(ErrorKind::LockFolder, folder, errno);
        if (const int locked = recordLockOpenFile(lockFile.get(), exclusive); locked != 0)
            return systemError(ErrorKind::LockFolder, folder, locked == lockHeldCode() ? folderInUseCode() : locked);
    }
    m_folders.clear();
    if (lockFile.valid()) {
        // The lock file is no output: no record may replace it while the lock is held.
        struct stat status {};
        if (::fstat(lockFile.get(), &status) == 0)
            protect(FileIdentity{status.st_dev, status.st_ino});
    }
    {
        std::lock_guard guard(m_shared->mutex);
        m_shared->lockFile = lockFile.valid() ? std::make_shared<FileDescriptor>(std::move(lockFile)) : nullptr;
    }
    m_root = std::move(fd);
    m_folder = folder;
    m_probing = false;
    return {};
}

void OutputTree::openToProbe(const std::string& folder)
{
    m_folders.clear();
    m_folder = folder;
    m_probing = true;
    m_rootState = {};
    // O_PATH: a folder is walked without being read, as a look at its entries would.
    m_root.reset(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_root.valid()) {
        if (errno == ENOTDIR)
            m_rootState.refused = {Refusal::FolderFailed, ENOTDIR};
        else
            m_rootState.missing = true;
    }
}

Result<std::unique_ptr<OutputTree>> OutputTree::share() const
{
    FileDescriptor fd(::fcntl(m_root.get(), F_DUPFD_CLOEXEC, 0));
    if (!fd.valid())
        return systemError(ErrorKind::OpenFolder, m_folder, errno);
    auto view = std::make_unique<OutputTree>();
    view->m_root = std::move(fd);
    view->m_folder = m_folder;
    view->m_shared = m_shared;
    return view;
}

void OutputTree::protect(const FileIdentity& identity)
{
    std::lock_guard lock(m_shared->mutex);
    std::vector<FileIdentity>& files = m_shared->protectedFiles;
    if (std::find(files.begin(), files.end(), identity) == files.end())
        files.push_back(identity);
}

void OutputTree::reserveName(std::string name)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->reserved = std::move(name);
    m_shared->anyReserved = !m_shared->reserved.empty();
}

bool OutputTree::isProtected(const FileIdentity& identity) const
{
    std::lock_guard lock(m_shared->mutex);
    const std::vector<FileIdentity>& files = m_shared->protectedFiles;
    return std::find(files.begin(), files.end(), identity) != files.end();
}

bool OutputTree::isReserved(std::string_view name) const
{
    std::lock_guard lock(m_shared->mutex);
    return !m_shared->reserved.empty() && name == m_shared->reserved;
}

OutputTree::Folder OutputTree::openChild(int parent, const std::string& name)
{
    Folder child;
    if (m_probing) {
        child.fd = ::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child.fd >= 0)
            return child;
        struct stat info {};
        if ((errno == ELOOP || errno == ENOTDIR) && ::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            child.refused = S_ISLNK(info.st_mode) ? TreeWriteResult{Refusal::LinkInPath}
                                                  : TreeWriteResult{Refusal::FolderFailed, ENOTDIR};
        else
            child.missing = true; // a write makes it, or finds out why not
        return child;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        child.fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child.fd >= 0)
            return child;
        const int code = errno;
        if (code == ENOENT && attempt == 0) {
            // A folder made by someone else in the meantime is as good as one made here.
            if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
                child.refused = {Refusal::FolderFailed, errno};
                return child;
            }
            continue;
        }
        struct stat info {};
        if ((code == ELOOP || code == ENOTDIR) && ::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(info.st_mode)) {
            child.refused = {Refusal::LinkInPath};
            return child;
        }
        child.refused = {Refusal::FolderFailed, code};
        return child;
    }
    child.refused = {Refusal::FolderFailed, ENOENT};
    return child;
}

OutputTree::Place OutputTree::placeOf(const std::string& key, int fd) const
{
    struct stat held {};
    if (::fstat(fd, &held) != 0)
        return Place::Moved;
    // A removed folder takes no new files: the walk makes it again.
    if (held.st_nlink == 0)
        return Place::Removed;
    FileDescriptor step;
    int at = m_root.get();
    for (std::size_t start = 0; start <= key.size();) {
        std::size_t end = key.find('/', start);
        if (end == std::string::npos)
            end = key.size();
        const std::string component = key.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        step.reset(::openat(at, component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!step.valid())
            return Place::Moved;
        at = step.get();
    }
    struct stat found {};
    if (::fstat(at, &found) != 0 || found.st_dev != held.st_dev || found.st_ino != held.st_ino)
        return Place::Moved;
    return Place::Here;
}

bool OutputTree::usable(const std::string& key, Entry& entry, bool& moved)
{
    // Nothing is written through a probing tree; and a folder found at its name a moment ago
    // is not looked up again for every file.
    if (m_probing || !entry.fd.valid())
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - entry.checked < std::chrono::seconds(1))
        return true;
    const Place place = placeOf(key, entry.fd.get());
    entry.checked = now;
    moved = place == Place::Moved;
    return place == Place::Here;
}

std::string OutputTree::movedFolder()
{
    // The outermost of the folders moved (the first by name among those as deep) is named.
    const auto now = std::chrono::steady_clock::now();
    const std::string* moved = nullptr;
    for (auto& [key, entry] : m_folders) {
        if (!entry.fd.valid())
            continue;
        entry.checked = now;
        if (placeOf(key, entry.fd.get()) != Place::Moved)
            continue;
        if (!moved || key.size() < moved->size() || (key.size() == moved->size() && key < *moved))
            moved = &key;
    }
    return moved ? *moved : std::string();
}

OutputTree::Folder OutputTree::folderFor(std::string_view key)
{
    m_walked.reset();
    if (!m_root.valid())
        return m_rootState;
    Folder folder = Folder::at(m_root.get());
    if (key.empty())
        return folder;
    // A subfolder moved away (or replaced) since it was opened would take the files written
    // through it along: the run ends instead.
    Folder moved;
    moved.refused.moved = true;
    bool isMoved = false;
    if (const auto found = m_folders.find(std::string(key)); found != m_folders.end()) {
        if (!found->second.fd.valid())
            return found->second.stop;
        if (usable(found->first, found->second, isMoved))
            return Folder::at(found->second.fd.get());
        if (isMoved)
            return moved;
        m_folders.erase(found);
    }
    // The cache's share of the open files, which the other trees of the run share too.
    const std::size_t budget = openFolderBudget();
    if (m_folders.size() >= budget)
        m_folders.clear();

    // Walk down one component at a time from the deepest folder already open.
    std::size_t start = 0;
    for (std::size_t slash = key.rfind('/'); slash != std::string_view::npos && slash > 0;
         slash = key.rfind('/', slash - 1)) {
        if (const auto found = m_folders.find(std::string(key.substr(0, slash)));
            found != m_folders.end() && found->second.fd.valid()) {
            if (!usable(found->first, found->second, isMoved)) {
                if (isMoved)
                    return moved;
                m_folders.erase(found);
                continue;
            }
            folder.fd = found->second.fd.get();
            start = slash + 1;
            break;
        }
    }
    // A folder on the way that the cache has no room for is held here until the next is open.
    FileDescriptor walked;
    while (start <= key.size()) {
        std::size_t end = key.find('/', start);
        if (end == std::string_view::npos)
            end = key.size();
        const std::string component(key.substr(start, end - start));
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        Folder child;
        if (component == "..")
            child.refused = {Refusal::LinkInPath}; // never climbs out, whatever the caller checked
        else
            child = openChild(folder.fd, component);
        if (child.fd < 0) {
            child.atLength = end;
            // A probe remembers what stopped it; a write tries again, as the folder may be made meanwhile.
            if (m_probing)
                m_folders.emplace(std::string(key), Entry{{}, child});
            return child;
        }
        if (m_folders.size() < budget) {
            m_folders.emplace(std::string(key.substr(0, end)), Entry{FileDescriptor(child.fd), {}});
            walked.reset();
        } else {
            walked.reset(child.fd);
        }
        folder.fd = child.fd;
    }
    m_walked = std::move(walked);
    return folder;
}

FileDescriptor OutputTree::openForWriting(int folder, const std::string& name, TreeWriteResult& result) const
{
    constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    // A new file cannot be anything the run must protect, so the usual case costs one call.
    FileDescriptor fd(::openat(folder, name.c_str(), kCreate, 0666));
    for (int attempt = 0; !fd.valid() && errno == EEXIST && attempt < 4; ++attempt) {
        struct stat info {};
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            fd.reset(::openat(folder, name.c_str(), kCreate, 0666));
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            result.code = EISDIR;
            return fd;
        }
        if (S_ISREG(info.st_mode) && isProtected(FileIdentity{info.st_dev, info.st_ino})) {
            result.refusal = Refusal::OwnInput;
            return fd;
        }
        if (S_ISREG(info.st_mode) && info.st_nlink == 1) {
            // O_NONBLOCK: should the file be swapped for a FIFO meanwhile, opening it must not wait.
            FileDescriptor existing(::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            if (existing.valid()) {
                struct stat opened {};
                const bool known = ::fstat(existing.get(), &opened) == 0;
                const bool own = known && isProtected(FileIdentity{opened.st_dev, opened.st_ino});
                if (known && S_ISREG(opened.st_mode) && opened.st_nlink == 1 && !own) {
                    if (::ftruncate(existing.get(), 0) != 0)
                        result.code = errno;
                    else
                        fd = std::move(existing);
                    return fd;
                }
                if (own) {
                    result.refusal = Refusal::OwnInput;
                    return fd;
                }
            } else if (errno != ELOOP && errno != ENXIO) {
                result.code = errno;
                return fd;
            }
        }
        // A symbolic link, a second name of another file, a FIFO, a device or a socket: the new
        // file replaces the entry and nothing is ever written through it.
        if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT) {
            result.code = errno;
            return fd;
        }
        fd.reset(::openat(folder, name.c_str(), kCreate, 0666));
    }
    if (!fd.valid() && result.code == 0)
        result.code = errno;
    return fd;
}

TreeWriteResult OutputTree::write(std::string_view relative, std::string_view data)
{
    const std::size_t slash = relative.rfind('/');
    const std::string_view key = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    const std::string name(slash == std::string_view::npos ? relative : relative.substr(slash + 1));

    const Folder folder = folderFor(key);
    if (folder.fd < 0)
        return folder.refused;
    // A name that ends in "/" or is "." names the folder itself.
    if (name.empty() || name == "." || name == "..")
        return {Refusal::None, EISDIR};
    // Most runs reserve no name (they write no report): that costs no lock.
    if (folder.fd == m_root.get() && m_shared->anyReserved.load(std::memory_order_relaxed) && isReserved(name))
        return {Refusal::OwnInput};

    TreeWriteResult result;
    FileDescriptor fd = openForWriting(folder.fd, name, result);
    if (!fd.valid())
        return result;
    int code = writeAll(fd.get(), data);
    if (const int closed = fd.close(); closed != 0 && code == 0)
        code = closed;
    if (code != 0) {
        // A partial file would look like a finished one; remove it so only complete files remain.
        ::unlinkat(folder.fd, name.c_str(), 0);
        return {Refusal::None, code};
    }
    return {};
}

TreeProbeResult OutputTree::probe(std::string_view relative)
{
    const std::size_t slash = relative.rfind('/');
    const std::string_view key = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    const std::string name(slash == std::string_view::npos ? relative : relative.substr(slash + 1));

    TreeProbeResult result;
    const Folder folder = folderFor(key);
    if (folder.fd < 0 && !folder.missing) {
        result.write = folder.refused;
        result.at = std::string(key.substr(0, folder.atLength));
        return result;
    }
    result.at = std::string(relative);
    if (name.empty() || name == "." || (name == ".." && !folder.missing)) {
        result.write = {Refusal::None, EISDIR};
        return result;
    }
    // The reserved name is refused as a write refuses it, also in an output folder not made yet.
    if ((key.empty() || (!folder.missing && folder.fd == m_root.get())) && isReserved(name)) {
        result.write = {Refusal::OwnInput};
        return result;
    }
    // Below a folder that a write makes, nothing stands in the way.
    if (folder.missing)
        return result;
    struct stat info {};
    if (::fstatat(folder.fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return result;
    if (S_ISDIR(info.st_mode))
        result.write = {Refusal::None, EISDIR};
    else if (S_ISREG(info.st_mode) && isProtected(FileIdentity{info.st_dev, info.st_ino}))
        result.write = {Refusal::OwnInput};
    else
        result.replaces = !S_ISREG(info.st_mode) || info.st_nlink > 1;
    return result;
}

} // namespace stencilor
