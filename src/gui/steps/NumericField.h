// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QObject>
#include <functional>

class QLineEdit;

// Raises a numeric entry field's three events from Qt's: GotFocus when the
// operator enters the field, LostFocus when he leaves it, KeyPress for every
// typed character (Enter as code 13, which goes no further).
//
// A leave is a focus change within the window. A lost-focus check may show
// a modal message box, and the box's own focus changes must not count:
//  - focus that goes to or comes back from another window, a popup or the
//    menu bar is no enter and no leave;
//  - only a field that was entered can be left, so the field the focus was
//    on its way to when the box came up is never "left";
//  - one check at a time in the whole program, none started from within
//    another;
//  - when the check gives the focus back to the field, the field counts as
//    entered again and the stale focus-out is swallowed, so the line edit
//    keeps its cursor and selection; when a mouse press took the focus
//    away, that press goes nowhere (the click is lost, no button sticks).
// So every real leave runs exactly one check and shows at most one message.
class NumericField : public QObject
{
    Q_OBJECT
public:
    struct Handlers
    {
        std::function<void()> gotFocus;
        std::function<void()> lostFocus;
        std::function<void(int keyAscii)> keyPress;
    };

    // Wires the field; the wiring lives as long as the field.
    static NumericField *attach(QLineEdit *field, Handlers handlers);

    bool entered() const { return m_entered; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    NumericField(QLineEdit *field, Handlers handlers);
    bool focusOut(Qt::FocusReason reason);
    bool keyPress(int keyAscii);

    QLineEdit *m_field;
    Handlers m_handlers;
    bool m_entered = false;
};
