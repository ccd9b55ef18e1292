// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultInjection.h"

#include <atomic>
#include <cerrno>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The errno every flock of the process fails with; 0 while flock works.
std::atomic<int> g_flockError{0};

} // namespace

// The test program's own flock, found before the C library's by every object linked into it:
// the system call, unless a FlockFails says otherwise.
extern "C" int flock(int fd, int operation) noexcept
{
    if (const int code = g_flockError.load()) {
        errno = code;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_flock, fd, operation));
}

namespace stencilor::test {

FlockFails::FlockFails(int code)
    : m_old(g_flockError.exchange(code))
{
}

FlockFails::~FlockFails()
{
    g_flockError = m_old;
}

} // namespace stencilor::test
