// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ReportOptionsDialog.h"

#include "generation/ReportColumns.h"
#include "ui/FieldTexts.h"
#include "ui/QtText.h"
#include "ui/ScreenPlacement.h"
#include "ui/WindowBands.h"

#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

// The dialog's size where the desktop's font and the language need no more.
constexpr int kClientWidth = 369;
constexpr int kClientHeight = 329;
constexpr int kComboWidth = 250;

// A flat button of the bottom strip: Tab reaches it, and Space or Enter presses it.
QToolButton* stripButton(QWidget* parent, const QString& name, const QString& caption, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setMinimumSize(80, 30);
    pressOnEnter(button);
    return button;
}

} // namespace

TformSetupReport::TformSetupReport(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("formSetupReport"));
    setWindowTitle(tr("Content file report options"));
    setModal(true);

    auto* heading = new QLabel(tr("Select fields you want to use in the content file:"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(10);
    for (int k = 1; k <= kReportColumnCount; ++k) {
        auto* label = new QLabel(tr("Column &%1").arg(k), this);
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cbCol%1").arg(k));
        combo->setEditable(true);
        combo->setFixedWidth(kComboWidth);
        combo->setToolTip(tr("%1: the link to the file; %2: that field of the record; anything else: an empty column")
                              .arg(FieldTexts::shownEntry(FieldTexts::fileName), tr("Field n")));
        // A typed text is kept exactly: Enter adds nothing to the list, and the completion never
        // turns "filename" into the list's "FileName".
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
        label->setBuddy(combo);
        rows->addWidget(label, k - 1, 0);
        rows->addWidget(combo, k - 1, 1);
        cbCol[static_cast<std::size_t>(k - 1)] = combo;
    }
    rows->setColumnStretch(2, 1);

    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("Panel1"));
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setAutoFillBackground(true);
    SpeedButton3 = stripButton(strip, QStringLiteral("SpeedButton3"), tr("Ok"), QStyle::SP_DialogOkButton);
    SpeedButton4 = stripButton(strip, QStringLiteral("SpeedButton4"), tr("Cancel"), QStyle::SP_DialogCancelButton);
    connect(SpeedButton3, &QToolButton::clicked, this, &TformSetupReport::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TformSetupReport::SpeedButton4Click);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(6, 4, 6, 4);
    stripLayout->addStretch(1);
    stripLayout->addWidget(SpeedButton3);
    stripLayout->addWidget(SpeedButton4);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(14, 12, 14, 8);
    body->setSpacing(14);
    body->addWidget(heading);
    body->addLayout(rows);
    body->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(body, 1);
    layout->addWidget(strip);
    // As large as described, or larger where the desktop's font or the language needs it.
    resize(QSize(kClientWidth, kClientHeight).expandedTo(minimumSizeHint()));
}

void TformSetupReport::prepare(const QStringList& fieldList, std::string_view report_fld, const QStringList& fieldTexts)
{
    QStringList entries{FieldTexts::notDefined, FieldTexts::fileName};
    entries += fieldList;
    QStringList shown{QString(), QString()};
    shown += fieldTexts;
    const ReportColumnTexts columns = reportColumnTexts(report_fld);
    for (std::size_t i = 0; i < cbCol.size(); ++i) {
        QComboBox* combo = cbCol[i];
        combo->setEditText(QString());
        setFieldList(combo, entries, shown);
        // The stored text is shown also when the list does not hold it.
        setFieldText(combo, toQt(columns[i]));
    }
}

std::string TformSetupReport::report_fld() const
{
    ReportColumnTexts columns;
    for (std::size_t i = 0; i < cbCol.size(); ++i)
        columns[i] = fromQt(fieldText(cbCol[i]));
    return buildReportFld(columns);
}

bool TformSetupReport::runFor(const QStringList& fieldList, std::string& report_fld, const QStringList& fieldTexts)
{
    prepare(fieldList, report_fld, fieldTexts);
    if (exec() != QDialog::Accepted)
        return false;
    report_fld = this->report_fld();
    return true;
}

void TformSetupReport::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred over the main window; without one, on the screen.
    if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr; owner && owner->isVisible())
        centreOver(this, owner);
    else
        centreOnScreen(this);
}

void TformSetupReport::keyPressEvent(QKeyEvent* event)
{
    // Ok and Cancel are flat tool buttons, which a dialog does not press by itself. A focused
    // button takes Enter before it gets here.
    if (isEnterKey(event))
        SpeedButton3Click();
    else if (event->key() == Qt::Key_Escape && !event->modifiers())
        SpeedButton4Click();
    else
        QDialog::keyPressEvent(event);
}

void TformSetupReport::SpeedButton3Click()
{
    done(QDialog::Accepted);
}

void TformSetupReport::SpeedButton4Click()
{
    done(QDialog::Rejected);
}

} // namespace stencilor::ui
