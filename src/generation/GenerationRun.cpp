#include "generation/GenerationRun.h"

#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/TextLines.h"
#include "generation/CompiledTemplate.h"
#include "generation/OutputNaming.h"
#include "generation/RunInputs.h"
#include "generation/TemplateFile.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/OutputTree.h"
#include "platform/PendingFile.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unordered_map>
#include <vector>

namespace stencilor {

namespace {

constexpr const char* kReportName = "report.html";
// The report's lines go to its file in blocks of about this size.
constexpr std::size_t kReportBlock = std::size_t{1} << 16;

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
    // holds why (folderInUseCode() when another run holds it).
    OutputTree* tree(const std::string& folder, Error& error)
    {
        if (const auto found = m_trees.find(folder); found != m_trees.end()) {
            if (found->second)
                return found->second.get();
            error = m_failures.at(folder);
            return nullptr;
        }
        auto tree = std::make_unique<OutputTree>();
        if (Status opened = tree->open(folder); !opened) {
            error = opened.error();
            m_failures[folder] = error;
            m_trees[folder] = nullptr;
            return nullptr;
        }
        for (const FileIdentity& identity : m_protected)
            tree->protect(identity);
        tree->reserveName(m_reserved);
        return (m_trees[folder] = std::move(tree)).get();
    }

    // Opens `folder` again, for when it has gone during the run; null as tree().
    OutputTree* reopen(const std::string& folder, Error& error)
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
    std::unordered_map<std::string, std::unique_ptr<OutputTree>> m_trees;
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

    // Generates and writes record `number` (1-based) from its text `line`; false when an error
    // ended the run, with the message in the summary.
    bool process(std::string_view line, std::uint64_t number)
    {
        const ProjectSettings& s = m_host.currentSettings();
        m_record.assign(line, s.delim, s.quotes);
        // The settings are read afresh at every record, so the paths are too.
        const RunInputPaths paths = inputPathsOf(m_host, s);
        const std::string& folder = paths.outputFolder;
        if (folder.empty()) {
            m_summary.error = kOutputFolderNotSetMessage;
            return false;
        }
        if (s.report != m_reportReserved) {
            m_folders.reserve(s.report);
            m_reportReserved = s.report;
        }
        // The name comes first: a record without one costs no look at the template.
        const OutputName name = recordOutputName(s, folder, m_record, number);
        if (name.outcome == NameOutcome::NoName) {
            ++m_summary.skippedNoName;
            return true;
        }
        if (name.outcome == NameOutcome::LeavesFolder) {
            ++m_summary.skippedOutside;
            return true;
        }

        bool reread = false;
        const Result<const std::string*> templ = m_templateFile.current(paths.templateFile, reread);
        if (!templ) {
            m_summary.error = cannotOpenMessage(absolutePath(paths.templateFile), systemReason(templ.error().code));
            return false;
        }
        // A template replaced during the run is protected under its new identity as well.
        if (reread)
            m_folders.protect(m_templateFile.identity());
        if (!renderRecord(s, *templ.value(), reread)) {
            m_summary.error = recordTooLargeMessage(number, m_recordLimit);
            return false;
        }

        Error folderError;
        OutputTree* tree = m_folders.tree(folder, folderError);
        TreeWriteResult written = write(tree, folderError, name.relativeName);
        if ((written.outcome == TreeWrite::FolderFailed || written.outcome == TreeWrite::Failed) &&
            written.code == ENOENT) {
            // The output folder has gone during the run; it is made again once.
            tree = m_folders.reopen(folder, folderError);
            written = write(tree, folderError, name.relativeName);
        }
        if (!tree && folderError.code == folderInUseCode()) {
            m_summary.error = kFolderInUseMessage;
            return false;
        }
        switch (written.outcome) {
        case TreeWrite::Written:
            ++m_summary.filesWritten;
            if (s.report)
                m_report.addRow(*tree, s.report_fld, m_record, name.relativeName);
            return true;
        case TreeWrite::FolderFailed:
            ++m_summary.skippedFolder;
            return true;
        case TreeWrite::LinkInPath:
            ++m_summary.skippedLink;
            return true;
        case TreeWrite::OwnInput:
            ++m_summary.skippedOwnInput;
            return true;
        case TreeWrite::Failed:
            break;
        }
        m_summary.error = cannotCreateMessage(name.path, systemReason(written.code));
        return false;
    }

private:
    static TreeWriteResult write(OutputTree* tree, const Error& folderError, std::string_view relativeName,
                                 std::string_view text)
    {
        if (!tree)
            return {TreeWrite::FolderFailed, folderError.code};
        return tree->write(relativeName, text);
    }
    TreeWriteResult write(OutputTree* tree, const Error& folderError, std::string_view relativeName) const
    {
        return write(tree, folderError, relativeName, m_text);
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
};

// The checks before a run, with the run's messages; then the output folder is locked, so that a
// second run into it refuses to start instead of mixing its files with this one's. A folder that
// cannot be made is not yet an error: its records are passed over and the report says so at the
// end. False when the run does not start.
bool prepareRun(RunHost& host, OutputFolders& folders)
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
    return true;
}

// Reads the data file and takes the records of `records` through `writer` while `running`
// holds; false when an error ended the run (its message in the summary).
bool writeRecords(RunHost& host, RecordWriter& writer, OutputFolders& folders, RecordRange records, const bool& running,
                  RunSummary& summary)
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
    for (std::uint64_t i = 0; i < summary.recordCount && running; ++i) {
        cursor.next(record);
        // The header record names the fields: it gets no file and no report row, and keeps its number.
        const bool isHeader = header && record.number == 1;
        if (!isHeader && !writer.process(record.text, first + i))
            return false;
        ++summary.recordsProcessed;
        host.progress(i + 1, summary.recordCount);
        host.processEvents();
    }
    return true;
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
    OutputTree* tree = folders.tree(folder, error);
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
    if (!prepareRun(m_host, folders))
        return summary;

    m_host.runStateChanged(true);
    ReportWriter report;
    if (m_host.currentSettings().report)
        report.start(m_host.currentSettings().report_fld);
    m_running = true;
    RecordWriter writer(m_host, m_recordLimit, folders, report, summary);
    const bool failed = !writeRecords(m_host, writer, folders, records, m_running, summary);

    // The end of the run, on every path that started it.
    std::string reportError;
    if (m_host.currentSettings().report) {
        reportError = finishReport(m_host, folders, report, summary);
        summary.reportFailed = !reportError.empty();
    }
    m_running = false;
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
