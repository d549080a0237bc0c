// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step table's clipboard and undo commands, from its keys and its
// context menu: Cut, Copy, Copy All, Paste, Undo and Redo. Every change
// they make is a step of the table's history, as the other edits are.
#include "gui/shell/frmControl.h"

#include "domain/files/StepDocument.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/steps/StepRowsText.h"
#include "gui/steps/StepClipboard.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/StepTableMenu.h"

#include <QAction>
#include <span>

void frmControl::connectTableEditing()
{
    StepTableMenu &menu = m_ui.livData->menu();
    connect(menu.cut, &QAction::triggered, this, [this] { livData_Cut(); });
    connect(menu.copy, &QAction::triggered, this, [this] { livData_Copy(); });
    connect(menu.copyAll, &QAction::triggered, this, [this] { livData_CopyAll(); });
    connect(menu.paste, &QAction::triggered, this, [this] { livData_Paste(); });
    connect(menu.undo, &QAction::triggered, this, [this] { livData_Undo(); });
    connect(menu.redo, &QAction::triggered, this, [this] { livData_Redo(); });
    // Undo and redo change the table as much as the edits themselves: the
    // buttons follow the row count, and the document is modified (only the
    // file commands clear that).
    connect(&m_ui.livData->edits(), &StepEdits::changed, this, [this] {
        setDataButtons();
        m_document->setModified(true);
    });
}

bool frmControl::tableEditable() const
{
    // The table plays as it stands during a run.
    return !m_runActive && !m_ui.livData->menu().locked();
}

void frmControl::livData_Copy()
{
    const int position = m_ui.livData->selectedIndex();
    if (position == 0 || !tableEditable())
        return;
    const std::vector<StepRecord> &rows = m_ui.livData->steps().rows();
    StepClipboard::put(std::span(rows).subspan(size_t(position - 1), 1));
}

void frmControl::livData_CopyAll()
{
    if (m_ui.livData->count() == 0 || !tableEditable())
        return;
    StepClipboard::put(m_ui.livData->steps().rows());
}

void frmControl::livData_Cut()
{
    if (m_ui.livData->selectedIndex() == 0 || !tableEditable())
        return;
    livData_Copy();
    cmdDataDelete_Click();
}

void frmControl::livData_Paste()
{
    if (!tableEditable())
        return;
    StepRowsText::Pasted pasted = StepClipboard::paste();
    if (!pasted.error.isEmpty()) {
        MsgBox(pasted.error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation);
        return;
    }
    if (pasted.rows.empty())
        return;
    // Before the selected row, as Insert places its row; at the end when
    // no row is selected.
    const int selected = m_ui.livData->selectedIndex();
    const int position = selected > 0 ? selected : m_ui.livData->count() + 1;
    m_ui.livData->edits().insertSteps(position, std::move(pasted.rows), NextStepNumber,
                                      QStringLiteral("Paste"));
    m_document->setModified(true);
}

void frmControl::livData_Undo()
{
    if (tableEditable())
        m_ui.livData->edits().history().undo();
}

void frmControl::livData_Redo()
{
    if (tableEditable())
        m_ui.livData->edits().history().redo();
}
