// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRecord.h"

#include <QObject>
#include <QUndoStack>
#include <vector>

class StepListView;

// The changes the operator makes to the step table, each one step of the
// table's undo history: rows placed, a row deleted, a row's values set,
// every row ticked, a row's check box changed. Undo and redo restore the
// exact rows, the selection and the step counter where a change moved it.
class StepEdits : public QObject
{
    Q_OBJECT
public:
    explicit StepEdits(StepListView &table, QObject *parent = nullptr);

    QUndoStack &history() { return m_history; }
    // The table the edits change (their undo commands change it too).
    StepListView &table() { return m_table; }
    // New, Open and a run's start begin a fresh history.
    void clearHistory() { m_history.clear(); }

    // Places the rows before position (1..count+1). Rows without a label are
    // labelled "Step" and the counter, which moves on for each.
    void insertSteps(int position, std::vector<StepRecord> rows, qint32 &counter, const QString &name);
    // Removes the row at position and selects the row that takes its place,
    // or the new last row.
    void removeStep(int position, const QString &name);
    // Sets a row's label, check box and values; no step when nothing changes.
    void setStep(int position, const StepRecord &record);
    // Ticks every row; no step when every row is ticked already.
    void checkAll();
    // The operator has changed the row's check box already: records it.
    void stepChecked(int position);

signals:
    // After every change, undo and redo: the table differs from before.
    void changed();

private:
    StepListView &m_table;
    QUndoStack m_history;
};

// The label a new row takes from the counter, which moves on; it stops at
// its top rather than overflow (labels are no keys, a repeat does no harm).
QString takeStepLabel(qint32 &counter);
