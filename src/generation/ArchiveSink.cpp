// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ArchiveSink.h"

#include "platform/Messages.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace stencilor {

namespace {

// An anonymous temporary file in $TMPDIR (or /tmp), gone when it is closed; none with errno set
// when it cannot be made.
FileDescriptor anonymousFile()
{
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable && *variable ? variable : "/tmp";
    FileDescriptor file(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (file.valid() || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return file;
    // A file system without anonymous files: a named one, unlinked at once.
    std::string name = folder + "/stencilor-report-XXXXXX";
    file.reset(::mkostemp(name.data(), O_CLOEXEC));
    if (file.valid())
        ::unlink(name.c_str());
    return file;
}

} // namespace

ArchiveSink::ArchiveSink(RunOptions options)
    : OutputSink(std::move(options))
{
}

std::string ArchiveSink::place() const
{
    return m_options.archivePath == "-" ? std::string("standard output") : absolutePath(m_options.archivePath);
}

Error ArchiveSink::failed(int code) const
{
    return systemError(ErrorKind::CreateOutput, place(), code);
}

Status ArchiveSink::start(const RunInputPaths&)
{
    if (Status opened = m_archive.open(m_options.archivePath, m_options.archiveFormat); !opened)
        return failed(opened.error().code);
    return {};
}

RecordResult ArchiveSink::write(const RecordPlan& plan)
{
    // While the report is on, its name is the report's.
    if (reportStarted() && plan.name.relativeName == kReportFileName)
        return {Refusal::OwnInput, std::nullopt};
    if (Status added = m_archive.add(plan.name.relativeName, plan.text); !added) {
        m_failed = true;
        return {Refusal::None, failed(added.error().code)};
    }
    return {};
}

int ArchiveSink::keepReportBlock(std::string_view block)
{
    if (!m_aside.valid()) {
        m_aside = anonymousFile();
        if (!m_aside.valid())
            return errno;
    }
    if (const int code = writeAll(m_aside.get(), block); code != 0)
        return code;
    m_asideBytes += block.size();
    return 0;
}

OutputSink::ReportEnd ArchiveSink::placeReport(const RunInputPaths&)
{
    ReportEnd end;
    // An archive that failed is no archive: nothing more goes into it.
    if (m_failed)
        return end;
    flushReport();
    Status added = reportCode() == 0 ? Status() : Status(Error(ErrorKind::WriteFile, {}, reportCode()));
    if (added)
        added = m_archive.add(kReportFileName, m_aside.get(), m_asideBytes);
    if (!added) {
        m_reportFailed = true;
        end.outcome = ReportEnd::Outcome::Failed;
        end.error = failed(added.error().code);
        return end;
    }
    end.outcome = ReportEnd::Outcome::Written;
    return end;
}

Status ArchiveSink::finish()
{
    // An archive that could not be written whole is removed (standard output cannot be).
    if (m_failed || m_reportFailed) {
        m_archive.discard();
        return {};
    }
    if (Status closed = m_archive.close(); !closed)
        return failed(closed.error().code);
    return {};
}

} // namespace stencilor
