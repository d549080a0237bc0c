// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/testmenu/LineTimeMarks.h"

#include "domain/programs/LineCheck.h"
#include "domain/steps/StepRecord.h"
#include "domain/steps/StepTableModel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QTimer>
#include <QToolTip>
#include <limits>

LineTimeMarks::LineTimeMarks(StepTableModel &steps, QAbstractItemView &view, QObject *parent)
    : QObject(parent), m_steps(steps), m_view(view)
{
    connect(&m_steps, &StepTableModel::modelReset, this, &LineTimeMarks::schedule);
    // A run's notes in the tooltips are no change of the program.
    connect(&m_steps, &StepTableModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                if (roles == QList<int>{Qt::ToolTipRole})
                    return;
                for (int row = topLeft.row(); row <= bottomRight.row() && !m_wholeTable; ++row)
                    m_changedRows.insert(row + 1);
                scheduleRows();
            });
    connect(&m_steps, &StepTableModel::rowsInserted, this, &LineTimeMarks::schedule);
    connect(&m_steps, &StepTableModel::rowsRemoved, this, &LineTimeMarks::schedule);
}

void LineTimeMarks::setActive(bool active)
{
    m_active = active;
    m_wholeTable = true;
    refresh();
}

void LineTimeMarks::setBaud(int baud)
{
    if (baud == m_baud)
        return;
    m_baud = baud;
    schedule();
}

void LineTimeMarks::schedule()
{
    m_wholeTable = true;
    m_changedRows.clear();
    scheduleRows();
}

void LineTimeMarks::scheduleRows()
{
    if (!m_active || m_due)
        return;
    m_due = true;
    QTimer::singleShot(0, this, [this] {
        if (m_due)
            refresh();
    });
}

void LineTimeMarks::refresh()
{
    m_due = false;
    if (!m_active) {
        m_lineMs.clear();
    } else if (m_wholeTable || m_changedRows.size() > 64) {
        m_lineMs.clear();
        LineSettings line;
        line.baud = m_baud;
        LineChecker checker(m_steps, line, 1, LineChecker::Detail::StretchedOnly);
        checker.advance(std::numeric_limits<qint64>::max());
        for (const StretchedRow &s : checker.result().stretched)
            m_lineMs.insert(s.position, s.lineMs);
    } else {
        // A row's commands depend on itself and on the row played before
        // it (phases are sent where they changed): the changed rows and the
        // checked row after each are checked again.
        QSet<int> rows;
        for (int position : std::as_const(m_changedRows)) {
            rows.insert(position);
            int next = position + 1;
            while (next <= m_steps.count() && !m_steps.row(next).checked)
                ++next;
            if (next <= m_steps.count())
                rows.insert(next);
        }
        for (int position : std::as_const(rows))
            checkRow(position);
    }
    m_wholeTable = false;
    m_changedRows.clear();
    m_view.viewport()->update();
    emit refreshed();
}

void LineTimeMarks::checkRow(int position)
{
    m_lineMs.remove(position);
    if (position > m_steps.count() || !m_steps.row(position).checked)
        return;
    // The row as the line check sees it: after the checked row before it,
    // or first after RUN.
    int previous = position - 1;
    while (previous >= 1 && !m_steps.row(previous).checked)
        --previous;
    StepTableModel pair;
    std::vector<StepRecord> rows;
    if (previous >= 1)
        rows.push_back(m_steps.row(previous));
    rows.push_back(m_steps.row(position));
    const int last = static_cast<int>(rows.size());
    pair.replaceAll(std::move(rows));
    LineSettings line;
    line.baud = m_baud;
    for (const StretchedRow &s : checkLine(pair, line).stretched)
        if (s.position == last)
            m_lineMs.insert(position, s.lineMs);
}

QString LineTimeMarks::toolTip(int position) const
{
    const auto it = m_lineMs.constFind(position);
    if (it == m_lineMs.constEnd())
        return {};
    return QStringLiteral("Needs %1 s on the line at %2 baud; held longer")
        .arg(QString::number(*it / 1000.0, 'f', 3))
        .arg(m_baud);
}

void LineTimeDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_marks.marked().contains(index.row() + 1))
        option->backgroundBrush = QColor(255, 200, 80);
}

bool LineTimeDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                 const QModelIndex &index)
{
    const QString tip = m_marks.toolTip(index.row() + 1);
    if (event->type() == QEvent::ToolTip && !tip.isEmpty()) {
        QToolTip::showText(event->globalPos(), tip, view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
