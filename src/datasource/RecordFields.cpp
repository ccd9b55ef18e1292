#include "datasource/RecordFields.h"

#include "datasource/Fields.h"

#include <algorithm>
#include <cstdint>

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

DataRecords::DataRecords(std::string_view text, std::string_view delim, bool quotes)
    : m_lines(quotes ? std::string_view() : text)
{
    if (quotes) {
        m_source.emplace(text);
        m_reader.emplace(*m_source, RecordReader::Options{true, std::string(delim), std::size_t{1} << 20});
    }
}

bool DataRecords::next(DataRecord& record)
{
    if (m_reader) {
        // Reading from memory cannot fail.
        const Result<bool> got = m_reader->next(record);
        return got && got.value();
    }
    std::string_view line;
    if (!m_lines.next(line))
        return false;
    record = DataRecord{};
    record.text = line;
    record.number = record.firstLine = ++m_number;
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
