// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class RecordWriter;

// The record of one run: every command sent, one CSV row each (RFC 4180),
// in DIR/quorra-run-YYYYMMDD-HHMMSS.csv with the header
//   time,elapsed_ms,step,command
// time is ISO 8601 with milliseconds and the UTC offset, elapsed_ms counts
// from RUN (negative before it), step is the label of the step whose
// command it is (empty for the others), command is without its CR.
//
// Each row goes to the file as soon as it is recorded, by a writer on a
// thread of its own (RecordWriter), so a crash keeps what went out and a
// slow disk never holds up the caller. Rows before RUN are held until RUN
// is known (their elapsed time needs it), then written at once. A record
// that cannot be written fails once: the first call after the writer found
// it (or finish()) returns false and errorText() says why, in the system's
// words; a row cut short is taken back, so the file ends with a whole row.
// The recorder then stays quiet, so the run goes on without it. A record
// whose file was removed before it was finished fails too.
//
// The step and command cells are text from a file: csvCell() makes them
// harmless to a spreadsheet and a terminal.
//
// Beside it, DIR/quorra-run-YYYYMMDD-HHMMSS.json holds what the rows do not
// say (see RunDetails): written at begin(), completed at finish().
class RunRecorder
{
public:
    using Clock = std::function<QDateTime()>;

    // What the side file of a record holds about its run.
    struct RunDetails
    {
        QString port;
        QString baud;
        QString stepFile;          // absolute path; empty for a program never saved (null in the file)
        QString stepFileSha256;    // of the file as the run read it
        QString stepFileNote = {}; // why the file or its checksum is missing, if it is
    };

    // The clock is monotonic from the recorder's creation unless given.
    explicit RunRecorder(QString directory, Clock clock = {});
    ~RunRecorder();

    // Creates the file (and the directory when missing). The name takes the
    // time of this call; a second record in the same second gets "-2" etc.
    bool begin();
    // RUN: elapsed zero. Writes the rows held until now.
    bool markRun();
    // One command as it went to the port, without its CR.
    bool record(const QString &command, const QString &step = QString());
    // Writes what is held (with an empty elapsed_ms when RUN never came)
    // and closes the file.
    bool finish();
    // Waits until every row recorded so far is in the file; false when the
    // record failed meanwhile.
    bool flush();

    // The run's details, before begin(): with them the side file is kept.
    void setDetails(const RunDetails &details) { m_details = details; }
    // How the run ended ("completed", "stopped", ...) and how many steps the
    // line stretched, before finish().
    void setOutcome(const QString &outcome, qint64 stretchedSteps);
    // The side file of a record: the CSV's path with ".json" for ".csv".
    static QString sideFileFor(const QString &csvPath);

    QString path() const { return m_file.fileName(); }
    QString errorText() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }

    static QString fileNameFor(const QDateTime &at);
    // One CSV field as RFC 4180 writes it.
    static QString csvField(const QString &text);
    // A text cell of the record: a backslash is written "\\" and a control
    // character "\x" and two hex digits ("\x1b"); a text that begins with
    // "=", "+", "-", "@", TAB, CR or an apostrophe, which a spreadsheet would
    // take for a formula (or hide), gets a leading apostrophe; then the
    // field as csvField() writes it. Reading a cell undoes it: the field,
    // then the escapes, then the first apostrophe when one of those
    // characters follows it.
    static QString csvCell(const QString &text);
    // Writes all of bytes to file, however many writes it takes; the
    // system's reason ("No space left on device") when it cannot.
    static QString writeAll(QFileDevice &file, const QByteArray &bytes);
    // "2024-05-01T14:03:07.250+02:00"
    static QString isoTime(const QDateTime &at);

private:
    struct Row
    {
        QDateTime at;
        QString step;
        QString command;
    };
    bool write(const Row &row);
    bool writeWhole(const QByteArray &line);
    // The writer's failure, once, as the record's; true while there is none.
    bool checkWriter();
    // why (the system's words) as the record's failure; true when empty.
    bool wrote(const QString &why);
    bool writeSideFile(bool ended);
    bool fail(const QString &why);

    QString m_directory;
    Clock m_clock;
    QFile m_file;
    std::optional<QDateTime> m_run;
    QList<Row> m_held;
    QString m_error;
    qint64 m_whole = 0;                     // the file's size up to its last whole row, before the writer
    std::unique_ptr<RecordWriter> m_writer; // the file's from the header on
    std::optional<RunDetails> m_details;
    QDateTime m_begun;
    QString m_outcome;
    qint64 m_stretched = -1;
};
