// The Tools menu of the main window: the check of what a run would write, and the preview of
// one record's output; and the Run command's choice of records.

#include "generation/DryRun.h"
#include "generation/RecordPreview.h"
#include "ui/CheckDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/RecordPreviewDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <algorithm>
#include <climits>

namespace stencilor::ui {

void T_FRMain::actCheckExecute()
{
    if (!m_checkDialog) {
        // Each check reads the controls anew, like a run, so "Check again" sees unsaved edits.
        m_checkDialog = new CheckDialog(
            [this] { return checkProjectOutput(settingsFromControls(), projectPath(), m_env.programFolder); }, this);
        connect(m_checkDialog, &CheckDialog::recordChosen, this, &T_FRMain::showRecordInDataPreview);
    }
    m_checkDialog->setReport(checkProjectOutput(settingsFromControls(), projectPath(), m_env.programFolder));
    m_checkDialog->show();
    m_checkDialog->raise();
    m_checkDialog->activateWindow();
}

void T_FRMain::showRecordInDataPreview(std::uint64_t record)
{
    if (m_dataFile.csvFieldCount == -1)
        ChkCsvFile(nullptr);
    if (!m_formViewCsv)
        m_formViewCsv = new TformViewCsv(this);
    const int columns = static_cast<int>(std::clamp<std::int64_t>(m_dataFile.csvFieldCount, 1, INT_MAX));
    m_formViewCsv->loadData(resolvedInputPath(EdTextFile), fromQt(EdDelim->text()), columns);
    QTableView* grid = m_formViewCsv->gridCsv();
    const QModelIndex cell = grid->model()->index(static_cast<int>(std::min<std::uint64_t>(record - 1, INT_MAX)), 0);
    if (cell.isValid()) {
        grid->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid->scrollTo(cell, QAbstractItemView::PositionAtCenter);
    }
    // Without modality, so the check's list stays usable beside it.
    m_formViewCsv->show();
    m_formViewCsv->raise();
    m_formViewCsv->activateWindow();
}

void T_FRMain::actPreviewOutputExecute()
{
    QTableView* grid = m_formViewCsv ? m_formViewCsv->gridCsv() : nullptr;
    if (!m_recordPreview) {
        m_recordPreview = new RecordPreviewDialog(
            [this](std::uint64_t record) {
                return previewRecord(settingsFromControls(), projectPath(), m_env.programFolder, record);
            },
            this);
        // The preview follows the record chosen in the data preview while both are open.
        if (grid)
            connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, m_recordPreview,
                    [this](const QModelIndex& current) {
                        if (current.isValid() && m_recordPreview->isVisible())
                            m_recordPreview->showRecord(static_cast<std::uint64_t>(current.row()) + 1);
                    });
    }
    std::uint64_t record = m_recordPreview->record();
    if (grid && grid->currentIndex().isValid())
        record = static_cast<std::uint64_t>(grid->currentIndex().row()) + 1;
    m_recordPreview->showRecord(record);
    m_recordPreview->show();
    m_recordPreview->raise();
    m_recordPreview->activateWindow();
}

QWidget* T_FRMain::createRecordRangeBox()
{
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("RecordRangeBox"));
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    chkRecords = new QCheckBox(QStringLiteral("Only records"));
    chkRecords->setObjectName(QStringLiteral("chkRecords"));
    chkRecords->setToolTip(QStringLiteral("Run generates only the records From to To (the first line is record 1)"));
    const auto numberBox = [](const char* name) {
        auto* spin = new QSpinBox;
        spin->setObjectName(QString::fromLatin1(name));
        spin->setRange(1, INT_MAX);
        spin->setEnabled(false);
        spin->setMinimumWidth(72);
        return spin;
    };
    edRecFrom = numberBox("edRecFrom");
    edRecTo = numberBox("edRecTo");
    // To never falls below From, so every choice is a valid span.
    connect(edRecFrom, &QSpinBox::valueChanged, edRecTo, &QSpinBox::setMinimum);
    connect(chkRecords, &QCheckBox::toggled, edRecFrom, &QWidget::setEnabled);
    connect(chkRecords, &QCheckBox::toggled, edRecTo, &QWidget::setEnabled);
    layout->addWidget(chkRecords);
    layout->addWidget(new QLabel(QStringLiteral("From")));
    layout->addWidget(edRecFrom);
    layout->addWidget(new QLabel(QStringLiteral("To")));
    layout->addWidget(edRecTo);
    return box;
}

RecordRange T_FRMain::runRecords() const
{
    if (!chkRecords->isChecked())
        return {};
    return {static_cast<std::uint64_t>(edRecFrom->value()), static_cast<std::uint64_t>(edRecTo->value())};
}

} // namespace stencilor::ui
