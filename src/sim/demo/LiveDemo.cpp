// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/LiveDemo.h"

#include "domain/ports/PortMap.h"
#include "gui/shell/WindowEndings.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/widgets/QtPlatform.h"
#include "sim/demo/HeadlessServices.h"
#include "sim/demo/SourcePanel.h"
#include "sim/source/SourceLink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {
// Ends the demo once the main window has really closed (its close can be
// cancelled by the save question).
class CloseWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            auto *widget = static_cast<QWidget *>(watched);
            QTimer::singleShot(0, widget, [widget] {
                if (!widget->isVisible())
                    QApplication::quit();
            });
        }
        return false;
    }
};
} // namespace

int runLiveDemo(const std::optional<QString> &showFile, const PlayOptions &options, SourceLink::Cable cable,
                quint16 tcpPort)
{
    QElapsedTimer since;
    since.start();
    SourceLink link([&since] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, cable, tcpPort);
    if (!link.isOpen()) {
        QTextStream(stderr) << "quorra-demo: " << link.errorText() << '\n';
        return 2;
    }
    link.model().setTranscriptLimit(SourcePanel::MaxLogLines);
    PortMap ports;
    ports.set(1, link.farEnd());
    ports.setDevice(2, QStringLiteral("/nonexistent/quorra-demo/COM2"));

    QtPlatform qt;
    ScriptedFileDialog files(&qt.files); // answers the first Open when a file is given
    const Platform platform{&qt.port, &qt.timer, &qt.messages, &files, &qt.busy};

    SourcePanel panel(link);
    frmControl window(platform);
    window.setPortMap(ports);
    link.setStepProbe([&] { return playingStep(window); });
    link.setLive(true);

    window.Form_Load();
    if (window.noPortAvailable())
        return 1;

    QApplication::setQuitOnLastWindowClosed(false);
    CloseWatch watch;
    window.installEventFilter(&watch);
    // Told to end, the demo takes the close path the program takes.
    const WindowEndings endings(window, *qApp);

    window.show();
    // The panel stands to the right of the main window, never over it: on a
    // narrow screen it gives up width down to what its contents need.
    const QRect frame = window.frameGeometry();
    const QRect screen = window.screen()->availableGeometry();
    const int x = frame.right() + 8;
    const int room = screen.right() - x - (panel.frameGeometry().width() - panel.width());
    if (room < panel.width())
        panel.resize(std::max(room, panel.minimumSizeHint().width()), panel.height());
    panel.move(x, frame.top());
    panel.show();

    if (showFile) {
        QTimer::singleShot(300, &window, [&] {
            openStepFile(window, files, *showFile);
            if (!options.baud.isEmpty())
                chooseBaudRate(window, options.baud);
            chooseRemote(window);
            chooseRunMode(window, options.run);
            if (stepTable(window)->count() == 0 || !runStopButton(window)->isEnabled())
                return;
            window.cmdRunStop_Click();
            if (options.limitSeconds)
                QTimer::singleShot(static_cast<int>(*options.limitSeconds * 1000), &window, [&] {
                    if (isRunning(window))
                        window.cmdRunStop_Click();
                });
        });
    }
    const int status = QApplication::exec();
    link.setLive(false);
    return status;
}
