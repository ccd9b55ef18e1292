// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/OoxmlSheet.h"

#include "datasource/workbook/OoxmlParts.h"
#include "datasource/workbook/SharedStrings.h"
#include "datasource/workbook/XmlReader.h"
#include "datasource/workbook/ZipArchive.h"

#include <algorithm>
#include <charconv>

namespace stencilor {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Which merged ranges cover the cells of the row being read.
class CoveredCells final {
public:
    explicit CoveredCells(std::vector<CellRange> ranges)
        : m_ranges(std::move(ranges))
    {
        std::sort(m_ranges.begin(), m_ranges.end(),
                  [](const CellRange& a, const CellRange& b) { return a.firstRow < b.firstRow; });
    }
    // Moves to row `row` (rows come in ascending order).
    void toRow(std::uint64_t row)
    {
        std::erase_if(m_active, [row](const CellRange* range) { return range->lastRow < row; });
        for (; m_next < m_ranges.size() && m_ranges[m_next].firstRow <= row; ++m_next)
            if (m_ranges[m_next].lastRow >= row)
                m_active.push_back(&m_ranges[m_next]);
        m_row = row;
    }
    // Whether the cell in `column` of the row lies in a merged range but is not its first cell.
    bool covered(std::uint64_t column) const
    {
        return std::any_of(m_active.begin(), m_active.end(), [&](const CellRange* range) {
            return column >= range->firstColumn && column <= range->lastColumn &&
                   (m_row != range->firstRow || column != range->firstColumn);
        });
    }

private:
    std::vector<CellRange> m_ranges;
    std::size_t m_next = 0;
    std::vector<const CellRange*> m_active;
    std::uint64_t m_row = 0;
};

class OoxmlSheetReader final : public SheetSource, private XmlHandler {
public:
    OoxmlSheetReader(std::unique_ptr<ZipEntryStream> stream, const OoxmlSheetContext& context, std::string sheet,
                     std::vector<CellRange> covered, bool survey)
        : m_stream(std::move(stream))
        , m_context(context)
        , m_sheet(std::move(sheet))
        , m_cover(std::move(covered))
        , m_survey(survey)
        , m_reader(*this, m_stream->name())
    {
        // A tag may be as long as a row may be (at least 1 MiB).
        m_reader.setLimits(std::max<std::uint64_t>(m_context.limits.rowBytes, std::uint64_t{1} << 20), 1000);
    }

    WorkbookResult<bool> next(SheetRow& row, std::uint64_t& repeats) override
    {
        repeats = 1;
        m_row = &row;
        m_rowReady = false;
        while (!m_ended && !(m_rowsEnded && !m_survey)) {
            const WorkbookResult<bool> more = m_reader.parseSome(*m_stream);
            if (!more) {
                WorkbookError error = more.error();
                if (error.sheet.empty())
                    error.in(m_sheet, m_rowNumber);
                return error;
            }
            m_ended = !more.value();
            if (m_rowReady)
                return true;
        }
        return false;
    }

    std::vector<CellRange> merges() const override { return m_merges; }
    void textFrom(std::uint64_t row) override { m_textFrom = row; }

private:
    void startElement(const XmlName& name, const XmlAttributes& a) override
    {
        if (name.ns != XmlNs::Sheet)
            return;
        const std::string_view local = name.local;
        if (m_inCell) {
            if (local == "v") {
                m_inValue = true;
            } else if (local == "is") {
                m_inInline = true;
            } else if (local == "rPh") {
                ++m_phonetic;
            } else if (local == "t" && m_inInline && m_phonetic == 0) {
                m_inValue = true;
            }
        } else if (local == "c" && m_inRow) {
            startCell(a);
        } else if (local == "row" && m_inSheetData) {
            startRow(a);
        } else if (local == "sheetData") {
            m_inSheetData = true;
        } else if (local == "mergeCell" && m_merges.size() < m_context.limits.merges) {
            const std::string_view ref = a.get(XmlNs::None, "ref");
            const std::size_t colon = ref.find(':');
            CellRange range;
            if (colon != std::string_view::npos &&
                parseCellReference(ref.substr(0, colon), range.firstColumn, range.firstRow) &&
                parseCellReference(ref.substr(colon + 1), range.lastColumn, range.lastRow))
                m_merges.push_back(range);
        }
    }

