#include "generation/GenerationRun.h"

#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/TextLines.h"
#include "generation/CompiledTemplate.h"
#include "generation/NamesInHand.h"
#include "generation/OutputNaming.h"
#include "generation/RunInputs.h"
#include "generation/TemplateFile.h"
#include "generation/WriterPool.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/OutputTree.h"
#include "platform/PendingFile.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace stencilor {

namespace {

constexpr const char* kReportName = "report.html";
// The report's lines go to its file in blocks of about this size.
constexpr std::size_t kReportBlock = std::size_t{1} << 16;
// With several writers: the records in their hands per writer, and the most text those may
// hold together; enough to keep every writer busy, and bounded whatever the data.
constexpr std::size_t kRecordsInHandPerWriter = 16;
constexpr std::size_t kTextInHand = std::size_t{64} << 20;

// Where the inputs and the output folder of the settings `s` are, as the host shows the project.
RunInputPaths inputPathsOf(RunHost& host, const ProjectSettings& s)
{
    return resolveRunInputs(s, host.projectPath(), host.programFolder());
}

// The output folders a run writes into, each opened and locked once. The output folder is read
// from the settings at every record, so a change made during the run takes effect at the next
// record; then the new folder is opened (and locked) as well.
class OutputFolders final {
public:
    // The tree of `folder`, opened on first use. Null when it cannot be opened; `error` then
    // holds why (folderInUseCode() when another run holds it). Writers may hold on to a tree
    // after it has been opened again.
    std::shared_ptr<OutputTree> tree(const std::string& folder, Error& error)
    {
        if (const auto found = m_trees.find(folder); found != m_trees.end()) {
            if (found->second)
                return found->second;
            error = m_failures.at(folder);
            return nullptr;
        }
        auto tree = std::make_shared<OutputTree>();
        if (Status opened = tree->open(folder); !opened) {
            error = opened.error();
            m_failures[folder] = error;
            m_trees[folder] = nullptr;
            return nullptr;
        }
        for (const FileIdentity& identity : m_protected)
            tree->protect(identity);
        tree->reserveName(m_reserved);
        return m_trees[folder] = std::move(tree);
    }

    // Opens `folder` again, for when it has gone during the run; null as tree().
    std::shared_ptr<OutputTree> reopen(const std::string& folder, Error& error)
    {
        m_trees.erase(folder);
        m_failures.erase(folder);
        return tree(folder, error);
    }

    // A file no write may replace, in every tree.
    void protect(const FileIdentity& identity)
    {
        if (std::find(m_protected.begin(), m_protected.end(), identity) != m_protected.end())
            return;
        m_protected.push_back(identity);
        for (auto& entry : m_trees)
            if (entry.second)
                entry.second->protect(identity);
    }

    // The report's name, left alone by writes while the report is on.
    void reserve(bool report)
    {
        m_reserved = report ? kReportName : "";
        for (auto& entry : m_trees)
            if (entry.second)
                entry.second->reserveName(m_reserved);
    }

private:
    std::unordered_map<std::string, std::shared_ptr<OutputTree>> m_trees;
    std::unordered_map<std::string, Error> m_failures;
    std::vector<FileIdentity> m_protected;
    std::string m_reserved;
};

// The report of a run: its lines go to an anonymous file in the output folder as the run goes,
// so memory does not grow with the report; the end of the run puts it in place as report.html.
class ReportWriter final {
public:
    void start(std::string_view reportFld) { m_lines.start(reportFld); }
    void addRow(OutputTree& tree, std::string_view reportFld, const RecordFields& record, std::string_view relativeName)
    {
        m_lines.addRow(reportFld, record, relativeName);
        if (m_lines.text().size() >= kReportBlock)
            flush(tree);
    }
    // A row built beforehand (BuildReportRow).
    void addRowCells(OutputTree& tree, const std::vector<std::string>& cells)
    {
        m_lines.addRowCells(cells);
        if (m_lines.text().size() >= kReportBlock)
            flush(tree);
    }

