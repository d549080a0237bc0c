// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QFont>
#include <QWidget>

// Design places are in twips: 1/1440 inch, 15 twips to the pixel at 96 dpi.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

// Places a widget at its design rectangle within its parent.
void setDesignGeometry(QWidget *widget, int left, int top, int width, int height);

// The font the design places were made for: the platform's own family at
// 8 points, so that texts keep their proportion to the places at any dpi.
QFont designFont(const QFont &base);

// Widens a caption-only control (label, check box, option button) whose text
// needs more room in this platform's font than its design width gives it.
// Its left, top and height stay.
void widenToCaption(QWidget *widget);
