#include "demo/HeadlessServices.h"

MessageBox::Answer ConsoleMessageBox::show(const QString &text, Buttons, Icon,
                                           const QString &caption, Answer defaultButton)
{
    // The program joins a message's lines with a lone CR.
    QString line = caption + QStringLiteral(": ") + text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    shown.append(line);
    if (m_sink)
        m_sink(line);
    return defaultButton;
}

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
