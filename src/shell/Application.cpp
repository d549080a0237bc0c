#include "shell/Application.h"

#include "platform/TerminationSignals.h"
#include "shell/frmControl.h"

#include <QApplication>

int runProgram(QApplication &app, const Platform &platform)
{
    frmControl window(platform);
    window.Form_Load();
    if (window.noPortAvailable())
        return 0;

    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::terminationRequested, &window,
                     [&](int signalNumber) {
                         window.closeOnSignal();
                         app.exit(128 + signalNumber);
                     });
    terminations.install();

    window.show();
    return app.exec();
}
