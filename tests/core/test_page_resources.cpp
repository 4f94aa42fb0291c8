// The list of local images a saved page refers to.
#include "page/PageDocument.h"
#include "page/PageHtml.h"
#include "page/ResourceList.h"
#include "support/PageBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

namespace {
const QString kWebHtml = QStringLiteral("C:\\Web\\Index.html");

QStringList Sources(const UploadImageList &list)
{
    QStringList out;
    for (const ResourceDetail &d : list)
        out << d.SourcePath;
    return out;
}
QStringList Refs(const UploadImageList &list)
{
    QStringList out;
    for (const ResourceDetail &d : list)
        out << d.RefName;
    return out;
}
} // namespace

class TestPageResources : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attrValue()
    {
        QCOMPARE(AttrValue("<IMG SRC=\"graphics/a.gif\">", "src"), QStringLiteral("graphics/a.gif"));
        QCOMPARE(AttrValue("<img src=graphics/a.gif>", "SRC"), QStringLiteral("graphics/a.gif"));
        QCOMPARE(AttrValue("<img src=a.gif alt=x>", "src"), QStringLiteral("a.gif"));
        QCOMPARE(AttrValue("<img src=\"my pics/a b.gif\" alt=x>", "src"), QStringLiteral("my pics/a b.gif"));
        QCOMPARE(AttrValue("<img src=\"a.gif>", "src"), QStringLiteral("a.gif"));
        QCOMPARE(AttrValue("<img src=\" a.gif \">", "src"), QStringLiteral(" a.gif "));
        QCOMPARE(AttrValue("<img src=a.gif", "src"), QStringLiteral("a.gif"));
        QCOMPARE(AttrValue("<img src=", "src"), QString());
        QCOMPARE(AttrValue("<img src =a.gif>", "src"), QString());
        QCOMPARE(AttrValue("<img lowsrc=low.gif src=a.gif>", "src"), QStringLiteral("low.gif"));
        QCOMPARE(StripQuotes("  \"x\"\r\n"), QStringLiteral("x"));
        QCOMPARE(StripQuotes("\""), QString());
        QCOMPARE(StripQuotes("\tplain "), QStringLiteral("plain"));
    }

    void resolvePath()
    {
        QCOMPARE(ResolvePath("graphics/a.gif", kWebHtml), QStringLiteral("C:\\Web\\graphics\\a.gif"));
        QCOMPARE(ResolvePath("../pics/a.gif", kWebHtml), QStringLiteral("C:\\pics\\a.gif"));
        QCOMPARE(ResolvePath("../../../a.gif", kWebHtml), QStringLiteral("C:\\a.gif"));
        QCOMPARE(ResolvePath("a.gif", kWebHtml), QStringLiteral("C:\\Web\\a.gif"));
        QCOMPARE(ResolvePath("./a.gif", kWebHtml), QStringLiteral("C:\\Web\\a.gif"));
        QCOMPARE(ResolvePath("D:/x/a.gif", kWebHtml), QStringLiteral("D:\\x\\a.gif"));
        QCOMPARE(ResolvePath(" \"graphics/a.gif\" ", kWebHtml), QStringLiteral("C:\\Web\\graphics\\a.gif"));
        // Native folders keep an absolute path; "\" turns back into "/" at the file.
        QCOMPARE(ResolvePath("graphics/a.gif", "/home/u/HTMLFiles\\Index.html"),
                 QStringLiteral("\\home\\u\\HTMLFiles\\graphics\\a.gif"));
        QCOMPARE(ResolvePath("../b.gif", "/home/u/HTMLFiles/Index.html"), QStringLiteral("\\home\\u\\b.gif"));
        QCOMPARE(FileUrlToPath("file:///C|/pics/a.gif"), QStringLiteral("C:\\pics\\a.gif"));
        QCOMPARE(FileUrlToPath("file:///C:/pics/a.gif"), QStringLiteral("C:\\pics\\a.gif"));
        QCOMPARE(FileUrlToPath("file:///home/u/a.gif"), QStringLiteral("\\home\\u\\a.gif"));
        QCOMPARE(FileUrlToPath("file:///"), QStringLiteral("\\"));
    }

    void listsLocalPictures()
    {
        const UploadImageList list = LocaliseImagesInText(
            "<BODY BACKGROUND=\"backgrnd/sky.jpg\">\r\n"
            "<IMG SRC=\"graphics/a.gif\">\r\n"
            "<img src=graphics/a.gif>\r\n"                  // the same picture again
            "<IMG SRC=\"http://far.away/x.gif\">\r\n"
            "<IMG SRC=\"pics/HTTP://x.gif\">\r\n"           // capitals are not remote
            "<IMG SRC=\"file:///C|/pics/b.gif\">\r\n"
            "<IMG SRC=\"\">\r\n"
            "<CENTER><BR><BR><A HREF=\"http://www.wobbinexpress.com/\"><IMG SRC=\"graphics/button.gif\"></A></CENTER>\r\n",
            kWebHtml);
        // The file URL names a picture outside the HTML folder: not uploaded.
        QCOMPARE(Sources(list), (QStringList{"C:\\Web\\graphics\\a.gif", "C:\\Web\\pics\\HTTP:\\\\x.gif",
                                             "C:\\Web\\graphics\\button.gif", "C:\\Web\\backgrnd\\sky.jpg"}));
        QCOMPARE(Refs(list), (QStringList{"graphics/a.gif", "pics/HTTP://x.gif", "graphics/button.gif",
                                          "backgrnd/sky.jpg"}));
        for (const ResourceDetail &d : list) {
            QCOMPARE(d.FileTypes, QStringLiteral("gif/jpg"));
            QVERIFY(d.RemoteDir.isEmpty());
        }
    }

    void outsideReferencesAreRefusedWithTheirReason()
    {
        RefusedReferenceList refused;
        const QString html = QString::fromUtf8(
            "<IMG SRC=\"../../../../etc/passwd\">"
            "<IMG SRC=\"file:///home/user/.ssh/id_rsa\">"
            "<IMG SRC=\"file:///C|/pics/b.gif\">"
            "<IMG SRC=\"graphics/../../secret.gif\">"
            "<IMG SRC=\"graphics\\..\\..\\win.ini\">"
            "<IMG SRC=\"D:/x/a.gif\">"
            "<IMG SRC=\"/etc/shadow\">"
            "<IMG SRC=\"graphics/ok.gif\">"
            "<IMG SRC=\"graphics/./sub/../fine.gif\">"
            "<IMG SRC=\"C:\\Web\\graphics\\inside.gif\">"
            "<IMG SRC=\"../../../../etc/passwd\">");    // the same again: listed once
        QString withNul = html + QStringLiteral("<IMG SRC=\"graphics/a.gif") + QChar(0)
            + QStringLiteral("../../../x\"><BODY BACKGROUND=\"..\\sky.jpg\">");
        const UploadImageList list = LocaliseImagesInText(withNul, kWebHtml, &refused);
        QCOMPARE(Refs(list), (QStringList{"graphics/ok.gif", "graphics/./sub/../fine.gif",
                                          "C:\\Web\\graphics\\inside.gif"}));
        QStringList refs, reasons;
        for (const RefusedReference &r : refused) {
            refs << r.Reference;
            reasons << r.Reason;
        }
        QCOMPARE(refs, (QStringList{"../../../../etc/passwd", "file:///home/user/.ssh/id_rsa",
                                    "file:///C|/pics/b.gif", "graphics/../../secret.gif",
                                    "graphics\\..\\..\\win.ini", "D:/x/a.gif", "/etc/shadow",
                                    QStringLiteral("graphics/a.gif") + QChar(0) + QStringLiteral("../../../x"),
                                    "..\\sky.jpg"}));
        QCOMPARE(reasons.at(0), QStringLiteral("The name climbs out of the HTML folder with \"..\"."));
        QCOMPARE(reasons.at(1), QStringLiteral("The address points to a file outside the HTML folder."));
        QCOMPARE(reasons.at(5), QStringLiteral("The picture is on another drive or outside the HTML folder."));
        QCOMPARE(reasons.at(6), QStringLiteral("The picture is named by a full path outside the HTML folder."));
        QCOMPARE(reasons.at(7), QStringLiteral("The name holds a NUL character, which no file name can hold."));
        // Without a place for them the refused ones are still left out.
        QCOMPARE(LocaliseImagesInText(withNul, kWebHtml), list);
    }

    void imageBlockFileNameOutsideIsRefused()
    {
        // An image block's file name goes into the page as it is; the upload
        // list leaves it out all the same.
        TPageDocument doc;
        auto &block = doc.Blocks.Append(NewBlock(bkImage));
        block.Image->FileName = QStringLiteral("..\\..\\..\\..\\etc\\passwd");
        auto &good = doc.Blocks.Append(NewBlock(bkImage));
        good.Image->FileName = QStringLiteral("graphics\\photo.jpg");
        const QString html = doc.BuildPageHTML(false, false);
        QVERIFY(html.contains(QLatin1String("SRC=\"../../../../etc/passwd\"")));
        RefusedReferenceList refused;
        const UploadImageList list = LocaliseImagesInText(html, kWebHtml, &refused);
        QCOMPARE(Sources(list), QStringList{"C:\\Web\\graphics\\photo.jpg"});
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.at(0).Reference, QStringLiteral("../../../../etc/passwd"));
    }

    void symbolicLinksLeadingOutAreRefused()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("HTMLFiles");
        QVERIFY(QDir().mkpath(folder + "/graphics"));
        QVERIFY(QDir().mkpath(dir.filePath("outside")));
        QVERIFY(testing::WriteBytes(dir.filePath("outside/secret.gif"), "GIF89a"));
        QVERIFY(testing::WriteBytes(folder + "/graphics/real.gif", "GIF89a"));
        QVERIFY(QFile::link(dir.filePath("outside/secret.gif"), folder + "/graphics/link.gif"));
        QVERIFY(QFile::link(dir.filePath("outside"), folder + "/pics"));
        QVERIFY(QFile::link(folder + "/graphics/real.gif", folder + "/graphics/alias.gif"));
        QVERIFY(QFile::link(dir.filePath("outside/gone.gif"), folder + "/graphics/dangling.gif"));
        QVERIFY(testing::WriteBytes(folder + "/Index.html",
                                    "<IMG SRC=\"graphics/link.gif\"><IMG SRC=\"pics/secret.gif\">"
                                    "<IMG SRC=\"PICS/new.gif\"><IMG SRC=\"graphics/alias.gif\">"
                                    "<IMG SRC=\"graphics/dangling.gif\"><IMG SRC=\"graphics/missing.gif\">"));
        RefusedReferenceList refused;
        const UploadImageList list = LocaliseImages("Index.qze", folder, {}, &refused);
        // A link inside the folder and a missing file stay; links out do not.
        QCOMPARE(Refs(list), (QStringList{"graphics/alias.gif", "graphics/missing.gif"}));
        QStringList refs;
        for (const RefusedReference &r : refused) {
            refs << r.Reference;
            QCOMPARE(r.Reason, QStringLiteral("The picture is a link to a file outside the HTML folder."));
        }
        QCOMPARE(refs, (QStringList{"graphics/link.gif", "pics/secret.gif", "PICS/new.gif",
                                    "graphics/dangling.gif"}));
    }

    void comments()
    {
        QCOMPARE(RemoveCommentedMarkup("a<!-- <IMG SRC=x.gif> -->b"), QStringLiteral("ab"));
        QCOMPARE(RemoveCommentedMarkup("a<!-- just text -->b"), QStringLiteral("a<!-- just text -->b"));
        QCOMPARE(RemoveCommentedMarkup("a<!-- <open"), QStringLiteral("a<!-- <open"));
        const UploadImageList list = LocaliseImagesInText(
            "<!-- <IMG SRC=\"hidden.gif\"> -->\r\n"
            "<!-- a note -->\r\n"
            "<IMG SRC=\"shown.gif\">\r\n"
            "<!-- <IMG SRC=\"also-hidden.gif\"> --><IMG SRC=\"after.gif\">",
            kWebHtml);
        QCOMPARE(Refs(list), (QStringList{"shown.gif", "after.gif"}));
        // An unclosed comment hides nothing.
        QCOMPARE(Refs(LocaliseImagesInText("<!-- <IMG SRC=\"a.gif\">", kWebHtml)), QStringList{"a.gif"});
    }

    void fromTheSavedHtmlFile()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("HTMLFiles");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(testing::WriteBytes(folder + "/Index.html",
                                    "<IMG SRC=\"graphics/a.gif\"><IMG SRC=\"graphics/\xe9t\xe9.jpg\">"));
        const QString page = QString(dir.filePath("save/Index.qze")).replace('/', '\\');
        QCOMPARE(PageHtmlPath(page, folder), folder + "\\Index.html");
        QCOMPARE(PageHtmlPath("C:\\Pages\\my.page.qze", "C:\\Web\\"), QStringLiteral("C:\\Web\\my.page.html"));
        const UploadImageList list = LocaliseImages(page, folder);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].SourcePath, QString(folder + "/graphics/a.gif").replace('/', '\\'));
        QCOMPARE(list[1].RefName, QStringLiteral("graphics/\u00e9t\u00e9.jpg"));
        // The file is found whatever the case of the page name.
        QCOMPARE(LocaliseImages("INDEX.qze", folder).size(), 2);
        // No page file name: the previous list stays. No HTML file: empty.
        QCOMPARE(LocaliseImages(QString(), folder, list), list);
        QVERIFY(LocaliseImages("Other.qze", folder, list).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPageResources)
#include "test_page_resources.moc"
