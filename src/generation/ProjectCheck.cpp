#include "generation/ProjectCheck.h"

#include "datasource/DataSourceCheck.h"
#include "datasource/TextLines.h"
#include "datasource/mLib.h"
#include "generation/CaseMapping.h"
#include "generation/GenerationRun.h"
#include "generation/OutputNaming.h"
#include "platform/FileSystem.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <sstream>
#include <unordered_map>

namespace stencilor {

namespace {

std::string quoted(std::string_view text)
{
    // Appended piece by piece: `"\"" + std::string(text)` trips a false -Wrestrict warning of
    // GCC 12 at -O2.
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

// Why a record named nothing, from the same settings the naming used.
std::string noNameReason(const ProjectSettings& s, std::string_view line)
{
    if (s.nameFromTemp)
        return s.edTemp.empty() ? "the name template is empty" : "the name is empty";
    if (!s.nameFromFld)
        return "no name source is selected";
    const int field = DigitsToInt(s.FileNameFld);
    if (field <= 0)
        return "the name field " + quoted(s.FileNameFld) + " has no field number";
    const std::int64_t fields = CountFields(line, s.delim);
    if (field > fields)
        return "no field " + std::to_string(field) + " for the name (the record has " + std::to_string(fields) +
               (fields == 1 ? " field)" : " fields)");
    return "the name field " + std::to_string(field) + " is empty";
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
        const int field = DigitsToInt(rule.fieldLabel);
        CheckFinding finding;
        finding.rule = number;
        if (field <= 0 || rule.identifier.empty()) {
            finding.kind = CheckFindingKind::RuleSkipped;
            if (field <= 0 && rule.identifier.empty())
                finding.detail = "rule " + std::to_string(number) + " has no field number and no identifier";
            else if (field <= 0)
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

} // namespace

CheckReport checkProjectOutput(const ProjectSettings& s, const std::string& projectPath,
                               const std::string& programFolder, RecordRange range)
{
    CheckReport report;
    if (s.delim.empty()) {
        report.message = "Please select field delimiter!";
        return report;
    }
    const std::string resolvedProject = resolveProjectPath(projectPath, programFolder);
    const std::string dataPath = resolveDataFilePath(s.textfile, resolvedProject);
    const std::string templatePath = resolveDataFilePath(s.templatefile, resolvedProject);
    const std::string outputFolder = resolveOutputFolder(s.outputdir, resolvedProject);
    if (!fileExists(dataPath))
        report.message = "Text file is empty";
    if (!fileExists(templatePath))
        report.message += "\nTemplate file is empty or not defined";
    if (!report.message.empty())
        return report;

    std::string data;
    if (Status read = readWholeFileInto(dataPath, data); !read) {
        report.message = cannotOpenMessage(absolutePath(dataPath), systemReason(read.error().code));
        return report;
    }
    std::string rawTemplate;
    if (Status read = readWholeFileInto(templatePath, rawTemplate); !read) {
        report.message = cannotOpenMessage(absolutePath(templatePath), systemReason(read.error().code));
        return report;
    }
    report.started = true;

    RuleUse rules = examineRules(s, normalizeLineEnds(rawTemplate));
    report.findings = std::move(rules.findings);

    struct FirstUse {
        std::uint64_t record;
        std::string path;
    };
    std::unordered_map<std::string, std::uint64_t> byPath;
    std::unordered_map<std::string, FirstUse> byFoldedPath;

    report.recordCount = countLines(data);
    LineCursor cursor(data);
    std::string_view line;
    for (std::uint64_t number = 1; number <= report.recordCount && number <= range.last; ++number) {
        cursor.next(line);
        if (number < range.first)
            continue;
        ++report.recordsChecked;

        if (rules.widestField > 0) {
            const std::int64_t fields = CountFields(line, s.delim);
            if (fields < rules.widestField)
                report.findings.push_back({CheckFindingKind::FewerFields,
                                           number,
                                           0,
                                           {},
                                           std::to_string(fields) + (fields == 1 ? " field" : " fields") +
                                               ", the rules use " + std::to_string(rules.widestField)});
        }

        const OutputName name = recordOutputName(s, outputFolder, line, number);
        if (name.outcome == NameOutcome::NoName) {
            report.findings.push_back({CheckFindingKind::NoName, number, 0, {}, noNameReason(s, line)});
            continue;
        }
        if (name.outcome == NameOutcome::LeavesFolder) {
            report.findings.push_back(
                {CheckFindingKind::LeavesFolder, number, 0, {}, "a \"..\" component would leave the output folder"});
            continue;
        }
        const auto [exact, newPath] = byPath.try_emplace(name.path, number);
        if (!newPath) {
            report.findings.push_back(
                {CheckFindingKind::SameName, number, 0, name.relativeName,
                 "the same file as line " + std::to_string(exact->second) + "; the later record replaces it"});
            continue;
        }
        const auto [folded, newFolded] = byFoldedPath.try_emplace(toLowerCase(name.path), FirstUse{number, name.path});
        if (!newFolded)
            report.findings.push_back(
                {CheckFindingKind::SameNameIgnoringCase, number, 0, name.relativeName,
                 "differs only in letter case from line " + std::to_string(folded->second.record) + " (" +
                     quoted(fileNamePart(folded->second.path)) + "); a case-insensitive disk would merge them"});
    }
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
    }
    return "";
}

std::string formatCheckTable(const CheckReport& report)
{
    struct Row {
        std::string line, finding, name, detail;
    };
    std::vector<Row> rows;
    rows.push_back({"line", "finding", "name", "detail"});
    for (const CheckFinding& f : report.findings)
        rows.push_back({f.record == 0 ? "-" : std::to_string(f.record), checkFindingLabel(f.kind),
                        f.name.empty() ? "-" : f.name, f.detail});

    std::size_t lineWidth = 0, findingWidth = 0, nameWidth = 0;
    for (const Row& row : rows) {
        lineWidth = std::max(lineWidth, row.line.size());
        findingWidth = std::max(findingWidth, row.finding.size());
        nameWidth = std::max(nameWidth, row.name.size());
    }
    std::ostringstream out;
    if (!report.findings.empty()) {
        for (const Row& row : rows) {
            out << std::string(lineWidth - row.line.size(), ' ') << row.line << "  " << row.finding
                << std::string(findingWidth - row.finding.size(), ' ') << "  " << row.name
                << std::string(nameWidth - row.name.size(), ' ') << "  " << row.detail << '\n';
        }
    }
    out << report.recordsChecked << (report.recordsChecked == 1 ? " record" : " records") << " checked, "
        << report.findings.size() << (report.findings.size() == 1 ? " finding" : " findings") << '\n';
    return out.str();
}

} // namespace stencilor
