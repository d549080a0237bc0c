// The operator's link controls: port, baud rate, remote/local and reset.
#include "shell/frmControl.h"

#include "instrument/Commands.h"
#include "instrument/PortText.h"
#include "instrument/RunController.h"
#include "instrument/SerialLink.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

void frmControl::cboCommPort_Click()
{
    m_link->choosePort(cboCommPort->currentText());
}

void frmControl::cboBaudRate_Click()
{
    const QString baud = cboBaudRate->currentText();
    m_link->applyBaud(baud);
    labPortSetting->setText(labelForBaud(baud));
}

void frmControl::optSystemMode_Click(int index)
{
    m_run->stopTicks();
    if (!m_link->ensureOpen())
        return;
    if (index == 0) {
        sendOrReport(Command::Local);
        m_link->close();
        cmdRunStop->setEnabled(false);
        cmdReset->setEnabled(false);
    } else {
        sendOrReport(Command::Remote);
        cmdRunStop->setEnabled(true);
        cmdReset->setEnabled(true);
    }
}

void frmControl::cmdReset_Click()
{
    // RUN and Reset stay enabled when another port failed to open under
    // Remote; the port is tried again rather than written to while closed.
    if (!m_link->ensureOpen())
        return;
    sendOrReport(Command::Reset);
}
