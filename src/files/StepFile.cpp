#include "files/StepFile.h"

#include "files/FileTexts.h"
#include "files/StepFileFormat.h"
#include "files/WholeFile.h"
#include "platform/BusyPointer.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"

#include <QFile>

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
        ok = writeWholeFile(path, StepFileFormat::format(window.livData->steps().rows()), error);
    }
    if (!ok)
        window.MsgBox(error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation,
                      Texts::WindowTitle);
    return ok;
}

} // namespace ModTool
