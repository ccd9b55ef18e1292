// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RuleEditorDialog.h"

#include "datasource/DataSourceCheck.h"
#include "rules/RuleEditorFields.h"
#include "ui/QtText.h"
#include "ui/WindowBands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace stencilor::ui {

namespace {

constexpr int kClientWidth = 718;
constexpr int kClientHeight = 447;
constexpr int kTopPanelHeight = 109;
// The identifier box starts this far from the left edge of the dialog.
constexpr int kIdentifierLeft = 72;
constexpr int kMargin = 4;
// The field list before the first opening.
constexpr int kInitialLabels = 5;

// The identifier box: Enter does not break the line (so it cannot slip into an identifier by
// accident, and confirms the dialog); Ctrl+Enter does. Shift+Enter would put a Unicode line
// separator into the text instead of a line break, so it is held back as well.
class IdentifierEdit final : public QPlainTextEdit {
public:
    IdentifierEdit() = default;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (event->modifiers() & Qt::ControlModifier) {
                textCursor().insertBlock();
                ensureCursorVisible();
                event->accept();
            } else {
                event->ignore();
            }
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

// The text of the identifier box as the core holds it: lines joined by CR LF. The raw text keeps
// every character (plain text would turn no-break spaces into spaces); blocks are separated by
// paragraph separators, and a pasted line separator also shows as a line break.
std::string identifierBytes(const QString& rawText)
{
    QString text = rawText;
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return fromQt(text);
}

QToolButton* flatButton(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    return button;
}

QLabel* newLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

T_Extract::T_Extract(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Extract"));
    setWindowTitle(tr("Add / Edit rule"));
    setModal(true);

    // ---- top panel: the field, its sample value and the hints
    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setFrameShape(QFrame::Panel);
    top->setFrameShadow(QFrame::Raised);
    Label5 = newLabel("Label5", tr("Select &field"), top);
    cbFieldList = new QComboBox(top);
    cbFieldList->setObjectName(QStringLiteral("cbFieldList"));
    cbFieldList->setEditable(true);
    // A typed label is the rule's label as typed: never added to the list, never recased.
    cbFieldList->setInsertPolicy(QComboBox::NoInsert);
    cbFieldList->completer()->setCaseSensitivity(Qt::CaseSensitive);
    cbFieldList->setMinimumWidth(145);
    cbFieldList->setMaxVisibleItems(20);
    cbFieldList->setToolTip(tr("The field of the data file whose value replaces the identifier"));
    Label5->setBuddy(cbFieldList);
    ChkHideUse = new QCheckBox(tr("&hide used fields"), top);
    ChkHideUse->setToolTip(tr("Leave the fields that other rules use out of the list"));
    ChkHideUse->setObjectName(QStringLiteral("ChkHideUse"));
    ChkHideUse->setChecked(true);
    Label6 = newLabel("Label6", tr("Field "), top);
    Label6->hide();

    Label1 = newLabel("Label1", tr("Field value  (1 record from CSV)"), top);
    EdValueCsv = new QLineEdit(top);
    EdValueCsv->setObjectName(QStringLiteral("EdValueCsv"));
    EdValueCsv->setReadOnly(true);
    EdValueCsv->setToolTip(tr("The field's value in the first record of the data file"));
    Label1->setBuddy(EdValueCsv);
    EdValueCsv->setAccessibleName(tr("Sample value of the field"));
    QPalette face = EdValueCsv->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    EdValueCsv->setPalette(face);
    SpeedButton5 = flatButton("SpeedButton5", tr("&Auto-create identifier"), top);
    SpeedButton5->setToolTip(tr("Add %value% of the sample value to the identifier"));
    SpeedButton5->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    SpeedButton5->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1 = new QPushButton(tr("Autocreate field identifier"), top);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoDefault(false);
    SpeedButton1->hide();

    Label3 = newLabel("Label3", tr("Enter the variable name. For example enter %Name%, etc.. "), top);
    Label4 = newLabel("Label4",
                      tr("The program will search this variable (%Name%) in your HTML template and replace with "
                         "selected field from your datasource CSV file."),
                      top);
    Label4->setWordWrap(true);

    auto* topLayout = new QGridLayout(top);
    topLayout->setContentsMargins(kMargin + 2, kMargin, kMargin + 2, kMargin);
    topLayout->setHorizontalSpacing(6);
    topLayout->setVerticalSpacing(2);
    topLayout->addWidget(Label5, 0, 0);
    topLayout->addWidget(cbFieldList, 0, 1);
    topLayout->addWidget(ChkHideUse, 0, 2, 1, 2);
    topLayout->addWidget(Label1, 1, 0);
    topLayout->addWidget(EdValueCsv, 1, 1, 1, 2);
    topLayout->addWidget(SpeedButton5, 1, 3);
    topLayout->addWidget(Label3, 2, 0, 1, 5);
    topLayout->addWidget(Label4, 3, 0, 1, 5);
    topLayout->setColumnStretch(2, 1);
    topLayout->setColumnStretch(4, 1);
    top->setFixedHeight(std::max(kTopPanelHeight, top->sizeHint().height()));

    // ---- the identifier and the two buttons
    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("Panel2"));
    Label2 = newLabel("Label2", tr("Field &Identifier (variable)   in Template"), bottom);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setFixedWidth(kIdentifierLeft - 2 * kMargin);
    auto* identifier = new IdentifierEdit;
    identifier->setParent(bottom);
    EdTextAfter = identifier;
    EdTextAfter->setObjectName(QStringLiteral("EdTextAfter"));
    // Tab moves on to the next control; the identifier box is no place for a tab by accident.
    EdTextAfter->setTabChangesFocus(true);
    EdTextAfter->setToolTip(tr("The identifier the run looks for in the template, such as %Name%; Ctrl+Enter starts "
                               "a new line"));
    Label2->setBuddy(EdTextAfter);
    SpeedButton3 = flatButton("SpeedButton3", tr("Ok"), bottom);
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    SpeedButton4 = flatButton("SpeedButton4", tr("Cancel"), bottom);
    SpeedButton4->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    for (QToolButton* button : {SpeedButton5, SpeedButton3, SpeedButton4})
        pressOnEnter(button);
    for (QToolButton* button : {SpeedButton3, SpeedButton4}) {
        // Wider only where a language's caption alone needs more than the described width.
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        const bool captionFits = button->sizeHint().width() <= 75;
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setFixedSize(captionFits ? 75 : button->sizeHint().width(), 25);
    }

