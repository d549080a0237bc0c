#include "files/StepFile.h"

#include "files/FileTexts.h"
#include "files/StepFileFormat.h"
#include "platform/BusyPointer.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

// Writes bytes to a file through a temporary file beside it that replaces
// the old one only once it is complete. A device or pipe cannot be replaced
// that way (and must not be: renaming over /dev/full would remove the
// device), so an existing target that is not a plain file is written
// directly.
bool replaceFile(const QString &path, const QByteArray &bytes, QString &error)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile file(path);
        const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                        && file.write(bytes) == bytes.size() && file.flush();
        error = file.errorString();
        return ok && file.error() == QFileDevice::NoError;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    error = file.errorString();
    file.cancelWriting();
    return false;
}

} // namespace

namespace ModTool {

bool ReadStepFile(frmControl &window, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        window.MsgBox(FileTexts::CantOpenFile + path);
        return false;
    }
    const BusyScope busy(*window.platform().busy);
    const QByteArray bytes = file.readAll();
    file.close();
    window.livData->replaceAll(StepFileFormat::parse(bytes));
    return true;
}

bool WriteStepFile(frmControl &window, const QString &path)
{
    QString error;
    bool ok = false;
    {
        const BusyScope busy(*window.platform().busy);
        ok = replaceFile(path, StepFileFormat::format(window.livData->steps().rows()), error);
    }
    if (!ok)
        window.MsgBox(error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation,
                      Texts::WindowTitle);
    return ok;
}

} // namespace ModTool
