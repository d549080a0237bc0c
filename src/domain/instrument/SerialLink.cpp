// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/SerialLink.h"

#include "domain/instrument/Commands.h"
#include "domain/instrument/PortText.h"
#include "domain/ports/SerialPort.h"
#include "domain/system/TerminationSignals.h"
#include "domain/ui/AppTitle.h"
#include "domain/ui/MessageBox.h"

SerialLink::SerialLink(SerialPort &port, MessageBox &messages, QObject *parent)
    : QObject(parent), m_port(port), m_messages(messages)
{
    m_port.onLinkLost = [this] { emit linkLost(); };
}

SerialLink::~SerialLink()
{
    m_port.onLinkLost = nullptr;
}

bool SerialLink::send(const QString &text)
{
    const bool written = m_port.setOutput(text + Command::Terminator);
    if (written)
        emit commandSent(text);
    return written;
}

bool SerialLink::ensureOpen()
{
    if (m_port.PortOpen())
        return true;
    if (m_port.setPortOpen(true)) {
        m_lastOpenAbandoned = false;
        emit portOpenTried(m_portName, true, QString());
        return true;
    }
    m_lastOpenAbandoned = m_openAbandoned && m_openAbandoned();
    if (!m_lastOpenAbandoned)
        tellOpenFailed();
    return false;
}

void SerialLink::setOpenAbandoned(std::function<bool()> abandoned)
{
    m_openAbandoned = abandoned;
    m_port.setOpenAbandoned(std::move(abandoned));
}

void SerialLink::tellOpenFailed()
{
    showNotAvailable();
    if (TerminationSignals::requestedSignal() == 0)
        emit portOpenTried(m_portName, false, m_port.openFailure());
}

qint64 SerialLink::dropUnsent()
{
    if (!m_port.PortOpen())
        return 0;
    const bool cut = m_port.discardOutput();
    const qint64 dropped = m_port.discardedBytes();
    if (cut)
        send(QString());
    return dropped;
}

void SerialLink::discardUnsent()
{
    if (m_port.PortOpen())
        m_port.discardOutput();
}

int SerialLink::pendingMs() const
{
    return m_port.OutputPendingMs();
}

void SerialLink::close()
{
    if (m_port.PortOpen())
        m_port.setPortOpen(false);
}

bool SerialLink::closeDelivered() const
{
    return m_port.closeDelivered();
}

bool SerialLink::tryPort(qint16 number)
{
    close();
    m_port.setCommPort(number);
    return m_port.PortOpen() || m_port.setPortOpen(true);
}

void SerialLink::choosePort(const QString &entry)
{
    close();
    m_port.setCommPort(portNumberFromText(entry));
    ensureOpen();
}

void SerialLink::applyBaud(const QString &baud)
{
    m_port.setSettings(settingsForBaud(baud));
}

QString SerialLink::notAvailableMessage() const
{
    return portNotAvailableMessage(m_portName);
}

void SerialLink::showNotAvailable()
{
    // An open given up because the program was told to end is no fault of
    // the port, and a box would only hold up the end.
    if (TerminationSignals::requestedSignal() != 0)
        return;
    m_messages.show(notAvailableMessage(), MessageBox::Buttons::Ok, MessageBox::Icon::None, AppTitle,
                    MessageBox::Answer::Ok);
}
