// The step table's editing commands and the double click that opens the
// step editor. Every one of them marks the document modified.
#include "shell/frmControl.h"

#include "files/StepDocument.h"
#include "steps/StepListView.h"
#include "steps/frmDataSetting.h"

#include <QCheckBox>
#include <QPushButton>
#include <limits>

namespace {
// A new step: ticked, with the default values, labelled from the counter,
// which then moves on. The counter stops at its top instead of overflowing;
// labels are no keys, so a repeated label does no harm.
StepRecord takeNewStep(qint32 &nextStepNumber)
{
    StepRecord step;
    step.label = StepDefaults::label(nextStepNumber);
    step.checked = true;
    step.values = StepDefaults::values();
    if (nextStepNumber < std::numeric_limits<qint32>::max())
        ++nextStepNumber;
    return step;
}
} // namespace

void frmControl::setDataButtons()
{
    const bool hasRows = livData->count() > 0;
    cmdDataInsert->setEnabled(hasRows);
    cmdDataAppend->setEnabled(true);
    cmdDataDelete->setEnabled(hasRows);
}

void frmControl::cmdDataInsert_Click()
{
    // Above the selected row; the selection stays on that row, one lower,
    // so repeated inserts stack up above it in the order they were made.
    const int position = livData->selectedIndex();
    if (position == 0)
        return;
    livData->add(position, takeNewStep(NextStepNumber));
    m_document->setModified(true);
}

void frmControl::cmdDataAppend_Click()
{
    livData->add(livData->count() + 1, takeNewStep(NextStepNumber));
    cmdDataInsert->setEnabled(true);
    cmdDataDelete->setEnabled(true);
    m_document->setModified(true);
}

void frmControl::cmdDataDelete_Click()
{
    const int position = livData->selectedIndex();
    if (position == 0)
        return;
    livData->remove(position);
    const int left = livData->count();
    if (left >= 1)
        livData->select(position <= left ? position : left);
    else
        setDataButtons();
    m_document->setModified(true);
}

void frmControl::chkDataSelectAll_Click()
{
    // Ticks every row whichever way the click turned the box; never clears one.
    livData->steps().checkAll();
    m_document->setModified(true);
}

void frmControl::livData_ItemCheck(int position)
{
    // Clearing the tick here is no click on "Select All": setChecked raises
    // no clicked(), so the rows stay as they are.
    if (position >= 1 && position <= livData->count() && !livData->item(position).checked)
        chkDataSelectAll->setChecked(false);
    m_document->setModified(true);
}

void frmControl::livData_DblClick()
{
    if (livData->count() > 0) {
        // A closed editor may still wait for its deletion: open a new one then.
        if (!DataSetting || DataSetting->isHidden()) {
            DataSetting = new frmDataSetting(livData, *m_platform.messages);
            DataSetting->Form_Load();
        }
        DataSetting->show();
        DataSetting->raise();
        DataSetting->activateWindow();
    }
    m_document->setModified(true);
}
