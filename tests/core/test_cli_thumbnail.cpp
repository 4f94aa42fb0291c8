// --thumbnail run as a file manager runs it: the stored picture or the page
// drawn, fitted to SIZE, and every way the arguments or the files can be wrong.
#include "styles/StyleLibrary.h"
#include "support/PageBytes.h"
#include "support/ProgramRun.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
QByteArray SkyPage()
{
    PageBytes e;
    e.Heading("1 (Largest)", "Hello", 2);
    e.Para("A page about the sky.", 0, 1);
    return testing::SimplePage("Sky", "Sky", 2, e);
}

// The colour in the middle of the picture's top-left corner area.
QColor Corner(const QImage &image)
{
    return image.pixelColor(3, 3);
}
} // namespace

class TestCliThumbnail : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_data;  // a data folder with a style library

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Write(const QString &name, const QByteArray &bytes) const
    {
        if (!testing::WriteBytes(Path(name), bytes))
            qFatal("cannot write %s", qPrintable(name));
        return Path(name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kProgram), "build the wobbin-express target first");
        QVERIFY(m_dir.isValid());
        m_data = Path(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(m_data + QStringLiteral("/HTMLFiles")));
        TStyleChunk sky;
        sky.Name = QStringLiteral("Sky");
        sky.BackColour = 0x00FF0000;  // blue ($00BBGGRR)
        sky.TextColour = 0x00FFFFFF;
        QVERIFY(WriteStyles(m_data + QStringLiteral("/Styles.data"), {sky}).ok());
    }

    void helpListsTheCommand()
    {
        QProcess p;
        p.start(kProgram, {QStringLiteral("--help")});
        QVERIFY(p.waitForFinished(30000));
        const QByteArray out = p.readAllStandardOutput();
        QVERIFY(out.contains("  or:  wobbin-express --thumbnail INPUT OUTPUT SIZE [--data-dir DIR]\n"));
        QVERIFY(out.contains("\n  --thumbnail INPUT OUTPUT SIZE\n                    write the picture"));
    }

    void wrongArgumentsFailWithUsage()
    {
        const QString page = Write(QStringLiteral("usage.qze"), SkyPage());
        const QString out = Path(QStringLiteral("usage.png"));
        const QList<QStringList> cases = {
            {"--thumbnail", page, out},                                  // SIZE missing
            {"--thumbnail=" + page, out, "128"},                         // values must stand apart
            {"--thumbnail", page, out, "128", "extra"},
            {"--thumbnail", page, out, "128", "--out", out},             // not an option of its
            {"--export", page, "--thumbnail", page, out, "128"},
        };
        for (const QStringList &args : cases) {
            const Run r = RunProgram(args);
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains("Usage: wobbin-express"), r.err.constData());
            QVERIFY(!QFile::exists(out));
        }
        for (const char *size : {"0", "-5", "abc", "99999", "12px"}) {
            const Run r = RunProgram({"--thumbnail", page, out, size});
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains("SIZE must be a number"), r.err.constData());
            QVERIFY(!QFile::exists(out));
        }
    }

    void storedPictureIsFittedNeverEnlarged()
    {
        const QString page = Write(QStringLiteral("Stored.qze"), SkyPage());
        QImage stored(196, 229, QImage::Format_RGB32);
        stored.fill(QColor(0, 200, 0));
        QVERIFY(stored.save(page + QStringLiteral(".bmp"), "BMP"));

        const QString out = Path(QStringLiteral("stored.png"));
        QCOMPARE(RunProgram({"--thumbnail", page, out, "128"}).code, 0);
        QImage thumb(out, "PNG");
        QCOMPARE(thumb.size(), QSize(109, 128));
        QCOMPARE(Corner(thumb), QColor(0, 200, 0));

        QCOMPARE(RunProgram({"--thumbnail", page, out, "512"}).code, 0);
        QCOMPARE(QImage(out, "PNG").size(), QSize(196, 229));
    }

    void pageWithoutPictureIsDrawnInItsStyle()
    {
        const QString page = Write(QStringLiteral("Drawn.qze"), SkyPage());
        const QString out = Path(QStringLiteral("drawn.png"));
        QCOMPARE(RunProgram({"--thumbnail", page, out, "256", "--data-dir", m_data}).code, 0);
        QImage thumb(out, "PNG");
        QCOMPARE(thumb.size(), QSize(219, 256));
        QCOMPARE(Corner(thumb), QColor(0, 0, 255));

        // Without the style library, the viewer's own silver background.
        QCOMPARE(RunProgram({"--thumbnail", page, out, "256", "--data-dir", Path(QStringLiteral("nowhere"))}).code, 0);
        QCOMPARE(Corner(QImage(out, "PNG")), QColor(0xc0, 0xc0, 0xc0));

        // Larger sizes are drawn larger, not blown up.
        QCOMPARE(RunProgram({"--thumbnail", page, out, "1024", "--data-dir", m_data}).code, 0);
        QCOMPARE(QImage(out, "PNG").size(), QSize(876, 1024));
    }

    void failuresLeaveTheOutputAlone()
    {
        const QString out = Write(QStringLiteral("kept.png"), "old picture");
        Run r = RunProgram({"--thumbnail", Path(QStringLiteral("missing.qze")), out, "128"});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("missing.qze"));
        const QString notPage = Write(QStringLiteral("notpage.qze"), "Wobbin Express Fil");
        r = RunProgram({"--thumbnail", notPage, out, "128"});
        QCOMPARE(r.code, 2);
        const QString future = Write(QStringLiteral("future.qze"), PageBytes().Header("2.00").Int(0));
        QCOMPARE(RunProgram({"--thumbnail", future, out, "128"}).code, 2);
        QCOMPARE(testing::ReadBytes(out), QByteArray("old picture"));

        const QString page = Write(QStringLiteral("ok.qze"), SkyPage());
        r = RunProgram({"--thumbnail", page, Path(QStringLiteral("no/such/folder/t.png")), "128"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("cannot write"), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCliThumbnail)
#include "test_cli_thumbnail.moc"
