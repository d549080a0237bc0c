#include "files/StepFile.h"

#include "files/FileTexts.h"
#include "files/StepFileFormat.h"
#include "files/WholeFile.h"
#include "platform/BusyPointer.h"
#include "platform/AppTitle.h"
#include "platform/MessageBox.h"
#include "steps/StepTableModel.h"

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

bool ReadStepFile(StepTableModel &steps, const QString &path, MessageBox &messages,
                  BusyPointer &busy)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        messages.show(FileTexts::CantOpenFile + path, MessageBox::Buttons::Ok,
                      MessageBox::Icon::None, AppTitle, MessageBox::Answer::Ok);
        return false;
    }
    const BusyScope shown(busy);
    const QByteArray bytes = file.readAll();
    file.close();
    steps.replaceAll(StepFileFormat::parse(bytes));
    return true;
}

bool WriteStepFile(const StepTableModel &steps, const QString &path, MessageBox &messages,
                   BusyPointer &busy)
{
    QString error;
    bool ok = false;
    {
        const BusyScope shown(busy);
        ok = writeWholeFile(path, StepFileFormat::format(steps.rows()), error);
    }
    if (!ok)
        messages.show(error, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation,
                      FileTexts::WindowTitle, MessageBox::Answer::Ok);
    return ok;
}

} // namespace ModTool
