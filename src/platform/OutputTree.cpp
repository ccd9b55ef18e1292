#include "platform/OutputTree.h"

#include "platform/FileSystem.h"

#include <algorithm>
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

} // namespace

int folderInUseCode()
{
    return EWOULDBLOCK;
}

OutputTree::~OutputTree()
{
    closeFolders();
    if (m_root >= 0)
        ::close(m_root);
}

Status OutputTree::open(const std::string& folder, FolderLock lock)
{
    if (Status made = EnsureFolder(folder); !made)
        return made;
    // The output folder itself is the user's choice and may be reached through links; only what
    // lies below it is generated from data.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return systemError("cannot open folder", folder, errno);
    int locked;
    do
        locked = ::flock(fd, (lock == FolderLock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int code = errno;
        ::close(fd);
        return systemError("cannot lock folder", folder, code);
    }
    closeFolders();
    if (m_root >= 0)
        ::close(m_root);
    m_root = fd;
    m_folder = folder;
    return {};
}

Result<std::unique_ptr<OutputTree>> OutputTree::share() const
{
    const int fd = ::fcntl(m_root, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return systemError("cannot open folder", m_folder, errno);
    auto view = std::make_unique<OutputTree>();
    view->m_root = fd;
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
}

bool OutputTree::isProtected(const FileIdentity& identity) const
{
    std::lock_guard lock(m_shared->mutex);
    const std::vector<FileIdentity>& files = m_shared->protectedFiles;
    return std::find(files.begin(), files.end(), identity) != files.end();
}

bool OutputTree::isReserved(const std::string& name) const
{
    std::lock_guard lock(m_shared->mutex);
    return !m_shared->reserved.empty() && name == m_shared->reserved;
}

void OutputTree::closeFolders()
{
    for (const auto& entry : m_folders)
        ::close(entry.second);
    m_folders.clear();
}

OutputTree::Folder OutputTree::openChild(int parent, const std::string& name)
{
    Folder child;
    for (int attempt = 0; attempt < 2; ++attempt) {
        child.fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child.fd >= 0)
            return child;
        const int code = errno;
        if (code == ENOENT && attempt == 0) {
            // A folder made by someone else in the meantime is as good as one made here.
            if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
                child.outcome = TreeWrite::FolderFailed;
                child.code = errno;
                return child;
            }
            continue;
        }
        struct stat info {};
        if ((code == ELOOP || code == ENOTDIR) && ::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(info.st_mode)) {
            child.outcome = TreeWrite::LinkInPath;
            return child;
        }
        child.outcome = TreeWrite::FolderFailed;
        child.code = code;
        return child;
    }
    child.outcome = TreeWrite::FolderFailed;
    child.code = ENOENT;
    return child;
}

OutputTree::Folder OutputTree::folderFor(std::string_view key)
{
    Folder folder{m_root};
    if (key.empty())
        return folder;
    if (const auto found = m_folders.find(std::string(key)); found != m_folders.end())
        return {found->second};
    if (m_folders.size() >= kMaxOpenFolders)
        closeFolders();

    // Walk down one component at a time from the deepest folder already open.
    std::size_t start = 0;
    for (std::size_t slash = key.rfind('/'); slash != std::string_view::npos && slash > 0;
         slash = key.rfind('/', slash - 1)) {
        if (const auto found = m_folders.find(std::string(key.substr(0, slash))); found != m_folders.end()) {
            folder.fd = found->second;
            start = slash + 1;
            break;
        }
    }
    while (start <= key.size()) {
        std::size_t end = key.find('/', start);
        if (end == std::string_view::npos)
            end = key.size();
        const std::string component(key.substr(start, end - start));
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            folder.outcome = TreeWrite::LinkInPath; // never climbs out, whatever the caller checked
            return folder;
        }
        const Folder child = openChild(folder.fd, component);
        if (child.fd < 0)
            return child;
        m_folders.emplace(std::string(key.substr(0, end)), child.fd);
        folder.fd = child.fd;
    }
    return folder;
}

int OutputTree::openForWriting(int folder, const std::string& name, TreeWriteResult& result) const
{
    constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    // A new file cannot be anything the run must protect, so the usual case costs one call.
    int fd = ::openat(folder, name.c_str(), kCreate, 0666);
    for (int attempt = 0; fd < 0 && errno == EEXIST && attempt < 4; ++attempt) {
        struct stat info {};
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            fd = ::openat(folder, name.c_str(), kCreate, 0666);
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            return -1;
        }
        if (S_ISREG(info.st_mode) && isProtected(FileIdentity{info.st_dev, info.st_ino})) {
            result.outcome = TreeWrite::OwnInput;
            return -1;
        }
        if (S_ISREG(info.st_mode) && info.st_nlink == 1) {
            // O_NONBLOCK: should the file be swapped for a FIFO meanwhile, opening it must not wait.
            fd = ::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                struct stat opened {};
                if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_nlink == 1 &&
                    !isProtected(FileIdentity{opened.st_dev, opened.st_ino})) {
                    if (::ftruncate(fd, 0) == 0)
                        return fd;
                    const int code = errno;
                    ::close(fd);
                    errno = code;
                    return -1;
                }
                const bool own = ::fstat(fd, &opened) == 0 && isProtected(FileIdentity{opened.st_dev, opened.st_ino});
                ::close(fd);
                if (own) {
                    result.outcome = TreeWrite::OwnInput;
                    return -1;
                }
            } else if (errno != ELOOP && errno != ENXIO) {
                return -1;
            }
        }
        // A symbolic link, a second name of another file, a FIFO, a device or a socket: the new
        // file replaces the entry and nothing is ever written through it.
        if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT)
            return -1;
        fd = ::openat(folder, name.c_str(), kCreate, 0666);
    }
    return fd;
}

