// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/instrument/RunState.h"

#include <QString>
#include <QStringList>
#include <QStringView>

class QDateTime;
class StepTableModel;

// What one call of the sequencer does, decided apart from any link or
// timer: the run controller carries it out (sends the commands, arms the
// timer) and tells its front end which row was played.
struct SequencerStep
{
    enum class Action { EndOfRun, Rewind, Play };
    Action action = Action::EndOfRun;
    int position = 0;     // Play: the row played (1-based)
    QStringList commands; // Play: in wire order, without the CR
    int periodMs = 0;     // Play: the timer's period for this row
};

// One call of the sequencer: ends the run, rewinds, or plays the next
// checked row (unchecked rows are passed over within the same call). The
// run state is advanced as the call leaves it. Costs the same whatever the
// table's size, apart from walking over unchecked rows.
SequencerStep advanceSequencer(RunState &run, const StepTableModel &steps);

// How long a step's commands take on the line at characterMs a character:
// each command is its characters and the CR that ends it.
double commandsLineMs(const QStringList &commands, double characterMs);

// A dwell text as a timer period: the leading number of the text in
// seconds, times 1000, to the nearest whole millisecond (an exact half to
// the even neighbour). Not limited: see dwellFitsTimer().
double dwellPeriodMs(QStringView workTime);
bool dwellFitsTimer(double periodMs);

// Position of the first checked row whose dwell is no timer period (below 0
// or above 65,535 ms); 0 when every checked row can be played.
int firstUnplayableDwell(const StepTableModel &steps);

// The progress line while a row is played:
// "Now Running >> Step3: ( 3 / 10 )     Start Time: <startTime>".
QString runningStatusText(const QString &label, qint32 position, qint32 total, const QString &startTime);
// The local date and time as the progress line shows it: the system's short
// date, a blank and its long time.
QString startTimeText(const QDateTime &when);
// The same for now. Within one second the text of that second is reused:
// reading the local time costs more than a short step can spare.
QString currentStartTimeText();

// x to the nearest whole number, an exact half to the even neighbour.
double roundHalfToEven(double x);
