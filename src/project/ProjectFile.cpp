#include "project/ProjectFile.h"

#include "platform/FileSystem.h"
#include "project/IniFile.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

namespace stencilor {

namespace {

constexpr std::string_view kSetup = "setup";
constexpr std::string_view kRules = "rules";
constexpr std::string_view kTotal = "total";
constexpr std::string_view kLastProject = "lastprj";
constexpr std::string_view kReportFieldsDefault =
    "FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;";

// How many rule rows a project file may declare (rulesCount) beyond the rows that it actually
// describes with ColFld/ColTemp keys. Every file the program writes describes each of its rows,
// and a hand-edited one may ask for a few blank rows more, so this bound changes nothing for
// them; it only keeps a garbage rulesCount such as 2000000000 from allocating gigabytes. The
// rows a file can describe are bounded by its size, so the table stays bounded by it too.
constexpr std::size_t kUndescribedRowAllowance = 10000;

std::string flagText(bool flag)
{
    return flag ? "1" : "0";
}

std::string fieldKey(std::size_t row)
{
    return "ColFld" + std::to_string(row);
}

std::string identifierKey(std::size_t row)
{
    return "ColTemp" + std::to_string(row);
}

// The row number n of a key "colfldN" or "coltempN" (lower case), when N is written the way the
// program writes it (decimal, no sign, no leading zero) and lies in 1..limit-1; otherwise 0.
std::size_t describedRow(std::string_view lowerKey, std::size_t limit)
{
    for (std::string_view prefix : {std::string_view("colfld"), std::string_view("coltemp")}) {
        if (!lowerKey.starts_with(prefix))
            continue;
        const std::string_view digits = lowerKey.substr(prefix.size());
        if (digits.empty() || digits.front() == '0' || digits.size() > 10)
            return 0;
        std::size_t row = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return 0;
            row = row * 10 + static_cast<std::size_t>(c - '0');
        }
        return row < limit ? row : 0;
    }
    return 0;
}

// The row count to load for a declared `rulesCount` (already at least 2), given the keys of
// the section "rules": see kUndescribedRowAllowance.
std::size_t boundedRowCount(std::int32_t rulesCount, const std::unordered_map<std::string, std::string>& rules)
{
    const auto declared = static_cast<std::size_t>(rulesCount);
    std::unordered_set<std::size_t> described;
    for (const auto& entry : rules) {
        if (const std::size_t row = describedRow(entry.first, declared); row != 0)
            described.insert(row);
    }
    return std::min(declared, 1 + described.size() + kUndescribedRowAllowance);
}

// Writes the keys of "setup" in table order and rebuilds "rules" (saving steps 2-4).
void writeSettings(IniFile& ini, const ProjectSettings& s)
{
    ini.writeString(kSetup, "delim", s.delim);
    ini.writeString(kSetup, "textfile", s.textfile);
    ini.writeString(kSetup, "templatefile", s.templatefile);
    ini.writeString(kSetup, "outputdir", s.outputdir);
    ini.writeString(kSetup, "directoryFile", s.directoryFile);
    ini.writeString(kSetup, "CopyDirFld", flagText(s.CopyDirFld));
    ini.writeString(kSetup, "nameFromFld", flagText(s.nameFromFld));
    ini.writeString(kSetup, "AddExt", flagText(s.AddExt));
    ini.writeString(kSetup, "edExt", s.edExt);
    ini.writeString(kSetup, "FileNameFld", s.FileNameFld);
    ini.writeString(kSetup, "nameFromTemp", flagText(s.nameFromTemp));
    ini.writeString(kSetup, "edTemp", s.edTemp);
    ini.writeString(kSetup, "DelChars", flagText(s.DelChars));
    ini.writeString(kSetup, "changecase", flagText(s.changecase));
    ini.writeString(kSetup, "case", std::to_string(s.caseIndex));
    ini.writeString(kSetup, "report", flagText(s.report));
    ini.writeString(kSetup, "rep_fld", s.rep_fld);
    ini.writeString(kSetup, "report_fld", s.report_fld);
    // The data keys are written when set, or when the file has them already (to turn them off).
    const auto writeOptional = [&ini](std::string_view key, const std::string& value, bool set) {
        if (set || ini.value(kSetup, key))
            ini.writeString(kSetup, key, value);
    };
    writeOptional("quotes", flagText(s.quotes), s.quotes);
    writeOptional("header", flagText(s.header), s.header);
    writeOptional("encoding", s.encoding, !s.encoding.empty());
    writeOptional("escapehtml", flagText(s.escapehtml), s.escapehtml);
    writeOptional("tempRules", flagText(s.tempRules), s.tempRules);
    ini.writeString(kSetup, "rulesCount", std::to_string(s.rules.rowCount()));

    std::vector<std::pair<std::string, std::string>> rules;
    rules.reserve(2 * s.rules.ruleCount());
    for (std::size_t row = 1; row < s.rules.rowCount(); ++row) {
        const Rule& rule = s.rules.rule(row - 1);
        rules.emplace_back(fieldKey(row), rule.fieldLabel);
        rules.emplace_back(identifierKey(row), rule.identifier);
    }
    ini.replaceSection(kRules, rules);
}

} // namespace

