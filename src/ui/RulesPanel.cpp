// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RulesPanel.h"

#include "ui/QtText.h"
#include "ui/RuleEditorDialog.h"
#include "ui/RulesModel.h"
#include "ui/WindowBands.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace stencilor::ui {

namespace {

// The height of the bar above the grid; the grid takes the rest of the band.
constexpr int kRulesBarHeight = 49;
// The fields the rule editor offers when the data file's field count is not known.
constexpr std::int64_t kUnknownFieldCount = 500;
// The widths of the number and field columns; the identifier column takes the rest.
constexpr int kNumberColumnWidth = 20;
constexpr int kFieldColumnWidth = 140;

// The rules grid: Tab and Ctrl+Tab leave it for the next control instead of walking its cells
// (also from an identifier being typed in place, which Tab commits), and Delete deletes the
// current rule.
class RulesGrid final : public QTableView {
public:
    explicit RulesGrid(std::function<void()> deleteRule)
        : m_deleteRule(std::move(deleteRule))
    {
        setTabKeyNavigation(false);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        if (event->key() == Qt::Key_Delete && !(event->modifiers() & ~Qt::KeypadModifier)) {
            m_deleteRule();
            event->accept();
            return;
        }
        if (ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
            focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        // Tab in the editor: the identifier is committed (the delegate did that) and the focus
        // moves on, as Tab does everywhere else.
        if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem) {
            QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
            focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
            return;
        }
        QTableView::closeEditor(editor, hint);
    }

private:
    std::function<void()> m_deleteRule;
};

} // namespace

RulesPanel::RulesPanel(std::function<EditorSource()> source, QWidget* parent)
    : QFrame(parent)
    , m_source(std::move(source))
{
    setObjectName(QStringLiteral("PanelStep3"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 2);
    layout->setSpacing(0);

    auto* bar = new QWidget;
    QHBoxLayout* buttons = row(0);
    bar->setLayout(buttons);
    buttons->setContentsMargins(4, 1, 0, 1);
    const QSize size(64, 46);
    const struct {
        QToolButton*& button;
        const char* name;
        QString caption;
        QString tip;
        const char* icon;
        QStyle::StandardPixmap fallback;
    } flatButtons[] = {
        {btnAddRule, "btnAddRule", tr("Add Rule"), tr("Add a rule for the next field at the end and edit it"),
         "list-add", QStyle::SP_FileDialogNewFolder},
        {btnEditlRule, "btnEditlRule", tr("Edit Rule"), tr("Edit the current rule (also a double-click on it)"),
         "document-properties", QStyle::SP_FileDialogDetailedView},
        {btnInsRule, "btnInsRule", tr("Insert"), tr("Insert a rule for the next field before the current one"),
         "insert-text", QStyle::SP_ArrowRight},
        {btnDelRule, "btnDelRule", tr("Delete Rule"), tr("Delete the current rule (Delete in the grid)"), "list-remove",
         QStyle::SP_TrashIcon},
    };
    for (const auto& flat : flatButtons) {
        flat.button = flatButton(flat.name, flat.caption, themedIcon(flat.icon, flat.fallback), size);
        setThemedIcon(flat.button, flat.icon, flat.fallback);
        flat.button->setToolTip(flat.tip);
    }

    m_rules = new RulesModel(this);
    gridRules = new RulesGrid([this] { btnDelRuleClick(); });
    gridRules->setObjectName(QStringLiteral("gridRules"));
    gridRules->setToolTip(tr("The rules in the order they are applied. Type an identifier straight into its cell; "
                             "Tab leaves the grid."));
    gridRules->setAccessibleName(tr("Rules"));

    buttons->addWidget(boldLabel(tr("3) ")));
    buttons->addWidget(captionFor(tr("Add file generating &rules"), gridRules));
    buttons->addSpacing(12);
    for (QToolButton* button : {btnAddRule, btnEditlRule, btnInsRule, btnDelRule})
        buttons->addWidget(button);
    buttons->addStretch(1);
    fixHeight(bar, kRulesBarHeight);
    layout->addWidget(bar);

    gridRules->setModel(m_rules);
    gridRules->setShowGrid(true);
    gridRules->setWordWrap(false);
    gridRules->setSelectionMode(QAbstractItemView::SingleSelection);
    gridRules->setSelectionBehavior(QAbstractItemView::SelectItems);
    gridRules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridRules->verticalHeader()->hide();
    gridRules->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gridRules->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView* header = gridRules->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(RulesModel::NumberColumn, QHeaderView::Fixed);
    // The identifiers take the width the window gives the grid.
    header->setStretchLastSection(true);
    fitColumns();
    layout->addWidget(gridRules, 1);

    m_extract = new T_Extract(this);
    connect(btnAddRule, &QToolButton::clicked, this, &RulesPanel::btnAddRuleClick);
    connect(btnEditlRule, &QToolButton::clicked, this, &RulesPanel::btnEditlRuleClick);
    connect(btnInsRule, &QToolButton::clicked, this, &RulesPanel::btnInsRuleClick);
    connect(btnDelRule, &QToolButton::clicked, this, &RulesPanel::btnDelRuleClick);
    connect(gridRules, &QTableView::doubleClicked, this, &RulesPanel::gridRulesDblClick);
    connect(gridRules->selectionModel(), &QItemSelectionModel::currentChanged, this, &RulesPanel::gridRulesSelectCell);
}

void RulesPanel::fitColumns()
{
    // Wide enough for the header texts in the desktop's font.
    QHeaderView* header = gridRules->horizontalHeader();
    header->resizeSection(RulesModel::NumberColumn,
                          std::max(kNumberColumnWidth, header->sectionSizeHint(RulesModel::NumberColumn)));
    header->resizeSection(RulesModel::FieldColumn,
                          std::max(kFieldColumnWidth, header->sectionSizeHint(RulesModel::FieldColumn)));
}

void RulesPanel::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::LanguageChange)
        fitColumns();
}

