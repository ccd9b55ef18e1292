// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataPreviewDialog.h"

#include "ui/DataPreviewModel.h"
#include "ui/ExplorerButton.h"
#include "ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QPainter>
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
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 2, 0);
    barLayout->addStretch(1);
    barLayout->addWidget(btnExit, 0, Qt::AlignVCenter);

    m_model = new DataPreviewModel(this);
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
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_model->load(resolvedPath, format, fieldCount);
    QGuiApplication::restoreOverrideCursor();
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

void TformViewCsv::btnExitClick()
{
    close();
}

} // namespace stencilor::ui
