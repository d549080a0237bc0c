// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/Application.h"

#include "app/PortMappings.h"
#include "gui/shell/WindowEndings.h"
#include "gui/shell/frmControl.h"

#include <QApplication>
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

    const WindowEndings endings(window, app);

    window.show();
    return app.exec();
}
