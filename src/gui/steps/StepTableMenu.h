// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

class QAction;
class QMenu;
class QUndoStack;
class StepListView;

// The step table's clipboard and undo keys and its context menu: Cut,
// Copy, Copy All, Paste, Undo, Redo. The keys act while the table has the
// focus; each action is enabled only when it can act, and none while the
// table is locked for a run. What the actions do is up to whoever connects
// to them.
class StepTableMenu : public QObject
{
    Q_OBJECT
public:
    StepTableMenu(StepListView &table, QUndoStack &history);

    QAction *const cut;
    QAction *const copy;
    QAction *const copyAll;
    QAction *const paste;
    QAction *const undo;
    QAction *const redo;

    void setLocked(bool locked);
    bool locked() const { return m_locked; }
    QMenu *menu() const { return m_menu; }
    // Brings the actions' enabled states up to date.
    void update();

private:
    void showMenu(const QPoint &viewportPos);

    StepListView &m_table;
    QUndoStack &m_history;
    QMenu *m_menu;
    bool m_locked = false;
    std::optional<bool> m_clipboardHasText; // unknown until asked
};
