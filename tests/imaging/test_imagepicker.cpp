// Choosing a picture for an Image block: copy into "graphics", conversion to
// JPEG, the stored relative name and the measured size.

#include "imaging/ImagePicker.h"
#include "imaging/MultiImage.h"
#include "imaging_files.h"
#include "support/SmallFileSystem.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace testfiles;

class TestImagePicker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_html;    // the HTML folder
    QString m_outside; // where the user's pictures are

    QString Graphics(const QString &name) const { return m_html + QStringLiteral("/graphics/") + name; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_html = m_dir.filePath("Wobbin/HTMLFiles");
        m_outside = m_dir.filePath("My Pictures");
        QVERIFY(QDir().mkpath(m_html));
        QVERIFY(QDir().mkpath(m_outside));
    }

    void relativePathRule_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("inside the folder")
            << "C:\\Prog\\HTMLFiles\\graphics\\a.jpg" << "C:\\Prog\\HTMLFiles\\shouser" << "graphics\\a.jpg";
        QTest::newRow("case of the letters ignored")
            << "c:\\prog\\htmlfiles\\graphics\\a.jpg" << "C:\\Prog\\HTMLFiles\\shouser" << "graphics\\a.jpg";
        QTest::newRow("beside the folder")
            << "C:\\Prog\\Other\\a.jpg" << "C:\\Prog\\HTMLFiles\\shouser" << "..\\Other\\a.jpg";
        QTest::newRow("two levels up")
            << "C:\\x.gif" << "C:\\Prog\\HTMLFiles\\shouser" << "..\\..\\x.gif";
        QTest::newRow("shared start of a folder name is not shared")
            << "C:\\Prog\\HTMLFilesOld\\a.jpg" << "C:\\Prog\\HTMLFiles\\shouser" << "..\\HTMLFilesOld\\a.jpg";
        QTest::newRow("another drive")
            << "D:\\Pics\\a.jpg" << "C:\\Prog\\HTMLFiles\\shouser" << "D:\\Pics\\a.jpg";
        QTest::newRow("same folder")
            << "C:\\Web\\a.jpg" << "C:\\Web\\shouser" << "a.jpg";
    }

    void relativePathRule()
    {
        QFETCH(QString, target);
        QFETCH(QString, base);
        QFETCH(QString, expected);
        QCOMPARE(RelativePathRule(target, base), expected);
    }

    void graphicsNameDropsSpacesAndCase()
    {
        QCOMPARE(GraphicsFileName(QStringLiteral("/a/b c/Big Photo.BMP")), QStringLiteral("bigphoto.bmp"));
        QCOMPARE(GraphicsFileName(QStringLiteral("/x/ a b .Gif")), QStringLiteral("ab.gif"));
    }

    void bmpIsCopiedAndConverted()
    {
        const QString chosen = m_outside + QStringLiteral("/Big Photo.bmp");
        QVERIFY(WriteWithQt(Quadrants(), chosen, "bmp"));

        const ImagePickResult r = PickImageFile(chosen, m_html);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.error.isEmpty());
        QCOMPARE(r.relativePath, QStringLiteral("graphics\\bigphoto.jpg"));
        QCOMPARE(r.width, QStringLiteral("64"));
        QCOMPARE(r.height, QStringLiteral("48"));
        QCOMPARE(r.targetPath, Graphics("bigphoto.jpg"));
        // The copy in its own format stays beside the JPEG; the original is untouched.
        QCOMPARE(ReadBytes(Graphics("bigphoto.bmp")), ReadBytes(chosen));
        QVERIFY(QFile::exists(chosen));
        TMultiImage jpeg;
        QVERIFY(jpeg.LoadFromFile(Graphics("bigphoto.jpg")));
        QCOMPARE(jpeg.FormatName(), QStringLiteral("jpeg"));
        // Saved at the best quality: colours come through nearly unchanged.
        QVERIFY(Near(jpeg.Image().pixel(8, 8), QColor(255, 0, 0), 12));
        // The name stored in the page finds the file on a case-sensitive disk.
        QVERIFY(QFile::exists(m_html + QLatin1Char('/') + QString(r.relativePath).replace('\\', '/')));
    }

    void gifAndJpegAreKept_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("stored");
        QTest::newRow("gif") << "Logo Small.GIF" << "GIF" << "graphics\\logosmall.gif";
        QTest::newRow("jpg") << "Holiday.JPG" << "JPEG" << "graphics\\holiday.jpg";
    }

    void gifAndJpegAreKept()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, writer);
        QFETCH(QString, stored);
        const QString chosen = m_outside + QLatin1Char('/') + fileName;
        QVERIFY(WriteWithMagick(Quadrants(), chosen, writer.toLatin1().constData()));
        const ImagePickResult r = PickImageFile(chosen, m_html);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.relativePath, stored);
        QCOMPARE(r.width, QStringLiteral("64"));
        // No JPEG copy beside a GIF; the copy is byte for byte the chosen file.
        const QString onDisk = m_html + QLatin1Char('/') + QString(stored).replace('\\', '/');
        QCOMPARE(ReadBytes(onDisk), ReadBytes(chosen));
        QCOMPARE(r.targetPath, onDisk);
    }

    void pngIsConvertedAndReplacesAnOldJpeg()
    {
        QVERIFY(QDir().mkpath(m_html + QStringLiteral("/graphics")));
        QVERIFY(WriteBytes(Graphics("chart.jpg"), "an older picture"));
        const QString chosen = m_outside + QStringLiteral("/Chart.png");
        QVERIFY(WriteWithQt(Quadrants(200, 100), chosen, "png"));
        const ImagePickResult r = PickImageFile(chosen, m_html);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.relativePath, QStringLiteral("graphics\\chart.jpg"));
        QCOMPARE(r.width, QStringLiteral("200"));
        QCOMPARE(r.height, QStringLiteral("100"));
        QVERIFY(ReadBytes(Graphics("chart.jpg")).startsWith("\xFF\xD8"));
        QVERIFY(QFile::exists(Graphics("chart.png")));
    }

    void fileAlreadyAtTheTargetIsNotCopied()
    {
        QVERIFY(QDir().mkpath(m_html + QStringLiteral("/graphics")));
        const QString there = Graphics("already.gif");
        QVERIFY(WriteWithMagick(Quadrants(), there, "GIF"));
        // An hour old: a copy written now would show a new time.
        {
            QFile f(there);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        }
        const QDateTime before = QFileInfo(there).lastModified();
        const QByteArray bytes = ReadBytes(there);

        const ImagePickResult r = PickImageFile(there, m_html);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.relativePath, QStringLiteral("graphics\\already.gif"));
        QCOMPARE(ReadBytes(there), bytes);
        QCOMPARE(QFileInfo(there).lastModified(), before);

        // The same file named another way (through "..") is not copied onto itself.
        const QString roundabout = m_html + QStringLiteral("/graphics/../graphics/already.gif");
        const ImagePickResult again = PickImageFile(roundabout, m_html);
        QVERIFY2(again.ok, qPrintable(again.error));
        QCOMPARE(ReadBytes(there), bytes);
    }

    void unreadableFileChangesNothing()
    {
        QVERIFY(QDir().mkpath(m_html + QStringLiteral("/graphics")));
        // A good picture of the same name is already in use by a page.
        QVERIFY(WriteWithQt(Quadrants(), Graphics("logo.png"), "png"));
        const QByteArray good = ReadBytes(Graphics("logo.png"));
        const QString chosen = m_outside + QStringLiteral("/Logo.png");
        QVERIFY(WriteBytes(chosen, "this is a text file, not a picture\n"));

        const ImagePickResult r = PickImageFile(chosen, m_html);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("Logo.png")), qPrintable(r.error));
        QVERIFY(r.relativePath.isEmpty());
        QVERIFY(r.width.isEmpty() && r.height.isEmpty());
        QCOMPARE(ReadBytes(Graphics("logo.png")), good);
        QVERIFY(!QFile::exists(Graphics("logo.jpg")));

        const ImagePickResult missing = PickImageFile(m_outside + QStringLiteral("/gone.bmp"), m_html);
        QVERIFY(!missing.ok);
        QVERIFY(missing.relativePath.isEmpty());
    }

    void createsGraphicsFolderOrUsesOneInAnotherCase()
    {
        const QString fresh = m_dir.filePath("Fresh/HTMLFiles");
        QVERIFY(QDir().mkpath(fresh));
        const QString chosen = m_outside + QStringLiteral("/dot.png");
        QVERIFY(WriteWithQt(Quadrants(), chosen, "png"));
        ImagePickResult r = PickImageFile(chosen, fresh);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(QFile::exists(fresh + QStringLiteral("/graphics/dot.jpg")));

        const QString upper = m_dir.filePath("Upper/HTMLFiles");
        QVERIFY(QDir().mkpath(upper + QStringLiteral("/Graphics")));
        r = PickImageFile(chosen, upper);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.relativePath, QStringLiteral("graphics\\dot.jpg"));
        QVERIFY(QFile::exists(upper + QStringLiteral("/Graphics/dot.jpg")));
        QVERIFY(!QFileInfo::exists(upper + QStringLiteral("/graphics")));
    }

    void fullOrReadOnlyDiskKeepsTheOldPicture()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QTemporaryDir dir;
        const QString html = dir.filePath("small");
        QString error;
        QVERIFY2(wobbin::testing::MountSmallFileSystem(html, 512, &error), qPrintable(error));
        QVERIFY(QDir().mkpath(html + "/graphics"));
        // The picture chosen before, and a new one of the same name.
        QImage noisy(300, 300, QImage::Format_RGB32);
        for (int y = 0; y < noisy.height(); ++y)
            for (int x = 0; x < noisy.width(); ++x)
                noisy.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x + y * 53) % 256));
        QVERIFY(noisy.save(dir.filePath("photo.png"), "PNG"));
        const ImagePickResult first = PickImageFile(dir.filePath("photo.png"), html);
        QVERIFY2(first.ok, qPrintable(first.error));
        const QByteArray oldJpeg = ReadBytes(html + "/graphics/photo.jpg");
        QVERIFY(!oldJpeg.isEmpty());

        noisy.fill(Qt::red);
        QVERIFY(noisy.save(dir.filePath("photo.png"), "PNG"));
        QVERIFY(wobbin::testing::FillFileSystem(html));
        const ImagePickResult full = PickImageFile(dir.filePath("photo.png"), html);
        QVERIFY(!full.ok);
        QVERIFY2(full.error.endsWith(QStringLiteral("No space left on device")), qPrintable(full.error));
        QCOMPARE(ReadBytes(html + "/graphics/photo.jpg"), oldJpeg);

        // The JPEG writer alone, on a read-only disk.
        TMultiImage image;
        QVERIFY(image.LoadFromFile(dir.filePath("photo.png")));
        QVERIFY2(wobbin::testing::RemountReadOnly(html, &error), qPrintable(error));
        QVERIFY(!image.SaveAsJpeg(html + "/graphics/photo.jpg", &error));
        QCOMPARE(error, QStringLiteral("The JPEG file \"photo.jpg\" cannot be created: Read-only file system"));
        QCOMPARE(ReadBytes(html + "/graphics/photo.jpg"), oldJpeg);
        wobbin::testing::UnmountSmallFileSystem(html);
    }

    void extensionlessNameGetsJpg()
    {
        // A dot in a folder name must not be taken for the extension.
        const QString folder = m_dir.filePath("pics.d");
        QVERIFY(QDir().mkpath(folder));
        const QString chosen = folder + QStringLiteral("/Scan 01");
        QVERIFY(WriteWithQt(Quadrants(), chosen, "png"));
        const QString html = m_dir.filePath("site.v2/HTMLFiles");
        const ImagePickResult r = PickImageFile(chosen, html);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.relativePath, QStringLiteral("graphics\\scan01.jpg"));
        QVERIFY(QFile::exists(html + QStringLiteral("/graphics/scan01.jpg")));
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestImagePicker, QGuiApplication)
#include "test_imagepicker.moc"
