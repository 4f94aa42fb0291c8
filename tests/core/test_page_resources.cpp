// The list of local images a saved page refers to.
#include "page/ResourceList.h"
#include "support/PageBytes.h"

#include <QDir>
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
        QCOMPARE(Sources(list), (QStringList{"C:\\Web\\graphics\\a.gif", "C:\\Web\\pics\\HTTP:\\\\x.gif",
                                             "C:\\pics\\b.gif", "C:\\Web\\graphics\\button.gif",
                                             "C:\\Web\\backgrnd\\sky.jpg"}));
        QCOMPARE(Refs(list), (QStringList{"graphics/a.gif", "pics/HTTP://x.gif", "C:/pics/b.gif",
                                          "graphics/button.gif", "backgrnd/sky.jpg"}));
        for (const ResourceDetail &d : list) {
            QCOMPARE(d.FileTypes, QStringLiteral("gif/jpg"));
            QVERIFY(d.RemoteDir.isEmpty());
        }
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
