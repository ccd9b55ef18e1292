#include "ui/DataPreviewModel.h"

#include "datasource/DataSourceCheck.h"
#include "datasource/Fields.h"
#include "datasource/TextLines.h"
#include "platform/FileSystem.h"
#include "ui/QtText.h"

#include <algorithm>
#include <climits>

namespace stencilor::ui {

DataPreviewModel::DataPreviewModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    m_lineStarts.push_back(0);
}

void DataPreviewModel::load(const std::string& path, const std::string& delimiter, int fieldCount)
{
    beginResetModel();
    if (!readWholeFileInto(path, m_text)) {
        m_text.clear();
        m_text.shrink_to_fit();
    }
    reset(delimiter, fieldCount);
    endResetModel();
}

void DataPreviewModel::setText(std::string text, const std::string& delimiter, int fieldCount)
{
    beginResetModel();
    m_text = std::move(text);
    reset(delimiter, fieldCount);
    endResetModel();
}

void DataPreviewModel::reset(const std::string& delimiter, int fieldCount)
{
    m_delimiter = delimiter;
    m_columns = std::max(fieldCount, 1);
    m_lineStarts.clear();
    const std::string_view text = textBeforeNul(m_text);
    LineCursor cursor(text);
    for (std::string_view current; cursor.next(current);)
        m_lineStarts.push_back(static_cast<std::size_t>(current.data() - text.data()));
    m_lineStarts.push_back(text.size());
}

std::size_t DataPreviewModel::lineCount() const
{
    return m_lineStarts.size() - 1;
}

std::string_view DataPreviewModel::line(std::size_t row) const
{
    const std::size_t start = m_lineStarts[row];
    std::size_t end = m_lineStarts[row + 1];
    // The next line starts after this one's line end (CR LF, CR or LF), which a line never
    // contains otherwise; the last line may have none.
    if (end > start && m_text[end - 1] == '\n')
        --end;
    if (end > start && m_text[end - 1] == '\r')
        --end;
    return std::string_view(m_text).substr(start, end - start);
}

int DataPreviewModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // A file without lines still shows one empty row under the header.
    return static_cast<int>(std::clamp<std::size_t>(lineCount(), 1, INT_MAX));
}

int DataPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant DataPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= lineCount())
        return QString();
    return toQt(GetField(line(row), m_delimiter, index.column() + 1));
}

QVariant DataPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns)
        return toQt(fieldLabel(section + 1));
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DataPreviewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace stencilor::ui
