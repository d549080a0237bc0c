// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/SerialPort.h"

#include <QObject>
#include <functional>

// Passes everything to a real port and reports each text it is given, so a
// test or benchmark can compare what the window sent with what arrived. The
// text is reported before it is passed on: a far end that reads at once
// never sees a line the tap has not reported yet. A discard of what the port
// still holds (STOP does one before its own commands) is reported too.
//
// The session moves its port to its own thread, and the real port must go
// with it: while the tap lives, the port is its child. The reports come on
// the session's thread.
class TapPort : public QObject, public SerialPort
{
public:
    TapPort(SerialPort &inner, std::function<void(const QString &)> onWritten)
        : m_inner(inner), m_onWritten(std::move(onWritten)), m_innerObject(dynamic_cast<QObject *>(&inner))
    {
        if (m_innerObject) {
            Q_ASSERT(!m_innerObject->parent());
            m_innerObject->setParent(this);
        }
        m_inner.onLinkLost = [this] {
            if (onLinkLost)
                onLinkLost();
        };
    }
    ~TapPort() override
    {
        // The port belongs to whoever made it.
        if (m_innerObject)
            m_innerObject->setParent(nullptr);
    }

    std::function<void()> onDiscard;

    qint16 CommPort() const override { return m_inner.CommPort(); }
    void setCommPort(qint16 port) override { m_inner.setCommPort(port); }
    void setPortMap(const PortMap &map) override { m_inner.setPortMap(map); }
    QString Settings() const override { return m_inner.Settings(); }
    bool setSettings(const QString &s) override { return m_inner.setSettings(s); }
    bool PortOpen() const override { return m_inner.PortOpen(); }
    bool setPortOpen(bool open) override { return m_inner.setPortOpen(open); }
    QString openFailure() const override { return m_inner.openFailure(); }
    bool closeDelivered() const override { return m_inner.closeDelivered(); }
    void setOpenAbandoned(std::function<bool()> abandoned) override
    {
        m_inner.setOpenAbandoned(std::move(abandoned));
    }
    void setCrashGuard(CrashGuard *guard) override { m_inner.setCrashGuard(guard); }
    int OutputPendingMs() const override { return m_inner.OutputPendingMs(); }
    bool discardOutput() override
    {
        if (onDiscard)
            onDiscard();
        return m_inner.discardOutput();
    }
    qint64 discardedBytes() const override { return m_inner.discardedBytes(); }
    bool setOutput(const QString &text) override
    {
        m_onWritten(text);
        return m_inner.setOutput(text);
    }

private:
    SerialPort &m_inner;
    std::function<void(const QString &)> m_onWritten;
    QObject *m_innerObject;
};
