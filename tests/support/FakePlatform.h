// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Fakes of the platform seams. Each records everything it is asked and
// answers from a script the test sets up.

#include "domain/Platform.h"
#include "domain/files/StepDocument.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/ports/PortMap.h"
#include "domain/ports/SerialPort.h"
#include "domain/system/CrashGuard.h"
#include "domain/system/ThreadCall.h"
#include "domain/system/Timer.h"
#include "domain/ui/BusyPointer.h"
#include "domain/ui/FileDialog.h"
#include "domain/ui/MessageBox.h"
#include "gui/shell/frmControl.h"

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <deque>
#include <memory>

class frmControl;

// The fakes are QObjects only so that they move to the session's thread
// with the session; what the far end or the clock does (loseLink(),
// tick()) then happens there, as with the real port and timer.
class FakeSerialPort : public QObject, public SerialPort
{
public:
    enum class Kind { Open, OpenFailed, Close, Write, WriteFailed, Settings, Discard };
    struct Event
    {
        Kind kind;
        int port;
        QString settings;
        QString text; // for writes
    };

    QSet<int> openablePorts = {1, 2};
    bool failWrites = false;
    // What openFailure() says after an open of a port not in openablePorts.
    QString openFailureText;
    // What closeDelivered() says: false plays a far end that took nothing.
    bool delivers = true;
    // What OutputPendingMs() reports while open; a discard sets it to 0.
    int pendingMs = 0;
    // What a discard reports as dropped; -1: not counted.
    qint64 queuedBytes = -1;
    QList<Event> events;
    // The last port map handed over, and on which thread.
    PortMap portMap;
    QThread *portMapThread = nullptr;

    qint16 CommPort() const override { return m_port; }
    void setCommPort(qint16 port) override { m_port = port; }
    void setPortMap(const PortMap &map) override
    {
        portMap = map;
        portMapThread = QThread::currentThread();
    }
    QString Settings() const override { return m_settings; }
    bool setSettings(const QString &settings) override;
    bool PortOpen() const override { return m_open; }
    bool setPortOpen(bool open) override;
    QString openFailure() const override { return m_openFailed ? openFailureText : QString(); }
    bool closeDelivered() const override { return delivers; }
    bool setOutput(const QString &text) override;
    int OutputPendingMs() const override { return m_open ? pendingMs : 0; }
    bool discardOutput() override;
    qint64 discardedBytes() const override { return m_discarded; }

    // Texts written successfully, in order, each with its CR.
    QStringList writes() const;
    // Writes with their terminators stripped: ":SYST:LOC " rather than ":SYST:LOC \r".
    QStringList commands() const;
    int count(Kind kind) const;
    void clearEvents() { events.clear(); }
    // The far end goes away: the port closes and reports it, as a real one does.
    void loseLink();

private:
    qint16 m_port = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    bool m_open = false;
    qint64 m_discarded = -1;
    bool m_openFailed = false;
};

class FakeTimer : public QObject, public Timer
{
public:
    struct Arm
    {
        int interval;
        bool enabled;
    };
    QList<Arm> history; // every change of Interval or Enabled

    int Interval() const override { return m_interval; }
    void setInterval(int ms) override;
    bool Enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;

    // Delivers one tick as the real timer would, on its thread: only when
    // enabled with a non-zero period. Returns whether it ticked.
    bool tick();
    // Runs on the caller's thread after each tick: a window's harness lets
    // the window hear what the tick said, as the dwell before the next
    // tick would.
    std::function<void()> afterTick;

private:
    int m_interval = 0;
    bool m_enabled = true;
};

class FakeMessageBox : public MessageBox
{
public:
    struct Shown
    {
        QString text;
        Buttons buttons;
        Icon icon;
        QString caption;
        Answer defaultButton;
    };
    QList<Shown> shown;
    std::deque<Answer> answers; // script; when empty the default button answers
    std::function<void(const Shown &)> onShow;

    Answer show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                Answer defaultButton) override;
};

class FakeFileDialog : public FileDialog
{
public:
    struct Call
    {
        bool save;
        QString filter;
        int filterIndex;
        QString fileName;
    };
    QList<Call> calls;
    std::deque<QString> answers;              // script; when empty the dialog is cancelled
    std::function<void(const Call &)> onShow; // while the dialog is "open"

    QString showOpen(const QString &filter, int filterIndex, const QString &fileName) override;
    QString showSave(const QString &filter, int filterIndex, const QString &fileName) override;

private:
    QString answer(bool save, const QString &filter, int filterIndex, const QString &fileName);
};

class FakeBusyPointer : public BusyPointer
{
public:
    QList<bool> changes;
    bool busy = false;
    void setBusy(bool b) override
    {
        busy = b;
        changes.append(b);
    }
};

class FakeCrashGuard : public CrashGuard
{
public:
    QByteArray bytes;  // what a crash would write now
    qintptr port = -1; // and where: the serial port's handle, or the socket
    qintptr socket = -1;
    void setCrashOutput(const QByteArray &b) override { bytes = b; }
    void setCrashPort(qintptr handle, int) override { port = handle; }
    void setCrashSocket(qintptr s, const QByteArray &, int) override { socket = s; }
};

struct FakePlatform
{
    FakeSerialPort port;
    FakeTimer timer;
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeBusyPointer busy;
    FakeCrashGuard crash;

    Platform bundle() { return {&port, &timer, &messages, &files, &busy, &crash}; }
    // The fakes' boxes, dialog, pointer and crash path around a real port
    // and timer.
    Platform bundle(SerialPort &realPort, Timer &realTimer)
    {
        return {&realPort, &realTimer, &messages, &files, &busy, &crash};
    }
};

// A main window on the fakes after a normal start (COM 1 opens), with the
// start-up's events cleared. Remote chosen when asked.
std::unique_ptr<frmControl> startedWindow(FakePlatform &fake, bool remote = false);
// Waits until the session has done what the window asked of it and the
// window has heard everything the session said; false after 5 s.
bool settle(frmControl &window);
// Closes the window as its close box does and waits for the close to go
// through (under Remote it waits for the release): whether it closed.
bool closeAndSettle(frmControl &window);
