#pragma once
// Runs an upload on a worker thread of its own, so that the window that shows
// it keeps repainting and its Cancel is seen at once. Status lines, progress
// and the end arrive as signals on the thread that owns the runner.

#include "publish/Upload.h"

#include <QObject>

class QThread;

namespace wobbin {

class TUploadRunner : public QObject
{
    Q_OBJECT
public:
    TUploadRunner(const TUploadPage &page, const TUploadTarget &target, QObject *parent = nullptr);
    // Cancels a running upload and waits for its thread.
    ~TUploadRunner() override;

    TUploadJob &Job() { return m_job; }
    // Starts DoUpload on the worker thread (again after a NeedsTrust outcome).
    void Start();
    // Stops the running upload at once (Finished follows).
    void Cancel();
    bool Running() const;
    // Blocks until the worker is done (Finished is still delivered later).
    bool Wait(int ms);
    TUploadOutcome Outcome() const { return m_outcome; }

Q_SIGNALS:
    void Status(const QString &text);
    void Progress(qint64 value, qint64 maximum);
    void FileProgress(const QString &name, qint64 sent, qint64 size);
    void Finished();

private:
    TUploadJob m_job;
    TUploadOutcome m_outcome;
    QThread *m_thread = nullptr;
};

} // namespace wobbin
