// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "report/ProgramChart.h"

#include <QString>

// Writes the chart of a timeline to a picture file, chosen by its suffix:
// .png (1600 x 800 pixels), .svg or .pdf (one A4 page, landscape). Returns
// false with *error saying why when the file cannot be written.
bool writeProgramPlot(const Timeline &timeline, const ChartStyle &style, const QString &path, QString *error);
