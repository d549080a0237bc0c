// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// quorra-demo: the program's main window wired to a virtual AC source.
// Its arguments: sim/DemoArguments.h, or quorra-demo --help.
#include "app/CommandLine.h"
#include "sim/demo/DemoArguments.h"
#include "sim/demo/DryRun.h"
#include "sim/demo/LiveDemo.h"
#include "sim/source/ServeSource.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    const DemoArguments args = parseDemoArguments(argumentList(argc, argv));
    std::fputs(qPrintable(args.standardOutput), stdout);
    std::fputs(qPrintable(args.standardError), stderr);
    if (args.exitNow)
        return args.exitStatus;
    if (args.serve) {
        // The source alone: no window, no display.
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        return serveSource(args.cable, args.listenPort, out);
    }
    // A dry run shows no window and needs no display.
    if (args.play && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
#ifndef Q_OS_UNIX
    if (args.cable == SourceLink::Cable::Pty) {
        QTextStream(stderr) << "quorra-demo: the virtual instrument needs POSIX pseudo-terminals; "
                               "on this system start it with --tcp\n";
        return 2;
    }
#endif
    if (args.play) {
        QTextStream out(stdout);
        return runDryRun(*args.play, args.options, out);
    }
    return runLiveDemo(args.show, args.options, args.cable, args.listenPort);
}
