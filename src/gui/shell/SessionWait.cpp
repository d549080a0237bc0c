// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/SessionWait.h"

#include "gui/shell/frmControl.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

bool waitForSession(frmControl &window, int timeoutMs)
{
    // A call that waits for the session runs after everything asked before
    // it; what the session said meanwhile has then been posted to the window.
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        window.session().onSessionThread([] {});
        QCoreApplication::sendPostedEvents();
        if (!window.lineBusy())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}
