// The serial link: every command goes through SendCommand; handlers that
// need the port open call EnsurePortOpen first.
#include "shell/frmControl.h"

#include "instrument/Commands.h"
#include "instrument/PortText.h"
#include "platform/SerialPort.h"
#include "shell/Texts.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>

#include <cstdio>

bool frmControl::SendCommand(const QString &text)
{
    return m_platform.port->setOutput(text + Command::Terminator);
}

void frmControl::DropUnsentCommands()
{
    SerialPort &port = *m_platform.port;
    if (port.PortOpen() && port.discardOutput())
        SendCommand(QString());
}

bool frmControl::EnsurePortOpen()
{
    SerialPort &port = *m_platform.port;
    if (port.PortOpen() || port.setPortOpen(true))
        return true;
    MsgBox(cboCommPort->currentText() + Texts::PortNotAvailableSuffix);
    return false;
}

void frmControl::ApplyBaudRate()
{
    const QString baud = cboBaudRate->currentText();
    m_platform.port->setSettings(settingsForBaud(baud));
    labPortSetting->setText(labelForBaud(baud));
}

MessageBox::Answer frmControl::MsgBox(const QString &text, MessageBox::Buttons buttons,
                                      MessageBox::Icon icon, const QString &caption,
                                      MessageBox::Answer defaultButton)
{
    const QString title = caption.isEmpty() ? Texts::AppTitle : caption;
    if (m_closingOnSignal) {
        // Nobody is there to answer: say it on standard error and go on.
        std::fprintf(stderr, "%s: %s\n", qPrintable(title),
                     qPrintable(QString(text).replace(QChar(13), QLatin1Char(' '))));
        return defaultButton;
    }
    return m_platform.messages->show(text, buttons, icon, title, defaultButton);
}

QString frmControl::statusText() const
{
    return StatusBar1Text->text();
}

void frmControl::setStatusText(const QString &text)
{
    StatusBar1Text->setText(text);
}
