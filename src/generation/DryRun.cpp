// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DryRun.h"

#include "datasource/DataFileWarnings.h"
#include "datasource/Fields.h"
#include "datasource/TextLines.h"
#include "generation/ProbeSink.h"
#include "generation/RecordPlan.h"
#include "generation/SpilledNames.h"
#include "platform/Messages.h"
#include "project/ProjectCommands.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace stencilor {

namespace {

// Rows held back by the table writer to measure its columns.
constexpr std::size_t kHeldTableRows = 1000;

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
                finding.detail = {DetailKind::RuleUnset, {}, number};
            else if (noField)
                finding.detail = {DetailKind::RuleWithoutField, rule.identifier, number};
            else
                finding.detail = {DetailKind::RuleWithoutIdentifier, rule.fieldLabel, number};
            use.findings.push_back(std::move(finding));
            continue;
        }
        use.widestField = std::max(use.widestField, field);
        // The run compiles the template with CR LF line ends, so identifiers are looked for there.
        if (templateText.find(rule.identifier) == std::string_view::npos) {
            finding.kind = CheckFindingKind::IdentifierNotInTemplate;
            finding.detail = {DetailKind::IdentifierNotInTemplate, rule.identifier, number};
            use.findings.push_back(std::move(finding));
        }
    }
    return use;
}

// What the data file holds that a run reads otherwise than its user may expect.
std::vector<Detail> dataFileDetails(const RunInputPaths& paths, const ProjectSettings& s, const RunRecords& data,
                                    const std::atomic<bool>* stop)
{
    std::vector<Detail> details;
    if (paths.dataFile != kStandardInput)
        details =
            warningDetails(scanDataFile(paths.dataFile, s.delim, s.quotes, s.encoding, std::size_t{1} << 20, {}, stop));
    if (const std::uint64_t replaced = data.replaced(); replaced > 0)
        details.push_back(replacedSequences(replaced, data.encoding()->name));
    return details;
}

// Looks at every record as the run would, its plan handed to a probe of the output folder, and
// hands its findings on: all of them, or (`quietBelow`) those of the records from that one on, or
// (`silent`) none, for a reading that only gathers names.
class RecordChecker final {
public:
    RecordChecker(const ProjectSettings& s, int widestField, const FindingSink& sink, CheckReport& report,
                  std::uint64_t quietBelow = 0, bool silent = false)
        : m_s(s)
        , m_htmlValues(isHtmlTemplate(s.templatefile) && !s.escapehtml)
        , m_widestField(widestField)
        , m_sink(sink)
        , m_report(report)
        , m_quietBelow(quietBelow)
        , m_silent(silent)
        , m_probe([this](CheckFinding finding) { add(std::move(finding)); }, s.quotes)
    {
    }

    ProbeSink& probe() { return m_probe; }

    // A data file that cannot be read to its end (a failing disk): the records after the last
    // one read were not checked.
    void readFailed(const Error& error)
    {
        m_line = 0;
        add({CheckFindingKind::DataFile, 0, 0, 0, {}, Detail::readFailed(error)});
    }

    void check(const RecordPlan& plan, bool unclosedQuote, bool shownAsGeneral)
    {
        const std::uint64_t number = plan.number;
        m_line = plan.firstLine;
        if (!m_silent && number >= m_quietBelow)
            ++m_report.recordsChecked;
        // A reading that only gathers names skips what concerns the record alone.
        if (!m_silent)
            checkValues(plan, unclosedQuote, shownAsGeneral);
        if (plan.error && plan.error->kind == ErrorKind::RecordTooLarge) {
            add({CheckFindingKind::TextTooLarge,
                 number,
                 0,
                 0,
                 plan.name.relativeName,
                 {DetailKind::TextTooLarge, sizeText(plan.error->numbers[1])}});
            return;
        }
        switch (plan.refusal) {
        case Refusal::NoName:
            add({CheckFindingKind::NoName, number, 0, 0, {}, plan.name.why});
            break;
        case Refusal::LeavesFolder:
            add({CheckFindingKind::LeavesFolder, number, 0, 0, {}, plan.name.why});
            break;
        default:
            m_probe.write(plan);
            break;
        }
    }

private:
    void add(CheckFinding finding)
    {
        if (m_silent || (finding.record != 0 && finding.record < m_quietBelow))
            return;
        finding.line = m_line;
        ++m_report.findingCount;
        m_sink(finding);
    }

