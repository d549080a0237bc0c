// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/PortTarget.h"
#include "domain/programs/DipTest.h"

#include <QString>
#include <QStringList>
#include <optional>

// A run without a window: quorra --run FILE [...].
struct HeadlessRunOptions
{
    enum class Mode { Single, Continuous, Cycle };
    QString file;
    Mode mode = Mode::Single;
    int cycles = 1;       // for Cycle
    PortTarget port = {}; // COM 1 unless given
    QString baud = QStringLiteral("9600");
    std::optional<double> seconds; // press STOP after this long
    QString recordDirectory;       // empty: no record
    bool report = false;           // a PDF report beside the record at the end
};

// The commands that work on files and need no instrument: --generate,
// --check, --plot and --report.
struct ToolOptions
{
    enum class Kind { Generate, Check, Plot, Report };
    Kind kind = Kind::Check;
    QString input;                         // the step file, or for Report the record
    QString output;                        // Generate, Plot, Report
    QString baud = QStringLiteral("9600"); // Check, Plot
    int cycles = 1;                        // Plot
    QString program;                       // Report: the step file to compare with
    DipTest::Options dips;                 // Generate
};

// What the command line asks of the program.
struct ProgramOptions
{
    QString file;                   // opened at start, as File > Open does
    std::optional<PortTarget> com1; // overrides the setting Ports/COM1
    std::optional<PortTarget> com2; // overrides the setting Ports/COM2
    std::optional<HeadlessRunOptions> run;
    std::optional<ToolOptions> tool;
};

// The outcome of reading the command line: either options to start with,
// or an exit status with what to print first (help, version, or what is
// wrong with the arguments).
struct CommandLineOutcome
{
    std::optional<ProgramOptions> options;
    int exitStatus = 0;
    QString standardOutput;
    QString standardError;
};

// Reads the program's arguments (the program's name first). Needs no
// application object, so --help and --version work without a display.
CommandLineOutcome parseCommandLine(const QStringList &arguments);

// "quorra 1.0.0", from the project version.
QString commandLineVersionText();

// The arguments of main() as text.
QStringList argumentList(int argc, char *argv[]);
