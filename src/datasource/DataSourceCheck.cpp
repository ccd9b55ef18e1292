// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataSourceCheck.h"

#include "datasource/DataInput.h"
#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/TextLines.h"
#include "datasource/workbook/Workbook.h"
#include "platform/FileSystem.h"

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

// Collects the check's results line by line. A line comes whole (visit) or, when it is longer
// than what is read at once, in pieces (extend, then endLine): only its first kKeptLineBytes are
// kept, and its fields are counted as the pieces go by. The kept lines are copied when they
// change, so the lines may come from a buffer that is reused.
class DataFileScan final {
public:
    explicit DataFileScan(std::string_view delim)
        : m_delim(delim)
    {
    }

    void visit(std::string_view line)
    {
        if (m_inLine) {
            extend(line);
            endLine();
            return;
        }
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

    // The next bytes of a line that goes on.
    void extend(std::string_view piece)
    {
        m_inLine = true;
        if (m_line.size() < kKeptLineBytes)
            m_line.append(piece.substr(0, kKeptLineBytes - m_line.size()));
        m_lineBytes += piece.size();
        m_lineBlank = m_lineBlank && isBlank(piece);
        countDelimiters(piece);
    }

    // The end of a line that came in pieces.
    void endLine()
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
        m_inLine = false;
        m_line.clear();
        m_lineBytes = 0;
        m_lineBlank = true;
        m_lineFields = 1;
        m_delimiterStart.clear();
    }

    bool inLine() const { return m_inLine; }
    DataFileState& state() { return m_state; }

private:
    // Counts the delimiters of a piece as CountFields counts them in the whole line: from the
    // left, none overlapping. The last bytes of a piece that may start a delimiter wait for the next.
    void countDelimiters(std::string_view piece)
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

    std::string_view m_delim;
    DataFileState m_state;
    bool m_sampleBlank = true;
    // The line that comes in pieces.
    bool m_inLine = false;
    std::string m_line; // its first kKeptLineBytes
    std::uint64_t m_lineBytes = 0;
    bool m_lineBlank = true;
    std::int64_t m_lineFields = 1;
    std::string m_delimiterStart;
};

// The position just after the last CR or LF of `text` at or after `from`; `none` when there is none.
std::size_t afterLastLineEnd(std::string_view text, std::size_t from, std::size_t none)
{
    for (std::size_t at = text.size(); at > from; --at) {
        const char c = text[at - 1];
        if (c == '\n' || c == '\r')
            return at;
    }
    return none;
}

} // namespace

DataFileState checkDataFile(const std::string& path, std::string_view delim, std::size_t blockSize,
                            const ReadProgress& progress)
{
    // The file is read in blocks, so a file of any size is checked in little memory: the
    // unfinished line at the end of a block goes to the scan as a piece, and the first line of
    // the next block goes on with it.
    FileReader file;
    if (!file.open(path))
        return {};
    const std::size_t block = std::max<std::size_t>(blockSize, 1);
    DataFileScan scan(delim);
    std::string buffer(block, '\0');
    bool skipLeadingLf = false; // the last block ended in CR, whose LF may start the next one
    std::uint64_t bytesRead = 0;
    for (;;) {
        const Result<std::size_t> got = file.read(buffer.data(), block);
        if (!got)
            return {}; // an unreadable file counts as one without lines
        bytesRead += got.value();
        if (progress)
            progress(bytesRead);
        std::string_view text(buffer.data(), got.value());
        const std::string_view beforeNul = textBeforeNul(text);
        const bool atEnd = got.value() == 0 || beforeNul.size() < text.size();
        text = beforeNul;

        std::size_t start = 0;
        if (skipLeadingLf && !text.empty()) {
            start = text[0] == '\n' ? 1 : 0;
            skipLeadingLf = false;
        }
        const std::size_t end = atEnd ? text.size() : afterLastLineEnd(text, start, start);
        if (!atEnd && end == text.size() && end > start && text[end - 1] == '\r')
            skipLeadingLf = true;
        LineCursor cursor(text.substr(start, end - start));
        for (std::string_view line; cursor.next(line);)
            scan.visit(line);
        if (atEnd) {
            // A line that went on to the end of the file (its last bytes read before) ends here.
            if (scan.inLine())
                scan.endLine();
            break;
        }
        if (end < text.size())
            scan.extend(text.substr(end));
    }
    return std::move(scan.state());
}

