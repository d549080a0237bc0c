// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/FieldRange.h"

class MessageBox;
class QLineEdit;

// A numeric entry field with its range, seen through its three events:
// entering it selects its whole text; leaving it, or Enter in it, checks
// the range, rewrites a good value in the field's format and shows the
// range message for a bad one (the text then stays as typed and the focus
// comes back to the field, selected). The window's named handlers each
// forward to one of these; NumericField::attach raises them from Qt's
// events.
//
// A view of the field, cheap to make at each event: it owns nothing, and
// the message box it reports to is the one given when it is made.
class RangedField
{
public:
    RangedField(QLineEdit *field, const FieldRange &range, MessageBox &messages)
        : m_field(field), m_range(range), m_messages(messages)
    {
    }

    void gotFocus() const;
    void lostFocus() const;
    // Enter (13) checks as leaving would; every other key is left alone.
    void keyPress(int keyAscii) const;
    // Whether the field's text, as it stands, is within the range; false
    // for a field that is gone.
    bool accepted() const;

private:
    QLineEdit *m_field;
    FieldRange m_range;
    MessageBox &m_messages;
};
