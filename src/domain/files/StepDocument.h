// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepTableModel.h"

#include <QObject>
#include <QString>

class BusyPointer;
class FileDialog;
class MessageBox;

// The step program as a document: the step table itself, whether it
// changed since it was last read or written (Modified), the file it belongs
// to, and the title that names that file or "Untitled.log". New, Open, Save
// and Save as work on the table through the file dialog and the message
// boxes given here. The window's table view shows the document's table.
class StepDocument : public QObject
{
    Q_OBJECT
public:
    StepDocument(FileDialog &files, MessageBox &messages, BusyPointer &busy, QObject *parent = nullptr);

    // The step table: the only copy of the program.
    StepTableModel &steps() { return m_steps; }
    const StepTableModel &steps() const { return m_steps; }

    // Every edit of the table marks the document; only the file commands clear it.
    bool modified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    // The file the document belongs to; empty while it is untitled.
    const QString &fileName() const { return m_fileName; }
    // The SHA-256 of that file as it was read or last written (empty when
    // untitled or unreadable): a record names the file's checksum only while
    // the file on disk still has this one.
    const QString &fileChecksum() const { return m_fileChecksum; }
    // Whether the file on disk still has that checksum.
    bool fileOnDiskAsKept() const;
    // "Tarvel Quorra-7 - <file>" or "Tarvel Quorra-7 - Untitled.log".
    QString title() const;
    // The file dialog's current name, kept across uses.
    const QString &dialogFileName() const { return m_dialogFileName; }

    // Before a command discards a modified program (New, Open, closing the
    // window) it asks whether to save it first, with Yes, No and Cancel.
    // Returns true when the command may go on: the program was not
    // modified, the operator answered No, or answered Yes and the save went
    // through. Cancel, or Yes followed by a save that was cancelled or
    // failed, returns false: the command ends and the program is kept.
    bool mayDiscard(const QString &question);

    // The commands. New and Open return true when the table was replaced.
    bool newDocument();
    bool open();
    // Open once the file is named (the dialog's choice, or a file given at
    // start): asks nothing.
    bool open(const QString &path);
    void save();
    void saveAs();

signals:
    void titleChanged(const QString &title);

private:
    void belongTo(const QString &fileName);
    bool changedOnDisk() const;

    StepTableModel m_steps;
    FileDialog &m_files;
    MessageBox &m_messages;
    BusyPointer &m_busy;
    bool m_modified = false;
    bool m_untitled = false; // true once New made the document untitled
    QString m_fileName;
    QString m_fileChecksum;
    QString m_dialogFileName;
};
