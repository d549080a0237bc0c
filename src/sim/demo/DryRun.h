// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/Platform.h"
#include "domain/ports/QtSerialPort.h"
#include "domain/ui/TextMessages.h"
#include "sim/demo/HeadlessServices.h"
#include "sim/demo/WindowDriver.h"
#include "sim/source/SourceLink.h"
#include "sim/source/VirtualTimer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class frmControl;
class QTextStream;

// What the operator chooses before RUN.
struct PlayOptions
{
    RunChoice run;
    std::optional<double> limitSeconds; // STOP after this long (a Continuous run gets 60 s)
    QString baud;                       // a baud-rate list entry; empty keeps 9600
};

// A run of the main window against the virtual source, without a screen
// and on a virtual clock: the window's sequencer timer ticks at exactly its
// periods, the commands travel through the window's real serial code to the
// virtual source over a pseudo-terminal, and the source times each byte by
// the line settings the window set. A run of minutes plays in an instant.
class DryRun
{
public:
    // One line of the transcript: a line the source received (at its
    // arrival), or a note about what the program did (at that moment).
    struct Entry
    {
        enum class Kind { Received, Error, Note };
        double ms = 0.0;
        Kind kind = Kind::Received;
        QString text;
    };

    struct Result
    {
        QList<Entry> transcript; // in time order
        QList<StretchedStep> stretched;
        qint64 heldCount = 0; // steps the program held past their dwell for the line
        int errorCount = 0;
        double runMs = 0.0;      // RUN pressed
        double stopMs = 0.0;     // "Now Stop"
        double lastLineMs = 0.0; // the last byte arrived
        QString ending;          // how the run ended, when not by itself
        bool refused = false;    // RUN started no run (its message is among messages)
        QStringList messages;    // message boxes the program showed
    };

    // Sets up the cable, maps COM 1 to it (COM 2 to nothing) and starts the
    // main window. ready() tells whether that worked.
    DryRun();
    ~DryRun();

    bool ready() const;
    QString errorText() const;
    frmControl &window() { return *m_window; }
    SourceLink &link() { return m_link; }
    // The message boxes the program has shown so far, as "caption: text".
    QStringList messages() const { return m_messages.shown; }

    // File > Open of a step file.
    void load(const QString &path);

    // Chooses the baud rate, Remote and the run mode, presses RUN and lets
    // the virtual time pass until the run ends, or presses STOP at the limit.
    Result play(const PlayOptions &options);

    static void print(QTextStream &out, const Result &result);

private:
    void advanceTo(double ms);
    void pauseUntilLineIsIdle();
    void note(const QString &text);

    double m_clock = 0.0;
    SourceLink m_link;
    QtSerialPort m_port;
    VirtualTimer m_timer;
    TextMessages m_messages;
    ScriptedFileDialog m_files;
    NoBusyPointer m_busy;
    std::unique_ptr<frmControl> m_window;
    QList<Entry> m_entries;
    QString m_error;
};

// The command-line dry run of quorra-demo: loads the file, plays it, prints
// the transcript. Returns the exit status: 0 fine, 1 the source reported
// errors, 2 the file gave no steps or the cable could not be set up.
int runDryRun(const QString &path, const PlayOptions &options, QTextStream &out);
