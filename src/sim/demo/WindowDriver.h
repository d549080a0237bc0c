// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/StretchedStep.h"

#include <QString>
#include <optional>

class QPushButton;
class StepListView;
class frmControl;
class ScriptedFileDialog;

// Works the main window as an operator would, through its own handlers.

// How many times a run plays the table.
struct RunChoice
{
    enum class Mode { Single, Continuous, Cycle };
    Mode mode = Mode::Single;
    int cycles = 1; // for Cycle

    QString text() const; // "Single", "Continuous", "Cycle 3"
};

bool isRunning(const frmControl &window);

// The window's controls, found by their names on the form.
StepListView *stepTable(const frmControl &window);
QPushButton *runStopButton(const frmControl &window);

// The step being played and the dwell armed for it, while a run is on.
std::optional<StepContext> playingStep(const frmControl &window);

// File > Open with the dialog answered by the path.
void openStepFile(frmControl &window, ScriptedFileDialog &dialog, const QString &path);

void chooseRemote(frmControl &window);
// Picks an entry of the baud-rate list ("1200" ... "9600").
void chooseBaudRate(frmControl &window, const QString &baud);
void chooseRunMode(frmControl &window, const RunChoice &choice);
