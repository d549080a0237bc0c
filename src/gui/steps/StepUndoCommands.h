// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRecord.h"

#include <QUndoCommand>
#include <vector>

class StepEdits;
class StepListView;

// One change of the step table as the undo history holds it. Each command
// keeps what it needs to put the table back exactly: the rows it took out,
// the values it replaced, the counter before and after.
class StepCommand : public QUndoCommand
{
public:
    StepCommand(StepEdits &edits, const QString &name);

protected:
    StepListView &table();
    void changed(); // tells the window after every redo and undo
    // A table holding rows keeps a selected row: after rows went out, the
    // row at the given position, or the last.
    void keepSelection(int position);

private:
    StepEdits &m_edits;
};

class InsertStepsCommand : public StepCommand
{
public:
    InsertStepsCommand(StepEdits &edits, const QString &name, int position, std::vector<StepRecord> rows,
                       qint32 *counter, qint32 counterAfter);
    void redo() override;
    void undo() override;

private:
    int m_position;
    int m_count;
    std::vector<StepRecord> m_rows; // held while undone
    qint32 *m_counter;
    qint32 m_counterBefore;
    qint32 m_counterAfter;
    int m_selectedBefore = 0;
};

class RemoveStepCommand : public StepCommand
{
public:
    RemoveStepCommand(StepEdits &edits, const QString &name, int position);
    void redo() override;
    void undo() override;

private:
    int m_position;
    std::vector<StepRecord> m_removed;
};

class SetStepCommand : public StepCommand
{
public:
    SetStepCommand(StepEdits &edits, int position, StepRecord before, StepRecord after);
    void redo() override;
    void undo() override;

private:
    int m_position;
    StepRecord m_before;
    StepRecord m_after;
};

class CheckAllCommand : public StepCommand
{
public:
    CheckAllCommand(StepEdits &edits, std::vector<bool> before);
    void redo() override;
    void undo() override;

private:
    std::vector<bool> m_before;
};

// The operator's click has changed the check box already; redo does it
// again only after an undo.
class CheckStepCommand : public StepCommand
{
public:
    CheckStepCommand(StepEdits &edits, int position, bool checked);
    void redo() override;
    void undo() override;

private:
    int m_position;
    bool m_checked;
    bool m_done = true;
};
