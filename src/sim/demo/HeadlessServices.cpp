#include "demo/HeadlessServices.h"

QString ScriptedFileDialog::showOpen(const QString &filter, int filterIndex, const QString &fileName)
{
    if (!openAnswers.empty()) {
        QString path = openAnswers.front();
        openAnswers.pop_front();
        return path;
    }
    return m_delegate ? m_delegate->showOpen(filter, filterIndex, fileName) : QString();
}

QString ScriptedFileDialog::showSave(const QString &filter, int filterIndex, const QString &fileName)
{
    return m_delegate ? m_delegate->showSave(filter, filterIndex, fileName) : QString();
}
