#pragma once

#include <QString>

class frmControl;

// Before a command discards a modified step program (New, Open, closing the
// window) it asks whether to save it first, with Yes, No and Cancel.
// Returns true when the command may go on: the program was not modified,
// the operator answered No, or answered Yes and the save went through.
// Cancel, or Yes followed by a save that was cancelled or failed, returns
// false: the command ends and the program is kept.
bool mayDiscardProgram(frmControl &window, const QString &question);
