#include "generation/DryRun.h"

#include "datasource/DataFileWarnings.h"
#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/TextLines.h"
#include "generation/CaseMapping.h"
#include "generation/ContentReport.h"
#include "generation/OutputNaming.h"
#include "generation/RunInputs.h"
#include "platform/FileSystem.h"
#include "platform/OutputTree.h"
#include "project/ProjectCommands.h"

#include <algorithm>
#include <climits>
#include <ostream>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace stencilor {

namespace {

// The longest file or folder name, and the longest path, that the system accepts.
constexpr std::size_t kMaxNameBytes = NAME_MAX;
constexpr std::size_t kMaxPathBytes = PATH_MAX - 1;
// Rows held back by the table writer to measure its columns.
constexpr std::size_t kHeldTableRows = 1000;

// How a finding names another record: by its line, or with quoted fields by its record number.
std::string lineText(std::uint64_t record, bool quotes)
{
    return (quotes ? "record " : "line ") + std::to_string(record);
}

// The rules of the table, each with its number, as the run applies or skips them.
struct RuleUse {
    int widestField = 0; // the highest field number a rule in use reads
    std::vector<CheckFinding> findings;
};

RuleUse examineRules(const ProjectSettings& s, std::string_view templateText)
{
    RuleUse use;
    std::uint64_t number = 0;
    for (const Rule& rule : s.rules.rules()) {
        ++number;
        const int field = rule.activeField();
        CheckFinding finding;
        finding.rule = number;
        if (field == 0) {
            // Skipped as the run skips it; the detail names what the rule lacks.
            const bool noField = DigitsToInt(rule.fieldLabel) <= 0;
            finding.kind = CheckFindingKind::RuleSkipped;
            if (noField && rule.identifier.empty())
                finding.detail = "rule " + std::to_string(number) + " has no field number and no identifier";
            else if (noField)
                finding.detail =
                    "rule " + std::to_string(number) + " (" + quoted(rule.identifier) + ") has no field number";
            else
                finding.detail = "rule " + std::to_string(number) + " (" + rule.fieldLabel + ") has no identifier";
            use.findings.push_back(std::move(finding));
            continue;
        }
        use.widestField = std::max(use.widestField, field);
        // The run compiles the template with CR LF line ends, so identifiers are looked for there.
        if (templateText.find(rule.identifier) == std::string_view::npos) {
            finding.kind = CheckFindingKind::IdentifierNotInTemplate;
            finding.detail =
                "rule " + std::to_string(number) + ": " + quoted(rule.identifier) + " does not occur in the template";
            use.findings.push_back(std::move(finding));
        }
    }
    return use;
}

// A part of `relative` longer than a name may be, or a whole path longer than a path may be.
std::string tooLongReason(std::string_view relative, std::size_t folderBytes)
{
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string_view::npos)
            end = relative.size();
        if (end - start > kMaxNameBytes)
            return "a part of the name is " + std::to_string(end - start) + " bytes long; names may have " +
                   std::to_string(kMaxNameBytes);
        start = end + 1;
    }
    if (folderBytes + 1 + relative.size() > kMaxPathBytes)
        return "the path is " + std::to_string(folderBytes + 1 + relative.size()) + " bytes long; paths may have " +
               std::to_string(kMaxPathBytes);
    return {};
}

// The folders a relative name needs: each "/"-separated prefix of its folder part.
template <class Visit> void forEachFolder(std::string_view relative, Visit visit)
{
    for (std::size_t slash = relative.find('/'); slash != std::string_view::npos; slash = relative.find('/', slash + 1))
        if (slash > 0)
            visit(relative.substr(0, slash));
}

// Looks at every record as the run would and hands its findings on.
class RecordChecker final {
public:
    RecordChecker(const ProjectSettings& s, std::string outputFolder, int widestField, const FindingSink& sink,
                  CheckReport& report)
        : m_s(s)
        , m_htmlValues(isHtmlTemplate(s.templatefile) && !s.escapehtml)
        , m_outputFolder(std::move(outputFolder))
        , m_widestField(widestField)
        , m_sink(sink)
        , m_report(report)
        , m_probe(m_outputFolder)
    {
        if (s.report)
            m_probe.reserveName("report.html");
    }

    OutputProbe& probe() { return m_probe; }

