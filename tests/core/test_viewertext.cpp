// The text given to the preview viewer: DIVs become paragraphs.

#include "page/ViewerText.h"

#include <QtTest>

using namespace wobbin;

class TestViewerText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversion_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("centred") << "<DIV ALIGN=\"CENTER\">Hi</DIV><BR>\r\n"
                                 << "<P ALIGN=\"CENTER\">Hi</P>\r\n";
        QTest::newRow("no break") << "<DIV>a</DIV>b" << "<P>a</P>b";
        QTest::newRow("any case") << "<div align=right>x</Div><bR>" << "<P align=right>x</P>";
        QTest::newRow("break kept apart") << "<DIV>a</DIV> <BR>" << "<P>a</P> <BR>";
        QTest::newRow("two breaks") << "</DIV><BR><BR>" << "</P><BR>";
        QTest::newRow("nothing") << "<P>plain</P>" << "<P>plain</P>";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no rescan") << "<<DIVDIV" << "<<PDIV";
        QTest::newRow("nested") << "<DIV><DIV>a</DIV></DIV><BR>" << "<P><P>a</P></P>";
    }

    void conversion()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(ToViewerText(in), out);
    }
};

QTEST_GUILESS_MAIN(TestViewerText)
#include "test_viewertext.moc"
