#include "support/WindowChild.h"

#include "platform/PortNames.h"
#include "platform/QtPlatform.h"
#include "shell/Application.h"
#include "shell/frmControl.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int runWindowChild(int argc, char **argv, const QString &device,
                   const std::function<void(frmControl &)> &setUp)
{
    // A network target (a serial server) is port 1's mapping; anything else a device.
    if (const auto target = parsePortTarget(device); target && target->isNetwork())
        setPortMapping(1, *target);
    else
        setSerialDeviceOverride(1, device);
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-port"));
    QApplication app(argc, argv);
    QtPlatform platform;
    QTimer::singleShot(0, &app, [setUp] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<frmControl *>(w)) {
                setUp(*window);
                std::fprintf(stdout, "ready\n");
                std::fflush(stdout);
            }
        }
    });
    return runProgram(app, platform.bundle());
}
