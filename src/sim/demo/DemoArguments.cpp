// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/DemoArguments.h"

#include "Version.h"

#include <QCommandLineParser>
#include <limits>

namespace {
DemoArguments stop(int status, const QString &out, const QString &err = QString())
{
    DemoArguments a;
    a.exitNow = true;
    a.exitStatus = status;
    a.standardOutput = out;
    a.standardError = err;
    return a;
}

DemoArguments bad(const QString &why)
{
    return stop(2, QString(),
                QStringLiteral("quorra-demo: ") + why
                    + QStringLiteral("\nusage: quorra-demo [--show FILE | --play FILE] "
                                     "[--mode single|continuous|cycle N] [--baud B] [--seconds S] [--tcp]\n"
                                     "       quorra-demo --serve [--tcp [--listen PORT]]\n"));
}

// The cycle count: --cycles N, or the N that follows "--mode cycle".
QString readMode(const QCommandLineParser &parser, const QString &mode, const QString &cyclesText,
                 RunChoice &run)
{
    if (mode == QLatin1String("single")) {
        run.mode = RunChoice::Mode::Single;
    } else if (mode == QLatin1String("continuous")) {
        run.mode = RunChoice::Mode::Continuous;
    } else if (mode == QLatin1String("cycle")) {
        run.mode = RunChoice::Mode::Cycle;
        const QString count = cyclesText.isNull() ? parser.positionalArguments().value(0) : cyclesText;
        bool ok = false;
        run.cycles = count.toInt(&ok);
        if (!ok || run.cycles < 1 || run.cycles > 9999)
            return QStringLiteral("--mode cycle needs a count from 1 to 9999");
    } else {
        return QStringLiteral("--mode is single, continuous or cycle N");
    }
    return {};
}
} // namespace

DemoArguments parseDemoArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({"h", "help"}, "Shows this help and exits.");
    const QCommandLineOption version({"v", "version"}, "Shows the version and exits.");
    const QCommandLineOption show("show", "Opens FILE, chooses Remote and presses RUN.", "FILE");
    const QCommandLineOption play("play",
                                  "Plays FILE in a dry run without a window and prints what "
                                  "the source received.",
                                  "FILE");
    const QCommandLineOption mode("mode", "single (the default), continuous, or cycle N.", "MODE");
    const QCommandLineOption cycles("cycles", "The count for --mode cycle.", "N");
    const QCommandLineOption baud("baud", "1200, 2400, 4800 or 9600 (the default).", "BAUD");
    const QCommandLineOption seconds("seconds", "Presses STOP after S seconds.", "S");
    const QCommandLineOption tcp("tcp", "Serves the source on a TCP port of 127.0.0.1, as a serial "
                                        "server would, instead of a pseudo-terminal.");
    const QCommandLineOption serve("serve", "Serves the virtual source alone, without a window, until "
                                            "ended: prints what to connect to, then each line received.");
    const QCommandLineOption listen("listen", "With --tcp: the TCP port to listen on (default: a free one).",
                                    "PORT");
    parser.setApplicationDescription(QStringLiteral("The program's main window wired to a virtual AC source."));
    parser.addOptions({help, version, show, play, mode, cycles, baud, seconds, tcp, serve, listen});
    if (!parser.parse(arguments))
        return bad(parser.errorText());
    if (parser.isSet(help)) {
        const QString text = parser.helpText();
        return stop(0,
                    QStringLiteral("Usage: quorra-demo [options]") + text.mid(text.indexOf(QLatin1Char('\n'))));
    }
    if (parser.isSet(version))
        return stop(0, QStringLiteral("quorra-demo %1.%2.%3\n")
                           .arg(Version::Major)
                           .arg(Version::Minor)
                           .arg(Version::Patch));

    DemoArguments a;
    if (parser.isSet(play))
        a.play = parser.value(play);
    if (parser.isSet(show))
        a.show = parser.value(show);
    const bool cycleCountGiven = parser.isSet(cycles);
    bool cycleCountFromPositional = false;
    if (parser.isSet(mode)) {
        const QString m = parser.value(mode);
        if (const QString why = readMode(parser, m, cycleCountGiven ? parser.value(cycles) : QString(),
                                         a.options.run);
            !why.isEmpty())
            return bad(why);
        cycleCountFromPositional = m == QLatin1String("cycle") && !cycleCountGiven;
    } else if (cycleCountGiven) {
        return bad(QStringLiteral("--cycles is only for --mode cycle"));
    }
    const QStringList extra = parser.positionalArguments().mid(cycleCountFromPositional ? 1 : 0);
    if (!extra.isEmpty())
        return bad(QStringLiteral("unknown argument ") + extra.constFirst());
    if (parser.isSet(baud)) {
        const QString b = parser.value(baud);
        if (!QStringList{"1200", "2400", "4800", "9600"}.contains(b))
            return bad(QStringLiteral("--baud is 1200, 2400, 4800 or 9600"));
        a.options.baud = b;
    }
    if (parser.isSet(seconds)) {
        bool ok = false;
        const double s = parser.value(seconds).toDouble(&ok);
        if (!ok || !(s > 0) || s * 1000 > std::numeric_limits<int>::max())
            return bad(QStringLiteral("--seconds needs a positive number"));
        a.options.limitSeconds = s;
    }
    if (a.play && a.show)
        return bad(QStringLiteral("--play and --show exclude each other"));
    if (parser.isSet(tcp)) {
        if (a.play)
            return bad(QStringLiteral("--tcp is for the live demo: the dry run's cable is a pseudo-terminal"));
        a.cable = SourceLink::Cable::Tcp;
    }
    if (parser.isSet(listen)) {
        bool ok = false;
        const uint port = parser.value(listen).toUInt(&ok);
        if (a.cable != SourceLink::Cable::Tcp)
            return bad(QStringLiteral("--listen is for --tcp"));
        if (!ok || port < 1 || port > 65535)
            return bad(QStringLiteral("--listen needs a port from 1 to 65535"));
        a.listenPort = static_cast<quint16>(port);
    }
    if (parser.isSet(serve)) {
        if (a.play || a.show)
            return bad(QStringLiteral("--serve plays nothing: it serves the source alone"));
        a.serve = true;
    }
    return a;
}