    auto* bottomLayout = new QGridLayout(bottom);
    bottomLayout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    bottomLayout->setHorizontalSpacing(kMargin);
    bottomLayout->setVerticalSpacing(kMargin);
    bottomLayout->addWidget(Label2, 0, 0);
    bottomLayout->addWidget(EdTextAfter, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kMargin);
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton3);
    buttons->addWidget(SpeedButton4);
    bottomLayout->addLayout(buttons, 1, 0, 1, 2);
    bottomLayout->setColumnStretch(1, 1);
    bottomLayout->setRowStretch(0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(bottom, 1);
    resize(kClientWidth, kClientHeight);

    connect(cbFieldList, &QComboBox::editTextChanged, this, &T_Extract::cbFieldListChange);
    connect(ChkHideUse, &QCheckBox::clicked, this, &T_Extract::ChkHideUseClick);
    connect(SpeedButton5, &QToolButton::clicked, this, &T_Extract::SpeedButton5Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &T_Extract::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &T_Extract::SpeedButton4Click);

    QStringList initial;
    for (int k = 1; k <= kInitialLabels; ++k)
        initial << toQt(fieldLabel(k));
    setFieldList(cbFieldList, initial);
    setFieldText(cbFieldList, initial.front());
}

T_Extract::~T_Extract() = default;

void T_Extract::setOpening(Opening opening)
{
    m_sampleLine = std::move(opening.sampleLine);
    m_delimiter = std::move(opening.delimiter);
    m_quotes = opening.quotes;
    m_fieldCount = opening.fieldCount;
    m_usedFields = std::move(opening.usedFields);
    m_openedRule = std::move(opening.rule);
    m_fieldLabels = std::move(opening.fieldLabels);
    m_fieldTexts = std::move(opening.fieldTexts);
    offerFields(m_fieldLabels.size());

    setFieldText(cbFieldList, toQt(m_openedRule.fieldLabel));
    EdTextAfter->setPlainText(toQt(m_openedRule.identifier));
    m_shownIdentifier = EdTextAfter->document()->toRawText();
    cbFieldListChange();
}

Rule T_Extract::rule() const
{
    Rule result;
    result.fieldLabel = fromQt(fieldText(cbFieldList));
    const QString identifier = EdTextAfter->document()->toRawText();
    result.identifier = identifier == m_shownIdentifier ? m_openedRule.identifier : identifierBytes(identifier);
    return result;
}

void T_Extract::done(int result)
{
    std::vector<bool>().swap(m_usedFields);
    QDialog::done(result);
}

void T_Extract::keyPressEvent(QKeyEvent* event)
{
    // Enter in the field box or the identifier box (which leaves it to the dialog) is Ok; the
    // flat buttons are tool buttons, which a dialog does not press by itself.
    if (isEnterKey(event))
        SpeedButton3Click();
    else
        QDialog::keyPressEvent(event);
}

void T_Extract::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void T_Extract::FormShow()
{
    cbFieldListChange();
}

void T_Extract::cbFieldListChange()
{
    m_sampleValue = sampleValue(m_sampleLine, m_delimiter, m_quotes, fromQt(fieldText(cbFieldList)));
    EdValueCsv->setText(toQt(m_sampleValue));
    EdValueCsv->setCursorPosition(0);
}

void T_Extract::ChkHideUseClick()
{
    offerFields(m_fieldCount);
}

void T_Extract::SpeedButton5Click()
{
    if (m_sampleValue.empty())
        return;
    // Added at the end as one step of the box's undo history; the text already there stays.
    QTextCursor cursor(EdTextAfter->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (!EdTextAfter->document()->isEmpty() && !cursor.block().text().isEmpty())
        cursor.insertBlock();
    cursor.insertText(QStringLiteral("%") + toQt(m_sampleValue) + QStringLiteral("%"));
    cursor.endEditBlock();
    EdTextAfter->setTextCursor(cursor);
}

void T_Extract::SpeedButton3Click()
{
    accept();
}

void T_Extract::SpeedButton4Click()
{
    reject();
}

void T_Extract::offerFields(std::int64_t limit)
{
    QStringList labels;
    QStringList texts;
    for (std::int64_t k : offeredFieldNumbers(m_fieldCount, limit, ChkHideUse->isChecked(), m_usedFields)) {
        const auto at = static_cast<qsizetype>(k - 1);
        labels << (at < m_fieldLabels.size() ? m_fieldLabels.at(at) : toQt(fieldLabel(k)));
        texts << m_fieldTexts.value(at);
    }
    setFieldList(cbFieldList, labels, texts);
}

} // namespace stencilor::ui