    // Closes the report and puts it in place as report.html in `tree`; 0, or the errno of the
    // first failure in writing or placing it.
    int finish(OutputTree& tree)
    {
        m_lines.finish();
        flush(tree);
        if (m_code == 0) {
            if (Status committed = m_file.commit(tree.descriptor(), kReportName); !committed)
                m_code = committed.error().code;
        }
        m_file.discard();
        return m_code;
    }

private:
    void flush(OutputTree& tree)
    {
        if (m_code != 0)
            return;
        if (!m_file.isOpen()) {
            if (Status created = m_file.create(tree.descriptor()); !created) {
                m_code = created.error().code;
                return;
            }
        }
        if (Status written = m_file.write(m_lines.text()); !written)
            m_code = written.error().code;
        m_lines.clear();
    }

    ContentReport m_lines;
    PendingFile m_file;
    int m_code = 0; // the first error in writing the report file
};

// What has become of a record: ready to be written, or how it ended.
enum class RecordStep { Ready, Written, Header, NoName, LeavesFolder, FolderFailed, LinkInPath, OwnInput, Failed };

// The run's work on one record, kept apart from the loop so each step reads as it is described.
class RecordWriter final {
public:
    RecordWriter(RunHost& host, std::size_t recordLimit, OutputFolders& folders, ReportWriter& report,
                 RunSummary& summary)
        : m_host(host)
        , m_recordLimit(recordLimit)
        , m_folders(folders)
        , m_report(report)
        , m_summary(summary)
    {
    }

    // Generates and writes record `number` (1-based) from its text `line`, and counts it; false
    // when an error ended the run, with the message in the summary.
    bool process(std::string_view line, std::uint64_t number)
    {
        RecordStep step = prepare(line, number);
        if (step == RecordStep::Ready)
            step = write();
        return count(step, m_error);
    }

    // Names and renders record `number` from its text `line`. Ready when its file is to be
    // written: then takeJob() gives it, or write() writes it here. Otherwise why the record gets
    // no file, or Failed with the message in error().
    RecordStep prepare(std::string_view line, std::uint64_t number)
    {
        const ProjectSettings& s = m_host.currentSettings();
        m_record.assign(line, s.delim, s.quotes);
        // The settings are read afresh at every record, so the paths are too.
        RunInputPaths paths = inputPathsOf(m_host, s);
        if (paths.outputFolder.empty())
            return fail(kOutputFolderNotSetMessage);
        if (s.report != m_reportReserved) {
            m_folders.reserve(s.report);
            m_reportReserved = s.report;
        }
        // The name comes first: a record without one costs no look at the template.
        m_name = recordOutputName(s, paths.outputFolder, m_record, number);
        if (m_name.outcome == NameOutcome::NoName)
            return RecordStep::NoName;
        if (m_name.outcome == NameOutcome::LeavesFolder)
            return RecordStep::LeavesFolder;

        bool reread = false;
        const Result<const std::string*> templ = m_templateFile.current(paths.templateFile, reread);
        if (!templ)
            return fail(cannotOpenMessage(absolutePath(paths.templateFile), systemReason(templ.error().code)));
        // A template replaced during the run is protected under its new identity as well.
        if (reread)
            m_folders.protect(m_templateFile.identity());
        if (!renderRecord(s, *templ.value(), reread))
            return fail(recordTooLargeMessage(number, m_recordLimit));

        m_row = s.report;
        m_folder = std::move(paths.outputFolder);
        m_tree = m_folders.tree(m_folder, m_folderError);
        return RecordStep::Ready;
    }

    // The message of the last Failed step.
    const std::string& error() const { return m_error; }

    // True when the record prepared has a folder to be written into by a writer; else it is
    // written here, which says what became of it.
    bool hasTree() const { return m_tree != nullptr; }

