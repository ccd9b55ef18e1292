#include "generation/WriterPool.h"

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
    m_queued.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool WriterPool::full() const
{
    std::lock_guard lock(m_mutex);
    return m_submitted - m_taken >= m_capacity;
}

bool WriterPool::busy() const
{
    std::lock_guard lock(m_mutex);
    return m_submitted != m_taken;
}

void WriterPool::submit(WriteJob job)
{
    {
        std::lock_guard lock(m_mutex);
        job.sequence = m_submitted++;
        m_queue.push_back(std::move(job));
    }
    m_queued.notify_one();
}

bool WriterPool::take(WriteJob& job, bool wait)
{
    std::unique_lock lock(m_mutex);
    if (m_taken == m_submitted)
        return false;
    if (wait)
        m_done.wait(lock, [this] { return m_written.count(m_taken) > 0; });
    const auto next = m_written.find(m_taken);
    if (next == m_written.end())
        return false;
    job = std::move(next->second);
    m_written.erase(next);
    ++m_taken;
    return true;
}

void WriterPool::work(unsigned worker)
{
    for (;;) {
        WriteJob job;
        {
            std::unique_lock lock(m_mutex);
            // Every queued job is written before the pool stops: a file in hand is finished.
            m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        job.result = m_write(worker, job);
        // A file written needs its text no more: only the outcome and what the run records of it
        // are kept.
        if (job.result.outcome == TreeWrite::Written)
            std::string().swap(job.text);
        {
            std::lock_guard lock(m_mutex);
            m_written.emplace(job.sequence, std::move(job));
        }
        m_done.notify_all();
    }
}

} // namespace stencilor
