// The checked file writer on real full and read-only file systems: the old
// file stays byte for byte, the message names the cause, nothing is left
// behind.
#include "base/SafeFile.h"
#include "support/SmallFileSystem.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray OldPage()
{
    QByteArray old;
    for (int i = 0; i < 670; ++i)
        old += char('a' + i % 26);
    return old;
}
} // namespace

class TestBaseSafeFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_mount;

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_mount = m_dir.filePath(QStringLiteral("small"));
    }

    void cleanup()
    {
        if (SmallFileSystemsUnavailable().isEmpty())
            UnmountSmallFileSystem(m_mount);
    }

    void writesAndReplaces()
    {
        const QString path = m_dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(WriteFileSafely(path, "one").ok());
        QVERIFY(WriteFileSafely(path, "two!").ok());
        QCOMPARE(ReadAll(path), QByteArray("two!"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt")});
        // A folder that does not exist: the cause in words.
        const TResult<void> missing = WriteFileSafely(m_dir.filePath(QStringLiteral("no/such/a.txt")), "x");
        QVERIFY(!missing.ok());
        QVERIFY2(missing.error().Text().contains(QStringLiteral("No such file or directory")),
                 qPrintable(missing.error().Text()));
    }

    void fullDiskKeepsTheOldFile()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QString error;
        QVERIFY2(MountSmallFileSystem(m_mount, 64, &error), qPrintable(error));
        const QString page = m_mount + QStringLiteral("/Index.qze");
        QVERIFY(WriteFileSafely(page, OldPage()).ok());
        QVERIFY(FillFileSystem(m_mount));

        // A larger new content: the disk is full.
        const TResult<void> large = WriteFileSafely(page, QByteArray(20000, 'n'));
        QVERIFY(!large.ok());
        QCOMPARE(large.error().Text(), QStringLiteral("No space left on device"));
        QCOMPARE(ReadAll(page), OldPage());
        // A small one, that a write buffer would hide, fails as well.
        const TResult<void> small = WriteFileSafely(page, QByteArray(100, 's'));
        QVERIFY(!small.ok());
        QCOMPARE(small.error().Text(), QStringLiteral("No space left on device"));
        QCOMPARE(ReadAll(page), OldPage());
        // A working copy, which is not forced to the disk, still fails at once.
        const TResult<void> scratch = WriteScratchFile(m_mount + QStringLiteral("/Copy.html"), QByteArray(100, 'c'));
        QVERIFY(!scratch.ok());
        QCOMPARE(scratch.error().Text(), QStringLiteral("No space left on device"));

        // Writers that take a device (pictures) fail the same way.
        TSafeFile picture(m_mount + QStringLiteral("/Index.qze.bmp"));
        QVERIFY(picture.open());
        QImage image(196, 229, QImage::Format_RGB32);
        image.fill(Qt::blue);
        image.save(picture.device(), "BMP");
        QVERIFY(!picture.commit());
        QCOMPARE(picture.errorString(), QStringLiteral("No space left on device"));
        QVERIFY(!QFile::exists(m_mount + QStringLiteral("/Index.qze.bmp")));

        // Nothing is left behind beside the old file.
        QCOMPARE(QDir(m_mount).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral(".filler"), QStringLiteral("Index.qze")}));
    }

    void readOnlyDiskKeepsTheOldFile()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QString error;
        QVERIFY2(MountSmallFileSystem(m_mount, 64, &error), qPrintable(error));
        const QString page = m_mount + QStringLiteral("/Index.qze");
        QVERIFY(WriteFileSafely(page, OldPage()).ok());
        QVERIFY2(RemountReadOnly(m_mount, &error), qPrintable(error));
        const TResult<void> replaced = WriteFileSafely(page, "new");
        QVERIFY(!replaced.ok());
        QCOMPARE(replaced.error().Text(), QStringLiteral("Read-only file system"));
        QCOMPARE(ReadAll(page), OldPage());
        const TResult<void> added = WriteFileSafely(m_mount + QStringLiteral("/New.qze"), "new");
        QVERIFY(!added.ok());
        QCOMPARE(added.error().Text(), QStringLiteral("Read-only file system"));
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestBaseSafeFile, QCoreApplication)
#include "test_base_safefile.moc"