    // Writes the record prepared here (on the run's thread).
    RecordStep write()
    {
        const RecordStep step = writeHere(m_tree, m_folderError, m_folder, m_name.relativeName, m_text, nullptr);
        if (step == RecordStep::Written && m_row)
            m_report.addRow(*m_tree, m_host.currentSettings().report_fld, m_record, m_name.relativeName);
        return step;
    }

    // The record prepared as a job for a writer; its text moves into the job.
    WriteJob takeJob(std::uint64_t number)
    {
        WriteJob job;
        job.record = number;
        job.tree = m_tree;
        if (m_row)
            job.cells = BuildReportRow(m_host.currentSettings().report_fld, m_record, m_name.relativeName);
        job.relativeName = std::move(m_name.relativeName);
        job.text = std::move(m_text);
        m_text.clear();
        if (!m_spareTexts.empty()) {
            m_text = std::move(m_spareTexts.back());
            m_spareTexts.pop_back();
        }
        return job;
    }

    // The text of a job that came back, kept for a later record's text: its memory is used again
    // here instead of being freed on a writer's thread and allocated anew on this one.
    void reuse(std::string text)
    {
        if (m_spareTexts.size() < kSpareTexts && text.capacity() <= kSpareTextBytes)
            m_spareTexts.push_back(std::move(text));
    }

    // What became of a job a writer took: a folder that had gone is made again and the file
    // written here once more, as for a record written here. Adds the report row of a file written.
    RecordStep finishJob(WriteJob& job)
    {
        std::shared_ptr<OutputTree> tree = job.tree;
        Error folderError;
        const RecordStep step =
            writeHere(tree, folderError, job.tree->folder(), job.relativeName, job.text, &job.result);
        if (step == RecordStep::Written && !job.cells.empty())
            m_report.addRowCells(*tree, job.cells);
        return step;
    }

    // Counts a record that went through all steps into the summary; false, with `error` as the
    // summary's message, when it ended the run.
    bool count(RecordStep step, const std::string& error)
    {
        switch (step) {
        case RecordStep::Failed:
            m_summary.error = error;
            return false;
        case RecordStep::Written:
            ++m_summary.filesWritten;
            break;
        case RecordStep::NoName:
            ++m_summary.skippedNoName;
            break;
        case RecordStep::LeavesFolder:
            ++m_summary.skippedOutside;
            break;
        case RecordStep::FolderFailed:
            ++m_summary.skippedFolder;
            break;
        case RecordStep::LinkInPath:
            ++m_summary.skippedLink;
            break;
        case RecordStep::OwnInput:
            ++m_summary.skippedOwnInput;
            break;
        case RecordStep::Ready:
        case RecordStep::Header:
            break;
        }
        ++m_summary.recordsProcessed;
        return true;
    }

private:
    RecordStep fail(std::string message)
    {
        m_error = std::move(message);
        return RecordStep::Failed;
    }

    static TreeWriteResult write(OutputTree* tree, const Error& folderError, std::string_view relativeName,
                                 std::string_view text)
    {
        if (!tree)
            return {TreeWrite::FolderFailed, folderError.code};
        return tree->write(relativeName, text);
    }

