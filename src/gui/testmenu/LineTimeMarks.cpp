// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "testmenu/LineTimeMarks.h"

#include "programs/LineCheck.h"
#include "steps/StepRecord.h"
#include "steps/StepTableModel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QTimer>
#include <QToolTip>

LineTimeMarks::LineTimeMarks(StepTableModel &steps, QAbstractItemView &view, QObject *parent)
    : QObject(parent), m_steps(steps), m_view(view)
{
    connect(&m_steps, &StepTableModel::modelReset, this, &LineTimeMarks::schedule);
    // A run's notes in the tooltips are no change of the program.
    connect(&m_steps, &StepTableModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles != QList<int>{Qt::ToolTipRole})
                    schedule();
            });
    connect(&m_steps, &StepTableModel::rowsInserted, this, &LineTimeMarks::schedule);
    connect(&m_steps, &StepTableModel::rowsRemoved, this, &LineTimeMarks::schedule);
}

void LineTimeMarks::setActive(bool active)
{
    m_active = active;
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
    m_lineMs.clear();
    if (m_active) {
        LineSettings line;
        line.baud = m_baud;
        for (const StretchedStep &s : checkLine(m_steps, line).stretched)
            m_lineMs.insert(s.position, s.lineMs);
    }
    m_view.viewport()->update();
    emit refreshed();
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
