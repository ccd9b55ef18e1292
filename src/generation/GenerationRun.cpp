// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/GenerationRun.h"

#include "datasource/workbook/Workbook.h"
#include "generation/NamesInHand.h"
#include "generation/OutputSink.h"
#include "generation/RecordPlan.h"
#include "generation/RunInputs.h"
#include "generation/WriterPool.h"
#include "platform/ContentHash.h"
#include "platform/FileSystem.h"

#include <deque>
#include <memory>
#include <numeric>
#include <optional>

namespace stencilor {

namespace {

// With several writers: the records in their hands per writer, and the most text those may
// hold together; enough to keep every writer busy, and bounded whatever the data.
constexpr std::size_t kRecordsInHandPerWriter = 16;
constexpr std::size_t kTextInHand = std::size_t{64} << 20;
// With several writers: the jobs waiting per writer thread beyond which the run's thread writes
// one itself.
constexpr std::size_t kQueuedPerWriter = 8;

// What became of a record that no output took: its refusal, or the error that ended its plan.
RecordResult resultOf(const RecordPlan& plan)
{
    return {plan.error ? Refusal::None : plan.refusal, plan.error};
}

// The name a record's manifest line gives it: its output name, unless it got none or failed.
std::string_view notedName(const RecordPlan& plan, const RecordResult& result)
{
    if (result.error || plan.refusal != Refusal::None)
        return {};
    return plan.name.relativeName;
}

// The note of a record planned here, once `result` became of it.
RecordNote noteOf(const RecordPlan& plan, RecordResult result)
{
    RecordNote note;
    note.number = plan.number;
    note.firstLine = plan.firstLine;
    note.name = notedName(plan, result);
    note.result = std::move(result);
    note.bytes = plan.text.size();
    note.reportRow = plan.reportRow;
    note.reportFld = plan.reportFld;
    note.fields = &plan.fields;
    return note;
}

// The run's records: read from the data file, planned, handed to the sink, and what became of each
// noted by the sink and counted in the summary, in record order.
class RecordLoop final {
public:
    RecordLoop(RunHost& host, OutputSink& sink, RunSummary& summary, std::size_t recordLimit)
        : m_host(host)
        , m_sink(sink)
        , m_summary(summary)
        , m_planner(recordLimit)
    {
    }

    // Reads the data file `data`, whose records were counted into `counted` for the part `shard`
    // of the job, and takes those through the steps while `running` holds, their files written by
    // `jobs` writers; false when an error ended the run (its error in the summary).
    bool run(RunRecords& data, const RecordCount& counted, ShardSpec shard, unsigned jobs, const bool& running);

    // The records the run took on, as counted before the first: their numbers first to first +
    // taken - 1, of `total` in the data file.
    const RecordCount& span() const { return m_span; }

    // Notes what became of a record in the sink and counts it; false, with its error in the
    // summary, when it ended the run.
    bool settle(const RecordNote& note);

    RecordPlanner& planner() { return m_planner; }
    OutputSink& sink() { return m_sink; }

private:
    // The job line of the manifest: the part `shard` of the job whose data is `data`. Fails with
    // the error of reading the template.
    Result<ManifestJob> manifestJob(const RunRecords& data, const RunInputPaths& paths, ShardSpec shard);
    // Reads the next record; false, with the error in the summary, when the data file could not
    // be read or ended before the records counted.
    bool read(RunRecords& data, DataRecord& record, const std::string& dataFile);

    RunHost& m_host;
    OutputSink& m_sink;
    RunSummary& m_summary;
    RecordPlanner m_planner;
    RecordCount m_span;
};

// What the parts of one job share, as one line: the number of parts, the bytes of the project
// file, the data as counted (its size, time and bytes) and the template's path.
std::string runJob(const RunInputPaths& paths, const RunRecords& data, ShardSpec shard)
{
    std::string project;
    if (!readWholeFileInto(paths.project, project))
        project = absolutePath(paths.project);
    const std::string modified = data.modified() ? manifestTime(*data.modified()) : std::string();
    return ContentHash::of(std::to_string(shard.parts) + "\n" + ContentHash::of(project) + "\n" +
                           std::to_string(data.size()) + " " + modified + " " + data.contentHash() + "\n" +
                           absolutePath(paths.templateFile));
}

// The records of a run with several writers: planned in order on the run's thread, their files
// handed to the writers, and what became of each settled in record order as the outcomes come
// back, so that the summary, the report and the manifest are those of one writer.
class PooledRecords final {
public:
    // `jobs` threads write: the run's own thread (which writes when the others fall behind) and
    // jobs - 1 writer threads.
    PooledRecords(RecordLoop& loop, unsigned jobs)
        : m_loop(loop)
        , m_capacity(jobs * kRecordsInHandPerWriter)
        , m_pool(jobs - 1, m_capacity,
                 [this](unsigned writer, const WriteJob& job) { return m_loop.sink().writeJob(writer, job); })
    {
    }