    void endElement(const XmlName& name) override
    {
        if (name.ns != XmlNs::Sheet)
            return;
        const std::string_view local = name.local;
        if (local == "v" || local == "t") {
            m_inValue = false;
        } else if (local == "rPh") {
            --m_phonetic;
        } else if (local == "is") {
            m_inInline = false;
        } else if (local == "c" && m_inCell) {
            endCell();
        } else if (local == "row" && m_inRow) {
            m_inRow = false;
            if (m_row->size() > 0) {
                m_rowReady = true;
                reader->suspend();
            }
        } else if (local == "sheetData") {
            m_inSheetData = false;
            m_rowsEnded = true;
            if (!m_survey)
                reader->suspend();
        }
    }

    void characters(std::string_view text) override
    {
        if (m_inValue)
            m_value += text;
    }

    void startRow(const XmlAttributes& a)
    {
        std::uint64_t number = m_rowNumber + 1;
        const std::string_view r = a.get(XmlNs::None, "r");
        if (!r.empty())
            std::from_chars(r.data(), r.data() + r.size(), number);
        if (number <= m_rowNumber) {
            reader->fail(WorkbookError(WorkbookErrorKind::OutOfOrder).in(m_sheet, number));
            return;
        }
        m_rowNumber = number;
        m_inRow = true;
        m_column = -1;
        m_row->clear();
        m_row->number = number;
        m_cover.toRow(number);
    }

    void startCell(const XmlAttributes& a)
    {
        // The cell's three attributes (r, s, t) in one look at them: this runs for every cell.
        std::string_view reference;
        std::string_view style;
        std::string_view type = "n";
        for (const char* const* pair = a.pairs(); pair && *pair; pair += 2) {
            const char* name = *pair;
            if (name[0] == '\0' || name[1] != '\0')
                continue;
            if (name[0] == 'r')
                reference = pair[1];
            else if (name[0] == 's')
                style = pair[1];
            else if (name[0] == 't')
                type = pair[1];
        }
        std::uint64_t column = static_cast<std::uint64_t>(m_column + 1);
        std::uint64_t ignoredRow = 0;
        parseCellReference(reference, column, ignoredRow);
        if (static_cast<std::int64_t>(column) <= m_column) {
            reader->fail(WorkbookError(WorkbookErrorKind::OutOfOrder).in(m_sheet, m_rowNumber));
            return;
        }
        m_column = static_cast<std::int64_t>(column);
        m_inCell = true;
        m_value.clear();
        m_type = type == "s"           ? 's'
                 : type == "str"       ? 'f'
                 : type == "inlineStr" ? 'i'
                 : type == "b"         ? 'b'
                 : type == "e"         ? 'e'
                 : type == "d"         ? 'd'
                                       : 'n';
        std::size_t index = 0;
        std::from_chars(style.data(), style.data() + style.size(), index);
        m_format = &m_context.styles.format(index);
    }

