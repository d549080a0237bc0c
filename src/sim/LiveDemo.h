#pragma once

#include "sim/DryRun.h"

#include <QString>
#include <optional>

// The main window wired to the virtual source in real time, beside the
// source's front panel. With a file, it is opened, Remote chosen and RUN
// pressed, as an operator would; a limit presses STOP after that long. Returns the application's exit status.
int runLiveDemo(const std::optional<QString> &showFile, const PlayOptions &options);
