// The page written to fit phones, as the program's own parts see it: stored
// character codes shown as characters, the blocks' meaning kept, the editors
// of the title, logo and style, the resource list and the page check. What browsers and
// validators make of the page is test_page_phones_tools.
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/PageText.h"
#include "page/PhoneHtml.h"
#include "page/ResourceList.h"
#include "publish/PageCheck.h"
#include "styles/StyleSheet.h"
#include "support/PageBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using wobbin::testing::PageBytes;

namespace {

TWebChunk &Add(BlockList &blocks, int kind)
{
    return blocks.Append(NewBlock(kind));
}

QStringList Refs(const UploadImageList &list)
{
    QStringList out;
    for (const ResourceDetail &d : list)
        out << d.RefName;
    return out;
}

} // namespace

class TestPagePhones : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storedCodesShowAsCharactersAndAreStoredAgainUnchanged()
    {
        // Codes as the writer stores what the code page cannot hold, and
        // look-alikes it never writes (a leading zero, a letter the code
        // page holds, half of a surrogate pair, a hexadecimal form).
        const QByteArray heading = "&#1055;&#1088;&#1080;&#1074;&#1077;&#1090; &#128512; &#0937; &#65; &#55296; "
                                   "&#x3A9; caf\xe9";
        PageBytes e;
        e.Heading("1 (Largest)", heading);
        e.Para("&#20320;&#22909;&#8364;");
        const QByteArray bytes = testing::SimplePage("None", "&#922;&#945;&#955;&#951;", 2, e);
        TPageDocument doc;
        QVERIFY(ReadPageBytes(bytes, doc).IsOk());
        QCOMPARE(doc.PageTitle, QStringLiteral("Καλη"));
        QCOMPARE(doc.Blocks.At(0).Heading->Text,
                 QStringLiteral("Привет 😀 &#0937; &#65; &#55296; &#x3A9; café"));
        QCOMPARE(doc.Blocks.At(1).Para->Text, QStringLiteral("你好&#8364;"));
        QCOMPARE(PageFileBytes(doc, QStringLiteral("None")), bytes);
    }

    void blocksKeepTheirMeaning()
    {
        BlockList blocks;
        // A paragraph without its new-line switch runs on into the link after it.
        *Add(blocks, bkPara).Para = {QStringLiteral("Visit"), 0, 0};
        *Add(blocks, bkLink).Link = {QString(), QStringLiteral("http://a.example/?x=1&y=\"2\""), QString(), QString(), 0, 1};
        *Add(blocks, bkHeading).Heading = {QStringLiteral("3 (Large)"), QStringLiteral("Tom & Jerry <3 &amp; friends"), 2, 0};
        *Add(blocks, bkPara).Para = {QStringLiteral("<ul><li>mine</li></ul>"), 0, 1};
        *Add(blocks, bkImage).Image = {QStringLiteral("graphics\\a.jpg"), QStringLiteral("tall"), QStringLiteral("3000"),
                                       QString(), QStringLiteral("http://"), 3, 1};
        *Add(blocks, bkPara).Para = {QString(), 0, 1}; // an empty line
        Add(blocks, bkLine).Line->LineWidth = QStringLiteral("250");

        const QString html = BuildPhonePageHTML(blocks, QString(), true, false, QString());
        QVERIFY2(html.contains(QStringLiteral("<p>Visit\r\n<a href=\"http://a.example/?x=1&amp;y=&quot;2&quot;\">"
                                              "http://a.example/?x=1&amp;y=\"2\"</a>\r\n</p>")),
                 qPrintable(html));
        QVERIFY(html.contains(QStringLiteral("<h3 class=\"center\">Tom &amp; Jerry &lt;3 &amp; friends</h3>")));
        // The user's own tags stay, outside a P that could not hold them.
        QVERIFY(html.contains(QStringLiteral("<div class=\"p\">\r\n<ul><li>mine</li></ul>\r\n")));
        QVERIFY(html.contains(
            QStringLiteral("<img src=\"graphics/a.jpg\" width=\"3000\" alt=\"\" class=\"right\">")));
        QVERIFY(html.contains(QStringLiteral("\r\n<br>\r\n<hr style=\"width:100%;height:4px\">")));
        // A page without a title still has one: its first heading.
        QCOMPARE(PhoneTitleText(QStringLiteral(" "), blocks), blocks.At(2).Heading->Text);
    }

    void titleLogoAndStyleEditTheTextInPlace()
    {
        BlockList blocks;
        Add(blocks, bkPara).Para->Text = QStringLiteral("hand");
        // A language setting that is no language tag cannot reach the markup.
        QString html = BuildPhonePageHTML(blocks, QStringLiteral("Old"), false, true, QStringLiteral("de\"><x"));
        QVERIFY(html.contains(QStringLiteral("<html lang=\"en\">")));
        html.replace(QStringLiteral("hand"), QStringLiteral("edited by hand"));
        html = ReplaceTitle(html, QStringLiteral("A < B"), HtmlForm::FitsPhones);
        QVERIFY(html.contains(QStringLiteral("<title>A &lt; B</title>")));

        const QString without = RemoveLogoFooter(html, HtmlForm::FitsPhones);
        QVERIFY(!without.contains(QStringLiteral("button.gif")));
        QCOMPARE(InsertLogoFooter(without, HtmlForm::FitsPhones), html);
        QCOMPARE(InsertLogoFooter(html, HtmlForm::FitsPhones), html);

        TStyleChunk night;
        night.Name = QStringLiteral("Night");
        night.Image = QStringLiteral("backgrnd\\Stars.GIF");
        night.BackColour = 0x00000080;
        night.TextColour = 0x00FFFFFF;
        const StyleList styles{night};
        const QString styled = ApplyStyleEntry(html, styles, 1, HtmlForm::FitsPhones);
        QVERIFY(styled.contains(QStringLiteral("background-color:#800000;background-image:url(\"backgrnd/stars.gif\")")));
        QVERIFY(styled.contains(QStringLiteral("edited by hand")));
        QVERIFY(!styled.contains(QStringLiteral("<BODY")));
        QCOMPARE(ApplyStyleEntry(styled, styles, 0, HtmlForm::FitsPhones), html);
    }

    void resourceListFindsEveryPictureOfThePhonePage()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("HTMLFiles"));
        QVERIFY(QDir().mkpath(folder));
        BlockList blocks;
        TBlockImage &pic = *Add(blocks, bkImage).Image;
        pic.FileName = QStringLiteral("graphics\\b&b «été».jpg");
        TStyleChunk style;
        style.Image = QStringLiteral("backgrnd\\sky.jpg");
        QString html = ApplyStyleEntry(BuildPhonePageHTML(blocks, QStringLiteral("T"), false, true, QString()),
                                       {style}, 1, HtmlForm::FitsPhones);
        html.replace(QStringLiteral("</body>"),
                     QStringLiteral("<p style=\"background:url('../secret.png')\">x</p>\r\n"
                                    "<img src=\"https://example.com/web.png\" alt=\"\">\r\n"
                                    "<div style=\"background:url(data:image/png;base64,AAAA)\"></div>\r\n</body>"));
        QFile file(QDir(folder).filePath(QStringLiteral("page.html")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(EncodePageText(html));
        file.close();

        RefusedReferenceList refused;
        const UploadImageList list
            = LocaliseImages(dir.filePath(QStringLiteral("save/page.qze")), folder, {}, &refused);
        QCOMPARE(Refs(list), (QStringList{QStringLiteral("graphics/b&b «été».jpg"),
                                          QStringLiteral("graphics/button.gif"), QStringLiteral("backgrnd/sky.jpg")}));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().Reference, QStringLiteral("../secret.png"));
    }

    void pageCheckLeadsAClassicPageToTheBox()
    {
        BlockList blocks;
        TPageCheckInput in;
        in.Blocks = &blocks;
        in.PageTitle = QStringLiteral("Mine");
        in.FitsPhones = false;
        const QList<TPageProblem> found = CheckPage(in);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().Text, QStringLiteral("Phones will show this page very small: tick Fits phones in View."));
        QCOMPARE(WorkspaceStateFor(found.first()), 2);
        QCOMPARE(found.first().Field, QStringLiteral("chkFitsPhones"));
        in.FitsPhones = true;
        QVERIFY(CheckPage(in).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPagePhones)
#include "test_page_phones.moc"
