// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/files/StepFile.h"

#include "domain/files/FileTexts.h"
#include "domain/files/StepFileFormat.h"
#include "domain/files/WholeFile.h"
#include "domain/steps/StepTableModel.h"
#include "domain/system/RegularFile.h"
#include "domain/ui/AppTitle.h"
#include "domain/ui/BusyPointer.h"
#include "domain/ui/MessageBox.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Shows the busy pointer for as long as it lives.
class BusyScope
{
public:
    explicit BusyScope(BusyPointer &pointer) : m_pointer(pointer) { m_pointer.setBusy(true); }
    ~BusyScope() { m_pointer.setBusy(false); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    BusyPointer &m_pointer;
};

// Reads the whole file, but never more than one byte beyond the limit, so
// that a file that grew after it was opened is caught as well.
QByteArray readUpTo(QFile &file, qint64 limit)
{
    QByteArray bytes;
    bytes.reserve(std::min(file.size(), limit) + 1);
    while (bytes.size() <= limit) {
        const QByteArray chunk = file.read(std::min<qint64>(limit + 1 - bytes.size(), 1 << 20));
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    return bytes;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
}

// "N steps make a file of <size>, more than ...", size already written.
QString tooLarge(qint64 steps, const QString &size)
{
    return QStringLiteral("%1 steps make a file of %2, more than the %3 of a step file the program opens")
        .arg(steps)
        .arg(size, megabytes(ModTool::MaxStepFileBytes));
}

} // namespace

namespace ModTool {

QString tooLargeToOpen(qint64 steps, qint64 bytes)
{
    return bytes <= MaxStepFileBytes ? QString() : tooLarge(steps, megabytes(bytes));
}

QString tooLargeToOpenAtLeast(qint64 steps, qint64 leastBytes)
{
    return leastBytes <= MaxStepFileBytes
               ? QString()
               : tooLarge(steps, QStringLiteral("at least ") + megabytes(leastBytes));
}

bool ReadStepFile(StepTableModel &steps, const QString &path, MessageBox &messages, BusyPointer &busy,
                  QStringList *notes)
{
    QFile file;
    QByteArray bytes;
    if (openRegularFile(file, path, MaxStepFileBytes))
        bytes = readUpTo(file, MaxStepFileBytes);
    if (!file.isOpen() || bytes.size() > MaxStepFileBytes) {
        QString text = FileTexts::CantOpenFile + path;
        // The one reason the file itself cannot tell: it is there, but too large.
        if (const QFileInfo info(path); info.isFile() && info.size() > MaxStepFileBytes)
            text += QStringLiteral("\n\nIt is %1; the program opens step files of up to %2.")
                        .arg(megabytes(info.size()), megabytes(MaxStepFileBytes));
        messages.show(text, MessageBox::Buttons::Ok, MessageBox::Icon::None, AppTitle, MessageBox::Answer::Ok);
        return false;
    }
    file.close();
    const BusyScope shown(busy);
    steps.replaceAll(StepFileFormat::parse(bytes));
    if (notes)
        *notes = StepFileFormat::readingNotes(bytes);
    return true;
}

bool WriteStepFile(const StepTableModel &steps, const QString &path, MessageBox &messages, BusyPointer &busy)
{
    QString error;
    bool ok = false;
    {
        const BusyScope shown(busy);
        const QByteArray bytes = StepFileFormat::format(steps.rows());
        // A file that Open would refuse is no saved program: the old file
        // stays, and the table stays unsaved.
        error = tooLargeToOpen(steps.count(), bytes.size());
        if (!error.isEmpty())
            error += QStringLiteral(". Nothing was written to %1.").arg(path);
        else
            ok = writeWholeFile(path, bytes, error);
    }
    if (!ok)
        messages.show(error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation, FileTexts::WindowTitle,
                      MessageBox::Answer::Ok);
    return ok;
}

} // namespace ModTool
