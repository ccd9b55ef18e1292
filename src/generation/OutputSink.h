// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a run's files go: an output folder, a tar archive, or (for the check before writing) a
// probe that creates nothing. A sink owns everything it writes: the records' files, the report
// and the manifest lines; the run hands it the records' plans in order and counts what became of
// them.

#include "generation/ContentReport.h"
#include "generation/Manifest.h"
#include "generation/RecordPlan.h"
#include "generation/RecordRange.h"
#include "generation/RunInputs.h"
#include "platform/ArchiveWriter.h"
#include "platform/OutputTree.h"
#include "platform/Refusal.h"
#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

struct WriteJob;

// What the command line adds to a run when a job is split among machines or kept out of folders.
struct RunOptions {
    // The part of the job this run takes (--shard K/N): the records whose first byte lies in the
    // part's span of the data file, with their numbers in the whole file. A part of a job shares
    // the output folder with the other parts and writes no report.html; its manifest holds the
    // report's rows for --merge-report.
    ShardSpec shard;
    // Where a JSON Lines manifest of the records goes as the run takes them (empty: none).
    std::string manifestPath;
    // Where a tar archive of the files and the report goes instead of the output folder
    // ("-": standard output; empty: the output folder). The files are written on the run's
    // own thread, whatever the jobs.
    std::string archivePath;
    ArchiveFormat archiveFormat = ArchiveFormat::Tar;
    // What the parts of one job share, one line, set by the run once it has read its inputs: the
    // parts of one job may share an output folder, those of different jobs may not.
    std::string job = {};
};

// What became of one record: its file written, refused (why), or an error that ends the run.
struct RecordResult {
    Refusal refusal = Refusal::None;
    std::optional<Error> error;

    bool written() const { return refusal == Refusal::None && !error; }
};

// What a sink notes of a record once it has gone through, in record order: the report row of a
// file written, and the record's manifest line.
struct RecordNote {
    std::uint64_t number = 0;
    std::uint64_t firstLine = 0;
    RecordResult result;
    std::string_view name; // the output name, relative to the output folder (empty: none)
    std::uint64_t bytes = 0;
    bool reportRow = false; // the report was on for the record
    std::string_view reportFld;
    const RecordFields* fields = nullptr;             // the record's fields, or
    const std::vector<std::string>* values = nullptr; // its report values, taken before its fields were gone
};

// Why the outputs `options` name cannot be written for the run at `paths`, checked before anything
// is written: an archive or manifest that would replace an input, or a manifest that is the
// archive or (`report`: the run puts report.html into the output folder) the report. The run would
// destroy its own output in each case.
std::optional<Error> runOutputsProblem(const RunOptions& options, const RunInputPaths& paths, bool report);

// The name of `path` relative to `folder` when it lies inside it, links on the way followed as
// far as they exist (empty otherwise).
std::string nameInFolder(const std::string& path, const std::string& folder);

class OutputSink {
public:
    // The sink of a run with `options`: a tar archive when they name one, else the output folder.
    static std::unique_ptr<OutputSink> forRun(const RunOptions& options);
    virtual ~OutputSink();
    // The error when writing `path` would replace an input of the run at `paths`.
    static std::optional<Error> replacesInput(const std::string& path, const RunInputPaths& paths);

    // Gets ready before the run starts, for the inputs at `paths`: neither the archive nor the
    // manifest may replace an input; the archive is created, or the output folder made and
    // locked. The run does not start when this fails.
    virtual Status start(const RunInputPaths& paths) = 0;
    // Where the files go, as the summary names it.
    virtual std::string place() const = 0;
    // A file that no record may replace.
    virtual void protect(const FileIdentity& identity) = 0;
    // Puts the file of `plan` (rendered, with a name) in place, on the run's thread.
    virtual RecordResult write(const RecordPlan& plan) = 0;

    // The files of several records may be written at once by writer threads (`writers` of them).
    virtual bool takesJobs(unsigned writers);
    // True when the file of `plan` can go to a writer thread; else write() writes it.
    virtual bool canHandOver(const RecordPlan& plan);
    // The file of `plan` as a job for a writer; its text comes from `planner`.
    virtual WriteJob handOver(const RecordPlan& plan, RecordPlanner& planner);
    // Writes `job` on writer thread `writer` (one thread per number).
    virtual TreeWriteResult writeJob(unsigned writer, const WriteJob& job);
    // What became of a job a writer took, on the run's thread.
    virtual RecordResult complete(WriteJob& job);

    // Starts the report: its rows are noted for the files written (a part of a sharded job
    // keeps them in its manifest instead).
    void startReport(std::string_view reportFld);
    // Opens and locks the manifest, which no record may replace from then on; fails with the
    // error of creating it (ErrorKind::CreateOutput) or ManifestInUse, before the first record:
    // a second copy of a part is refused before it empties the first one's manifest.
    Status openManifest();
    // Writes the manifest's job line; fails with the error of writing it.
    Status startManifest(const ManifestJob& job);
    bool hasManifest() const { return m_manifest.isOpen(); }
    // Notes a record that has gone through; fails when the manifest cannot be written.
    Status note(const RecordNote& note);
    // How the report ended.
    struct ReportEnd {
        enum class Outcome { None, Written, Failed } outcome = Outcome::None;
        std::string openPath;       // written into a folder: the report's path, to open
        std::optional<Error> error; // Failed: why
    };
    // Ends the report started: puts it in place, into the output folder `paths` name now.
    ReportEnd finishReport(const RunInputPaths& paths);
    bool reportStarted() const { return m_reportOn; }
    // Ends the files: an archive is closed, or removed when it cannot be whole.
    virtual Status finish();
    // Ends the manifest with its closing line: the part's records were [first, ...), `complete`
    // when the run went through all of them, `total` the records of the data.
    Status finishManifest(std::uint64_t first, std::uint64_t total, bool complete);

protected:
    explicit OutputSink(RunOptions options)
        : m_options(std::move(options))
    {
    }
    // Appends a block of the report's lines where the report is kept until it is put in place;
    // 0, or the errno that ended it.
    virtual int keepReportBlock(std::string_view block) = 0;
    // Puts the report in place (into the output folder at `paths`), flushing its last lines
    // first; the report's end.
    virtual ReportEnd placeReport(const RunInputPaths& paths) = 0;
    // Hands the report's lines made so far to keepReportBlock (unless it failed before).
    void flushReport();
    // The errno that ended keeping the report (0: none).
    int reportCode() const { return m_reportCode; }

    RunOptions m_options;

private:
    bool m_reportOn = false;
    ContentReport m_report;
    int m_reportCode = 0; // the first error in keeping the report
    ManifestWriter m_manifest;
    std::uint64_t m_nextNoted = 0; // the record after the last one the manifest holds
};

} // namespace stencilor
