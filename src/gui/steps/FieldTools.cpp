// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/FieldTools.h"

#include <QLineEdit>
#include <QPointer>

namespace ModTool {

void SelectFieldText(QLineEdit *field)
{
    field->setSelection(0, static_cast<int>(field->text().size()));
}

void CheckFieldRange(QLineEdit *field, double minimum, double maximum, int decimals, MessageBox &messages)
{
    const FieldCheck check = judgeFieldText(field->text(), minimum, maximum, decimals);
    if (check.inRange) {
        field->setText(check.text);
        return;
    }
    QPointer<QLineEdit> guard(field);
    messages.show(check.message, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation, RangeErrorCaption,
                  MessageBox::Answer::Ok);
    if (!guard)
        return;
    // When the window is not active yet (the box has just gone), setFocus
    // only makes the field the window's focus widget and no focus-in comes
    // now; select here so the text is ready to be typed over either way.
    // The window comes forward too, as it does not always by itself once
    // the box has gone.
    field->activateWindow();
    field->setFocus(Qt::OtherFocusReason);
    SelectFieldText(field);
}

} // namespace ModTool
