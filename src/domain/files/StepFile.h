// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class BusyPointer;
class MessageBox;
class StepTableModel;

// Reading and writing the step table as a step file.
// Both show the busy pointer while they work and report their own failures
// in a message box; the result tells the file commands whether the document
// now belongs to the file.
namespace ModTool {

// The largest step file that is read: 16 MiB. A program of 100,000 steps
// takes about 6 MB; a bigger file is no program, and would take seconds and
// gigabytes to load.
inline constexpr qint64 MaxStepFileBytes = 16 * 1024 * 1024;

// Why a program of that many steps and bytes is no step file to write
// ("N steps make a file of X MB, more than ..."); empty while it is one.
QString tooLargeToOpen(qint64 steps, qint64 bytes);
// The same for a file known to take at least leastBytes ("... a file of at
// least X MB, ..."), told before it is made.
QString tooLargeToOpenAtLeast(qint64 steps, qint64 leastBytes);

// Replaces all rows of the step table with the records of the file.
// Only regular files up to MaxStepFileBytes are read. Any other file, or
// one that cannot be opened, shows "Can't open file: <path>", leaves the
// table as it was and returns false. notes, where given, receive what the
// reading left out of a file not written as this program writes it
// (StepFileFormat::readingNotes).
bool ReadStepFile(StepTableModel &steps, const QString &path, MessageBox &messages, BusyPointer &busy,
                  QStringList *notes = nullptr);

// Writes the whole step table to the file, replacing its content (see
// writeWholeFile for when a failed write leaves the old file whole). A
// failure shows the system's description of it and returns false; a table
// whose file would be larger than MaxStepFileBytes is not written.
bool WriteStepFile(const StepTableModel &steps, const QString &path, MessageBox &messages, BusyPointer &busy);

} // namespace ModTool
