// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The table model behind the data preview: where each record starts, found in one streaming pass
// over the data file (decoded as the run decodes it), and every row read again from the file, and
// cut into cells, only when the view asks for it. A file of a million records costs eight bytes a
// record, whatever its size. The first records are read at once; the rest in a thread of its own,
// rows joining the table as they are found, so that the window never waits for a large file.

#include "datasource/DataSourceCheck.h"
#include "datasource/RecordFields.h"
#include "datasource/RecordIndex.h"

#include <QAbstractTableModel>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace stencilor::ui {

class DataPreviewModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataPreviewModel(QObject* parent = nullptr);
    ~DataPreviewModel() override;

    // Replaces the contents with the records of the file at `path`, read as `format` says (decoded
    // from its encoding, quoted records whole, the header record as the column titles), split into
    // max(fieldCount, 1) columns. A missing or unreadable file, or an unknown encoding, gives no
    // records, silently. What is read within a tenth of a second is there on return; the rest
    // follows (see progress() and readingEnded()).
    void load(const std::string& path, const DataFormat& format, int fieldCount);
    // Whether records are still being read.
    bool reading() const { return m_worker.joinable() && !m_ended; }
    // Stops reading: the records read so far stay (readingEnded(false) follows).
    void stopReading();

    // The number of records shown as rows (the header record is none).
    std::size_t recordCount() const;
    // The data file's record number of `row` (the header record counts), and the row of record
    // `record` (-1 for the header record and records out of range or not read yet).
    std::uint64_t recordOfRow(int row) const;
    int rowOfRecord(std::uint64_t record) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // While the rest of the file is read: the records shown so far and how far the reading is,
    // in per cent of the file.
    void progress(qulonglong records, int percent);
    // The reading has ended: through the whole file (`complete`), or stopped or failed.
    void readingEnded(bool complete);

private:
    // Joins the records the reading thread found since its last batch (of reading `generation`).
    void addRecords(unsigned generation, const std::vector<std::uint64_t>& starts, std::uint64_t textEnd, bool ended,
                    bool complete, int percent);
    void joinWorker();
    // Takes the column titles from the header record, once it has been read.
    void takeTitles();
    // The fields of the record of `row`, cut once for all the cells of a row the view asks for.
    const RecordFields& rowFields(std::size_t row) const;

    std::unique_ptr<RecordIndex> m_index;
    // Where each record read starts: in blocks, so that growing never copies it (nor holds it twice).
    std::deque<std::uint64_t> m_starts;
    std::uint64_t m_textEnd = 0; // where the last record read ends
    bool m_ended = true;         // no more records will come
    std::string m_delimiter;
    bool m_quotes = false;
    bool m_header = false;
    std::size_t m_firstRow = 0;        // the record shown in row 0: 1 when a header record leads
    std::vector<std::string> m_titles; // the header record's names, by field
    int m_columns = 1;
    mutable std::size_t m_cutRow = SIZE_MAX; // the row m_cut holds, cut from m_cutText
    mutable std::string m_cutText;
    mutable RecordFields m_cut;
    // The reading thread, and the number of the reading it serves: batches of an earlier one are
    // dropped when they arrive.
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    unsigned m_generation = 0;
};

} // namespace stencilor::ui
