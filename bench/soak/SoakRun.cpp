// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "soak/SoakRun.h"

#include "domain/ports/PortMap.h"
#include "domain/system/QtTimer.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "sim/demo/WindowDriver.h"
#include "sim/source/VirtualTimer.h"
#include "sim/source/WireTiming.h"
#include "soak/Memory.h"
#include "soak/SoakProgram.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

Soak::Soak(const Options &options)
    : m_options(options), m_tap(m_serial, LineSplitter([this](const QByteArray &line) { onWritten(line); })),
      m_messages([this](const QString &text) {
          ++m_messageCount;
          std::fprintf(stderr, "message box: %s\n", qPrintable(text));
      })
{
    m_wall.start();
    if (options.virtualClock) {
        m_timer = std::make_unique<VirtualTimer>(m_virtualMs);
        m_serial.setClock([this] { return m_virtualMs; });
    } else
        m_timer = std::make_unique<QtTimer>();
    m_tap.onDiscard = [this] { onDiscard(); };
    QObject::connect(&m_bridge, &PtyBridge::readyRead, [this] { poll(); });
    m_model.setTranscriptLimit(1);
}

Soak::~Soak()
{
    m_window.reset();
}

double Soak::nowMs() const
{
    return m_options.virtualClock ? m_virtualMs : double(m_wall.nsecsElapsed()) / 1e6;
}

bool Soak::setUp()
{
    if (!m_bridge.isOpen()) {
        std::fprintf(stderr, "bench_soak: %s\n", qPrintable(m_bridge.errorText()));
        return false;
    }
    PortMap ports;
    ports.setDevice(1, m_bridge.farEndPath());
    ports.setDevice(2, QStringLiteral("/nonexistent/bench-soak/COM2"));
    m_bridge.setWatching(!m_options.virtualClock);
    m_window = std::make_unique<frmControl>(Platform{&m_tap, m_timer.get(), &m_messages, &m_files, &m_busy});
    m_window->setPortMap(ports);
    m_window->Form_Load();
    if (m_window->noPortAvailable()) {
        std::fprintf(stderr, "bench_soak: the window could not open the source's port\n");
        return false;
    }
    if (!m_options.hidden)
        m_window->show();
    pause();
    chooseRemote(*m_window);
    pause();
    m_window->ui().livData->replaceAll(programSteps());
    chooseRunMode(*m_window, {RunChoice::Mode::Continuous, 1});
    pause();
    return true;
}

void Soak::pressRun()
{
    {
        const std::lock_guard lock(m_wire);
        m_sentCheck.emplace(std::vector<QByteArray>{});
        // Lines written before RUN that the source has not read yet.
        std::vector<QByteArray> prelude(m_beforeRun.begin() + qsizetype(m_receivedBeforeRun),
                                        m_beforeRun.end());
        m_sourceCheck.emplace(prelude);
    }
    m_runMs = nowMs();
    m_runWallMs = double(m_wall.nsecsElapsed()) / 1e6;
    m_window->cmdRunStop_Click();
    if (m_options.virtualClock)
        poll();
}

bool Soak::running() const
{
    return m_window && isRunning(*m_window);
}

void Soak::pressStop(const QString &why)
{
    if (stopped())
        return;
    m_stopReason = why;
    takeStartRss(); // a run shorter than the warm-up
    m_stopMs = nowMs();
    m_stopWallMs = double(m_wall.nsecsElapsed()) / 1e6;
    m_backlogMs = m_model.lineFreeAt() - m_stopMs;
    // A tick may still play a step before STOP reaches the session's
    // thread: the steps are counted there, at STOP's discard.
    {
        const std::lock_guard lock(m_wire);
        m_stopPending = true;
    }
    if (running())
        m_window->cmdRunStop_Click();
    {
        const std::lock_guard lock(m_wire);
        if (!m_stopCounted) // the run had ended, or its port was closed
            countStop();
    }
    if (m_options.virtualClock)
        poll();
}

void Soak::onDiscard()
{
    const std::lock_guard lock(m_wire);
    if (m_stopPending && !m_stopCounted)
        countStop();
}

void Soak::countStop()
{
    const qint64 played = m_sentCheck->steps();
    m_sentCheck->stopAfter(played);
    m_sourceCheck->stopAfter(played);
    m_stopCounted = true;
}

void Soak::sample()
{
    const double seconds = (nowMs() - m_runMs) / 1000.0;
    if (seconds >= 1.0)
        takeStartRss();
    if (seconds >= m_nextSampleS) {
        const std::lock_guard lock(m_wire);
        std::printf("  %6.0f s: rss %s, %lld steps played, %lld received by the source\n", seconds,
                    kbText(statusKb("VmRSS:")).c_str(), static_cast<long long>(m_sentCheck->steps()),
                    static_cast<long long>(m_sourceCheck->steps()));
        std::fflush(stdout);
        m_nextSampleS += 60.0;
    }
}

void Soak::poll()
{
    const QByteArray bytes = m_bridge.readAvailable();
    if (bytes.isEmpty())
        return;
    m_model.receive(bytes, nowMs(), m_bridge.lineSettings());
    const std::lock_guard lock(m_wire);
    if (m_sourceCheck && !stopped())
        m_bytesInRun += bytes.size();
    for (const ReceivedLine &line : m_model.advanceToEnd()) {
        if (!line.ok())
            m_sourceErrors.add(displayText(line.text) + QStringLiteral(": ") + line.error);
        m_ledger.received(line.text);
        if (m_sourceCheck)
            m_sourceCheck->check(line.text);
        else
            ++m_receivedBeforeRun;
    }
}

