// New, Open, Save and Save as, and the document state they keep.
#include "shell/frmControl.h"

#include "shell/Texts.h"
#include "steps/StepListView.h"

void frmControl::mnuNew_Click()
{
    livData->clear();
    setWindowTitle(Texts::untitledCaption());
    Modified = false;
    setDataButtons();
}

void frmControl::mnuOpen_Click() {}
void frmControl::mnuSave_Click() {}
void frmControl::mnuSaveAs_Click() {}
