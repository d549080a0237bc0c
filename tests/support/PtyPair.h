// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for a serial cable: the program opens
// deviceName() as its port, the test reads what arrives at the far end.
// The far end is raw (no echo, no CR translation). On platforms without
// pseudo-terminals open() returns false.
class PtyPair
{
public:
    PtyPair() = default;
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;
    ~PtyPair() { close(); }

    bool open();
    void close();       // the cable is pulled: both ends go
    void closeFarEnd(); // the instrument's end goes; the near end hangs up

    QString deviceName() const { return m_name; }
    int farEnd() const { return m_master; }
    int nearEnd() const { return m_slave; }

    // Reads what arrives, handling events meanwhile, until `expected` bytes
    // are in or `timeoutMs` has passed (with expected < 0: for the whole time).
    QByteArray read(int expected, int timeoutMs = 3000);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_name;
};
