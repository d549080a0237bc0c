// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The demo told to end by a signal takes the program's close path: the
// unsaved program is kept, and the exit status names the signal.
#include "gui/shell/frmControl.h"
#include "sim/demo/LiveDemo.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cstdio>
#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {
// The child: the demo's window on its virtual source, one step appended so
// that the program is modified; then it says "ready".
int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTimer::singleShot(0, &app, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<frmControl *>(w)) {
                window->cmdDataAppend_Click();
                std::fprintf(stdout, "ready\n");
                std::fflush(stdout);
            }
    });
    return runLiveDemo(std::nullopt, PlayOptions{}, SourceLink::Cable::Pty, 0);
}
} // namespace

class LiveDemoTest : public QObject
{
    Q_OBJECT
private slots:
    void signal_keepsTheProgramAndEndsWithItsNumber();
};

void LiveDemoTest::signal_keepsTheProgramAndEndsWithItsNumber()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
    QDeadlineTimer ready(20000);
    while (!child.canReadLine() && !ready.hasExpired())
        child.waitForReadyRead(50);
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
    QVERIFY(child.waitForFinished(20000));
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, qPrintable(errors));
    QCOMPARE(child.exitCode(), 128 + SIGTERM);
    const auto kept = QRegularExpression(QStringLiteral("kept in (\\S+)")).match(errors);
    QVERIFY2(kept.hasMatch(), qPrintable(errors));
    QVERIFY(QFile::remove(kept.captured(1)));
#endif
}

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QCoreApplication app(argc, argv);
    LiveDemoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_live_demo.moc"
