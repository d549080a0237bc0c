// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/RecordWriter.h"

#include "domain/instrument/RunRecorder.h"
#include "domain/system/ThreadPriority.h"

#include <QFileDevice>
#include <utility>

RecordWriter::RecordWriter(QFileDevice &file, qint64 wholeSize)
    : m_file(file), m_whole(wholeSize), m_thread([this] { work(); })
{
}

RecordWriter::~RecordWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RecordWriter::append(QByteArray row)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_failure.isEmpty())
            return;
        m_queue.push_back(std::move(row));
    }
    m_wake.notify_one();
}

void RecordWriter::drain()
{
    std::unique_lock lock(m_mutex);
    m_drained.wait(lock, [this] { return m_queue.empty() && !m_writing; });
}

QString RecordWriter::failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void RecordWriter::work()
{
    // At the session's priority, so that a row follows its command at once
    // even on a busy machine (a program killed meanwhile keeps the record
    // equal to the wire); a slow disk makes it sleep, never spin.
    raiseThreadToRealTime();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_ending || !m_queue.empty(); });
        if (m_queue.empty())
            return; // ending, and everything is written
        const QByteArray row = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        lock.unlock();
        const QString why = appendWhole(m_file, m_whole, row);
        lock.lock();
        m_writing = false;
        if (!why.isEmpty()) {
            m_failure = why;
            m_queue.clear();
        }
        if (m_queue.empty())
            m_drained.notify_all();
    }
}

QString RecordWriter::appendWhole(QFileDevice &file, qint64 &wholeSize, const QByteArray &line)
{
    const QString why = RunRecorder::writeAll(file, line);
    if (why.isEmpty()) {
        wholeSize += line.size();
        return {};
    }
    // Whatever part of the row got through is taken back: the record ends
    // with its last whole row (shortening a file needs no room).
    if (file.size() != wholeSize && !file.resize(wholeSize))
        return why + QStringLiteral("; its last row is cut short");
    return why;
}
