#include "cli/CommandLine.h"
#include "cli/HeadlessRun.h"
#include "platform/QtPlatform.h"
#include "shell/Application.h"

#include <QApplication>
#include <QSettings>
#include <cstdio>

namespace {
void nameSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quorra"));
    QCoreApplication::setApplicationName(QStringLiteral("quorra"));
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

    if (parsed.options->run) {
        // No window, and no display needed.
        QCoreApplication app(argc, argv);
        nameSettings();
        const QSettings settings;
        return runHeadless(*parsed.options, &settings);
    }

    QApplication app(argc, argv);
    nameSettings();
    const QSettings settings;
    QtPlatform platform;
    return runProgram(app, platform.bundle(), *parsed.options, &settings);
}