    // What the record's values hold: an unclosed quote, a number shown as General, markup for an
    // HTML template, fewer fields than the rules use.
    void checkValues(const RecordPlan& plan, bool unclosedQuote, bool shownAsGeneral)
    {
        if (unclosedQuote)
            add({CheckFindingKind::UnclosedQuote, plan.number, 0, 0, {}, {DetailKind::UnclosedQuote}});
        if (shownAsGeneral)
            add({CheckFindingKind::NumberFormat, plan.number, 0, 0, {}, {DetailKind::ShownAsGeneral}});
        if (m_htmlValues)
            checkHtmlValues(plan);
        if (m_widestField > 0) {
            const std::int64_t fields = plan.fields.count();
            if (fields < m_widestField)
                add({CheckFindingKind::FewerFields,
                     plan.number,
                     0,
                     0,
                     {},
                     {DetailKind::FewerFields,
                      {},
                      static_cast<std::uint64_t>(fields),
                      static_cast<std::uint64_t>(m_widestField)}});
        }
    }

    // A finding for each rule value of the record that holds "<" or "&", which an HTML page would
    // read as markup.
    void checkHtmlValues(const RecordPlan& plan)
    {
        std::uint64_t row = 0;
        for (const Rule& rule : m_s.rules.rules()) {
            ++row;
            const int field = rule.activeField();
            if (field == 0)
                continue;
            const std::string_view value = plan.fields.field(field);
            if (value.find_first_of("<&") != std::string_view::npos)
                add({CheckFindingKind::UnescapedHtml,
                     plan.number,
                     0,
                     0,
                     {},
                     {DetailKind::UnescapedHtml, {}, static_cast<std::uint64_t>(field), row}});
        }
    }

    const ProjectSettings& m_s;
    bool m_htmlValues;
    std::uint64_t m_line = 0;
    int m_widestField;
    const FindingSink& m_sink;
    CheckReport& m_report;
    std::uint64_t m_quietBelow;
    bool m_silent;
    ProbeSink m_probe;
};

// What a check reads: the project's inputs, opened, and the records it takes.
struct CheckInputs {
    const ProjectSettings& s;
    const RunInputs& inputs;
    const RunOptions& outputs;
    RecordSelection selection;
    const PassWatch& watch;
};

// Opens the probe of `checker` on the output folder, with the files it must not replace.
void openProbe(ProbeSink& probe, const CheckInputs& in)
{
    const RunInputPaths& paths = in.inputs.paths;
    (void)probe.start(paths);
    if (in.inputs.data->identity())
        probe.protect(*in.inputs.data->identity());
    probe.protect(in.inputs.templateIdentity);
    if (const std::optional<FileIdentity> project = fileIdentityOf(paths.project))
        probe.protect(*project);
    if (in.s.report)
        probe.reserveReport();
    if (in.outputs.archivePath.empty()) {
        probe.reserveOwnName(nameInFolder(in.outputs.manifestPath, paths.outputFolder));
        if (const std::optional<FileIdentity> manifest = fileIdentityOf(in.outputs.manifestPath))
            probe.protect(*manifest);
    }
}

// Reads the records from the first, plans each as the run does and hands those taken to
// `checker`; `progress` is told how many have been read. With `limit`, stops before the first
// record whose name might take the checker's tables of names past that many bytes, and returns
// its number; otherwise returns 0. A failure to keep the names on disk becomes report.problem.
std::uint64_t checkRecords(const CheckInputs& in, RecordChecker& checker, CheckReport& report,
                           const std::function<void(std::uint64_t)>& progress, std::size_t limit = 0)
{
    RunRecords& data = *in.inputs.data;
    RecordPlanner planner(kMaxRecordText);
    planner.use(in.s, in.inputs.paths, data.sheetForm());
    planner.keepFirstTemplate();
    RecordSelection taken = in.selection;
    taken.dataSize = data.size();
    planner.select(taken);
    DataRecord record;
    for (std::uint64_t read = 0; read < report.recordCount; ++read) {
        if (in.watch.stopRequested()) {
            report.stopped = true;
            break;
        }
        const Result<bool> got = data.next(record);
        if (!got || !got.value()) {
            if (!got)
                checker.readFailed(got.error());
            break;
        }
        progress(read + 1);
        // Rendered as the run renders it, so that the bound of a record's text is decided in the
        // one place the run decides it.
        const RecordPlan& plan = planner.plan(record, RecordPlanner::Render::Now);
        if (plan.place == RecordSelection::Place::After)
            break;
        // The header record names the fields and gets no file.
        if (plan.place == RecordSelection::Place::Before || plan.refusal == Refusal::Header)
            continue;
        if (limit > 0 && checker.probe().wouldOutgrow(plan, limit))
            return plan.number;
        checker.check(plan, record.unclosedQuote, record.shownAsGeneral);
        if (checker.probe().namesError()) {
            report.problem = checker.probe().namesError();
            break;
        }
    }
    return 0;
}

