// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataFileReading.h"

#include "ui/DataWorker.h"

#include <QEventLoop>
#include <chrono>
#include <memory>
#include <sys/stat.h>

namespace stencilor::ui {

namespace {

// How long start() waits for a pass, so that a small file's findings are there at once (as the
// data preview reads its first screen), and when the progress of a longer one is first shown.
constexpr auto kWaitAtOnce = std::chrono::milliseconds(100);
constexpr std::int64_t kQuietMilliseconds = 500;

std::int64_t nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

DataFileReading::DataFileReading(QObject* parent)
    : QObject(parent)
    , m_worker(new DataWorker(this))
{
    connect(m_worker, &DataWorker::tick, this, &DataFileReading::tellProgress);
}

DataFileReading::~DataFileReading()
{
    // The pass writes m_bytesRead: it ends before the members go.
    m_worker->stopAndJoin();
}

bool DataFileReading::running() const
{
    return m_worker->running();
}

void DataFileReading::start(const std::string& path, const DataFormat& format)
{
    m_worker->stopAndJoin();
    struct stat info {};
    m_size = path != "-" && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
                 ? static_cast<std::uint64_t>(info.st_size)
                 : 0;
    m_bytesRead = 0;
    m_startedAt = nowMilliseconds();
    m_worker->start(
        [this, path, format](const std::atomic<bool>& stop) -> DataWorker::Ending {
            DataFilePass pass;
            pass.progress = [this](std::uint64_t read) { m_bytesRead.store(read, std::memory_order_relaxed); };
            pass.stop = &stop;
            auto found = std::make_shared<DataFileFindings>(examineDataFile(path, format, pass));
            return [this, found] {
                m_findings = std::move(*found);
                emit finished(m_findings.stopped);
            };
        },
        kWaitAtOnce);
}

void DataFileReading::cancel()
{
    m_worker->stop();
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
                  static_cast<qulonglong>(m_size));
}

} // namespace stencilor::ui
