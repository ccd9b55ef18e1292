#include "generation/GenerationRun.h"

#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/TextLines.h"
#include "generation/CompiledTemplate.h"
#include "generation/Manifest.h"
#include "generation/NamesInHand.h"
#include "generation/OutputNaming.h"
#include "generation/RunInputs.h"
#include "generation/TemplateFile.h"
#include "generation/WriterPool.h"
#include "platform/ArchiveWriter.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/OutputTree.h"
#include "platform/PendingFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
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
// With several writers: the jobs waiting per writer thread beyond which the run's thread writes
// one itself.
constexpr std::size_t kQueuedPerWriter = 8;

// The archive's path as messages name it.
std::string archiveShownPath(const std::string& path)
{
    return path == "-" ? std::string("standard output") : absolutePath(path);
}

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
        if (Status opened = tree->open(folder, m_lock); !opened) {
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

    // How the folders are shared with other runs: a part of a sharded job shares them with the
    // other parts.
    void setLock(FolderLock lock) { m_lock = lock; }

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
    FolderLock m_lock = FolderLock::Exclusive;
};

// The report of a run: its lines go to an anonymous file in the output folder as the run goes,
// so memory does not grow with the report; the end of the run puts it in place as report.html.
// A run into an archive keeps the lines in an anonymous temporary file instead, which becomes the
// archive's report.html at the end.
class ReportWriter final {
public:
    ~ReportWriter()
    {
        if (m_aside)
            std::fclose(m_aside);
    }
    void start(std::string_view reportFld) { m_lines.start(reportFld); }
    // The lines go to a temporary file (for an archive), not to the output folder.
    void keepAside() { m_keepAside = true; }
    // `tree` is the output folder (null with keepAside()).
    void addRow(OutputTree* tree, std::string_view reportFld, const RecordFields& record, std::string_view relativeName)
    {
        m_lines.addRow(reportFld, record, relativeName);
        if (m_lines.text().size() >= kReportBlock)
            flush(tree);
    }
    // A row built beforehand (BuildReportRow).
    void addRowCells(OutputTree* tree, const std::vector<std::string>& cells)
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
        flush(&tree);
        if (m_code == 0) {
            if (Status committed = m_file.commit(tree.descriptor(), kReportName); !committed)
                m_code = committed.error().code;
        }
        m_file.discard();
        return m_code;
    }

    // Closes the report kept aside and adds it to `archive` as report.html.
    Status finish(ArchiveWriter& archive)
    {
        m_lines.finish();
        flush(nullptr);
        if (m_code == 0 && m_aside && std::fflush(m_aside) != 0)
            m_code = errno;
        if (m_code != 0)
            return Error{m_code, cannotCreateMessage(kReportName, systemReason(m_code))};
        const long size = m_aside ? std::ftell(m_aside) : 0;
        return archive.add(kReportName, m_aside ? ::fileno(m_aside) : -1,
                           static_cast<std::uint64_t>(std::max(size, 0L)));
    }

