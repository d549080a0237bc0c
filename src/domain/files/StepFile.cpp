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

} // namespace

namespace ModTool {

bool ReadStepFile(StepTableModel &steps, const QString &path, MessageBox &messages, BusyPointer &busy,
                  QStringList *notes)
{
    QFile file;
    QByteArray bytes;
    if (openRegularFile(file, path, MaxStepFileBytes))
        bytes = readUpTo(file, MaxStepFileBytes);
    if (!file.isOpen() || bytes.size() > MaxStepFileBytes) {
        messages.show(FileTexts::CantOpenFile + path, MessageBox::Buttons::Ok, MessageBox::Icon::None, AppTitle,
                      MessageBox::Answer::Ok);
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
        ok = writeWholeFile(path, StepFileFormat::format(steps.rows()), error);
    }
    if (!ok)
        messages.show(error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation, FileTexts::WindowTitle,
                      MessageBox::Answer::Ok);
    return ok;
}

} // namespace ModTool
