// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/WindowEndings.h"

#include "gui/shell/frmControl.h"

#include <QApplication>
#include <QSessionManager>

WindowEndings::WindowEndings(frmControl &window, QApplication &app)
{
    connect(&m_signals, &TerminationSignals::terminationRequested, &window, [&window, &app](int signalNumber) {
        window.closeOnSignal();
        app.exit(128 + signalNumber);
    });
    m_signals.install();
    // On Windows the desktop's end-of-session question comes this way too.
    connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager &manager) {
        const bool mayAsk = manager.allowsInteraction();
        const bool goesOn = window.endOfSession(mayAsk);
        if (mayAsk)
            manager.release();
        if (!goesOn)
            manager.cancel();
    });
    // A session that ends anyway still releases the instrument on the way out.
    connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.endOfSession(false); });
}
