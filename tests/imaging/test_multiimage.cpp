// Loading pictures of every supported format, refusing broken files, and
// saving JPEG copies.

#include "imaging/MultiImage.h"
#include "imaging/PostScriptReader.h"
#include "imaging_files.h"

#include <QTemporaryDir>

#include <signal.h>
#include <QtTest>

using namespace wobbin;
using namespace testfiles;

class TestMultiImage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // The quadrant picture came through: size and the three colours in place.
    void CheckQuadrants(const TMultiImage &img, int tolerance)
    {
        QCOMPARE(img.Width(), 64);
        QCOMPARE(img.Height(), 48);
        const QImage &i = img.Image();
        QVERIFY2(Near(i.pixel(8, 8), QColor(255, 0, 0), tolerance), "top-left not red");
        QVERIFY2(Near(i.pixel(56, 40), QColor(0, 0, 255), tolerance), "bottom-right not blue");
        QVERIFY2(Near(i.pixel(56, 8), QColor(0, 200, 0), tolerance), "top-right not green");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Runs first, before anything has started GraphicsMagick.
    void magickLeavesSignalHandlingToTheProgram()
    {
        QList<void (*)(int)> before;
        for (int sig = 1; sig < 32; ++sig) {
            struct sigaction sa = {};
            sigaction(sig, nullptr, &sa);
            before.append(sa.sa_handler);
        }
        EnsureMagickInitialised();
        for (int sig = 1; sig < 32; ++sig) {
            struct sigaction sa = {};
            sigaction(sig, nullptr, &sa);
            QVERIFY2(sa.sa_handler == before.at(sig - 1), qPrintable(QString::number(sig)));
        }
    }

    void readsEveryFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("writer"); // "qt:<fmt>" or "gm:<fmt>"
        QTest::addColumn<QString>("decoder");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("bmp") << "a.bmp" << "qt:bmp" << "bmp" << 0;
        QTest::newRow("png") << "a.png" << "qt:png" << "png" << 0;
        QTest::newRow("jpeg") << "a.jpg" << "qt:jpeg" << "jpeg" << 40;
        QTest::newRow("tiff") << "a.tif" << "qt:tiff" << "tiff" << 0;
        QTest::newRow("webp") << "a.webp" << "qt:webp" << "webp" << 40;
        QTest::newRow("gif") << "a.gif" << "gm:GIF" << "gif" << 10;
        QTest::newRow("tga") << "a.tga" << "gm:TGA" << "tga" << 0;
        QTest::newRow("pcx") << "a.pcx" << "gm:PCX" << "pcx" << 0;
        // Content decides, not the extension.
        QTest::newRow("png named jpg") << "p.jpg" << "qt:png" << "png" << 0;
        QTest::newRow("pcx named dat") << "x.dat" << "gm:PCX" << "pcx" << 0;
    }

    void readsEveryFormat()
    {
        QFETCH(QString, name);
        QFETCH(QString, writer);
        QFETCH(QString, decoder);
        QFETCH(int, tolerance);
        const QString path = Path(name);
        const QByteArray fmt = writer.mid(3).toLatin1();
        const bool written = writer.startsWith(QLatin1String("qt:"))
                                 ? WriteWithQt(Quadrants(), path, fmt.constData())
                                 : WriteWithMagick(Quadrants(), path, fmt.constData());
        QVERIFY2(written, qPrintable(QStringLiteral("cannot write %1").arg(name)));

        TMultiImage img;
        QString error;
        QVERIFY2(img.LoadFromFile(path, &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        QCOMPARE(img.FormatName(), decoder);
        CheckQuadrants(img, tolerance);
    }

    void readsPhotoCd()
    {
        // Photo CD files always hold a fixed set of sizes; the base image is read.
        const QString path = Path("a.pcd");
        QVERIFY(WriteWithMagick(Quadrants(768, 512), path, "PCD"));
        TMultiImage img;
        QString error;
        QVERIFY2(img.LoadFromFile(path, &error), qPrintable(error));
        QCOMPARE(img.FormatName(), QStringLiteral("pcd"));
        // The base resolution, not one of the thumbnails.
        QCOMPARE(img.Width(), 768);
        QCOMPARE(img.Height(), 512);
        QVERIFY(Near(img.Image().pixel(100, 100), QColor(255, 0, 0), 60));
        QVERIFY(Near(img.Image().pixel(700, 450), QColor(0, 0, 255), 60));
    }

    void readsEpsThroughGhostscript()
    {
        const QString path = Path("a.eps");
        QVERIFY(WriteBytes(path, TinyEps()));
        TMultiImage img;
        QString error;
        QVERIFY2(img.LoadFromFile(path, &error), qPrintable(error));
        QCOMPARE(img.FormatName(), QStringLiteral("eps"));
        QCOMPARE(img.Width(), 40);
        QCOMPARE(img.Height(), 30);
        // PostScript's y axis points up: the blue box is bottom right.
        QVERIFY(Near(img.Image().pixel(35, 25), QColor(0, 0, 255)));
        QVERIFY(Near(img.Image().pixel(5, 5), QColor(255, 255, 255)));
    }

    void turnsPhotosAsTheCameraSaysAndMeasuresThemSo()
    {
        // A photo taken upright is stored sideways with an orientation mark;
        // browsers show it turned, so its size is reported turned too.
        const QString path = Path("turned.jpg");
        {
            QImageWriter w(path, "jpeg");
            if (!w.supportsOption(QImageIOHandler::ImageTransformation))
                QSKIP("This JPEG writer cannot mark the orientation");
            w.setTransformation(QImageIOHandler::TransformationRotate90);
            QVERIFY(w.write(Quadrants()));
        }
        TMultiImage img;
        QVERIFY(img.LoadFromFile(path));
        QCOMPARE(img.Width(), 48);
        QCOMPARE(img.Height(), 64);
    }

    void refusesBrokenFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QByteArray jpeg;
        {
            QBuffer b(&jpeg);
            b.open(QIODevice::WriteOnly);
            QImageWriter w(&b, "jpeg");
            QVERIFY(w.write(Quadrants(640, 480)));
        }
        QByteArray png;
        {
            QBuffer b(&png);
            b.open(QIODevice::WriteOnly);
            QVERIFY(Quadrants(640, 480).save(&b, "png"));
        }
        QTest::newRow("truncated jpeg") << "cut.jpg" << jpeg.left(jpeg.size() / 2);
        QTest::newRow("jpeg header only") << "head.jpg" << jpeg.left(300);
        QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 2);
        QTest::newRow("zero bytes") << "empty.png" << QByteArray();
        QTest::newRow("text named png") << "text.png" << QByteArray("This is not a picture.\n");
        QTest::newRow("text named pcx") << "text.pcx" << QByteArray("not a pcx either\n");
        QTest::newRow("text named eps") << "text.eps" << QByteArray("no postscript here\n");
        QTest::newRow("garbage dxf") << "junk.dxf" << QByteArray("\x01\x02garbage\xff\xfe\n0\nLINE\n");
        QTest::newRow("eps that fails")
            << "bad.eps" << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nundefinedop\n");
    }

    void refusesBrokenFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = Path(name);
        QVERIFY(WriteBytes(path, content));

        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(path, &error));
        QVERIFY(img.IsEmpty());
        QCOMPARE(img.Width(), 0);
        QVERIFY2(error.contains(name), qPrintable(error));
        QCOMPARE(img.ErrorText(), error);
    }

    void stopsPostScriptThatNeverEnds()
    {
        const QString path = Path("loop.eps");
        QVERIFY(WriteBytes(path, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n{ } loop\n"));
        SetPostScriptTimeLimit(1500);
        TMultiImage img;
        QString error;
        const bool loaded = img.LoadFromFile(path, &error);
        SetPostScriptTimeLimit(30000);
        QVERIFY(!loaded);
        QVERIFY2(error.contains(QStringLiteral("too long")), qPrintable(error));
        // Ghostscript works as before afterwards.
        QVERIFY(WriteBytes(Path("after.eps"), TinyEps()));
        QVERIFY(img.LoadFromFile(Path("after.eps")));
    }

    void photosOfTodaysCamerasLoad()
    {
        // 36 and 48 megapixels: beyond Qt's default allocation limit, well
        // within what a camera makes.
        QImage big(6000, 6000, QImage::Format_RGB32);
        big.fill(QColor(10, 120, 200));
        QVERIFY(big.save(Path("big.png"), "PNG"));
        TMultiImage img;
        QString error;
        QVERIFY2(img.LoadFromFile(Path("big.png"), &error), qPrintable(error));
        QCOMPARE(img.Width(), 6000);
        QCOMPARE(img.Height(), 6000);
        big = QImage(8000, 6000, QImage::Format_RGB32);
        big.fill(QColor(200, 60, 10));
        QVERIFY(big.save(Path("camera.jpg"), "JPEG", 80));
        big = QImage();
        QVERIFY2(img.LoadFromFile(Path("camera.jpg"), &error), qPrintable(error));
        QCOMPARE(img.Width(), 8000);
        QCOMPARE(img.Height(), 6000);
        QVERIFY(Near(img.Image().pixel(4000, 3000), QColor(200, 60, 10), 8));
    }

    void pictureBombsAreRefusedByTheirSize()
    {
        // A PNG header that claims 100000 x 100000 pixels.
        QByteArray png = ReadBytes(Path("big.png"));
        if (png.isEmpty()) {
            QImage small(8, 8, QImage::Format_RGB32);
            small.fill(Qt::red);
            QVERIFY(small.save(Path("small.png"), "PNG"));
            png = ReadBytes(Path("small.png"));
        }
        QVERIFY(png.size() > 33);
        const auto put32 = [&](int at, quint32 v) {
            png[at] = char(v >> 24);
            png[at + 1] = char(v >> 16);
            png[at + 2] = char(v >> 8);
            png[at + 3] = char(v);
        };
        put32(16, 100000);
        put32(20, 100000);
        // The header's checksum, so that the reader believes it.
        const QByteArray ihdr = png.mid(12, 17);
        quint32 crc = 0xFFFFFFFFu;
        for (char c : ihdr) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        put32(29, ~crc);
        QVERIFY(WriteBytes(Path("bomb.png"), png));
        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(Path("bomb.png"), &error));
        QCOMPARE(error, QStringLiteral("The picture \"bomb.png\" is too large (100000 \u00d7 100000 pixels; "
                                       "at most 64 megapixels can be loaded)."));
    }

    void unreadableFileIsSaidInPlainWords()
    {
        QVERIFY(WriteBytes(Path("words.png"), "This is not a picture.\n"));
        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(Path("words.png"), &error));
        QVERIFY2(error.startsWith(QStringLiteral("The file \"words.png\" is not a picture that can be read")),
                 qPrintable(error));
    }

    void refusesMissingFileAndFolder()
    {
        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(Path("nothere.png"), &error));
        QVERIFY(error.contains(QStringLiteral("does not exist")));
        QVERIFY(!img.LoadFromFile(m_dir.path(), &error));
        QVERIFY(!img.LoadFromFile(QString(), &error));
    }

    void failedLoadForgetsThePreviousPicture()
    {
        const QString good = Path("prev.png");
        QVERIFY(WriteWithQt(Quadrants(), good, "png"));
        const QString bad = Path("prev-bad.png");
        QVERIFY(WriteBytes(bad, "nope"));
        TMultiImage img;
        QVERIFY(img.LoadFromFile(good));
        QVERIFY(!img.LoadFromFile(bad));
        QVERIFY(img.IsEmpty());
        QVERIFY(!img.SaveAsJpeg(Path("prev-out.jpg")));
        QVERIFY(!QFile::exists(Path("prev-out.jpg")));
    }

    void savesJpegAtTheChosenQuality()
    {
        // A noisy picture, so that quality makes a difference in size.
        QImage noise(200, 150, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x) {
                seed = seed * 1103515245u + 12345u;
                noise.setPixel(x, y, seed >> 8);
            }
        const QString src = Path("noise.png");
        QVERIFY(WriteWithQt(noise, src, "png"));

        TMultiImage img;
        QVERIFY(img.LoadFromFile(src));
        img.SetJpegQuality(100);
        QString error;
        QVERIFY2(img.SaveAsJpeg(Path("q100.jpg"), &error), qPrintable(error));
        img.SetJpegQuality(10);
        QVERIFY(img.SaveAsJpeg(Path("q10.jpg")));
        QVERIFY(QFileInfo(Path("q100.jpg")).size() > 2 * QFileInfo(Path("q10.jpg")).size());

        TMultiImage back;
        QVERIFY(back.LoadFromFile(Path("q100.jpg")));
        QCOMPARE(back.FormatName(), QStringLiteral("jpeg"));
        QCOMPARE(back.Width(), 200);
        QCOMPARE(back.Height(), 150);
    }

    void jpegOfATransparentPictureIsOnWhite()
    {
        QImage clear(20, 20, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        const QString src = Path("clear.png");
        QVERIFY(WriteWithQt(clear, src, "png"));
        TMultiImage img;
        QVERIFY(img.LoadFromFile(src));
        img.SetJpegQuality(100);
        QVERIFY(img.SaveAsJpeg(Path("clear.jpg")));
        TMultiImage back;
        QVERIFY(back.LoadFromFile(Path("clear.jpg")));
        QVERIFY(Near(back.Image().pixel(10, 10), QColor(255, 255, 255), 8));
    }

    void failedSaveKeepsTheOldFile()
    {
        TMultiImage img;
        QVERIFY(WriteWithQt(Quadrants(), Path("keep.png"), "png"));
        QVERIFY(img.LoadFromFile(Path("keep.png")));
        QString error;
        QVERIFY(!img.SaveAsJpeg(Path("no/such/folder/x.jpg"), &error));
        QVERIFY(!error.isEmpty());

        // Saving over an existing file replaces it as a whole.
        QVERIFY(WriteBytes(Path("over.jpg"), "old contents"));
        QVERIFY(img.SaveAsJpeg(Path("over.jpg")));
        QVERIFY(ReadBytes(Path("over.jpg")).startsWith("\xFF\xD8"));
    }
};

QTEST_MAIN(TestMultiImage)
#include "test_multiimage.moc"