    void check(const DataRecord& record)
    {
        const std::uint64_t number = record.number;
        m_line = record.firstLine;
        m_record.assign(record.text, m_s.delim, m_s.quotes);
        if (record.unclosedQuote)
            add({CheckFindingKind::UnclosedQuote,
                 number,
                 0,
                 0,
                 {},
                 "a quote opened in this record never closes: the rest of the data file is its last field"});
        if (m_htmlValues)
            checkHtmlValues(number);
        if (m_widestField > 0) {
            const std::int64_t fields = m_record.count();
            if (fields < m_widestField)
                add({CheckFindingKind::FewerFields,
                     number,
                     0,
                     0,
                     {},
                     std::to_string(fields) + (fields == 1 ? " field" : " fields") + ", the rules use " +
                         std::to_string(m_widestField)});
        }

        const OutputName name = recordOutputName(m_s, m_outputFolder, m_record, number);
        if (name.outcome == NameOutcome::NoName) {
            add({CheckFindingKind::NoName, number, 0, 0, {}, name.reason});
            return;
        }
        if (name.outcome == NameOutcome::LeavesFolder) {
            add({CheckFindingKind::LeavesFolder, number, 0, 0, {}, name.reason});
            return;
        }
        if (!checkPlace(name.relativeName, number))
            return;

        const auto [exact, newPath] = m_byPath.try_emplace(name.path, number);
        if (!newPath) {
            add({CheckFindingKind::SameName, number, 0, 0, name.relativeName,
                 "the same file as " + lineText(exact->second, m_s.quotes) + "; the later record replaces it"});
            return;
        }
        const auto [folded, newFolded] =
            m_byFoldedPath.try_emplace(toLowerCase(name.path), FirstUse{number, name.path});
        if (!newFolded)
            add({CheckFindingKind::SameNameIgnoringCase, number, 0, 0, name.relativeName,
                 "differs only in letter case from " + lineText(folded->second.record, m_s.quotes) + " (" +
                     quoted(fileNamePart(folded->second.path)) + "); a case-insensitive disk would merge them"});
    }

private:
    struct FirstUse {
        std::uint64_t record;
        std::string path;
    };

    void add(CheckFinding finding)
    {
        finding.line = m_line;
        ++m_report.findingCount;
        m_sink(finding);
    }

    // The findings of where the file would go: the names the system refuses, the folders and
    // files standing in the way, and the files the run must not replace. False when the record
    // gets no file there.
    bool checkPlace(const std::string& relative, std::uint64_t number)
    {
        if (const std::string reason = tooLongReason(relative, m_outputFolder.size()); !reason.empty()) {
            add({CheckFindingKind::NameTooLong, number, 0, 0, relative, reason});
            return false;
        }
        // The folders of earlier records and their files must not stand in each other's way.
        bool blocked = false;
        forEachFolder(relative, [&](std::string_view folder) {
            if (blocked)
                return;
            if (const auto file = m_byRelative.find(std::string(folder)); file != m_byRelative.end()) {
                add({CheckFindingKind::FolderBlocked, number, 0, 0, relative,
                     "the subfolder " + quoted(folder) + " is the file of " + lineText(file->second, m_s.quotes) +
                         "; the record is passed over"});
                blocked = true;
            }
        });
        if (blocked)
            return false;
        if (const auto folder = m_folders.find(relative); folder != m_folders.end()) {
            add({CheckFindingKind::NameIsFolder, number, 0, 0, relative,
                 "the name is the subfolder of " + lineText(folder->second, m_s.quotes) +
                     "; the run ends here with an error"});
            return false;
        }

        std::string at;
        switch (m_probe.probe(relative, at)) {
        case TreeProbe::Clear:
            break;
        case TreeProbe::FolderBlocked:
            add({CheckFindingKind::FolderBlocked, number, 0, 0, relative,
                 "a file stands where the subfolder " + quoted(at) + " must go; the record is passed over"});
            return false;
        case TreeProbe::LinkInPath:
            add({CheckFindingKind::LinkInPath, number, 0, 0, relative,
                 "the subfolder " + quoted(at) + " is a symbolic link; the record is refused"});
            return false;
        case TreeProbe::ReplacesEntry:
            add({CheckFindingKind::ReplacesLink, number, 0, 0, relative,
                 "a symbolic link or another file's second name stands there; the run replaces it, never writing "
                 "through it"});
            break;
        case TreeProbe::NameIsFolder:
            add({CheckFindingKind::NameIsFolder, number, 0, 0, relative,
                 "the name is a folder; the run ends here with an error"});
            return false;
        case TreeProbe::OwnInput:
            add({CheckFindingKind::OwnInput, number, 0, 0, relative,
                 "the file is the run's data file, template, project file or report; the record is refused"});
            return false;
        }
        forEachFolder(relative, [&](std::string_view folder) { m_folders.try_emplace(std::string(folder), number); });
        m_byRelative.try_emplace(relative, number);
        return true;
    }