DataFileState checkDataFile(const std::string& path, const DataFormat& format, std::size_t blockSize,
                            const ReadProgress& progress)
{
    if (!format.quotes && format.encoding.empty() && !format.header && path != "-" && !isWorkbookFile(path)) {
        DataFileState state = checkDataFile(path, format.delim, blockSize, progress);
        std::vector<std::string_view> fields;
        SplitFields(state.csvSampleLine, format.delim, static_cast<std::size_t>(kMaxFieldLabels), fields);
        for (const std::string_view field : fields)
            state.sampleFields.emplace_back(field.substr(0, kSampleFieldBytes));
        return state;
    }
    DataFileState state;
    if (isWorkbookFile(path)) {
        state.workbook = true;
        if (WorkbookResult<std::unique_ptr<Workbook>> workbook = Workbook::open(path)) {
            if (WorkbookResult<std::vector<std::string>> names = workbook.value()->sheetNames())
                state.sheets = std::move(names.value());
        }
    }
    Result<std::unique_ptr<DataInput>> input =
        DataInput::open(path, DataInput::Options{format.quotes, format.delim, format.encoding, blockSize, false,
                                                 kMaxRecordBytes, format.sheet});
    if (!input) {
        // A missing or unreadable file counts as one without records, as in the plain check.
        if (input.error().code == 0)
            state.error = input.error();
        return state;
    }
    DataInput& data = *input.value();
    state.encoding = data.encoding();
    // A sheet's rows are cut into their cells, whatever the project's delimiter and quotes.
    const RecordReader::Options form =
        data.workbook() ? sheetForm() : RecordReader::Options{format.quotes, format.delim};
    if (data.workbook()) {
        state.sheet = data.sheet();
        state.shownAsGeneral = data.shownAsGeneral();
    }
    RecordFields fields;
    bool sampleBlank = true;
    DataRecord record;
    for (Result<bool> got = data.next(record);; got = data.next(record)) {
        // A workbook damaged inside its sheet is said so; a text counts as ending where a read fails.
        if (!got && data.workbook())
            state.error = got.error();
        if (!got || !got.value())
            break;
        // A sheet's rows have no offsets in the file: its progress is not told.
        if (progress && !data.workbook())
            progress(record.offset + record.text.size());
        fields.assign(record.text, form.delim, form.quotes);
        if (isHeaderRecord(format.header, record.number)) {
            for (std::int64_t n = 1; n <= std::min(fields.count(), kMaxFieldLabels); ++n)
                state.fieldNames.emplace_back(fields.field(n));
        } else if (sampleBlank) {
            // The sample's fields are taken from the whole record; the record itself is kept cut.
            state.csvSampleLine.assign(std::string_view(record.text).substr(0, kKeptLineBytes));
            state.csvSampleBytes = record.text.size();
            sampleBlank = isBlank(record.text);
            state.sampleFields.clear();
            for (std::int64_t n = 1; n <= std::min(fields.count(), kMaxFieldLabels); ++n)
                state.sampleFields.emplace_back(fields.field(n).substr(0, kSampleFieldBytes));
        }
        if (fields.count() > state.csvFieldCount) {
            state.csvFieldCount = fields.count();
            state.csvWidestLine.assign(std::string_view(record.text).substr(0, kKeptLineBytes));
            state.csvWidestBytes = record.text.size();
        }
    }
    state.replaced = data.replaced();
    return state;
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
