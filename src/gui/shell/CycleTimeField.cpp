// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The cycle count field's numeric-entry behaviour: its whole text selected
// on entry, its range checked on leaving and on Enter.
#include "gui/shell/frmControl.h"

#include "gui/steps/NumericField.h"
#include "gui/steps/RangedField.h"

#include <QLineEdit>

void frmControl::connectCycleTimeField()
{
    NumericField::attach(m_ui.txtCycleTime,
                         {[this] { txtCycleTime_GotFocus(); }, [this] { txtCycleTime_LostFocus(); },
                          [this](int k) { txtCycleTime_KeyPress(k); }});
}

void frmControl::txtCycleTime_GotFocus()
{
    RangedField(m_ui.txtCycleTime, FieldRanges::CycleTime, *m_platform.messages).gotFocus();
}

void frmControl::txtCycleTime_LostFocus()
{
    RangedField(m_ui.txtCycleTime, FieldRanges::CycleTime, *m_platform.messages).lostFocus();
}

void frmControl::txtCycleTime_KeyPress(int keyAscii)
{
    RangedField(m_ui.txtCycleTime, FieldRanges::CycleTime, *m_platform.messages).keyPress(keyAscii);
}
