#include "shell/Skin.h"

#include "strings/Resources.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QPointer>
#include <QScreen>
#include <QSoundEffect>
#include <QUrl>

namespace wobbin {

QPixmap LoadBitmap(const QString &name)
{
    qreal ratio = 1.0;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        ratio = qApp->devicePixelRatio();
    if (ratio > 1.0) {
        const QString hi = Bitmap2xResourcePath(name);
        if (!hi.isEmpty()) {
            QPixmap pm(hi);
            if (!pm.isNull()) {
                pm.setDevicePixelRatio(2.0);
                return pm;
            }
        }
    }
    const QString path = BitmapResourcePath(name);
    if (path.isEmpty())
        return QPixmap();
    return QPixmap(path);
}

bool ShowBitmap(QLabel *image, const QString &name)
{
    if (!image)
        return false;
    const QPixmap pm = LoadBitmap(name);
    if (pm.isNull())
        return false;
    image->setPixmap(pm);
    image->update();
    return true;
}

QString CursorNameForNumber(int number)
{
    switch (number) {
    case 5: return QStringLiteral("Cursor_Hand");
    case 12: return QStringLiteral("Hand_Open");
    case 13: return QStringLiteral("Hand_Closed");
    default: return QString();
    }
}

QCursor LoadCursorNumber(int number)
{
    static QHash<int, QCursor> cache;
    const auto it = cache.constFind(number);
    if (it != cache.constEnd())
        return it.value();

    Qt::CursorShape fallback = Qt::ArrowCursor;
    switch (number) {
    case 5: fallback = Qt::PointingHandCursor; break;
    case 12: fallback = Qt::OpenHandCursor; break;
    case 13: fallback = Qt::ClosedHandCursor; break;
    default: break;
    }
    QCursor cursor(fallback);
    const QString name = CursorNameForNumber(number);
    if (!name.isEmpty()) {
        const QString path = CursorResourcePath(name);
        const QPixmap pm = path.isEmpty() ? QPixmap() : QPixmap(path);
        if (!pm.isNull()) {
            QPoint hot = CursorHotSpot(name);
            if (hot.x() >= pm.width() || hot.y() >= pm.height())
                hot = QPoint();
            cursor = QCursor(pm, hot.x(), hot.y());
        }
    }
    cache.insert(number, cursor);
    return cursor;
}

namespace {

struct Player
{
    QHash<QString, QSoundEffect *> effects;  // by lower-case name
    QPointer<QSoundEffect> playing;
    QString last;
    int count = 0;
    int audioChecked = -1;  // -1 not yet asked, 0 no device, 1 a device
};

Player &ThePlayer()
{
    static Player player;
    return player;
}

} // namespace

bool AudioOutputAvailable()
{
    Player &p = ThePlayer();
    if (p.audioChecked < 0) {
        p.audioChecked = QMediaDevices::audioOutputs().isEmpty() ? 0 : 1;
        if (p.audioChecked == 0)
            qInfo("Wobbin Express: no audio device was found; the program plays no sounds.");
    }
    return p.audioChecked == 1;
}

bool SoundPlaying()
{
    const Player &p = ThePlayer();
    return p.playing && p.playing->isPlaying();
}

void PlaySoundRes(const QString &name)
{
    // The switch is read again for every sound, so that a change in the menu
    // (or by another copy of the program) takes effect at once.
    if (ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")) != QLatin1String("Yes"))
        return;
    const QString path = SoundResourcePath(name);
    if (path.isEmpty())
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;

    Player &p = ThePlayer();
    // The sound the program asked for is recorded (and counted) even when
    // there is nothing to play it on.
    p.last = QFileInfo(path).completeBaseName();
    ++p.count;
    // Without an audio device nothing is tried (and nothing said) per sound.
    if (!AudioOutputAvailable())
        return;
    const QString key = name.toLower();
    QSoundEffect *effect = p.effects.value(key);
    if (!effect) {
        effect = new QSoundEffect(app);
        effect->setSource(QUrl(QStringLiteral("qrc") + path));
        effect->setVolume(0.8f);
        p.effects.insert(key, effect);
    }
    if (p.playing && p.playing != effect)
        p.playing->stop();
    effect->stop();
    effect->play();  // plays once loaded
    p.playing = effect;
}

QString LastSoundPlayed()
{
    return ThePlayer().last;
}

int SoundsPlayedCount()
{
    return ThePlayer().count;
}

void StopSounds()
{
    Player &p = ThePlayer();
    if (p.playing)
        p.playing->stop();
}

} // namespace wobbin