    // A finding for each rule value of the record that holds "<" or "&", which an HTML page would
    // read as markup.
    void checkHtmlValues(std::uint64_t number)
    {
        std::uint64_t row = 0;
        for (const Rule& rule : m_s.rules.rules()) {
            ++row;
            const int field = rule.activeField();
            if (field == 0)
                continue;
            const std::string_view value = m_record.field(field);
            if (value.find_first_of("<&") != std::string_view::npos)
                add({CheckFindingKind::UnescapedHtml,
                     number,
                     0,
                     0,
                     {},
                     "field " + std::to_string(field) + " (rule " + std::to_string(row) +
                         ") holds \"<\" or \"&\", inserted into an HTML template as markup; escapehtml=1 shows "
                         "it as text"});
        }
    }

    const ProjectSettings& m_s;
    bool m_htmlValues;
    RecordFields m_record;
    std::uint64_t m_line = 0;
    std::string m_outputFolder;
    int m_widestField;
    const FindingSink& m_sink;
    CheckReport& m_report;
    OutputProbe m_probe;
    std::unordered_map<std::string, std::uint64_t> m_byPath;
    std::unordered_map<std::string, FirstUse> m_byFoldedPath;
    std::unordered_map<std::string, std::uint64_t> m_byRelative; // files, by relative name
    std::unordered_map<std::string, std::uint64_t> m_folders;    // subfolders, by relative name
};

} // namespace

CheckReport checkProjectOutput(const ProjectSettings& s, const std::string& projectPath,
                               const std::string& programFolder, RecordRange range, ShardSpec shard,
                               const FindingSink& sink)
{
    CheckReport report;
    const Result<RunInputs> inputs = openRunInputs(s, projectPath, programFolder);
    if (!inputs) {
        report.message = inputs.error().message;
        return report;
    }
    // The records are counted first (the data file read through once); the check then reads them
    // again one by one.
    const Result<RecordCount> counted = inputs.value().data->count();
    if (!counted) {
        report.message = counted.error().message;
        return report;
    }
    report.started = true;

    const RuleUse rules = examineRules(s, normalizeLineEnds(inputs.value().templateText));
    for (const CheckFinding& finding : rules.findings) {
        ++report.findingCount;
        sink(finding);
    }

    const RunInputPaths& paths = inputs.value().paths;
    RecordChecker checker(s, paths.outputFolder, rules.widestField, sink, report);
    if (inputs.value().data->identity())
        checker.probe().protect(*inputs.value().data->identity());
    checker.probe().protect(inputs.value().templateIdentity);
    if (const std::optional<FileIdentity> project = fileIdentityOf(paths.project))
        checker.probe().protect(*project);

    // What the data file holds that a run would read differently from what its user may expect.
    RunRecords& data = *inputs.value().data;
    std::vector<std::string> warnings;
    if (paths.dataFile != kStandardInput)
        warnings = warningTexts(scanDataFile(paths.dataFile, s.delim, s.quotes, s.encoding));
    if (const std::uint64_t replaced = data.replaced(); replaced > 0)
        warnings.push_back(replacedSequencesText(replaced, data.encoding()->name));
    for (std::string& warning : warnings) {
        ++report.findingCount;
        sink({CheckFindingKind::DataFile, 0, 0, 0, {}, std::move(warning)});
    }

    report.quotes = s.quotes;
    report.recordCount = counted.value().total;
    DataRecord record;
    for (std::uint64_t number = 1; number <= report.recordCount && number <= range.last; ++number) {
        const Result<bool> got = data.next(record);
        if (!got || !got.value()) {
            // A data file that cannot be read to its end (a failing disk): the records after
            // the last one read were not checked.
            if (!got) {
                ++report.findingCount;
                sink({CheckFindingKind::DataFile, 0, 0, 0, {}, got.error().message});
            }
            break;
        }
        if (number < range.first || !shard.holds(record.offset, data.size()))
            continue;
        // The header record names the fields and gets no file.
        if (s.header && number == 1)
            continue;
        ++report.recordsChecked;
        checker.check(record);
    }
    return report;
}

