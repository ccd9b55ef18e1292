// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/ProjectFile.h"

#include "platform/FileSystem.h"
#include "project/IniFile.h"

#include <algorithm>
#include <map>
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

// How many rule rows a project file may declare (rulesCount) beyond the rows that its ColFld and
// ColTemp keys describe. Blank rows need no keys, so a file declares them by its count alone; a
// table a user builds never holds this many, and a garbage rulesCount such as 2000000000 does not
// allocate gigabytes (a blank row costs some 64 bytes). Rows with keys are always loaded.
constexpr std::size_t kUndescribedRowAllowance = 100000;

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
// `isField` tells which of the two keys it is.
std::size_t describedRow(std::string_view lowerKey, std::size_t limit, bool& isField)
{
    for (std::string_view prefix : {std::string_view("colfld"), std::string_view("coltemp")}) {
        if (!lowerKey.starts_with(prefix))
            continue;
        isField = prefix == "colfld";
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

// The rules of a file that declares `rulesCount` rows (already at least 2) and holds the keys
// `keys` of the section "rules". Every described row keeps its place; the blank rows between and
// after them are loaded as declared while they number at most kUndescribedRowAllowance in all,
// and the ones beyond are dropped (blank rows change nothing in a run, so no rule is lost).
RulesTable loadedRules(std::int32_t rulesCount, const std::unordered_map<std::string, std::string>& keys)
{
    const auto declared = static_cast<std::size_t>(rulesCount);
    std::map<std::size_t, Rule> described;
    for (const auto& [key, value] : keys) {
        bool isField = false;
        if (const std::size_t row = describedRow(key, declared, isField); row != 0)
            (isField ? described[row].fieldLabel : described[row].identifier) = value;
    }
    std::vector<Rule> rows;
    std::size_t blanksLeft = kUndescribedRowAllowance;
    const auto addBlanks = [&](std::size_t count) {
        const std::size_t kept = std::min(count, blanksLeft);
        blanksLeft -= kept;
        rows.resize(rows.size() + kept);
    };
    std::size_t previous = 0;
    for (auto& [row, rule] : described) {
        addBlanks(row - previous - 1);
        rows.push_back(std::move(rule));
        previous = row;
    }
    addBlanks(declared - 1 - previous);
    RulesTable table;
    table.setRowCount(rows.size() + 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
        table.rule(i) = std::move(rows[i]);
    return table;
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
    writeOptional("sheet", s.sheet, !s.sheet.empty());
    writeOptional("escapehtml", flagText(s.escapehtml), s.escapehtml);
    writeOptional("tempRules", flagText(s.tempRules), s.tempRules);
    ini.writeString(kSetup, "rulesCount", std::to_string(s.rules.rowCount()));

    // A blank row needs no keys: a missing key reads as an empty cell, and rulesCount keeps the row.
    std::vector<std::pair<std::string, std::string>> rules;
    for (std::size_t row = 1; row < s.rules.rowCount(); ++row) {
        const Rule& rule = s.rules.rule(row - 1);
        if (rule.fieldLabel.empty() && rule.identifier.empty())
            continue;
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
    s.sheet = ini.readString(kSetup, "sheet", "");
    s.escapehtml = ini.readFlag(kSetup, "escapehtml");
    s.tempRules = ini.readFlag(kSetup, "tempRules");

    const std::int32_t rulesCount = std::max(ini.readInt(kSetup, "rulesCount", 2), std::int32_t{2});
    s.rules = loadedRules(rulesCount, ini.sectionValues(kRules));
    return result;
}

std::string projectFileText(const IniFile& existing, const ProjectSettings& settings)
{
    IniFile ini = existing;
    writeSettings(ini, settings);
    return ini.text();
}

Status saveProject(std::string_view projectPath, const ProjectSettings& settings, std::string_view programFolder,
                   const std::string& programSettingsPath, SaveMode mode)
{
    const std::string path = resolveProjectPath(projectPath, programFolder);
    // The program folder may be an XDG data folder that is created on demand; any other folder
    // must exist already.
    if (folderPart(path) == programFolder) {
        if (Status made = ensureFolderOf(path); !made)
            return made;
    }
    // A file that exists but cannot be read must not be replaced by one that lost its contents,
    // unless the user chose to replace it whole.
    Result<IniFile> project = mode == SaveMode::Replace ? Result<IniFile>(IniFile()) : IniFile::load(path);
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
