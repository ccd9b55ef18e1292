// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/OdfSheet.h"

#include "datasource/workbook/DecimalText.h"
#include "datasource/workbook/XmlReader.h"
#include "datasource/workbook/ZipArchive.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace stencilor {

namespace {

// Counts in a sheet are kept far below the 64-bit limit, whatever a repeat count says.
constexpr std::uint64_t kCountCap = std::uint64_t{1} << 62;

std::uint64_t countOf(std::string_view text)
{
    std::uint64_t count = 1;
    std::from_chars(text.data(), text.data() + text.size(), count);
    return std::clamp<std::uint64_t>(count, 1, kCountCap);
}

class OdfSheetReader final : public SheetSource, private XmlHandler {
public:
    OdfSheetReader(std::unique_ptr<ZipEntryStream> stream, std::string wanted, const SheetLimits& limits)
        : m_stream(std::move(stream))
        , m_wanted(std::move(wanted))
        , m_limits(limits)
        , m_reader(*this, m_stream->name())
    {
        // A tag may be as long as a row may be (at least 1 MiB).
        m_reader.setLimits(std::max<std::uint64_t>(m_limits.rowBytes, std::uint64_t{1} << 20), 1000);
    }

    // Reads up to the start of the wanted table; false when the content has none.
    WorkbookResult<bool> findTable()
    {
        while (!m_ended && !m_inTable) {
            const WorkbookResult<bool> more = m_reader.parseSome(*m_stream);
            if (!more)
                return more.error();
            m_ended = !more.value();
        }
        return m_inTable;
    }
    const std::string& name() const { return m_name; }

    WorkbookResult<bool> next(SheetRow& row, std::uint64_t& repeats) override
    {
        m_row = &row;
        m_rowReady = false;
        while (!m_ended && m_inTable) {
            const WorkbookResult<bool> more = m_reader.parseSome(*m_stream);
            if (!more) {
                WorkbookError error = more.error();
                if (error.sheet.empty())
                    error.in(m_name, m_nextRow);
                return error;
            }
            m_ended = !more.value();
            if (m_rowReady) {
                repeats = m_repeats;
                return true;
            }
        }
        return false;
    }

private:
    void startElement(const XmlName& name, const XmlAttributes& a) override
    {
        ++m_depth;
        if (!m_inTable) {
            if (name.is(XmlNs::OdfTable, "table") && !m_tableDone) {
                const std::string_view tableName = a.get(XmlNs::OdfTable, "name");
                if (m_wanted.empty() ? m_tables++ == 0 : tableName == m_wanted) {
                    m_inTable = true;
                    m_tableDepth = m_depth;
                    m_name = tableName;
                    reader->suspend();
                }
            }
            return;
        }
        if (m_skipDepth > 0)
            return;
        if (name.is(XmlNs::OdfTable, "table")) {
            m_skipDepth = m_depth; // a table inside a cell: not the sheet's rows
        } else if (m_cellDepth > 0) {
            startInCell(name, a);
        } else if (m_rowDepth > 0 && m_depth == m_rowDepth + 1 &&
                   (name.is(XmlNs::OdfTable, "table-cell") || name.is(XmlNs::OdfTable, "covered-table-cell"))) {
            m_cellDepth = m_depth;
            m_cellRepeats = countOf(a.get(XmlNs::OdfTable, "number-columns-repeated"));
            // A cell merged into another shows nothing, whatever it holds.
            m_covered = name.local == "covered-table-cell";
            m_paragraphs = 0;
            m_valueType = a.get(XmlNs::OdfOffice, "value-type");
            m_value.clear();
            if (!m_covered && !m_valueType.empty())
                keepValue(a);
            m_out = &m_row->openCell(static_cast<std::size_t>(std::min(m_column, m_limits.columns)));
            m_cellStart = m_out->size();
        } else if (name.is(XmlNs::OdfTable, "table-row")) {
            m_rowDepth = m_depth;
            m_rowRepeats = countOf(a.get(XmlNs::OdfTable, "number-rows-repeated"));
            m_column = 0;
            m_row->clear();
            m_row->number = m_nextRow;
        }
    }

