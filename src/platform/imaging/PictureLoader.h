#pragma once
// Loads pictures on a thread of their own, so that a slow file (an EPS that
// Ghostscript draws, a large DXF drawing, a big photo) never freezes the
// window. The result arrives on the caller's thread through a signal.
//
//     auto *loader = new wobbin::TPictureLoader(this);
//     connect(loader, &TPictureLoader::picked, this, [](const ImagePickResult &r) { ... });
//     loader->StartPick(chosenPath, htmlFolder);   // instead of PickImageFile(...)
//
// One job at a time per loader: Start and StartPick return false while one
// runs. A loader destroyed while its job runs drops the result; the job ends
// on its own (every decoder has a time or size limit).

#include "imaging/ImagePicker.h"

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>

namespace wobbin {

struct TPictureLoadResult
{
    QString path;
    bool ok = false;
    QString error;   // why it failed, in words
    QImage image;
    QString format;  // as TMultiImage::FormatName
};

class TPictureLoader : public QObject
{
    Q_OBJECT
public:
    explicit TPictureLoader(QObject *parent = nullptr);
    ~TPictureLoader() override;

    // Loads a picture as TMultiImage::LoadFromFile does; finished follows.
    bool Start(const QString &path);
    // Copies, converts and measures a chosen picture as PickImageFile does;
    // picked follows.
    bool StartPick(const QString &chosenPath, const QString &htmlFolder);
    bool IsBusy() const { return m_busy; }

Q_SIGNALS:
    void finished(const wobbin::TPictureLoadResult &result);
    void picked(const wobbin::ImagePickResult &result);

private:
    bool m_busy = false;
};

} // namespace wobbin

Q_DECLARE_METATYPE(wobbin::TPictureLoadResult)
Q_DECLARE_METATYPE(wobbin::ImagePickResult)
