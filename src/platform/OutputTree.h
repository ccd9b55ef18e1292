#pragma once

// The output folder of a run, opened once and written through folder descriptors, so that no
// generated name can reach outside it: subfolders are opened one component at a time without
// following symbolic links, a link standing where a file goes is replaced instead of written
// through, and files the run reads (its data file, template, project file) are never replaced.

#include "platform/FileSystem.h"
#include "platform/Result.h"

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

// How a write below the output folder ended.
enum class TreeWrite {
    Written,
    FolderFailed, // a folder on the way could not be created (`code` says why)
    LinkInPath,   // a folder on the way is a symbolic link: nothing is written through it
    OwnInput,     // the file is one of the run's own inputs or its report: it is left alone
    Failed,       // the file could not be created or written (`code` says why); no partial file remains
};

struct TreeWriteResult {
    TreeWrite outcome = TreeWrite::Written;
    int code = 0; // errno for FolderFailed and Failed
};

// The error code of a folder that another run holds (EWOULDBLOCK from flock).
int folderInUseCode();

class OutputTree final {
public:
    OutputTree() = default;
    ~OutputTree();
    OutputTree(const OutputTree&) = delete;
    OutputTree& operator=(const OutputTree&) = delete;

    // Creates `folder` with its missing parents, opens it and takes an advisory lock (flock) on
    // it, held until the tree is closed or the process ends. Fails with the errno of creating or
    // opening it, or with folderInUseCode() when another run holds a lock that excludes this one.
    Status open(const std::string& folder, FolderLock lock = FolderLock::Exclusive);
    bool isOpen() const { return m_root >= 0; }
    // The folder as given to open().
    const std::string& folder() const { return m_folder; }
    // The descriptor of the output folder itself (valid while open).
    int descriptor() const { return m_root; }

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

private:
    struct Folder {
        int fd = -1;
        TreeWrite outcome = TreeWrite::Written;
        int code = 0;
    };
    Folder folderFor(std::string_view key);
    Folder openChild(int parent, const std::string& name);
    int openForWriting(int folder, const std::string& name, TreeWriteResult& result) const;
    bool isProtected(const FileIdentity& identity) const;
    bool isReserved(const std::string& name) const;
    void closeFolders();

    // What all views of the tree share; the run changes it while writers on other threads read it.
    struct Shared {
        std::mutex mutex;
        std::vector<FileIdentity> protectedFiles;
        std::string reserved;
    };

    int m_root = -1;
    std::string m_folder;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    // Open subfolders by their key (the folder part of a relative name); bounded, see folderFor.
    std::unordered_map<std::string, int> m_folders;
};

// What a write below an output folder would meet, found without creating or changing anything:
// the check before writing lists these so that a user learns of them before the run.
enum class TreeProbe {
    Clear,         // the file can be written (new, or an earlier regular file replaced)
    FolderBlocked, // a file stands where a subfolder must go: the record is passed over
    LinkInPath,    // a subfolder on the way is a symbolic link: the record is refused
    ReplacesEntry, // a symbolic link, second name or other non-regular entry stands at the name: replaced
    NameIsFolder,  // the name names a folder: writing it fails and ends the run
    OwnInput,      // the file is one of the run's inputs or its report: the record is refused
};

class OutputProbe final {
public:
    // Probes below `folder`, which need not exist.
    explicit OutputProbe(std::string folder);

    void protect(const FileIdentity& identity) { m_protected.push_back(identity); }
    void reserveName(std::string name) { m_reserved = std::move(name); }

    // What writing the file `relative` would meet; `at` is set to the part of `relative` (a
    // folder or the whole name) where it was found.
    TreeProbe probe(std::string_view relative, std::string& at);

private:
    enum class FolderState { Missing, Folder, Link, Blocked };
    FolderState folderState(std::string_view key, std::string& at);

    std::string m_folder;
    std::string m_reserved;
    std::vector<FileIdentity> m_protected;
    std::unordered_map<std::string, std::pair<FolderState, std::string>> m_folders; // by folder key
};

} // namespace stencilor
