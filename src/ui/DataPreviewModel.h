#pragma once

// The table model behind the data preview: the data file's bytes held once, the start of each line,
// and every cell cut out of its line only when the view asks for it. A file of a million lines
// costs the file's size plus eight bytes a line, and nothing per cell.

#include <QAbstractTableModel>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor::ui {

class DataPreviewModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataPreviewModel(QObject* parent = nullptr);

    // Replaces the contents with the lines of the file at `path`, split into max(fieldCount, 1)
    // columns at `delimiter`. A missing or unreadable file gives no lines, silently.
    void load(const std::string& path, const std::string& delimiter, int fieldCount);

    // Replaces the contents with the lines of `text`, as load() does with a file's contents.
    void setText(std::string text, const std::string& delimiter, int fieldCount);

    // The number of lines read (the model shows one empty row more when it is 0).
    std::size_t lineCount() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void reset(const std::string& delimiter, int fieldCount);
    std::string_view line(std::size_t row) const;

    std::string m_text;
    // Where each line starts in m_text, followed by the end of the text (before any NUL).
    std::vector<std::size_t> m_lineStarts;
    std::string m_delimiter;
    int m_columns = 1;
};

} // namespace stencilor::ui