    // Writes `text` as `relativeName` into the output folder `folder` through `tree` (null when
    // the folder could not be opened; `folderError` says why), or takes `tried`, what a writer's
    // attempt met. Sets `tree` to the tree written through.
    RecordStep writeHere(std::shared_ptr<OutputTree>& tree, Error& folderError, const std::string& folder,
                         std::string_view relativeName, std::string_view text, const TreeWriteResult* tried)
    {
        TreeWriteResult written = tried ? *tried : write(tree.get(), folderError, relativeName, text);
        if ((written.outcome == TreeWrite::FolderFailed || written.outcome == TreeWrite::Failed) &&
            written.code == ENOENT) {
            // The output folder has gone during the run; it is made again once. A writer may have
            // tried through a tree that has been made again since its record was named.
            std::shared_ptr<OutputTree> current = tried ? m_folders.tree(folder, folderError) : nullptr;
            tree = current && current != tree ? std::move(current) : m_folders.reopen(folder, folderError);
            written = write(tree.get(), folderError, relativeName, text);
        }
        if (!tree && folderError.code == folderInUseCode())
            return fail(kFolderInUseMessage);
        switch (written.outcome) {
        case TreeWrite::Written:
            return RecordStep::Written;
        case TreeWrite::FolderFailed:
            return RecordStep::FolderFailed;
        case TreeWrite::LinkInPath:
            return RecordStep::LinkInPath;
        case TreeWrite::OwnInput:
            return RecordStep::OwnInput;
        case TreeWrite::Failed:
            break;
        }
        return fail(
            cannotCreateMessage(withTrailingSlash(folder) + std::string(relativeName), systemReason(written.code)));
    }

    // Puts the record's text into m_text: the template `raw` with the rules applied in table
    // order, each to the whole text the rules before it produced. The template compiled for the
    // rule list gives that text in one pass; it is compiled again when the template file's text
    // (read again when `reread`) or the rules' identifiers change, and a record whose values
    // could make the one pass differ gets the rules one by one. False when the text would be
    // larger than the record limit.
    bool renderRecord(const ProjectSettings& s, const std::string& raw, bool reread)
    {
        m_identifiers.clear();
        m_fieldNumbers.clear();
        for (const Rule& rule : s.rules.rules()) {
            const int field = rule.activeField();
            if (field == 0)
                continue;
            m_identifiers.push_back(rule.identifier);
            m_fieldNumbers.push_back(static_cast<std::size_t>(field));
        }
        if (!m_compiled || (reread && templateChanged(raw)) || !m_template.isFor(m_identifiers)) {
            // A small template keeps the bytes it was compiled from, for a plain compare when it
            // is read again; a big one is compared with the compiled text line by line instead,
            // so that no third copy of it is held.
            m_compiledRawKept = raw.size() <= kKeptTemplateBytes;
            if (m_compiledRawKept)
                m_compiledRaw = raw;
            else
                std::string().swap(m_compiledRaw);
            m_template.compile(normalizeLineEnds(raw), m_identifiers);
            m_compiled = true;
        }

        m_values.clear();
        if (s.escapehtml) {
            // The escaped values are built first, then viewed: the texts may move while they grow.
            m_escaped.resize(m_fieldNumbers.size());
            for (std::size_t i = 0; i < m_fieldNumbers.size(); ++i) {
                m_escaped[i].clear();
                appendHtmlValueEscaped(m_escaped[i], m_record.field(static_cast<std::int64_t>(m_fieldNumbers[i])));
            }
            for (const std::string& value : m_escaped)
                m_values.push_back(value);
        } else {
            for (std::size_t field : m_fieldNumbers)
                m_values.push_back(m_record.field(static_cast<std::int64_t>(field)));
        }
        switch (m_template.render(m_values, m_text, m_recordLimit)) {
        case CompiledTemplate::Render::Done:
            return true;
        case CompiledTemplate::Render::TooLarge:
            return false;
        case CompiledTemplate::Render::Declined:
            break;
        }
        m_text = m_template.text();
        return applyRules(m_text, m_identifiers, m_values, m_recordLimit);
    }

    // True when the template file as read now differs from the one compiled.
    bool templateChanged(const std::string& raw) const
    {
        return m_compiledRawKept ? raw != m_compiledRaw : !normalizesTo(raw, m_template.text());
    }

