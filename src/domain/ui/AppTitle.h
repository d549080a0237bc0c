// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// The program's title: the about box shows it, and it is the caption of
// every message box that names no caption of its own.
inline const QString AppTitle = QStringLiteral("Nesk DEMO");
