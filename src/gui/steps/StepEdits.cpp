// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepEdits.h"

#include "gui/steps/StepListView.h"
#include "gui/steps/StepUndoCommands.h"

#include <algorithm>
#include <limits>

QString takeStepLabel(qint32 &counter)
{
    const QString label = StepDefaults::label(counter);
    if (counter < std::numeric_limits<qint32>::max())
        ++counter;
    return label;
}

StepEdits::StepEdits(StepListView &table, QObject *parent) : QObject(parent), m_table(table) {}

void StepEdits::insertSteps(int position, std::vector<StepRecord> rows, qint32 &counter, const QString &name)
{
    // The table counts its rows in an int.
    const qint64 room = std::numeric_limits<int>::max() - qint64(m_table.count());
    if (rows.empty() || position < 1 || position > m_table.count() + 1 || qint64(rows.size()) > room)
        return;
    qint32 after = counter;
    for (StepRecord &row : rows)
        if (row.label.isEmpty())
            row.label = takeStepLabel(after);
    m_history.push(new InsertStepsCommand(*this, name, position, std::move(rows), &counter, after));
}

void StepEdits::removeStep(int position, const QString &name)
{
    if (position < 1 || position > m_table.count())
        return;
    m_history.push(new RemoveStepCommand(*this, name, position));
}

void StepEdits::setStep(int position, const StepRecord &record)
{
    if (position < 1 || position > m_table.count() || m_table.item(position) == record)
        return;
    m_history.push(new SetStepCommand(*this, position, m_table.item(position), record));
}

void StepEdits::checkAll()
{
    std::vector<bool> before = m_table.steps().checkStates();
    if (std::find(before.begin(), before.end(), false) == before.end())
        return;
    m_history.push(new CheckAllCommand(*this, std::move(before)));
}

void StepEdits::stepChecked(int position)
{
    if (position < 1 || position > m_table.count())
        return;
    m_history.push(new CheckStepCommand(*this, position, m_table.item(position).checked));
}
