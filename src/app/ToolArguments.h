// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

// The options of --generate, --check, --plot and --report.
struct ToolArguments
{
    QCommandLineOption generate{QStringLiteral("generate"),
                                QStringLiteral("Writes the test program STANDARD (iec61000-4-11: voltage dips "
                                               "and short interruptions) to the step file given by --output."),
                                QStringLiteral("STANDARD")};
    QCommandLineOption testClass{QStringLiteral("class"),
                                 QStringLiteral("With --generate: the test class, 2 or 3."),
                                 QStringLiteral("N")};
    QCommandLineOption voltage{QStringLiteral("voltage"),
                               QStringLiteral("With --generate: the test voltage UT, above 0 up to 310 V."),
                               QStringLiteral("UT")};
    QCommandLineOption frequency{QStringLiteral("frequency"), QStringLiteral("With --generate: 50 or 60 (Hz)."),
                                 QStringLiteral("HZ")};
    QCommandLineOption angles{QStringLiteral("angles"),
                              QStringLiteral("With --generate: the phase angles each event starts at, whole "
                                             "degrees 0 to 359 (default 0,90)."),
                              QStringLiteral("LIST")};
    QCommandLineOption repeats{QStringLiteral("repeats"),
                               QStringLiteral("With --generate: how often each event is played (default 3)."),
                               QStringLiteral("N")};
    QCommandLineOption gap{QStringLiteral("gap"),
                           QStringLiteral("With --generate: seconds at UT before each event and after the "
                                          "last, 0.01 to 65.535 (default 10)."),
                           QStringLiteral("S")};
    QCommandLineOption output{QStringLiteral("output"),
                              QStringLiteral("With --generate, --plot and --report: the file to write."),
                              QStringLiteral("FILE")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Lists the steps of FILE whose commands need longer on the line "
                                            "than their dwell at --baud, and the run's expected length. Exit "
                                            "status 0: every step plays as written; 1: some would be held "
                                            "longer; 2: the file cannot be read or played."),
                             QStringLiteral("FILE")};
    QCommandLineOption plot{QStringLiteral("plot"),
                            QStringLiteral("Draws what the step file FILE commands over time, for --cycles "
                                           "cycles at --baud, to --output (.png, .svg or .pdf)."),
                            QStringLiteral("FILE")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Writes the PDF report of the run record RECORD (a CSV file of "
                                             "--record) to --output. With --run and --record, and no "
                                             "RECORD: the report of the run goes beside its record."),
                              QStringLiteral("RECORD")};
    QCommandLineOption program{QStringLiteral("program"),
                               QStringLiteral("With --report: the step file the run played (default: the one "
                                              "its record names)."),
                               QStringLiteral("FILE")};

    QList<QCommandLineOption> all() const;
    // The options that only a tool takes (not --report, --baud, --cycles).
    QList<const QCommandLineOption *> toolOnly() const;
};

// "--report" with no value after it, as --run takes it, made "--report=".
QStringList bareReportAsEmpty(QStringList arguments);

// Reads the tool the arguments ask for into tool (left empty when none);
// returns what is wrong with the arguments, empty when nothing is.
QString readTool(const QCommandLineParser &parser, const ToolArguments &t, const QCommandLineOption &baud,
                 const QCommandLineOption &cycles, std::optional<ToolOptions> &tool);
