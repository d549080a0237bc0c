#pragma once

#include <QString>

class BusyPointer;
class MessageBox;
class StepTableModel;

// Reading and writing the step table as a step file.
// Both show the busy pointer while they work and report their own failures
// in a message box; the result tells the file commands whether the document
// now belongs to the file.
namespace ModTool {

// Replaces all rows of the step table with the records of the file.
// A file that cannot be opened shows "Can't open file: <path>", leaves the
// table as it was and returns false.
bool ReadStepFile(StepTableModel &steps, const QString &path, MessageBox &messages,
                  BusyPointer &busy);

// Writes the whole step table to the file, replacing its content (see
// writeWholeFile for when a failed write leaves the old file whole). A
// failure shows the system's description of it and returns false.
bool WriteStepFile(const StepTableModel &steps, const QString &path, MessageBox &messages,
                   BusyPointer &busy);

} // namespace ModTool
