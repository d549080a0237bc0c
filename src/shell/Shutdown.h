#pragma once

class frmControl;

// The close path of the main window, shared by Exit, the close box and the
// close that start-up performs when no port opens.
namespace Shutdown {

enum class SaveQuestion { Ask, Skip };

// Runs the close path. Returns true when the close is cancelled, which
// happens only when the save question is asked and the operator answers
// Cancel, or answers Yes and the save does not go through.
bool unload(frmControl &window, SaveQuestion question);

// Under remote operation: stops the sequencer, switches the output off,
// hands the instrument back to local operation and closes the port. Does
// nothing under local operation.
void releaseInstrument(frmControl &window);

// A crash under remote operation sends the same three commands, after a CR
// that ends any command cut short. Armed while Remote is selected, disarmed
// when Local is, and once the instrument has been released.
void armCrashGuard(frmControl &window, bool remote);

} // namespace Shutdown
