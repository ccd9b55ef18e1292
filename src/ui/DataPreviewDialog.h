// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TformViewCsv, the unit frmViewCsv.
// The data preview window: the data file as a table, one row per record and one column per field,
// under a bar with a "Close" button. Created once and reused for every preview. While a large
// file is still being read, the bar shows how far, with a button that stops the reading.

#include "datasource/DataSourceCheck.h"

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace stencilor::ui {

class DataPreviewModel;
class TExplorerButton;

class TformViewCsv final : public QDialog {
    Q_OBJECT
public:
    explicit TformViewCsv(QWidget* parent = nullptr);

    // Fills gridCsv from the data file at `resolvedPath` (already resolved by the caller; a
    // missing or unreadable file gives no records) with max(fieldCount, 1) columns, read as the
    // run reads it with `format`: decoded, a quoted record of several lines in one row, the header
    // record's names in the column titles. The cells are read and cut out of the file only when
    // shown; the records beyond the first tenth of a second's reading join the table as they are read.
    void loadData(const std::string& resolvedPath, const DataFormat& format, int fieldCount);

    // The data file's record number shown in row `row` of gridCsv, and the row showing record
    // `record` (-1 when no row does: the header record, or a record past the end).
    std::uint64_t recordOfRow(int row) const;
    int rowOfRecord(std::uint64_t record) const;

    // The table of the preview.
    QTableView* gridCsv() const { return m_gridCsv; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void btnExitClick();
    void showProgress(qulonglong records, int percent);
    void readingEnded(bool complete);

    DataPreviewModel* m_model = nullptr;
    QTableView* m_gridCsv = nullptr;
    TExplorerButton* btnExit = nullptr;
    QLabel* m_readingText = nullptr;
    QProgressBar* m_readingBar = nullptr;
    QPushButton* m_stopReading = nullptr;
};

} // namespace stencilor::ui