    // False when no writer could be started.
    bool started() const { return m_pool.workers() > 0; }

    // Takes the record planned in `plan` on to the sink, settling what came back meanwhile;
    // false once an error has ended the run (this record's or an earlier one's).
    bool add(RecordPlan& plan);

    // Waits for the records in hand and settles them; false when an error ended the run.
    bool finish()
    {
        settleAll();
        return !m_failed;
    }

private:
    // A record planned, not yet settled: a file in a writer's hands, or what became of it.
    struct Pending {
        bool inHand = false;
        RecordResult result;
        std::uint64_t number = 0, firstLine = 0;
        std::string name; // its manifest name, when not in hand
        std::string key;
        std::size_t bytes = 0;
    };

    void settleAll()
    {
        while (!m_pending.empty())
            settleOne(true);
    }
    // Settles the records in hand whose files are written, in order, up to the first that is not.
    void settleReady()
    {
        while (!m_pending.empty() && settleOne(false)) {
        }
    }
    bool settleOne(bool wait);

    RecordLoop& m_loop;
    std::size_t m_capacity; // records in the writers' hands at most
    WriterPool m_pool;
    std::deque<Pending> m_pending;
    NamesInHand m_names;
    std::size_t m_bytesInHand = 0;
    bool m_failed = false;
};

bool PooledRecords::add(RecordPlan& plan)
{
    if (m_failed)
        return false;
    OutputSink& sink = m_loop.sink();
    if (plan.getsFile() && !sink.canHandOver(plan)) {
        // No writer can take it: written (or passed over) here once the records before it are.
        settleAll();
        if (!m_failed && !m_loop.settle(noteOf(plan, sink.write(plan))))
            m_failed = true;
        return !m_failed;
    }
    Pending pending;
    pending.number = plan.number;
    pending.firstLine = plan.firstLine;
    if (plan.getsFile()) {
        WriteJob job = sink.handOver(plan, m_loop.planner());
        pending.inHand = true;
        pending.key = NamesInHand::keyOf(job.tree->folder(), job.relativeName);
        pending.bytes = job.text.size();
        if (m_pool.full()) {
            // Waiting until half of them are written lets the writers go on without waking this
            // thread for every file.
            m_pool.waitWritten(m_capacity / 2);
            settleReady();
        }
        while (!m_pending.empty() &&
               (m_names.touches(pending.key) || m_pool.full() || m_bytesInHand + pending.bytes > kTextInHand))
            settleOne(true);
        if (m_failed)
            return false;
        m_names.add(pending.key);
        m_bytesInHand += pending.bytes;
        m_pool.submit(std::move(job));
        m_pending.push_back(std::move(pending));
        // This thread writes as well once the writers have a few jobs waiting: they seldom wait
        // for work, and no thread waits for a core.
        while (m_pool.queued() > kQueuedPerWriter * m_pool.workers() && m_pool.writeOne()) {
        }
    } else {
        pending.result = resultOf(plan);
        pending.name = notedName(plan, pending.result);
        m_pending.push_back(std::move(pending));
    }
    // Records passed over wait behind the files before them, but not without bound.
    while (m_pending.size() > 2 * m_capacity)
        settleOne(true);
    settleReady();
    return !m_failed;
}

bool PooledRecords::settleOne(bool wait)
{
    Pending& pending = m_pending.front();
    if (pending.inHand) {
        WriteJob job;
        if (!m_pool.take(job, wait))
            return false;
        // After an error the records still in hand are finished and not counted.
        if (!m_failed) {
            RecordNote note;
            note.number = job.record;
            note.firstLine = job.firstLine;
            note.result = m_loop.sink().complete(job);
            note.name = note.result.error ? std::string_view() : std::string_view(job.relativeName);
            note.bytes = job.text.size();
            note.reportRow = job.reportRow;
            note.reportFld = job.reportFld;
            note.values = &job.values;
            if (!m_loop.settle(note))
                m_failed = true;
        }
        m_loop.planner().reuse(std::move(job.text));
        m_names.remove(pending.key);
        m_bytesInHand -= pending.bytes;
    } else if (!m_failed) {
        RecordNote note;
        note.number = pending.number;
        note.firstLine = pending.firstLine;
        note.result = pending.result;
        note.name = pending.name;
        if (!m_loop.settle(note))
            m_failed = true;
    }
    m_pending.pop_front();
    return true;
}

bool RecordLoop::settle(const RecordNote& note)
{
    if (Status noted = m_sink.note(note); !noted) {
        m_summary.error = noted.error();
        return false;
    }
    if (note.result.error) {
        m_summary.error = note.result.error;
        return false;
    }
    if (note.result.written())
        ++m_summary.filesWritten;
    else
        ++m_summary.skipped[static_cast<std::size_t>(note.result.refusal)];
    ++m_summary.recordsProcessed;
    return true;
}

bool RecordLoop::read(RunRecords& data, DataRecord& record, const std::string& dataFile)
{
    const Result<bool> got = data.next(record);
    if (!got)
        m_summary.error = got.error();
    else if (!got.value())
        m_summary.error = Error(ErrorKind::DataChanged, absolutePath(dataFile), 0, {record.number});
    return got && got.value();
}

Result<ManifestJob> RecordLoop::manifestJob(const RunRecords& data, const RunInputPaths& paths, ShardSpec shard)
{
    const ProjectSettings& s = m_host.currentSettings();
    // The parts of one job agree on the project's name and the data's size wherever they run,
    // and on what the output is made from: the bytes of the data, the template and the project.
    ManifestJob job;
    job.part = shard.part;
    job.parts = shard.parts;
    job.project = paths.project.substr(paths.project.find_last_of('/') + 1);
    job.dataBytes = data.size();
    job.report = s.report;
    job.reportFld = s.report ? s.report_fld : std::string();
    if (data.modified())
        job.dataModified = manifestTime(*data.modified());
    job.dataHash = data.contentHash();
    Result<std::string> templateHash = m_planner.templateHash();
    if (!templateHash)
        return templateHash.error();
    job.templateHash = templateHash.value();
    // The template was read just now: it is one of the run's inputs from here on.
    m_sink.protect(m_planner.templateIdentity());
    // A project never saved has no file; the project is read again here, which costs little.
    std::string project;
    if (readWholeFileInto(paths.project, project))
        job.projectHash = ContentHash::of(project);
    return job;
}

bool RecordLoop::run(RunRecords& data, const RecordCount& counted, ShardSpec shard, unsigned jobs, const bool& running)
{
    // The data's form is taken once, at the start: the records are cut by it throughout the run.
    const ProjectSettings& s = m_host.currentSettings();
    const RunInputPaths paths = resolveRunInputs(s, m_host.place());
    if (data.identity())
        m_sink.protect(*data.identity());
    m_span = counted;
    m_summary.recordCount = m_span.taken;
    m_summary.firstRecord = m_span.taken > 0 ? m_span.first : 0;
    m_summary.part = shard;
    bool planned = false;
    if (m_sink.hasManifest()) {
        m_planner.use(s, paths, data.sheetForm());
        planned = true;
        Result<ManifestJob> job = manifestJob(data, paths, shard);
        if (!job) {
            m_summary.error = job.error();
            return false;
        }
        if (Status started = m_sink.startManifest(job.value()); !started) {
            m_summary.error = started.error();
            return false;
        }
    }
    m_host.progress(0, m_summary.recordCount);
    // From here on the records are taken by their numbers, as counted.
    m_planner.select(RecordSelection{RecordRange{m_span.first, m_span.first + m_span.taken - 1}, {}, 0});
    // A sheet's rows before those taken are passed over unread (a part of a sharded job).
    if (m_span.taken > 0)
        data.skipTo(m_span.first);

    std::optional<PooledRecords> pooled;
    if (jobs > 1) {
        pooled.emplace(*this, jobs);
        if (!pooled->started())
            pooled.reset(); // no thread could be started: the files are written here
    }
    DataRecord record;
    bool readFailed = false;
    for (std::uint64_t taken = 0; taken < m_summary.recordCount && running;) {
        if (!read(data, record, paths.dataFile)) {
            readFailed = true;
            break;
        }
        // The settings are read afresh at every record, so the paths and the rules in use are
        // too, unless the host's settings cannot change.
        if (!planned || !m_host.settingsFixed()) {
            const ProjectSettings& current = m_host.currentSettings();
            m_planner.use(current, resolveRunInputs(current, m_host.place()), data.sheetForm());
            planned = true;
        }
        RecordPlan& plan = m_planner.plan(record, RecordPlanner::Render::Now);
        if (plan.place != RecordSelection::Place::Taken)
            continue;
        ++taken;
        // A template replaced during the run is protected under its new identity as well.
        if (m_planner.templateReread())
            m_sink.protect(m_planner.templateIdentity());
        if (pooled) {
            if (!pooled->add(plan))
                break;
        } else if (!settle(noteOf(plan, plan.getsFile() ? m_sink.write(plan) : resultOf(plan)))) {
            return false;
        }
        m_host.progress(m_summary.recordsProcessed, m_summary.recordCount);
        m_host.processEvents();
    }
    // The records in the writers' hands are finished, also when the run stops.
    const std::optional<Error> readError = m_summary.error;
    if (pooled && !pooled->finish())
        return false;
    if (readFailed)
        m_summary.error = readError;
    return !readFailed;
}

} // namespace

std::uint64_t RunSummary::recordsSkipped() const
{
    return std::accumulate(skipped.begin(), skipped.end(), std::uint64_t{0}) - skippedFor(Refusal::Header);
}

RunSummary GenerationRun::run(RecordRange records)
{
    RunSummary summary;
    // A run in progress is not started a second time.
    if (m_running)
        return summary;
    // The checks before a run, with the run's messages; then the output is made ready (the
    // output folder locked, or the archive started).
    const RunInputPaths paths = resolveRunInputs(m_host.currentSettings(), m_host.place());
    if (const std::optional<Error> problem = runInputsProblem(m_host.currentSettings(), paths)) {
        m_host.showMessage(*problem);
        summary.error = problem;
        return summary;
    }
    const bool reportOn = m_host.currentSettings().report && m_options.shard.isWhole();
    if (std::optional<Error> problem = runOutputsProblem(m_options, paths, reportOn)) {
        m_host.showMessage(*problem);
        summary.error = problem;
        return summary;
    }
    // The data file is opened before the output is touched, so that one that cannot be read (a
    // FIFO, a device) leaves the previous report and the folder as they are. Its form is taken
    // once, here: the records are cut by it throughout the run.
    Result<std::unique_ptr<RunRecords>> data = RunRecords::open(paths.dataFile, m_host.currentSettings());
    if (!data) {
        m_host.showMessage(data.error());
        return summary;
    }
    // A first pass counts the records (and finds those taken), so that a data file that cannot be
    // read to its end (a record longer than the bound) stops the run before anything is written;
    // then they are read again one by one.
    const Result<RecordCount> counted = data.value()->count(RecordSelection{records, m_options.shard, 0});
    if (!counted) {
        m_host.showMessage(counted.error());
        return summary;
    }
    RunOptions options = m_options;
    options.job = runJob(paths, *data.value(), m_options.shard);
    const std::unique_ptr<OutputSink> sink = OutputSink::forRun(options);
    // The manifest is locked before an archive is created, so that a second copy of a part
    // leaves the first one's archive alone; an output folder is made first, as the manifest may
    // lie in it.
    const bool manifestFirst = !m_options.archivePath.empty();
    for (int step = 0; step < 2; ++step) {
        const bool manifestNow = (step == 0) == manifestFirst;
        if (Status ready = manifestNow ? sink->openManifest() : sink->start(paths); !ready) {
            m_host.showMessage(ready.error());
            summary.error = ready.error();
            return summary;
        }
    }
    if (const std::optional<FileIdentity> project = fileIdentityOf(paths.project))
        sink->protect(*project);
    summary.outputFolder = sink->place();

    m_current = &summary;
    m_host.runStateChanged(true);
    // A part of a sharded job writes no report.html: its rows go into its manifest, and
    // --merge-report makes the job's report from the manifests of all parts.
    if (reportOn)
        sink->startReport(m_host.currentSettings().report_fld);
    m_running = true;
    RecordLoop loop(m_host, *sink, summary, m_recordLimit);
    const unsigned jobs = m_jobs > 1 && sink->takesJobs(m_jobs) ? m_jobs : 1;
    bool failed = !loop.run(*data.value(), counted.value(), m_options.shard, jobs, m_running);

    // The end of the run, on every path that started it.
    std::optional<Error> reportError;
    const RunInputPaths end = resolveRunInputs(m_host.currentSettings(), m_host.place());
    const OutputSink::ReportEnd report = sink->finishReport(end);
    if (report.outcome == OutputSink::ReportEnd::Outcome::Written) {
        summary.reportWritten = true;
        if (!report.openPath.empty())
            m_host.openReport(report.openPath, withTrailingSlash(end.outputFolder));
    } else if (report.outcome == OutputSink::ReportEnd::Outcome::Failed) {
        reportError = report.error;
        summary.reportFailed = true;
    }
    if (Status finished = sink->finish(); !finished) {
        // The error that broke the run off comes first.
        if (!failed || !summary.error)
            summary.error = finished.error();
        failed = true;
    }
    const bool complete = !failed && summary.recordsProcessed == summary.recordCount;
    if (Status closed = sink->finishManifest(loop.span().first, loop.span().total, complete); !closed && !failed) {
        summary.error = closed.error();
        failed = true;
    }
    m_running = false;
    m_current = nullptr;
    m_host.runStateChanged(false);

    if (failed) {
        summary.outcome = RunOutcome::Failed;
    } else {
        summary.outcome = complete ? RunOutcome::Completed : RunOutcome::Stopped;
        m_host.progress(0, summary.recordCount);
    }
    if (reportError)
        m_host.showError(*reportError);
    if (failed && summary.error)
        m_host.showError(*summary.error);
    else if (reportError)
        summary.error = reportError;
    return summary;
}

} // namespace stencilor
