#pragma once

#include <QWidget>

// Design places are in twips: 1/1440 inch, 15 twips to the pixel at 96 dpi.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

// Places a widget at its design rectangle within its parent.
void setDesignGeometry(QWidget *widget, int left, int top, int width, int height);