Status ensureFolderOf(const std::string& path)
{
    const std::string folder(folderPart(path));
    if (folder.empty() || FolderExists(folder))
        return {};
    // Mode 0700, as the XDG rules ask for the folders they name.
    return EnsureFolder(folder, 0700);
}

std::string resolveProjectPath(std::string_view projectPath, std::string_view programFolder)
{
    if (projectPath.find('/') != std::string_view::npos)
        return std::string(projectPath);
    return std::string(programFolder) + std::string(projectPath);
}

std::string resolveDataFilePath(std::string_view textFile, std::string_view resolvedProjectPath)
{
    if (textFile.starts_with('/'))
        return std::string(textFile);
    // A project path without a folder puts nothing in front: a lone "/" would mean the root folder.
    std::string path(folderPart(resolvedProjectPath));
    path.append(textFile);
    // A file named "-" is spelt "./-", so that it is never taken for standard input.
    if (path == "-")
        path = "./-";
    return path;
}

std::string resolveOutputFolder(std::string_view outputdir, std::string_view resolvedProjectPath)
{
    return outputdir.empty() ? std::string() : resolveDataFilePath(outputdir, resolvedProjectPath);
}

ProjectSettings loadDefaults(std::string_view programFolder)
{
    const std::string folder(programFolder);
    // Texts are moved in from temporaries: assigning literals here trips a false -Wrestrict
    // warning of GCC 12 at -O3.
    ProjectSettings d;
    d.delim = std::string(";");
    d.textfile = folder + "data.csv";
    d.templatefile = folder + "template.html";
    d.outputdir = folder + "temp/";
    d.directoryFile = std::string();
    d.CopyDirFld = false;
    d.nameFromFld = false;
    d.AddExt = false;
    d.edExt = std::string("*.htm");
    d.FileNameFld = std::string();
    d.nameFromTemp = false;
    d.edTemp = std::string("example-F?.htm");
    d.DelChars = false;
    d.changecase = false;
    d.caseIndex = kCaseSmall;
    d.report = false;
    d.rep_fld = std::string();
    d.report_fld = std::string(kReportFieldsDefault);
    d.rules.reset();
    return d;
}

