// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The output folders of this user's runs in progress on this machine, so that a run does not
// write into a folder that lies inside, or holds, the output folder of another run, and parts of
// different jobs do not share one folder. The lock on a folder keeps out a second run into that
// very folder only; this registry sees the folders around it.
//
// The registry is a folder of the user's own: $XDG_RUNTIME_DIR/stencilor, or /tmp/stencilor-UID
// (mode 0700) without it. Each run in progress has an entry there, a file naming its folder (by
// its canonical path), its job and whether it is a part, which it holds a record lock on for as
// long as it runs; an entry whose lock is free is left from a run that died, and is removed by
// the next run that meets it. Entries are made and looked at under a lock of the whole registry,
// so that two runs that start at once see each other.

#include "platform/FileDescriptor.h"
#include "platform/Result.h"

#include <map>
#include <memory>
#include <string>

namespace stencilor {

class RunRegistration final {
public:
    ~RunRegistration();
    RunRegistration(const RunRegistration&) = delete;
    RunRegistration& operator=(const RunRegistration&) = delete;

    // Enters a run into `folder` of the job `job` (a text the parts of one job share, one line)
    // into the registry, for as long as the registration lives. A part (`shared`) may share its
    // folder with the other parts of its job. Fails with FolderInUse when a run of another job,
    // or a run that is no part, has the same folder; with FolderOverlapsRun (the other run's
    // folder as `other`) when one folder lies inside the other; or with LockFolder and the errno
    // on the registry's folder when the registry cannot be used (a folder that is not the
    // user's own, or open to others, is refused with EACCES).
    static Result<std::unique_ptr<RunRegistration>> enter(const std::string& folder, const std::string& job,
                                                          bool shared);
    // Enters another output folder of the same run (its output folder changed during the run),
    // as enter() does; the run's own folders do not keep it out of each other.
    Status add(const std::string& folder);

    // The registry's folder: $XDG_RUNTIME_DIR/stencilor when that variable names a folder of the
    // user's own, else /tmp/stencilor-UID.
    static std::string registryFolder();

private:
    RunRegistration() = default;

    std::string m_path;        // the registry's folder
    FileDescriptor m_registry; // open
    std::string m_job;
    bool m_shared = false;
    std::map<std::string, FileDescriptor> m_entries; // this run's entries by name, each locked
};

} // namespace stencilor
