// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/TemplateFile.h"

#include <algorithm>
#include <sys/stat.h>

namespace stencilor {

namespace {

std::int64_t nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

bool TemplateFile::sameState(const State& a, const State& b)
{
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           nanoseconds(a.modified) == nanoseconds(b.modified) && nanoseconds(a.changed) == nanoseconds(b.changed);
}

Result<const std::string*> TemplateFile::current(const std::string& path, bool& reread)
{
    reread = false;
    struct stat info {};
    const bool looked = ::stat(path.c_str(), &info) == 0;
    const State now{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    if (looked && m_valid && !m_racy && path == m_path && sameState(now, m_state))
        return &m_bytes;

    // The state is taken before the read: a change after it changes the state the next record
    // sees, so it is read again then.
    timespec clock{};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    m_valid = false;
    const Result<FileIdentity> read = readWholeFileInto(path, m_bytes);
    if (!read)
        return read.error();
    reread = true;
    if (!looked)
        return &m_bytes; // it appeared between the two looks: read again next time
    m_path = path;
    m_state = now;
    m_identity = read.value();
    m_valid = true;
    const std::int64_t lastChange = std::max(nanoseconds(now.modified), nanoseconds(now.changed));
    m_racy = nanoseconds(clock) - lastChange < kTrustAfterNanoseconds;
    return &m_bytes;
}

} // namespace stencilor
