// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The operator's link controls: port, baud rate, remote/local and reset.
#include "gui/shell/frmControl.h"

#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/PortText.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

void frmControl::cboCommPort_Click()
{
    const QString entry = m_ui.cboCommPort->currentText();
    onLine([entry](InstrumentSession &session) { session.choosePort(entry); }, [] {});
}

void frmControl::showPortFailure(const QString &entry, bool opened, const QString &failure)
{
    // The entry's tooltip says what it is connected to and, while its last
    // open failed, why.
    QComboBox *ports = m_ui.cboCommPort;
    QString tip = m_portMap.toolTip(portNumberFromText(entry));
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
    onLine([baud](InstrumentSession &session) { session.applyBaud(baud); }, [] {});
    m_ui.labPortSetting->setText(labelForBaud(baud));
}

void frmControl::optSystemMode_Click(int index)
{
    const bool remote = index == 1;
    // Local while Remote is still connecting: that connect gives up.
    if (!remote && lineBusy())
        m_session->abandonRequests();
    onLine([remote](InstrumentSession &session) { return session.setRemote(remote); },
           [this, remote](InstrumentSession::LinkResult result) {
               if (result == InstrumentSession::LinkResult::NotOpened)
                   return;
               // RUN and Reset are for remote operation.
               m_linkButtons = remote;
               showLinkButtons();
           });
}

void frmControl::showLinkButtons()
{
    m_ui.cmdRunStop->setEnabled(m_linkButtons && !lineBusy());
    m_ui.cmdReset->setEnabled(m_linkButtons && !lineBusy());
}

void frmControl::cmdReset_Click()
{
    onLine([](InstrumentSession &session) { session.reset(); }, [] {});
}
