// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/SourceState.h"

#include <QByteArray>
#include <QString>

// The instrument's side of the command set: what it understands and how far.
namespace SourceLimits {
inline constexpr double MaxVolts = 310.0;
inline constexpr double MinHertz = 40.0;
inline constexpr double MaxHertz = 500.0;
inline constexpr double MaxPhase = 360.0;
} // namespace SourceLimits

// Carries out one received line (its bytes before the CR) on the state.
// Returns an empty text when the line was understood; otherwise the
// instrument's error message, and the state is left as it was.
//
// Headers are matched without regard to letter case, as instruments of this
// kind do; the header ends at the first blank and the argument is the rest,
// blanks around it ignored. An empty line is understood and does nothing.
QString executeLine(const QByteArray &line, SourceState &state);
