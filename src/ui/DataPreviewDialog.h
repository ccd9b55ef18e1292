#pragma once

// TformViewCsv, the unit frmViewCsv.
// The data preview window: the data file as a table, one row per line and one column per field,
// under a bar with a "Close" button. Created once and reused for every preview.

#include <QDialog>
#include <string>

class QTableView;

namespace stencilor::ui {

class DataPreviewModel;
class TExplorerButton;

class TformViewCsv final : public QDialog {
    Q_OBJECT
public:
    explicit TformViewCsv(QWidget* parent = nullptr);

    // Fills gridCsv from the data file at `resolvedPath` (already resolved by the caller; a
    // missing or unreadable file gives no lines) with max(fieldCount, 1) columns, the fields of
    // each line cut at `delimiter`. The cells are cut out of the file's text only when shown.
    void loadData(const std::string& resolvedPath, const std::string& delimiter, int fieldCount);

    // The table of the preview.
    QTableView* gridCsv() const { return m_gridCsv; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void btnExitClick();

    DataPreviewModel* m_model = nullptr;
    QTableView* m_gridCsv = nullptr;
    TExplorerButton* btnExit = nullptr;
};

} // namespace stencilor::ui
