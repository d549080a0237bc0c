// The window's side of the serial link: its message boxes and status line,
// and the port list entry that the link's message names.
#include "shell/frmControl.h"

#include "instrument/PortText.h"
#include "instrument/RunController.h"
#include "instrument/SerialLink.h"
#include "platform/AppTitle.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>

#include <cstdio>

bool frmControl::sendOrReport(const QString &command)
{
    const bool running = m_run->running();
    if (m_link->send(command))
        return true;
    if (running)
        m_run->linkLost(); // does nothing if the lost link has ended it already
    else
        m_link->showNotAvailable();
    return false;
}

MessageBox::Answer frmControl::MsgBox(const QString &text, MessageBox::Buttons buttons,
                                      MessageBox::Icon icon, const QString &caption,
                                      MessageBox::Answer defaultButton)
{
    const QString title = caption.isEmpty() ? AppTitle : caption;
    return m_messages.show(text, buttons, icon, title, defaultButton);
}

MessageBox::Answer frmControl::WindowMessages::show(const QString &text, Buttons buttons, Icon icon,
                                                    const QString &caption, Answer defaultButton)
{
    if (m_window.m_closingOnSignal) {
        // Nobody is there to answer: say it on standard error and go on.
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption),
                     qPrintable(QString(text).replace(QChar(13), QLatin1Char(' '))));
        return defaultButton;
    }
    return m_window.m_platform.messages->show(text, buttons, icon, caption, defaultButton);
}

QString frmControl::statusText() const
{
    return StatusBar1Text->text();
}

void frmControl::setStatusText(const QString &text)
{
    StatusBar1Text->setText(text);
}
