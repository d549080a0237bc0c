// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QStringList>

// The words the instrument takes for a step's output and range, as the step
// files write them. Any letter case is taken and sent as typed; any other
// word the instrument rejects, leaving the source as it was.
namespace StepWords {

inline const QStringList Output{QStringLiteral("On"), QStringLiteral("Off")};
inline const QStringList Range{QStringLiteral("Auto"), QStringLiteral("Low"), QStringLiteral("High")};

// The words allowed in a step's field; empty for a number.
const QStringList &of(int field);
bool allows(const QStringList &words, const QString &text);
// "On or Off", "Auto, Low or High".
QString listed(const QStringList &words);

} // namespace StepWords
