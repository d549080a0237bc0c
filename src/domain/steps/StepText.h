// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The characters a step's value texts may hold. A step file is 8-bit text
// (Latin-1) with tab-separated cells on lines of their own, so a cell holds
// no control character and nothing beyond Latin-1. What goes to the
// instrument must moreover hold no ";", which would begin a second command
// inside the step's one, and no ":" or "*", which begin a command header or
// a common command: an argument never holds one.
namespace StepText {

bool fileCanHold(char32_t c);
bool canSend(char32_t c);

// The first character of text that cannot be sent, if any.
std::optional<char32_t> firstUnsendable(QStringView text);

// Whether text is a number as it goes to the instrument: [sign] digits
// [. digits] [E [sign] digits], with nothing but blanks before or after it. What the
// editor writes ("230.00") is one; an empty cell, "1,5", "2 30", "&H64" or
// "60Hz" is not, though reading it leniently would give a value.
bool isInstrumentNumber(QStringView text);

// Whether c is a control character (C0, DEL or C1): on a terminal one such
// as ESC begins a sequence that acts instead of showing.
bool isControl(char32_t c);
// text with each control character written as "\x" and two hex digits
// ("\x1b" for ESC), so that a label from a file shows on a terminal as
// what it holds.
QString escapeControls(QStringView text);

} // namespace StepText