    void endCell()
    {
        m_inCell = false;
        m_inInline = false;
        m_phonetic = 0;
        if (m_cover.covered(static_cast<std::uint64_t>(m_column)))
            return;
        const auto column = static_cast<std::uint64_t>(m_column);
        std::string& out = m_row->openCell(column);
        const std::size_t start = out.size();
        // A survey (and a row before those wanted) needs to know whether a cell shows text, not
        // the text: a byte stands for it where that is known without making the text.
        const bool textless = m_survey || m_rowNumber < m_textFrom;
        const auto showsText = [&out](bool shows) {
            if (shows)
                out += '#';
        };
        switch (m_type) {
        case 's': {
            std::size_t index = 0;
            const std::string_view digits = trimmed(m_value);
            const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), index);
            if (digits.empty())
                break;
            if (parsed.ec != std::errc() || index >= m_context.strings.size()) {
                reader->fail(WorkbookError(WorkbookErrorKind::MissingString).in(m_sheet, m_rowNumber));
                return;
            }
            if (textless)
                showsText(!m_context.strings.at(index).empty() || m_format->textHasLiterals());
            else
                m_format->appendText(m_context.strings.at(index), out);
            break;
        }
        case 'i': // an inline string
        case 'f': // a formula's text
            decodeXmlEscapes(m_value, 0);
            if (textless)
                showsText(!m_value.empty() || m_format->textHasLiterals());
            else
                m_format->appendText(m_value, out);
            break;
        case 'b':
            out += m_value == "1" ? "TRUE" : m_value == "0" ? "FALSE" : m_value;
            break;
        case 'e':
            out += m_value;
            break;
        case 'd': {
            double serial = 0;
            if (m_format->showsDate() && serialFromIsoDate(trimmed(m_value), m_context.dates, serial))
                m_format->appendNumber(serial, m_context.dates, out);
            else
                out += m_value;
            break;
        }
        default: {
            const std::string_view digits = trimmed(m_value);
            double value = 0;
            if (digits.empty())
                break;
            const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size()) {
                out += m_value;
                break;
            }
            if (!m_format->understood())
                ++m_row->shownAsGeneral;
            if (textless && !m_format->mayShowNothing())
                showsText(true);
            else
                m_format->appendNumber(value, m_context.dates, out);
            break;
        }
        }
        if (out.size() > start && column >= m_context.limits.columns) {
            reader->fail(WorkbookError(WorkbookErrorKind::TooManyColumns)
                             .in(m_sheet, m_rowNumber)
                             .withLimit(m_context.limits.columns));
            return;
        }
        if (out.size() > start && m_rowNumber > m_context.limits.rows) {
            reader->fail(WorkbookError(WorkbookErrorKind::TooManyRows)
                             .in(m_sheet, m_rowNumber)
                             .withLimit(m_context.limits.rows));
            return;
        }
        m_row->closeCell();
        if (m_row->bytes() > m_context.limits.rowBytes && !m_survey)
            reader->fail(WorkbookError(WorkbookErrorKind::RowTooLarge)
                             .in(m_sheet, m_rowNumber)
                             .withLimit(m_context.limits.rowBytes));
    }

    std::unique_ptr<ZipEntryStream> m_stream;
    const OoxmlSheetContext& m_context;
    std::string m_sheet;
    CoveredCells m_cover;
    bool m_survey; // reading for the extent and merged cells only (to the end of the part)
    XmlReader m_reader;

    SheetRow* m_row = nullptr;
    bool m_rowReady = false;
    bool m_ended = false;
    bool m_rowsEnded = false;
    bool m_inSheetData = false;
    bool m_inRow = false;
    bool m_inCell = false;
    bool m_inValue = false;
    bool m_inInline = false;
    int m_phonetic = 0;
    std::uint64_t m_rowNumber = 0;
    std::uint64_t m_textFrom = 0; // rows before it are read without their text
    std::int64_t m_column = -1;
    char m_type = 'n'; // s shared string, f formula text, i inline string, b, e, d, n number
    const NumberFormat* m_format = nullptr;
    std::string m_value;
    std::vector<CellRange> m_merges;
};

} // namespace

bool parseCellReference(std::string_view text, std::uint64_t& column, std::uint64_t& row)
{
    std::size_t at = 0;
    std::uint64_t letters = 0;
    while (at < text.size() && at < 8 &&
           ((text[at] >= 'A' && text[at] <= 'Z') || (text[at] >= 'a' && text[at] <= 'z'))) {
        letters = letters * 26 + static_cast<std::uint64_t>((text[at] | 0x20) - 'a' + 1);
        ++at;
    }
    if (at == 0)
        return false;
    column = letters - 1;
    std::from_chars(text.data() + at, text.data() + text.size(), row);
    return true;
}

std::unique_ptr<SheetSource> openOoxmlSheet(std::unique_ptr<ZipEntryStream> stream, const OoxmlSheetContext& context,
                                            std::string sheet, std::vector<CellRange> covered, bool survey)
{
    return std::make_unique<OoxmlSheetReader>(std::move(stream), context, std::move(sheet), std::move(covered), survey);
}

} // namespace stencilor
