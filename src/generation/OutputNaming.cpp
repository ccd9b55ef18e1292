// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/OutputNaming.h"

#include "datasource/Fields.h"
#include "datasource/ReplaceAll.h"
#include "datasource/TextLines.h"
#include "generation/CaseMapping.h"
#include "generation/CompiledTemplate.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace stencilor {

namespace {

// Data files written on Windows separate folders with "\"; such names sort into the same folders.
void toSlashes(std::string& text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
}

// A name has an extension when a "." stands after its last "/" (anywhere when it has none).
bool hasExtension(std::string_view name)
{
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    return name.find('.', start) != std::string_view::npos;
}

// The extension text of the setting: behind its first ".", or the whole text without one.
std::string_view extensionText(std::string_view setting)
{
    const std::size_t dot = setting.find('.');
    return dot == std::string_view::npos ? setting : setting.substr(dot + 1);
}

// Blanks are the space and every control character below it.
bool isBlankOnly(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

// The characters that survive the deletion of non-Latin characters; every other byte goes.
bool isKeptCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '/';
}

std::string withoutNonLatin(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept), isKeptCharacter);
    return kept;
}

// True when one of the "/"-separated components of `relative` is "..".
bool climbsOut(std::string_view relative)
{
    std::size_t start = 0;
    while (true) {
        const std::size_t end = relative.find('/', start);
        const std::string_view component =
            relative.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (component == "..")
            return true;
        if (end == std::string_view::npos)
            return false;
        start = end + 1;
    }
}

// The longest name template text the rules may make; a longer one gives no name.
constexpr std::size_t kMaxNameText = std::size_t{1} << 20;

// Replaces, in `name`, each rule's identifier by the record's value, rule after rule as in the
// template. False when the text would grow beyond kMaxNameText.
bool applyNameRules(const ProjectSettings& s, const RecordFields& record, std::string& name)
{
    std::vector<std::string_view> identifiers;
    std::vector<std::string_view> values;
    for (const Rule& rule : s.rules.rules()) {
        if (const int field = rule.activeField(); field != 0) {
            identifiers.push_back(rule.identifier);
            values.push_back(record.field(field));
        }
    }
    return applyRules(name, identifiers, values, kMaxNameText);
}

// Why the naming settings give the record `line` no name.
Detail noNameReason(const ProjectSettings& s, const RecordFields& record)
{
    if (s.nameFromTemp) {
        if (s.edTemp.empty())
            return {DetailKind::NameTemplateEmpty};
        std::string name = s.edTemp;
        if (s.tempRules && !applyNameRules(s, record, name))
            return {DetailKind::NameTooLong, {}, kMaxNameText};
        return {DetailKind::NameEmpty};
    }
    if (!s.nameFromFld)
        return {DetailKind::NoNameSource};
    const int field = DigitsToInt(s.FileNameFld);
    if (field <= 0)
        return {DetailKind::NameFieldUnnumbered, s.FileNameFld};
    const std::int64_t fields = record.count();
    if (field > fields)
        return {DetailKind::NoNameField, {}, static_cast<std::uint64_t>(field), static_cast<std::uint64_t>(fields)};
    return {DetailKind::NameFieldEmpty, {}, static_cast<std::uint64_t>(field)};
}

// The name before case change and folders: from the name template, or from the name field with
// the default extension added when it has none.
std::string baseNameOf(const ProjectSettings& s, const RecordFields& record, std::uint64_t recordNumber)
{
    if (s.nameFromTemp) {
        std::string base = s.edTemp;
        if (s.tempRules && !applyNameRules(s, record, base))
            return {};
        base = ReplaceAll(base, "?", std::to_string(recordNumber));
        toSlashes(base);
        return base;
    }
    if (!s.nameFromFld)
        return {};
    const int field = DigitsToInt(s.FileNameFld);
    if (field <= 0)
        return {};
    std::string base(record.field(field));
    // The separators are unified first so that the extension test looks behind the last folder.
    toSlashes(base);
    if (s.AddExt && !base.empty() && !hasExtension(base)) {
        std::string extension(extensionText(s.edExt));
        toSlashes(extension);
        base += '.';
        base += extension;
    }
    return base;
}

std::string changeCase(const ProjectSettings& s, std::string base)
{
    if (!s.changecase)
        return base;
    switch (s.caseIndex) {
    case kCaseSmall:
        return toLowerCase(base);
    case kCaseSentence:
        return toSentenceCase(base);
    case kCaseLarge:
        return toUpperCase(base);
    default:
        return base;
    }
}

} // namespace

OutputName recordOutputName(const ProjectSettings& s, std::string_view outputFolder, std::string_view line,
                            std::uint64_t recordNumber)
{
    return recordOutputName(s, outputFolder, RecordFields(line, s.delim, s.quotes), recordNumber);
}

OutputName recordOutputName(const ProjectSettings& s, std::string_view outputFolder, const RecordFields& record,
                            std::uint64_t recordNumber)
{
    OutputName result;
    const std::string base = changeCase(s, baseNameOf(s, record, recordNumber));
    if (base.empty()) {
        result.why = noNameReason(s, record);
        return result;
    }

    std::string sub;
    if (s.CopyDirFld) {
        const int field = DigitsToInt(s.directoryFile);
        if (field > 0) {
            sub = record.field(field);
            toSlashes(sub);
        }
    }

    // The generated part of the path: the subfolder (when it is more than blanks; the untrimmed
    // value names it) and the base name.
    std::string relative = isBlankOnly(sub) ? base : withTrailingSlash(sub) + base;
    // Deletion works on the generated part only: the output folder is the user's choice and
    // stays as it is.
    if (s.DelChars)
        relative = withoutNonLatin(relative);

    const std::size_t fileStart = relative.rfind('/') == std::string::npos ? 0 : relative.rfind('/') + 1;
    relative.erase(std::remove(relative.begin() + static_cast<std::ptrdiff_t>(fileStart), relative.end(), ':'),
                   relative.end());

    // A generated part that begins with "/" is still joined below the output folder; dropping
    // those slashes from the relative name keeps the report's link relative to the report.
    relative.erase(0, std::min(relative.find_first_not_of('/'), relative.size()));
    if (climbsOut(relative)) {
        result.refusal = Refusal::LeavesFolder;
        result.why = {DetailKind::LeavesFolder};
        return result;
    }
    result.refusal = Refusal::None;
    result.path = withTrailingSlash(outputFolder) + relative;
    result.relativeName = std::move(relative);
    return result;
}

std::string withTrailingSlash(std::string_view text)
{
    std::string result(text);
    if (result.empty() || result.back() != '/')
        result += '/';
    return result;
}

} // namespace stencilor
