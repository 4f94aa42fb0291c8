// The command-line face run as a program: --export of hand-made page files.
#include "styles/StyleLibrary.h"
#include "support/PageBytes.h"
#include "support/ProgramRun.h"
#include "support/SmallFileSystem.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
// Whole-page HTML for a page titled "Caf\xe9" holding the given body lines.
QByteArray Expected(const QByteArray &body, const QByteArray &bodyTag = "<BODY>")
{
    return "<HTML>\r\n<HEAD>\r\n<TITLE>Caf\xe9</TITLE>\r\n"
           "<META NAME=\"Generator\" CONTENT=\"Wobbin Express V1.0 (Win95)\">\r\n"
           "<META NAME=\"Description\" CONTENT=\"Wobbin Express Document\">\r\n"
           "</HEAD>\r\n" + bodyTag + "\r\n" + body
        + "<CENTER><BR><BR><A HREF=\"http://www.wobbinexpress.com/\"><IMG SRC=\"graphics/button.gif\"></A></CENTER>\r\n"
          "</BODY>\r\n</HTML>\r\n";
}

QByteArray GoodPage()
{
    PageBytes e;
    e.Heading("2 (Larger)", "Welcome", 2);
    e.Para("one\r\ntwo", 0, 1);
    e.Line("50", "3 (Thin)");
    return testing::SimplePage("Sky", "Caf\xe9", 3, e);
}
const QByteArray kGoodBody = "<H2 ALIGN=Center>Welcome</H2>\r\n\r\n"
                             "one<BR>\r\ntwo<BR>\r\n\r\n"
                             "<HR WIDTH=50% SIZE=3>\r\n\r\n";
} // namespace

