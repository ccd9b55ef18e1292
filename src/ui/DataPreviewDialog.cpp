// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataPreviewDialog.h"

#include "ui/DataPreviewModel.h"
#include "ui/ExplorerButton.h"
#include "ui/ScreenPlacement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

constexpr int kBarHeight = 49;

// The picture of the "Close" button: the desktop theme's close icon, or a drawn one (a white
// cross on a red disc) where the theme has none.
QPixmap closePicture()
{
    constexpr int size = 24;
    const QIcon themed = QIcon::fromTheme(QStringLiteral("window-close"));
    if (!themed.isNull())
        return themed.pixmap(size, size);
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(150, 30, 30), 1));
    painter.setBrush(QColor(214, 56, 48));
    painter.drawEllipse(QRectF(1.5, 1.5, size - 3, size - 3));
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8, 8), QPointF(size - 8, size - 8));
    painter.drawLine(QPointF(size - 8, 8), QPointF(8, size - 8));
    return picture;
}

} // namespace

TformViewCsv::TformViewCsv(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("formViewCsv"));
    setWindowTitle(tr("Preview file"));
    resize(952, 656);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(kBarHeight);
    btnExit = new TExplorerButton(bar);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setText(tr("Close"));
    btnExit->setPicture(closePicture());
    btnExit->setFixedSize(QSize(59, 46).expandedTo(btnExit->sizeHint()));
    connect(btnExit, &TExplorerButton::clicked, this, &TformViewCsv::btnExitClick);
    // How far a large file has been read, and the button that stops the reading.
    m_readingText = new QLabel(bar);
    m_readingText->setObjectName(QStringLiteral("lblReading"));
    m_readingBar = new QProgressBar(bar);
    m_readingBar->setObjectName(QStringLiteral("barReading"));
    m_readingBar->setRange(0, 100);
    m_readingBar->setMaximumWidth(240);
    m_readingBar->setAccessibleName(tr("Data file read"));
    m_stopReading = new QPushButton(tr("Cancel"), bar);
    m_stopReading->setObjectName(QStringLiteral("btnStopReading"));
    m_stopReading->setToolTip(tr("Stop reading the data file; the records read so far stay shown"));
    connect(m_stopReading, &QPushButton::clicked, this, [this] { m_model->stopReading(); });
    for (QWidget* part : std::initializer_list<QWidget*>{m_readingText, m_readingBar, m_stopReading})
        part->hide();
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 0, 2, 0);
    barLayout->addWidget(m_readingText);
    barLayout->addWidget(m_readingBar);
    barLayout->addWidget(m_stopReading);
    barLayout->addStretch(1);
    barLayout->addWidget(btnExit, 0, Qt::AlignVCenter);

    m_model = new DataPreviewModel(this);
    connect(m_model, &DataPreviewModel::progress, this, &TformViewCsv::showProgress);
    connect(m_model, &DataPreviewModel::readingEnded, this, &TformViewCsv::readingEnded);
    m_gridCsv = new QTableView(this);
    m_gridCsv->setObjectName(QStringLiteral("gridCsv"));
    m_gridCsv->setModel(m_model);
    m_gridCsv->setAccessibleName(tr("Records of the data file"));
    m_gridCsv->setShowGrid(true);
    m_gridCsv->setWordWrap(false);
    m_gridCsv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridCsv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_gridCsv->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_gridCsv->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Fixed, uniform sections: the view never measures a cell, so a million rows stay cheap.
    QHeaderView* columns = m_gridCsv->horizontalHeader();
    columns->setMinimumSectionSize(8);
    columns->setDefaultSectionSize(120);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    QHeaderView* rows = m_gridCsv->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(18);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_gridCsv, 1);
}

void TformViewCsv::loadData(const std::string& resolvedPath, const DataFormat& format, int fieldCount)
{
    m_model->load(resolvedPath, format, fieldCount);
    const bool reading = m_model->reading();
    if (reading)
        showProgress(m_model->recordCount(), 0);
    m_readingText->setVisible(reading);
    m_readingBar->setVisible(reading);
    m_stopReading->setVisible(reading);
    m_gridCsv->scrollToTop();
    m_gridCsv->horizontalScrollBar()->setValue(0);
}

std::uint64_t TformViewCsv::recordOfRow(int row) const
{
    return m_model->recordOfRow(row);
}

int TformViewCsv::rowOfRecord(std::uint64_t record) const
{
    return m_model->rowOfRecord(record);
}

void TformViewCsv::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

void TformViewCsv::hideEvent(QHideEvent* event)
{
    // A closed preview reads no further; the next one reads the file afresh.
    m_model->stopReading();
    QDialog::hideEvent(event);
}

void TformViewCsv::showProgress(qulonglong records, int percent)
{
    m_readingText->setText(tr("Reading the data file: %L1 records").arg(records));
    m_readingBar->setValue(percent);
}

void TformViewCsv::readingEnded(bool complete)
{
    m_readingBar->hide();
    m_stopReading->hide();
    m_readingText->setVisible(!complete);
    if (!complete)
        m_readingText->setText(tr("Stopped after %L1 records").arg(m_model->recordCount()));
}

void TformViewCsv::btnExitClick()
{
    close();
}

} // namespace stencilor::ui
