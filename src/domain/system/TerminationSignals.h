// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the main thread.
// The signal handler only writes the signal number into a self-pipe; the
// notifier reads it back in the event loop, where Qt work is allowed.
// On Windows a console control handler does the same for Ctrl+C,
// Ctrl+Break, a closed console, a log-off and a shut-down (their numbers in
// TerminationSignals.cpp). Elsewhere install() does nothing and returns
// false.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool install();
    // Ctrl+Z (SIGTSTP) as suspendRequested; elsewhere than POSIX false.
    bool installSuspend();
    // Suspends the process as SIGTSTP's default action does; returns once
    // it is continued (SIGCONT), with SIGTSTP caught again.
    static void suspendProcess();

    // The first termination signal this process received, 0 for none. Work
    // that blocks the event loop for a while (a network connect) asks it,
    // so that it can give up at once when the program is told to end.
    static int requestedSignal();

signals:
    void terminationRequested(int signalNumber);
    void suspendRequested();

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
