// SPDX-License-Identifier: GPL-3.0-or-later
// The INI engine and the project file on any bytes: reading never fails, and saving a project
// into any existing file and loading it again gives back every value the program wrote, while
// every line that the program does not own survives in its order.

#include "FuzzSupport.h"
#include "project/IniFile.h"
#include "project/ProjectFile.h"

#include <array>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>
#include <vector>

using namespace stencilor;

namespace {

// The keys of section "setup" that a save writes.
constexpr std::array<std::string_view, 19> kSetupKeys = {
    "delim",  "textfile", "templatefile", "outputdir",    "directoryFile", "CopyDirFld", "nameFromFld",
    "AddExt", "edExt",    "FileNameFld",  "nameFromTemp", "edTemp",        "DelChars",   "changecase",
    "case",   "report",   "rep_fld",      "report_fld",   "rulesCount"};

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameNoCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// The lines of an INI text as the engine reads them: split at LF, the CRs before it removed.
std::vector<std::string> iniLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::optional<std::string_view> sectionName(std::string_view line)
{
    if (line.starts_with("\xEF\xBB\xBF"))
        line.remove_prefix(3);
    line = trimmed(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    return trimmed(line.substr(0, line.find(']')));
}

// The lines a save leaves alone: everything but the sections "rules" (rebuilt), the header of
// the first section "setup" and, in it, the first line of each key the save writes.
std::vector<std::string> foreignLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> foreign;
    bool inRules = false;
    bool inFirstSetup = false;
    bool setupSeen = false;
    std::array<bool, kSetupKeys.size()> keySeen{};
    for (const std::string& line : lines) {
        if (const std::optional<std::string_view> name = sectionName(line)) {
            inRules = sameNoCase(*name, "rules");
            inFirstSetup = !setupSeen && sameNoCase(*name, "setup");
            setupSeen = setupSeen || inFirstSetup;
            if (inRules || inFirstSetup)
                continue;
        }
        if (inRules)
            continue;
        if (inFirstSetup) {
            const std::size_t equals = line.find('=');
            bool owned = false;
            if (equals != std::string::npos) {
                const std::string_view key = trimmed(std::string_view(line).substr(0, equals));
                for (std::size_t k = 0; k < kSetupKeys.size() && !owned; ++k) {
                    if (!keySeen[k] && sameNoCase(key, kSetupKeys[k]))
                        keySeen[k] = owned = true;
                }
            }
            if (owned)
                continue;
        }
        foreign.push_back(line);
    }
    return foreign;
}

ProjectSettings fuzzedSettings(FuzzedDataProvider& input)
{
    auto text = [&] { return input.ConsumeRandomLengthString(input.ConsumeBool() ? 24 : 2600); };
    ProjectSettings s;
    s.delim = text();
    s.textfile = text();
    s.templatefile = text();
    s.outputdir = text();
    s.directoryFile = text();
    s.CopyDirFld = input.ConsumeBool();
    s.nameFromFld = input.ConsumeBool();
    s.AddExt = input.ConsumeBool();
    s.edExt = text();
    s.FileNameFld = text();
    s.nameFromTemp = input.ConsumeBool();
    // The window's two radio buttons are never both on.
    if (s.nameFromTemp)
        s.nameFromFld = false;
    s.edTemp = text();
    s.DelChars = input.ConsumeBool();
    s.changecase = input.ConsumeBool();
    s.caseIndex = input.ConsumeIntegralInRange<std::int32_t>(-1, 2);
    s.report = input.ConsumeBool();
    s.rep_fld = text();
    s.report_fld = text();
    s.rules.setRowCount(input.ConsumeIntegralInRange<std::size_t>(2, 9));
    for (std::size_t i = 0; i < s.rules.ruleCount(); ++i) {
        s.rules.rule(i).fieldLabel = text();
        s.rules.rule(i).identifier = text();
    }
    return s;
}

void checkSameSettings(const ProjectSettings& loaded, const ProjectSettings& saved)
{
    const std::pair<const std::string*, const std::string*> texts[] = {
        {&loaded.delim, &saved.delim},
        {&loaded.textfile, &saved.textfile},
        {&loaded.templatefile, &saved.templatefile},
        {&loaded.outputdir, &saved.outputdir},
        {&loaded.directoryFile, &saved.directoryFile},
        {&loaded.edExt, &saved.edExt},
        {&loaded.FileNameFld, &saved.FileNameFld},
        {&loaded.edTemp, &saved.edTemp},
        {&loaded.rep_fld, &saved.rep_fld},
        {&loaded.report_fld, &saved.report_fld},
    };
    for (const auto& [got, want] : texts)
        fuzz::checkEqual(*got, *want, "a text value survives save and load");
    fuzz::check(loaded.rules.ruleCount() == saved.rules.ruleCount(), "the rule count survives");
    for (std::size_t i = 0; i < saved.rules.ruleCount(); ++i) {
        fuzz::checkEqual(loaded.rules.rule(i).fieldLabel, saved.rules.rule(i).fieldLabel, "a field label survives");
        fuzz::checkEqual(loaded.rules.rule(i).identifier, saved.rules.rule(i).identifier, "an identifier survives");
    }
    fuzz::check(loaded == saved, "flags and numbers survive save and load");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The last two bytes give the length of the existing file at the front; the bytes behind it
    // choose the settings to save into it.
    FuzzedDataProvider input(data, size);
    const std::size_t fileLength = input.ConsumeIntegralInRange<std::size_t>(0, 65535);
    const std::string existing = input.ConsumeBytesAsString(fileLength);
    const ProjectSettings settings = fuzzedSettings(input);

    // Reading any bytes.
    const IniFile ini = IniFile::parse(existing);
    for (std::string_view key : kSetupKeys) {
        (void)ini.readString("setup", key, "default");
        (void)ini.readInt("setup", key, 7);
        (void)ini.readFlag("setup", key);
    }
    (void)ini.sectionValues("rules");
    fuzz::writeScratch(existing);
    (void)loadProject(fuzz::scratchFile(), ProjectSettings{}, "/nonexistent/");

    // Save, then load.
    const std::string saved = projectFileText(ini, settings);
    fuzz::writeScratch(saved);
    const LoadedProject loaded = loadProject(fuzz::scratchFile(), ProjectSettings{}, "/nonexistent/");
    fuzz::check(loaded.fileFound, "the saved file is found");
    checkSameSettings(loaded.settings, settings);

    // Every line the save does not own survives, in order.
    const std::vector<std::string> before = foreignLines(iniLines(existing));
    const std::vector<std::string> after = foreignLines(iniLines(saved));
    for (std::size_t i = 0; i < std::min(before.size(), after.size()); ++i)
        fuzz::checkEqual(after[i], before[i], "a foreign line survives the save");
    fuzz::check(before.size() == after.size(), "no foreign line is lost or added");

    // Saving the same settings again changes nothing.
    fuzz::checkEqual(projectFileText(IniFile::parse(saved), settings), saved, "a second save changes nothing");
    return 0;
}
