#include "files/StepFile.h"

#include "files/FileTexts.h"
#include "files/StepFileFormat.h"
#include "files/WholeFile.h"
#include "platform/BusyPointer.h"
#include "platform/RegularFile.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"

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

bool ReadStepFile(frmControl &window, const QString &path)
{
    QFile file;
    QByteArray bytes;
    if (openRegularFile(file, path, MaxStepFileBytes))
        bytes = readUpTo(file, MaxStepFileBytes);
    if (!file.isOpen() || bytes.size() > MaxStepFileBytes) {
        window.MsgBox(FileTexts::CantOpenFile + path);
        return false;
    }
    file.close();
    const BusyScope busy(*window.platform().busy);
    window.livData->replaceAll(StepFileFormat::parse(bytes));
    return true;
}

bool WriteStepFile(frmControl &window, const QString &path)
{
    QString error;
    bool ok = false;
    {
        const BusyScope busy(*window.platform().busy);
        ok = writeWholeFile(path, StepFileFormat::format(window.livData->steps().rows()), error);
    }
    if (!ok)
        window.MsgBox(error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation,
                      Texts::WindowTitle);
    return ok;
}

} // namespace ModTool
