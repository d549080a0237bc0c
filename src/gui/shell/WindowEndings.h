// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/TerminationSignals.h"

#include <QObject>

class QApplication;
class frmControl;

// Every way the program is told to end, taken to the main window's close
// path while the window lives: a termination signal (the close without
// asking, then the event loop ends with 128 + the signal's number), the
// desktop's log-off or shut-down (asking only where the session allows it),
// and a session that ends without waiting for the answer.
class WindowEndings : public QObject
{
public:
    WindowEndings(frmControl &window, QApplication &app);

private:
    TerminationSignals m_signals;
};
