// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileDescriptor.h"

#include <cstdint>
#include <sys/resource.h>
#include <unistd.h>

namespace stencilor {

Result<std::size_t> readSome(int fd, char* into, std::size_t size)
{
    const ssize_t got = retryOnInterrupt([&] { return ::read(fd, into, size); });
    if (got < 0)
        return Error(ErrorKind::ReadFile, {}, errno);
    return static_cast<std::size_t>(got);
}

Result<std::size_t> readAt(int fd, char* into, std::size_t size, std::uint64_t offset)
{
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = retryOnInterrupt(
            [&] { return ::pread(fd, into + filled, size - filled, static_cast<off_t>(offset + filled)); });
        if (got < 0)
            return Error(ErrorKind::ReadFile, {}, errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

std::size_t raiseOpenFileLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return openFileLimit();
}

std::size_t openFileLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return SIZE_MAX;
    return static_cast<std::size_t>(limit.rlim_cur);
}

int writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = retryOnInterrupt([&] { return ::write(fd, data.data(), data.size()); });
        if (written < 0)
            return errno;
        if (written == 0)
            return EIO;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace stencilor
