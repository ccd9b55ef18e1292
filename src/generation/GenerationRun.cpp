#include "generation/GenerationRun.h"

#include "datasource/DataSourceCheck.h"
#include "datasource/TextLines.h"
#include "datasource/mLib.h"
#include "generation/CompiledTemplate.h"
#include "generation/OutputNaming.h"
#include "platform/FileSystem.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <cerrno>
#include <unordered_set>
#include <vector>

namespace stencilor {

std::string cannotOpenMessage(const std::string& path, const std::string& reason)
{
    return "Cannot open file \"" + path + "\". " + reason;
}

std::string cannotCreateMessage(const std::string& path, const std::string& reason)
{
    return "Cannot create file \"" + path + "\". " + reason;
}

namespace {

// The path of an input file named in the settings: a relative name lies in the project's folder.
std::string inputPath(RunHost& host, const std::string& named)
{
    return resolveDataFilePath(named, resolveProjectPath(host.projectPath(), host.programFolder()));
}

// The output folder of the settings, a relative one taken against the project's folder.
std::string outputFolder(RunHost& host, const ProjectSettings& s)
{
    return resolveOutputFolder(s.outputdir, resolveProjectPath(host.projectPath(), host.programFolder()));
}

// The run's work on one record, kept apart from the loop so each step reads as it is described.
class RecordWriter final {
public:
    explicit RecordWriter(RunHost& host)
        : m_host(host)
    {
    }

    // Generates and writes record `number` (1-based) from `line`; false when an error ended the run.
    bool process(std::string_view line, std::uint64_t number, ContentReport& report, RunSummary& summary)
    {
        const ProjectSettings& s = m_host.currentSettings();
        const std::string templatePath = inputPath(m_host, s.templatefile);
        if (Status read = readWholeFileInto(templatePath, m_raw); !read) {
            summary.error = cannotOpenMessage(absolutePath(templatePath), systemReason(read.error().code));
            return false;
        }
        renderRecord(s, line);

        const OutputName name = recordOutputName(s, outputFolder(m_host, s), line, number);
        if (name.outcome == NameOutcome::NoName) {
            ++summary.skippedNoName;
            return true;
        }
        if (name.outcome == NameOutcome::LeavesFolder) {
            ++summary.skippedOutside;
            return true;
        }
        const std::string folder = outputFolderOf(name.path);
        if (!ensureFolder(folder)) {
            ++summary.skippedFolder;
            return true;
        }
        Status written = writeWholeFile(name.path, m_text);
        if (!written && written.error().code == ENOENT && !folder.empty()) {
            // The folder was ensured earlier in this run but has gone since; make it again.
            m_ensured.erase(folder);
            if (!ensureFolder(folder)) {
                ++summary.skippedFolder;
                return true;
            }
            written = writeWholeFile(name.path, m_text);
        }
        if (!written) {
            summary.error = cannotCreateMessage(absolutePath(name.path), systemReason(written.error().code));
            return false;
        }
        ++summary.filesWritten;
        if (s.report)
            report.addRow(s.report_fld, line, s.delim, name.relativeName);
        return true;
    }

private:
    // Puts the record's text into m_text: the template with the rules applied in table order,
    // each to the whole text the rules before it produced. The template compiled for the rule
    // list gives that text in one pass; it is compiled again when the template file's text or
    // the rules' identifiers change, and a record whose values could make the one pass differ
    // gets the rules one by one.
    void renderRecord(const ProjectSettings& s, std::string_view line)
    {
        m_identifiers.clear();
        m_fieldNumbers.clear();
        std::size_t widest = 0;
        for (const Rule& rule : s.rules.rules()) {
            const int field = DigitsToInt(rule.fieldLabel);
            if (field <= 0 || rule.identifier.empty())
                continue;
            m_identifiers.push_back(rule.identifier);
            m_fieldNumbers.push_back(static_cast<std::size_t>(field));
            widest = std::max(widest, static_cast<std::size_t>(field));
        }
        if (!m_compiled || templateChanged() || !m_template.isFor(m_identifiers)) {
            // A small template keeps the bytes it was compiled from, for a plain compare at the
            // next record; a big one is compared with the compiled text line by line instead, so
            // that no third copy of it is held.
            m_compiledRawKept = m_raw.size() <= kKeptTemplateBytes;
            if (m_compiledRawKept) {
                std::swap(m_raw, m_compiledRaw);
                m_template.compile(normalizeLineEnds(m_compiledRaw), m_identifiers);
            } else {
                std::string().swap(m_compiledRaw);
                m_template.compile(normalizeLineEnds(m_raw), m_identifiers);
            }
            m_compiled = true;
        }

        SplitFields(line, s.delim, widest, m_fields);
        m_values.clear();
        for (std::size_t field : m_fieldNumbers)
            m_values.push_back(field <= m_fields.size() ? m_fields[field - 1] : std::string_view());
        if (m_template.render(m_values, m_text))
            return;

        m_text = m_template.text();
        for (std::size_t i = 0; i < m_identifiers.size(); ++i)
            applyRule(m_text, m_identifiers[i], m_values[i]);
    }

