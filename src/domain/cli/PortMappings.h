#pragma once

#include "cli/CommandLine.h"

#include <QStringList>

class QSettings;

// Connects "COM 1" and "COM 2" as the settings Ports/COM1 and Ports/COM2
// say, the command line's --com1 and --com2 overriding them. A setting that
// cannot be read makes its port one that does not open (never the
// platform's device for it); the returned lines name the setting, its file
// and why. Without settings only the command line counts.
QStringList applyPortMappings(const ProgramOptions &options, const QSettings *settings);
