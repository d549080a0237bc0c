// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/CommandLine.h"

#include "Version.h"
#include "app/ToolArguments.h"

#include <QCommandLineParser>
#include <cmath>
#include <limits>

namespace {
const QString Program = QStringLiteral("quorra");

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and exits.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the program's version and exits.")};
    QCommandLineOption com1{QStringLiteral("com1"),
                            QStringLiteral("Connects \"COM 1\" to DEVICE: a port (COM3, 3), a device path "
                                           "(/dev/ttyUSB0, /dev/serial/by-id/...), a serial server "
                                           "(tcp://HOST:PORT raw, paced at the baud rate; rfc2217://HOST:PORT, "
                                           "which also sets the line) or an instrument on the network "
                                           "(TCPIP::HOST::PORT::SOCKET). Overrides the setting Ports/COM1."),
                            QStringLiteral("DEVICE")};
    QCommandLineOption com2{QStringLiteral("com2"),
                            QStringLiteral("Connects \"COM 2\" to DEVICE, as --com1 does. Overrides the "
                                           "setting Ports/COM2."),
                            QStringLiteral("DEVICE")};
    QCommandLineOption run{QStringLiteral("run"),
                           QStringLiteral("Plays the step file FILE without a window and without a "
                                          "display, as the window plays it after Remote and RUN, then "
                                          "switches the output off and exits."),
                           QStringLiteral("FILE")};
    QCommandLineOption mode{QStringLiteral("mode"),
                            QStringLiteral("With --run: single (the default), continuous or cycle."),
                            QStringLiteral("MODE")};
    QCommandLineOption cycles{QStringLiteral("cycles"),
                              QStringLiteral("With --run --mode cycle: how many cycles, 1 to 9999 "
                                             "(default 1). With --plot: how many cycles to draw."),
                              QStringLiteral("N")};
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("With --run: the port to play on, written as for --com1 "
                                           "(default COM 1)."),
                            QStringLiteral("PORT")};
    QCommandLineOption baud{QStringLiteral("baud"),
                            QStringLiteral("With --run, --check or --plot: 1200, 2400, 4800 or 9600 "
                                           "(the default)."),
                            QStringLiteral("BAUD")};
    QCommandLineOption seconds{QStringLiteral("seconds"),
                               QStringLiteral("With --run: presses STOP after S seconds. A program with a "
                                              "checked step of 0 ms, held until STOP, needs it."),
                               QStringLiteral("S")};
    QCommandLineOption record{QStringLiteral("record"),
                              QStringLiteral("With --run: writes a record of every command sent to a CSV "
                                             "file in DIR (default: the setting Record/Directory)."),
                              QStringLiteral("DIR")};
    ToolArguments tools;
};

void describe(QCommandLineParser &parser, const Options &o)
{
    parser.setApplicationDescription(
        QStringLiteral("Control program for a programmable AC power source on a serial line.\n"
                       "Without --run it opens the main window, with FILE opened as File > Open opens it.\n"
                       "--generate writes test programs, --check says which steps a line cannot carry in\n"
                       "time, --plot draws a program and --report turns a run's record into a PDF; they\n"
                       "need no instrument and no display."));
    parser.addOptions(
        {o.help, o.version, o.com1, o.com2, o.run, o.mode, o.cycles, o.port, o.baud, o.seconds, o.record});
    parser.addOptions(o.tools.all());
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A step file to open at start."),
                                 QStringLiteral("[FILE]"));
}

// The parser names the program by the path it was started with; the help
// (and the manual page made from it) names it as it is installed.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: ") + Program + QStringLiteral(" [options] [FILE]") + text.mid(end)
           + QStringLiteral("\nExit status of --run:\n"
                            "  0      the run ended as asked: at its end, or stopped after --seconds\n"
                            "  1      the port did not open, or the link was lost during the run\n"
                            "  2      bad arguments, a step file that cannot be read, or a program\n"
                            "         the run refuses (nothing is sent then)\n"
                            "  128+n  ended by signal n (130 for Ctrl+C), after the output was\n"
                            "         switched off and the instrument returned to local operation\n"
                            "\nExit status of --generate, --plot and --report:\n"
                            "  0      the file was written\n"
                            "  1      the file could not be written\n"
                            "  2      bad arguments (nothing is written), or an input that cannot be read\n"
                            "\nExamples:\n"
                            "  quorra --generate iec61000-4-11 --class 3 --voltage 230 --frequency 50 \\\n"
                            "         --output dips.log\n"
                            "  quorra --check dips.log --baud 9600\n"
                            "  quorra --plot dips.log --output dips.svg\n"
                            "  quorra --run dips.log --port /dev/ttyUSB0 --record runs --report\n"
                            "  quorra --report runs/quorra-run-20240501-140307.csv --output run.pdf\n"
                            "\nFiles:\n"
                            "  /usr/share/quorra/examples  example step files, as the package installs them\n");
}

CommandLineOutcome badArguments(const QString &what)
{
    CommandLineOutcome outcome;
    outcome.exitStatus = 2;
    outcome.standardError = Program + QStringLiteral(": ") + what + QLatin1Char('\n') + QStringLiteral("Try '")
                            + Program + QStringLiteral(" --help'.\n");
    return outcome;
}

// The port options: one target each, or what is wrong with it.
std::optional<PortTarget> portOption(const QCommandLineParser &parser, const QCommandLineOption &option,
                                     QString &error)
{
    if (!parser.isSet(option) || !error.isEmpty())
        return std::nullopt;
    QString why;
    auto target = parsePortTarget(parser.value(option), &why);
    if (!target)
        error = QStringLiteral("--") + option.names().constFirst() + QStringLiteral(": ") + why;
    return target;
}

