// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/CrashSignals.h"
#include "domain/system/GuardLaunchWindows.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Keeps the guardian, quorra-guard, beside the crash path: it is started
// (in a session of its own) when the crash path gets bytes, is handed the
// port and the bytes again whenever they change, and is disarmed and
// reaped when the bytes go. Should the program end without disarming it
// (kill -9, the out-of-memory killer, a crash the signal handler does not
// survive), the guardian writes the bytes to the port. While the program
// lives it writes nothing.
//
// If it cannot be started, or ends on its own, trouble is told once (on
// the thread that found it) and the program goes on without it.
// On Windows the guardian watches the program's process and a pipe
// (GuardLaunch); on other systems without the POSIX calls it does nothing.
class Guardian : public CrashObserver
{
public:
    using Trouble = std::function<void(const QString &text)>;

    // Observes CrashSignals from now until destroyed.
    Guardian(const QString &program, Trouble trouble);
    ~Guardian() override;
    Guardian(const Guardian &) = delete;
    Guardian &operator=(const Guardian &) = delete;

    // quorra-guard beside the running program, else in ../libexec/quorra
    // relative to it (an installed program's); the first path when neither exists.
    static QString installedProgram();

    void crashPathChanged(const CrashPath &path) override;

    // The running guardian's process id, -1 when none.
    qint64 processId() const;
    // Waits until the guardian has taken every state sent to it.
    bool waitUntilTaken(int timeoutMs);

private:
    void start();
    void send(const CrashPath &path);
    void disarm();
    void watch(int channel, qint64 pid);
    // Counts the guardian's answers; tells once when a state has waited
    // too long for one (a guardian that started but does not work).
    void noteAnswers(int answers);
    void tellOnce(const QString &text);
    void closeChannel();

    QString m_program;
    Trouble m_trouble;
    mutable std::mutex m_lock;
    int m_channel = -1; // the program's end of the guardian's socket
#ifdef Q_OS_WIN
    GuardLaunch::Child m_child; // its process and the program's end of its pipe
    void *m_stop = nullptr;     // an event: the watcher stops
#endif
    qint64 m_pid = -1;
    bool m_failed = false; // not started, or gone, while these bytes last
    CrashPath m_sent;
    std::thread m_watcher;
    std::atomic<bool> m_disarming{false};
    std::atomic<bool> m_reaped{false};
    std::atomic<bool> m_told{false};
    // States sent and taken (the guardian's answers).
    std::mutex m_takenLock;
    std::condition_variable m_takenChanged;
    int m_statesSent = 0;
    int m_statesTaken = 0;
    // Since the last answer, or since nothing waited for one.
    std::chrono::steady_clock::time_point m_waitingSince = std::chrono::steady_clock::now();
};
