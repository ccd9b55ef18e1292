// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The output folder of a run, opened once and written through folder descriptors, so that no
// generated name can reach outside it: subfolders are opened one component at a time without
// following symbolic links, a link standing where a file goes is replaced instead of written
// through, and files the run reads (its data file, template, project file) are never replaced.
// The check before writing walks the same way without creating anything, so that it meets what
// a write would meet.

#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/Refusal.h"
#include "platform/Result.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace stencilor {

// How two runs share an output folder: a plain run holds it alone; the parts of one sharded job
// may write into it together.
enum class FolderLock { Exclusive, Shared };

// How a write below the output folder ended: written, refused (FolderFailed with the errno in
// `code`, LinkInPath or OwnInput), failed with the errno in `code`, no partial file remaining, or
// not tried because a folder on the way was moved away or replaced since the tree opened it.
struct TreeWriteResult {
    Refusal refusal = Refusal::None;
    int code = 0;
    bool moved = false;

    bool written() const { return refusal == Refusal::None && code == 0 && !moved; }
    bool failed() const { return refusal == Refusal::None && code != 0; }
    bool operator==(const TreeWriteResult&) const = default;
};

// What a write would meet, found by OutputTree::probe.
struct TreeProbeResult {
    TreeWriteResult write; // how the write would end
    bool replaces = false; // a symbolic link, a second name or another non-regular entry stands at the name
    std::string at;        // where it was found: the folder (relative) of a refusal on the way, else the name
};

// The error code of a folder that another run holds (EWOULDBLOCK from flock).
int folderInUseCode();

// The file that holds the lock of an output folder on a file system without flock.
inline constexpr const char* kFolderLockName = ".stencilor-lock";

class OutputTree final {
public:
    OutputTree();
    ~OutputTree();
    OutputTree(const OutputTree&) = delete;
    OutputTree& operator=(const OutputTree&) = delete;

    // The run will have `count` trees (views included) open at once: the open files that their
    // subfolders may take are shared among that many, or among those open when there are more.
    static void expectTrees(std::size_t count);
    // The subfolders each tree keeps open at most: up to 256, less when the limit of open files
    // (openFileLimit) shared among the trees leaves less.
    static std::size_t openFolderBudget();

    // Creates `folder` with its missing parents, opens it and takes an advisory lock (flock) on
    // it, held until the tree and its views are closed or the process ends. Where the file system
    // refuses flock on the folder (lockUnsupported, or EBADF as NFS says), the lock is a record lock on the file
    // kFolderLockName in the folder, created for it and left there. Fails with the errno of creating or opening it, or
    // with folderInUseCode() when another run holds a lock that excludes this one.
    Status open(const std::string& folder, FolderLock lock = FolderLock::Exclusive);
    // Opens `folder` for probe() only: nothing is created or locked, and a folder that does not
    // exist yet is none of the tree's concern (every name below it is clear).
    void openToProbe(const std::string& folder);
    // The folder as given to open().
    const std::string& folder() const { return m_folder; }
    // The descriptor of the output folder itself (valid while open).
    int descriptor() const { return m_root.get(); }

    // Another view of this open folder, for another thread: its own duplicate of the folder's
    // descriptor (under the same lock) and its own open subfolders, while the protected files
    // and the reserved name are shared, so protect() and reserveName() on any view reach all of
    // them. A view is used by one thread at a time; views on different threads may write at
    // once. Fails with the errno of duplicating the descriptor.
    Result<std::unique_ptr<OutputTree>> share() const;

    // The file with this identity is never replaced by a write (in every view).
    void protect(const FileIdentity& identity);
    // A file name directly in the output folder that writes leave alone (report.html while the
    // run writes a report); empty for none (in every view).
    void reserveName(std::string name);

    // Writes `data` as the file `relative` ("/"-separated, below the output folder), creating
    // missing subfolders. An existing regular file is replaced in place; a symbolic link, a second
    // name of a file, or any other non-folder entry standing there is removed and a new file
    // written. When writing fails part-way the partial file is removed.
    TreeWriteResult write(std::string_view relative, std::string_view data);
    // The outermost subfolder this tree holds open that no longer lies at its name below the
    // output folder (moved away, or a symbolic link or another folder put in its place), checked
    // for every subfolder now; empty when all are in place. Writes check the subfolders they use as well,
    // each at most once a second, so that only about a second's worth of files can follow a moved one.
    std::string movedFolder();
    // What write() of `relative` would meet, walking the same folders without creating or changing
    // anything (a tree opened with openToProbe).
    TreeProbeResult probe(std::string_view relative);

private:
    // A folder reached on the way down: its descriptor (not owned), or why there is none.
    struct Folder {
        static Folder at(int fd)
        {
            Folder folder;
            folder.fd = fd;
            return folder;
        }
        int fd = -1;
        TreeWriteResult refused;
        bool missing = false;     // (probing) it does not exist yet: nothing stands in the way below
        std::size_t atLength = 0; // the length of the key up to the folder where it stopped
    };
    // An open subfolder, or (probing) what stands in the way there, and when it was last found
    // at its name.
    struct Entry {
        FileDescriptor fd;
        Folder stop;
        std::chrono::steady_clock::time_point checked = std::chrono::steady_clock::now();
    };
    // Whether the open subfolder `key` still lies at its name below the output folder.
    enum class Place { Here, Removed, Moved };
    Place placeOf(const std::string& key, int fd) const;
    // Checks the cached subfolder `entry` (of `key`) when its last check is a second old: true
    // when it may be used; false when it was removed (it is dropped from the cache) or moved
    // (`moved` is then set).
    bool usable(const std::string& key, Entry& entry, bool& moved);
    Folder folderFor(std::string_view key);
    Folder openChild(int parent, const std::string& name);
    // The file `name` in `folder` opened for writing, or none with why in `result`.
    FileDescriptor openForWriting(int folder, const std::string& name, TreeWriteResult& result) const;
    bool isProtected(const FileIdentity& identity) const;
    bool isReserved(std::string_view name) const;

    // What all views of the tree share; the run changes it while writers on other threads read it.
    struct Shared {
        std::mutex mutex;
        std::vector<FileIdentity> protectedFiles;
        std::string reserved;
        std::atomic<bool> anyReserved{false};     // reserved is not empty (read without the mutex)
        std::shared_ptr<FileDescriptor> lockFile; // holds the folder's record lock, if it has one
    };

    FileDescriptor m_root;
    std::string m_folder;
    bool m_probing = false;
    Folder m_rootState; // (probing) the output folder when it cannot be walked
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    // Subfolders by their key (the folder part of a relative name); at most openFolderBudget().
    std::unordered_map<std::string, Entry> m_folders;
    // The folder folderFor() gave last when the cache had no room for it.
    FileDescriptor m_walked;
};

} // namespace stencilor