private:
    void flush(OutputTree* tree)
    {
        if (m_code != 0)
            return;
        if (m_keepAside) {
            if (!m_aside && !(m_aside = std::tmpfile())) {
                m_code = errno;
                return;
            }
            if (!m_lines.text().empty() &&
                std::fwrite(m_lines.text().data(), 1, m_lines.text().size(), m_aside) != m_lines.text().size())
                m_code = errno != 0 ? errno : EIO;
            m_lines.clear();
            return;
        }
        if (!m_file.isOpen()) {
            if (Status created = m_file.create(tree->descriptor()); !created) {
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
    bool m_keepAside = false;
    std::FILE* m_aside = nullptr;
    int m_code = 0; // the first error in writing the report file
};

// What has become of a record: ready to be written, or how it ended.
enum class RecordStep { Ready, Written, Header, NoName, LeavesFolder, FolderFailed, LinkInPath, OwnInput, Failed };

// Why a record got no file, as its manifest line says it.
const char* skipReason(RecordStep step)
{
    switch (step) {
    case RecordStep::Header:
        return "header";
    case RecordStep::NoName:
        return "no name";
    case RecordStep::LeavesFolder:
        return "leaves output folder";
    case RecordStep::FolderFailed:
        return "folder not made";
    case RecordStep::LinkInPath:
        return "symbolic link in path";
    case RecordStep::OwnInput:
        return "replaces an input";
    case RecordStep::Ready:
    case RecordStep::Written:
    case RecordStep::Failed:
        break;
    }
    return "";
}

// Where the files of a run go besides the output folder's tree, and what it notes of each record.
struct RunOutputs {
    ArchiveWriter* archive = nullptr;   // the files go into this archive instead of the folder
    ManifestWriter* manifest = nullptr; // a line per record goes here
    bool reportFile = false;            // report.html is written (the report is on, the run is not a part)
};

// The run's work on one record, kept apart from the loop so each step reads as it is described.
class RecordWriter final {
public:
    RecordWriter(RunHost& host, std::size_t recordLimit, OutputFolders& folders, ReportWriter& report,
                 RunSummary& summary, RunOutputs outputs)
        : m_host(host)
        , m_recordLimit(recordLimit)
        , m_folders(folders)
        , m_report(report)
        , m_summary(summary)
        , m_outputs(outputs)
    {
    }

    // Generates and writes record `number` (1-based) from its text `line`, which begins on data
    // line `firstLine`, and counts it; false when an error ended the run, with the message in the
    // summary.
    bool process(std::string_view line, std::uint64_t number, std::uint64_t firstLine)
    {
        RecordStep step = prepare(line, number);
        if (step == RecordStep::Ready)
            step = write();
        return count(step, m_error, preparedNote(step, number, firstLine));
    }

    // The manifest line of the record prepared last, which `step` ended (empty without a manifest).
    ManifestRecord preparedNote(RecordStep step, std::uint64_t number, std::uint64_t firstLine) const
    {
        ManifestRecord note;
        if (!m_outputs.manifest)
            return note;
        note.record = number;
        note.line = firstLine;
        if (step == RecordStep::Written || step == RecordStep::FolderFailed || step == RecordStep::LinkInPath ||
            step == RecordStep::OwnInput)
            note.name = m_name.relativeName;
        if (step == RecordStep::Written) {
            note.bytes = m_text.size();
            if (m_row)
                note.cells = BuildReportRow(m_host.currentSettings().report_fld, m_record, m_name.relativeName);
        }
        return note;
    }

    // The manifest line of a job that came back from a writer, which `step` ended.
    ManifestRecord jobNote(RecordStep step, const WriteJob& job) const
    {
        ManifestRecord note;
        if (!m_outputs.manifest)
            return note;
        note.record = job.record;
        note.line = job.firstLine;
        if (step != RecordStep::Failed)
            note.name = job.relativeName;
        if (step == RecordStep::Written) {
            note.bytes = job.text.size();
            note.cells = job.cells;
        }
        return note;
    }

    // The record after the last one the manifest holds (0: none yet).
    std::uint64_t nextNoted() const { return m_nextNoted; }

    // Names and renders record `number` from its text `line`. Ready when its file is to be
    // written: then takeJob() gives it, or write() writes it here. Otherwise why the record gets
    // no file, or Failed with the message in error().
    RecordStep prepare(std::string_view line, std::uint64_t number)
    {
        const ProjectSettings& s = m_host.currentSettings();
        m_record.assign(line, s.delim, s.quotes);
        // The settings are read afresh at every record, so the paths and the rules in use are
        // too, unless the host's settings cannot change.
        if (!m_derived || !m_host.settingsFixed()) {
            m_paths = inputPathsOf(m_host, s);
            rulesInUse(s);
            m_derived = true;
        }
        const RunInputPaths& paths = m_paths;
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
        // An archive has no folder to open.
        m_tree = m_outputs.archive ? nullptr : m_folders.tree(paths.outputFolder, m_folderError);
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
        const RecordStep step = m_outputs.archive ? addToArchive()
                                                  : writeHere(m_tree, m_folderError, m_paths.outputFolder,
                                                              m_name.relativeName, m_text, nullptr);
        if (step == RecordStep::Written && m_row && m_outputs.reportFile)
            m_report.addRow(m_tree.get(), m_host.currentSettings().report_fld, m_record, m_name.relativeName);
        return step;
    }

    // True once the archive could not be written: what it holds is not a whole archive.
    bool archiveFailed() const { return m_archiveFailed; }

    // The record prepared as a job for a writer; its text moves into the job.
    WriteJob takeJob(std::uint64_t number, std::uint64_t firstLine)
    {
        WriteJob job;
        job.record = number;
        job.firstLine = firstLine;
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
        if (step == RecordStep::Written && !job.cells.empty() && m_outputs.reportFile)
            m_report.addRowCells(tree.get(), job.cells);
        return step;
    }

    // Counts a record that went through all steps into the summary, and puts its line `note`
    // into the manifest; false, with `error` (or the manifest's) as the summary's message, when
    // it ended the run.
    bool count(RecordStep step, const std::string& error, ManifestRecord note)
    {
        if (m_outputs.manifest && step != RecordStep::Ready) {
            if (step == RecordStep::Written) {
                note.status = ManifestRecord::Status::Written;
            } else if (step == RecordStep::Failed) {
                note.status = ManifestRecord::Status::Error;
                note.reason = error;
            } else {
                note.status = ManifestRecord::Status::Skipped;
                note.reason = skipReason(step);
            }
            if (Status added = m_outputs.manifest->add(note); !added) {
                m_summary.error = added.error().message;
                return false;
            }
            m_nextNoted = note.record + 1;
        }
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

    // Adds the record prepared to the archive. While the report is on, its name is the report's.
    RecordStep addToArchive()
    {
        if (m_outputs.reportFile && m_name.relativeName == kReportName)
            return RecordStep::OwnInput;
        if (Status added = m_outputs.archive->add(m_name.relativeName, m_text); !added) {
            m_archiveFailed = true;
            return fail(
                cannotCreateMessage(archiveShownPath(m_outputs.archive->path()), systemReason(added.error().code)));
        }
        return RecordStep::Written;
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
        const bool rulesChanged = m_rulesFresh && !m_template.isFor(m_identifiers);
        m_rulesFresh = false;
        if (!m_compiled || (reread && templateChanged(raw)) || rulesChanged) {
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

    // The identifiers and field numbers of the rules of `s` that take part (a field and an
    // identifier set), in table order.
    void rulesInUse(const ProjectSettings& s)
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
        m_rulesFresh = true;
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
    RunOutputs m_outputs;
    bool m_archiveFailed = false;
    std::uint64_t m_nextNoted = 0;
    bool m_reportReserved = false;
    // Templates up to this size keep a copy of the bytes they were compiled from.
    static constexpr std::size_t kKeptTemplateBytes = std::size_t{1} << 20;
    TemplateFile m_templateFile; // looked at for every record, read again when it may have changed
    std::string m_compiledRaw;   // the template file as read when m_template was compiled, if kept
    bool m_compiledRawKept = false;
    CompiledTemplate m_template;
    bool m_compiled = false;
    // What the record prepared last took from the settings: the paths and the rules in use (the
    // identifiers view the settings).
    bool m_derived = false;
    RunInputPaths m_paths;
    std::vector<std::string_view> m_identifiers;
    std::vector<std::size_t> m_fieldNumbers;
    bool m_rulesFresh = false; // worked out again since the template was last rendered
    RecordFields m_record;
    std::vector<std::string> m_escaped; // the values HTML-escaped, with escapehtml
    std::vector<std::string_view> m_values;
    std::string m_text;
    // Texts of jobs that came back, for reuse(): a few, and none big enough for their memory to
    // matter more than allocating it again.
    static constexpr std::size_t kSpareTexts = 64;
    static constexpr std::size_t kSpareTextBytes = std::size_t{256} << 10;
    std::vector<std::string> m_spareTexts;
    // The record prepared: its name, whether it gets a report row, and the tree of its output
    // folder (m_paths.outputFolder; null when it could not be opened, m_folderError says why).
    OutputName m_name;
    bool m_row = false;
    std::shared_ptr<OutputTree> m_tree;
    Error m_folderError;
    std::string m_error; // the message of the last Failed step
};

// The records of a run with several writers: named and rendered in order on the run's thread,
// their files handed to the writers, and what became of each counted in record order as the
// outcomes come back, so that the summary and the report are those of one writer.
class PooledRecords final {
public:
    // `jobs` threads write: the run's own thread (which writes when the others fall behind) and
    // jobs - 1 writer threads.
    PooledRecords(RecordWriter& writer, unsigned jobs)
        : m_writer(writer)
        , m_capacity(jobs * kRecordsInHandPerWriter)
        , m_views(jobs)
        , m_pool(jobs - 1, m_capacity,
                 [this](unsigned worker, const WriteJob& job) { return writeJob(m_views[worker], job); })
    {
    }

    // False when no writer could be started.
    bool started() const { return m_pool.workers() > 0; }

    // Takes record `number` (its text `line`, or none for the header record; it begins on data
    // line `firstLine`) through naming and rendering and hands its file to a writer, counting
    // what came back meanwhile; false once an error has ended the run (this record's or an
    // earlier one's).
    bool add(const std::string_view* line, std::uint64_t number, std::uint64_t firstLine)
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
        if (pending.step != RecordStep::Ready)
            pending.note = m_writer.preparedNote(pending.step, number, firstLine);
        if (pending.step == RecordStep::Ready) {
            WriteJob job = m_writer.takeJob(number, firstLine);
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
                // This thread writes as well once the writers have a few jobs waiting: they seldom
                // wait for work, and no thread waits for a core.
                while (m_pool.queued() > kQueuedPerWriter * m_pool.workers() && m_pool.writeOne()) {
                }
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
        ManifestRecord note; // its manifest line, once it has ended
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
            pending.note = m_writer.jobNote(pending.step, job);
            m_writer.reuse(std::move(job.text));
            m_names.remove(pending.key);
            m_bytesInHand -= pending.bytes;
        }
        if (!m_failed && !m_writer.count(pending.step, pending.error, std::move(pending.note)))
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

// True when writing `path` would replace the data file, the template or the project of a run
// with inputs at `paths`.
bool replacesRunInput(const std::string& path, const RunInputPaths& paths)
{
    const std::optional<FileIdentity> target = fileIdentityOf(path);
    if (!target)
        return false;
    for (const std::string* input : {&paths.dataFile, &paths.templateFile, &paths.project}) {
        if (*input == kStandardInput)
            continue;
        if (const std::optional<FileIdentity> identity = fileIdentityOf(*input); identity && *identity == *target)
            return true;
    }
    return false;
}

// The checks before a run, with the run's messages; then the output folder is locked, so that a
// second run into it refuses to start instead of mixing its files with this one's (the parts of a
// sharded job share it), or the archive is started. A folder that cannot be made is not yet an
// error: its records are passed over and the report says so at the end. False when the run does
// not start; otherwise the output folder is noted in `summary`.
bool prepareRun(RunHost& host, OutputFolders& folders, const RunOptions& options, ArchiveWriter& archive,
                RunSummary& summary)
{
    const ProjectSettings& s = host.currentSettings();
    const RunInputPaths paths = inputPathsOf(host, s);
    if (const std::string problem = runInputsProblem(s, paths); !problem.empty()) {
        host.showMessage(problem);
        return false;
    }
    // Neither the archive nor the manifest may take the place of an input.
    for (const std::string* path : {&options.archivePath, &options.manifestPath}) {
        if (!path->empty() && *path != "-" && replacesRunInput(*path, paths)) {
            host.showMessage(replacesInputMessage(absolutePath(*path)));
            return false;
        }
    }
    if (!options.archivePath.empty()) {
        if (Status opened = archive.open(options.archivePath); !opened) {
            host.showMessage(
                cannotCreateMessage(archiveShownPath(options.archivePath), systemReason(opened.error().code)));
            return false;
        }
    } else {
        folders.setLock(options.shard.isWhole() ? FolderLock::Exclusive : FolderLock::Shared);
        Error error;
        if (!folders.tree(paths.outputFolder, error) && error.code == folderInUseCode()) {
            host.showMessage(kFolderInUseMessage);
            return false;
        }
    }
    if (const std::optional<FileIdentity> project = fileIdentityOf(paths.project))
        folders.protect(*project);
    summary.outputFolder = options.archivePath.empty() ? paths.outputFolder : archiveShownPath(options.archivePath);
    return true;
}

// The records of the data file a run takes: their numbers first to first + count - 1.
struct RunSpan {
    std::uint64_t first = 1;
    std::uint64_t count = 0;
    std::uint64_t total = 0; // the data file's records
};

// Reads the data file and takes the records of `records` (or of the part `shard` of the job)
// through `writer` while `running` holds, their files written by `jobs` writers; false when an
// error ended the run (its message in the summary). `span` says which records the run took on.
bool writeRecords(RunHost& host, RecordWriter& writer, OutputFolders& folders, RecordRange records, ShardSpec shard,
                  ManifestWriter* manifest, const std::string& manifestPath, const bool& running, unsigned jobs,
                  RunSummary& summary, RunSpan& span)
{
    // The data's form is taken once, at the start: the records are cut by it throughout the run.
    const ProjectSettings& s = host.currentSettings();
    const bool header = s.header;
    const RunInputPaths paths = inputPathsOf(host, s);
    Result<std::unique_ptr<RunRecords>> opened = RunRecords::open(paths.dataFile, s);
    if (!opened) {
        summary.error = opened.error().message;
        return false;
    }
    RunRecords& data = *opened.value();
    if (data.identity())
        folders.protect(*data.identity());
    // A first pass counts the records (and finds the part's); then they are read again one by one.
    const Result<RecordCount> counted = data.count(shard);
    if (!counted) {
        summary.error = counted.error().message;
        return false;
    }
    span.total = counted.value().total;
    if (!shard.isWhole()) {
        span.first = counted.value().first;
        span.count = counted.value().inPart;
    } else {
        span.first = std::max<std::uint64_t>(records.first, 1);
        span.count = span.first > span.total || records.last < span.first
                         ? 0
                         : std::min(records.last, span.total) - span.first + 1;
    }
    summary.recordCount = span.count;
    if (manifest) {
        // The parts of one job agree on the project's name and the data's size, wherever they run.
        const std::string& project = paths.project;
        const ManifestJob job{shard.part,  shard.parts, project.substr(project.find_last_of('/') + 1),
                              data.size(), s.report,    s.report ? s.report_fld : std::string()};
        if (Status started = manifest->open(manifestPath, job); !started) {
            summary.error = cannotCreateMessage(absolutePath(manifestPath), systemReason(started.error().code));
            return false;
        }
    }
    host.progress(0, summary.recordCount);
    DataRecord record;
    // Reads the next record into `record`; false, with the message in the summary, when the data
    // file could not be read.
    const auto read = [&] {
        const Result<bool> got = data.next(record);
        if (!got)
            summary.error = got.error().message;
        else if (!got.value())
            summary.error = dataChangedMessage(absolutePath(paths.dataFile), record.number);
        return got && got.value();
    };
    for (std::uint64_t skipped = 1; skipped < span.first && skipped <= span.total; ++skipped) {
        if (!read())
            return false;
    }
    std::optional<PooledRecords> pooled;
    if (jobs > 1) {
        pooled.emplace(writer, jobs);
        if (!pooled->started())
            pooled.reset(); // no thread could be started: the files are written here
    }
    bool readFailed = false;
    for (std::uint64_t i = 0; i < summary.recordCount && running; ++i) {
        if (!read()) {
            readFailed = true;
            break;
        }
        // The header record names the fields: it gets no file and no report row, and keeps its number.
        const bool isHeader = header && record.number == 1;
        if (pooled) {
            if (!pooled->add(isHeader ? nullptr : &record.text, record.number, record.firstLine))
                break;
        } else if (!(isHeader ? writer.count(RecordStep::Header, {},
                                             writer.preparedNote(RecordStep::Header, record.number, record.firstLine))
                              : writer.process(record.text, record.number, record.firstLine))) {
            return false;
        }
        host.progress(summary.recordsProcessed, summary.recordCount);
        host.processEvents();
    }
    // The records in the writers' hands are finished, also when the run stops.
    const std::string readError = summary.error;
    if (pooled && !pooled->finish())
        return false;
    if (readFailed)
        summary.error = readError;
    return !readFailed;
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
    ArchiveWriter archive;
    if (!prepareRun(m_host, folders, m_options, archive, summary))
        return summary;

    m_current = &summary;
    m_host.runStateChanged(true);
    // A part of a sharded job writes no report.html: its rows go into its manifest, and
    // --merge-report makes the job's report from the manifests of all parts.
    const bool reportFile = m_host.currentSettings().report && m_options.shard.isWhole();
    ReportWriter report;
    if (archive.isOpen())
        report.keepAside();
    if (reportFile)
        report.start(m_host.currentSettings().report_fld);
    ManifestWriter manifest;
    const RunOutputs outputs{archive.isOpen() ? &archive : nullptr,
                             m_options.manifestPath.empty() ? nullptr : &manifest, reportFile};
    m_running = true;
    RecordWriter writer(m_host, m_recordLimit, folders, report, summary, outputs);
    RunSpan span;
    // An archive is one stream: its files are written one after the other on this thread.
    const unsigned jobs = archive.isOpen() ? 1 : m_jobs;
    bool failed = !writeRecords(m_host, writer, folders, records, m_options.shard, outputs.manifest,
                                m_options.manifestPath, m_running, jobs, summary, span);

    // The end of the run, on every path that started it.
    std::string reportError;
    if (reportFile && !writer.archiveFailed()) {
        if (archive.isOpen()) {
            if (Status added = report.finish(archive); !added) {
                reportError = cannotCreateMessage(archiveShownPath(archive.path()), systemReason(added.error().code));
                summary.reportFailed = true;
            } else {
                summary.reportWritten = true;
            }
        } else {
            reportError = finishReport(m_host, folders, report, summary);
            summary.reportFailed = !reportError.empty();
        }
    }
    if (archive.isOpen()) {
        // An archive that could not be written whole is removed (standard output cannot be).
        if (writer.archiveFailed() || summary.reportFailed) {
            archive.discard();
        } else if (Status closed = archive.close(); !closed) {
            summary.error = cannotCreateMessage(archiveShownPath(archive.path()), systemReason(closed.error().code));
            failed = true;
        }
    }
    const bool complete = !failed && summary.recordsProcessed == summary.recordCount;
    if (outputs.manifest && manifest.isOpen()) {
        // The closing line says which records the manifest holds and whether the part is whole.
        const std::uint64_t next = std::max(writer.nextNoted(), span.first);
        if (Status closed = manifest.finish(span.first, next, complete, complete && next == span.total + 1);
            !closed && !failed) {
            summary.error = closed.error().message;
            failed = true;
        }
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
    if (!reportError.empty())
        m_host.showError(reportError);
    if (failed)
        m_host.showError(summary.error);
    else if (!reportError.empty())
        summary.error = reportError;
    return summary;
}

} // namespace stencilor