// Checks the records again from the first with their names kept on disk, after the reading with
// tables in memory outgrew them at record `outgrown` (its findings before that record are out):
// one reading gathers the names, the next finds what the records meet, from `outgrown` on.
void checkWithNamesOnDisk(const CheckInputs& in, int widestField, const FindingSink& sink, CheckReport& report,
                          const CheckProgress& progress, std::size_t memory, std::uint64_t outgrown)
{
    RunRecords& data = *in.inputs.data;
    const std::uint64_t total = report.recordCount;
    // The bar goes on from where the first reading stopped, half the rest for each reading.
    const std::uint64_t done = report.recordsChecked;
    const auto share = [&](std::uint64_t from) {
        return [&, from](std::uint64_t read) {
            if (progress)
                progress(from + (total - done) / 2 * read / std::max<std::uint64_t>(total, 1), total);
        };
    };
    SpilledNames names(memory);
    {
        if (Status rewound = data.rewind(); !rewound) {
            report.problem = rewound.error();
            return;
        }
        RecordChecker gatherer(in.s, widestField, sink, report, 0, true);
        openProbe(gatherer.probe(), in);
        gatherer.probe().gatherInto(names);
        checkRecords(in, gatherer, report, share(done));
        if (report.problem || report.stopped)
            return;
        const Result<bool> settled = names.settle(gatherer.probe().pathPrefix(), in.watch.stop);
        if (!settled) {
            report.problem = settled.error();
            return;
        }
        if (!settled.value()) {
            report.stopped = true;
            return;
        }
    }
    if (Status rewound = data.rewind(); !rewound) {
        report.problem = rewound.error();
        return;
    }
    RecordChecker checker(in.s, widestField, sink, report, outgrown);
    openProbe(checker.probe(), in);
    checker.probe().answerFrom(names);
    checkRecords(in, checker, report, share(done + (total - done) / 2));
}

} // namespace

CheckReport checkProjectOutput(const ProjectSettings& s, const ProjectPlace& place, const RecordSelection& selection,
                               const FindingSink& sink, const RunOptions& outputs, const CheckProgress& progress,
                               const PassWatch& watch, std::size_t memory)
{
    CheckReport report;
    const Result<RunInputs> inputs = openRunInputs(s, place);
    if (!inputs) {
        report.problem = inputs.error();
        return report;
    }
    // A manifest or archive the run could not write without destroying its own output or an
    // input stops the check as it stops the run.
    const bool reportInFolder = s.report && selection.shard.isWhole() && outputs.archivePath.empty();
    if (std::optional<Error> problem = runOutputsProblem(outputs, inputs.value().paths, reportInFolder)) {
        report.problem = std::move(problem);
        return report;
    }
    // The records are counted first (the data file read through once); the check then reads them
    // again one by one.
    RunRecords& data = *inputs.value().data;
    const Result<RecordCount> counted = data.count({}, watch);
    if (!counted) {
        report.problem = counted.error();
        return report;
    }
    report.started = true;
    report.stopped = counted.value().stopped;

    const RuleUse rules = examineRules(s, normalizeLineEnds(inputs.value().templateText));
    for (const CheckFinding& finding : rules.findings) {
        ++report.findingCount;
        sink(finding);
    }

    const CheckInputs in{s, inputs.value(), outputs, selection, watch};
    auto checker = std::make_unique<RecordChecker>(s, rules.widestField, sink, report);
    openProbe(checker->probe(), in);

    for (Detail& detail : dataFileDetails(in.inputs.paths, s, data, watch.stop)) {
        ++report.findingCount;
        sink({CheckFindingKind::DataFile, 0, 0, 0, {}, std::move(detail)});
    }

    report.quotes = s.quotes || data.sheetForm();
    report.recordCount = counted.value().total;
    const std::uint64_t outgrown = checkRecords(
        in, *checker, report,
        [&](std::uint64_t read) {
            if (progress)
                progress(read, report.recordCount);
        },
        memory);
    // The tables go before the names on disk take memory of their own.
    checker.reset();
    if (outgrown > 0)
        checkWithNamesOnDisk(in, rules.widestField, sink, report, progress, memory, outgrown);
    return report;
}

CheckReport checkProjectOutput(const ProjectSettings& settings, const ProjectPlace& place)
{
    std::vector<CheckFinding> findings;
    CheckReport report =
        checkProjectOutput(settings, place, {}, [&findings](const CheckFinding& f) { findings.push_back(f); });
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
    case CheckFindingKind::SameNameNormalized:
        return "same name when normalized";
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
    case CheckFindingKind::NumberFormat:
        return "number format";
    case CheckFindingKind::UnescapedHtml:
        return "markup in value";
    case CheckFindingKind::TextTooLarge:
        return "text too large";
    case CheckFindingKind::DataFile:
        return "data file";
    }
    return "";
}

std::string checkFindingCode(CheckFindingKind kind)
{
    std::string code = checkFindingLabel(kind);
    std::replace(code.begin(), code.end(), ' ', '-');
    return code;
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
            checkFindingLabel(f.kind), f.name.empty() ? "-" : escapeControlBytes(f.name),
            escapeControlBytes(detailText(f.detail))};
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

} // namespace stencilor
