// The run sequencer.
#include "shell/frmControl.h"

void frmControl::TimComm_Timer() {}
