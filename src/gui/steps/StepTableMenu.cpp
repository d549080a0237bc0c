// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepTableMenu.h"

#include "gui/steps/StepClipboard.h"
#include "gui/steps/StepListView.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QUndoStack>

namespace {
QAction *tableAction(StepListView &table, const char *name, const QString &caption,
                     const QList<QKeySequence> &keys)
{
    auto *action = new QAction(caption, &table);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    // Only while the table has the focus: the other controls keep their keys.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setShortcutVisibleInContextMenu(true);
    table.addAction(action);
    return action;
}
} // namespace

StepTableMenu::StepTableMenu(StepListView &table, QUndoStack &history)
    : QObject(nullptr),
      cut(tableAction(table, "actCut", QStringLiteral("Cu&t"), {QKeySequence(Qt::CTRL | Qt::Key_X)})),
      copy(tableAction(table, "actCopy", QStringLiteral("&Copy"),
                       {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)})),
      copyAll(tableAction(table, "actCopyAll", QStringLiteral("Copy &All"),
                          {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)})),
      paste(tableAction(table, "actPaste", QStringLiteral("&Paste"),
                        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)})),
      undo(tableAction(table, "actUndo", QStringLiteral("&Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)})),
      redo(tableAction(table, "actRedo", QStringLiteral("&Redo"),
                       {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})),
      m_table(table), m_history(history), m_menu(new QMenu(&table))
{
    m_menu->setObjectName(QStringLiteral("mnuStepTable"));
    m_menu->addActions({cut, copy, copyAll, paste});
    m_menu->addSeparator();
    m_menu->addActions({undo, redo});

    table.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&table, &QWidget::customContextMenuRequested, this, &StepTableMenu::showMenu);

    // Whatever changes what an action can do updates them all.
    const auto follow = [this] { update(); };
    connect(&history, &QUndoStack::canUndoChanged, this, follow);
    connect(&history, &QUndoStack::canRedoChanged, this, follow);
    connect(&table.steps(), &QAbstractItemModel::rowsInserted, this, follow);
    connect(&table.steps(), &QAbstractItemModel::rowsRemoved, this, follow);
    connect(&table.steps(), &QAbstractItemModel::modelReset, this, follow);
    connect(table.selectionModel(), &QItemSelectionModel::selectionChanged, this, follow);
    // Asking the clipboard is a round trip to the program that holds it,
    // which may never answer (Qt then waits seconds for each of its questions),
    // and the first time loads every image plugin: it is asked only when the
    // operator opens the menu, never while the window is built nor when
    // another program takes the clipboard.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_clipboardHasText.reset();
        update();
    });
    update();
}

void StepTableMenu::setLocked(bool locked)
{
    m_locked = locked;
    update();
}

void StepTableMenu::update()
{
    const bool open = !m_locked;
    const bool selected = m_table.selectedIndex() > 0;
    cut->setEnabled(open && selected);
    copy->setEnabled(open && selected);
    copyAll->setEnabled(open && m_table.count() > 0);
    // Not asked yet: Paste stays offered; with no text it pastes nothing.
    paste->setEnabled(open && m_clipboardHasText.value_or(true));
    undo->setEnabled(open && m_history.canUndo());
    redo->setEnabled(open && m_history.canRedo());
}

void StepTableMenu::showMenu(const QPoint &viewportPos)
{
    if (m_locked)
        return;
    if (!m_clipboardHasText)
        m_clipboardHasText = StepClipboard::hasText();
    update();
    m_menu->popup(m_table.viewport()->mapToGlobal(viewportPos));
}
