// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataFileWarnings.h"

#include "datasource/DataFileScans.h"
#include "datasource/Encoding.h"
#include "platform/Messages.h"

#include <algorithm>

namespace stencilor {

namespace {

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

// holdsQuotedDelimiter for a line that comes in pieces, byte by byte: the same answer however
// the line is cut.
class WarningsScan::QuotedDelimiters final {
public:
    explicit QuotedDelimiters(std::string_view delim)
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

WarningsScan::WarningsScan(std::string_view delim, bool quotes, bool checkUtf8)
    : m_delim(delim)
    , m_quotes(quotes)
    , m_checkUtf8(checkUtf8)
    , m_lineQuotes(std::make_unique<QuotedDelimiters>(delim))
{
}

WarningsScan::~WarningsScan() = default;

void WarningsScan::bytes(std::string_view bytes)
{
    if (m_start.size() < kSampleBytes)
        m_start.append(bytes.substr(0, kSampleBytes - m_start.size()));
    std::size_t from = 0;
    if (m_nulOffset == UINT64_MAX) {
        const std::size_t nul = bytes.find('\0');
        if (nul != std::string_view::npos) {
            m_nulOffset = m_total + nul;
            from = nul + 1;
        } else {
            from = bytes.size();
        }
    }
    if (!m_textAfterNul && from < bytes.size())
        m_textAfterNul = bytes.find_first_not_of(std::string_view("\0\r\n", 3), from) != std::string_view::npos;
    m_total += bytes.size();
}

void WarningsScan::line(std::string_view line, std::uint64_t offset)
{
    ++m_lines;
    m_textEnd = offset + line.size();
    if (m_checkUtf8) {
        Utf8Validator validator;
        validator.feed(line);
        if (!validator.valid() && m_warnings.invalidUtf8Lines++ == 0)
            m_warnings.firstInvalidUtf8Line = m_lines;
    }
    if (!m_quotes && holdsQuotedDelimiter(line, m_delim) && m_warnings.quotedDelimiterLines++ == 0)
        m_warnings.firstQuotedDelimiterLine = m_lines;
}

void WarningsScan::piece(std::string_view piece, std::uint64_t offset)
{
    if (!m_inLine) {
        m_inLine = true;
        m_lineStart = offset;
        m_lineBytes = 0;
        m_lineValidator = Utf8Validator();
        m_lineQuotes->reset();
    }
    m_lineBytes += piece.size();
    if (m_checkUtf8)
        m_lineValidator.feed(piece);
    if (!m_quotes)
        m_lineQuotes->feed(piece);
}

void WarningsScan::endLine()
{
    m_inLine = false;
    ++m_lines;
    m_textEnd = m_lineStart + m_lineBytes;
    if (m_checkUtf8 && !m_lineValidator.valid() && m_warnings.invalidUtf8Lines++ == 0)
        m_warnings.firstInvalidUtf8Line = m_lines;
    if (!m_quotes && m_lineQuotes->found() && m_warnings.quotedDelimiterLines++ == 0)
        m_warnings.firstQuotedDelimiterLine = m_lines;
}

DataFileWarnings WarningsScan::finish()
{
    DataFileWarnings warnings = m_warnings;
    if (m_nulOffset != UINT64_MAX && m_textAfterNul) {
        // The NUL ends the last line read, or stands at the start of the line after it.
        warnings.nulLine = m_lines > 0 && m_textEnd == m_nulOffset ? m_lines : m_lines + 1;
        warnings.bytesAfterNul = m_total - m_nulOffset - 1;
    }
    if (m_checkUtf8) {
        warnings.byteOrderMark = std::string_view(m_start).starts_with("\xEF\xBB\xBF");
        if (warnings.invalidUtf8Lines > 0) {
            const Result<ChosenEncoding> guess = chooseEncoding("auto", m_start, false, m_start);
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
