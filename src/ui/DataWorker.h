// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Work on the data in a thread of its own, so that the window answers while a large data file is
// read: one piece at a time (a newer one replaces an older one, which is stopped and joined
// first), a stop request the work polls, a tick a few times a second while it runs for its owner
// to show how far it has come, and the work's ending handed back to the GUI thread.

#include "generation/RunInputs.h"

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class QTimer;

namespace stencilor::ui {

// How far a piece of work has come through the data, written by its thread and read by the GUI's.
struct PassProgress {
    std::atomic<std::uint64_t> counted{0}; // records counted by the first pass
    std::atomic<std::uint64_t> offset{0};  // where the last one counted begins, of `size`
    std::atomic<std::uint64_t> size{0};
    std::atomic<std::uint64_t> read{0};  // records read by the pass after it
    std::atomic<std::uint64_t> total{0}; // of this many; 0 until that pass has begun

    // A watch that writes the passes' progress here and polls `stop`.
    PassWatch watch(const std::atomic<bool>& stop);
    // The percentage of the pass in progress.
    int percent() const;
};

class DataWorker final : public QObject {
    Q_OBJECT
public:
    // What the work hands back: run on the GUI thread once the work has ended.
    using Ending = std::function<void()>;
    // The work, run in the worker's thread; it polls `stop` and ends soon once it is set.
    using Work = std::function<Ending(const std::atomic<bool>& stop)>;

    explicit DataWorker(QObject* parent = nullptr);
    // Stops the work in progress and waits for its thread; its ending is dropped.
    ~DataWorker() override;

    // Stops and joins the work in progress (its ending is dropped), then starts `work`. Work that
    // ends within `atOnce` has its ending run before start() returns, so that a small data file
    // shows its result without a flash of progress.
    void start(Work work, std::chrono::milliseconds atOnce);
    // Asks the work in progress to stop; its ending follows on the GUI thread.
    void stop();
    // Stops the work in progress and waits for its thread; its ending is dropped.
    void stopAndJoin();
    // Whether work is in progress (its ending has not run yet).
    bool running() const { return m_thread.joinable(); }

signals:
    // About ten times a second while work is in progress.
    void tick();

private:
    // Runs the ending of the work of `generation`, unless a newer one has replaced it or it has run.
    void deliver(unsigned generation);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_endedSignal;
    Ending m_ending;      // the ending of the work that has ended, until it runs
    bool m_ended = false; // the work in progress has ended
    unsigned m_generation = 0;
    QTimer* m_ticks = nullptr;
};

} // namespace stencilor::ui
