// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileDescriptor.h"
#include "platform/Result.h"

#include <string>
#include <string_view>

namespace stencilor {

// A file written out of sight and put in place whole at the end: an anonymous file in the
// folder it will live in (O_TMPFILE, or a hidden temporary name where the file system has no
// anonymous files), linked into place under its name by commit(). A process killed before that
// leaves the earlier file of that name, or none, never a part of the new one.
class PendingFile final {
public:
    PendingFile() = default;
    ~PendingFile() { discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Starts the file in the folder open as `folder`; fails with the errno of creating it.
    Status create(int folder);
    bool isOpen() const { return m_fd.valid(); }
    // Appends `data`; fails with the errno of writing (ENOSPC, EIO, ...).
    Status write(std::string_view data);
    // Puts the file in place as `name` in the folder open as `folder` (the folder it was created
    // in, or another one, into which it is copied first), replacing a file or link of that name.
    // Fails with the errno of linking, copying or renaming; the pending file is gone either way.
    Status commit(int folder, const std::string& name);
    // Drops the file without putting it anywhere.
    void discard();

private:
    FileDescriptor m_fd;
    int m_folder = -1;      // the folder it was created in (not owned)
    std::string m_tempName; // the hidden name when the file system has no anonymous files
};

} // namespace stencilor
