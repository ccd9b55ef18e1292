// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An open file descriptor owned by one object and closed with it, and the one loop that repeats
// a system call interrupted by a signal. Every file the program opens is held through these.

#include "platform/Result.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unistd.h>

namespace stencilor {

// Calls `call` again for as long as it fails with EINTR, and returns its last result.
template <class Call> auto retryOnInterrupt(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

class FileDescriptor final {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(other.release())
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Hands the descriptor over to the caller, who closes it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the descriptor held (if any) and holds `fd` instead.
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now: 0, or the errno of close(), which can report a delayed write error.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

// Reads up to `size` bytes from `fd` into `into`: the number read, 0 at the end; fails with the
// errno of read().
Result<std::size_t> readSome(int fd, char* into, std::size_t size);

// Reads up to `size` bytes at `offset` of `fd` without moving its position, going on after short
// reads: fewer only at the end of the file. Fails with the errno of pread().
Result<std::size_t> readAt(int fd, char* into, std::size_t size, std::uint64_t offset);

// Raises the soft limit of open files to the hard limit, as servers and build tools do: a run
// with many writers and many folders keeps many open. Returns the soft limit then in force.
std::size_t raiseOpenFileLimit();

// The open files the process may have (the soft limit; SIZE_MAX when unlimited).
std::size_t openFileLimit();

// Writes all of `data` to `fd`, going on after short writes; 0, or the errno of the write that
// failed (EIO when the system wrote nothing without saying why).
int writeAll(int fd, std::string_view data);

} // namespace stencilor
