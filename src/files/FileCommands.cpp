// New, Open, Save and Save as, and the document state they keep: Modified,
// the file dialog's name, and the window title, which names the document's
// file or is the untitled caption.
#include "shell/frmControl.h"

#include "files/FileTexts.h"
#include "files/SavePrompt.h"
#include "files/StepFile.h"
#include "platform/FileDialog.h"
#include "shell/Texts.h"
#include "steps/StepListView.h"

namespace {
bool isUntitled(const frmControl &window)
{
    return window.windowTitle() == Texts::untitledCaption();
}

// The file the title names. Save writes there, so it never writes to a file
// whose open or save failed and that the title therefore does not show.
QString titledFile(const frmControl &window)
{
    return window.windowTitle().mid(FileTexts::titlePrefix().size());
}
} // namespace

void frmControl::mnuNew_Click()
{
    if (!mayDiscardProgram(*this, FileTexts::SaveQuestion))
        return;
    livData->clear();
    setWindowTitle(Texts::untitledCaption());
    Modified = false;
    setDataButtons();
}

void frmControl::mnuOpen_Click()
{
    if (!mayDiscardProgram(*this, FileTexts::SaveQuestion))
        return;
    const QString path = m_platform.files->showOpen(FileTexts::DialogFilter,
                                                    FileTexts::LogFilesFilter, CommDialogFileName);
    if (path.isEmpty())
        return;
    OpenStepFile(path);
}

bool frmControl::OpenStepFile(const QString &path)
{
    CommDialogFileName = path;
    if (!ModTool::ReadStepFile(*this, path))
        return false;
    setWindowTitle(FileTexts::titlePrefix() + path);
    setDataButtons();
    Modified = false;
    return true;
}

void frmControl::mnuSave_Click()
{
    if (!Modified)
        return;
    if (isUntitled(*this)) {
        mnuSaveAs_Click();
        return;
    }
    if (ModTool::WriteStepFile(*this, titledFile(*this)))
        Modified = false;
}

void frmControl::mnuSaveAs_Click()
{
    const QString path = m_platform.files->showSave(FileTexts::DialogFilter,
                                                    FileTexts::LogFilesFilter, CommDialogFileName);
    if (path.isEmpty())
        return;
    CommDialogFileName = path;
    if (!ModTool::WriteStepFile(*this, path))
        return;
    setWindowTitle(FileTexts::titlePrefix() + path);
    Modified = false;
}