QString readRun(const QCommandLineParser &parser, const Options &o, HeadlessRunOptions &run)
{
    run.file = parser.value(o.run);
    if (run.file.isEmpty())
        return QStringLiteral("--run needs a step file");
    if (parser.isSet(o.mode)) {
        const QString mode = parser.value(o.mode);
        if (mode == QLatin1String("single"))
            run.mode = HeadlessRunOptions::Mode::Single;
        else if (mode == QLatin1String("continuous"))
            run.mode = HeadlessRunOptions::Mode::Continuous;
        else if (mode == QLatin1String("cycle"))
            run.mode = HeadlessRunOptions::Mode::Cycle;
        else
            return QStringLiteral("--mode is single, continuous or cycle, not \"%1\"").arg(mode);
    }
    if (parser.isSet(o.cycles)) {
        if (run.mode != HeadlessRunOptions::Mode::Cycle)
            return QStringLiteral("--cycles is only for --mode cycle");
        bool ok = false;
        run.cycles = parser.value(o.cycles).toInt(&ok);
        if (!ok || run.cycles < 1 || run.cycles > 9999)
            return QStringLiteral("--cycles is a whole number from 1 to 9999, not \"%1\"")
                .arg(parser.value(o.cycles));
    }
    if (parser.isSet(o.baud)) {
        run.baud = parser.value(o.baud);
        if (!QStringList{"1200", "2400", "4800", "9600"}.contains(run.baud))
            return QStringLiteral("--baud is 1200, 2400, 4800 or 9600, not \"%1\"").arg(run.baud);
    }
    if (parser.isSet(o.seconds)) {
        bool ok = false;
        const double s = parser.value(o.seconds).toDouble(&ok);
        // The limit goes to a timer in milliseconds.
        constexpr double MostSeconds = std::numeric_limits<int>::max() / 1000.0;
        if (!ok || !std::isfinite(s) || s <= 0 || s > MostSeconds)
            return QStringLiteral(
                       "--seconds is a number of seconds above 0 and at most %1 (24.8 days), not \"%2\"")
                .arg(QString::number(MostSeconds, 'f', 3), parser.value(o.seconds));
        run.seconds = s;
    }
    run.port.number = 1;
    QString error;
    if (auto target = portOption(parser, o.port, error))
        run.port = *target;
    if (!error.isEmpty())
        return error;
    if (parser.isSet(o.record)) {
        run.recordDirectory = parser.value(o.record);
        if (run.recordDirectory.isEmpty())
            return QStringLiteral("--record needs a directory");
    }
    return {};
}
} // namespace

QString commandLineVersionText()
{
    return Program + QLatin1Char(' ') + QString::number(Version::Major) + QLatin1Char('.')
           + QString::number(Version::Minor) + QLatin1Char('.') + QString::number(Version::Patch);
}

CommandLineOutcome parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const Options o;
    describe(parser, o);
    if (!parser.parse(bareReportAsEmpty(arguments)))
        return badArguments(parser.errorText());

    if (parser.isSet(o.help)) {
        CommandLineOutcome outcome;
        outcome.standardOutput = helpText(parser);
        return outcome;
    }
    if (parser.isSet(o.version)) {
        CommandLineOutcome outcome;
        outcome.standardOutput = commandLineVersionText() + QLatin1Char('\n');
        return outcome;
    }

    // An option given twice would silently take its last value: the port
    // or the file a script meant may not be the one used.
    for (const QString &name : parser.optionNames())
        if (parser.values(name).size() > 1)
            return badArguments(QStringLiteral("--%1 is given more than once").arg(name));

    ProgramOptions options;
    QString error;
    options.com1 = portOption(parser, o.com1, error);
    options.com2 = portOption(parser, o.com2, error);
    if (!error.isEmpty())
        return badArguments(error);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return badArguments(QStringLiteral("one step file at most"));
    if (parser.isSet(o.run)) {
        if (!files.isEmpty())
            return badArguments(
                QStringLiteral("--run plays its own file; \"%1\" is one too many").arg(files.constFirst()));
        HeadlessRunOptions run;
        if (const QString why = readRun(parser, o, run); !why.isEmpty())
            return badArguments(why);
        if (parser.isSet(o.tools.report)) {
            if (!parser.value(o.tools.report).isEmpty())
                return badArguments(
                    QStringLiteral("--run --report takes no record: the report goes beside the run's own"));
            if (run.recordDirectory.isEmpty())
                return badArguments(QStringLiteral("--run --report needs --record DIR"));
            run.report = true;
        }
        for (const QCommandLineOption &other : o.tools.all())
            if (other.names() != o.tools.report.names() && parser.isSet(other))
                return badArguments(QStringLiteral("--") + other.names().constFirst()
                                    + QStringLiteral(" does not go with --run"));
        options.run = run;
    } else if (const QString why = readTool(parser, o.tools, o.baud, o.cycles, options.tool); !why.isEmpty()) {
        return badArguments(why);
    } else if (options.tool) {
        if (!files.isEmpty())
            return badArguments(QStringLiteral("\"%1\" is one file too many").arg(files.constFirst()));
        for (const QCommandLineOption *only : {&o.mode, &o.port, &o.seconds, &o.record, &o.com1, &o.com2})
            if (parser.isSet(*only))
                return badArguments(QStringLiteral("--") + only->names().constFirst()
                                    + QStringLiteral(" is only for --run"));
    } else {
        for (const QCommandLineOption *only : {&o.mode, &o.cycles, &o.port, &o.baud, &o.seconds, &o.record})
            if (parser.isSet(*only))
                return badArguments(QStringLiteral("--") + only->names().constFirst()
                                    + QStringLiteral(" is only for --run"));
        options.file = files.value(0);
    }

    CommandLineOutcome outcome;
    outcome.options = options;
    return outcome;
}

QStringList argumentList(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}
