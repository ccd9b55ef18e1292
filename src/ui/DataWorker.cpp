// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataWorker.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>

namespace stencilor::ui {

namespace {

constexpr int kTickMilliseconds = 100;

int percentOf(std::uint64_t part, std::uint64_t whole)
{
    return whole == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(part, whole) * 100 / whole);
}

} // namespace

PassWatch PassProgress::watch(const std::atomic<bool>& stop)
{
    PassWatch watch;
    watch.stop = &stop;
    watch.counting = [this](std::uint64_t records, std::uint64_t at, std::uint64_t bytes) {
        counted.store(records, std::memory_order_relaxed);
        offset.store(at, std::memory_order_relaxed);
        size.store(bytes, std::memory_order_relaxed);
    };
    watch.reading = [this](std::uint64_t done, std::uint64_t of) {
        read.store(done, std::memory_order_relaxed);
        total.store(of, std::memory_order_relaxed);
    };
    return watch;
}

int PassProgress::percent() const
{
    const std::uint64_t of = total.load(std::memory_order_relaxed);
    if (of > 0)
        return percentOf(read.load(std::memory_order_relaxed), of);
    return percentOf(offset.load(std::memory_order_relaxed), size.load(std::memory_order_relaxed));
}

DataWorker::DataWorker(QObject* parent)
    : QObject(parent)
    , m_ticks(new QTimer(this))
{
    m_ticks->setInterval(kTickMilliseconds);
    connect(m_ticks, &QTimer::timeout, this, &DataWorker::tick);
}

DataWorker::~DataWorker()
{
    stopAndJoin();
}

void DataWorker::start(Work work, std::chrono::milliseconds atOnce)
{
    stopAndJoin();
    m_stop = false;
    m_ended = false;
    m_ending = {};
    const unsigned generation = ++m_generation;
    m_thread = std::thread([this, work = std::move(work), generation] {
        Ending ending = work(m_stop);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ending = std::move(ending);
            m_ended = true;
        }
        m_endedSignal.notify_all();
        // Dropped by Qt when the worker is gone; dropped by deliver() when a newer work replaced it.
        QMetaObject::invokeMethod(
            this, [this, generation] { deliver(generation); }, Qt::QueuedConnection);
    });
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ended = m_endedSignal.wait_for(lock, atOnce, [this] { return m_ended; });
    }
    if (ended)
        deliver(generation);
    else
        m_ticks->start();
}

void DataWorker::stop()
{
    if (running())
        m_stop = true;
}

void DataWorker::stopAndJoin()
{
    m_ticks->stop();
    if (!m_thread.joinable())
        return;
    m_stop = true;
    m_thread.join();
    // The ending of the work stopped here is not wanted any more.
    ++m_generation;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_ending = {};
}

void DataWorker::deliver(unsigned generation)
{
    if (generation != m_generation || !m_thread.joinable())
        return;
    Ending ending;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_ended)
            return;
        ending = std::move(m_ending);
        m_ending = {};
    }
    // The thread has handed its ending over: it ends now, if it has not already.
    m_thread.join();
    m_ticks->stop();
    if (ending)
        ending();
}

} // namespace stencilor::ui
