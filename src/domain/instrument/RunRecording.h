// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/instrument/RunRecorder.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class RunController;
class RunRecorder;
class SerialLink;
class StepTableModel;

// What a run's outcome adds when STOP dropped commands that had not left
// (their rows are in the record): empty when none were, or none counted.
QString droppedClause(qint64 droppedBytes);

// Keeps the record of what a link sends (RunRecorder): every command the
// link writes, labelled with the step whose commands are going out, with
// elapsed zero at RUN. The window keeps one record per run (from RUN to
// the run's end); the run without a window keeps one record from its
// first command to its last (begin() and finish()).
class RunRecording : public QObject
{
    Q_OBJECT
public:
    RunRecording(SerialLink &link, RunController &run, const StepTableModel &steps, QObject *parent = nullptr);
    ~RunRecording() override;

    // Where records go; empty: none are kept.
    void setDirectory(const QString &directory) { m_directory = directory; }
    const QString &directory() const { return m_directory; }
    // Each RUN begins its own record, and the run's end closes it.
    void setRecordEachRun(bool each) { m_eachRun = each; }

    // What the record's side file says about the run (port, baud, step
    // file); without them no side file is written.
    void setDetails(const RunRecorder::RunDetails &details) { m_details = details; }
    // How the run ended, for the side file; before finish().
    void setOutcome(const QString &outcome, qint64 stretchedSteps);

    // Begins a record now: commands before RUN get negative elapsed times.
    // Does nothing without a directory.
    void begin();
    // Closes the record.
    void finish();
    // A run of the window ended by the program's close, which released the
    // instrument (the output off, local operation): its record says so and
    // is closed. Does nothing outside such a run.
    void endByRelease(bool offDelivered);
    // The file of the current or last record; empty when none was begun.
    const QString &path() const { return m_path; }
    // Why the current or last record is incomplete or was never made;
    // empty while it holds every command.
    const QString &failure() const { return m_failure; }

signals:
    // A record cannot be written; the run goes on without it. Raised once
    // per record, inside the handler that sent the command.
    void failed(const QString &message);

private:
    void record(const QString &command);
    void check(bool ok);

    const RunController &m_run;
    const StepTableModel &m_steps;
    QString m_directory;
    bool m_eachRun = false;
    std::unique_ptr<RunRecorder> m_recorder;
    QString m_path;
    std::optional<RunRecorder::RunDetails> m_details;
    QString m_failure;
    QString m_step; // the label of the step whose commands are going out
};
