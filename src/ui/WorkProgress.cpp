// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WorkProgress.h"

#include "ui/DataWorker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace stencilor::ui {

WorkProgress::WorkProgress(const QString& barName, const QString& cancelTip, QWidget* parent)
    : QWidget(parent)
{
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    barProgress = new QProgressBar(this);
    barProgress->setObjectName(QStringLiteral("barProgress"));
    barProgress->setRange(0, 100);
    barProgress->setMaximumWidth(240);
    barProgress->setAccessibleName(barName);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setToolTip(cancelTip);
    connect(btnCancel, &QPushButton::clicked, this, &WorkProgress::cancelled);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblProgress);
    layout->addWidget(barProgress);
    layout->addWidget(btnCancel);
    layout->addStretch(1);
}

void WorkProgress::showProgress(const PassProgress& progress, const QString& reading)
{
    const auto total = static_cast<qulonglong>(progress.total.load(std::memory_order_relaxed));
    if (total == 0)
        lblProgress->setText(
            tr("Counting records: %L1").arg(static_cast<qulonglong>(progress.counted.load(std::memory_order_relaxed))));
    else
        lblProgress->setText(
            reading.arg(static_cast<qulonglong>(progress.read.load(std::memory_order_relaxed))).arg(total));
    barProgress->setValue(progress.percent());
}

} // namespace stencilor::ui
