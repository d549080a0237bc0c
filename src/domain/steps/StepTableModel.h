// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRecord.h"

#include <QAbstractTableModel>
#include <vector>

// The step program: the only copy of it. Column 0 is the label with the
// row's check box in front of it; columns 1 to 7 are the sub-items. Rows
// keep the order they were placed in; the table is never sorted.
class StepTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 8;
    static const QStringList &headers();

    explicit StepTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows by 1-based position, as the rest of the program addresses them.
    int count() const { return static_cast<int>(m_rows.size()); }
    const StepRecord &row(int position) const { return m_rows[static_cast<size_t>(position - 1)]; }
    void add(int position, const StepRecord &record); // 1..count()+1
    void remove(int position);
    void clear();
    void setSubItem(int position, int subItem, const QString &text);
    void setChecked(int position, bool checked);
    void setRow(int position, const StepRecord &record);

    // Whole-table changes with a single notification each.
    void replaceAll(std::vector<StepRecord> rows);
    void checkAll();
    // Rows placed before position (1..count()+1), and the rows from position
    // on taken out, each in one operation however many rows they are.
    void addRows(int position, std::vector<StepRecord> rows);
    std::vector<StepRecord> takeRows(int position, int count);
    // Every row's check box, top to bottom; setting needs one per row.
    std::vector<bool> checkStates() const;
    void setCheckStates(const std::vector<bool> &checked);
    const std::vector<StepRecord> &rows() const { return m_rows; }

    // A remark about a row from the last run, shown as its tooltip; not
    // part of the program. Adding or removing rows forgets all remarks.
    void setNote(int position, const QString &text);
    QString note(int position) const;
    void clearNotes();

signals:
    // The operator changed a row's check box (1-based position); program
    // changes through setChecked() do not raise it.
    void itemCheck(int position);

private:
    std::vector<StepRecord> m_rows;
    std::vector<QString> m_notes; // by row, when any
};
