// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// Fixed texts of the main window, letter for letter.
namespace Texts {
inline const QString NoPortsMessage = QStringLiteral(
    "All communication ports are not available. Please check the ports!!");

inline const QString NowStop = QStringLiteral("Now Stop");
inline const QString RunCaption = QStringLiteral("&RUN");
inline const QString StopCaption = QStringLiteral("&STOP");
} // namespace Texts
