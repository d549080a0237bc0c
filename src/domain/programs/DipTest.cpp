// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/programs/DipTest.h"

#include "domain/files/StepFile.h"
#include "domain/programs/LineCheck.h"
#include "domain/steps/StepTableModel.h"

#include <algorithm>
#include <cmath>

namespace DipTest {
namespace {
using Kind = Level::Kind;

QString cyclesText(double cycles)
{
    return QString::number(cycles, 'g', 6) + QLatin1Char('c');
}

QString voltsText(double volts)
{
    return QString::number(volts, 'f', 2);
}

StepRecord stepAt(const QString &label, double volts, int frequency, int angle, int dwellMs)
{
    StepRecord row = StepRecord::makeDefault(label);
    row.subItem(StepRecord::Voltage) = voltsText(volts);
    row.subItem(StepRecord::Frequency) = QString::number(frequency) + QStringLiteral(".00");
    row.subItem(StepRecord::StartPhase) = QString::number(angle) + QStringLiteral(".00");
    row.subItem(StepRecord::WorkTime) = dwellText(dwellMs);
    return row;
}
// UT and every level of the class above 0 % written as voltages that differ
// from each other and from 0 V.
bool levelsDiffer(int testClass, double ut)
{
    QStringList written{voltsText(ut)};
    for (const Level &level : levelsOf(testClass)) {
        written << voltsText(std::round(ut * level.percent) / 100.0);
    }
    written.removeAll(voltsText(0));
    written.removeDuplicates();
    QStringList distinctPercents{QStringLiteral("100")};
    for (const Level &level : levelsOf(testClass))
        if (level.percent > 0)
            distinctPercents << QString::number(level.percent);
    distinctPercents.removeDuplicates();
    return written.size() == distinctPercents.size();
}

// UT as the step file writes it, to two decimals: the levels are worked
// out from that.
double writtenUt(double typed)
{
    return voltsText(typed).toDouble();
}

double lowestDistinctUt(int testClass)
{
    int hundredths = 1;
    while (!levelsDiffer(testClass, hundredths / 100.0))
        ++hundredths;
    return hundredths / 100.0;
}
} // namespace

QList<Level> levelsOf(int testClass)
{
    if (testClass == 2)
        return {{Kind::Dip, 0, 0.5, 0.5},
                {Kind::Dip, 0, 1, 1},
                {Kind::Dip, 70, 25, 30},
                {Kind::Interruption, 0, 250, 300}};
    if (testClass == 3)
        return {{Kind::Dip, 0, 0.5, 0.5}, {Kind::Dip, 0, 1, 1},      {Kind::Dip, 40, 10, 12},
                {Kind::Dip, 70, 25, 30},  {Kind::Dip, 80, 250, 300}, {Kind::Interruption, 0, 250, 300}};
    return {};
}

QString optionsError(const Options &o, const OptionNames &names)
{
    if (o.testClass != 2 && o.testClass != 3)
        return QStringLiteral("%1 is 2 or 3, not %2").arg(names.testClass).arg(o.testClass);
    // Written so that a NaN is refused too.
    if (!(o.ut > 0 && o.ut <= MaxVoltage))
        return QStringLiteral("%1 is above 0 and at most %2 V, not %3").arg(names.ut).arg(MaxVoltage).arg(o.ut);
    if (o.frequency != 50 && o.frequency != 60)
        return QStringLiteral("%1 is 50 or 60, not %2").arg(names.frequency).arg(o.frequency);
    if (!levelsDiffer(o.testClass, writtenUt(o.ut)))
        return QStringLiteral("%1 of %2 V gives levels that the step file's two decimals "
                              "cannot tell apart; the lowest UT for class %3 is %4 V")
            .arg(names.ut, QString::number(o.ut, 'g', 6))
            .arg(o.testClass)
            .arg(voltsText(lowestDistinctUt(o.testClass)));
    if (o.angles.isEmpty())
        return QStringLiteral("%1 needs at least one angle").arg(names.angles);
    for (qsizetype i = 0; i < o.angles.size(); ++i) {
        const int angle = o.angles[i];
        if (angle < 0 || angle > 359)
            return QStringLiteral("%1 are whole degrees from 0 to 359, not %2").arg(names.angles).arg(angle);
        // The same angle twice writes each of its events twice under one label.
        if (o.angles.indexOf(angle) < i)
            return QStringLiteral("%1 holds %2 twice: each angle is tested once (%3 "
                                  "plays an event more than once)")
                .arg(names.angles)
                .arg(angle)
                .arg(names.repeats);
    }
    if (o.repeats < 1 || o.repeats > MaxRepeats)
        return QStringLiteral("%1 is from 1 to %2, not %3").arg(names.repeats).arg(MaxRepeats).arg(o.repeats);
    // A dwell of 0 would never end; the timer holds 65.535 s at most.
    if (!(o.gapSeconds >= 0.01 && std::round(o.gapSeconds * 1000) <= MaxDwellMs))
        return QStringLiteral("%1 is from 0.01 to 65.535 seconds (the longest dwell the "
                              "instrument's timer holds), not %2")
            .arg(names.gap)
            .arg(o.gapSeconds);
    for (const Level &level : levelsOf(o.testClass)) {
        const double cycles = o.frequency == 50 ? level.cycles50 : level.cycles60;
        if (std::round(cycles * 1000.0 / o.frequency) > MaxDwellMs)
            return QStringLiteral("%1 lasts longer than 65.535 seconds").arg(eventName(level, cycles, 0));
    }
    const qint64 steps = stepCount(o);
    if (const QString tooLarge = ModTool::tooLargeToOpenAtLeast(steps, steps * LeastStepBytes);
        !tooLarge.isEmpty())
        return tooLarge + QStringLiteral("; fewer %1 or %2 make it smaller").arg(names.repeats, names.angles);
    return {};
}

qint64 stepCount(const Options &o)
{
    return qint64(levelsOf(o.testClass).size()) * o.angles.size() * o.repeats * 2 + 1;
}

QString sizeError(qint64 steps, qint64 bytes, const OptionNames &names)
{
    const QString tooLarge = ModTool::tooLargeToOpen(steps, bytes);
    if (tooLarge.isEmpty())
        return {};
    return tooLarge + QStringLiteral("; fewer %1 or %2 make it smaller").arg(names.repeats, names.angles);
}

LineCheck checkProgram(const Program &program, int baud)
{
    StepTableModel steps;
    steps.replaceAll(program.rows);
    LineSettings line;
    line.baud = baud;
    return checkLine(steps, line);
}

QString lineNote(const LineCheck &check, qint64 steps, int baud)
{
    if (check.stretched.isEmpty())
        return {};
    const auto [shortest, longest] = std::minmax_element(check.stretched.begin(), check.stretched.end(),
                                                         [](const StretchedRow &a, const StretchedRow &b) {
                                                             return a.lineMs < b.lineMs;
                                                         });
    const auto held = [](const StretchedRow &row) {
        return QStringLiteral("%1 (%2 for %3)")
            .arg(row.label, secondsText(row.lineMs), secondsText(row.dwellMs));
    };
    QString text = QStringLiteral("at %1 baud %2 of the %3 steps need longer on the line than their dwell: "
                                  "their events last longer than the standard asks, ")
                       .arg(baud)
                       .arg(check.stretched.size())
                       .arg(steps);
    if (shortest->lineMs == longest->lineMs)
        return text + held(*shortest);
    return text + QStringLiteral("from %1 to %2").arg(held(*shortest), held(*longest));
}

QString dwellText(int ms)
{
    if (ms % 10 == 0)
        return QString::number(ms / 1000.0, 'f', 2);
    return QString::number(ms / 1000.0, 'f', 3);
}

QString eventName(const Level &level, double cycles, int angle)
{
    const QString kind = level.kind == Kind::Dip ? QStringLiteral("Dip") : QStringLiteral("Interruption");
    return kind + QLatin1Char(' ') + QString::number(level.percent) + QStringLiteral("% ") + cyclesText(cycles)
           + QStringLiteral(" @") + QString::number(angle);
}

Program generate(const Options &o)
{
    Program program;
    const double ut = writtenUt(o.ut);
    const int gapMs = static_cast<int>(std::round(o.gapSeconds * 1000));
    const QString gapLabel = QStringLiteral("UT %1V %2s")
                                 .arg(QString::number(ut, 'g', 6), QString::number(gapMs / 1000.0, 'g', 6));
    if (std::fabs(ut - o.ut) > 1e-9)
        program.notices << QStringLiteral("UT of %1 V has more than two decimals: written as %2 V, and the "
                                          "levels worked out from that")
                               .arg(QString::number(o.ut, 'g', 10), voltsText(ut));
    if (std::fabs(o.gapSeconds * 1000 - gapMs) > 1e-6)
        program.notices << QStringLiteral("the gap of %1 s is no whole number of milliseconds: written as %2 s")
                               .arg(QString::number(o.gapSeconds, 'g', 10), dwellText(gapMs));
    const QList<Level> levels = levelsOf(o.testClass);
    program.rows.reserve(static_cast<size_t>(levels.size() * o.angles.size() * o.repeats * 2 + 1));
    for (const Level &level : levels) {
        const double cycles = o.frequency == 50 ? level.cycles50 : level.cycles60;
        const double exactMs = cycles * 1000.0 / o.frequency;
        const int ms = static_cast<int>(std::round(exactMs));
        if (std::fabs(exactMs - ms) > 1e-9)
            program.notices << QStringLiteral("%1 at %2 Hz lasts %3 ms, not a whole number of "
                                              "milliseconds: written as %4 s (%5 ms, to the nearest "
                                              "millisecond)")
                                   .arg(cyclesText(cycles))
                                   .arg(o.frequency)
                                   .arg(QString::number(exactMs, 'f', 3), dwellText(ms))
                                   .arg(ms);
        const double volts = std::round(ut * level.percent) / 100.0;
        for (int angle : o.angles) {
            const QString name = eventName(level, cycles, angle);
            for (int n = 1; n <= o.repeats; ++n) {
                program.rows.push_back(stepAt(gapLabel, ut, o.frequency, 0, gapMs));
                const QString label = o.repeats > 1 ? name + QStringLiteral(" #%1").arg(n) : name;
                program.rows.push_back(stepAt(label, volts, o.frequency, angle, ms));
            }
        }
    }
    // A run holds its last step twice its dwell: the last event must not be
    // that step, so the program ends at UT.
    program.rows.push_back(stepAt(gapLabel, ut, o.frequency, 0, gapMs));
    return program;
}

} // namespace DipTest
