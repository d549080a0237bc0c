// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The operator's link controls: port, baud rate, remote/local and reset.
#include "gui/shell/frmControl.h"

#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/PortText.h"
#include "domain/ports/PortMap.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

void frmControl::cboCommPort_Click()
{
    m_session->choosePort(m_ui.cboCommPort->currentText());
    catchUpWithSession();
}

void frmControl::showPortFailure(const QString &entry, bool opened, const QString &failure)
{
    // The entry's tooltip says what it is connected to and, while its last
    // open failed, why.
    QComboBox *ports = m_ui.cboCommPort;
    QString tip = m_session->portMap().toolTip(portNumberFromText(entry));
    if (!opened) {
        const QString why = QStringLiteral("%1 could not be opened: %2")
                                .arg(entry,
                                     failure.isEmpty() ? QStringLiteral("the port does not say why") : failure);
        tip = tip.isEmpty() ? why : tip + QLatin1Char('\n') + why;
    }
    const int index = ports->findText(entry);
    if (index >= 0)
        ports->setItemData(index, tip, Qt::ToolTipRole);
    if (ports->currentText() == entry)
        ports->setToolTip(tip);
}

void frmControl::cboBaudRate_Click()
{
    const QString baud = m_ui.cboBaudRate->currentText();
    m_session->applyBaud(baud);
    m_ui.labPortSetting->setText(labelForBaud(baud));
}

void frmControl::optSystemMode_Click(int index)
{
    const bool remote = index == 1;
    const InstrumentSession::LinkResult result = m_session->setRemote(remote);
    catchUpWithSession();
    if (result == InstrumentSession::LinkResult::NotOpened)
        return;
    // RUN and Reset are for remote operation.
    m_ui.cmdRunStop->setEnabled(remote);
    m_ui.cmdReset->setEnabled(remote);
}

void frmControl::cmdReset_Click()
{
    m_session->reset();
    catchUpWithSession();
}
