// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/NumericField.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>

namespace {
// One thread runs every handler; a check in progress anywhere blocks the
// start of another.
bool checkRunning = false;

// Focus moving between windows (a message box, another window, a popup,
// the menu bar) neither enters nor leaves a field.
bool isWindowSwitch(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
           || reason == Qt::MenuBarFocusReason;
}
// After a rejected value the focus is back in the field, but the mouse
// press that took it away is still on its way to the clicked control. It
// must not arrive there: a button would take it and, its release having
// gone to the message box, stay pressed. Eats that one press and goes.
class PressSwallower : public QObject
{
public:
    PressSwallower()
    {
        QCoreApplication::instance()->installEventFilter(this);
        // The press comes within the event now being handled, or never.
        QTimer::singleShot(0, this, [this] { deleteLater(); });
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        deleteLater();
        return true;
    }
};
} // namespace

NumericField::NumericField(QLineEdit *field, Handlers handlers)
    : QObject(field), m_field(field), m_handlers(std::move(handlers))
{
}

NumericField *NumericField::attach(QLineEdit *field, Handlers handlers)
{
    auto *wiring = new NumericField(field, std::move(handlers));
    field->installEventFilter(wiring);
    return wiring;
}

bool NumericField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_field)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (isWindowSwitch(static_cast<QFocusEvent *>(event)->reason()))
            return false;
        m_entered = true;
        if (m_handlers.gotFocus)
            m_handlers.gotFocus();
        return false;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        return isWindowSwitch(reason) ? false : focusOut(reason);
    }
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return keyPress(13);
        if (!key->text().isEmpty())
            keyPress(key->text().at(0).unicode());
        return false; // every other key reaches the field unchanged
    }
    default: return false;
    }
}

bool NumericField::focusOut(Qt::FocusReason reason)
{
    if (!m_entered)
        return false;
    m_entered = false;
    if (checkRunning || !m_handlers.lostFocus)
        return false;

    QPointer<QLineEdit> field(m_field);
    {
        const QScopedValueRollback running(checkRunning, true);
        m_handlers.lostFocus();
    }
    if (!field)
        return true;
    if (field->window()->focusWidget() == field) {
        // The check gave the focus back: this focus-out is out of date.
        m_entered = true;
        if (reason == Qt::MouseFocusReason)
            new PressSwallower;
        return true;
    }
    return false;
}

bool NumericField::keyPress(int keyAscii)
{
    if (!m_handlers.keyPress)
        return keyAscii == 13;
    if (keyAscii != 13) {
        m_handlers.keyPress(keyAscii);
        return false;
    }
    if (!checkRunning) {
        const QScopedValueRollback running(checkRunning, true);
        m_handlers.keyPress(13);
    }
    return true;
}
