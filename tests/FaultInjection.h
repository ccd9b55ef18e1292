// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Faults of the system made on purpose in the test process: a file-size limit stands in for a
// disk that fills up, since writes past it fail with EFBIG just as writes to a full disk fail
// with ENOSPC; a flock that fails stands in for a shared file system without it.

#include <csignal>
#include <sys/resource.h>

namespace stencilor::test {

// Limits every file this process writes to `bytes` while it lives. SIGXFSZ is ignored for that
// time, so a write past the limit fails with EFBIG instead of ending the process. Only the soft
// limit changes, so the old limit can be restored.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_oldAction);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        ::sigaction(SIGXFSZ, &m_oldAction, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be set (the test should then be skipped).
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    struct sigaction m_oldAction {};
    bool m_active = false;
};

// Makes every flock of this process fail with `code` while it lives, as on a file system that
// offers none (ENOLCK on Lustre mounted without flock); 0 lets flock work. Only in programs that
// link FaultInjection.cpp.
class FlockFails final {
public:
    explicit FlockFails(int code);
    ~FlockFails();
    FlockFails(const FlockFails&) = delete;
    FlockFails& operator=(const FlockFails&) = delete;

private:
    int m_old;
};

} // namespace stencilor::test
