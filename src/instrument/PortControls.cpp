// The operator's link controls: port, baud rate, remote/local and reset.
#include "shell/frmControl.h"

#include "instrument/Commands.h"
#include "instrument/PortText.h"
#include "instrument/RunLifecycle.h"
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
    // RUN and Reset stay enabled when another port failed to open under
    // Remote; the port is tried again rather than written to while closed.
    if (!EnsurePortOpen())
        return;
    const bool running = runInProgress(*this);
    if (SendCommand(Command::Reset))
        return;
    if (running)
        endRunOnLinkFailure(*this); // does nothing if the lost link has ended it already
    else
        showPortMessage(*this);
}
