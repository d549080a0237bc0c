// The cycle count field's numeric-entry behaviour.
#include "shell/frmControl.h"

void frmControl::connectCycleTimeField() {}
void frmControl::txtCycleTime_GotFocus() {}
void frmControl::txtCycleTime_LostFocus() {}
void frmControl::txtCycleTime_KeyPress(int) {}
