#pragma once

#include <QString>

// The program's title: the about box shows it, and it is the caption of
// every message box that names no caption of its own.
inline const QString AppTitle = QStringLiteral("Nesk DEMO");
