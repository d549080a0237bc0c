#include "platform/QtPlatform.h"
#include "shell/Application.h"
#include "cli/CommandLine.h"

#include <QApplication>
#include <QSettings>
#include <cstdio>

int main(int argc, char *argv[])
{
    // Before any application object: --help and --version need no display.
    const CommandLineOutcome parsed = parseCommandLine(argumentList(argc, argv));
    std::fputs(qPrintable(parsed.standardOutput), stdout);
    std::fputs(qPrintable(parsed.standardError), stderr);
    if (!parsed.options)
        return parsed.exitStatus;
    if (parsed.options->run) {
        std::fputs("quorra: --run is not available yet\n", stderr);
        return 2;
    }

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorra"));
    QCoreApplication::setApplicationName(QStringLiteral("quorra"));
    const QSettings settings;
    QtPlatform platform;
    return runProgram(app, platform.bundle(), *parsed.options, &settings);
}
