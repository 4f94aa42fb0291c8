// The splash window: its controls, the still picture, the video and the
// fallback from a broken video, the one-second wait, and the start without a
// splash when the companion editor runs.
#include "shell/Application.h"
#include "shell/frmSplash.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMediaPlayer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoWidget>
#include <QtEndian>
#include <QtTest>

using namespace wobbin;

namespace {

void Put32(QByteArray &b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
void Put16(QByteArray &b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
QByteArray Chunk(const char *id, const QByteArray &data)
{
    QByteArray b(id, 4);
    Put32(b, quint32(data.size()));
    b += data;
    if (data.size() % 2)
        b.append('\0');
    return b;
}
QByteArray List(const char *type, const QByteArray &data)
{
    return Chunk("LIST", QByteArray(type, 4) + data);
}

// An uncompressed AVI of `frames` 32 x 32 frames at 10 frames a second.
QByteArray MakeAvi(int frames)
{
    const int w = 32, h = 32, frameSize = w * h * 3;
    QByteArray avih;
    for (quint32 v : {100000u, quint32(frameSize * 10), 0u, 0x10u, quint32(frames), 0u, 1u,
                      quint32(frameSize), quint32(w), quint32(h), 0u, 0u, 0u, 0u})
        Put32(avih, v);
    QByteArray strh("vidsDIB ", 8);
    for (quint32 v : {0u, 0u, 0u, 1u, 10u, 0u, quint32(frames), quint32(frameSize), 0xFFFFFFFFu, 0u})
        Put32(strh, v);
    Put16(strh, 0); Put16(strh, 0); Put16(strh, quint16(w)); Put16(strh, quint16(h));
    QByteArray strf;
    Put32(strf, 40); Put32(strf, quint32(w)); Put32(strf, quint32(h));
    Put16(strf, 1); Put16(strf, 24);
    for (quint32 v : {0u, quint32(frameSize), 0u, 0u, 0u, 0u})
        Put32(strf, v);
    QByteArray movi, idx;
    quint32 offset = 4;
    for (int i = 0; i < frames; ++i) {
        QByteArray pixels(frameSize, char(i * 20));
        const QByteArray c = Chunk("00db", pixels);
        idx += QByteArray("00db", 4);
        Put32(idx, 0x10); Put32(idx, offset); Put32(idx, quint32(frameSize));
        offset += quint32(c.size());
        movi += c;
    }
    const QByteArray hdrl = List("hdrl", Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf)));
    const QByteArray body = QByteArray("AVI ", 4) + hdrl + List("movi", movi) + Chunk("idx1", idx);
    return Chunk("RIFF", body);
}

void WriteFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

struct Seen
{
    bool called = false;
    bool splashVisible = false;
    bool stillVisible = false;
    bool videoVisible = false;
    qint64 elapsed = 0;
};

} // namespace

class TestAppSplash : public QObject
{
    Q_OBJECT

    QWidget *Run(TfrmSplash &splash, const QString &appDir, bool companion, Seen &seen)
    {
        QElapsedTimer t;
        t.start();
        return splash.RunStartup(appDir, companion, [&]() -> QWidget * {
            seen.called = true;
            seen.splashVisible = splash.isVisible();
            seen.stillVisible = splash.imgSplash->isVisible();
            seen.videoVisible = splash.memAVI->isVisible();
            seen.elapsed = t.elapsed();
            auto *w = new QWidget;
            w->setObjectName(QStringLiteral("main"));
            return w;
        });
    }

private Q_SLOTS:
    void controls()
    {
        TfrmSplash splash;
        QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
        QCOMPARE(splash.size(), QSize(464, 283));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(splash.findChild<QLabel *>(QStringLiteral("imgSplash")));
        QCOMPARE(splash.imgSplash->geometry(), QRect(31, 31, 200, 200));
        QCOMPARE(splash.memAVI->geometry(), QRect(31, 31, 200, 200));
        QVERIFY(!splash.memAVI->isEnabled());
        QCOMPARE(splash.findChild<QMediaPlayer *>(QStringLiteral("medAVI")), splash.medAVI);
        QCOMPARE(splash.Label1->text(), QStringLiteral("Wobbin Express"));
        QVERIFY(splash.Label1->font().bold());
        QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 1.07"));
        QVERIFY(!splash.lblNotice->text().isEmpty());
        QVERIFY(!splash.Label2->text().isEmpty());
        QCOMPARE(splash.timWait->interval(), 1000);
        QVERIFY(!splash.timWait->isActive());
        QVERIFY(splash.imgSplash->isHidden());
    }

    void stillPictureThenMainWindow()
    {
        QTemporaryDir dir;
        TfrmSplash splash;
        Seen seen;
        std::unique_ptr<QWidget> main(Run(splash, dir.path(), false, seen));
        QVERIFY(main);
        QVERIFY(seen.called);
        QVERIFY(seen.splashVisible);
        QVERIFY(seen.stillVisible);
        QVERIFY(!seen.videoVisible);
        QVERIFY(seen.elapsed >= 950);  // the one-second wait
        QVERIFY(main->isVisible());
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.SplashWaiting);
        QVERIFY(!splash.VideoFailed());
    }

    void brokenVideoFallsBackToStill()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath(QStringLiteral("splash.avi")), QByteArray("RIFF\x10\0\0\0AVI garbage here", 24));
        TfrmSplash splash;
        Seen seen;
        std::unique_ptr<QWidget> main(Run(splash, dir.path(), false, seen));
        QVERIFY(main);
        QVERIFY(splash.VideoFailed());
        QVERIFY(seen.stillVisible);
        QVERIFY(!seen.videoVisible);
    }

    void videoPlaysOnce()
    {
        QTemporaryDir dir;
        // Any letter case of the name is found.
        WriteFile(dir.filePath(QStringLiteral("Splash.AVI")), MakeAvi(8));
        TfrmSplash splash;
        Seen seen;
        std::unique_ptr<QWidget> main(Run(splash, dir.path(), false, seen));
        QVERIFY(main);
        QVERIFY(seen.called);
        if (splash.VideoFailed())
            QFAIL("the media back end cannot play an uncompressed AVI: run scripts/install-deps.sh "
                  "(GStreamer's good plugins)");
        QVERIFY(splash.VideoPlayed());
        QVERIFY(seen.videoVisible);
        QVERIFY(seen.elapsed >= 1700);  // 0.8 s of video, then one second
    }

    void companionSkipsSplash()
    {
        QTemporaryDir dir;
        TfrmSplash splash;
        Seen seen;
        std::unique_ptr<QWidget> main(Run(splash, dir.path(), true, seen));
        QVERIFY(main);
        QVERIFY(!seen.splashVisible);
        QVERIFY(seen.elapsed >= 950);
    }

    void endingDuringWaitMakesNoMainWindow()
    {
        QTemporaryDir dir;
        TfrmSplash splash;
        Seen seen;
        QTimer::singleShot(200, [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(kTerminateMessage))); });
        QWidget *main = Run(splash, dir.path(), false, seen);
        // A plain QApplication does not know event 1148: nothing happens, the window comes.
        std::unique_ptr<QWidget> owned(main);
        QVERIFY(main);
        QVERIFY(!TerminationRequested());
        // The program's own request ends the wait without a main window.
        TfrmSplash second;
        Seen seen2;
        QTimer::singleShot(200, [] { RequestTermination(); });
        QVERIFY(!Run(second, dir.path(), false, seen2));
        QVERIFY(!seen2.called);
        QVERIFY(TerminationRequested());
    }
};

QTEST_MAIN(TestAppSplash)
#include "test_app_splash.moc"
