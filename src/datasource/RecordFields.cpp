#include "datasource/RecordFields.h"

#include "datasource/Fields.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace stencilor {

void RecordFields::assign(std::string_view text, std::string_view delim, bool quotes)
{
    m_text = text;
    if (quotes)
        splitQuotedFields(text, delim, SIZE_MAX, m_scratch, m_fields);
    else
        SplitFields(text, delim, SIZE_MAX, m_fields);
    if (m_fields.empty())
        m_fields.emplace_back();
}

std::string_view RecordFields::field(std::int64_t n) const
{
    const std::size_t index = static_cast<std::size_t>(std::max<std::int64_t>(n, 1) - 1);
    return index < m_fields.size() ? m_fields[index] : std::string_view();
}

namespace {

// The line ends in [from, to) of `text`: LF, CR LF (counted at its LF) and a lone CR.
std::uint64_t lineEndsIn(std::string_view text, std::size_t from, std::size_t to)
{
    std::uint64_t count = 0;
    for (std::size_t i = from; i < to; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++count;
    return count;
}

} // namespace

DataRecords::DataRecords(std::string_view text, std::string_view delim, bool quotes)
    : m_lines(quotes ? std::string_view() : text)
    , m_text(quotes ? textBeforeNul(text) : std::string_view())
    , m_delim(delim)
    , m_quotes(quotes)
{
}

bool DataRecords::next(DataRecord& record)
{
    if (m_quotes)
        return nextQuoted(record);
    std::string_view line;
    if (!m_lines.next(line))
        return false;
    record = DataRecord{};
    record.text = line;
    record.number = record.firstLine = ++m_number;
    return true;
}

bool DataRecords::nextQuoted(DataRecord& record)
{
    const std::string_view text = m_text;
    const std::size_t size = text.size();
    if (m_pos >= size)
        return false;
    const std::size_t start = m_pos;
    const std::uint64_t firstLine = m_lineEnds + 1;
    // The text holds no NUL byte, so an empty delimiter never matches.
    const char delimStart = m_delim.empty() ? '\0' : m_delim.front();
    bool fieldStart = true;
    bool unclosed = false;
    std::size_t at = start;
    while (at < size) {
        const char c = text[at];
        if (fieldStart && c == '"') {
            // A quoted field: up to the quote that is not doubled; line ends inside belong to it.
            for (++at;;) {
                const void* quote = std::memchr(text.data() + at, '"', size - at);
                const std::size_t close =
                    quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - text.data()) : size;
                m_lineEnds += lineEndsIn(text, at, close);
                if (!quote) {
                    unclosed = true;
                    at = size;
                    break;
                }
                if (close + 1 < size && text[close + 1] == '"') {
                    at = close + 2;
                    continue;
                }
                at = close + 1;
                break;
            }
            fieldStart = false;
            continue;
        }
        if (c == '\n' || c == '\r')
            break;
        if (c == delimStart && text.compare(at, m_delim.size(), m_delim) == 0) {
            at += m_delim.size();
            fieldStart = true;
            continue;
        }
        fieldStart = false;
        ++at;
    }
    record = DataRecord{};
    record.text = text.substr(start, at - start);
    record.number = ++m_number;
    record.firstLine = firstLine;
    record.offset = start;
    record.unclosedQuote = unclosed;
    // The line end that closes the record: CR LF, a lone CR or a lone LF (none at the end).
    if (at < size) {
        m_pos = at + (text[at] == '\r' && at + 1 < size && text[at + 1] == '\n' ? 2 : 1);
        ++m_lineEnds;
    } else {
        m_pos = size;
    }
    return true;
}

std::uint64_t DataRecords::count(std::string_view text, std::string_view delim, bool quotes)
{
    if (!quotes)
        return countLines(text);
    DataRecords records(text, delim, true);
    std::uint64_t count = 0;
    for (DataRecord record; records.next(record);)
        ++count;
    return count;
}

} // namespace stencilor
