// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The cable between the program's port and the virtual source: what the
// program writes comes out here.
class SourceCable : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isOpen() const = 0;
    virtual QString errorText() const = 0;
    // What the program's port is connected to: a device path, or tcp://HOST:PORT.
    virtual QString farEndPath() const = 0;

    // The line settings the bytes travel at.
    virtual LineSettings lineSettings() const = 0;

    // A descriptor to read the program's bytes from at the line's rate, as
    // a real line delivers them; -1 when the cable has none (the bytes are
    // then taken as they come, through readAvailable()).
    virtual int nearEnd() const { return -1; }

    // Everything the program has written and nobody has read yet.
    virtual QByteArray readAvailable() = 0;

    // When watching, readyRead is raised from the event loop as soon as the
    // program has written something.
    virtual void setWatching(bool watching) = 0;

signals:
    void readyRead();
};
