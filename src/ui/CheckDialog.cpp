#include "ui/CheckDialog.h"

#include "ui/CoreMessages.h"
#include "ui/QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;

} // namespace

CheckDialog::CheckDialog(std::function<CheckReport()> recheck, QWidget* parent)
    : QDialog(parent)
    , m_recheck(std::move(recheck))
{
    setObjectName(QStringLiteral("CheckDialog"));
    setWindowTitle(tr("Check"));
    setModal(false);
    resize(760, 420);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);

    m_grid = new QTableWidget(0, 4, this);
    m_grid->setObjectName(QStringLiteral("gridFindings"));
    m_grid->setHorizontalHeaderLabels({tr("Line"), tr("Finding"), tr("Name"), tr("Detail")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setWordWrap(false);
    m_grid->setToolTip(tr("Double-click a record's row to show it in the data preview"));
    connect(m_grid, &QTableWidget::itemDoubleClicked, this, &CheckDialog::gridFindingsDblClick);

    btnCheckAgain = new QPushButton(tr("Check again"), this);
    btnCheckAgain->setToolTip(tr("Check the window's settings as they are now, saved or not"));
    btnCheckAgain->setObjectName(QStringLiteral("btnCheckAgain"));
    connect(btnCheckAgain, &QPushButton::clicked, this, [this] { setReport(m_recheck()); });
    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCheckAgain);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
}

void CheckDialog::setReport(const CheckReport& report)
{
    m_grid->setRowCount(0);
    if (!report.started) {
        // The run's own message, its leading line break (only the template missing) dropped.
        QString why = coreMessageText(report.message).trimmed();
        lblSummary->setText(tr("The check did not start: %1").arg(why.replace(u'\n', QStringLiteral("; "))));
        return;
    }
    const auto count = static_cast<qulonglong>(report.findings.size());
    const QString checked = tr("%1 of %2 records checked")
                                .arg(static_cast<qulonglong>(report.recordsChecked))
                                .arg(static_cast<qulonglong>(report.recordCount));
    lblSummary->setText(count == 1 ? tr("%1, 1 finding").arg(checked) : tr("%1, %2 findings").arg(checked).arg(count));
    m_grid->setRowCount(static_cast<int>(report.findings.size()));
    int row = 0;
    for (const CheckFinding& finding : report.findings) {
        auto* line = new QTableWidgetItem(finding.record == 0 ? QStringLiteral("-") : QString::number(finding.record));
        line->setData(kRecordRole, static_cast<qulonglong>(finding.record));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_grid->setItem(row, 0, line);
        m_grid->setItem(row, 1, new QTableWidgetItem(checkFindingText(finding.kind)));
        m_grid->setItem(row, 2, new QTableWidgetItem(finding.name.empty() ? QStringLiteral("-") : toQt(finding.name)));
        m_grid->setItem(row, 3, new QTableWidgetItem(toQt(finding.detail)));
        ++row;
    }
    m_grid->resizeColumnsToContents();
}

void CheckDialog::gridFindingsDblClick(QTableWidgetItem* item)
{
    if (!item)
        return;
    const QTableWidgetItem* line = m_grid->item(item->row(), 0);
    const auto record = static_cast<std::uint64_t>(line->data(kRecordRole).toULongLong());
    if (record > 0)
        emit recordChosen(record);
}

} // namespace stencilor::ui
