// The cycle count field's numeric-entry behaviour: its whole text selected
// on entry, its range checked on leaving and on Enter.
#include "shell/frmControl.h"

#include "steps/FieldTools.h"
#include "steps/NumericField.h"

#include <QLineEdit>

void frmControl::connectCycleTimeField()
{
    NumericField::attach(m_ui.txtCycleTime, {[this] { txtCycleTime_GotFocus(); },
                                        [this] { txtCycleTime_LostFocus(); },
                                        [this](int k) { txtCycleTime_KeyPress(k); }});
}

void frmControl::txtCycleTime_GotFocus()
{
    ModTool::SelectFieldText(m_ui.txtCycleTime);
}

void frmControl::txtCycleTime_LostFocus()
{
    ModTool::CheckFieldRange(m_ui.txtCycleTime, FieldRanges::CycleTime, *m_platform.messages);
}

void frmControl::txtCycleTime_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        txtCycleTime_LostFocus();
}
