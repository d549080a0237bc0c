// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/SequencerCore.h"

#include "domain/instrument/Commands.h"
#include "domain/ports/LineSettings.h"
#include "domain/steps/LenientNumber.h"
#include "domain/steps/StepTableModel.h"
#include "domain/system/Timer.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <limits>

double roundHalfToEven(double x)
{
    if (!std::isfinite(x))
        return x;
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return std::round(x);
}

double commandsLineMs(const QStringList &commands, double characterMs)
{
    qint64 characters = 0;
    for (const QString &command : commands)
        characters += command.size() + 1; // the CR
    return lineTimeMs(characters, characterMs);
}

double dwellPeriodMs(QStringView workTime)
{
    return roundHalfToEven(lenientNumber(workTime) * 1000.0);
}

bool dwellFitsTimer(double periodMs)
{
    return periodMs >= 0.0 && periodMs <= Timer::MaxInterval; // false for NaN
}

int firstUnplayableDwell(const StepTableModel &steps)
{
    for (int position = 1; position <= steps.count(); ++position) {
        const StepRecord &row = steps.row(position);
        if (row.checked && !dwellFitsTimer(dwellPeriodMs(row.subItem(StepRecord::WorkTime))))
            return position;
    }
    return 0;
}

SequencerStep advanceSequencer(RunState &run, const StepTableModel &steps)
{
    SequencerStep step;
    for (;;) {
        if (run.CyclesLeft == 0) {
            step.action = SequencerStep::Action::EndOfRun;
            return step;
        }
        // The row count cannot change during a run; reading past the end
        // of the table is treated as its end all the same.
        if (run.CurrentStep > run.StepTotal || run.CurrentStep > steps.count() || run.CurrentStep < 1) {
            run.CurrentStep = 1;
            // A continuous run counts down from -1 and must never come back
            // round to 0, however long it goes on.
            if (run.CyclesLeft != std::numeric_limits<qint32>::min())
                --run.CyclesLeft;
            step.action = SequencerStep::Action::Rewind;
            return step;
        }
        if (steps.row(run.CurrentStep).checked)
            break;
        ++run.CurrentStep;
    }

    const StepRecord &row = steps.row(run.CurrentStep);
    step.action = SequencerStep::Action::Play;
    step.position = run.CurrentStep;
    step.commands.reserve(6);

    const QString &startPhase = row.subItem(StepRecord::StartPhase);
    const QString &stopPhase = row.subItem(StepRecord::StopPhase);
    const bool firstPlayed = run.LastSentStep < 1 || run.LastSentStep > steps.count();
    if (firstPlayed || startPhase != run.SentStartPhase)
        step.commands << Command::StartPhase + startPhase;
    if (firstPlayed || stopPhase != run.SentStopPhase)
        step.commands << Command::StopPhase + stopPhase;
    run.SentStartPhase = startPhase;
    run.SentStopPhase = stopPhase;
    step.commands << Command::Frequency + row.subItem(StepRecord::Frequency)
                  << Command::Range + row.subItem(StepRecord::Range)
                  << Command::Voltage + row.subItem(StepRecord::Voltage)
                  << Command::Turn + row.subItem(StepRecord::Output);

    // RUN refuses rows whose dwell is no timer period; a row rewritten
    // during the run by the step editor is within range by the editor's
    // own check, and is held to the timer's range here all the same.
    const double period = dwellPeriodMs(row.subItem(StepRecord::WorkTime));
    step.periodMs = dwellFitsTimer(period) ? static_cast<int>(period) : (period > 0 ? Timer::MaxInterval : 0);

    run.LastSentStep = run.CurrentStep;
    ++run.CurrentStep;
    return step;
}

QString runningStatusText(const QString &label, qint32 position, qint32 total, const QString &startTime)
{
    // Each number is written with a blank in front, where a sign would go.
    return QStringLiteral("Now Running >> ") + label + QStringLiteral(": (") + QLatin1Char(' ')
           + QString::number(position) + QStringLiteral(" /") + QLatin1Char(' ') + QString::number(total)
           + QStringLiteral(" ) ") + QStringLiteral("    ") + QStringLiteral("Start Time: ") + startTime;
}

QString startTimeText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when, locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ')
                                     + locale.timeFormat(QLocale::LongFormat));
}

QString currentStartTimeText()
{
    static qint64 second = -1;
    static QString text;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != second) {
        text = startTimeText(QDateTime::fromMSecsSinceEpoch(now));
        second = now / 1000;
    }
    return text;
}