TreeWriteResult OutputTree::write(std::string_view relative, std::string_view data)
{
    TreeWriteResult result;
    const std::size_t slash = relative.rfind('/');
    const std::string_view key = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    const std::string name(slash == std::string_view::npos ? relative : relative.substr(slash + 1));

    const Folder folder = folderFor(key);
    if (folder.fd < 0) {
        result.outcome = folder.outcome;
        result.code = folder.code;
        return result;
    }
    // A name that ends in "/" or is "." names the folder itself.
    if (name.empty() || name == "." || name == "..") {
        result.outcome = TreeWrite::Failed;
        result.code = EISDIR;
        return result;
    }
    if (folder.fd == m_root && isReserved(name)) {
        result.outcome = TreeWrite::OwnInput;
        return result;
    }

    const int fd = openForWriting(folder.fd, name, result);
    if (fd < 0) {
        if (result.outcome == TreeWrite::Written) {
            result.outcome = TreeWrite::Failed;
            result.code = errno;
        }
        return result;
    }
    int code = writeAll(fd, data);
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code != 0) {
        // A partial file would look like a finished one; remove it so only complete files remain.
        ::unlinkat(folder.fd, name.c_str(), 0);
        result.outcome = TreeWrite::Failed;
        result.code = code;
    }
    return result;
}

OutputProbe::OutputProbe(std::string folder)
    : m_folder(std::move(folder))
{
    while (m_folder.size() > 1 && m_folder.back() == '/')
        m_folder.pop_back();
}

OutputProbe::FolderState OutputProbe::folderState(std::string_view key, std::string& at)
{
    if (const auto found = m_folders.find(std::string(key)); found != m_folders.end()) {
        at = found->second.second;
        return found->second.first;
    }
    FolderState state = FolderState::Folder;
    std::string where;
    // The output folder itself is the user's choice and may be a link; below it each component
    // is looked at without following links, from the top down.
    struct stat info {};
    if (::stat(m_folder.c_str(), &info) != 0)
        state = FolderState::Missing;
    else if (!S_ISDIR(info.st_mode))
        state = FolderState::Blocked;
    std::string path = m_folder;
    std::size_t start = 0;
    while (state == FolderState::Folder && start <= key.size()) {
        std::size_t end = key.find('/', start);
        if (end == std::string_view::npos)
            end = key.size();
        const std::string_view component = key.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        path += '/';
        path += component;
        where = std::string(key.substr(0, end));
        if (::lstat(path.c_str(), &info) != 0)
            state = FolderState::Missing;
        else if (S_ISLNK(info.st_mode))
            state = FolderState::Link;
        else if (!S_ISDIR(info.st_mode))
            state = FolderState::Blocked;
    }
    m_folders.emplace(std::string(key), std::make_pair(state, where));
    at = where;
    return state;
}

TreeProbe OutputProbe::probe(std::string_view relative, std::string& at)
{
    const std::size_t slash = relative.rfind('/');
    const std::string_view key = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    const std::string_view name = slash == std::string_view::npos ? relative : relative.substr(slash + 1);
    switch (folderState(key, at)) {
    case FolderState::Link:
        return TreeProbe::LinkInPath;
    case FolderState::Blocked:
        return TreeProbe::FolderBlocked;
    case FolderState::Missing:
        at = std::string(relative);
        return name.empty() || name == "." ? TreeProbe::NameIsFolder : TreeProbe::Clear;
    case FolderState::Folder:
        break;
    }
    at = std::string(relative);
    if (name.empty() || name == "." || name == "..")
        return TreeProbe::NameIsFolder;
    bool atRoot = true;
    for (char c : key)
        if (c != '/' && c != '.')
            atRoot = false;
    if (atRoot && !m_reserved.empty() && name == m_reserved)
        return TreeProbe::OwnInput;
    const std::string path = m_folder + "/" + std::string(relative);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return TreeProbe::Clear;
    if (S_ISDIR(info.st_mode))
        return TreeProbe::NameIsFolder;
    if (S_ISREG(info.st_mode) &&
        std::find(m_protected.begin(), m_protected.end(), FileIdentity{info.st_dev, info.st_ino}) != m_protected.end())
        return TreeProbe::OwnInput;
    if (!S_ISREG(info.st_mode) || info.st_nlink > 1)
        return TreeProbe::ReplacesEntry;
    return TreeProbe::Clear;
}

} // namespace stencilor
