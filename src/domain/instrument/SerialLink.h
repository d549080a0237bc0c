// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QObject>
#include <QString>
#include <functional>

class MessageBox;
class SerialPort;

// The serial link to the instrument: every command goes through send(),
// and handlers that need the port open call ensureOpen() first. It is the
// one place that learns of a lost link (linkLost) and the one that words
// the "not available" message.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    SerialLink(SerialPort &port, MessageBox &messages, QObject *parent = nullptr);
    ~SerialLink() override;

    // Writes text + CR to the port. Returns false when the port is closed or
    // the write failed.
    bool send(const QString &text);
    // Opens the port if it is closed; on failure shows the "not available"
    // message and returns false. An open the operator gave up on
    // (setOpenAbandoned) fails silently.
    bool ensureOpen();
    // Asked while an open waits (a connect): while it holds, the open gives up.
    void setOpenAbandoned(std::function<bool()> abandoned);
    // Whether the last open that failed was given up rather than refused.
    bool lastOpenAbandoned() const { return m_lastOpenAbandoned; }
    // Drops the commands not yet on the line; a command cut short on the
    // wire is ended with a lone CR, so that the instrument discards the
    // fragment and reads what follows whole. Returns how many bytes were
    // dropped, -1 where the port cannot count them.
    qint64 dropUnsent();
    // Drops what the port still holds, without sending anything: for a
    // link nothing more is written to.
    void discardUnsent();
    // Milliseconds the commands already written still need on the line.
    int pendingMs() const;
    // Closes the port if it is open.
    void close();
    // Whether the last close saw every byte written leave the port.
    bool closeDelivered() const;
    // Tries the port of this number, silently: closes the open one first.
    bool tryPort(qint16 number);
    // Switches to the port of a list entry ("COM 2") and opens it.
    void choosePort(const QString &entry);
    // Applies "<baud>,n,8,1" line settings.
    void applyBaud(const QString &baud);

    // The port list entry as the operator sees it, which the message names.
    void setPortName(const QString &entry) { m_portName = entry; }
    QString notAvailableMessage() const;
    void showNotAvailable();
    // The message, then portOpenTried with the port's reason.
    void tellOpenFailed();

signals:
    // A command the port took, without its CR.
    void commandSent(const QString &command);
    // The open port failed on its own (adapter unplugged, far end gone); it
    // has been closed already.
    void linkLost();
    // An action that needs the port opened it, or could not (after the
    // message; failure says why, empty when the port cannot tell). The
    // start-up probe's silent tries say nothing.
    void portOpenTried(const QString &entry, bool opened, const QString &failure);

private:
    SerialPort &m_port;
    MessageBox &m_messages;
    QString m_portName;
    std::function<bool()> m_openAbandoned;
    bool m_lastOpenAbandoned = false;
};
