// The record of a run: a CSV file per run of what went to the port.
#include "shell/frmControl.h"

#include "instrument/RunRecorder.h"

#include <QTimer>

void frmControl::beginRunRecord()
{
    m_record.reset();
    if (RecordDirectory.isEmpty())
        return;
    m_record = std::make_unique<RunRecorder>(RecordDirectory);
    const bool begun = m_record->begin();
    m_record->markRun();
    if (!begun)
        reportRecordFailure();
}

void frmControl::endRunRecord()
{
    if (m_record && !m_record->finish())
        reportRecordFailure();
    m_record.reset();
}

void frmControl::recordCommand(const QString &text)
{
    if (m_record && !m_record->record(text, m_recordStep))
        reportRecordFailure();
}

void frmControl::reportRecordFailure()
{
    // Told when the handler that sent the command has finished: the run
    // goes on, without its record.
    const QString text = QStringLiteral("The run's record cannot be written (") + m_record->errorText()
                         + QStringLiteral("). The run goes on without it.");
    QTimer::singleShot(0, this, [this, text] { MsgBox(text); });
}
