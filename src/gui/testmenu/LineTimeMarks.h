// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStyledItemDelegate>

class QAbstractItemView;
class StepTableModel;

// Test > Check Line Time: the rows whose commands need longer on the line
// than their dwell at the chosen baud rate, as the line check of --check
// finds them, marked in the table's Dwell column. Worked out again after
// every change of the table or the baud rate, once per burst of changes:
// an edit of some rows checks those rows again, a change of the rows'
// number or the baud rate the whole table.
class LineTimeMarks : public QObject
{
    Q_OBJECT
public:
    LineTimeMarks(StepTableModel &steps, QAbstractItemView &view, QObject *parent = nullptr);

    void setActive(bool active);
    bool active() const { return m_active; }
    void setBaud(int baud);
    // Works the marks out now (they are otherwise due on the next turn of
    // the event loop after a change).
    void refresh();

    // The marked rows (1-based) and what their commands take on the line.
    const QHash<int, double> &marked() const { return m_lineMs; }
    QString toolTip(int position) const;

signals:
    void refreshed();

private:
    void schedule();     // the whole table is due
    void scheduleRows(); // the changed rows are due
    void checkRow(int position);

    StepTableModel &m_steps;
    QAbstractItemView &m_view;
    bool m_active = false;
    bool m_due = false;
    bool m_wholeTable = true;
    QSet<int> m_changedRows;
    int m_baud = 9600;
    QHash<int, double> m_lineMs;
};

// Paints a marked row's Dwell cell in the warning colour with its tooltip.
class LineTimeDelegate : public QStyledItemDelegate
{
public:
    LineTimeDelegate(const LineTimeMarks &marks, QObject *parent) : QStyledItemDelegate(parent), m_marks(marks)
    {
    }
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    const LineTimeMarks &m_marks;
};