    void startInCell(const XmlName& name, const XmlAttributes& a)
    {
        if (m_covered)
            return;
        if (m_paragraphDepth == 0) {
            if (m_depth == m_cellDepth + 1 && (name.is(XmlNs::OdfText, "p") || name.is(XmlNs::OdfText, "h"))) {
                if (m_paragraphs++ > 0)
                    *m_out += '\n';
                m_paragraphDepth = m_depth;
            }
            return; // annotations, frames and other things in a cell are not its text
        }
        if (name.is(XmlNs::OdfText, "s")) {
            const std::uint64_t spaces = countOf(a.get(XmlNs::OdfText, "c"));
            m_out->append(
                static_cast<std::size_t>(std::min<std::uint64_t>(
                    spaces, m_limits.rowBytes + 1 - std::min<std::uint64_t>(m_out->size(), m_limits.rowBytes))),
                ' ');
        } else if (name.is(XmlNs::OdfText, "tab")) {
            *m_out += '\t';
        } else if (name.is(XmlNs::OdfText, "line-break")) {
            *m_out += '\n';
        } else if (name.is(XmlNs::OdfText, "note") || name.is(XmlNs::OdfText, "ruby-text") ||
                   name.is(XmlNs::OdfOffice, "annotation")) {
            m_skipDepth = m_depth;
        }
        checkRowBytes();
    }

    void endElement(const XmlName& name) override
    {
        const int depth = m_depth--;
        if (!m_inTable)
            return;
        if (m_skipDepth > 0) {
            if (depth == m_skipDepth)
                m_skipDepth = 0;
            return;
        }
        if (depth == m_paragraphDepth) {
            m_paragraphDepth = 0;
        } else if (depth == m_cellDepth) {
            endCell();
        } else if (depth == m_rowDepth) {
            endRow();
        } else if (depth == m_tableDepth && name.is(XmlNs::OdfTable, "table")) {
            m_inTable = false;
            m_tableDone = true;
            reader->suspend();
        }
    }

    void characters(std::string_view text) override
    {
        if (m_paragraphDepth > 0 && m_skipDepth == 0 && !m_covered) {
            *m_out += text;
            checkRowBytes();
        }
    }

    // Keeps what a cell without paragraphs shows (as files written by programs other than the
    // office suite may have them): its value, made into text only when no paragraph comes.
    void keepValue(const XmlAttributes& a)
    {
        const std::string_view type = m_valueType;
        const std::string_view name = type == "float" || type == "percentage" || type == "currency" ? "value"
                                      : type == "date"                                              ? "date-value"
                                      : type == "time"                                              ? "time-value"
                                      : type == "boolean"                                           ? "boolean-value"
                                                                                                    : "string-value";
        m_value = a.get(XmlNs::OdfOffice, name);
    }

    // The text of a cell without paragraphs, from its value.
    void appendValue()
    {
        const std::string_view type = m_valueType;
        if (type == "float" || type == "percentage" || type == "currency") {
            double number = 0;
            const auto parsed = std::from_chars(m_value.data(), m_value.data() + m_value.size(), number);
            if (parsed.ec == std::errc() && parsed.ptr == m_value.data() + m_value.size())
                appendGeneral(number, *m_out);
            else
                *m_out += m_value;
        } else if (type == "boolean") {
            *m_out += m_value == "true" ? "TRUE" : "FALSE";
        } else {
            *m_out += m_value;
        }
    }

    void endCell()
    {
        m_cellDepth = 0;
        if (m_paragraphs == 0 && !m_covered && !m_valueType.empty())
            appendValue();
        const bool shows = m_out->size() > m_cellStart;
        if (shows) {
            if (m_column + m_cellRepeats > m_limits.columns) {
                reader->fail(
                    WorkbookError(WorkbookErrorKind::TooManyColumns).in(m_name, m_nextRow).withLimit(m_limits.columns));
                return;
            }
            m_row->closeCell();
            const std::uint64_t cellBytes = m_out->size() - m_cellStart;
            if (m_row->bytes() + cellBytes * std::min(m_cellRepeats - 1, m_limits.columns) > m_limits.rowBytes) {
                failRowTooLarge();
                return;
            }
            m_row->repeatLastCell(static_cast<std::size_t>(m_cellRepeats - 1));
        } else {
            m_row->closeCell();
        }
        m_column = std::min(m_column + m_cellRepeats, kCountCap);
    }

    void endRow()
    {
        m_rowDepth = 0;
        const std::uint64_t first = m_nextRow;
        m_nextRow = std::min(m_nextRow + m_rowRepeats, kCountCap);
        if (m_row->size() == 0)
            return;
        if (first + m_rowRepeats - 1 > m_limits.rows) {
            reader->fail(WorkbookError(WorkbookErrorKind::TooManyRows).in(m_name, first).withLimit(m_limits.rows));
            return;
        }
        m_repeats = m_rowRepeats;
        m_rowReady = true;
        reader->suspend();
    }

