// Line reading against a plain reference of the line rules (a line ends at CR LF, a lone CR or a
// lone LF; a line end at the very end adds no empty line; a NUL byte ends the text), and the data
// source check reading a file in small blocks against the same check over the whole text.

#include "FuzzSupport.h"
#include "datasource/DataSourceCheck.h"
#include "datasource/Fields.h"
#include "datasource/TextLines.h"
#include "platform/FileSystem.h"

#include <string>
#include <vector>

using namespace stencilor;

namespace {

std::vector<std::string> referenceLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::string current;
    bool open = false; // characters were read since the last line end
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(current);
    return lines;
}

bool blank(std::string_view line)
{
    for (char c : line)
        if (static_cast<unsigned char>(c) > 32)
            return false;
    return true;
}

// The data source check by its rules: the first non-blank line (the last line when all are
// blank), the earliest line with the most fields, and that count (-1 without lines).
DataFileState referenceCheck(const std::vector<std::string>& lines, std::string_view delim)
{
    DataFileState state;
    bool sampleFound = false;
    for (const std::string& line : lines) {
        if (!sampleFound) {
            state.csvSampleLine = line;
            sampleFound = !blank(line);
        }
        std::int64_t count = 1;
        if (!delim.empty())
            for (std::size_t at = line.find(delim); at != std::string::npos; at = line.find(delim, at + delim.size()))
                ++count;
        if (count > state.csvFieldCount) {
            state.csvFieldCount = count;
            state.csvWidestLine = line;
        }
    }
    return state;
}

void checkState(const DataFileState& actual, const DataFileState& expected, const char* what)
{
    fuzz::checkEqual(actual.csvSampleLine, expected.csvSampleLine, what);
    fuzz::checkEqual(actual.csvWidestLine, expected.csvWidestLine, what);
    fuzz::check(actual.csvFieldCount == expected.csvFieldCount, what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks the block size of the file check (1 to 64) and the length of the
    // delimiter (0 to 3) that follows it; the rest is the text.
    if (size < 1)
        return 0;
    const std::size_t block = data[0] % 64 + 1;
    const std::size_t delimLength = data[0] / 64;
    if (size < 1 + delimLength)
        return 0;
    const std::string_view delim = fuzz::asText(data + 1, delimLength);
    const std::string_view text = fuzz::asText(data + 1 + delimLength, size - 1 - delimLength);

    const std::vector<std::string> expected = referenceLines(text);
    const std::vector<std::string_view> lines = splitLines(text);
    fuzz::check(lines.size() == expected.size(), "splitLines count");
    for (std::size_t i = 0; i < lines.size(); ++i)
        fuzz::checkEqual(lines[i], expected[i], "splitLines line");
    fuzz::check(countLines(text) == expected.size(), "countLines");

    LineCursor cursor(text);
    std::string_view line;
    for (const std::string& want : expected) {
        fuzz::check(cursor.next(line), "LineCursor ends early");
        fuzz::checkEqual(line, want, "LineCursor line");
    }
    fuzz::check(!cursor.next(line) && !cursor.next(line), "LineCursor stays at the end");

    const std::string joined = joinLines(lines);
    fuzz::checkEqual(normalizeLineEnds(text), joined, "normalizeLineEnds = joinLines(splitLines)");
    std::string appended = "x";
    appendNormalized(text, appended);
    fuzz::checkEqual(appended, "x" + joined, "appendNormalized appends");
    fuzz::check(isNormalized(joined), "a joined text is normalized");
    fuzz::check(isNormalized(text) == (joined == text), "isNormalized");
    const std::vector<std::string_view> again = splitLines(joined);
    fuzz::check(again == lines, "joined lines split into the same lines");
    fuzz::check(normalizesTo(text, joined), "a text normalizes to its joined lines");
    const std::string_view half = text.substr(0, text.size() / 2);
    fuzz::check(normalizesTo(half, joined) == (normalizeLineEnds(half) == joined), "normalizesTo of another text");

    const DataFileState reference = referenceCheck(expected, delim);
    checkState(checkDataText(text, delim), reference, "checkDataText");
    fuzz::writeScratch(text);
    checkState(checkDataFile(fuzz::scratchFile(), delim, block), reference, "checkDataFile in blocks");
    return 0;
}
