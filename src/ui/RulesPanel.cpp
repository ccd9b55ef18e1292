#include "ui/RulesPanel.h"

#include "ui/QtText.h"
#include "ui/RuleEditorDialog.h"
#include "ui/RulesModel.h"
#include "ui/WindowBands.h"

#include <QHeaderView>
#include <QItemSelectionModel>
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
    btnAddRule = flatButton("btnAddRule", QStringLiteral("Add Rule"),
                            themedIcon("list-add", QStyle::SP_FileDialogNewFolder), size);
    btnEditlRule = flatButton("btnEditlRule", QStringLiteral("Edit Rule"),
                              themedIcon("document-properties", QStyle::SP_FileDialogDetailedView), size);
    btnInsRule =
        flatButton("btnInsRule", QStringLiteral("Insert"), themedIcon("insert-text", QStyle::SP_ArrowRight), size);
    btnDelRule =
        flatButton("btnDelRule", QStringLiteral("Delete Rule"), themedIcon("list-remove", QStyle::SP_TrashIcon), size);
    buttons->addWidget(boldLabel(QStringLiteral("3) ")));
    buttons->addWidget(new QLabel(QStringLiteral("Add file generating rules")));
    buttons->addSpacing(12);
    for (QToolButton* button : {btnAddRule, btnEditlRule, btnInsRule, btnDelRule})
        buttons->addWidget(button);
    buttons->addStretch(1);
    fixHeight(bar, kRulesBarHeight);
    layout->addWidget(bar);

    m_rules = new RulesModel(this);
    gridRules = new QTableView;
    gridRules->setObjectName(QStringLiteral("gridRules"));
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
    header->resizeSection(RulesModel::NumberColumn, 20);
    header->resizeSection(RulesModel::FieldColumn, 140);
    header->resizeSection(RulesModel::IdentifierColumn, 609);
    layout->addWidget(gridRules, 1);

    m_extract = new T_Extract(this);
    connect(btnAddRule, &QToolButton::clicked, this, &RulesPanel::btnAddRuleClick);
    connect(btnEditlRule, &QToolButton::clicked, this, &RulesPanel::btnEditlRuleClick);
    connect(btnInsRule, &QToolButton::clicked, this, &RulesPanel::btnInsRuleClick);
    connect(btnDelRule, &QToolButton::clicked, this, &RulesPanel::btnDelRuleClick);
    connect(gridRules, &QTableView::doubleClicked, this, &RulesPanel::gridRulesDblClick);
    connect(gridRules->selectionModel(), &QItemSelectionModel::currentChanged, this, &RulesPanel::gridRulesSelectCell);
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
