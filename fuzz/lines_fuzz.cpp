// SPDX-License-Identifier: GPL-3.0-or-later
// Line reading against a plain reference of the line rules (a line ends at CR LF, a lone CR or a
// lone LF; a line end at the very end adds no empty line; a NUL byte ends the text), the data
// source check reading a file in small blocks against the same check over the whole text, and
// the record reader, plain and with quoted fields, in small blocks against a plain reference of
// the quoting rules over the whole text.

#include "FuzzSupport.h"
#include "datasource/DataSourceCheck.h"
#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/RecordReader.h"
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

struct ReferenceRecord {
    std::string text;
    std::uint64_t firstLine;
    bool unclosed;
};

// Records with quoted fields, read character by character: a quote opens only where a field
// begins (at the start of the record or after a delimiter); inside quotes a doubled quote stays
// inside and anything else but a quote belongs to the field, line ends too.
std::vector<ReferenceRecord> referenceQuotedRecords(std::string_view text, std::string_view delim)
{
    text = text.substr(0, text.find('\0'));
    std::vector<ReferenceRecord> records;
    std::size_t i = 0;
    std::uint64_t line = 1;
    while (i < text.size()) {
        ReferenceRecord record{{}, line, false};
        bool fieldStart = true;
        bool quoted = false;
        for (;;) {
            if (i >= text.size()) {
                record.unclosed = quoted;
                break;
            }
            const char c = text[i];
            if (quoted) {
                if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    record.text += "\"\"";
                    i += 2;
                } else if (c == '"') {
                    record.text += c;
                    quoted = false;
                    ++i;
                } else {
                    if (c == '\n' || (c == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n')))
                        ++line;
                    record.text += c;
                    ++i;
                }
                continue;
            }
            if (c == '\r' || c == '\n') {
                i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
                ++line;
                break;
            }
            if (fieldStart && c == '"') {
                quoted = true;
                fieldStart = false;
                record.text += c;
                ++i;
                continue;
            }
            if (!delim.empty() && text.substr(i, delim.size()) == delim) {
                record.text += delim;
                i += delim.size();
                fieldStart = true;
                continue;
            }
            fieldStart = false;
            record.text += c;
            ++i;
        }
        records.push_back(record);
    }
    return records;
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
    fuzz::check(countLines(text) == expected.size(), "countLines");

    LineCursor cursor(text);
    std::string_view line;
    for (const std::string& want : expected) {
        fuzz::check(cursor.next(line), "LineCursor ends early");
        fuzz::checkEqual(line, want, "LineCursor line");
    }
    fuzz::check(!cursor.next(line) && !cursor.next(line), "LineCursor stays at the end");

    std::string joined;
    for (const std::string& want : expected)
        joined += want + "\r\n";
    fuzz::checkEqual(normalizeLineEnds(text), joined, "normalizeLineEnds ends every line with CR LF");
    std::string appended = "x";
    appendNormalized(text, appended);
    fuzz::checkEqual(appended, "x" + joined, "appendNormalized appends");
    fuzz::check(normalizeLineEnds(joined) == joined, "a normalized text stays as it is");
    fuzz::check(normalizesTo(text, joined), "a text normalizes to its joined lines");
    const std::string_view half = text.substr(0, text.size() / 2);
    fuzz::check(normalizesTo(half, joined) == (normalizeLineEnds(half) == joined), "normalizesTo of another text");

    const DataFileState reference = referenceCheck(expected, delim);
    fuzz::writeScratch(text);
    checkState(checkDataFile(fuzz::scratchFile(), delim, block), reference, "checkDataFile in blocks");

    // The record reader in blocks: plain, a record per line; quoted, as the reference reads them.
    for (const bool quotes : {false, true}) {
        TextSource source(text);
        RecordReader reader(source, {quotes, std::string(delim), block});
        const std::vector<ReferenceRecord> want =
            quotes ? referenceQuotedRecords(text, delim) : std::vector<ReferenceRecord>();
        DataRecord record;
        std::size_t count = 0;
        while (reader.next(record).value()) {
            if (quotes) {
                fuzz::check(count < want.size(), "the quoted reader reads no more records than the reference");
                fuzz::checkEqual(record.text, want[count].text, "quoted record text");
                fuzz::check(record.firstLine == want[count].firstLine, "quoted record's first line");
                fuzz::check(record.unclosedQuote == want[count].unclosed, "quoted record's unclosed quote");
            } else {
                fuzz::check(count < expected.size(), "the reader reads no more records than lines");
                fuzz::checkEqual(record.text, expected[count], "record = line");
                fuzz::check(record.firstLine == count + 1, "a plain record's line");
            }
            fuzz::check(record.number == count + 1, "records are numbered from 1");
            ++count;
        }
        fuzz::check(count == (quotes ? want.size() : expected.size()), "the reader reads every record");
    }
    return 0;
}
