// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "app/CommandLine.h"

#include <QString>

class MessageBox;
class StepTableModel;

// quorra --generate and --check: they need no port, no display and no
// event loop. Each returns the exit status and prints to standard output
// (what was done) and standard error (what went wrong).
int runGenerate(const ToolOptions &options);
int runCheck(const ToolOptions &options);

// Reads a step file for a tool or a run without a window: false, with the
// reason told, when the file cannot be read, is read as no steps because it
// is no step file, or holds steps a run refuses (a dwell the timer cannot
// hold, a value that cannot be sent). What the reading left out of a file
// not written as the program writes it is told on the way. Without
// messages, all of it goes to standard error.
bool readProgramForTool(const QString &path, StepTableModel &steps, MessageBox *messages = nullptr);

// Writes text to standard output or standard error, in the local encoding.
void printOut(const QString &text);
void printError(const QString &text);
