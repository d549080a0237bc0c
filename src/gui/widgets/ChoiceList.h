// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

class QComboBox;
class QString;

// The program's editable drop-down lists. A pick is an entry chosen from the
// drop-down, by the arrow keys or by the wheel, and only a pick raises
// activated(). Typed text is only text: nothing completes it, and neither
// Enter nor leaving the list turns it into the entry it happens to match
// ("single" stays "single", "COM 2" typed picks no port).
namespace ChoiceList {

void makeEditable(QComboBox *list);

// Shows the entry with exactly this text as the current one, so that the
// arrow keys move on from it; a text that is no entry is only shown.
// Raises nothing.
void showEntry(QComboBox *list, const QString &text);

} // namespace ChoiceList
