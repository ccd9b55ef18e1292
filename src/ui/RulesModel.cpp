// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RulesModel.h"

#include "ui/FieldTexts.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QPalette>
#include <utility>

namespace stencilor::ui {

RulesModel::RulesModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void RulesModel::setTable(RulesTable table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int RulesModel::addRule()
{
    const bool appends = m_table.addRuleAppends();
    if (appends)
        beginInsertRows(QModelIndex(), rowCount(), rowCount());
    const int row = static_cast<int>(m_table.addRule());
    if (appends)
        endInsertRows();
    else
        emit dataChanged(index(row, FieldColumn), index(row, IdentifierColumn));
    return row;
}

bool RulesModel::insertRule(int row)
{
    if (m_table.isBlankRule(static_cast<std::size_t>(row)))
        return false;
    beginInsertRows(QModelIndex(), row, row);
    m_table.insertRule(static_cast<std::size_t>(row));
    endInsertRows();
    return true;
}

bool RulesModel::deleteRule(int row)
{
    if (m_table.ruleCount() < 2) {
        m_table.deleteRule(static_cast<std::size_t>(row));
        emit dataChanged(index(row, FieldColumn), index(row, IdentifierColumn));
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_table.deleteRule(static_cast<std::size_t>(row));
    endRemoveRows();
    return true;
}

void RulesModel::setRule(int row, Rule rule)
{
    m_table.rule(static_cast<std::size_t>(row)) = std::move(rule);
    emit dataChanged(index(row, FieldColumn), index(row, IdentifierColumn));
}

int RulesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_table.ruleCount());
}

int RulesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RulesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Rule& rule = m_table.rule(static_cast<std::size_t>(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        // The label in the window's language; the rule keeps it as the project stores it.
        if (index.column() == FieldColumn)
            return FieldTexts::shownLabel(toQt(rule.fieldLabel));
        [[fallthrough]];
    case Qt::EditRole:
        if (index.column() == FieldColumn)
            return toQt(rule.fieldLabel);
        if (index.column() == IdentifierColumn)
            return toQt(rule.identifier);
        return QString();
    case Qt::BackgroundRole:
        // The "N" column is the grid's fixed column, drawn like its header.
        if (index.column() == NumberColumn)
            return QApplication::palette().button();
        return {};
    default:
        return {};
    }
}

QVariant RulesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return tr("N");
    case FieldColumn:
        return tr("Field in Data Source File");
    case IdentifierColumn:
        return tr("Field Identifier in Template file");
    default:
        return {};
    }
}

Qt::ItemFlags RulesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Cells of the fixed column cannot be selected.
    if (index.column() == NumberColumn)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool RulesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || index.column() == NumberColumn)
        return false;
    Rule& rule = m_table.rule(static_cast<std::size_t>(index.row()));
    std::string text = fromQt(value.toString());
    std::string& cell = index.column() == FieldColumn ? rule.fieldLabel : rule.identifier;
    if (cell == text)
        return true;
    cell = std::move(text);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

} // namespace stencilor::ui
