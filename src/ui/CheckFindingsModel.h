// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The table model behind the check's list of findings: one row per finding, in the order they
// were found (columns line, finding, name, detail; with quoted fields record, line, finding, name,
// detail). The cells are worded only when the view shows them, so that a long list costs the
// findings themselves and no widget per cell.

#include "generation/DryRun.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace stencilor::ui {

class CheckFindingsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CheckFindingsModel(QObject* parent = nullptr);

    // Empties the list; `titles` are the column titles, with a leading record column when
    // `quotes` (records may span lines).
    void reset(bool quotes, const QStringList& titles);
    // Keeps the findings listed under new columns.
    void relabel(bool quotes, const QStringList& titles);
    // Adds `findings` at the end.
    void append(std::vector<CheckFinding> findings);
    // The record a row names (0: the project, or no such row).
    std::uint64_t recordOfRow(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<CheckFinding> m_findings;
    QStringList m_titles;
    bool m_quotes = false;
};

} // namespace stencilor::ui
