// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CheckFindingsModel.h"

#include "ui/CoreMessages.h"
#include "ui/QtText.h"

#include <climits>

namespace stencilor::ui {

CheckFindingsModel::CheckFindingsModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void CheckFindingsModel::reset(bool quotes, const QStringList& titles)
{
    beginResetModel();
    m_findings.clear();
    m_findings.shrink_to_fit();
    m_quotes = quotes;
    m_titles = titles;
    endResetModel();
}

void CheckFindingsModel::relabel(bool quotes, const QStringList& titles)
{
    beginResetModel();
    m_quotes = quotes;
    m_titles = titles;
    endResetModel();
}

void CheckFindingsModel::append(std::vector<CheckFinding> findings)
{
    const std::size_t room = INT_MAX - m_findings.size();
    if (findings.empty() || room == 0)
        return;
    if (findings.size() > room)
        findings.resize(room);
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(findings.size()) - 1);
    m_findings.insert(m_findings.end(), std::make_move_iterator(findings.begin()),
                      std::make_move_iterator(findings.end()));
    endInsertRows();
}

std::uint64_t CheckFindingsModel::recordOfRow(int row) const
{
    return row >= 0 && row < rowCount() ? m_findings[static_cast<std::size_t>(row)].record : 0;
}

int CheckFindingsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_findings.size());
}

int CheckFindingsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant CheckFindingsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    // Without quoted fields the record number is the line number, in the one number column.
    const int numbers = m_quotes ? 2 : 1;
    if (role == Qt::TextAlignmentRole)
        return index.column() < numbers ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const CheckFinding& finding = m_findings[static_cast<std::size_t>(index.row())];
    const auto number = [](std::uint64_t n) {
        return n == 0 ? QStringLiteral("-") : QString::number(static_cast<qulonglong>(n));
    };
    switch (index.column() - numbers) {
    case -2:
        return number(finding.record);
    case -1:
        return number(m_quotes ? finding.line : finding.record);
    case 0:
        return checkFindingText(finding.kind);
    case 1:
        return finding.name.empty() ? QStringLiteral("-") : toQt(finding.name);
    case 2:
        return detailMessage(finding.detail);
    default:
        return {};
    }
}

QVariant CheckFindingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace stencilor::ui
