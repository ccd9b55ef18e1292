// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataPreviewModel.h"

#include "datasource/DataInput.h"
#include "datasource/TextLines.h"
#include "generation/RunInputs.h"
#include "ui/FieldTexts.h"
#include "ui/QtText.h"

#include <algorithm>
#include <climits>

namespace stencilor::ui {

namespace {

// A value as one line of a cell: each line break inside it shows as "↵".
QString oneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\u21B5"));
    value.replace(u'\r', u'\u21B5');
    value.replace(u'\n', u'\u21B5');
    return value;
}

} // namespace

DataPreviewModel::DataPreviewModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    m_recordStarts.push_back(0);
}

void DataPreviewModel::load(const std::string& path, const DataFormat& format, int fieldCount)
{
    beginResetModel();
    // Read as the run reads it: whole, and decoded when the project names an encoding.
    // A workbook's sheet comes as its rows, each a record of cells in the sheets' form.
    Result<RunData> data = readRunData(path, format.encoding, format.sheet);
    DataFormat read = format;
    if (data && data.value().workbook) {
        const RecordReader::Options form = sheetForm();
        read.delim = form.delim;
        read.quotes = form.quotes;
    }
    if (data)
        m_text = std::move(data.value().text);
    else
        std::string().swap(m_text);
    reset(read, fieldCount);
    endResetModel();
}

void DataPreviewModel::reset(const DataFormat& format, int fieldCount)
{
    m_delimiter = format.delim;
    m_quotes = format.quotes;
    m_columns = std::max(fieldCount, 1);
    m_cutRow = SIZE_MAX;
    m_recordStarts.clear();
    const std::string_view text = textBeforeNul(m_text);
    TextSource source(text);
    RecordReader records(source, {m_quotes, m_delimiter});
    std::size_t end = 0;
    for (DataRecord current; records.next(current).value();) {
        m_recordStarts.push_back(static_cast<std::size_t>(current.offset));
        end = m_recordStarts.back() + current.text.size();
    }
    m_recordStarts.push_back(end);

    m_titles.clear();
    m_firstRow = format.header && m_recordStarts.size() > 1 ? 1 : 0;
    if (m_firstRow == 1) {
        const RecordFields names(record(0), m_delimiter, m_quotes);
        for (std::int64_t n = 1; n <= std::min<std::int64_t>(names.count(), m_columns); ++n)
            m_titles.emplace_back(names.field(n));
    }
}

std::string_view DataPreviewModel::record(std::size_t index) const
{
    const std::size_t start = m_recordStarts[index];
    std::size_t end = m_recordStarts[index + 1];
    // The last record ends where its text ends. Any other ends before the next one's start, after
    // the line end (CR LF, CR or LF) that closes it and that its text never ends with otherwise.
    if (index + 2 < m_recordStarts.size()) {
        if (end > start && m_text[end - 1] == '\n')
            --end;
        if (end > start && m_text[end - 1] == '\r')
            --end;
    }
    return std::string_view(m_text).substr(start, end - start);
}

const RecordFields& DataPreviewModel::rowFields(std::size_t row) const
{
    if (m_cutRow != row) {
        m_cut.assign(record(row + m_firstRow), m_delimiter, m_quotes);
        m_cutRow = row;
    }
    return m_cut;
}

std::size_t DataPreviewModel::recordCount() const
{
    return m_recordStarts.size() - 1 - m_firstRow;
}

std::uint64_t DataPreviewModel::recordOfRow(int row) const
{
    return static_cast<std::uint64_t>(row) + m_firstRow + 1;
}

int DataPreviewModel::rowOfRecord(std::uint64_t record) const
{
    if (record <= m_firstRow || record - m_firstRow > recordCount() || record - m_firstRow - 1 > INT_MAX)
        return -1;
    return static_cast<int>(record - m_firstRow - 1);
}

int DataPreviewModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // A file without records still shows one empty row under the header.
    return static_cast<int>(std::clamp<std::size_t>(recordCount(), 1, INT_MAX));
}

int DataPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant DataPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= recordCount())
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    const RecordFields& fields = rowFields(row);
    const std::int64_t field = index.column() + 1;
    const QString value = field <= fields.count() ? toQt(fields.field(field)) : QString();
    if (role == Qt::DisplayRole)
        return oneLine(value);
    // A value of several lines shows them all when the mouse rests on it.
    const bool lines = value.contains(u'\n') || value.contains(u'\r');
    return lines ? QVariant(value) : QVariant();
}

QVariant DataPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns) {
        const auto at = static_cast<std::size_t>(section);
        return FieldTexts::shownListText(
            section + 1, fieldListText(section + 1, at < m_titles.size() ? m_titles[at] : std::string_view(), {}));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DataPreviewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace stencilor::ui
