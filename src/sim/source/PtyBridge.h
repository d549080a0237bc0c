// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/SourceCable.h"

class QSocketNotifier;

// A pseudo-terminal pair standing in for the serial cable. The program
// opens the far end as its serial device; the virtual source reads the near
// end. The far end is also held open here, so the pair stays usable while
// the program closes and reopens its port, and its line settings (the ones
// the program set) can be read at any time.
//
// Only on POSIX systems; elsewhere isOpen() is false and errorText() says why.
class PtyBridge : public SourceCable
{
    Q_OBJECT
public:
    explicit PtyBridge(QObject *parent = nullptr);
    ~PtyBridge() override;

    bool isOpen() const override { return m_near >= 0; }
    QString errorText() const override { return m_error; }
    // The device name the program's port is mapped to, e.g. /dev/pts/3.
    QString farEndPath() const override { return m_farPath; }

    // The line settings the program has put on its port.
    LineSettings lineSettings() const override;

    // The near end's descriptor, for a reader of its own (-1 when not open).
    int nearEnd() const override { return m_near; }

    QByteArray readAvailable() override;
    void setWatching(bool watching) override;

private:
    int m_near = -1;
    int m_far = -1;
    QString m_farPath;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
};
