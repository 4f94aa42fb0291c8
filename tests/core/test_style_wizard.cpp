// The style wizard without its window: the sample page text, the library
// file it writes (also on a full and on a read-only file system), the page
// flow with Add, Modify and Delete, the list operations, names used twice,
// and the background picture copied into the HTML folder.

#include "support/FileTree.h"
#include "support/ResultCheck.h"
#include "base/Paths.h"
#include "styles/StyleBackground.h"
#include "styles/StyleLibrary.h"
#include "styles/StyleSample.h"
#include "styles/StyleWizard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

QByteArray Int32(std::int32_t v)
{
    QByteArray b(4, '\0');
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[i] = char((u >> (8 * i)) & 0xFF);
    return b;
}

QByteArray PStr(const QByteArray &text)
{
    return Int32(std::int32_t(text.size()) - 1) + text;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TStyleChunk Named(const QString &name)
{
    TStyleChunk s = ClearedStyle();
    s.Name = name;
    return s;
}

StyleList ThreeStyles()
{
    return {Named(QStringLiteral("Garden")), Named(QStringLiteral("Ocean")), Named(QStringLiteral("Night"))};
}

// ---- the full and read-only file system, run inside a private mount
// namespace (see fullAndReadOnlyFileSystem)

int Fail(const char *what, const QString &detail = QString())
{
    std::printf("FAIL %s %s\n", what, qPrintable(detail));
    return 1;
}

int FileSystemChild(const char *folder)
{
    const QString dir = QString::fromLocal8Bit(folder);
    if (::mount("tmpfs", folder, "tmpfs", 0, "size=64k") != 0)
        return Fail("mount", QString::fromLocal8Bit(std::strerror(errno)));

    const StyleList old = {Named(QStringLiteral("Kept"))};
    QString error;
    if (!testing::Succeeds(WriteStylesToFile(dir, old), &error))
        return Fail("first write", error);
    const QString library = StylesFilePath(dir);
    const QByteArray oldBytes = ReadAll(library);

    // Fill the file system to the last byte.
    {
        QFile filler(QDir(dir).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Fail("filler");
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
    }
    StyleList many;
    for (int i = 0; i < 100; ++i)
        many << Named(QStringLiteral("Style number %1 with a long name").arg(i));
    error.clear();
    if (testing::Succeeds(WriteStylesToFile(dir, many), &error))
        return Fail("write on a full disk reported success");
    std::printf("FULL %s\n", qPrintable(error));
    if (ReadAll(library) != oldBytes)
        return Fail("old library changed on a full disk");
    const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (left != QStringList({QStringLiteral("Styles.data"), QStringLiteral("filler")}))
        return Fail("files left behind", left.join(QLatin1Char(',')));

    // Room again: the same write goes through.
    QFile::remove(QDir(dir).filePath(QStringLiteral("filler")));
    if (!testing::Succeeds(WriteStylesToFile(dir, many), &error) || LoadStyles(library) != many)
        return Fail("write after making room", error);

    // Read-only: refused with its cause, the library stays.
    const QByteArray manyBytes = ReadAll(library);
    if (::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return Fail("remount", QString::fromLocal8Bit(std::strerror(errno)));
    error.clear();
    if (testing::Succeeds(WriteStylesToFile(dir, old), &error))
        return Fail("write on a read-only file system reported success");
    std::printf("READONLY %s\n", qPrintable(error));
    if (ReadAll(library) != manyBytes)
        return Fail("library changed on a read-only file system");
    std::printf("DONE\n");
    return 0;
}

} // namespace

class TestStyleWizardCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sampleTextByteForByte()
    {
        const QString expected = QStringLiteral(
            "<HTML>\r\n"
            "<BODY BGCOLOR=\"C0C0C0\" TEXT=\"000000\" LINK=\"0000FF\" ALINK=\"FF0000\" VLINK=\"FF00FF\">\r\n"
            "<CENTER><BOLD>\r\n"
            "<P><BR><FONT COLOR=\"000000\"> Document Text </FONT>\r\n"
            "<P> <FONT COLOR=\"0000FF\"> Standard Link </FONT>\r\n"
            "<P> <FONT COLOR=\"FF0000\"> Active Link </FONT>\r\n"
            "<P> <FONT COLOR=\"FF00FF\"> Visited Link </FONT>\r\n"
            "</CENTER></BOLD>\r\n"
            "</BODY>\r\n"
            "</HTML>");
        QCOMPARE(CreateStyleSampleHTML(ClearedStyle()), expected);

        // The image text goes in unchanged (case and backslash kept); the
        // colours have no "#"; the words are the ones given.
        TStyleChunk s;
        s.Image = QStringLiteral("backgrnd\\Stars.GIF");
        s.BackColour = 0x00123456;
        s.TextColour = 0x80000005;   // system colour: high byte dropped
        s.LinkColour = 0x00FF0000;
        s.ActiveColour = 0x000000FF;
        s.VisitedColour = 0x00800080;
        TStyleSampleWords words;
        words.DocumentText = QStringLiteral("Texte");
        words.StandardLink = QStringLiteral("Lien");
        words.ActiveLink = QStringLiteral("Actif");
        words.VisitedLink = QStringLiteral("Visit\u00e9");
        const QString withImage = CreateStyleSampleHTML(s, words);
        const QStringList lines = withImage.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.at(1), QStringLiteral("<BODY BACKGROUND=\"backgrnd\\Stars.GIF\" BGCOLOR=\"563412\" "
                                             "TEXT=\"050000\" LINK=\"0000FF\" ALINK=\"FF0000\" VLINK=\"800080\">"));
        QCOMPARE(lines.at(3), QStringLiteral("<P><BR><FONT COLOR=\"050000\"> Texte </FONT>"));
        QCOMPARE(lines.at(6), QStringLiteral("<P> <FONT COLOR=\"800080\"> Visit\u00e9 </FONT>"));

        // The file holds the text exactly, in the code page, no line end added.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = StyleSamplePath(dir.path());
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("~tmpprvw.html"));
        QVERIFY(WriteBytes(path, QByteArray(5000, 'o')));   // an older, longer sample
        QVERIFY(WriteStyleSample(path, withImage).ok());
        const QByteArray bytes = ReadAll(path);
        QVERIFY(bytes.endsWith("</BODY>\r\n</HTML>"));
        QVERIFY(bytes.contains("Visit\xe9 </FONT>"));
        QCOMPARE(bytes.size(), withImage.size());
    }

    void libraryFileByteForByte()
    {
        TStyleChunk a;
        a.Name = QStringLiteral("A");
        a.BackColour = 0x00C0C0C0;
        a.TextColour = 0x00123456;
        a.LinkColour = 0x80000005;
        a.ActiveColour = clNone;
        a.VisitedColour = 0x00FF00FF;
        TStyleChunk b;
        b.Name = QStringLiteral("Night Sky");
        b.Image = QStringLiteral("backgrnd\\stars.gif");
        b.BackColour = 0x00000000;
        b.TextColour = 0x00FFFFFF;
        b.LinkColour = 0x00FFFF00;
        b.ActiveColour = 0x000000FF;
        b.VisitedColour = 0x00800080;

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(WriteBytes(dir.filePath(QStringLiteral("Styles.data")), QByteArray(300, '\x7f')));
        QString error;
        QVERIFY(testing::Succeeds(WriteStylesToFile(dir.path(), {a, b}), &error));
        QVERIFY(error.isEmpty());
        const QByteArray expected = Int32(2)
            + QByteArray::fromHex("00000000 41") + QByteArray::fromHex("FFFFFFFF")
            + PStr("clSilver") + PStr("$00123456") + PStr("clWindow") + PStr("clNone") + PStr("clFuchsia")
            + PStr("Night Sky") + PStr("backgrnd\\stars.gif")
            + PStr("clBlack") + PStr("clWhite") + PStr("clAqua") + PStr("clRed") + PStr("clPurple");
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("Styles.data"))).toHex(' '), expected.toHex(' '));

        // An empty library is the count alone.
        QVERIFY(WriteStylesToFile(dir.path(), {}).ok());
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("Styles.data"))), Int32(0));
        // Nothing else is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Styles.data")});
    }

    void fullAndReadOnlyFileSystem()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system in a private mount namespace needs root");
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        QVERIFY2(!unshare.isEmpty(), "unshare (util-linux) is needed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess child;
        child.start(unshare, {QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"),
                              QStringLiteral("--"), QCoreApplication::applicationFilePath(),
                              QStringLiteral("--file-system-child"), dir.path()});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        QVERIFY2(child.exitCode() == 0, qPrintable(out + QString::fromLocal8Bit(child.readAllStandardError())));
        // The causes are named in words.
        QVERIFY2(out.contains(QStringLiteral("FULL No space left on device")), qPrintable(out));
        const QRegularExpression readOnly(QStringLiteral("^READONLY \\S.*$"), QRegularExpression::MultilineOption);
        QVERIFY2(readOnly.match(out).hasMatch(), qPrintable(out));
        QVERIFY(out.endsWith(QStringLiteral("DONE\n")));
        // The mount stayed inside the child's namespace.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void addingAStyle()
    {
        TStyleWizard w(ThreeStyles());
        QCOMPARE(w.Page(), TWizardPage::Start);
        QCOMPARE(w.WizardAction(), TWizardAction::Add);
        QVERIFY(!w.BackEnabled());
        QVERIFY(w.NextVisible());

        QCOMPARE(w.Next(), TStyleWizard::TNextResult::Moved);
        QCOMPARE(w.Page(), TWizardPage::Editor);
        QVERIFY(w.FinishVisible());
        QVERIFY(w.BackEnabled());
        QCOMPARE(w.EditIndex(), -1);
        QCOMPARE(w.EditStyle(), ClearedStyle());
        QVERIFY(!w.StylesChanged());
        QVERIFY(w.NeedsName());
        w.SetName(QStringLiteral("   "));
        QVERIFY(w.NeedsName());   // blanks are no name
        w.SetName(QStringLiteral("Sunny"));
        w.SetColour(TStyleSwatch::Back, 0x0000FFFF);
        w.SetColour(TStyleSwatch::Visited, 0x00008000);
        w.SetImage(QStringLiteral("backgrnd\\sun.jpg"));
        QVERIFY(!w.NeedsName());
        QVERIFY(w.StylesChanged());
        // The working copy is untouched until Finish; the new style goes last.
        QCOMPARE(w.WizardStyles(), ThreeStyles());
        const StyleList out = w.StylesToWrite();
        QCOMPARE(out.size(), 4);
        QCOMPARE(out.mid(0, 3), ThreeStyles());
        TStyleChunk sunny = ClearedStyle();
        sunny.Name = QStringLiteral("Sunny");
        sunny.Image = QStringLiteral("backgrnd\\sun.jpg");
        sunny.BackColour = 0x0000FFFF;
        sunny.VisitedColour = 0x00008000;
        QCOMPARE(out.at(3), sunny);
        w.MarkSaved();
        QCOMPARE(w.WizardStyles(), out);
        QVERIFY(!w.StylesChanged());
        QCOMPARE(w.StylesToWrite(), out);   // never appended twice

        // Back to the start and Next again: a fresh style.
        TStyleWizard again(ThreeStyles());
        again.Next();
        again.SetName(QStringLiteral("Lost"));
        again.Back();
        QCOMPARE(again.Page(), TWizardPage::Start);
        QVERIFY(!again.BackEnabled());
        again.Next();
        QCOMPARE(again.EditStyle(), ClearedStyle());
    }

    void modifyingAStyle()
    {
        // With no styles Next keeps asking for a selection, and the list page
        // stays as it was.
        TStyleWizard empty;
        empty.SetWizardAction(TWizardAction::Modify);
        QCOMPARE(empty.Next(), TStyleWizard::TNextResult::Moved);
        QCOMPARE(empty.Page(), TWizardPage::List);
        QVERIFY(!empty.DeleteButtonVisible());
        QVERIFY(empty.ModifyTextVisible());
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(empty.Next(), TStyleWizard::TNextResult::NeedSelection);
            QCOMPARE(empty.Page(), TWizardPage::List);
            QVERIFY(!empty.DeleteButtonVisible());
            QVERIFY(empty.ModifyTextVisible());
            QVERIFY(empty.NextVisible());
        }

        TStyleWizard w(ThreeStyles());
        w.SetWizardAction(TWizardAction::Modify);
        w.Next();
        w.SelectStyle(1);
        QCOMPARE(w.EditStyle().Name, QStringLiteral("Ocean"));
        QCOMPARE(w.Next(), TStyleWizard::TNextResult::Moved);
        QCOMPARE(w.Page(), TWizardPage::Editor);
        QCOMPARE(w.EditIndex(), 1);
        // Edits go straight into the entry; an emptied name is no obstacle.
        w.SetName(QString());
        w.SetColour(TStyleSwatch::Doc, 0x00FFFFFF);
        QVERIFY(!w.NeedsName());
        QCOMPARE(w.WizardStyles().at(1).Name, QString());
        QCOMPARE(w.WizardStyles().at(1).TextColour, TColor(0x00FFFFFF));
        QCOMPARE(w.StylesToWrite().size(), 3);

        // Back shows the list with the modify text and without Delete.
        w.Back();
        QCOMPARE(w.Page(), TWizardPage::List);
        QVERIFY(w.ModifyTextVisible());
        QVERIFY(!w.DeleteButtonVisible());
        QVERIFY(w.NextVisible());

        // A style edited through Add in between does not take the place of
        // the one selected in the list.
        w.Back();
        w.SetWizardAction(TWizardAction::Add);
        w.Next();
        QCOMPARE(w.EditIndex(), -1);
        w.Back();
        w.SetWizardAction(TWizardAction::Modify);
        w.Next();
        QCOMPARE(w.Selected(), 1);
        w.Next();
        QCOMPARE(w.EditIndex(), 1);
    }

    void deletingAndMoving()
    {
        TStyleWizard w(ThreeStyles());
        w.SetWizardAction(TWizardAction::Delete);
        w.Next();
        QCOMPARE(w.Page(), TWizardPage::List);
        QVERIFY(w.FinishVisible());
        QVERIFY(w.DeleteTextVisible());
        QVERIFY(w.DeleteButtonVisible());
        QCOMPARE(w.Next(), TStyleWizard::TNextResult::Ignored);

        // Nothing selected: nothing moves or goes.
        QVERIFY(!w.MoveUp());
        QVERIFY(!w.MoveDown());
        QVERIFY(!w.DeleteSelected());
        // The first up and the last down do nothing and change nothing.
        w.SelectStyle(0);
        QVERIFY(!w.MoveUp());
        w.SelectStyle(2);
        QVERIFY(!w.MoveDown());
        QVERIFY(!w.StylesChanged());

        // Night to the top, keeping it selected (and edited).
        QVERIFY(w.MoveUp());
        QVERIFY(w.MoveUp());
        QCOMPARE(w.Names(), (QStringList{"Night", "Garden", "Ocean"}));
        QCOMPARE(w.Selected(), 0);
        QCOMPARE(w.EditStyle().Name, QStringLiteral("Night"));
        QVERIFY(w.StylesChanged());
        QVERIFY(w.MoveDown());
        QCOMPARE(w.Names(), (QStringList{"Garden", "Night", "Ocean"}));
        QCOMPARE(w.Selected(), 1);

        // Delete: gone, nothing selected, the editor starts afresh.
        w.SelectStyle(0);
        QVERIFY(w.DeleteSelected());
        QCOMPARE(w.Names(), (QStringList{"Night", "Ocean"}));
        QCOMPARE(w.Selected(), -1);
        QCOMPARE(w.EditIndex(), -1);
        QCOMPARE(w.EditStyle(), ClearedStyle());
        QCOMPARE(w.StylesToWrite(), (StyleList{Named("Night"), Named("Ocean")}));

        // Moving with names used twice keeps the moved entry selected.
        TStyleWizard twins({Named("Twin"), Named("Other"), Named("Twin")});
        twins.SelectStyle(2);
        QVERIFY(twins.MoveUp());
        QCOMPARE(twins.Selected(), 1);
        QVERIFY(twins.MoveUp());
        QCOMPARE(twins.Selected(), 0);
        QCOMPARE(twins.Names(), (QStringList{"Twin", "Twin", "Other"}));
    }

    void namesUsedTwice()
    {
        int second = 0;
        QCOMPARE(FirstDuplicateName(ThreeStyles(), &second), QString());
        QCOMPARE(second, -1);
        QCOMPARE(FirstDuplicateName({Named("Sea"), Named("Sky"), Named("Land"), Named("SKY"), Named("Sea")}, &second),
                 QStringLiteral("Sea"));
        QCOMPARE(second, 4);
        QCOMPARE(FirstDuplicateName({Named("A"), Named("b"), Named("B")}, &second), QStringLiteral("b"));
        QCOMPARE(second, 2);

        // An added style named like an existing one counts.
        TStyleWizard w(ThreeStyles());
        w.Next();
        w.SetName(QStringLiteral("ocean"));
        QCOMPARE(FirstDuplicateName(w.StylesToWrite(), &second), QStringLiteral("Ocean"));
        QCOMPARE(second, 3);
    }

    void relativePaths()
    {
        QCOMPARE(ExtractRelativePath("C:\\Prog\\HTMLFiles\\shouser", "C:\\Prog\\HTMLFiles\\backgrnd\\a.gif"),
                 QStringLiteral("backgrnd\\a.gif"));
        QCOMPARE(ExtractRelativePath("C:\\Prog\\HTMLFiles\\shouser", "c:\\Prog\\Pics\\a.gif"),
                 QStringLiteral("..\\Pics\\a.gif"));
        QCOMPARE(ExtractRelativePath("C:\\Prog\\HTMLFiles\\shouser", "C:\\a.gif"), QStringLiteral("..\\..\\a.gif"));
        // Another drive: the full path.
        QCOMPARE(ExtractRelativePath("C:\\Prog\\HTMLFiles\\shouser", "D:\\Pics\\a.gif"),
                 QStringLiteral("D:\\Pics\\a.gif"));
        QCOMPARE(ExtractRelativePath("C:\\Prog\\HTMLFiles\\shouser", "\\\\server\\share\\a.gif"),
                 QStringLiteral("\\\\server\\share\\a.gif"));
        // Paths from the root here share it.
        QCOMPARE(BackgroundPathRelative("/opt/wobbin/HTMLFiles", "/opt/wobbin/HTMLFiles/backgrnd/Stars.GIF"),
                 QStringLiteral("backgrnd\\Stars.GIF"));
        QCOMPARE(BackgroundPathRelative("/opt/wobbin/HTMLFiles/", "/home/pip/sky.jpg"),
                 QStringLiteral("..\\..\\..\\home\\pip\\sky.jpg"));
        QCOMPARE(BackgroundPathRelative("/opt/wobbin/HTMLFiles", "relative/sky.jpg"), QStringLiteral("relative/sky.jpg"));
    }

    void backgroundPictureCopy()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString html = dir.filePath(QStringLiteral("HTMLFiles"));
        QVERIFY(QDir().mkpath(html));   // no backgrnd folder yet
        const QString outside = dir.filePath(QStringLiteral("Pictures/Sky Blue.JPG"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("Pictures"))));
        QVERIFY(WriteBytes(outside, "first picture"));

        // The copy gets the web name the page refers to, letter for letter.
        TBackgroundCopy c = CopyBackgroundPicture(html, outside);
        QVERIFY2(c.Ok, qPrintable(c.Error));
        QVERIFY(c.Copied);
        QCOMPARE(c.StoredPath, QStringLiteral("backgrnd\\skyblue.jpg"));
        QCOMPARE(c.Destination, html + QStringLiteral("/backgrnd/skyblue.jpg"));
        QCOMPARE(ReadAll(c.Destination), QByteArray("first picture"));
        TStyleChunk style;
        style.Image = c.StoredPath;
        QVERIFY(BuildBodyWithStyle(style).startsWith(QStringLiteral("<BODY BACKGROUND=\"backgrnd/skyblue.jpg\"")));

        // Chosen again after it changed: the copy is replaced.
        QVERIFY(WriteBytes(outside, "second"));
        c = CopyBackgroundPicture(html, outside);
        QVERIFY(c.Ok && c.Copied);
        QCOMPARE(ReadAll(c.Destination), QByteArray("second"));

        // The picture in backgrnd itself is not copied onto itself, also when
        // reached by another path.
        c = CopyBackgroundPicture(html, html + QStringLiteral("/backgrnd/skyblue.jpg"));
        QVERIFY(c.Ok);
        QVERIFY(!c.Copied);
        QCOMPARE(c.StoredPath, QStringLiteral("backgrnd\\skyblue.jpg"));
        c = CopyBackgroundPicture(html, html + QStringLiteral("/../HTMLFiles/backgrnd/skyblue.jpg"));
        QVERIFY(c.Ok);
        QVERIFY(!c.Copied);
        QCOMPARE(ReadAll(html + QStringLiteral("/backgrnd/skyblue.jpg")), QByteArray("second"));

        // A picture whose name differs only in letters and blanks replaces it.
        const QString lower = dir.filePath(QStringLiteral("Pictures/sky blue.jpg"));
        QVERIFY(WriteBytes(lower, "third"));
        c = CopyBackgroundPicture(html, lower);
        QVERIFY(c.Ok && c.Copied);
        QCOMPARE(c.StoredPath, QStringLiteral("backgrnd\\skyblue.jpg"));
        QCOMPARE(QDir(html + QStringLiteral("/backgrnd")).entryList(QDir::Files), QStringList{"skyblue.jpg"});
        QCOMPARE(ReadAll(c.Destination), QByteArray("third"));

        // A picture that is not there: refused with a cause, nothing made.
        c = CopyBackgroundPicture(html, dir.filePath(QStringLiteral("Pictures/none.gif")));
        QVERIFY(!c.Ok);
        QVERIFY(!c.Error.isEmpty());
        QCOMPARE(QDir(html + QStringLiteral("/backgrnd")).entryList(QDir::Files), QStringList{"skyblue.jpg"});
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--file-system-child") == 0)
        return FileSystemChild(argv[2]);
    QCoreApplication app(argc, argv);
    TestStyleWizardCore test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_style_wizard.moc"
