// The step table's editing commands.
#include "shell/frmControl.h"

#include "steps/StepListView.h"

#include <QPushButton>

void frmControl::setDataButtons()
{
    const bool hasRows = livData->count() > 0;
    cmdDataInsert->setEnabled(hasRows);
    cmdDataAppend->setEnabled(true);
    cmdDataDelete->setEnabled(hasRows);
}

void frmControl::cmdDataInsert_Click() {}
void frmControl::cmdDataAppend_Click() {}
void frmControl::cmdDataDelete_Click() {}
void frmControl::chkDataSelectAll_Click() {}
void frmControl::livData_ItemCheck(int) {}
void frmControl::livData_DblClick() {}
