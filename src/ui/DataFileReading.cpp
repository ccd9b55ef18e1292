// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataFileReading.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <sys/stat.h>

namespace stencilor::ui {

namespace {

// How long start() waits for a pass, so that a small file's findings are there at once (as the
// data preview reads its first screen), and when the progress of a longer one is first shown.
constexpr auto kWaitAtOnce = std::chrono::milliseconds(100);
constexpr std::int64_t kQuietMilliseconds = 500;
constexpr int kProgressInterval = 100;

std::int64_t nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

DataFileReading::DataFileReading(QObject* parent)
    : QObject(parent)
    , m_progressTimer(new QTimer(this))
{
    m_progressTimer->setInterval(kProgressInterval);
    connect(m_progressTimer, &QTimer::timeout, this, &DataFileReading::tellProgress);
}

DataFileReading::~DataFileReading()
{
    stopWorker();
}

void DataFileReading::stopWorker()
{
    m_progressTimer->stop();
    if (!m_worker.joinable())
        return;
    m_stop = true;
    m_worker.join();
}

void DataFileReading::start(const std::string& path, const DataFormat& format)
{
    stopWorker();
    ++m_generation;
    m_stop = false;
    m_bytesRead = 0;
    m_size = 0;
    m_done = false;
    m_startedAt = nowMilliseconds();
    m_worker = std::thread([this, path, format, generation = m_generation] {
        struct stat info {};
        if (path != "-" && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            m_size = static_cast<std::uint64_t>(info.st_size);
        DataFilePass pass;
        pass.progress = [this](std::uint64_t read) { m_bytesRead.store(read, std::memory_order_relaxed); };
        pass.stop = &m_stop;
        DataFileFindings found = examineDataFile(path, format, pass);
        {
            const std::lock_guard lock(m_mutex);
            m_result = std::move(found);
            m_done = true;
        }
        m_doneChanged.notify_all();
        QMetaObject::invokeMethod(
            this, [this, generation] { passEnded(generation); }, Qt::QueuedConnection);
    });
    bool done = false;
    {
        std::unique_lock lock(m_mutex);
        done = m_doneChanged.wait_for(lock, kWaitAtOnce, [this] { return m_done; });
    }
    if (done)
        passEnded(m_generation);
    else
        m_progressTimer->start();
}

void DataFileReading::passEnded(unsigned generation)
{
    // A replaced pass, or one already ended by start(), sends its end for nothing.
    if (generation != m_generation || !m_worker.joinable())
        return;
    m_worker.join();
    m_progressTimer->stop();
    {
        const std::lock_guard lock(m_mutex);
        m_findings = std::move(m_result);
        m_result = {};
    }
    emit finished(m_findings.stopped);
}

void DataFileReading::cancel()
{
    if (running())
        m_stop = true;
}

void DataFileReading::wait()
{
    // A pass that a newer one replaces meanwhile is followed by that one.
    while (running()) {
        QEventLoop loop;
        connect(this, &DataFileReading::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void DataFileReading::tellProgress()
{
    if (nowMilliseconds() - m_startedAt < kQuietMilliseconds)
        return;
    emit progress(static_cast<qulonglong>(m_bytesRead.load(std::memory_order_relaxed)),
                  static_cast<qulonglong>(m_size.load(std::memory_order_relaxed)));
}

} // namespace stencilor::ui