    RunHost& m_host;
    std::size_t m_recordLimit;
    OutputFolders& m_folders;
    ReportWriter& m_report;
    RunSummary& m_summary;
    bool m_reportReserved = false;
    // Templates up to this size keep a copy of the bytes they were compiled from.
    static constexpr std::size_t kKeptTemplateBytes = std::size_t{1} << 20;
    TemplateFile m_templateFile; // looked at for every record, read again when it may have changed
    std::string m_compiledRaw;   // the template file as read when m_template was compiled, if kept
    bool m_compiledRawKept = false;
    CompiledTemplate m_template;
    bool m_compiled = false;
    std::vector<std::string_view> m_identifiers; // of the rules in use, into the settings
    std::vector<std::size_t> m_fieldNumbers;
    RecordFields m_record;
    std::vector<std::string> m_escaped; // the values HTML-escaped, with escapehtml
    std::vector<std::string_view> m_values;
    std::string m_text;
    // Texts of jobs that came back, for reuse(): a few, and none big enough for their memory to
    // matter more than allocating it again.
    static constexpr std::size_t kSpareTexts = 64;
    static constexpr std::size_t kSpareTextBytes = std::size_t{256} << 10;
    std::vector<std::string> m_spareTexts;
    // The record prepared: its name, whether it gets a report row, its output folder and that
    // folder's tree (null when it could not be opened, m_folderError says why).
    OutputName m_name;
    bool m_row = false;
    std::string m_folder;
    std::shared_ptr<OutputTree> m_tree;
    Error m_folderError;
    std::string m_error; // the message of the last Failed step
};

// The records of a run with several writers: named and rendered in order on the run's thread,
// their files handed to the writers, and what became of each counted in record order as the
// outcomes come back, so that the summary and the report are those of one writer.
class PooledRecords final {
public:
    PooledRecords(RecordWriter& writer, unsigned jobs)
        : m_writer(writer)
        , m_capacity(jobs * kRecordsInHandPerWriter)
        , m_views(jobs)
        , m_pool(jobs, m_capacity,
                 [this](unsigned worker, const WriteJob& job) { return writeJob(m_views[worker], job); })
    {
    }

    // False when no writer could be started.
    bool started() const { return m_pool.workers() > 0; }

    // Takes record `number` (its text `line`, or none for the header record) through naming and
    // rendering and hands its file to a writer, counting what came back meanwhile; false once an
    // error has ended the run (this record's or an earlier one's).
    bool add(const std::string_view* line, std::uint64_t number)
    {
        if (m_failed)
            return false;
        Pending pending;
        pending.step = line ? m_writer.prepare(*line, number) : RecordStep::Header;
        if (pending.step == RecordStep::Ready && !m_writer.hasTree()) {
            // No folder to hand over: written (or passed over) here once the records before it are.
            settleAll();
            if (m_failed)
                return false;
            pending.step = m_writer.write();
        }
        if (pending.step == RecordStep::Failed)
            pending.error = m_writer.error();
        if (pending.step == RecordStep::Ready) {
            WriteJob job = m_writer.takeJob(number);
            pending.key = NamesInHand::keyOf(job.tree->folder(), job.relativeName);
            pending.bytes = job.text.size();
            if (m_pool.full()) {
                // Waiting until half of them are written lets the writers go on without waking
                // this thread for every file.
                m_pool.waitWritten(m_capacity / 2);
                settleReady();
            }
            while (!m_pending.empty() &&
                   (m_names.touches(pending.key) || m_pool.full() || m_bytesInHand + pending.bytes > kTextInHand))
                settleOne(true);
            if (!m_failed) {
                m_names.add(pending.key);
                m_bytesInHand += pending.bytes;
                m_pool.submit(std::move(job));
                m_pending.push_back(std::move(pending));
            }
        } else if (!m_failed) {
            m_pending.push_back(std::move(pending));
        }
        // Records passed over wait behind the files before them, but not without bound.
        while (m_pending.size() > 2 * m_capacity)
            settleOne(true);
        settleReady();
        return !m_failed;
    }

