// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "WindowChild.h"

#include "app/Application.h"
#include "domain/ports/PortTarget.h"
#include "gui/shell/frmControl.h"
#include "gui/widgets/QtPlatform.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int runWindowChild(int argc, char **argv, const QString &device, const std::function<void(frmControl &)> &setUp)
{
    // A network target (a serial server) is port 1's mapping; anything else a
    // device. They reach the window as the command line's --com1 and --com2.
    const auto deviceTarget = [](const QString &path) {
        PortTarget target;
        target.kind = PortTarget::Kind::Device;
        target.device = path;
        return target;
    };
    ProgramOptions options;
    if (const auto target = parsePortTarget(device); target && target->isNetwork())
        options.com1 = *target;
    else
        options.com1 = deviceTarget(device);
    options.com2 = deviceTarget(QStringLiteral("/nonexistent/quorra-port"));
    QApplication app(argc, argv);
    // The guardian of this build, as the program finds its own beside it.
    QtPlatform platform(QStringLiteral(QUORRA_GUARD_EXECUTABLE));
    QTimer::singleShot(0, &app, [setUp] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<frmControl *>(w)) {
                setUp(*window);
                std::fprintf(stdout, "ready\n");
                std::fflush(stdout);
            }
        }
    });
    return runProgram(app, platform.bundle(), options);
}
