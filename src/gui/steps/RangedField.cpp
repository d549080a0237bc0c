// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/RangedField.h"

#include "gui/steps/FieldTools.h"

#include <QLineEdit>

void RangedField::gotFocus() const
{
    ModTool::SelectFieldText(m_field);
}

void RangedField::lostFocus() const
{
    ModTool::CheckFieldRange(m_field, m_range, m_messages);
}

void RangedField::keyPress(int keyAscii) const
{
    if (keyAscii == 13)
        lostFocus();
}

bool RangedField::accepted() const
{
    return m_field
           && ModTool::judgeFieldText(m_field->text(), m_range.minimum, m_range.maximum, m_range.decimals)
                  .inRange;
}
