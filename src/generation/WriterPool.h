// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writing a run's files on several threads (--jobs N): records are named and rendered in order
// on the run's own thread and handed to N writers; what each write did comes back in record
// order, so the report, the manifest and the summary see the records in order whatever the
// order in which the files appear. The jobs in hand are bounded, so memory does not grow with
// the data.

#include "platform/OutputTree.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace stencilor {

// One record's file to write, and what the writing did.
struct WriteJob {
    std::uint64_t record = 0;
    std::uint64_t firstLine = 0;
    std::shared_ptr<OutputTree> tree; // the output folder it goes into
    std::string relativeName;
    std::string text;                // kept with the outcome: a write that did not go through can be tried again
    bool reportRow = false;          // the report is on: the record gets a row
    std::string_view reportFld;      // the report's columns (the settings of a run with writers stay put)
    std::vector<std::string> values; // what the record shows in the report
    TreeWriteResult result;          // set by the writer
    std::uint64_t sequence = 0;      // set by the pool: the order of submission
};

class WriterPool final {
public:
    // Writes `job.text` as `job.relativeName` on writer `worker` (0 to workers - 1 for the
    // threads, workers() for the handing thread when it writes a job itself; each is one
    // thread, so state kept per worker needs no lock).
    using Write = std::function<TreeWriteResult(unsigned worker, const WriteJob& job)>;

    // Starts `workers` threads (fewer when the system allows no more, see workers()), with at
    // most `capacity` jobs in hand (queued, being written, or written and not yet taken).
    WriterPool(unsigned workers, std::size_t capacity, Write write);
    // Waits for the jobs in hand to be written and stops the threads.
    ~WriterPool();
    WriterPool(const WriterPool&) = delete;
    WriterPool& operator=(const WriterPool&) = delete;

    // The threads that started; with none, submitted jobs are never written.
    unsigned workers() const { return static_cast<unsigned>(m_threads.size()); }

    // The calls below come from one thread, the one that hands out the jobs. Jobs go to the
    // writers one at a time and come back a few at a time, so that the threads seldom wait for
    // each other.

    // True when no job can be submitted until the next one is taken.
    bool full() const { return m_submitted - m_taken >= m_capacity; }
    // True while submitted jobs have not all been taken.
    bool busy() const { return m_submitted != m_taken; }
    // Hands a job to the writers; the pool must not be full.
    void submit(WriteJob job);
    // The next job in submission order once it is written: waits for it when `wait` is set,
    // else returns false when it is not written yet (or no job is in hand).
    bool take(WriteJob& job, bool wait);
    // The jobs submitted that no writer has begun.
    std::size_t queued() const { return m_queued.load(std::memory_order_relaxed); }
    // Writes the oldest job no writer has begun here, on the handing thread (as writer
    // workers()); false when there is none. A handing thread that writes when the writers fall
    // behind keeps every core busy without a thread more than there are cores.
    bool writeOne();
    // Waits until the first `count` jobs in hand (all of them, when fewer are in hand) are
    // written. Waiting for several at once lets the writers go on without waking the waiting
    // thread for every job.
    void waitWritten(std::size_t count);

private:
    void work(unsigned worker);
    // Files a job that has been written (the mutex held).
    void written(WriteJob job);

    Write m_write;
    std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_jobQueued; // a job was queued, or the pool is stopping
    std::condition_variable m_done;      // the jobs waited for are written
    std::deque<WriteJob> m_queue;
    std::atomic<std::size_t> m_queued{0}; // m_queue's size, to be read without the mutex
    std::map<std::uint64_t, WriteJob> m_written;
    // The handing thread's own: jobs written and collected but not yet taken, and the sequences
    // that count them.
    std::deque<WriteJob> m_inbox;
    std::uint64_t m_submitted = 0; // sequence of the next job submitted
    std::uint64_t m_collected = 0; // sequence of the next job to move from m_written to m_inbox
    std::uint64_t m_taken = 0;     // sequence of the next job to take
    // Every job before this sequence is written (read without the mutex to see that one is).
    std::atomic<std::uint64_t> m_writtenBefore{0};
    std::uint64_t m_awaited = 0; // waitWritten wants m_writtenBefore to reach this; 0: nobody waits
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace stencilor
