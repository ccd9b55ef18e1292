#include "datasource/DataSourceCheck.h"

#include "datasource/TextLines.h"
#include "datasource/mLib.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace stencilor {

namespace {

// True when the line is empty once characters with codes 0 to 32 are removed at both ends.
bool isBlank(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

} // namespace

std::string resolveDataFilePath(std::string_view textFile, std::string_view resolvedProjectPath)
{
    if (textFile.find('/') != std::string_view::npos)
        return std::string(textFile);
    // A project path without a folder puts nothing in front: a lone "/" would mean the root folder.
    std::string path(folderPart(resolvedProjectPath));
    path.append(textFile);
    return path;
}

DataFileState checkDataFile(const std::string& path, std::string_view delim)
{
    const Result<std::string> text = readWholeFile(path);
    if (!text)
        return {};
    return checkDataText(text.value(), delim);
}

DataFileState checkDataText(std::string_view text, std::string_view delim)
{
    DataFileState state;
    // Only the two kept lines are copied, once, at the end; every other line stays a view.
    std::string_view sample;
    std::string_view widest;
    bool sampleBlank = true;
    LineCursor cursor(text);
    for (std::string_view line; cursor.next(line);) {
        if (sampleBlank) {
            sample = line;
            sampleBlank = isBlank(line);
        }
        const std::int64_t count = CountFields(line, delim);
        if (count > state.csvFieldCount) {
            state.csvFieldCount = count;
            widest = line;
        }
    }
    state.csvSampleLine.assign(sample);
    state.csvWidestLine.assign(widest);
    return state;
}

std::vector<std::string> fieldLabels(std::int64_t count)
{
    std::vector<std::string> labels;
    const std::int64_t last = std::min(count, kMaxFieldLabels);
    for (std::int64_t n = 1; n <= last; ++n)
        labels.push_back(fieldLabel(n));
    return labels;
}

std::string fieldLabel(std::int64_t n)
{
    return "Field " + std::to_string(n);
}

} // namespace stencilor
