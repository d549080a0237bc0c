// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class QFileDevice;

// Writes a record's rows to its file on a thread of its own, so that the
// thread that plays the steps never waits on the disk. Each row is written
// as soon as the writer wakes for it (microseconds, where the command it
// records takes milliseconds on the line): a program killed at any moment
// leaves the rows of the commands that reached the line.
//
// A row that cannot be written is taken back whole (the file is cut to its
// last whole row) and the writer stops; failure() then says why, in the
// system's words, and later rows are dropped.
class RecordWriter
{
public:
    // file is open for writing and holds whole rows up to wholeSize; it is
    // the writer's until the writer is destroyed.
    RecordWriter(QFileDevice &file, qint64 wholeSize);
    // Writes what is queued, then ends the thread.
    ~RecordWriter();

    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    // Queues one row; never waits for the disk.
    void append(QByteArray row);
    // Waits until every row queued so far is in the file or dropped.
    void drain();
    // Why a row could not be written; empty while every row went through.
    QString failure() const;

    // Writes all of line to file, or cuts file back to wholeSize when it
    // cannot: the system's reason, or empty. wholeSize grows by the line.
    static QString appendWhole(QFileDevice &file, qint64 &wholeSize, const QByteArray &line);

private:
    void work();

    QFileDevice &m_file;
    qint64 m_whole;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;    // a row came, or the end
    std::condition_variable m_drained; // the queue ran empty
    std::deque<QByteArray> m_queue;
    bool m_writing = false; // a row taken from the queue is being written
    bool m_ending = false;
    QString m_failure;
    std::thread m_thread; // last: it starts once the rest is ready
};
