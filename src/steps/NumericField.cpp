#include "steps/NumericField.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>

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
    case QEvent::FocusOut:
        if (isWindowSwitch(static_cast<QFocusEvent *>(event)->reason()))
            return false;
        return focusOut();
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return keyPress(13);
        if (!key->text().isEmpty())
            keyPress(key->text().at(0).unicode());
        return false; // every other key reaches the field unchanged
    }
    default:
        return false;
    }
}

bool NumericField::focusOut()
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
