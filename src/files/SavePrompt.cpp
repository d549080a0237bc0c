#include "files/SavePrompt.h"

#include "shell/Texts.h"
#include "shell/frmControl.h"

bool mayDiscardProgram(frmControl &window, const QString &question)
{
    if (!window.Modified)
        return true;
    switch (window.MsgBox(question, MessageBox::Buttons::YesNoCancel, MessageBox::Icon::None,
                          Texts::WindowTitle, MessageBox::Answer::Yes)) {
    case MessageBox::Answer::No:
        return true;
    case MessageBox::Answer::Yes:
        // Save clears Modified only once the file is written.
        window.mnuSave_Click();
        return !window.Modified;
    default:
        return false;
    }
}
