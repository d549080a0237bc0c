// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

// The baseline of bench_start_window: a bare Qt window, linked with Qt
// Widgets alone. With --exit it ends at once, having loaded its libraries;
// with --text it shows a line of text, and so loads the font database as
// any window with a label does.

#include <QApplication>
#include <QLabel>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--exit") == 0)
        return 0;
    QApplication app(argc, argv);
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QLabel window(text ? QStringLiteral("A bare Qt window with a line of text") : QString());
    window.setWindowTitle(QStringLiteral("A bare Qt window"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
