// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepUndoCommands.h"

#include "gui/steps/StepEdits.h"
#include "gui/steps/StepListView.h"

#include <algorithm>

StepCommand::StepCommand(StepEdits &edits, const QString &name) : m_edits(edits)
{
    setText(name);
}

StepListView &StepCommand::table()
{
    return m_edits.table();
}

void StepCommand::changed()
{
    emit m_edits.changed();
}

void StepCommand::keepSelection(int position)
{
    StepListView &view = table();
    if (view.count() > 0 && view.selectedIndex() == 0)
        view.select(std::clamp(position, 1, view.count()));
}

InsertStepsCommand::InsertStepsCommand(StepEdits &edits, const QString &name, int position,
                                       std::vector<StepRecord> rows, qint32 *counter, qint32 counterAfter)
    : StepCommand(edits, name), m_position(position), m_count(int(rows.size())), m_rows(std::move(rows)),
      m_counter(counter), m_counterBefore(*counter), m_counterAfter(counterAfter)
{
}

void InsertStepsCommand::redo()
{
    m_selectedBefore = table().selectedIndex();
    // The selected row moves down with the rows placed above it.
    table().addRows(m_position, std::move(m_rows));
    m_rows.clear();
    *m_counter = m_counterAfter;
    changed();
}

void InsertStepsCommand::undo()
{
    m_rows = table().takeRows(m_position, m_count);
    *m_counter = m_counterBefore;
    keepSelection(m_selectedBefore);
    changed();
}

RemoveStepCommand::RemoveStepCommand(StepEdits &edits, const QString &name, int position)
    : StepCommand(edits, name), m_position(position)
{
}

void RemoveStepCommand::redo()
{
    m_removed = table().takeRows(m_position, 1);
    // The row that followed takes the removed row's place; after the last
    // row, the new last row is selected.
    const int left = table().count();
    if (left >= 1)
        table().select(std::min(m_position, left));
    changed();
}

void RemoveStepCommand::undo()
{
    table().addRows(m_position, std::move(m_removed));
    m_removed.clear();
    table().select(m_position);
    changed();
}

SetStepCommand::SetStepCommand(StepEdits &edits, int position, StepRecord before, StepRecord after)
    : StepCommand(edits, QStringLiteral("Edit")), m_position(position), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void SetStepCommand::redo()
{
    table().steps().setRow(m_position, m_after);
    changed();
}

void SetStepCommand::undo()
{
    table().steps().setRow(m_position, m_before);
    changed();
}

CheckAllCommand::CheckAllCommand(StepEdits &edits, std::vector<bool> before)
    : StepCommand(edits, QStringLiteral("Select All")), m_before(std::move(before))
{
}

void CheckAllCommand::redo()
{
    table().steps().checkAll();
    changed();
}

void CheckAllCommand::undo()
{
    table().steps().setCheckStates(m_before);
    changed();
}

CheckStepCommand::CheckStepCommand(StepEdits &edits, int position, bool checked)
    : StepCommand(edits, checked ? QStringLiteral("Tick") : QStringLiteral("Untick")), m_position(position),
      m_checked(checked)
{
}

void CheckStepCommand::redo()
{
    if (m_done)
        m_done = false; // the click did it
    else
        table().steps().setChecked(m_position, m_checked);
    changed();
}

void CheckStepCommand::undo()
{
    table().steps().setChecked(m_position, !m_checked);
    changed();
}
