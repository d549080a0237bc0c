// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <vector>

// The step file, as bytes. Line 1 is the record count with one blank on
// either side (" 3 "); then one line per step of nine fields, each ended by
// a TAB: "True"/"False", the label and the seven values. Every line ends in
// CR LF. The text is 8-bit Latin-1, with no quoting and no escaping, so the
// files stay readable by the earlier versions of this program.
namespace StepFileFormat {

// The bytes of a file holding these rows. Characters outside Latin-1 cannot
// be stored in an 8-bit file and are written as '?'.
QByteArray format(const std::vector<StepRecord> &rows);

// The records of a file. Never fails: a missing or malformed count line
// gives no records; a record line keeps only its TAB-ended fields (a tenth
// field and any text after the last TAB are ignored), missing cells stay
// empty, and reading stops at the count or at the end of the bytes,
// whichever comes first. Lines may end in CR LF, CR or LF.
std::vector<StepRecord> parse(QByteArrayView bytes);

// What reading leaves out of bytes that are not as this program writes
// them, one sentence each, in file order: a first line that is no step
// count (an empty file, a UTF-8 byte order mark), record lines with fewer
// than nine TAB-ended fields (a last field without its TAB is not read),
// lines after the counted ones, or fewer lines than the count. Empty for a
// file as written. The window reads such files silently, as it always has;
// the tools that read without one say what they left out.
QStringList readingNotes(QByteArrayView bytes);

// The check state of a record's first field: "True"/"False" in any letter
// case, or a number that is checked when it is not zero. Anything else
// leaves the row unchecked.
bool checkState(QByteArrayView field);

} // namespace StepFileFormat
