// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataFileWarnings.h"

#include "datasource/DataInput.h"
#include "datasource/Encoding.h"
#include "datasource/TextLines.h"
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

// holdsQuotedDelimiter for a line that comes in pieces, byte by byte: the same answer however
// the line is cut.
class QuotedDelimiterFinder final {
public:
    explicit QuotedDelimiterFinder(std::string_view delim)
        : m_delim(delim)
    {
    }

    void feed(std::string_view piece)
    {
        if (m_delim.empty())
            return;
        for (std::size_t i = 0; i < piece.size() && !m_found; ++i)
            step(piece[i]);
    }

    // The answer for the line fed, whose end has come: a quote that never closed counts.
    bool found() const { return !m_delim.empty() && (m_found || m_state == State::Quoted); }

    void reset()
    {
        m_state = State::FieldStart;
        m_found = false;
        m_window.clear();
    }

private:
    enum class State { FieldStart, Unquoted, Quoted, AfterQuote };

    void step(char c)
    {
        switch (m_state) {
        case State::FieldStart:
            m_window.clear();
            if (c == '"') {
                m_state = State::Quoted;
                return;
            }
            m_state = State::Unquoted;
            if (endsDelimiter(c))
                m_state = State::FieldStart;
            return;
        case State::Unquoted:
            if (endsDelimiter(c))
                m_state = State::FieldStart;
            return;
        case State::Quoted:
            if (c == '"')
                m_state = State::AfterQuote;
            else
                m_found = endsDelimiter(c);
            return;
        case State::AfterQuote:
            if (c == '"') {
                // A doubled quote belongs to the field.
                m_state = State::Quoted;
                m_found = endsDelimiter('"') || endsDelimiter('"');
                return;
            }
            // The quote closed the field; the rest of it runs to the next delimiter.
            m_state = State::Unquoted;
            m_window.clear();
            if (endsDelimiter(c))
                m_state = State::FieldStart;
            return;
        }
    }

    // Adds `c` to the bytes looked at since the field (or its part) began; true when they end with
    // the delimiter. All occurrences are as long, so the first to end is the first to begin.
    bool endsDelimiter(char c)
    {
        if (m_delim.size() == 1)
            return c == m_delim.front();
        m_window.push_back(c);
        if (m_window.size() > m_delim.size())
            m_window.erase(0, 1);
        return m_window == m_delim;
    }

    std::string_view m_delim;
    State m_state = State::FieldStart;
    bool m_found = false;
    std::string m_window; // the last bytes, as many as the delimiter has
};

} // namespace

DataFileWarnings scanDataFile(const std::string& path, const std::string& delim, bool quotes,
                              const std::string& encoding, std::size_t blockSize, const ReadProgress& progress,
                              const std::atomic<bool>* stop)
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
        const std::atomic<bool>* stop;
        std::uint64_t total = 0;
        std::string start;                    // the first bytes, for the mark and the detection
        std::uint64_t nulOffset = UINT64_MAX; // the first NUL byte
        bool textAfterNul = false;            // something other than NULs and line ends stands after it
        Collector(ByteSource& text, const ReadProgress& told, const std::atomic<bool>* stopAt)
            : file(text)
            , progress(told)
            , stop(stopAt)
        {
        }
        Result<std::size_t> read(char* into, std::size_t size) override
        {
            // Asked to stop: the text ends here for the look.
            if (stop && stop->load(std::memory_order_relaxed))
                return std::size_t{0};
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
    } source(input.value()->text(), progress, stop);

    const bool checkUtf8 = encoding.empty();
    std::uint64_t lines = 0;
    std::uint64_t textEnd = 0; // where the last line's text ends
    // A line is looked at whole when a block holds it; a longer one is looked at in pieces as the
    // blocks go by, so that a line of any length costs no more memory than a block.
    const auto wholeLine = [&](std::string_view line, std::uint64_t offset) {
        ++lines;
        textEnd = offset + line.size();
        if (checkUtf8) {
            Utf8Validator validator;
            validator.feed(line);
            if (!validator.valid() && warnings.invalidUtf8Lines++ == 0)
                warnings.firstInvalidUtf8Line = lines;
        }
        if (!quotes && holdsQuotedDelimiter(line, delim) && warnings.quotedDelimiterLines++ == 0)
            warnings.firstQuotedDelimiterLine = lines;
    };
    bool inLine = false;
    std::uint64_t lineStart = 0, lineBytes = 0;
    Utf8Validator lineValidator;
    QuotedDelimiterFinder lineQuotes(delim);
    const auto extendLine = [&](std::string_view piece, std::uint64_t offset) {
        if (!inLine) {
            inLine = true;
            lineStart = offset;
            lineBytes = 0;
            lineValidator = Utf8Validator();
            lineQuotes.reset();
        }
        lineBytes += piece.size();
        if (checkUtf8)
            lineValidator.feed(piece);
        if (!quotes)
            lineQuotes.feed(piece);
    };
    const auto endLine = [&] {
        inLine = false;
        ++lines;
        textEnd = lineStart + lineBytes;
        if (checkUtf8 && !lineValidator.valid() && warnings.invalidUtf8Lines++ == 0)
            warnings.firstInvalidUtf8Line = lines;
        if (!quotes && lineQuotes.found() && warnings.quotedDelimiterLines++ == 0)
            warnings.firstQuotedDelimiterLine = lines;
    };

    const std::size_t block = std::max<std::size_t>(blockSize, 1);
    std::string buffer(block, '\0');
    std::uint64_t offset = 0;   // of the buffer's first byte in the text
    bool skipLeadingLf = false; // the last block ended in CR, whose LF may start the next one
    for (;;) {
        const Result<std::size_t> got = source.read(buffer.data(), block);
        if (!got)
            break; // the text counts as ending where it cannot be read
        std::string_view text(buffer.data(), got.value());
        const std::string_view beforeNul = textBeforeNul(text);
        const bool atEnd = got.value() == 0 || beforeNul.size() < text.size();
        text = beforeNul;
        std::size_t start = 0;
        if (skipLeadingLf && !text.empty()) {
            start = text[0] == '\n' ? 1 : 0;
            skipLeadingLf = false;
        }
        std::size_t end = text.size();
        if (!atEnd) {
            // Past the last CR or LF of the block; `start` when it holds none.
            while (end > start && text[end - 1] != '\n' && text[end - 1] != '\r')
                --end;
            if (end == text.size() && end > start && text[end - 1] == '\r')
                skipLeadingLf = true;
        }
        LineCursor cursor(text.substr(start, end - start));
        for (std::string_view line; cursor.next(line);) {
            const std::uint64_t at = offset + static_cast<std::uint64_t>(line.data() - buffer.data());
            if (inLine) {
                extendLine(line, at);
                endLine();
            } else {
                wholeLine(line, at);
            }
        }
        if (atEnd) {
            if (inLine)
                endLine();
            break;
        }
        if (end < text.size())
            extendLine(text.substr(end), offset + end);
        offset += got.value();
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
