#include "imaging/PictureLoader.h"

#include "imaging/MultiImage.h"

#include <QThread>

namespace wobbin {

TPictureLoader::TPictureLoader(QObject *parent) : QObject(parent) {}

TPictureLoader::~TPictureLoader() = default;

bool TPictureLoader::Start(const QString &path)
{
    if (m_busy)
        return false;
    m_busy = true;
    auto result = std::make_shared<TPictureLoadResult>();
    result->path = path;
    QThread *thread = QThread::create([result] {
        TMultiImage image;
        QString error;
        result->ok = image.LoadFromFile(result->path, &error);
        result->error = error;
        result->image = image.Image();
        result->format = image.FormatName();
    });
    thread->setObjectName(QStringLiteral("picture loader"));
    // Reported on this object's thread; nothing arrives once it is gone.
    connect(thread, &QThread::finished, this, [this, result] {
        m_busy = false;
        Q_EMIT finished(*result);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return true;
}

bool TPictureLoader::StartPick(const QString &chosenPath, const QString &htmlFolder)
{
    if (m_busy)
        return false;
    m_busy = true;
    auto result = std::make_shared<ImagePickResult>();
    QThread *thread = QThread::create([result, chosenPath, htmlFolder] {
        *result = PickImageFile(chosenPath, htmlFolder);
    });
    thread->setObjectName(QStringLiteral("picture loader"));
    connect(thread, &QThread::finished, this, [this, result] {
        m_busy = false;
        Q_EMIT picked(*result);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return true;
}

} // namespace wobbin
