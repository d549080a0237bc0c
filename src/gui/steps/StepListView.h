// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepTableModel.h"
#include "gui/steps/StepEdits.h"

#include <QTreeView>
#include <memory>

class StepTableMenu;

// The step table as the operator sees it: a report view with a check box in
// front of each row's label, whole-row single selection that stays visible
// without the focus, columns in a fixed order that never sort.
//
// A table holding rows always has a selected row: the first row added to an
// empty table is selected, and the operator cannot clear the selection.
//
// The rows are not the view's: it is given the table it shows (the step
// document's) once, right after it is made, and shows an empty table once
// that table has gone.
class StepListView : public QTreeView
{
    Q_OBJECT
public:
    explicit StepListView(QWidget *parent = nullptr);
    ~StepListView() override;

    // Shows these rows; once, before any other use of the view.
    void setSteps(StepTableModel &steps);
    StepTableModel &steps() { return *m_model; }
    const StepTableModel &steps() const { return *m_model; }
    // The operator's changes, undoable, and the table's clipboard and undo
    // keys with its context menu.
    StepEdits &edits() { return m_edits; }
    StepTableMenu &menu() { return *m_menu; }

    // The list operations, rows by 1-based position.
    int count() const { return m_model ? m_model->count() : 0; }
    const StepRecord &item(int position) const { return m_model->row(position); }
    void add(int position, const StepRecord &record);
    void remove(int position);
    void clear();
    void replaceAll(std::vector<StepRecord> rows);
    void addRows(int position, std::vector<StepRecord> rows);
    std::vector<StepRecord> takeRows(int position, int count);

    int selectedIndex() const; // 0 when no row is selected
    void select(int position);
    void ensureVisible(int position);

signals:
    void itemCheck(int position);
    void dblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    void keepSelection(const QItemSelection &selected, const QItemSelection &deselected);

    StepTableModel *m_model = nullptr;
    StepEdits m_edits{*this};
    std::unique_ptr<StepTableMenu> m_menu; // before the history it follows goes
    bool m_changingRows = false;
};
