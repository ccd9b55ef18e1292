// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's data source check: one pass over the data file (examineDataFile) in a thread of its
// own, so that the window answers while a large file is read. A pass that ends within a tenth of a
// second has ended when start() returns; a longer one tells its progress from half a second on,
// can be cancelled, and is replaced by a newer one.

#include "datasource/DataFilePass.h"

#include <QObject>
#include <atomic>
#include <cstdint>
#include <string>

namespace stencilor::ui {

class DataWorker;

class DataFileReading final : public QObject {
    Q_OBJECT
public:
    explicit DataFileReading(QObject* parent = nullptr);
    ~DataFileReading() override;

    // Starts the pass over the data file at `path` read as `format`, replacing a pass that runs
    // (which then ends without finished()).
    void start(const std::string& path, const DataFormat& format);
    // Whether a pass runs.
    bool running() const;
    // Asks the running pass to stop: finished(true) follows within a block read.
    void cancel();
    // Waits until no pass runs, with the application's events processed meanwhile.
    void wait();
    // The findings of the pass that ended last.
    const DataFileFindings& findings() const { return m_findings; }

signals:
    // From half a second into a pass, about ten times a second: the bytes read and the file's size.
    void progress(qulonglong bytesRead, qulonglong size);
    // A pass has ended: through the whole file, or cancelled (`stopped`).
    void finished(bool stopped);

private:
    void tellProgress();

    DataWorker* m_worker;
    std::atomic<std::uint64_t> m_bytesRead{0}; // written by the pass's thread
    std::uint64_t m_size = 0;
    DataFileFindings m_findings;  // those of the pass that ended last
    std::int64_t m_startedAt = 0; // when the running pass started, in ms of a steady clock
};

} // namespace stencilor::ui
