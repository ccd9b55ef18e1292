// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules grid's model: the core RulesTable shown as three columns, "N" (never written in rule
// rows), the field label and the identifier. The header row of the grid is the view's header.

#include "rules/RulesTable.h"

#include <QAbstractTableModel>

namespace stencilor::ui {

class RulesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn = 0, FieldColumn = 1, IdentifierColumn = 2, ColumnCount = 3 };

    explicit RulesModel(QObject* parent = nullptr);

    const RulesTable& table() const { return m_table; }
    // Replaces every rule row (a load, New, the default rules).
    void setTable(RulesTable table);

    // The row operations of the rules table (see RulesTable), with the view told what changed.
    // Add Rule; returns the row to edit, the last one.
    int addRule();
    // Insert before `row`; false when that row is blank and nothing was added.
    bool insertRule(int row);
    // Delete Rule; false when the only row was cleared instead of removed.
    bool deleteRule(int row);
    // Writes the rule editor's result into `row`.
    void setRule(int row, Rule rule);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Sets the field label (column 1) or the identifier (column 2) of a rule row.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    RulesTable m_table;
};

} // namespace stencilor::ui