LoadedProject loadProject(std::string_view projectPath, const ProjectSettings& current, std::string_view programFolder)
{
    LoadedProject result{current, false};
    ProjectSettings& s = result.settings;
    s.rules.reset();

    const Result<IniFile> loaded = IniFile::load(resolveProjectPath(projectPath, programFolder));
    if (!loaded || !loaded.value().exists())
        return result;
    result.fileFound = true;
    const IniFile& ini = loaded.value();
    const ProjectSettings d = loadDefaults(programFolder);

    s.delim = ini.readString(kSetup, "delim", d.delim);
    s.textfile = ini.readString(kSetup, "textfile", d.textfile);
    s.templatefile = ini.readString(kSetup, "templatefile", d.templatefile);
    s.outputdir = ini.readString(kSetup, "outputdir", d.outputdir);
    s.directoryFile = ini.readString(kSetup, "directoryFile", d.directoryFile);
    s.CopyDirFld = ini.readFlag(kSetup, "CopyDirFld");
    s.nameFromFld = ini.readFlag(kSetup, "nameFromFld");
    s.AddExt = ini.readFlag(kSetup, "AddExt");
    s.edExt = ini.readString(kSetup, "edExt", d.edExt);
    s.FileNameFld = ini.readString(kSetup, "FileNameFld", d.FileNameFld);
    // The two are radio buttons of one group, set in this order: selecting rbTemplate deselects
    // rbFromFld, deselecting it leaves rbFromFld as it was.
    s.nameFromTemp = ini.readFlag(kSetup, "nameFromTemp");
    if (s.nameFromTemp)
        s.nameFromFld = false;
    s.edTemp = ini.readString(kSetup, "edTemp", d.edTemp);
    s.DelChars = ini.readFlag(kSetup, "DelChars");
    s.changecase = ini.readFlag(kSetup, "changecase");
    s.caseIndex =
        std::clamp(ini.readInt(kSetup, "case", d.caseIndex), std::int32_t{kCaseNone}, std::int32_t{kCaseLarge});
    s.report = ini.readFlag(kSetup, "report");
    s.rep_fld = ini.readString(kSetup, "rep_fld", d.rep_fld);
    s.report_fld = ini.readString(kSetup, "report_fld", d.report_fld);
    s.quotes = ini.readFlag(kSetup, "quotes");
    s.header = ini.readFlag(kSetup, "header");
    s.encoding = ini.readString(kSetup, "encoding", "");
    s.escapehtml = ini.readFlag(kSetup, "escapehtml");
    s.tempRules = ini.readFlag(kSetup, "tempRules");

    const std::int32_t rulesCount = std::max(ini.readInt(kSetup, "rulesCount", 2), std::int32_t{2});
    const std::unordered_map<std::string, std::string> rules = ini.sectionValues(kRules);
    const std::size_t rows = boundedRowCount(rulesCount, rules);
    s.rules.setRowCount(rows);
    for (std::size_t row = 1; row < rows; ++row) {
        Rule& rule = s.rules.rule(row - 1);
        if (auto it = rules.find("colfld" + std::to_string(row)); it != rules.end())
            rule.fieldLabel = it->second;
        if (auto it = rules.find("coltemp" + std::to_string(row)); it != rules.end())
            rule.identifier = it->second;
    }
    return result;
}

std::string projectFileText(const IniFile& existing, const ProjectSettings& settings)
{
    IniFile ini = existing;
    writeSettings(ini, settings);
    return ini.text();
}

Status saveProject(std::string_view projectPath, const ProjectSettings& settings, std::string_view programFolder,
                   const std::string& programSettingsPath)
{
    const std::string path = resolveProjectPath(projectPath, programFolder);
    // The program folder may be an XDG data folder that is created on demand; any other folder
    // must exist already.
    if (folderPart(path) == programFolder) {
        if (Status made = ensureFolderOf(path); !made)
            return made;
    }
    // A file that exists but cannot be read must not be replaced by one that lost its contents.
    Result<IniFile> project = IniFile::load(path);
    if (!project)
        return project.error();
    writeSettings(project.value(), settings);
    if (Status saved = project.value().save(path); !saved)
        return saved;

    if (Status made = ensureFolderOf(programSettingsPath); !made)
        return made;
    Result<IniFile> program = IniFile::load(programSettingsPath);
    if (!program)
        return program.error();
    program.value().writeString(kTotal, kLastProject, projectPath);
    return program.value().save(programSettingsPath);
}

std::string readLastProject(const std::string& programSettingsPath)
{
    const Result<IniFile> program = IniFile::load(programSettingsPath);
    if (!program)
        return {};
    return program.value().readString(kTotal, kLastProject, {});
}

} // namespace stencilor
