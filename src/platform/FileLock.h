// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Advisory locks that keep two runs apart, on local and on shared file systems.

namespace stencilor {

// The error code of a lock that another holder has (EWOULDBLOCK, whichever kind of lock).
int lockHeldCode();

// True when `code` says the file system offers no lock of the kind tried (ENOLCK, EOPNOTSUPP,
// EINVAL, ENOSYS), as flock on Lustre mounted without it; another kind may still work.
bool lockUnsupported(int code);

// Takes an advisory lock on the open file `fd` without waiting, held until every descriptor of its
// open file is closed: flock, or where the file system refuses flock (lockUnsupported) a record
// lock of the open file over the whole file (fcntl F_OFD_SETLK), which NFS and Lustre pass to
// their lock servers. An exclusive record lock needs `fd` open for writing, a shared one for
// reading. 0, lockHeldCode() when another holder excludes it, or the errno of the last try.
int lockOpenFile(int fd, bool exclusive);

// Takes a record lock (fcntl F_OFD_SETLK) only; as lockOpenFile.
int recordLockOpenFile(int fd, bool exclusive);

} // namespace stencilor
