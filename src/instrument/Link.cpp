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

bool frmControl::SendCommand(const QString &text)
{
    return m_platform.port->setOutput(text + Command::Terminator);
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
    return m_platform.messages->show(text, buttons, icon,
                                     caption.isEmpty() ? Texts::AppTitle : caption,
                                     defaultButton);
}

QString frmControl::statusText() const
{
    return StatusBar1Text->text();
}

void frmControl::setStatusText(const QString &text)
{
    StatusBar1Text->setText(text);
}
