// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/SerialPort.h"

#include <functional>

// Passes everything to a real port and reports each text it took, so a test
// or benchmark can compare what the window sent with what arrived.
class TapPort : public SerialPort
{
public:
    TapPort(SerialPort &inner, std::function<void(const QString &)> onWritten)
        : m_inner(inner), m_onWritten(std::move(onWritten))
    {
        m_inner.onLinkLost = [this] {
            if (onLinkLost)
                onLinkLost();
        };
    }

    qint16 CommPort() const override { return m_inner.CommPort(); }
    void setCommPort(qint16 port) override { m_inner.setCommPort(port); }
    void setPortMap(const PortMap &map) override { m_inner.setPortMap(map); }
    QString Settings() const override { return m_inner.Settings(); }
    bool setSettings(const QString &s) override { return m_inner.setSettings(s); }
    bool PortOpen() const override { return m_inner.PortOpen(); }
    bool setPortOpen(bool open) override { return m_inner.setPortOpen(open); }
    int OutputPendingMs() const override { return m_inner.OutputPendingMs(); }
    bool discardOutput() override { return m_inner.discardOutput(); }
    bool setOutput(const QString &text) override
    {
        if (!m_inner.setOutput(text))
            return false;
        m_onWritten(text);
        return true;
    }

private:
    SerialPort &m_inner;
    std::function<void(const QString &)> m_onWritten;
};
