// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/Application.h"

#include "app/PortMappings.h"
#include "domain/system/TerminationSignals.h"
#include "gui/shell/frmControl.h"

#include <QApplication>
#include <QSessionManager>
#include <QSettings>
#include <QTextStream>

bool startWindow(frmControl &window, const ProgramOptions &options, const QSettings *settings, QSettings *store)
{
    if (settings) {
        TestSettings test;
        test.recordDirectory = settings->value(QStringLiteral("Record/Directory")).toString();
        test.writeReports = settings->value(QStringLiteral("Record/WriteReports"), false).toBool();
        test.checkLineTime = settings->value(QStringLiteral("Test/CheckLineTime"), false).toBool();
        window.setTestSettings(test, store);
    }
    window.Form_Load();
    if (window.noPortAvailable())
        return false;
    if (!options.file.isEmpty())
        window.OpenStepFile(options.file);
    return true;
}

int runProgram(QApplication &app, const Platform &platform, const ProgramOptions &options,
               const QSettings *settings)
{
    const PortMappings mappings = applyPortMappings(options, settings);
    for (const QString &warning : mappings.warnings)
        QTextStream(stderr) << "quorra: " << warning << '\n';

    frmControl window(platform);
    window.setPortMap(mappings.map);
    // What the Test menu changes goes to the same settings.
    std::unique_ptr<QSettings> store;
    if (settings)
        store = std::make_unique<QSettings>(settings->fileName(), settings->format());
    // No port opened: the window said so and closed; a script sees it failed.
    if (!startWindow(window, options, settings, store.get()))
        return 1;

    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::terminationRequested, &window, [&](int signalNumber) {
        window.closeOnSignal();
        app.exit(128 + signalNumber);
    });
    terminations.install();
    // Log-off and shut-down (on Windows the desktop's end-of-session
    // question): the close path, asking only where the session allows it.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager &manager) {
        const bool mayAsk = manager.allowsInteraction();
        const bool goesOn = window.endOfSession(mayAsk);
        if (mayAsk)
            manager.release();
        if (!goesOn)
            manager.cancel();
    });
    // A session that ends anyway (the desktop did not wait for the answer)
    // still releases the instrument on the way out.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.endOfSession(false); });

    window.show();
    return app.exec();
}
