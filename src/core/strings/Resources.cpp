#include "strings/Resources.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace wobbin {

namespace {

// One folder of resources: lower-case base name -> resource path.
struct Folder
{
    QHash<QString, QString> byName;
    QHash<QString, QString> byName2x;
    QHash<QString, QString> extra;  // hot spots
    QStringList names;
};

Folder Scan(const QString &dir, const QStringList &suffixes)
{
    Folder f;
    QDirIterator it(dir, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString suffix = info.suffix().toLower();
        QString base = info.completeBaseName();
        if (suffix == QLatin1String("hotspot")) {
            f.extra.insert(base.toLower(), path);
            continue;
        }
        if (!suffixes.contains(suffix))
            continue;
        if (base.endsWith(QLatin1String("@2x"), Qt::CaseInsensitive)) {
            base.chop(3);
            f.byName2x.insert(base.toLower(), path);
            continue;
        }
        f.byName.insert(base.toLower(), path);
        f.names << base;
    }
    f.names.sort(Qt::CaseInsensitive);
    return f;
}

const QStringList kImageSuffixes{QStringLiteral("png"), QStringLiteral("bmp"),
                                 QStringLiteral("gif"), QStringLiteral("jpg")};

const Folder &Bitmaps()
{
    static const Folder f = Scan(QStringLiteral(":/bitmaps"), kImageSuffixes);
    return f;
}
const Folder &Cursors()
{
    static const Folder f = Scan(QStringLiteral(":/cursors"), kImageSuffixes);
    return f;
}
const Folder &Sounds()
{
    static const Folder f = Scan(QStringLiteral(":/sounds"), {QStringLiteral("wav")});
    return f;
}

} // namespace

QString BitmapResourcePath(const QString &name)
{
    return Bitmaps().byName.value(name.toLower());
}

QString Bitmap2xResourcePath(const QString &name)
{
    return Bitmaps().byName2x.value(name.toLower());
}

QString CursorResourcePath(const QString &name)
{
    return Cursors().byName.value(name.toLower());
}

QString SoundResourcePath(const QString &name)
{
    return Sounds().byName.value(name.toLower());
}

QPoint CursorHotSpot(const QString &name)
{
    const QString path = Cursors().extra.value(name.toLower());
    if (path.isEmpty())
        return QPoint();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QPoint();
    const QList<QByteArray> parts = f.readAll().simplified().split(' ');
    if (parts.size() < 2)
        return QPoint();
    bool okX = false, okY = false;
    const int x = parts.at(0).toInt(&okX);
    const int y = parts.at(1).toInt(&okY);
    if (!okX || !okY || x < 0 || y < 0)
        return QPoint();
    return QPoint(x, y);
}

QStringList BitmapNames()
{
    return Bitmaps().names;
}

} // namespace wobbin