bool Soak::tickVirtually()
{
    auto &timer = static_cast<VirtualTimer &>(*m_timer);
    const auto due = timer.nextTick();
    if (!due)
        return false;
    m_virtualMs = std::max(m_virtualMs, *due);
    timer.fire();
    poll();
    QCoreApplication::processEvents(); // repaints and deferred work, as between real ticks
    return true;
}

int Soak::report()
{
    const std::lock_guard lock(m_wire);
    const std::optional<long> endRss = statusKb("VmRSS:");
    const std::optional<long> peakRss = statusKb("VmHWM:");
    const double runS = (m_stopMs - m_runMs) / 1000.0;
    const qint64 played = m_sentCheck->steps();
    const qint64 received = m_sourceCheck->steps();

    std::printf("\nRun ended: %s\n", qPrintable(m_stopReason));
    std::printf("duration            %.3f s from RUN to STOP (%s)", runS,
                m_options.virtualClock ? "virtual time" : "real time");
    if (m_options.virtualClock)
        std::printf(", played in %.3f s of real time", (m_stopWallMs - m_runWallMs) / 1000.0);
    std::printf("\n");
    std::printf("steps played        %lld by the window, %lld received whole by the source\n",
                static_cast<long long>(played), static_cast<long long>(received));
    std::printf("lines sent          %lld\n", static_cast<long long>(m_ledger.sentCount()));
    std::printf("lines received      %lld\n", static_cast<long long>(m_ledger.receivedCount()));
    std::printf("lost                %lld\n", static_cast<long long>(m_ledger.lost()));
    std::printf("reordered           %lld\n", static_cast<long long>(m_ledger.reordered()));
    std::printf("extra               %lld (received, never sent)\n", static_cast<long long>(m_ledger.extra()));
    const qint64 sentOff = m_sentCheck->skipped() + m_sentCheck->unexpected() + m_sentCheck->missingAtEnd();
    const qint64 sourceOff = m_sourceCheck->skipped() + m_sourceCheck->unexpected()
                             + m_sourceCheck->missingAtEnd();
    std::printf("out of sequence     %lld written by the window, %lld at the source "
                "(against the program's own cycle)\n",
                static_cast<long long>(sentOff), static_cast<long long>(sourceOff));
    std::printf("source errors       %d\n", m_model.errorCount());
    std::printf("message boxes       %d\n", m_messageCount);

    const long growth = m_startRss && endRss ? *endRss - *m_startRss : 0;
    std::printf("rss                 start %s, end %s, growth %s, peak %s\n", kbText(m_startRss).c_str(),
                kbText(endRss).c_str(), m_startRss && endRss ? (std::to_string(growth) + " kB").c_str() : "n/a",
                kbText(peakRss).c_str());

    // Each step is held one tick; the last of each cycle two, as the
    // rewind tick plays nothing.
    const double idealPerS = Rows * 1000.0 / ((Rows + 1) * TickMs);
    const double achieved = runS > 0 ? double(played) / runS : 0.0;
    std::printf("steps per second    %.2f, ideal %.2f (%d steps per %d ticks of %d ms), ratio %.4f\n", achieved,
                idealPerS, Rows, Rows + 1, TickMs, achieved / idealPerS);

    const double charMs = characterMs(m_model.line());
    if (received > 0)
        std::printf("on a real line      %s: %.1f ms of commands per step against a %d ms dwell; "
                    "%.1f s still to send at STOP\n",
                    qPrintable(lineSettingsText(m_model.line())),
                    double(m_bytesInRun) / double(received) * charMs, TickMs,
                    std::max(0.0, m_backlogMs) / 1000.0);

    m_ledger.examples().print("Transport faults (first ten):");
    m_sentCheck->examples().print("Written out of sequence (first ten):");
    m_sourceCheck->examples().print("Received out of sequence (first ten):");
    m_sourceErrors.print("Refused by the source (first ten):");

    const bool fine = played > 0 && m_ledger.lost() == 0 && m_ledger.reordered() == 0 && m_ledger.extra() == 0
                      && sentOff == 0 && sourceOff == 0 && m_model.errorCount() == 0 && m_messageCount == 0
                      && !m_stalled;
    std::printf("%s\n", fine ? "PASS" : "FAIL");
    return fine ? 0 : 1;
}

void Soak::onWritten(const QByteArray &line)
{
    const std::lock_guard lock(m_wire);
    m_ledger.sent(line);
    if (m_sentCheck) {
        if (m_sentCheck->check(line) && goalReached() && onStepGoal)
            onStepGoal();
    } else
        m_beforeRun.push_back(line);
}

void Soak::takeStartRss()
{
    if (m_startTaken)
        return;
    m_startRss = statusKb("VmRSS:");
    m_startTaken = true;
    std::printf("  %6.1f s: rss %s (start)\n", (nowMs() - m_runMs) / 1000.0, kbText(m_startRss).c_str());
    std::fflush(stdout);
}

void Soak::pause()
{
    if (m_options.virtualClock) {
        m_virtualMs += 100.0;
        poll();
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
}
