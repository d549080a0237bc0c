#pragma once

#include "platform/Platform.h"

class QApplication;

// Runs the program on the given platform: start-up, the main window until
// the last window closes, and the termination signals, which take the
// window's own close path without waiting for an operator. Returns the
// process exit code.
int runProgram(QApplication &app, const Platform &platform);
