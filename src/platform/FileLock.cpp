// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileLock.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace stencilor {

int lockHeldCode()
{
    return EWOULDBLOCK;
}

bool lockUnsupported(int code)
{
    return code == ENOLCK || code == EOPNOTSUPP || code == EINVAL || code == ENOSYS;
}

int recordLockOpenFile(int fd, bool exclusive)
{
    struct flock lock {};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET; // l_start 0 and l_len 0: the whole file, however it grows
    if (retryOnInterrupt([&] { return ::fcntl(fd, F_OFD_SETLK, &lock); }) == 0)
        return 0;
    // A record lock held by another says EAGAIN or EACCES.
    return errno == EAGAIN || errno == EACCES ? lockHeldCode() : errno;
}

int lockOpenFile(int fd, bool exclusive)
{
    if (retryOnInterrupt([&] { return ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB); }) == 0)
        return 0;
    const int code = errno;
    if (!lockUnsupported(code))
        return code == EWOULDBLOCK ? lockHeldCode() : code;
    return recordLockOpenFile(fd, exclusive);
}

} // namespace stencilor
