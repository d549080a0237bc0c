#pragma once

#include "cli/CommandLine.h"

#include <QStringList>

class QSettings;

// Connects "COM 1" and "COM 2" as the settings Ports/COM1 and Ports/COM2
// say, the command line's --com1 and --com2 overriding them. A setting that
// cannot be read leaves its port as it is; the returned lines say which.
// Without settings only the command line counts.
QStringList applyPortMappings(const ProgramOptions &options, const QSettings *settings);
