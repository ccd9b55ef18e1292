// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/WriterPool.h"

#include <algorithm>
#include <system_error>

namespace stencilor {

WriterPool::WriterPool(unsigned workers, std::size_t capacity, Write write)
    : m_write(std::move(write))
    , m_capacity(std::max<std::size_t>(capacity, 1))
{
    for (unsigned worker = 0; worker < std::max(workers, 1u); ++worker) {
        try {
            m_threads.emplace_back([this, worker] { work(worker); });
        } catch (const std::system_error&) {
            break; // the system allows no more threads: fewer writers
        }
    }
}

WriterPool::~WriterPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_jobQueued.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

// Each job is queued at once: a writer that waits for work is woken for it, and one that is busy
// costs the handing thread no more than taking the mutex (handing jobs over in batches measured
// slower).
void WriterPool::submit(WriteJob job)
{
    job.sequence = m_submitted++;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(job));
        m_queued.store(m_queue.size(), std::memory_order_relaxed);
    }
    m_jobQueued.notify_one();
}

void WriterPool::waitWritten(std::size_t count)
{
    const std::uint64_t target = m_taken + std::min<std::uint64_t>(count, m_submitted - m_taken);
    if (m_writtenBefore.load(std::memory_order_acquire) >= target)
        return;
    std::unique_lock lock(m_mutex);
    m_awaited = target;
    m_done.wait(lock, [this, target] { return m_writtenBefore.load(std::memory_order_relaxed) >= target; });
    m_awaited = 0;
}

bool WriterPool::take(WriteJob& job, bool wait)
{
    if (m_taken == m_submitted)
        return false;
    if (m_inbox.empty()) {
        if (wait)
            waitWritten(1);
        else if (m_writtenBefore.load(std::memory_order_acquire) <= m_collected)
            return false;
        // Every job written in order so far comes over at once.
        std::lock_guard lock(m_mutex);
        for (const std::uint64_t before = m_writtenBefore.load(std::memory_order_relaxed); m_collected < before;
             ++m_collected) {
            const auto next = m_written.find(m_collected);
            m_inbox.push_back(std::move(next->second));
            m_written.erase(next);
        }
    }
    job = std::move(m_inbox.front());
    m_inbox.pop_front();
    ++m_taken;
    return true;
}

void WriterPool::work(unsigned worker)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Every queued job is written before the pool stops: a file in hand is finished.
        m_jobQueued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        WriteJob job = std::move(m_queue.front());
        m_queue.pop_front();
        m_queued.store(m_queue.size(), std::memory_order_relaxed);
        lock.unlock();
        job.result = m_write(worker, job);
        lock.lock();
        written(std::move(job));
    }
}

bool WriterPool::writeOne()
{
    WriteJob job;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            return false;
        job = std::move(m_queue.front());
        m_queue.pop_front();
        m_queued.store(m_queue.size(), std::memory_order_relaxed);
    }
    job.result = m_write(workers(), job);
    std::lock_guard lock(m_mutex);
    written(std::move(job));
    return true;
}

void WriterPool::written(WriteJob job)
{
    m_written.emplace(job.sequence, std::move(job));
    std::uint64_t before = m_writtenBefore.load(std::memory_order_relaxed);
    while (m_written.count(before) > 0)
        ++before;
    m_writtenBefore.store(before, std::memory_order_release);
    if (m_awaited != 0 && before >= m_awaited)
        m_done.notify_one();
}

} // namespace stencilor
