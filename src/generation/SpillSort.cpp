// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SpillSort.h"

#include "datasource/DataInput.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cstring>

namespace stencilor {

namespace {

// Runs merged at once: more are merged in groups of this many first. Each run read takes a
// buffer of kReadAhead bytes, so a merge holds at most 4 MiB of them.
constexpr std::size_t kMaxFanIn = 64;
constexpr std::size_t kReadAhead = std::size_t{64} << 10;
// Bytes gathered before they are appended to the file.
constexpr std::size_t kWriteBlock = std::size_t{1} << 20;

// The first eight bytes of `item` as a big-endian number (zeros after a shorter item), so that
// comparing two of them orders the items as their first bytes do.
std::uint64_t prefixOf(std::string_view item)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < item.size() ? static_cast<unsigned char>(item[i]) : 0U);
    return prefix;
}

void appendLength(std::string& out, std::uint64_t length)
{
    while (length >= 0x80) {
        out += static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    out += static_cast<char>(length);
}

} // namespace

SpillSorter::SpillSorter(std::size_t memory)
    : m_memory(std::max<std::size_t>(memory, 1024))
{
}

Status SpillSorter::add(std::string_view item)
{
    const std::size_t heldBytes = m_held.size() + item.size();
    const std::size_t indexBytes = (m_index.size() + 1) * sizeof(Held);
    if (!m_index.empty() && heldBytes + indexBytes > m_memory)
        if (Status written = writeRun(); !written)
            return written;
    if (m_held.capacity() == 0) {
        // Taken once (the system gives pages only as they are written), so that growing never
        // holds the old buffer and the new one at once.
        m_held.reserve(m_memory / 2);
        m_index.reserve(m_memory / 2 / sizeof(Held));
    }
    m_index.push_back({prefixOf(item), m_held.size(), static_cast<std::uint32_t>(item.size())});
    m_held.append(item);
    ++m_count;
    return {};
}

Status SpillSorter::openFile()
{
    if (m_file.valid())
        return {};
    Result<FileDescriptor> file = openSpool();
    if (!file)
        return file.error();
    m_file = std::move(file.value());
    return {};
}

Status SpillSorter::append(std::string_view item)
{
    appendLength(m_writing, item.size());
    m_writing.append(item);
    return m_writing.size() < kWriteBlock ? Status{} : flush();
}

Status SpillSorter::flush()
{
    if (const int code = writeAll(m_file.get(), m_writing); code != 0)
        return systemError(ErrorKind::WriteFile, spoolFolder(), code);
    m_fileSize += m_writing.size();
    m_writing.clear();
    return {};
}

void SpillSorter::sortHeld()
{
    std::sort(m_index.begin(), m_index.end(), [this](const Held& a, const Held& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return heldItem(a) < heldItem(b);
    });
}

Status SpillSorter::writeRun()
{
    sortHeld();
    if (Status opened = openFile(); !opened)
        return opened;
    Run run;
    run.begin = m_fileSize;
    for (const Held& held : m_index)
        if (Status written = append(heldItem(held)); !written)
            return written;
    if (Status written = flush(); !written)
        return written;
    run.end = m_fileSize;
    m_runs.push_back(std::move(run));
    m_index.clear();
    m_held.clear();
    return {};
}

Result<bool> SpillSorter::advance(Run& run)
{
    // Makes `wanted` bytes (or what is left of the run) readable at run.used.
    const auto readAhead = [&](std::size_t wanted) -> Result<std::size_t> {
        const std::size_t ready = run.buffer.size() - run.used;
        if (ready >= wanted || run.at == run.end)
            return ready;
        run.buffer.erase(0, run.used);
        run.used = 0;
        const std::size_t more =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max(wanted - ready, kReadAhead), run.end - run.at));
        const std::size_t old = run.buffer.size();
        run.buffer.resize(old + more);
        const Result<std::size_t> got = readAt(m_file.get(), run.buffer.data() + old, more, run.at);
        if (!got)
            return systemError(ErrorKind::ReadFile, spoolFolder(), got.error().code);
        if (got.value() != more)
            return systemError(ErrorKind::ReadFile, spoolFolder(), EIO);
        run.at += more;
        return run.buffer.size();
    };
    Result<std::size_t> ready = readAhead(10);
    if (!ready)
        return ready.error();
    if (ready.value() == 0)
        return false;
    std::uint64_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (run.used == run.buffer.size() || shift > 63)
            return systemError(ErrorKind::ReadFile, spoolFolder(), EIO);
        const auto byte = static_cast<unsigned char>(run.buffer[run.used++]);
        length |= std::uint64_t{byte & 0x7FU} << shift;
        if ((byte & 0x80U) == 0)
            break;
    }
    ready = readAhead(static_cast<std::size_t>(length));
    if (!ready)
        return ready.error();
    if (ready.value() < length)
        return systemError(ErrorKind::ReadFile, spoolFolder(), EIO);
    run.item.assign(run.buffer, run.used, static_cast<std::size_t>(length));
    run.used += static_cast<std::size_t>(length);
    return true;
}

Status SpillSorter::mergeRuns(std::size_t first, std::size_t last)
{
    m_heap.clear();
    for (std::size_t i = first; i < last; ++i) {
        Run& run = m_runs[i];
        run.at = run.begin;
        run.buffer.clear();
        run.used = 0;
        const Result<bool> got = advance(run);
        if (!got)
            return got.error();
        if (got.value()) {
            m_heap.push_back(i);
            std::push_heap(m_heap.begin(), m_heap.end(), laterRun());
        }
    }
    m_pending = kNone;
    return {};
}

Status SpillSorter::startReading()
{
    m_nextHeld = 0;
    if (m_runs.empty()) {
        if (!m_fromMemory)
            sortHeld();
        m_fromMemory = true;
        return {};
    }
    if (!m_index.empty())
        if (Status written = writeRun(); !written)
            return written;
    m_held = std::string();
    m_index = std::vector<Held>();
    // Too many runs to read at once: groups of them are merged into longer runs at the file's end.
    while (m_runs.size() > kMaxFanIn) {
        if (Status merged = mergeRuns(0, kMaxFanIn); !merged)
            return merged;
        Run joined;
        joined.begin = m_fileSize;
        for (;;) {
            std::string_view item;
            const Result<bool> got = next(item);
            if (!got)
                return got.error();
            if (!got.value())
                break;
            if (Status written = append(item); !written)
                return written;
        }
        if (Status written = flush(); !written)
            return written;
        joined.end = m_fileSize;
        m_runs.erase(m_runs.begin(), m_runs.begin() + kMaxFanIn);
        m_runs.push_back(std::move(joined));
    }
    return mergeRuns(0, m_runs.size());
}

Result<bool> SpillSorter::next(std::string_view& item)
{
    if (m_fromMemory) {
        if (m_nextHeld >= m_index.size())
            return false;
        item = heldItem(m_index[m_nextHeld++]);
        return true;
    }
    // The run whose item went out last moves on to its next item first.
    if (m_pending != kNone) {
        const Result<bool> got = advance(m_runs[m_pending]);
        if (!got)
            return got.error();
        if (got.value()) {
            m_heap.push_back(m_pending);
            std::push_heap(m_heap.begin(), m_heap.end(), laterRun());
        }
        m_pending = kNone;
    }
    if (m_heap.empty())
        return false;
    std::pop_heap(m_heap.begin(), m_heap.end(), laterRun());
    m_pending = m_heap.back();
    m_heap.pop_back();
    item = m_runs[m_pending].item;
    return true;
}

} // namespace stencilor
