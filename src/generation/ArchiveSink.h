// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A tar archive as a sink: each record's file added to the archive as it comes (one after the
// other, on the run's thread: an archive is one stream), the report kept aside in an anonymous
// temporary file and added as report.html at the end. An archive that cannot be written whole is
// removed (standard output cannot be).

#include "generation/OutputSink.h"
#include "platform/ArchiveWriter.h"
#include "platform/FileDescriptor.h"

#include <string>

namespace stencilor {

class ArchiveSink final : public OutputSink {
public:
    explicit ArchiveSink(RunOptions options);

    Status start(const RunInputPaths& paths) override;
    std::string place() const override;
    void protect(const FileIdentity&) override {}
    RecordResult write(const RecordPlan& plan) override;
    Status finish() override;

private:
    int keepReportBlock(std::string_view block) override;
    ReportEnd placeReport(const RunInputPaths& paths) override;
    // The error of a failed write of the archive (with the errno `code`).
    Error failed(int code) const;

    ArchiveWriter m_archive;
    bool m_failed = false;       // the archive could not be written: what it holds is not a whole archive
    bool m_reportFailed = false; // the report could not be added
    FileDescriptor m_aside;      // the report's lines until the end
    std::uint64_t m_asideBytes = 0;
};

} // namespace stencilor
