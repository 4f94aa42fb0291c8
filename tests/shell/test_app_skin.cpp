// Named resources and the sound switch: case-insensitive lookup, missing
// bitmaps that draw nothing, the registered cursors, and PlaySoundRes that
// plays only with General "PlaySounds" exactly "Yes".
#include "app/Resources_gfx.h"
#include "app/Settings.h"
#include "app/Skin_gui.h"

#include <QLabel>
#include <QtTest>

using namespace wobbin;

class TestAppSkin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        SettingsStore().OpenKey(QString(), true);
        SettingsStore().CloseKey();
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
        PlaySoundRes(QStringLiteral("WAVCLICK2"));
        QCOMPARE(SoundsPlayedCount(), start + 1);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavClick2"));
        // A new sound cuts off the playing one; it never blocks.
        PlaySoundRes(QStringLiteral("wavWorks"));
        PlaySoundRes(QStringLiteral("wavShred"));
        QCOMPARE(SoundsPlayedCount(), start + 3);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavShred"));
        // A missing wave plays nothing and says nothing.
        PlaySoundRes(QStringLiteral("wavMissing"));
        QCOMPARE(SoundsPlayedCount(), start + 3);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavShred"));
        // Without the value, sounds are off until start-up writes "Yes".
        SettingsStore().OpenKey(g, false);
        SettingsStore().DeleteValue(k);
        PlaySoundRes(QStringLiteral("wavGlide"));
        QCOMPARE(SoundsPlayedCount(), start + 3);
        QTest::qWait(100);  // let the effects load without a device
        StopSounds();
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
        if (names.isEmpty())
            QSKIP("no bitmaps in this build yet");
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
