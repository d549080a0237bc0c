// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/programs/Timeline.h"

#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// The chart of what a run commands over time: the voltage as a step line on
// the left axis, the frequency as a dashed step line on the right axis,
// spans with the output off shaded grey, steps the line held past their
// dwell shaded red, and each step's label above its span where it fits.
// Thousands of steps within one pixel are drawn as the envelope of their
// values, so the cost follows the chart's width, not the program's length.
struct ChartStyle
{
    QString title;
    QString timeNote; // under the time axis, e.g. "stretched at 9600 baud"
    QString noSteps;  // in place of the lines when there is no step; empty: what a program's empty table means
};

// Returns the plot's rectangle (empty when the area is too small): time runs
// from its left edge at RUN to its right edge at the timeline's end.
QRectF drawProgramChart(QPainter &painter, const QRectF &area, const Timeline &timeline,
                        const ChartStyle &style = {});

// The time axis's tick texts for a timeline of this length, as the chart
// writes them.
QStringList timeAxisLabels(qint64 lengthMs);