    // Waits for the records in hand and counts them; false when an error ended the run.
    bool finish()
    {
        settleAll();
        return !m_failed;
    }

private:
    // A record named, not yet counted: a file in a writer's hands (Ready), or how it ended.
    struct Pending {
        RecordStep step = RecordStep::Ready;
        std::string error;
        std::string key;
        std::size_t bytes = 0;
    };
    // A writer's own view of the output folder its last job went into.
    struct View {
        std::shared_ptr<OutputTree> of;
        std::unique_ptr<OutputTree> tree;
    };

    // On writer `view`'s thread.
    static TreeWriteResult writeJob(View& view, const WriteJob& job)
    {
        if (view.of != job.tree) {
            Result<std::unique_ptr<OutputTree>> shared = job.tree->share();
            if (!shared)
                return {TreeWrite::Failed, shared.error().code};
            view.tree = std::move(shared.value());
            view.of = job.tree;
        }
        return view.tree->write(job.relativeName, job.text);
    }

    void settleAll()
    {
        while (!m_pending.empty())
            settleOne(true);
    }

    // Counts the records in hand whose files are written, in order, up to the first that is not.
    void settleReady()
    {
        while (!m_pending.empty() && settleOne(false)) {
        }
    }

    // Counts the first record in hand, waiting for its writer when `wait` is set; false when it
    // is not written yet. After an error the records still in hand are finished and not counted.
    bool settleOne(bool wait)
    {
        Pending& pending = m_pending.front();
        if (pending.step == RecordStep::Ready) {
            WriteJob job;
            if (!m_pool.take(job, wait))
                return false;
            if (!m_failed)
                pending.step = m_writer.finishJob(job);
            if (pending.step == RecordStep::Failed)
                pending.error = m_writer.error();
            m_writer.reuse(std::move(job.text));
            m_names.remove(pending.key);
            m_bytesInHand -= pending.bytes;
        }
        if (!m_failed && !m_writer.count(pending.step, pending.error))
            m_failed = true;
        m_pending.pop_front();
        return true;
    }

