// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PendingFile.h"

#include "platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

// A hidden name no other file in the folder has yet, such as ".stencilor-1234-7-5f2a9c.tmp".
std::string hiddenName()
{
    static std::atomic<unsigned> counter{0};
    const auto clock = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    return ".stencilor-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(clock % 1000000007ULL) + ".tmp";
}

} // namespace

Status PendingFile::create(int folder)
{
    discard();
    // Read and write: a file committed into another folder is read back to be copied there.
    m_fd.reset(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (!m_fd.valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < 100 && !m_fd.valid(); ++attempt) {
            m_tempName = hiddenName();
            m_fd.reset(::openat(folder, m_tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (!m_fd.valid() && errno != EEXIST)
                break;
        }
        if (!m_fd.valid())
            m_tempName.clear();
    }
    if (!m_fd.valid())
        return systemError(ErrorKind::CreateFile, {}, errno);
    m_folder = folder;
    return {};
}

Status PendingFile::write(std::string_view data)
{
    if (const int code = writeAll(m_fd.get(), data); code != 0)
        return systemError(ErrorKind::WriteFile, {}, code);
    return {};
}

Status PendingFile::commit(int folder, const std::string& name)
{
    if (folder != m_folder) {
        // Another folder, perhaps on another file system: copy the text into a pending file there.
        PendingFile there;
        if (Status made = there.create(folder); !made) {
            discard();
            return made;
        }
        char buffer[1 << 16];
        for (std::uint64_t offset = 0;;) {
            const Result<std::size_t> got = readAt(m_fd.get(), buffer, sizeof buffer, offset);
            if (!got) {
                discard();
                return systemError(ErrorKind::ReadFile, {}, got.error().code);
            }
            if (got.value() == 0)
                break;
            if (Status written = there.write(std::string_view(buffer, got.value())); !written) {
                discard();
                return written;
            }
            offset += got.value();
        }
        discard();
        return there.commit(folder, name);
    }

    std::string linked = m_tempName;
    if (linked.empty()) {
        // An anonymous file gets a hidden name first, then takes the final one by rename, which
        // replaces an earlier file of that name in one step.
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd.get());
        int code = EEXIST;
        for (int attempt = 0; attempt < 100 && code == EEXIST; ++attempt) {
            linked = hiddenName();
            code = ::linkat(AT_FDCWD, self.c_str(), folder, linked.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        }
        if (code != 0) {
            discard();
            return systemError(ErrorKind::CreateFile, {}, code);
        }
    }
    int code = m_fd.close();
    if (code == 0 && ::renameat(folder, linked.c_str(), folder, name.c_str()) != 0)
        code = errno;
    if (code != 0)
        ::unlinkat(folder, linked.c_str(), 0);
    m_tempName.clear();
    if (code != 0)
        return systemError(ErrorKind::CreateFile, {}, code);
    return {};
}

void PendingFile::discard()
{
    if (!m_fd.valid())
        return;
    m_fd.reset();
    if (!m_tempName.empty())
        ::unlinkat(m_folder, m_tempName.c_str(), 0);
    m_tempName.clear();
}

} // namespace stencilor
