// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/ServeSource.h"

#include "domain/system/TerminationSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int serveSource(SourceLink::Cable cable, quint16 tcpPort, QTextStream &out)
{
    QElapsedTimer since;
    since.start();
    SourceLink link([&since] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, cable, tcpPort);
    if (!link.isOpen()) {
        QTextStream(stderr) << "quorra-demo: " << link.errorText() << '\n';
        return 1;
    }
    out << link.farEndPath() << Qt::endl;
    QObject::connect(&link, &SourceLink::lineCarriedOut, &link, [&out](const ReceivedLine &line) {
        out << QString::number(line.ms / 1000.0, 'f', 3) << '\t' << displayText(line.text);
        if (!line.ok())
            out << "\t<- error: " << line.error;
        out << Qt::endl;
    });
    link.setLive(true);

    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::terminationRequested, &link,
                     [] { QCoreApplication::quit(); });
    terminations.install();
    QCoreApplication::exec();
    link.setLive(false);
    link.finish();
    return 0;
}
