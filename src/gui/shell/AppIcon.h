// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, built into the program. The PNGs are rendered from
// src/resources/quorra.svg, which is also what the desktop entry shows.
QIcon appIcon();
QPixmap appIconPixmap32();

class QWidget;
// Gives a window the icon once its first frame is drawn (at the latest a
// second after this call): the icon's images are decoded when it is made,
// and the window comes up without waiting.
void setIconAfterFirstFrame(QWidget *window);
