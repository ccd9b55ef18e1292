// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataFileWarnings.h"

#include "datasource/DataInput.h"
#include "datasource/Encoding.h"
#include "datasource/RecordReader.h"
#include "datasource/workbook/Workbook.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"

#include <algorithm>

namespace stencilor {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;
constexpr std::size_t kSampleBytes = std::size_t{1} << 16;

// True when a field of `line` begins with '"' and a delimiter stands before its closing quote
// (or the quote does not close on the line).
bool holdsQuotedDelimiter(std::string_view line, std::string_view delim)
{
    if (delim.empty())
        return false;
    std::size_t pos = 0;
    for (;;) {
        if (pos < line.size() && line[pos] == '"') {
            std::size_t close = pos + 1;
            for (;; close += 2) {
                close = line.find('"', close);
                if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '"')
                    break;
            }
            if (close == std::string_view::npos)
                return true;
            if (line.substr(pos + 1, close - pos - 1).find(delim) != std::string_view::npos)
                return true;
            pos = close + 1;
        }
        const std::size_t next = line.find(delim, pos);
        if (next == std::string_view::npos)
            return false;
        pos = next + delim.size();
    }
}

} // namespace

DataFileWarnings scanDataFile(const std::string& path, const std::string& delim, bool quotes,
                              const std::string& encoding, const ReadProgress& progress)
{
    DataFileWarnings warnings;
    // A workbook's cells are no lines of text: what the warnings look for does not occur in them.
    if (isWorkbookFile(path))
        return warnings;
    // The text as the run reads it: decoded when the project names an encoding, so that a NUL is
    // one where the run's text ends, not a byte of a UTF-16 character.
    Result<std::unique_ptr<DataInput>> input =
        DataInput::open(path, DataInput::Options{false, delim, encoding, kBlock, false});
    if (!input)
        return warnings;
    // The lines are read as the run reads them (a NUL ends the text), in blocks; the bytes are
    // looked at on their way for the mark, a sample, and what stands after a NUL.
    struct Collector final : ByteSource {
        ByteSource& file;
        const ReadProgress& progress;
        std::uint64_t total = 0;
        std::string start;                    // the first bytes, for the mark and the detection
        std::uint64_t nulOffset = UINT64_MAX; // the first NUL byte
        bool textAfterNul = false;            // something other than NULs and line ends stands after it
        Collector(ByteSource& text, const ReadProgress& told)
            : file(text)
            , progress(told)
        {
        }
        Result<std::size_t> read(char* into, std::size_t size) override
        {
            Result<std::size_t> got = file.read(into, size);
            if (!got)
                return got;
            const std::string_view bytes(into, got.value());
            if (start.size() < kSampleBytes)
                start.append(bytes.substr(0, kSampleBytes - start.size()));
            std::size_t from = 0;
            if (nulOffset == UINT64_MAX) {
                const std::size_t nul = bytes.find('\0');
                if (nul != std::string_view::npos) {
                    nulOffset = total + nul;
                    from = nul + 1;
                } else {
                    from = bytes.size();
                }
            }
            if (!textAfterNul && from < bytes.size())
                textAfterNul = bytes.find_first_not_of(std::string_view("\0\r\n", 3), from) != std::string_view::npos;
            total += got.value();
            if (progress)
                progress(total);
            return got;
        }
    } source(input.value()->text(), progress);

    const bool checkUtf8 = encoding.empty();
    RecordReader reader(source, {false, delim, kBlock});
    DataRecord record;
    std::uint64_t lines = 0;
    std::uint64_t textEnd = 0; // where the last line's text ends
    while (reader.next(record).value()) {
        ++lines;
        textEnd = record.offset + record.text.size();
        if (checkUtf8) {
            Utf8Validator validator;
            validator.feed(record.text);
            if (!validator.valid() && warnings.invalidUtf8Lines++ == 0)
                warnings.firstInvalidUtf8Line = lines;
        }
        if (!quotes && holdsQuotedDelimiter(record.text, delim) && warnings.quotedDelimiterLines++ == 0)
            warnings.firstQuotedDelimiterLine = lines;
    }
    // The rest of the file, to learn what a NUL cut off.
    char rest[1 << 16];
    for (Result<std::size_t> got = source.read(rest, sizeof rest); got && got.value() > 0;
         got = source.read(rest, sizeof rest)) {
    }
    if (source.nulOffset != UINT64_MAX && source.textAfterNul) {
        // The NUL ends the last line read, or stands at the start of the line after it.
        warnings.nulLine = lines > 0 && textEnd == source.nulOffset ? lines : lines + 1;
        warnings.bytesAfterNul = source.total - source.nulOffset - 1;
    }
    if (checkUtf8) {
        warnings.byteOrderMark = std::string_view(source.start).starts_with("\xEF\xBB\xBF");
        if (warnings.invalidUtf8Lines > 0) {
            const Result<ChosenEncoding> guess = chooseEncoding("auto", source.start, false, source.start);
            if (guess)
                warnings.likelyEncoding = guess.value().name;
        }
    }
    return warnings;
}

std::vector<Detail> warningDetails(const DataFileWarnings& w)
{
    std::vector<Detail> details;
    if (w.byteOrderMark)
        details.push_back({DetailKind::ByteOrderMark});
    if (w.invalidUtf8Lines > 0)
        details.push_back({DetailKind::InvalidUtf8, w.likelyEncoding, w.invalidUtf8Lines, w.firstInvalidUtf8Line});
    if (w.quotedDelimiterLines > 0)
        details.push_back({DetailKind::QuotedDelimiters, {}, w.quotedDelimiterLines, w.firstQuotedDelimiterLine});
    if (w.nulLine > 0)
        details.push_back({DetailKind::EndsAtNul, {}, w.nulLine, w.bytesAfterNul});
    return details;
}

std::vector<std::string> warningTexts(const DataFileWarnings& warnings)
{
    std::vector<std::string> texts;
    for (const Detail& detail : warningDetails(warnings))
        texts.push_back(detailText(detail));
    return texts;
}

Detail replacedSequences(std::uint64_t replaced, const std::string& encoding)
{
    return {DetailKind::ReplacedSequences, encoding, replaced};
}

} // namespace stencilor
