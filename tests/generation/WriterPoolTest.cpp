// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/WriterPool.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace stencilor {
namespace {

WriteJob job(std::uint64_t record, std::string text)
{
    WriteJob made;
    made.record = record;
    made.relativeName = "f";
    made.text = std::move(text);
    return made;
}

// Writes that take different times on different writers (the handing thread among them, when it
// writes a job itself) still come back in submission order, the jobs in hand never exceed the
// capacity, and every job is written once.
TEST(WriterPool, WritesOnSeveralThreadsAndHandsResultsBackInOrder)
{
    std::atomic<int> inHand{0};
    std::atomic<int> mostInHand{0};
    std::mutex seenMutex;
    std::set<std::uint64_t> written;
    std::set<unsigned> workers;
    {
        WriterPool pool(3, 8, [&](unsigned worker, const WriteJob& job) {
            std::mt19937 random(static_cast<unsigned>(job.record));
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
            std::lock_guard lock(seenMutex);
            EXPECT_TRUE(written.insert(job.record).second);
            workers.insert(worker);
            return TreeWriteResult{Refusal::None, job.record % 7 == 0 ? EIO : 0};
        });
        std::uint64_t next = 1;
        const auto check = [&](const WriteJob& done) {
            EXPECT_EQ(done.record, next++);
            EXPECT_EQ(done.result.failed(), done.record % 7 == 0);
            // The text comes back with the outcome, for another try or another use.
            EXPECT_EQ(done.text, std::string(100, 'x'));
            --inHand;
        };
        WriteJob done;
        for (std::uint64_t record = 1; record <= 200; ++record) {
            if (pool.full()) {
                // Once the first four in hand are written, they are taken without waiting.
                pool.waitWritten(4);
                for (int i = 0; i < 4; ++i) {
                    ASSERT_TRUE(pool.take(done, false));
                    check(done);
                }
            }
            pool.submit(job(record, std::string(100, 'x')));
            mostInHand = std::max(mostInHand.load(), ++inHand);
            // A writer thread may take the job first; then there is none left for this one.
            if (record % 3 == 0)
                pool.writeOne();
            while (pool.take(done, false))
                check(done);
        }
        while (pool.take(done, true))
            check(done);
        EXPECT_FALSE(pool.busy());
        EXPECT_EQ(next, 201u);
    }
    EXPECT_EQ(written.size(), 200u);
    EXPECT_LE(mostInHand.load(), 8);
    EXPECT_GT(workers.size(), 1u);
    EXPECT_EQ(workers.count(3), 1u) << "the handing thread writes as writer workers()";
}

TEST(WriterPool, StoppingFinishesTheJobsInHand)
{
    std::atomic<int> writes{0};
    {
        WriterPool pool(2, 16, [&](unsigned, const WriteJob&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ++writes;
            return TreeWriteResult{};
        });
        for (std::uint64_t record = 1; record <= 10; ++record)
            pool.submit(job(record, "x"));
    }
    EXPECT_EQ(writes.load(), 10);
}

} // namespace
} // namespace stencilor
