// HTML of the six block kinds, page assembly, the logo footer and title editors.
#include "page/PageHtml.h"

#include <QtTest>

using namespace wobbin;

namespace {
QString Html(std::unique_ptr<TWebChunk> &b)
{
    EmitBlock(*b);
    return b->HTML;
}
const QString kHead = QStringLiteral(
    "<HTML>\r\n<HEAD>\r\n<TITLE>T</TITLE>\r\n"
    "<META NAME=\"Generator\" CONTENT=\"Wobbin Express V1.0 (Win95)\">\r\n"
    "<META NAME=\"Description\" CONTENT=\"Wobbin Express Document\">\r\n"
    "</HEAD>\r\n<BODY>\r\n");
const QString kFooter = QStringLiteral(
    "<CENTER><BR><BR><A HREF=\"http://www.wobbinexpress.com/\"><IMG SRC=\"graphics/button.gif\"></A></CENTER>\r\n");
const QString kEnd = QStringLiteral("</BODY>\r\n</HTML>\r\n");
} // namespace

class TestPageHtml : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void paragraph()
    {
        auto b = NewBlock(bkPara);
        b->Para->Text = QStringLiteral("one\r\ntwo");
        QCOMPARE(Html(b), QStringLiteral("one<BR>\r\ntwo"));
        b->Para->Align = 2;
        b->Para->NewLine = 1;
        QCOMPARE(Html(b), QStringLiteral("<P ALIGN=Center>\r\none<BR>\r\ntwo</P>\r\n<BR>\r\n"));
        b->Para->Align = 7; // only a damaged file holds this
        b->Para->Text = QString();
        b->Para->NewLine = 0;
        QCOMPARE(Html(b), QStringLiteral("<P ALIGN=>\r\n</P>\r\n"));
    }

    void link()
    {
        auto b = NewBlock(bkLink);
        b->Link->URL = QStringLiteral("http://a.b/");
        b->Link->LinkText = QStringLiteral("here");
        QCOMPARE(Html(b), QStringLiteral(" <A HREF=\"http://a.b/\">here</A> \r\n"));
        b->Link->PreText = QStringLiteral("Go");
        b->Link->PostText = QStringLiteral("now & <b>then</b>"); // as typed, not escaped
        b->Link->Align = 3;
        b->Link->NewLine = 1;
        QCOMPARE(Html(b), QStringLiteral("<DIV ALIGN=Right>\r\nGo <A HREF=\"http://a.b/\">here</A> now & <b>then</b>\r\n</DIV>\r\n<BR>\r\n"));
    }

    void image_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("newLine");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "http://" << 0 << 0 << "<IMG SRC=\"graphics/a.gif\">\r\n";
        QTest::newRow("empty link") << "" << 0 << 0 << "<IMG SRC=\"graphics/a.gif\">\r\n";
        QTest::newRow("right") << "http://" << 3 << 0 << "<IMG SRC=\"graphics/a.gif\" ALIGN=Right>\r\n";
        QTest::newRow("left") << "" << 1 << 0 << "<IMG SRC=\"graphics/a.gif\" ALIGN=Left>\r\n";
        QTest::newRow("center") << "http://" << 2 << 0
                                << "<CENTER>\r\n<IMG SRC=\"graphics/a.gif\">\r\n</CENTER>\r\n";
        QTest::newRow("link center newline")
            << "http://x.y/" << 2 << 1
            << "<CENTER>\r\n<A HREF=\"http://x.y/\">\r\n<IMG SRC=\"graphics/a.gif\">\r\n</A>\r\n</CENTER>\r\n<BR>\r\n";
    }
    void image()
    {
        QFETCH(QString, link);
        QFETCH(int, align);
        QFETCH(int, newLine);
        QFETCH(QString, expected);
        auto b = NewBlock(bkImage);
        b->Image->FileName = QStringLiteral("graphics\\a.gif");
        b->Image->LinkURL = link;
        b->Image->Align = std::uint8_t(align);
        b->Image->NewLine = std::uint8_t(newLine);
        QCOMPARE(Html(b), expected);
    }

    void imageAttributes()
    {
        auto b = NewBlock(bkImage);
        b->Image->FileName = QStringLiteral("graphics\\sub\\a b.jpg");
        b->Image->ImgHeight = QStringLiteral("40");
        b->Image->ImgWidth = QStringLiteral("50%");
        b->Image->AltText = QStringLiteral("A \"cat\"");
        b->Image->Align = 1;
        QCOMPARE(Html(b), QStringLiteral("<IMG SRC=\"graphics/sub/a b.jpg\" HEIGHT=40 WIDTH=50% ALIGN=Left ALT=\"A \"cat\"\">\r\n"));
        QCOMPARE(Html(b).count(QStringLiteral("\r\n")), 1);
    }

    void heading()
    {
        auto b = NewBlock(bkHeading);
        b->Heading->SizeText = QStringLiteral("3 (Large)");
        b->Heading->Text = QStringLiteral("Title");
        QCOMPARE(Html(b), QStringLiteral("<H3>Title</H3>\r\n"));
        b->Heading->NewLine = 1;
        b->Heading->Align = 2;
        QCOMPARE(Html(b), QStringLiteral("<H3 ALIGN=Center>Title</H3>\r\n"));
        b->Heading->SizeText = QString(); // damaged file: no digit, no failure
        QCOMPARE(Html(b), QStringLiteral("<H ALIGN=Center>Title</H>\r\n"));
    }

    void email()
    {
        auto b = NewBlock(bkEmail);
        b->Email->Address = QStringLiteral("me@x.y");
        b->Email->LinkText = QStringLiteral("mail me");
        QCOMPARE(Html(b), QStringLiteral(" <A HREF=\"mailto:me@x.y\">mail me</A> \r\n"));
        b->Email->Align = 1;
        b->Email->NewLine = 1;
        QCOMPARE(Html(b), QStringLiteral("<DIV ALIGN=Left>\r\n <A HREF=\"mailto:me@x.y\">mail me</A> \r\n</DIV><BR>\r\n"));
        b->Email->NewLine = 0;
        QVERIFY(Html(b).endsWith(QStringLiteral("</DIV>")));
    }

    void line()
    {
        auto b = NewBlock(bkLine);
        QCOMPARE(Html(b), QStringLiteral("<HR SIZE=6>\r\n"));
        b->Line->LineWidth = QStringLiteral("50");
        b->Line->ThickText = QStringLiteral("2 (Thinner)");
        QCOMPARE(Html(b), QStringLiteral("<HR WIDTH=50% SIZE=2>\r\n"));
        b->Line->ThickText = QString();
        QCOMPARE(Html(b), QStringLiteral("<HR WIDTH=50% SIZE=>\r\n"));
    }

    void pageAssembly()
    {
        BlockList blocks;
        QCOMPARE(BuildPageHTML(blocks, QStringLiteral("T"), false, true), kHead + kFooter + kEnd);
        QCOMPARE(BuildPageHTML(blocks, QStringLiteral("T"), false, false), kHead + kEnd);
        QCOMPARE(BuildPageHTML(blocks, QStringLiteral("T"), true, true), QString());

        blocks.Append(NewBlock(bkLine));
        auto para = NewBlock(bkPara);
        para->Para->Text = QStringLiteral("Hi");
        blocks.Append(std::move(para));
        auto odd = NewBlock(9);
        odd->HTML = QStringLiteral("kept");
        blocks.Append(std::move(odd));
        const QString body = QStringLiteral("<HR SIZE=6>\r\n\r\nHi\r\nkept\r\n");
        QCOMPARE(BuildPageHTML(blocks, QStringLiteral("T"), true, true), body);
        QCOMPARE(BuildPageHTML(blocks, QStringLiteral("T"), false, true), kHead + body + kFooter + kEnd);
        QCOMPARE(blocks.At(1).HTML, QStringLiteral("Hi"));
        // Nothing but CR LF line ends.
        const QString page = BuildPageHTML(blocks, QStringLiteral("T"), false, true);
        QCOMPARE(page.count(QLatin1Char('\n')), page.count(QStringLiteral("\r\n")));
    }

    void replaceBetween()
    {
        QCOMPARE(ReplaceBetween("a<X>b</X>c", "<X>", "</X>", "R"), QStringLiteral("aRc"));
        QCOMPARE(ReplaceBetween("abc", "<X>", "</X>", "R"), QStringLiteral("abc"));
        QCOMPARE(ReplaceBetween("a<x>b</X>c", "<X>", "</X>", "R"), QStringLiteral("a<x>b</X>c"));
        // An end marker before the start marker does not count.
        QCOMPARE(ReplaceBetween("</X>a<X>b</X>c", "<X>", "</X>", "R"), QStringLiteral("</X>aRc"));
        // Start without end: nothing after the start marker is lost.
        QCOMPARE(ReplaceBetween("a<X>bc", "<X>", "</X>", "R"), QStringLiteral("aRbc"));
    }

    void logoFooterEditor()
    {
        BlockList blocks;
        blocks.Append(NewBlock(bkLine));
        const QString with = BuildPageHTML(blocks, QStringLiteral("T"), false, true);
        const QString without = BuildPageHTML(blocks, QStringLiteral("T"), false, false);
        QCOMPARE(RemoveLogoFooter(with), without.left(without.indexOf("</BODY>")) + "\r\n" + kEnd);
        // Unchecking then checking: exactly one footer, in front of </BODY>.
        const QString again = InsertLogoFooter(RemoveLogoFooter(with));
        QCOMPARE(again.count(LogoFooter()), 1);
        QVERIFY(again.indexOf(LogoFooter()) < again.indexOf("</BODY>"));
        // The line break that followed the old </HTML> stays after the new one.
        QVERIFY(again.endsWith("</HTML>\r\n\r\n"));
        QCOMPARE(InsertLogoFooter(without), with + "\r\n");
        // Nothing to remove / no </BODY>: unchanged.
        QCOMPARE(RemoveLogoFooter(without), without);
        QCOMPARE(InsertLogoFooter(QStringLiteral("<P>no body</P>")), QStringLiteral("<P>no body</P>"));
        // A hand-edited page without </HTML> keeps its text after </BODY>.
        const QString cut = QStringLiteral("x</BODY>\r\ntail");
        const QString inserted = InsertLogoFooter(cut);
        QVERIFY(inserted.endsWith(QStringLiteral("</BODY>\r\ntail")));
        QCOMPARE(inserted.count(LogoFooter()), 1);
    }

    void titleEditor()
    {
        const QString edited = QStringLiteral("<HTML><HEAD><TITLE>Old</TITLE></HEAD><BODY>my own edit</BODY>");
        QCOMPARE(ReplaceTitle(edited, QStringLiteral("New")),
                 QStringLiteral("<HTML><HEAD><TITLE>New</TITLE></HEAD><BODY>my own edit</BODY>"));
        QCOMPARE(ReplaceTitle(QStringLiteral("no title"), QStringLiteral("New")), QStringLiteral("no title"));
        QCOMPARE(ReplaceTitle(QStringLiteral("<TITLE>open"), QStringLiteral("N")),
                 QStringLiteral("<TITLE>N</TITLE>open"));
    }
};

QTEST_GUILESS_MAIN(TestPageHtml)
#include "test_page_html.moc"