    // The open cell's text goes into the row's text: its size is the row's so far.
    void checkRowBytes()
    {
        if (m_out->size() > m_limits.rowBytes)
            failRowTooLarge();
    }
    void failRowTooLarge()
    {
        reader->fail(WorkbookError(WorkbookErrorKind::RowTooLarge).in(m_name, m_nextRow).withLimit(m_limits.rowBytes));
        m_skipDepth = m_depth; // nothing more is taken in
    }

    std::unique_ptr<ZipEntryStream> m_stream;
    std::string m_wanted;
    SheetLimits m_limits;
    XmlReader m_reader;
    std::string m_name;

    SheetRow* m_row = nullptr;
    std::string* m_out = nullptr; // the text of the row, to which the open cell's text goes
    std::size_t m_cellStart = 0;
    bool m_rowReady = false;
    bool m_ended = false;
    bool m_inTable = false;
    bool m_tableDone = false;
    int m_tables = 0;
    int m_depth = 0;          // of the element being read
    int m_tableDepth = 0;     // of the sheet's table element
    int m_rowDepth = 0;       // of the open row, 0 when none
    int m_cellDepth = 0;      // of the open cell, 0 when none
    int m_paragraphDepth = 0; // of the open paragraph of a cell, 0 when none
    int m_skipDepth = 0;      // of an element whose content is not read, 0 when none
    bool m_covered = false;
    int m_paragraphs = 0;
    std::string m_valueType;
    std::string m_value; // the value of a cell, for when it has no paragraphs
    std::uint64_t m_cellRepeats = 1;
    std::uint64_t m_rowRepeats = 1;
    std::uint64_t m_repeats = 1;
    std::uint64_t m_column = 0;
    std::uint64_t m_nextRow = 1;
};

// The start tags of a part, handed to a function.
template <class Visit> class StartTagsOf final : public XmlHandler {
public:
    explicit StartTagsOf(Visit visit)
        : m_visit(std::move(visit))
    {
    }
    void startElement(const XmlName& name, const XmlAttributes& a) override { m_visit(name, a, ++m_depth); }
    void endElement(const XmlName&) override { --m_depth; }
    void characters(std::string_view) override {}

private:
    Visit m_visit;
    int m_depth = 0;
};

} // namespace

WorkbookResult<std::unique_ptr<SheetSource>> openOdfSheet(std::unique_ptr<ZipEntryStream> stream,
                                                          std::string_view sheet, const SheetLimits& limits,
                                                          std::string& name)
{
    auto reader = std::make_unique<OdfSheetReader>(std::move(stream), std::string(sheet), limits);
    const WorkbookResult<bool> found = reader->findTable();
    if (!found)
        return found.error();
    if (!found.value()) {
        if (sheet.empty())
            return WorkbookError(WorkbookErrorKind::NotSpreadsheet, {}, "no sheet");
        return WorkbookError(WorkbookErrorKind::SheetNotFound, std::string(sheet));
    }
    name = reader->name();
    return std::unique_ptr<SheetSource>(std::move(reader));
}

WorkbookResult<std::vector<std::string>> listOdfSheets(ZipEntryStream& stream)
{
    std::vector<std::string> names;
    // Tables inside tables (in a cell) are not sheets: a sheet is a table at the outermost level.
    std::vector<int> tableDepths;
    auto visit = [&](const XmlName& name, const XmlAttributes& a, int depth) {
        while (!tableDepths.empty() && tableDepths.back() >= depth)
            tableDepths.pop_back();
        if (name.is(XmlNs::OdfTable, "table")) {
            if (tableDepths.empty() && names.size() < 65536)
                names.emplace_back(a.get(XmlNs::OdfTable, "name"));
            tableDepths.push_back(depth);
        }
    };
    StartTagsOf handler(visit);
    XmlReader reader(handler, stream.name());
    if (WorkbookStatus read = reader.parseToEnd(stream); !read)
        return read.error();
    return names;
}

WorkbookResult<bool> odfEncrypted(std::string_view xml)
{
    bool encrypted = false;
    auto visit = [&](const XmlName& name, const XmlAttributes&, int) {
        encrypted = encrypted || name.is(XmlNs::OdfManifest, "encryption-data");
    };
    StartTagsOf handler(visit);
    XmlReader reader(handler, "META-INF/manifest.xml");
    if (WorkbookStatus parsed = reader.parse(xml); !parsed)
        return parsed.error();
    return encrypted;
}

} // namespace stencilor
