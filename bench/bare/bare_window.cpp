// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

// The baseline of bench_start_window: a bare Qt window, linked with Qt
// Widgets alone. With --exit it ends at once, having loaded its libraries.

#include <QApplication>
#include <QWidget>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--exit") == 0)
        return 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("A bare Qt window"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}
