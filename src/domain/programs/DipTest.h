// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

struct LineCheck;

// Voltage dips and short interruptions after IEC 61000-4-11 (Ed. 3,
// clause 5.2, tables 1 and 2), as a step program: every event is one step
// at its level, held for its number of cycles, started at a phase angle,
// with a step at the test voltage UT before each event and after the last.
namespace DipTest {

struct Level
{
    enum class Kind { Dip, Interruption };
    Kind kind = Kind::Dip;
    int percent = 0;     // of UT
    double cycles50 = 0; // duration in cycles at 50 Hz
    double cycles60 = 0; // and at 60 Hz
};

// The levels of a test class, 2 or 3, in the order they are played.
QList<Level> levelsOf(int testClass);

struct Options
{
    int testClass = 2;
    double ut = 230.0;           // volts
    int frequency = 50;          // hertz
    QList<int> angles = {0, 90}; // degrees
    int repeats = 3;
    double gapSeconds = 10.0;
};

// The limits of the instrument and of the standard.
inline constexpr double MaxVoltage = 310.0;
inline constexpr int MaxDwellMs = 65535;
inline constexpr int MaxRepeats = 10000;

// What the refusals call each option: the command line's options by
// default, or a form's fields.
struct OptionNames
{
    QString testClass = QStringLiteral("--class");
    QString ut = QStringLiteral("--voltage (UT)");
    QString frequency = QStringLiteral("--frequency");
    QString angles = QStringLiteral("--angles");
    QString repeats = QStringLiteral("--repeats");
    QString gap = QStringLiteral("--gap");
};

// The least a generated step takes in a step file: its shortest line, a
// gap at a UT of a few volts, takes 52 bytes.
inline constexpr qint64 LeastStepBytes = 40;

// How many steps the program of these options holds, without building it.
qint64 stepCount(const Options &options);

// What is wrong with the options (empty when nothing is). A program that no
// step file the program opens could hold is refused here, before it is
// built: building it would take gigabytes only to be refused.
QString optionsError(const Options &options, const OptionNames &names = {});

// Why a built program of that many bytes in a step file is no program to
// write (too large for the program to open), or empty.
QString sizeError(qint64 steps, qint64 bytes, const OptionNames &names = {});

// Where the line cannot carry some steps in their dwell (their commands
// take longer), that their events last longer than the standard asks:
// "at 9600 baud 12 of the 73 steps need longer on the line than their
// dwell, ...". Empty where every step plays as written.
QString lineNote(const LineCheck &check, qint64 steps, int baud);

struct Program
{
    std::vector<StepRecord> rows;
    // Durations that are no whole number of milliseconds, and how they were
    // written; one line each.
    QStringList notices;
};

// The program of valid options (see optionsError()).
Program generate(const Options &options);

// What a run of the program does on a line at that baud rate (checkLine).
LineCheck checkProgram(const Program &program, int baud);

// A duration in milliseconds as a dwell text: two decimals where they hold
// it, three otherwise ("0.50", "0.017").
QString dwellText(int ms);

// "Dip 40% 10c @90", "Interruption 0% 250c @0".
QString eventName(const Level &level, double cycles, int angle);

} // namespace DipTest
