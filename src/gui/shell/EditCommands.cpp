// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step table's editing commands and the double click that opens the
// step editor. Every one of them marks the document modified.
#include "gui/shell/frmControl.h"

#include "domain/files/StepDocument.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/frmDataSetting.h"

#include <QCheckBox>
#include <QPushButton>

void frmControl::setDataButtons()
{
    const bool hasRows = m_ui.livData->count() > 0;
    m_ui.cmdDataInsert->setEnabled(hasRows);
    m_ui.cmdDataAppend->setEnabled(true);
    m_ui.cmdDataDelete->setEnabled(hasRows);
}

void frmControl::cmdDataInsert_Click()
{
    // Above the selected row; the selection stays on that row, one lower,
    // so repeated inserts stack up above it in the order they were made.
    const int position = m_ui.livData->selectedIndex();
    if (position == 0)
        return;
    m_ui.livData->edits().insertSteps(position, {StepRecord::makeDefault()}, NextStepNumber,
                                      QStringLiteral("Insert"));
    m_document->setModified(true);
}

void frmControl::cmdDataAppend_Click()
{
    m_ui.livData->edits().insertSteps(m_ui.livData->count() + 1, {StepRecord::makeDefault()}, NextStepNumber,
                                      QStringLiteral("Append"));
    m_ui.cmdDataInsert->setEnabled(true);
    m_ui.cmdDataDelete->setEnabled(true);
    m_document->setModified(true);
}

void frmControl::cmdDataDelete_Click()
{
    const int position = m_ui.livData->selectedIndex();
    if (position == 0)
        return;
    // Selects the row that takes its place, or the new last row; the
    // buttons follow the row count on every change of the table.
    m_ui.livData->edits().removeStep(position, QStringLiteral("Delete"));
    m_document->setModified(true);
}

void frmControl::chkDataSelectAll_Click()
{
    // Ticks every row whichever way the click turned the box; never clears one.
    m_ui.livData->edits().checkAll();
    m_document->setModified(true);
}

void frmControl::livData_ItemCheck(int position)
{
    m_ui.livData->edits().stepChecked(position);
    // Clearing the tick here is no click on "Select All": setChecked raises
    // no clicked(), so the rows stay as they are.
    if (position >= 1 && position <= m_ui.livData->count() && !m_ui.livData->item(position).checked)
        m_ui.chkDataSelectAll->setChecked(false);
    m_document->setModified(true);
}

void frmControl::livData_DblClick()
{
    if (m_ui.livData->count() > 0) {
        // A closed editor may still wait for its deletion: open a new one then.
        if (!DataSetting || DataSetting->isHidden()) {
            DataSetting = new frmDataSetting(m_ui.livData, *m_platform.messages);
            DataSetting->Form_Load();
        }
        DataSetting->show();
        DataSetting->raise();
        DataSetting->activateWindow();
    }
    m_document->setModified(true);
}
