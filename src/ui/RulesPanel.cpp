// The main window's rules table: Add Rule, Edit Rule (also by double-click), Insert and Delete
// Rule on the current row, the rule editor that edits one row, and in-place editing of identifiers.

#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/RuleEditorDialog.h"
#include "ui/RulesModel.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <cstdint>
#include <utility>

namespace stencilor::ui {

namespace {

// The fields the rule editor offers when the data file's field count is not known.
constexpr std::int64_t kUnknownFieldCount = 500;

} // namespace

void T_FRMain::connectRulesTable()
{
    connect(btnAddRule, &QToolButton::clicked, this, &T_FRMain::btnAddRuleClick);
    connect(btnEditlRule, &QToolButton::clicked, this, &T_FRMain::btnEditlRuleClick);
    connect(btnInsRule, &QToolButton::clicked, this, &T_FRMain::btnInsRuleClick);
    connect(btnDelRule, &QToolButton::clicked, this, &T_FRMain::btnDelRuleClick);
    connect(gridRules, &QTableView::doubleClicked, this, &T_FRMain::gridRulesDblClick);
    connect(gridRules->selectionModel(), &QItemSelectionModel::currentChanged, this, &T_FRMain::gridRulesSelectCell);
}

int T_FRMain::currentRuleRow() const
{
    const int row = gridRules->currentIndex().row();
    return std::clamp(row, 0, m_rules->rowCount() - 1);
}

void T_FRMain::setCurrentRuleRow(int row)
{
    int column = gridRules->currentIndex().column();
    if (column != RulesModel::FieldColumn && column != RulesModel::IdentifierColumn)
        column = RulesModel::FieldColumn;
    const QModelIndex cell = m_rules->index(row, column);
    gridRules->setCurrentIndex(cell);
    gridRules->scrollTo(cell);
}

void T_FRMain::btnAddRuleClick()
{
    setCurrentRuleRow(m_rules->addRule());
    gridRulesDblClick();
}

void T_FRMain::btnEditlRuleClick()
{
    gridRulesDblClick();
}

void T_FRMain::btnInsRuleClick()
{
    const int row = currentRuleRow();
    m_rules->insertRule(row);
    // The view follows the moved row down; the new rule takes its place as the current row.
    setCurrentRuleRow(row);
    gridRulesDblClick();
}

void T_FRMain::btnDelRuleClick()
{
    const int row = currentRuleRow();
    m_rules->deleteRule(row);
    setCurrentRuleRow(std::min(row, m_rules->rowCount() - 1));
}

void T_FRMain::gridRulesDblClick()
{
    if (!m_extract)
        m_extract = new T_Extract(this);
    const int row = currentRuleRow();
    const RulesTable& table = m_rules->table();

    T_Extract::Opening opening;
    opening.fieldCount = m_dataFile.csvFieldCount >= 1 ? m_dataFile.csvFieldCount : kUnknownFieldCount;
    opening.sampleLine = m_dataFile.csvSampleLine;
    opening.delimiter = fromQt(EdDelim->text());
    opening.usedFields = table.usedFields(opening.fieldCount, static_cast<std::size_t>(row));
    opening.fieldLabels.reserve(cbFileNameFld->count());
    for (int i = 0; i < cbFileNameFld->count(); ++i)
        opening.fieldLabels << cbFileNameFld->itemText(i);
    opening.rule = table.rule(static_cast<std::size_t>(row));
    m_extract->setOpening(std::move(opening));

    // The row is looked up again: nothing that runs while the editor is open may leave it behind.
    if (m_extract->exec() == QDialog::Accepted && m_extract && row < m_rules->rowCount())
        m_rules->setRule(row, m_extract->rule());
}

void T_FRMain::gridRulesSelectCell(const QModelIndex& current)
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
