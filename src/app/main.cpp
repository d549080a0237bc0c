// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/FileTools.h"
#include "app/HeadlessRun.h"
#include "app/ReportTools.h"
#include "gui/widgets/FontWarmUp.h"
#include "gui/widgets/QtPlatform.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSettings>
#include <cstdio>
#include <cstdlib>

namespace {
void nameSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quorra"));
    QCoreApplication::setApplicationName(QStringLiteral("quorra"));
}

// Drawing needs a QGuiApplication, but no display: without a platform
// chosen, the offscreen one. Set before the application object reads it.
void drawWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

int runTool(int argc, char *argv[], const ToolOptions &tool)
{
    switch (tool.kind) {
    case ToolOptions::Kind::Generate: return runGenerate(tool);
    case ToolOptions::Kind::Check: {
        QCoreApplication app(argc, argv);
        return runCheck(tool);
    }
    case ToolOptions::Kind::Plot:
    case ToolOptions::Kind::Report: break;
    }
    drawWithoutDisplay();
    QGuiApplication app(argc, argv);
    return tool.kind == ToolOptions::Kind::Plot ? runPlot(tool) : runReport(tool);
}
} // namespace

int main(int argc, char *argv[])
{
    // Before any application object: --help and --version need no display.
    const CommandLineOutcome parsed = parseCommandLine(argumentList(argc, argv));
    std::fputs(qPrintable(parsed.standardOutput), stdout);
    std::fputs(qPrintable(parsed.standardError), stderr);
    if (!parsed.options)
        return parsed.exitStatus;

    if (parsed.options->tool)
        return runTool(argc, argv, *parsed.options->tool);

    if (parsed.options->run) {
        // No window, and no display needed; the report at the end draws on
        // the offscreen platform.
        if (parsed.options->run->report) {
            drawWithoutDisplay();
            QGuiApplication app(argc, argv);
            nameSettings();
            const QSettings settings;
            return runHeadless(*parsed.options, &settings, writeReportBesideRecord);
        }
        QCoreApplication app(argc, argv);
        nameSettings();
        const QSettings settings;
        return runHeadless(*parsed.options, &settings);
    }

    const FontWarmUp fonts; // beside the connection to the display
    QApplication app(argc, argv);
    nameSettings();
    const QSettings settings;
    QtPlatform platform;
    return runProgram(app, platform.bundle(), *parsed.options, &settings);
}
