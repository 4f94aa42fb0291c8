// EPS pictures drawn by Ghostscript as a hostile file would want them drawn:
// no reading, writing or deleting in the temporary folder, a time limit that
// stops only the program's own child, and loading off the caller's thread.

#include "imaging/MultiImage.h"
#include "imaging/PictureLoader.h"
#include "imaging/PostScriptReader.h"
#include "imaging_files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <signal.h>

using namespace wobbin;
using namespace testfiles;

namespace {

// An EPS that tries to read, list, write, rename and delete files in folder;
// it paints itself green when every attempt failed and red otherwise.
QByteArray HostileEps(const QString &folder)
{
    const QByteArray f = folder.toUtf8();
    return "%!PS-Adobe-3.0 EPSF-3.0\n"
           "%%BoundingBox: 0 0 40 40\n"
           "/ok true def\n"
           "mark { (" + f + "/victim.txt) (r) file 100 string readstring pop pop /ok false def } stopped cleartomark\n"
           // Listing may show the program its own input file, nothing else.
           "mark { (" + f + "/*) { (victim) search { pop pop pop /ok false def } { pop } ifelse } "
           "256 string filenameforall } stopped cleartomark\n"
           "mark { (" + f + "/written.txt) (w) file dup (pwned) writestring closefile /ok false def } stopped cleartomark\n"
           "mark { (" + f + "/delete-me.txt) deletefile /ok false def } stopped cleartomark\n"
           "mark { (" + f + "/victim.txt) (" + f + "/renamed.txt) renamefile /ok false def } stopped cleartomark\n"
           "ok { 0 1 0 setrgbcolor } { 1 0 0 setrgbcolor } ifelse\n"
           "0 0 40 40 rectfill\n"
           "showpage\n";
}

} // namespace

class TestPostScript : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty(),
                 "Ghostscript (gs) is missing: run scripts/install-deps.sh");
    }

    void hostileEpsCannotTouchTheTemporaryFolder()
    {
        const QString temp = QDir::tempPath();
        QVERIFY(WriteBytes(temp + QStringLiteral("/victim.txt"), "secret"));
        QVERIFY(WriteBytes(temp + QStringLiteral("/delete-me.txt"), "keep me"));
        QFile::remove(temp + QStringLiteral("/written.txt"));
        QFile::remove(temp + QStringLiteral("/renamed.txt"));
        const QString eps = m_dir.filePath(QStringLiteral("hostile.eps"));
        QVERIFY(WriteBytes(eps, HostileEps(temp)));

        TMultiImage img;
        QString error;
        QVERIFY2(img.LoadFromFile(eps, &error), qPrintable(error));
        QCOMPARE(img.FormatName(), QStringLiteral("eps"));
        QCOMPARE(img.Width(), 40);
        QVERIFY2(Near(img.Image().pixel(20, 20), QColor(0, 255, 0), 8), "the EPS reached the temporary folder");
        QCOMPARE(ReadBytes(temp + QStringLiteral("/victim.txt")), QByteArray("secret"));
        QCOMPARE(ReadBytes(temp + QStringLiteral("/delete-me.txt")), QByteArray("keep me"));
        QVERIFY(!QFile::exists(temp + QStringLiteral("/written.txt")));
        QVERIFY(!QFile::exists(temp + QStringLiteral("/renamed.txt")));

        // Nor its own home folder or the program's current folder.
        QVERIFY(WriteBytes(m_dir.filePath(QStringLiteral("victim.txt")), "secret"));
        QVERIFY(WriteBytes(m_dir.filePath(QStringLiteral("delete-me.txt")), "keep me"));
        QVERIFY(WriteBytes(eps, HostileEps(m_dir.path())));
        QVERIFY2(img.LoadFromFile(eps, &error), qPrintable(error));
        QVERIFY(Near(img.Image().pixel(20, 20), QColor(0, 255, 0), 8));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("delete-me.txt"))));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("written.txt"))));
    }

    void timeLimitStopsOnlyItsOwnChild()
    {
        // Another Ghostscript of this process that has nothing to do with
        // the picture keeps running.
        QProcess bystander;
        bystander.start(QStandardPaths::findExecutable(QStringLiteral("gs")),
                        {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dNODISPLAY"),
                         QStringLiteral("-dBATCH"), QStringLiteral("-c"), QStringLiteral("{ 1 pop } loop")});
        QVERIFY(bystander.waitForStarted(10000));
        const QString eps = m_dir.filePath(QStringLiteral("loop.eps"));
        QVERIFY(WriteBytes(eps, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n{ } loop\n"));
        SetPostScriptTimeLimit(1500);
        TMultiImage img;
        QString error;
        const bool loaded = img.LoadFromFile(eps, &error);
        SetPostScriptTimeLimit(30000);
        QVERIFY(!loaded);
        QCOMPARE(error, QStringLiteral("\"loop.eps\": The EPS file took too long to draw and was stopped."));
        QTest::qWait(300); // the wait is the test: the bystander is not ended within it
        QCOMPARE(bystander.state(), QProcess::Running);
        bystander.kill();
        bystander.waitForFinished(5000);
        // Drawing works as before afterwards.
        QVERIFY(WriteBytes(m_dir.filePath(QStringLiteral("after.eps")), TinyEps()));
        QVERIFY(img.LoadFromFile(m_dir.filePath(QStringLiteral("after.eps")), &error));
    }

    void absurdBoundingBoxIsRefusedBeforeDrawing()
    {
        const QString eps = m_dir.filePath(QStringLiteral("huge.eps"));
        QVERIFY(WriteBytes(eps, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 9000000 9000000\n"
                                "0 0 9000000 9000000 rectfill showpage\n"));
        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(eps, &error));
        QVERIFY2(error.contains(QStringLiteral("too large")), qPrintable(error)); // not "took too long"
    }

    void loadingRunsOffTheCallersThread()
    {
        // A slow picture: the caller's event loop goes on while it is drawn.
        const QString eps = m_dir.filePath(QStringLiteral("slow.eps"));
        QVERIFY(WriteBytes(eps, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n{ } loop\n"));
        SetPostScriptTimeLimit(1200);
        TPictureLoader loader;
        QSignalSpy done(&loader, &TPictureLoader::finished);
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start(50);
        QVERIFY(loader.Start(eps));
        QVERIFY(loader.IsBusy());
        QVERIFY(done.wait(10000));
        SetPostScriptTimeLimit(30000);
        QCOMPARE(done.count(), 1);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        const TPictureLoadResult r = done.at(0).at(0).value<TPictureLoadResult>();
        QVERIFY(!r.ok);
        QCOMPARE(r.path, eps);
        QVERIFY(r.error.contains(QStringLiteral("too long")));
        QVERIFY(!loader.IsBusy());

        // A good picture arrives with its size.
        QVERIFY(WriteBytes(m_dir.filePath(QStringLiteral("tiny.eps")), TinyEps()));
        QVERIFY(loader.Start(m_dir.filePath(QStringLiteral("tiny.eps"))));
        QVERIFY(done.wait(30000));
        const TPictureLoadResult good = done.at(1).at(0).value<TPictureLoadResult>();
        QVERIFY2(good.ok, qPrintable(good.error));
        QVERIFY(good.image.width() > 0);
    }
};

QTEST_MAIN(TestPostScript)
#include "test_postscript.moc"
