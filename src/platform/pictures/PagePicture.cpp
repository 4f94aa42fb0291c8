#include "pictures/PagePicture.h"

#include <QBuffer>

namespace wobbin {

QByteArray PagePictureBytes(const QImage &picture)
{
    if (picture.isNull())
        return QByteArray();
    QImage scaled = picture;
    if (scaled.size() != QSize(kPagePictureWidth, kPagePictureHeight))
        scaled = picture.scaled(kPagePictureWidth, kPagePictureHeight, Qt::IgnoreAspectRatio,
                                Qt::SmoothTransformation);
    if (scaled.hasAlphaChannel() || scaled.format() != QImage::Format_RGB32)
        scaled = scaled.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!scaled.save(&buffer, "BMP"))
        return QByteArray();
    return bytes;
}

TResult<void> WritePageFile(const QString &fileName, const TPageDocument &doc, const QString &styleName,
                            const QImage &picture)
{
    return WritePageFile(fileName, doc, styleName, PagePictureBytes(picture));
}

} // namespace wobbin
