// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataSourceCheck.h"

#include "datasource/DataFileScans.h"
#include "datasource/Fields.h"

#include <algorithm>

namespace stencilor {

namespace {

// The bytes of each sample field kept for the field lists, which show far fewer: a huge field
// costs no copy of its own.
constexpr std::size_t kSampleFieldBytes = 4096;

// True when the line is empty once characters with codes 0 to 32 are removed at both ends.
bool isBlank(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

} // namespace

// The kept lines are copied when they change, so the lines may come from a buffer that is reused.
void LineShapeScan::line(std::string_view line, std::uint64_t)
{
    const std::string_view kept = line.substr(0, kKeptLineBytes);
    if (m_sampleBlank) {
        m_state.csvSampleLine.assign(kept);
        m_state.csvSampleBytes = line.size();
        m_sampleBlank = isBlank(line);
    }
    const std::int64_t count = CountFields(line, m_delim);
    if (count > m_state.csvFieldCount) {
        m_state.csvFieldCount = count;
        m_state.csvWidestLine.assign(kept);
        m_state.csvWidestBytes = line.size();
    }
}

void LineShapeScan::piece(std::string_view piece, std::uint64_t)
{
    if (m_line.size() < kKeptLineBytes)
        m_line.append(piece.substr(0, kKeptLineBytes - m_line.size()));
    m_lineBytes += piece.size();
    m_lineBlank = m_lineBlank && isBlank(piece);
    countDelimiters(piece);
}

void LineShapeScan::endLine()
{
    if (m_sampleBlank) {
        m_state.csvSampleLine = m_line;
        m_state.csvSampleBytes = m_lineBytes;
        m_sampleBlank = m_lineBlank;
    }
    if (m_lineFields > m_state.csvFieldCount) {
        m_state.csvFieldCount = m_lineFields;
        m_state.csvWidestLine = m_line;
        m_state.csvWidestBytes = m_lineBytes;
    }
    m_line.clear();
    m_lineBytes = 0;
    m_lineBlank = true;
    m_lineFields = 1;
    m_delimiterStart.clear();
}

void LineShapeScan::countDelimiters(std::string_view piece)
{
    if (m_delim.size() <= 1) {
        if (!m_delim.empty())
            m_lineFields += static_cast<std::int64_t>(std::count(piece.begin(), piece.end(), m_delim.front()));
        return;
    }
    std::string joined;
    std::string_view text = piece;
    if (!m_delimiterStart.empty()) {
        joined = m_delimiterStart;
        joined.append(piece);
        text = joined;
    }
    std::size_t at = 0;
    for (std::size_t found = text.find(m_delim); found != std::string_view::npos; found = text.find(m_delim, at)) {
        ++m_lineFields;
        at = found + m_delim.size();
    }
    const std::size_t keep = std::min(text.size() - std::min(at, text.size()), m_delim.size() - 1);
    m_delimiterStart.assign(text.substr(text.size() - keep));
}

void RecordShapeScan::record(const DataRecord& record)
{
    m_fields.assign(record.text, m_form.delim, m_form.quotes);
    if (isHeaderRecord(m_header, record.number)) {
        for (std::int64_t n = 1; n <= std::min(m_fields.count(), kMaxFieldLabels); ++n)
            m_state.fieldNames.emplace_back(m_fields.field(n));
    } else if (m_sampleBlank) {
        // The sample's fields are taken from the whole record; the record itself is kept cut.
        m_state.csvSampleLine.assign(std::string_view(record.text).substr(0, kKeptLineBytes));
        m_state.csvSampleBytes = record.text.size();
        m_sampleBlank = isBlank(record.text);
        m_state.sampleFields.clear();
        for (std::int64_t n = 1; n <= std::min(m_fields.count(), kMaxFieldLabels); ++n)
            m_state.sampleFields.emplace_back(m_fields.field(n).substr(0, kSampleFieldBytes));
    }
    if (m_fields.count() > m_state.csvFieldCount) {
        m_state.csvFieldCount = m_fields.count();
        m_state.csvWidestLine.assign(std::string_view(record.text).substr(0, kKeptLineBytes));
        m_state.csvWidestBytes = record.text.size();
    }
}

void addSampleFields(DataFileState& state, std::string_view delim)
{
    std::vector<std::string_view> fields;
    SplitFields(state.csvSampleLine, delim, static_cast<std::size_t>(kMaxFieldLabels), fields);
    for (const std::string_view field : fields)
        state.sampleFields.emplace_back(field.substr(0, kSampleFieldBytes));
}

std::string shownLine(std::string_view line, std::uint64_t bytes)
{
    if (bytes <= kShownLineBytes)
        return std::string(line);
    std::size_t cut = std::min(line.size(), kShownLineBytes);
    // A UTF-8 sequence is shown whole or not at all: the cut moves back to the byte that starts it.
    if (cut < line.size())
        for (std::size_t back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80;
             ++back)
            --cut;
    return std::string(line.substr(0, cut)) + "... (" + std::to_string(bytes) + " bytes)";
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

std::string fieldListText(std::int64_t number, std::string_view headerName, std::string_view sampleValue)
{
    const auto blank = [](unsigned char c) { return c <= ' '; };
    std::string_view shown = headerName.empty() ? sampleValue : headerName;
    while (!shown.empty() && blank(static_cast<unsigned char>(shown.front())))
        shown.remove_prefix(1);
    while (!shown.empty() && blank(static_cast<unsigned char>(shown.back())))
        shown.remove_suffix(1);
    std::string text = fieldLabel(number);
    if (shown.empty())
        return text;
    text += " \u2014 ";
    // Characters are counted as UTF-8 sequences: a byte that starts no continuation starts a
    // character, so a cut never splits a sequence; other bytes pass through as they are.
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < shown.size(); ++end) {
        const auto byte = static_cast<unsigned char>(shown[end]);
        if ((byte & 0xC0) != 0x80 && characters++ == kFieldListValueLength)
            break;
    }
    for (std::size_t i = 0; i < end; ++i)
        text += static_cast<unsigned char>(shown[i]) < ' ' ? ' ' : shown[i];
    if (end < shown.size())
        text += "\u2026";
    return text;
}

std::string fieldListText(std::int64_t number, const DataFileState& state)
{
    const auto index = static_cast<std::size_t>(number - 1);
    const auto at = [number, index](const std::vector<std::string>& texts) {
        return number >= 1 && index < texts.size() ? std::string_view(texts[index]) : std::string_view();
    };
    return fieldListText(number, at(state.fieldNames), at(state.sampleFields));
}

} // namespace stencilor