CheckReport checkProjectOutput(const ProjectSettings& settings, const std::string& projectPath,
                               const std::string& programFolder, RecordRange range, ShardSpec shard)
{
    std::vector<CheckFinding> findings;
    CheckReport report = checkProjectOutput(settings, projectPath, programFolder, range, shard,
                                            [&findings](const CheckFinding& f) { findings.push_back(f); });
    report.findings = std::move(findings);
    return report;
}

const char* checkFindingLabel(CheckFindingKind kind)
{
    switch (kind) {
    case CheckFindingKind::NoName:
        return "no name";
    case CheckFindingKind::SameName:
        return "same name";
    case CheckFindingKind::SameNameIgnoringCase:
        return "same name ignoring case";
    case CheckFindingKind::LeavesFolder:
        return "leaves output folder";
    case CheckFindingKind::FewerFields:
        return "fewer fields";
    case CheckFindingKind::IdentifierNotInTemplate:
        return "identifier not in template";
    case CheckFindingKind::RuleSkipped:
        return "rule skipped";
    case CheckFindingKind::LinkInPath:
        return "symbolic link in path";
    case CheckFindingKind::ReplacesLink:
        return "replaces a link";
    case CheckFindingKind::OwnInput:
        return "replaces an input";
    case CheckFindingKind::NameIsFolder:
        return "name is a folder";
    case CheckFindingKind::NameTooLong:
        return "name too long";
    case CheckFindingKind::FolderBlocked:
        return "folder blocked";
    case CheckFindingKind::UnclosedQuote:
        return "unclosed quote";
    case CheckFindingKind::UnescapedHtml:
        return "markup in value";
    case CheckFindingKind::DataFile:
        return "data file";
    }
    return "";
}

CheckTableWriter::CheckTableWriter(std::ostream& out, bool recordAndLine)
    : m_out(out)
    , m_recordAndLine(recordAndLine)
{
    m_held.push_back({"record", "line", "finding", "name", "detail"});
}

void CheckTableWriter::add(const CheckFinding& f)
{
    Row row{f.record == 0 ? "-" : std::to_string(f.record), f.line == 0 ? "-" : std::to_string(f.line),
            checkFindingLabel(f.kind), f.name.empty() ? "-" : escapeControlBytes(f.name), escapeControlBytes(f.detail)};
    // Without quoted fields a record is a line: the one column holds its number.
    if (!m_recordAndLine)
        row.line = row.record;
    if (m_released) {
        writeRow(row);
        return;
    }
    m_held.push_back(std::move(row));
    if (m_held.size() > kHeldTableRows)
        release();
}

void CheckTableWriter::release()
{
    for (const Row& row : m_held) {
        m_recordWidth = std::max(m_recordWidth, row.record.size());
        m_lineWidth = std::max(m_lineWidth, row.line.size());
        m_findingWidth = std::max(m_findingWidth, row.finding.size());
        m_nameWidth = std::max(m_nameWidth, row.name.size());
    }
    m_released = true;
    for (const Row& row : m_held)
        writeRow(row);
    m_held.clear();
    m_held.shrink_to_fit();
}

void CheckTableWriter::writeRow(const Row& row)
{
    const auto pad = [](std::size_t width, std::size_t size) {
        return std::string(width - std::min(width, size), ' ');
    };
    if (m_recordAndLine)
        m_out << pad(m_recordWidth, row.record.size()) << row.record << "  ";
    m_out << pad(m_lineWidth, row.line.size()) << row.line << "  " << row.finding
          << pad(m_findingWidth, row.finding.size()) << "  " << row.name << pad(m_nameWidth, row.name.size()) << "  "
          << row.detail << '\n';
}

void CheckTableWriter::finish(const CheckReport& report)
{
    // Without findings there is no table, only the count line.
    if (!m_released && m_held.size() > 1)
        release();
    m_out << report.recordsChecked << (report.recordsChecked == 1 ? " record" : " records") << " checked, "
          << report.findingCount << (report.findingCount == 1 ? " finding" : " findings") << '\n';
}

std::string formatCheckTable(const CheckReport& report)
{
    std::ostringstream out;
    CheckTableWriter table(out, report.quotes);
    for (const CheckFinding& finding : report.findings)
        table.add(finding);
    table.finish(report);
    return out.str();
}

} // namespace stencilor
