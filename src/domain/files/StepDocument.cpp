// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// New, Open, Save and Save as, and the document state they keep: Modified,
// the file dialog's name, and the file the title names.
#include "domain/files/StepDocument.h"

#include "domain/files/FileChecksum.h"
#include "domain/files/FileTexts.h"
#include "domain/files/StepFile.h"
#include "domain/ui/FileDialog.h"
#include "domain/ui/MessageBox.h"

#include <QFileInfo>

StepDocument::StepDocument(FileDialog &files, MessageBox &messages, BusyPointer &busy, QObject *parent)
    : QObject(parent), m_files(files), m_messages(messages), m_busy(busy)
{
}

QString StepDocument::title() const
{
    return m_untitled ? FileTexts::untitledCaption() : FileTexts::titlePrefix() + m_fileName;
}

void StepDocument::belongTo(const QString &fileName)
{
    m_untitled = fileName.isEmpty();
    m_fileName = fileName;
    m_fileChecksum = m_untitled ? QString() : fileSha256(fileName);
    emit titleChanged(title());
}

bool StepDocument::mayDiscard(const QString &question)
{
    if (!m_modified)
        return true;
    switch (m_messages.show(question, MessageBox::Buttons::YesNoCancel, MessageBox::Icon::None,
                            FileTexts::WindowTitle, MessageBox::Answer::Yes)) {
    case MessageBox::Answer::No: return true;
    case MessageBox::Answer::Yes:
        // Save clears Modified only once the file is written.
        save();
        return !m_modified;
    default: return false;
    }
}

bool StepDocument::newDocument()
{
    if (!mayDiscard(FileTexts::SaveQuestion))
        return false;
    m_steps.clear();
    belongTo(QString());
    m_modified = false;
    return true;
}

bool StepDocument::open()
{
    if (!mayDiscard(FileTexts::SaveQuestion))
        return false;
    const QString path = m_files.showOpen(FileTexts::DialogFilter, FileTexts::LogFilesFilter, m_dialogFileName);
    if (path.isEmpty())
        return false;
    return open(path);
}

bool StepDocument::open(const QString &path)
{
    m_dialogFileName = path;
    if (!ModTool::ReadStepFile(m_steps, path, m_messages, m_busy))
        return false;
    belongTo(path);
    m_modified = false;
    return true;
}

void StepDocument::save()
{
    if (!m_modified)
        return;
    // Save writes to the file the title names, so it never writes to a file
    // whose open or save failed and that the title therefore does not show.
    if (m_untitled) {
        saveAs();
        return;
    }
    // Another program may have written the file since it was read or saved:
    // what it wrote is not replaced without a word.
    if (changedOnDisk()
        && m_messages.show(FileTexts::changedOnDiskQuestion(m_fileName), MessageBox::Buttons::YesNo,
                           MessageBox::Icon::Exclamation, FileTexts::WindowTitle, MessageBox::Answer::No)
               != MessageBox::Answer::Yes)
        return;
    if (ModTool::WriteStepFile(m_steps, m_fileName, m_messages, m_busy)) {
        m_modified = false;
        m_fileChecksum = fileSha256(m_fileName);
    }
}

void StepDocument::saveAs()
{
    const QString path = m_files.showSave(FileTexts::DialogFilter, FileTexts::LogFilesFilter, m_dialogFileName);
    if (path.isEmpty())
        return;
    m_dialogFileName = path;
    if (!ModTool::WriteStepFile(m_steps, path, m_messages, m_busy))
        return;
    belongTo(path);
    m_modified = false;
}

bool StepDocument::fileOnDiskAsKept() const
{
    return !m_fileChecksum.isEmpty() && QFileInfo(m_fileName).isFile()
           && fileSha256(m_fileName) == m_fileChecksum;
}

bool StepDocument::changedOnDisk() const
{
    // A file removed since holds nothing to lose.
    return !m_fileChecksum.isEmpty() && QFileInfo(m_fileName).isFile() && !fileOnDiskAsKept();
}
