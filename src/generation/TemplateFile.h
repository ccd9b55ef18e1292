// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The template of a run as it is on disk now, read again only when it may have changed.
//
// A change made to the template during a run takes effect at the next record. Reading the whole
// file for every record costs four system calls (open, fstat, read, close); looking at its state
// costs one (stat). The file is read again when its identity or state changed since the last read
// (device, inode, size, modification and status-change times to the nanosecond), and also while
// the last read came so soon after its last change that an edit within the same clock tick could
// leave the times unchanged (the way version-control tools guard their index): such a template
// is read for every record until its last change is old enough.

#include "platform/FileSystem.h"
#include "platform/Result.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace stencilor {

class TemplateFile final {
public:
    // How long after a change the times of a file are trusted to show the next one: more than
    // the file system's timestamp granularity (the kernel's clock tick, a few milliseconds).
    static constexpr std::int64_t kTrustAfterNanoseconds = 100'000'000;

    // The bytes of the template at `path` as they are now. Sets `reread` when the file was read
    // (the bytes may have changed). Fails with the error of stat or reading (kNotRegularFile for
    // a FIFO or a device), after which the next call reads again.
    Result<const std::string*> current(const std::string& path, bool& reread);

    // The identity of the file last read.
    const FileIdentity& identity() const { return m_identity; }

private:
    struct State {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
    };
    static bool sameState(const State& a, const State& b);

    std::string m_path;
    std::string m_bytes;
    State m_state;
    FileIdentity m_identity;
    bool m_valid = false;
    bool m_racy = true; // the last read came too soon after a change to trust the times
};

} // namespace stencilor
