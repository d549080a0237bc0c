// The operator's link controls: port, baud rate, remote/local and reset.
#include "shell/frmControl.h"

#include "instrument/Commands.h"
#include "instrument/PortText.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"

#include <QComboBox>
#include <QPushButton>

void frmControl::cboCommPort_Click()
{
    SerialPort &port = *m_platform.port;
    if (port.PortOpen())
        port.setPortOpen(false);
    port.setCommPort(portNumberFromText(cboCommPort->currentText()));
    EnsurePortOpen();
}

void frmControl::cboBaudRate_Click()
{
    ApplyBaudRate();
}

void frmControl::optSystemMode_Click(int index)
{
    m_platform.timer->setEnabled(false);
    if (!EnsurePortOpen())
        return;
    if (index == 0) {
        SendCommand(Command::Local);
        if (m_platform.port->PortOpen())
            m_platform.port->setPortOpen(false);
        cmdRunStop->setEnabled(false);
        cmdReset->setEnabled(false);
    } else {
        SendCommand(Command::Remote);
        cmdRunStop->setEnabled(true);
        cmdReset->setEnabled(true);
    }
}

void frmControl::cmdReset_Click()
{
    SendCommand(Command::Reset);
}
