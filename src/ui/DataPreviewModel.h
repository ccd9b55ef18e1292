// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The table model behind the data preview: the data file's text held once (decoded as the run
// decodes it), the start of each record, and every cell cut out of its record only when the view
// asks for it. A file of a million records costs the file's size plus eight bytes a record, and
// nothing per cell.

#include "datasource/DataSourceCheck.h"
#include "datasource/RecordFields.h"

#include <QAbstractTableModel>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor::ui {

class DataPreviewModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataPreviewModel(QObject* parent = nullptr);

    // Replaces the contents with the records of the file at `path`, read as `format` says (decoded
    // from its encoding, quoted records whole, the header record as the column titles), split into
    // max(fieldCount, 1) columns. A missing or unreadable file, or an unknown encoding, gives no
    // records, silently.
    void load(const std::string& path, const DataFormat& format, int fieldCount);

    // The number of records shown as rows (the header record is none).
    std::size_t recordCount() const;
    // The data file's record number of `row` (the header record counts), and the row of record
    // `record` (-1 for the header record and records out of range).
    std::uint64_t recordOfRow(int row) const;
    int rowOfRecord(std::uint64_t record) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void reset(const DataFormat& format, int fieldCount);
    std::string_view record(std::size_t index) const;
    // The fields of the record of `row`, cut once for all the cells of a row the view asks for.
    const RecordFields& rowFields(std::size_t row) const;

    std::string m_text;
    // Where each record starts in m_text, followed by the end of the last record's text.
    std::vector<std::size_t> m_recordStarts;
    std::string m_delimiter;
    bool m_quotes = false;
    std::size_t m_firstRow = 0;        // the record shown in row 0: 1 when a header record leads
    std::vector<std::string> m_titles; // the header record's names, by field
    int m_columns = 1;
    mutable std::size_t m_cutRow = SIZE_MAX; // the row m_cut holds
    mutable RecordFields m_cut;
};

} // namespace stencilor::ui
