// Named resources and the sound switch: case-insensitive lookup, missing
// bitmaps that draw nothing, the registered cursors, and PlaySoundRes that
// plays only with General "PlaySounds" exactly "Yes".
#include "pictures/ResourceImages.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "support/AudioServer.h"

#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

class TestAppSkin : public QObject
{
    Q_OBJECT
    wobbin::testing::AudioServer m_audio;

    static bool NoAudioChild() { return qEnvironmentVariableIsSet("WOBBIN_NO_AUDIO_CHILD"); }

private Q_SLOTS:
    void initTestCase()
    {
        SettingsStore().OpenKey(QString(), true);
        SettingsStore().CloseKey();
        if (NoAudioChild())
            return;
        // A real sound server with a null output: sounds really play.
        QString error;
        QVERIFY2(m_audio.Start(&error), qPrintable(error));
    }

    void theEightWaves()
    {
        for (const char *name : {"wavClick1", "wavClick2", "wavShred", "wavGlide", "wavWebTurn",
                                 "wavMate", "wavUpload", "wavWorks"}) {
            const QString n = QString::fromLatin1(name);
            QVERIFY2(!SoundResourcePath(n).isEmpty(), name);
            QCOMPARE(SoundResourcePath(n.toUpper()), SoundResourcePath(n));
        }
        QVERIFY(SoundResourcePath(QStringLiteral("wavNothing")).isEmpty());
    }

    void soundSwitch()
    {
        const QString g = QStringLiteral("General"), k = QStringLiteral("PlaySounds");
        const int start = SoundsPlayedCount();
        WriteSetting(g, k, QStringLiteral("No"));
        PlaySoundRes(QStringLiteral("wavClick1"));
        QCOMPARE(SoundsPlayedCount(), start);
        // Only the exact word counts; the switch is read on every call.
        WriteSetting(g, k, QStringLiteral("yes"));
        PlaySoundRes(QStringLiteral("wavClick1"));
        QCOMPARE(SoundsPlayedCount(), start);
        WriteSetting(g, k, QStringLiteral("Yes"));
        QVERIFY(AudioOutputAvailable());
        PlaySoundRes(QStringLiteral("WAVCLICK2"));
        QCOMPARE(SoundsPlayedCount(), start + 1);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavClick2"));
        QTRY_VERIFY_WITH_TIMEOUT(SoundPlaying(), 5000);
        // A new sound cuts off the playing one; it never blocks.
        PlaySoundRes(QStringLiteral("wavWorks"));
        PlaySoundRes(QStringLiteral("wavShred"));
        QCOMPARE(SoundsPlayedCount(), start + 3);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavShred"));
        QTRY_VERIFY_WITH_TIMEOUT(SoundPlaying(), 5000);
        StopSounds();
        QVERIFY(!SoundPlaying());
        // A missing wave plays nothing and says nothing.
        PlaySoundRes(QStringLiteral("wavMissing"));
        QCOMPARE(SoundsPlayedCount(), start + 3);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavShred"));
        // Without the value, sounds are off until start-up writes "Yes".
        SettingsStore().OpenKey(g, false);
        SettingsStore().DeleteValue(k);
        PlaySoundRes(QStringLiteral("wavGlide"));
        QCOMPARE(SoundsPlayedCount(), start + 3);
    }

    void noAudioDeviceIsNoticedOnce()
    {
        if (NoAudioChild()) {
            // The child run: no server to play on.
            WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
            for (const char *name : {"wavClick1", "wavShred", "wavWorks"})
                PlaySoundRes(QString::fromLatin1(name));
            // The wait is the test: no late complaint of the sound system
            // comes within it.
            QTest::qWait(150);
            std::printf("asked %d, playing %d\n", SoundsPlayedCount(), int(SoundPlaying()));
            return;
        }
        QTemporaryDir runtime;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WOBBIN_NO_AUDIO_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + runtime.filePath(QStringLiteral("none")));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("noAudioDeviceIsNoticedOnce")});
        QVERIFY(child.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(child.readAll());
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(out.contains(QStringLiteral("asked 3, playing 0")), qPrintable(out));
        QCOMPARE(out.count(QStringLiteral("no audio device was found")), 1);
        QVERIFY2(!out.contains(QStringLiteral("No audio device detected")), qPrintable(out));
    }

    void missingBitmapDrawsNothing()
    {
        QLabel label;
        QPixmap before(10, 10);
        before.fill(Qt::red);
        label.setPixmap(before);
        QVERIFY(LoadBitmap(QStringLiteral("No_Such_Bitmap")).isNull());
        QVERIFY(LoadBitmapImage(QStringLiteral("No_Such_Bitmap")).isNull());
        QVERIFY(!ShowBitmap(&label, QStringLiteral("No_Such_Bitmap")));
        QCOMPARE(label.pixmap().toImage(), before.toImage());
        QVERIFY(!ShowBitmap(nullptr, QStringLiteral("Splash")));
    }

    void bitmapsByNameWithoutCase()
    {
        const QStringList names = BitmapNames();
        QVERIFY(!names.isEmpty());
        const QString name = names.first();
        QVERIFY(!LoadBitmap(name.toUpper()).isNull());
        QCOMPARE(LoadBitmapImage(name.toLower()).size(), LoadBitmapImage(name).size());
        QLabel label;
        QVERIFY(ShowBitmap(&label, name.toLower()));
        QVERIFY(!label.pixmap().isNull());
    }

    void registeredCursors()
    {
        QCOMPARE(CursorNameForNumber(5), QStringLiteral("Cursor_Hand"));
        QCOMPARE(CursorNameForNumber(12), QStringLiteral("Hand_Open"));
        QCOMPARE(CursorNameForNumber(13), QStringLiteral("Hand_Closed"));
        QCOMPARE(CursorNameForNumber(6), QString());
        for (int n : {5, 12, 13}) {
            const QCursor c = LoadCursorNumber(n);
            if (CursorResourcePath(CursorNameForNumber(n)).isEmpty())
                QVERIFY(c.shape() != Qt::ArrowCursor);  // the nearest standard hand
            else
                QCOMPARE(c.shape(), Qt::BitmapCursor);
        }
        QCOMPARE(LoadCursorNumber(77).shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestAppSkin)
#include "test_app_skin.moc"
