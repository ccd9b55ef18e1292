// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CheckDialog.h"

#include "ui/CoreMessages.h"
#include "ui/QtText.h"
#include "ui/ScreenPlacement.h"
#include "ui/UserDialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;
// A summary naming long paths keeps to this many lines, so the findings stay in view.
constexpr int kMaxSummaryLines = 6;

} // namespace

CheckDialog::CheckDialog(std::function<CheckReport()> recheck, std::function<QString(const Error&)> messageText,
                         QWidget* parent)
    : QDialog(parent)
    , m_recheck(std::move(recheck))
    , m_messageText(std::move(messageText))
{
    setObjectName(QStringLiteral("CheckDialog"));
    setWindowTitle(tr("Check"));
    setModal(false);
    resize(QSize(760, 420).boundedTo(roomOnScreen(this)));

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);

    m_grid = new QTableWidget(0, 4, this);
    m_grid->setObjectName(QStringLiteral("gridFindings"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setWordWrap(false);
    m_grid->setToolTip(tr("Double-click a record's row to show it in the data preview"));
    m_grid->setAccessibleName(tr("Findings"));
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
    // With quoted fields a record may span lines: its number and the line it begins on.
    const int first = report.quotes ? 1 : 0;
    m_grid->setColumnCount(first + 4);
    QStringList titles{tr("Line"), tr("Finding"), tr("Name"), tr("Detail")};
    if (report.quotes)
        titles.prepend(tr("Record"));
    m_grid->setHorizontalHeaderLabels(titles);
    if (!report.started) {
        // The run's own message, its leading line break (only the template missing) dropped.
        QString why = report.problem ? m_messageText(*report.problem).trimmed() : QString();
        setBoundedLabelText(lblSummary, tr("The check did not start: %1").arg(why.replace(u'\n', QStringLiteral("; "))),
                            kMaxSummaryLines);
        return;
    }
    const auto count = static_cast<qulonglong>(report.findings.size());
    const QLocale locale;
    const QString checked = tr("%1 of %2 records checked")
                                .arg(locale.toString(static_cast<qulonglong>(report.recordsChecked)),
                                     locale.toString(static_cast<qulonglong>(report.recordCount)));
    lblSummary->setText(count == 1 ? tr("%1, 1 finding").arg(checked)
                                   : tr("%1, %2 findings").arg(checked, locale.toString(count)));
    m_grid->setRowCount(static_cast<int>(report.findings.size()));
    int row = 0;
    const auto number = [](std::uint64_t n) {
        auto* item = new QTableWidgetItem(n == 0 ? QStringLiteral("-") : QString::number(static_cast<qulonglong>(n)));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return item;
    };
    for (const CheckFinding& finding : report.findings) {
        // Without quoted fields the record number is the line number.
        QTableWidgetItem* record = number(finding.record);
        record->setData(kRecordRole, static_cast<qulonglong>(finding.record));
        m_grid->setItem(row, 0, record);
        if (report.quotes)
            m_grid->setItem(row, 1, number(finding.line));
        m_grid->setItem(row, first + 1, new QTableWidgetItem(checkFindingText(finding.kind)));
        m_grid->setItem(row, first + 2,
                        new QTableWidgetItem(finding.name.empty() ? QStringLiteral("-") : toQt(finding.name)));
        m_grid->setItem(row, first + 3, new QTableWidgetItem(detailMessage(finding.detail)));
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
