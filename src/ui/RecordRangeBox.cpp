// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RecordRangeBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <climits>

namespace stencilor::ui {

RecordRangeBox::RecordRangeBox(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RecordRangeBox"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    chkRecords = new QCheckBox(tr("&Only records"));
    chkRecords->setObjectName(QStringLiteral("chkRecords"));
    chkRecords->setToolTip(tr("Run generates only the records From to To (the first line is record 1)"));
    const auto numberBox = [](const char* name, const QString& tip) {
        auto* spin = new QSpinBox;
        spin->setObjectName(QString::fromLatin1(name));
        spin->setRange(1, INT_MAX);
        spin->setEnabled(false);
        spin->setToolTip(tip);
        return spin;
    };
    edRecFrom = numberBox("edRecFrom", tr("The first record Run generates (the first line of the data file is 1)"));
    edRecTo = numberBox("edRecTo", tr("The last record Run generates"));
    // To never falls below From, so every choice is a valid span.
    connect(edRecFrom, &QSpinBox::valueChanged, edRecTo, &QSpinBox::setMinimum);
    connect(chkRecords, &QCheckBox::toggled, edRecFrom, &QWidget::setEnabled);
    connect(chkRecords, &QCheckBox::toggled, edRecTo, &QWidget::setEnabled);
    const auto caption = [](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text);
        label->setBuddy(buddy);
        return label;
    };
    layout->addWidget(chkRecords);
    layout->addWidget(caption(tr("From"), edRecFrom));
    layout->addWidget(edRecFrom);
    layout->addWidget(caption(tr("To"), edRecTo));
    layout->addWidget(edRecTo);
}

RecordRange RecordRangeBox::records() const
{
    if (!chkRecords->isChecked())
        return {};
    return {static_cast<std::uint64_t>(edRecFrom->value()), static_cast<std::uint64_t>(edRecTo->value())};
}

} // namespace stencilor::ui