    // True when the template file read for this record differs from the one compiled.
    bool templateChanged() const
    {
        return m_compiledRawKept ? m_raw != m_compiledRaw : !normalizesTo(m_raw, m_template.text());
    }

    // EnsureFolder, remembered for the rest of the run so each folder is checked once.
    bool ensureFolder(const std::string& folder)
    {
        if (folder.empty() || m_ensured.count(folder))
            return true;
        if (!EnsureFolder(folder))
            return false;
        m_ensured.insert(folder);
        return true;
    }

    RunHost& m_host;
    // Templates up to this size keep a copy of the bytes they were compiled from.
    static constexpr std::size_t kKeptTemplateBytes = std::size_t{1} << 20;
    std::string m_raw;         // the template file as read for this record
    std::string m_compiledRaw; // the template file as read when m_template was compiled, if kept
    bool m_compiledRawKept = false;
    CompiledTemplate m_template;
    bool m_compiled = false;
    std::vector<std::string_view> m_identifiers; // of the rules in use, into the settings
    std::vector<std::size_t> m_fieldNumbers;
    std::vector<std::string_view> m_fields; // into the record's line
    std::vector<std::string_view> m_values;
    std::string m_text;
    std::unordered_set<std::string> m_ensured;
};

} // namespace

RunSummary GenerationRun::actRunExecute(RecordRange records)
{
    RunSummary summary;
    if (m_host.currentSettings().delim.empty()) {
        m_host.showMessage("Please select field delimiter!");
        return summary;
    }
    if (m_running)
        return summary;

    {
        const ProjectSettings& s = m_host.currentSettings();
        std::string message;
        if (!fileExists(inputPath(m_host, s.textfile)))
            message = "Text file is empty";
        if (!fileExists(inputPath(m_host, s.templatefile)))
            message += "\nTemplate file is empty or not defined";
        if (!message.empty()) {
            m_host.showMessage(message);
            return summary;
        }
    }

    m_host.runStateChanged(true);
    ContentReport report;
    if (m_host.currentSettings().report)
        report.start(m_host.currentSettings().report_fld);
    m_running = true;

    const std::string dataPath = inputPath(m_host, m_host.currentSettings().textfile);
    std::string data;
    bool failed = false;
    if (Status read = readWholeFileInto(dataPath, data); !read) {
        summary.error = cannotOpenMessage(absolutePath(dataPath), systemReason(read.error().code));
        failed = true;
    } else {
        const std::uint64_t lines = countLines(data);
        const std::uint64_t first = std::max<std::uint64_t>(records.first, 1);
        summary.recordCount = first > lines || records.last < first ? 0 : std::min(records.last, lines) - first + 1;
        m_host.progress(0, summary.recordCount);
        RecordWriter writer(m_host);
        LineCursor cursor(data);
        std::string_view line;
        for (std::uint64_t skipped = 1; skipped < first && skipped <= lines; ++skipped)
            cursor.next(line);
        for (std::uint64_t i = 0; i < summary.recordCount && m_running; ++i) {
            cursor.next(line);
            if (!writer.process(line, first + i, report, summary)) {
                failed = true;
                break;
            }
            ++summary.recordsProcessed;
            m_host.progress(i + 1, summary.recordCount);
            m_host.processEvents();
        }
    }

    // The end of the run, on every path that started it.
    const ProjectSettings& s = m_host.currentSettings();
    std::string reportError;
    if (s.report) {
        report.finish();
        // The report is opened by its absolute path, whatever the working folder of the viewer.
        const std::string folder = withTrailingSlash(absolutePath(outputFolder(m_host, s)));
        const std::string reportPath = folder + "report.html";
        Status saved = createFolders(folder);
        if (saved)
            saved = writeWholeFile(reportPath, report.text());
        if (saved) {
            summary.reportWritten = true;
            m_host.openReport(reportPath, folder);
        } else {
            // A report that could not be written is an error: it names the file and the reason,
            // and nothing is opened.
            reportError = cannotCreateMessage(reportPath, systemReason(saved.error().code));
            summary.reportFailed = true;
        }
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
