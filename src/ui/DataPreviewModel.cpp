// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataPreviewModel.h"

#include "datasource/DataInput.h"
#include "ui/FieldTexts.h"
#include "ui/QtText.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
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

namespace {

// Records read by load() before the view is shown, and by the reading thread between two reports.
constexpr auto kReadAtOnce = std::chrono::milliseconds(100);
constexpr std::size_t kRecordsPerStep = 1024;

int percentOf(const RecordIndex& index)
{
    return index.size() == 0 ? 100
                             : static_cast<int>(std::min<std::uint64_t>(index.position() * 100 / index.size(), 100));
}

} // namespace

DataPreviewModel::DataPreviewModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

DataPreviewModel::~DataPreviewModel()
{
    joinWorker();
}

void DataPreviewModel::joinWorker()
{
    if (!m_worker.joinable())
        return;
    m_stop = true;
    m_worker.join();
    m_stop = false;
}

void DataPreviewModel::stopReading()
{
    if (reading())
        m_stop = true;
}

void DataPreviewModel::load(const std::string& path, const DataFormat& format, int fieldCount)
{
    joinWorker();
    m_stop = false;
    ++m_generation;
    beginResetModel();
    m_index.reset();
    m_starts.clear();
    m_starts.shrink_to_fit();
    m_textEnd = 0;
    m_ended = true;
    m_titles.clear();
    m_firstRow = 0;
    m_cutRow = SIZE_MAX;
    m_columns = std::max(fieldCount, 1);
    m_header = format.header;
    m_delimiter = format.delim;
    m_quotes = format.quotes;
    // Read as the run reads it: decoded when the project names an encoding, a workbook's sheet
    // as its rows, each a record of cells in the sheets' form.
    if (Result<std::unique_ptr<RecordIndex>> opened = RecordIndex::open(path, format)) {
        m_index = std::move(opened.value());
        if (m_index->workbook()) {
            const RecordReader::Options form = sheetForm();
            m_delimiter = form.delim;
            m_quotes = form.quotes;
        }
        // The first screen at once, and a small file whole.
        const auto until = std::chrono::steady_clock::now() + kReadAtOnce;
        m_ended = false;
        std::vector<std::uint64_t> starts;
        while (!m_ended && std::chrono::steady_clock::now() < until) {
            const Result<bool> got = m_index->index(starts, kRecordsPerStep);
            m_ended = !got || got.value();
        }
        m_starts.assign(starts.begin(), starts.end());
        m_textEnd = m_index->textEnd();
        takeTitles();
    }
    endResetModel();
    if (m_ended)
        return;

    // The rest in a thread of its own, reported about ten times a second.
    m_worker = std::thread([this, index = m_index.get(), generation = m_generation] {
        for (;;) {
            std::vector<std::uint64_t> starts;
            bool ended = false;
            bool complete = false;
            const auto until = std::chrono::steady_clock::now() + kReadAtOnce;
            while (!ended && std::chrono::steady_clock::now() < until) {
                const Result<bool> got = index->index(starts, kRecordsPerStep, &m_stop);
                complete = got && got.value();
                ended = complete || !got || m_stop;
            }
            QMetaObject::invokeMethod(
                this,
                [this, generation, starts = std::move(starts), end = index->textEnd(), ended, complete,
                 percent = percentOf(*index)] { addRecords(generation, starts, end, ended, complete, percent); },
                Qt::QueuedConnection);
            if (ended)
                return;
        }
    });
}

void DataPreviewModel::addRecords(unsigned generation, const std::vector<std::uint64_t>& starts, std::uint64_t textEnd,
                                  bool ended, bool complete, int percent)
{
    if (generation != m_generation)
        return;
    // The rows are counted before the records join, so that the view learns of the new ones
    // before it can see them.
    const std::size_t recordsBefore = recordCount();
    const int rowsBefore = rowCount();
    const std::size_t startsAfter = m_starts.size() + starts.size();
    const std::size_t records = startsAfter - (m_header && startsAfter > 0 ? 1 : 0);
    const int rows = static_cast<int>(std::clamp<std::size_t>(records, 1, INT_MAX));
    if (rows > rowsBefore)
        beginInsertRows(QModelIndex(), rowsBefore, rows - 1);
    m_starts.insert(m_starts.end(), starts.begin(), starts.end());
    m_textEnd = textEnd;
    m_ended = ended;
    // The row cut last may have been the last record read, whose end is now further on.
    m_cutRow = SIZE_MAX;
    const bool untitled = m_titles.empty();
    takeTitles();
    if (rows > rowsBefore)
        endInsertRows();
    if (untitled && !m_titles.empty())
        emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    if (recordsBefore == 0 && records > 0)
        emit dataChanged(index(0, 0), index(0, m_columns - 1)); // the empty row shown until now
    emit progress(static_cast<qulonglong>(records), percent);
    if (ended)
        emit readingEnded(complete);
}

void DataPreviewModel::takeTitles()
{
    if (!m_header || m_starts.empty() || m_firstRow == 1)
        return;
    m_firstRow = 1;
    const bool read = m_starts.size() > 1;
    const Result<std::string> names = m_index->record(m_starts[0], read ? m_starts[1] : m_textEnd, read);
    if (!names)
        return;
    const RecordFields fields(names.value(), m_delimiter, m_quotes);
    for (std::int64_t n = 1; n <= std::min<std::int64_t>(fields.count(), m_columns); ++n)
        m_titles.emplace_back(fields.field(n));
}

const RecordFields& DataPreviewModel::rowFields(std::size_t row) const
{
    if (m_cutRow != row) {
        const std::size_t record = row + m_firstRow;
        const bool next = record + 1 < m_starts.size();
        Result<std::string> text = m_index->record(m_starts[record], next ? m_starts[record + 1] : m_textEnd, next);
        m_cutText = text ? std::move(text.value()) : std::string();
        m_cut.assign(m_cutText, m_delimiter, m_quotes);
        m_cutRow = row;
    }
    return m_cut;
}

std::size_t DataPreviewModel::recordCount() const
{
    return m_starts.size() - m_firstRow;
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
