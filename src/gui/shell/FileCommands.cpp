// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// New, Open, Save and Save as: the document does the work, the window shows
// its title and follows the table's row count.
#include "gui/shell/frmControl.h"

#include "domain/files/StepDocument.h"
#include "gui/steps/StepListView.h"

void frmControl::mnuNew_Click()
{
    if (!m_document->newDocument())
        return;
    m_ui.livData->edits().clearHistory(); // a new program has nothing to undo
    setDataButtons();
}

void frmControl::mnuOpen_Click()
{
    if (!m_document->open())
        return;
    m_ui.livData->edits().clearHistory();
    setDataButtons();
}

bool frmControl::OpenStepFile(const QString &path)
{
    if (!m_document->open(path))
        return false;
    m_ui.livData->edits().clearHistory();
    setDataButtons();
    return true;
}

void frmControl::mnuSave_Click()
{
    m_document->save();
}

void frmControl::mnuSaveAs_Click()
{
    m_document->saveAs();
}