    RecordWriter& m_writer;
    std::size_t m_capacity;    // records in the writers' hands at most
    std::vector<View> m_views; // one per writer; before the pool, so that it outlives its threads
    WriterPool m_pool;
    std::deque<Pending> m_pending;
    NamesInHand m_names;
    std::size_t m_bytesInHand = 0;
    bool m_failed = false;
};

// The checks before a run, with the run's messages; then the output folder is locked, so that a
// second run into it refuses to start instead of mixing its files with this one's. A folder that
// cannot be made is not yet an error: its records are passed over and the report says so at the
// end. False when the run does not start; otherwise the output folder is noted in `summary`.
bool prepareRun(RunHost& host, OutputFolders& folders, RunSummary& summary)
{
    const ProjectSettings& s = host.currentSettings();
    const RunInputPaths paths = inputPathsOf(host, s);
    if (const std::string problem = runInputsProblem(s, paths); !problem.empty()) {
        host.showMessage(problem);
        return false;
    }
    Error error;
    if (!folders.tree(paths.outputFolder, error) && error.code == folderInUseCode()) {
        host.showMessage(kFolderInUseMessage);
        return false;
    }
    if (const std::optional<FileIdentity> project = fileIdentityOf(paths.project))
        folders.protect(*project);
    summary.outputFolder = paths.outputFolder;
    return true;
}

// Reads the data file and takes the records of `records` through `writer` while `running`
// holds, their files written by `jobs` writers; false when an error ended the run (its message
// in the summary).
bool writeRecords(RunHost& host, RecordWriter& writer, OutputFolders& folders, RecordRange records, const bool& running,
                  unsigned jobs, RunSummary& summary)
{
    // The data's form is taken once, at the start: the records are cut by it throughout the run.
    const ProjectSettings& s = host.currentSettings();
    const std::string delim = s.delim;
    const bool quotes = s.quotes;
    const bool header = s.header;
    Result<RunData> read = readRunData(inputPathsOf(host, s).dataFile, s.encoding);
    if (!read) {
        summary.error = read.error().message;
        return false;
    }
    if (read.value().identity)
        folders.protect(*read.value().identity);
    const std::string& data = read.value().text;
    const std::uint64_t lines = DataRecords::count(data, delim, quotes);
    const std::uint64_t first = std::max<std::uint64_t>(records.first, 1);
    summary.recordCount = first > lines || records.last < first ? 0 : std::min(records.last, lines) - first + 1;
    host.progress(0, summary.recordCount);
    DataRecords cursor(data, delim, quotes);
    DataRecord record;
    for (std::uint64_t skipped = 1; skipped < first && skipped <= lines; ++skipped)
        cursor.next(record);
    std::optional<PooledRecords> pooled;
    if (jobs > 1) {
        pooled.emplace(writer, jobs);
        if (!pooled->started())
            pooled.reset(); // no thread could be started: the files are written here
    }
    for (std::uint64_t i = 0; i < summary.recordCount && running; ++i) {
        cursor.next(record);
        // The header record names the fields: it gets no file and no report row, and keeps its number.
        const bool isHeader = header && record.number == 1;
        if (pooled) {
            if (!pooled->add(isHeader ? nullptr : &record.text, first + i))
                break;
        } else if (!(isHeader ? writer.count(RecordStep::Header, {}) : writer.process(record.text, first + i))) {
            return false;
        }
        host.progress(summary.recordsProcessed, summary.recordCount);
        host.processEvents();
    }
    // The records in the writers' hands are finished, also when the run stops.
    return !pooled || pooled->finish();
}

// The end of the run's report: puts report.html in place and opens it. The error when the report
// could not be written (it names the file and the reason; nothing is opened), else empty.
std::string finishReport(RunHost& host, OutputFolders& folders, ReportWriter& report, RunSummary& summary)
{
    const std::string folder = inputPathsOf(host, host.currentSettings()).outputFolder;
    if (folder.empty())
        return kOutputFolderNotSetMessage;
    const std::string reportPath = withTrailingSlash(folder) + kReportName;
    Error error;
    const std::shared_ptr<OutputTree> tree = folders.tree(folder, error);
    const int code = tree ? report.finish(*tree) : error.code;
    if (code != 0)
        return cannotCreateMessage(reportPath, systemReason(code));
    summary.reportWritten = true;
    host.openReport(reportPath, withTrailingSlash(folder));
    return {};
}

} // namespace

RunSummary GenerationRun::run(RecordRange records)
{
    RunSummary summary;
    // A run in progress is not started a second time.
    if (m_running)
        return summary;
    OutputFolders folders;
    if (!prepareRun(m_host, folders, summary))
        return summary;

    m_current = &summary;
    m_host.runStateChanged(true);
    ReportWriter report;
    if (m_host.currentSettings().report)
        report.start(m_host.currentSettings().report_fld);
    m_running = true;
    RecordWriter writer(m_host, m_recordLimit, folders, report, summary);
    const bool failed = !writeRecords(m_host, writer, folders, records, m_running, m_jobs, summary);

    // The end of the run, on every path that started it.
    std::string reportError;
    if (m_host.currentSettings().report) {
        reportError = finishReport(m_host, folders, report, summary);
        summary.reportFailed = !reportError.empty();
    }
    m_running = false;
    m_current = nullptr;
    m_host.runStateChanged(false);

    if (failed) {
        summary.outcome = RunOutcome::Failed;
    } else {
        summary.outcome = summary.recordsProcessed < summary.recordCount ? RunOutcome::Stopped : RunOutcome::Completed;
        m_host.progress(0, summary.recordCount);
    }
    if (!reportError.empty())
        m_host.showError(reportError);
    if (failed)
        m_host.showError(summary.error);
    else if (!reportError.empty())
        summary.error = reportError;
    return summary;
}

} // namespace stencilor
