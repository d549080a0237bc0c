// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/programs/Timeline.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class StepTableModel;

// One step as a record shows it: the commands that went out under its
// label, from the first (a phase or the frequency) to ":SOUR:TURN ".
struct RecordedStep
{
    QString label;
    QString voltage; // the texts as commanded
    QString frequency;
    QString startPhase; // the last one sent, for steps that did not send it
    QString output;
    qint64 startMs = 0; // elapsed from RUN
    qint64 heldMs = 0;  // until the next step, or the end of the run; -1: unknown (a cut record)
    // From the program, when it is known: the step's dwell, and what the
    // sequencer holds it for (twice the dwell for the last step of a cycle).
    int dwellMs = -1;
    int expectedMs = -1;
};

// A run record (RunRecorder's CSV file) with its side file, read back.
struct RecordedRun
{
    QString recordPath;
    // From the side file, empty when there is none.
    QString port;
    QString baud;
    QString stepFile;
    QString stepFileSha256;
    QString stepFileNote; // why the file or its checksum is missing, if it is
    QString outcome;
    qint64 stretchedSteps = -1; // counted by the run; -1 when unknown

    QDateTime runAt;       // RUN
    QDateTime endAt;       // the last row
    qint64 durationMs = 0; // RUN to the output switched off at the end
    qint64 rows = 0;
    // Where the file is not what the recorder writes: lines that are no
    // record (skipped), and whether the run's end (":OUTP " after the steps)
    // is in it. lastMs: the last time the record holds.
    qint64 strayLines = 0;
    qint64 firstStrayLine = 0; // its line number, 1 the header
    bool endRecorded = false;
    qint64 lastMs = 0;
    QList<RecordedStep> steps;
};

// Reads a record; nullopt with *error saying why when it is no record.
// Text cells that a spreadsheet would take for a formula may carry one
// leading apostrophe; it is taken off.
// progress, where given, hears how much of the file has been read (0 to 1)
// every few thousand lines; when it returns false the reading stops there,
// with nullopt and *error "cancelled".
// The largest record that is read: 1 GiB, a day and more of commands at
// 9600 baud, whose report runs to tens of thousands of pages.
inline constexpr qint64 MaxRecordBytes = qint64(1) << 30;

std::optional<RecordedRun> readRunRecord(const QString &csvPath, QString *error,
                                         const std::function<bool(double)> &progress = {});

// Gives each recorded step its dwell from the program that was played, by
// playing the program alongside: the steps must come in the order the
// sequencer plays them. Returns the number of steps matched; matching stops
// at the first step whose label differs. The last step of a run that ended
// other than by completing keeps its dwell but has no expected hold.
qint64 matchProgram(RecordedRun &run, const StepTableModel &program);

// Steps held longer than the sequencer holds them by more than a timer's
// unevenness (5 ms, or 2 % of long steps): the line held them.
bool heldLonger(const RecordedStep &step);

// The timeline of what the record shows was sent.
Timeline recordedTimeline(const RecordedRun &run);