class TestCliExport : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!testing::WriteBytes(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kProgram), "build the wobbin-express target first");
        QVERIFY(m_dir.isValid());
    }

    void versionAndHelp()
    {
        Run r = RunProgram({"--version"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("Wobbin Express Version 1.07\n"));
        r = RunProgram({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("--export PAGE [--out FILE]"));
        QVERIFY(r.err.isEmpty());
    }

    void unknownOptionsFailWithUsage()
    {
        for (const QStringList &args : {QStringList{"--frobnicate"}, QStringList{"--export", "a.qze", "--frob=1"},
                                        QStringList{"-x", "page.qze"}, QStringList{"one.qze", "two.qze"},
                                        QStringList{"--version=2"}}) {
            const Run r = RunProgram(args);
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.startsWith("wobbin-express: "), r.err.constData());
            QVERIFY(r.err.contains("Usage: wobbin-express"));
            QVERIFY(r.out.isEmpty());
        }
        const Run named = RunProgram({"--frobnicate"});
        QVERIFY(named.err.contains("unknown option \"--frobnicate\""));
    }

    void exportToStandardOutput()
    {
        const QString page = Write("Good.qze", GoodPage());
        const Run r = RunProgram({"--export", page});
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, Expected(kGoodBody));
    }

    void exportToFile()
    {
        const QString page = Write("Good2.qzt", GoodPage());
        const QString out = m_dir.filePath("out.html");
        QVERIFY(testing::WriteBytes(out, "old contents"));
        const Run r = RunProgram({"--export", page, "--out", out});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(testing::ReadBytes(out), Expected(kGoodBody));
        // Unwritable output: exit 1, the message names the file.
        const QString bad = m_dir.filePath("no/such/dir/out.html");
        const Run w = RunProgram({"--export", page, "--out", bad});
        QCOMPARE(w.code, 1);
        QVERIFY(w.err.contains(bad.toLocal8Bit()));
    }

    void exportToAFullOrReadOnlyDisk()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        const QString page = Write("Full.qze", GoodPage());
        const QString mount = m_dir.filePath("small");
        QString error;
        QVERIFY2(testing::MountSmallFileSystem(mount, 64, &error), qPrintable(error));
        const QString out = mount + "/page.html";
        const QByteArray old(670, 'o');
        QVERIFY(testing::WriteBytes(out, old));
        QVERIFY(testing::FillFileSystem(mount));
        Run r = RunProgram({"--export", page, "--out", out});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, ("wobbin-express: " + out + ": cannot write: No space left on device\n").toLocal8Bit());
        QCOMPARE(testing::ReadBytes(out), old);

        QVERIFY2(testing::RemountReadOnly(mount, &error), qPrintable(error));
        r = RunProgram({"--export", page, "--out", out});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, ("wobbin-express: " + out + ": cannot write: Read-only file system\n").toLocal8Bit());
        QCOMPARE(testing::ReadBytes(out), old);
        testing::UnmountSmallFileSystem(mount);
    }

    void damagedPagesStillGiveTheirBlocks()
    {
        PageBytes e;
        e.Para("kept").Int(9).Para("lost");
        const QString page = Write("Damaged.qze", testing::SimplePage("", "Caf\xe9", 3, e));
        Run r = RunProgram({"--export", page});
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, Expected("kept\r\n"));
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.err.contains(page.toLocal8Bit()));
        QVERIFY(r.err.contains("1 block read"));

        QByteArray cut = GoodPage();
        cut.truncate(cut.size() - 38 - 5); // inside the line block
        const QString truncated = Write("Cut.qze", cut);
        r = RunProgram({"--export", truncated});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("truncated in block 3 (2 blocks read)"));
        QVERIFY(r.out.startsWith("<HTML>"));
        QVERIFY(r.out.contains("one<BR>\r\ntwo"));
        QVERIFY(!r.out.contains("<HR"));
    }

    void wrongFiles()
    {
        const QString text = Write("Text.qze", "Hello, this is not a page file.");
        Run r = RunProgram({"--export", text});
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("not a Wobbin Express page file"));
        QVERIFY(r.err.contains(text.toLocal8Bit()));

        QByteArray v2 = GoodPage();
        v2.replace(19, 4, "2.00");
        r = RunProgram({"--export", Write("V2.qze", v2)});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("version 2.00"));
        QVERIFY(r.out.isEmpty());

        r = RunProgram({"--export", m_dir.filePath("Missing.qze")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("Missing.qze"));

        r = RunProgram({"--export"});
        QCOMPARE(r.code, 1);
        QVERIFY(!r.err.isEmpty());
        r = RunProgram({"--out", m_dir.filePath("x.html")});
        QCOMPARE(r.code, 1);
    }

    void storedStyleGivesTheBodyTag()
    {
        // A copy of the program with a style library beside it.
        QTemporaryDir install;
        const QString copy = install.filePath("wobbin-express");
        QVERIFY(QFile::copy(kProgram, copy));
        QVERIFY(QFile::setPermissions(copy, QFile::permissions(kProgram)));
        TStyleChunk sky;
        sky.Name = QStringLiteral("Sky");
        sky.Image = QStringLiteral("backgrnd\\Stars.GIF");
        sky.TextColour = 0x00FFFFFF;
        QVERIFY(WriteStyles(install.filePath("Styles.data"), StyleList{sky}).ok());
        const QString page = Write("Styled.qze", GoodPage());
        const Run r = RunProgram({"--export", page}, copy);
        QCOMPARE(r.code, 0);
        const QByteArray tag = BodyTagForEntry(StyleList{sky}, 1).toLatin1();
        QVERIFY(tag.startsWith("<BODY BACKGROUND=\"backgrnd/stars.gif\""));
        QCOMPARE(r.out, Expected(kGoodBody, tag));

        // The same library named with --data-dir, for the program where it is.
        const Run d = RunProgram({"--data-dir", install.path(), "--export", page});
        QCOMPARE(d.code, 0);
        QCOMPARE(d.out, Expected(kGoodBody, tag));
        const Run e = RunProgram({"--export=" + page, "--data-dir=" + install.path()});
        QCOMPARE(e.out, Expected(kGoodBody, tag));
        // A folder without the style leaves the bare BODY tag.
        const Run bare = RunProgram({"--export", page, "--data-dir", m_dir.path()});
        QCOMPARE(bare.code, 0);
        QCOMPARE(bare.out, Expected(kGoodBody));
        // A library damaged before the page's style: said, and exit 2.
        QFile styles(install.filePath("Styles.data"));
        QVERIFY(styles.resize(6));
        const Run damaged = RunProgram({"--export", page, "--data-dir", install.path()});
        QCOMPARE(damaged.code, 2);
        QCOMPARE(damaged.out, Expected(kGoodBody));
        QVERIFY2(damaged.err.contains("Styles.data is damaged"), damaged.err.constData());
        // Stray arguments with --export are refused.
        QCOMPARE(RunProgram({"--export", page, "extra.qze"}).code, 1);
        QCOMPARE(RunProgram({"--export", page, "--data-dir"}).code, 1);
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestCliExport, QCoreApplication)
#include "test_cli_export.moc"
