// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Step 3 of the main window, "Add file generating rules": the rules grid with Add Rule, Edit
// Rule, Insert and Delete Rule on the current row (Delete in the grid too), the rule editor that
// edits one row (also on a double-click), and in-place editing of identifiers.

#include "rules/RulesTable.h"

#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

class QModelIndex;
class QTableView;
class QToolButton;

namespace stencilor::ui {

class RulesModel;
class T_Extract;

class RulesPanel final : public QFrame {
    Q_OBJECT
public:
    // What the rule editor offers besides the row it edits: the window's data file and fields.
    struct EditorSource {
        std::int64_t fieldCount = -1; // the data file's field count; below 1 when not known
        std::string sampleLine;       // the data file's first non-blank line
        std::string delimiter;        // the field delimiter
        QStringList fieldLabels;      // the labels of the file-name field list
        QStringList fieldTexts;       // what that list shows for each label ("Field 4 — City")
        bool quotes = false;          // fields in double quotes are cut as the run cuts them
    };

    // The band "PanelStep3". `source` is asked at every opening of the rule editor.
    explicit RulesPanel(std::function<EditorSource()> source, QWidget* parent = nullptr);

    const RulesTable& table() const;
    // Replaces every rule row (a load, New, the default rules).
    void setTable(RulesTable table);
    // The grid's model.
    RulesModel* model() const { return m_rules; }

protected:
    void changeEvent(QEvent* event) override;

private:
    // Makes the number and field columns wide enough for their header texts.
    void fitColumns();
    void btnAddRuleClick();
    void btnEditlRuleClick();
    void btnInsRuleClick();
    void btnDelRuleClick();
    // Opens the rule editor on the current row and writes its result back on Ok.
    void gridRulesDblClick();
    // Switches in-place editing on for the identifier column only.
    void gridRulesSelectCell(const QModelIndex& current);
    // The current row of the rules table (0 for the first rule); always a rule row.
    int currentRuleRow() const;
    // Makes `row` the current row, keeping the selected column (the field column when none).
    void setCurrentRuleRow(int row);

    std::function<EditorSource()> m_source;
    RulesModel* m_rules = nullptr;
    // Created once and reused, so "hide used fields" carries over from one opening to the next.
    QPointer<T_Extract> m_extract;
    QToolButton* btnAddRule = nullptr;
    QToolButton* btnEditlRule = nullptr;
    QToolButton* btnInsRule = nullptr;
    QToolButton* btnDelRule = nullptr;
    QTableView* gridRules = nullptr;
};

} // namespace stencilor::ui
