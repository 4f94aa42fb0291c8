#include "publish/UploadRunner.h"

#include <QThread>

namespace wobbin {

TUploadRunner::TUploadRunner(const TUploadPage &page, const TUploadTarget &target, QObject *parent)
    : QObject(parent), m_job(page, target)
{
    // Called on the worker thread; the signals are queued to this object's thread.
    m_job.OnStatus = [this](const QString &text) { Q_EMIT Status(text); };
    m_job.OnProgress = [this](qint64 value, qint64 maximum) { Q_EMIT Progress(value, maximum); };
    m_job.OnFile = [this](const QString &name, qint64 sent, qint64 size) { Q_EMIT FileProgress(name, sent, size); };
}

TUploadRunner::~TUploadRunner()
{
    if (m_thread) {
        m_job.Cancel();
        m_thread->wait();
        delete m_thread;
    }
}

void TUploadRunner::Start()
{
    if (Running())
        return;
    delete m_thread;
    m_thread = QThread::create([this] { m_outcome = m_job.DoUpload(); });
    connect(m_thread, &QThread::finished, this, &TUploadRunner::Finished, Qt::QueuedConnection);
    m_thread->start();
}

void TUploadRunner::Cancel()
{
    m_job.Cancel();
}

bool TUploadRunner::Running() const
{
    return m_thread && m_thread->isRunning();
}

bool TUploadRunner::Wait(int ms)
{
    return !m_thread || m_thread->wait(QDeadlineTimer(ms));
}

} // namespace wobbin