const RulesTable& RulesPanel::table() const
{
    return m_rules->table();
}

void RulesPanel::setTable(RulesTable table)
{
    m_rules->setTable(std::move(table));
}

int RulesPanel::currentRuleRow() const
{
    const int row = gridRules->currentIndex().row();
    return std::clamp(row, 0, m_rules->rowCount() - 1);
}

void RulesPanel::setCurrentRuleRow(int row)
{
    int column = gridRules->currentIndex().column();
    if (column != RulesModel::FieldColumn && column != RulesModel::IdentifierColumn)
        column = RulesModel::FieldColumn;
    const QModelIndex cell = m_rules->index(row, column);
    gridRules->setCurrentIndex(cell);
    gridRules->scrollTo(cell);
}

void RulesPanel::btnAddRuleClick()
{
    setCurrentRuleRow(m_rules->addRule());
    gridRulesDblClick();
}

void RulesPanel::btnEditlRuleClick()
{
    gridRulesDblClick();
}

void RulesPanel::btnInsRuleClick()
{
    const int row = currentRuleRow();
    m_rules->insertRule(row);
    // The view follows the moved row down; the new rule takes its place as the current row.
    setCurrentRuleRow(row);
    gridRulesDblClick();
}

void RulesPanel::btnDelRuleClick()
{
    const int row = currentRuleRow();
    m_rules->deleteRule(row);
    setCurrentRuleRow(std::min(row, m_rules->rowCount() - 1));
}

void RulesPanel::gridRulesDblClick()
{
    if (!m_extract)
        m_extract = new T_Extract(this);
    const int row = currentRuleRow();
    const RulesTable& table = m_rules->table();
    EditorSource source = m_source();

    T_Extract::Opening opening;
    opening.fieldCount = source.fieldCount >= 1 ? source.fieldCount : kUnknownFieldCount;
    opening.sampleLine = std::move(source.sampleLine);
    opening.delimiter = std::move(source.delimiter);
    opening.usedFields = table.usedFields(opening.fieldCount, static_cast<std::size_t>(row));
    opening.fieldLabels = std::move(source.fieldLabels);
    opening.fieldTexts = std::move(source.fieldTexts);
    opening.quotes = source.quotes;
    opening.rule = table.rule(static_cast<std::size_t>(row));
    m_extract->setOpening(std::move(opening));

    // The row is looked up again: nothing that runs while the editor is open may leave it behind.
    if (m_extract->exec() == QDialog::Accepted && m_extract && row < m_rules->rowCount())
        m_rules->setRule(row, m_extract->rule());
}

void RulesPanel::gridRulesSelectCell(const QModelIndex& current)
{
    // Identifiers are typed straight into the table; field labels only through the rule editor.
    // A double-click is the rule editor's, so it never starts in-place editing.
    if (current.column() == RulesModel::IdentifierColumn)
        gridRules->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed);
    else
        gridRules->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

} // namespace stencilor::ui
