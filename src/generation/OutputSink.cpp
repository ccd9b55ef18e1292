// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/OutputSink.h"

#include "generation/ArchiveSink.h"
#include "generation/FolderSink.h"
#include "generation/WriterPool.h"
#include "platform/Messages.h"

#include <algorithm>
#include <filesystem>

namespace stencilor {

std::unique_ptr<OutputSink> OutputSink::forRun(const RunOptions& options)
{
    if (!options.archivePath.empty())
        return std::make_unique<ArchiveSink>(options);
    return std::make_unique<FolderSink>(options);
}

OutputSink::~OutputSink() = default;

bool OutputSink::takesJobs(unsigned)
{
    return false;
}

bool OutputSink::canHandOver(const RecordPlan&)
{
    return false;
}

WriteJob OutputSink::handOver(const RecordPlan&, RecordPlanner&)
{
    return {};
}

TreeWriteResult OutputSink::writeJob(unsigned, const WriteJob&)
{
    return {Refusal::None, EINVAL};
}

RecordResult OutputSink::complete(WriteJob&)
{
    return {};
}

Status OutputSink::finish()
{
    return {};
}

std::optional<Error> OutputSink::replacesInput(const std::string& path, const RunInputPaths& paths)
{
    if (path.empty() || path == "-")
        return std::nullopt;
    const std::optional<FileIdentity> target = fileIdentityOf(path);
    if (!target)
        return std::nullopt;
    for (const std::string* input : {&paths.dataFile, &paths.templateFile, &paths.project}) {
        if (*input == kStandardInput)
            continue;
        if (const std::optional<FileIdentity> identity = fileIdentityOf(*input); identity && *identity == *target)
            return Error(ErrorKind::ReplacesInput, absolutePath(path));
    }
    return std::nullopt;
}

namespace {

// The path as the system would reach it: absolute, "." and ".." taken out, links followed as far
// as they exist.
std::filesystem::path reachedPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path reached = std::filesystem::weakly_canonical(absolutePath(path), error);
    return error ? std::filesystem::path(absolutePath(path)).lexically_normal() : reached;
}

// True when writing `a` and `b` would write one file.
bool samePlace(const std::string& a, const std::string& b)
{
    const std::optional<FileIdentity> first = fileIdentityOf(a);
    const std::optional<FileIdentity> second = fileIdentityOf(b);
    if (first && second)
        return *first == *second;
    return reachedPath(a) == reachedPath(b);
}

} // namespace

std::optional<Error> runOutputsProblem(const RunOptions& options, const RunInputPaths& paths, bool report)
{
    const std::string& manifest = options.manifestPath;
    const std::string& archive = options.archivePath;
    for (const std::string* output : {&archive, &manifest})
        if (std::optional<Error> replaces = OutputSink::replacesInput(*output, paths))
            return replaces;
    if (manifest.empty())
        return std::nullopt;
    const bool toArchive = !archive.empty();
    if ((toArchive && archive != "-" && samePlace(manifest, archive)) ||
        (!toArchive && report && !paths.outputFolder.empty() &&
         samePlace(manifest, withTrailingSlash(paths.outputFolder) + std::string(kReportFileName))))
        return Error(ErrorKind::OutputTwice, absolutePath(manifest));
    return std::nullopt;
}

std::string nameInFolder(const std::string& path, const std::string& folder)
{
    if (path.empty() || path == "-" || folder.empty())
        return {};
    const std::filesystem::path relative = reachedPath(path).lexically_relative(reachedPath(folder));
    if (relative.empty() || *relative.begin() == ".." || relative == ".")
        return {};
    return relative.generic_string();
}

void OutputSink::startReport(std::string_view reportFld)
{
    m_reportOn = true;
    m_report.start(reportFld);
}

Status OutputSink::openManifest()
{
    if (m_options.manifestPath.empty())
        return {};
    if (Status opened = m_manifest.open(m_options.manifestPath); !opened) {
        if (opened.error().kind == ErrorKind::ManifestInUse)
            return Error(ErrorKind::ManifestInUse, absolutePath(m_options.manifestPath));
        return systemError(ErrorKind::CreateOutput, absolutePath(m_options.manifestPath), opened.error().code);
    }
    // A record named like the manifest (in the output folder, by any name) would overwrite it.
    if (const std::optional<FileIdentity> identity = m_manifest.identity())
        protect(*identity);
    return {};
}

Status OutputSink::startManifest(const ManifestJob& job)
{
    if (!m_manifest.isOpen())
        return {};
    if (Status started = m_manifest.start(job); !started)
        return systemError(ErrorKind::CreateOutput, absolutePath(m_options.manifestPath), started.error().code);
    return {};
}

Status OutputSink::note(const RecordNote& note)
{
    const bool written = note.result.written();
    if (!m_manifest.isOpen() && !(written && note.reportRow && m_reportOn))
        return {};
    if (written && note.reportRow && m_reportOn) {
        if (note.values)
            m_report.addRowValues(note.reportFld, *note.values, note.name);
        else
            m_report.addRow(note.reportFld, *note.fields, note.name);
        if (m_report.text().size() >= kReportBlock)
            flushReport();
    }
    if (!m_manifest.isOpen())
        return {};
    ManifestRecord line;
    line.record = note.number;
    line.line = note.firstLine;
    line.name = note.name;
    if (written) {
        line.bytes = note.bytes;
        if (note.reportRow) {
            line.reportRow = true;
            line.values = note.values ? *note.values : reportValues(note.reportFld, *note.fields);
        }
    } else if (note.result.error) {
        line.status = ManifestRecord::Status::Error;
        line.reason = errorText(*note.result.error);
    } else {
        line.status = ManifestRecord::Status::Skipped;
        line.reason = manifestReason(note.result.refusal);
    }
    if (Status added = m_manifest.add(line); !added)
        return added;
    m_nextNoted = note.number + 1;
    return {};
}

void OutputSink::flushReport()
{
    if (m_reportCode == 0)
        m_reportCode = keepReportBlock(m_report.text());
    m_report.clear();
}

OutputSink::ReportEnd OutputSink::finishReport(const RunInputPaths& paths)
{
    if (!m_reportOn)
        return {};
    m_report.finish();
    return placeReport(paths);
}

Status OutputSink::finishManifest(std::uint64_t first, std::uint64_t total, bool complete)
{
    if (!m_manifest.isOpen())
        return {};
    // The closing line says which records the manifest holds and whether the part is whole.
    const std::uint64_t next = std::max(m_nextNoted, first);
    return m_manifest.finish(first, next, complete, complete && next == total + 1);
}

} // namespace stencilor
