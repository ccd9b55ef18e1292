// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/ProjectCommands.h"

#include "platform/FileSystem.h"
#include "project/IniFile.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace stencilor {

namespace {

constexpr std::string_view kSetup = "setup";
constexpr std::string_view kRules = "rules";

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool somethingExists(const std::string& path)
{
    return fileExists(path) || FolderExists(path);
}

// The window's values and the file's, in the order of the exit comparison; stops at the first
// difference.
class Comparison final {
public:
    explicit Comparison(const IniFile& file)
        : m_file(file)
    {
    }

    Comparison& text(std::string_view key, const std::string& shown)
    {
        if (m_same)
            m_same = m_file.readString(kSetup, key, {}) == shown;
        return *this;
    }
    Comparison& flag(std::string_view key, bool shown)
    {
        if (m_same)
            m_same = m_file.readFlag(kSetup, key) == shown;
        return *this;
    }
    Comparison& number(std::string_view key, std::int64_t shown)
    {
        if (m_same)
            m_same = m_file.readInt(kSetup, key, 0) == shown;
        return *this;
    }
    Comparison& rules(const RulesTable& shown)
    {
        if (!m_same)
            return *this;
        // One pass over the section, however many rules: the window compares after every edit.
        const std::unordered_map<std::string, std::string> keys = m_file.sectionValues(kRules);
        const auto stored = [&keys](const std::string& lowerKey) -> std::string_view {
            const auto it = keys.find(lowerKey);
            return it == keys.end() ? std::string_view() : std::string_view(it->second);
        };
        for (std::size_t row = 1; m_same && row < shown.rowCount(); ++row) {
            const Rule& rule = shown.rule(row - 1);
            m_same = stored("colfld" + std::to_string(row)) == rule.fieldLabel &&
                     stored("coltemp" + std::to_string(row)) == rule.identifier;
        }
        return *this;
    }
    bool same() const { return m_same; }

private:
    const IniFile& m_file;
    bool m_same = true;
};

} // namespace

std::string newProjectPath(std::string_view currentProjectPath, const std::string& programFolder)
{
    std::string folder(folderPart(currentProjectPath));
    if (folder.empty() || !FolderExists(folder))
        folder = programFolder;
    folder = withSlash(std::move(folder));
    for (unsigned long long n = 0;; ++n) {
        std::string candidate = folder + "noname" + std::to_string(n) + ".ql";
        if (!somethingExists(candidate))
            return candidate;
    }
}

std::string newStartupProjectPath(const std::tm& now, const std::string& programFolder)
{
    char name[64];
    std::snprintf(name, sizeof name, "New-%04d-%02d-%02d_%02d-%02d.ql", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday,
                  now.tm_hour, now.tm_min);
    return withSlash(programFolder) + name;
}

std::string startupProjectPath(const std::string& argument, const std::string& programSettingsPath,
                               const std::string& programFolder, const std::tm& now)
{
    if (!argument.empty() && fileExists(argument))
        return argument;
    if (std::string last = readLastProject(programSettingsPath); !last.empty())
        return last;
    return newStartupProjectPath(now, programFolder);
}

std::string withProjectExtension(std::string_view chosenPath)
{
    const std::string_view name = fileNamePart(chosenPath);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::string(chosenPath) + ".ql";
    if (dot + 1 == name.size())
        return std::string(chosenPath) + "ql";
    return std::string(chosenPath);
}

bool saveAsReplacesAnotherFile(const std::string& target, const std::string& currentProject)
{
    struct stat replaced {};
    if (::stat(target.c_str(), &replaced) != 0 || S_ISDIR(replaced.st_mode))
        return false;
    struct stat own {};
    if (::stat(currentProject.c_str(), &own) != 0)
        return true;
    return own.st_dev != replaced.st_dev || own.st_ino != replaced.st_ino;
}

bool isHtmlTemplate(std::string_view templateFile)
{
    const auto endsWith = [templateFile](std::string_view end) {
        if (templateFile.size() < end.size())
            return false;
        return std::equal(end.begin(), end.end(), templateFile.end() - static_cast<std::ptrdiff_t>(end.size()),
                          [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
    };
    return endsWith(".htm") || endsWith(".html");
}

ProjectSettings newProjectSettings(ProjectSettings kept)
{
    kept.quotes = true;
    kept.encoding = "auto";
    if (isHtmlTemplate(kept.templatefile))
        kept.escapehtml = true;
    return kept;
}

ProjectFileComparison compareWithProjectFile(const ProjectSettings& window, const std::string& path)
{
    if (!fileExists(path)) {
        const std::vector<Rule>& rules = window.rules.rules();
        const bool worthKeeping = std::any_of(rules.begin(), rules.end(), [](const Rule& rule) {
            return !rule.fieldLabel.empty() && !rule.identifier.empty();
        });
        return worthKeeping ? ProjectFileComparison::UnsavedRules : ProjectFileComparison::NoFile;
    }
    const Result<IniFile> loaded = IniFile::load(path);
    // A file that is there but cannot be read cannot be shown to hold the window's settings.
    if (!loaded)
        return ProjectFileComparison::Differs;
    const RulesTable& rules = window.rules;
    Comparison c(loaded.value());
    c.text("delim", window.delim)
        .text("textfile", window.textfile)
        .text("templatefile", window.templatefile)
        .text("outputdir", window.outputdir)
        .text("directoryFile", window.directoryFile)
        .flag("CopyDirFld", window.CopyDirFld)
        .flag("nameFromFld", window.nameFromFld)
        .flag("AddExt", window.AddExt)
        .text("edExt", window.edExt)
        .text("FileNameFld", window.FileNameFld)
        .flag("nameFromTemp", window.nameFromTemp)
        .text("edTemp", window.edTemp)
        .flag("DelChars", window.DelChars)
        .flag("changecase", window.changecase)
        .number("case", window.caseIndex)
        .flag("report", window.report)
        .text("rep_fld", window.rep_fld)
        .text("report_fld", window.report_fld)
        .flag("quotes", window.quotes)
        .flag("header", window.header)
        .text("encoding", window.encoding)
        .text("sheet", window.sheet)
        .flag("escapehtml", window.escapehtml)
        .flag("tempRules", window.tempRules)
        .number("rulesCount", static_cast<std::int64_t>(rules.rowCount()))
        .rules(rules);
    return c.same() ? ProjectFileComparison::Same : ProjectFileComparison::Differs;
}

} // namespace stencilor
