// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/StepTableModel.h"

const QStringList &StepTableModel::headers()
{
    static const QStringList names = {QStringLiteral("Step"),
                                      QStringLiteral("Output"),
                                      QStringLiteral("Range"),
                                      QStringLiteral("Voltage [ V ]"),
                                      QStringLiteral("Frequency [Hz]"),
                                      QStringLiteral("Start Phase [Deg]"),
                                      QStringLiteral("Stop Phase [Deg]"),
                                      QStringLiteral("Dwell Time [Sec]")};
    return names;
}

StepTableModel::StepTableModel(QObject *parent) : QAbstractTableModel(parent) {}

int StepTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int StepTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant StepTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const StepRecord &r = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return index.column() == 0 ? r.label : r.subItem(index.column());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return r.checked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ToolTipRole) {
        const QString text = note(index.row() + 1);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return {};
}

bool StepTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    // Only the check box is edited in the table itself, and only by the operator.
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    StepRecord &r = m_rows[static_cast<size_t>(index.row())];
    r.checked = checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit itemCheck(index.row() + 1);
    return true;
}

Qt::ItemFlags StepTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant StepTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return headers().at(section);
    return {};
}

void StepTableModel::add(int position, const StepRecord &record)
{
    const int row = position - 1;
    m_notes.clear();
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, record);
    endInsertRows();
}

void StepTableModel::remove(int position)
{
    const int row = position - 1;
    m_notes.clear();
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void StepTableModel::clear()
{
    replaceAll({});
}

void StepTableModel::setSubItem(int position, int subItem, const QString &text)
{
    m_rows[static_cast<size_t>(position - 1)].subItem(subItem) = text;
    const QModelIndex i = index(position - 1, subItem);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void StepTableModel::setChecked(int position, bool checked)
{
    m_rows[static_cast<size_t>(position - 1)].checked = checked;
    const QModelIndex i = index(position - 1, 0);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void StepTableModel::setRow(int position, const StepRecord &record)
{
    m_rows[static_cast<size_t>(position - 1)] = record;
    emit dataChanged(index(position - 1, 0), index(position - 1, ColumnCount - 1));
}

void StepTableModel::replaceAll(std::vector<StepRecord> rows)
{
    beginResetModel();
    m_notes.clear();
    m_rows = std::move(rows);
    endResetModel();
}

void StepTableModel::checkAll()
{
    if (m_rows.empty())
        return;
    for (StepRecord &r : m_rows)
        r.checked = true;
    emit dataChanged(index(0, 0), index(count() - 1, 0), {Qt::CheckStateRole});
}

void StepTableModel::addRows(int position, std::vector<StepRecord> rows)
{
    if (rows.empty())
        return;
    const int row = position - 1;
    m_notes.clear();
    beginInsertRows({}, row, row + int(rows.size()) - 1);
    m_rows.insert(m_rows.begin() + row, std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

std::vector<StepRecord> StepTableModel::takeRows(int position, int count)
{
    if (count <= 0)
        return {};
    const auto first = m_rows.begin() + (position - 1);
    const auto last = first + count;
    m_notes.clear();
    beginRemoveRows({}, position - 1, position - 1 + count - 1);
    std::vector<StepRecord> taken(std::make_move_iterator(first), std::make_move_iterator(last));
    m_rows.erase(first, last);
    endRemoveRows();
    return taken;
}

std::vector<bool> StepTableModel::checkStates() const
{
    std::vector<bool> checked;
    checked.reserve(m_rows.size());
    for (const StepRecord &r : m_rows)
        checked.push_back(r.checked);
    return checked;
}

void StepTableModel::setCheckStates(const std::vector<bool> &checked)
{
    if (m_rows.empty() || checked.size() != m_rows.size())
        return;
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].checked = checked[i];
    emit dataChanged(index(0, 0), index(count() - 1, 0), {Qt::CheckStateRole});
}

void StepTableModel::setNote(int position, const QString &text)
{
    if (position < 1 || position > count())
        return;
    m_notes.resize(m_rows.size());
    QString &note = m_notes[static_cast<size_t>(position - 1)];
    if (note == text)
        return;
    note = text;
    emit dataChanged(index(position - 1, 0), index(position - 1, ColumnCount - 1), {Qt::ToolTipRole});
}

QString StepTableModel::note(int position) const
{
    if (position < 1 || static_cast<size_t>(position) > m_notes.size())
        return {};
    return m_notes[static_cast<size_t>(position - 1)];
}

void StepTableModel::clearNotes()
{
    for (int position = 1; static_cast<size_t>(position) <= m_notes.size(); ++position)
        setNote(position, QString());
    m_notes.clear();
}
