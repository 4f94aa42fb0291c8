// What the transfer client reads of a server's text: folder listings in both
// forms and the answer to a size query, odd and hostile lines included.
#include "publish/ListingParse.h"

#include <QtTest>

using namespace wobbin;

namespace {

// "name=size" for each entry, joined by "|".
QString Shown(const QList<TRemoteEntry> &entries)
{
    QStringList out;
    for (const TRemoteEntry &e : entries)
        out << e.Name + QLatin1Char('=') + QString::number(e.Size);
    return out.join(QLatin1Char('|'));
}

} // namespace

class TestListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void machine_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<QString>("entries");
        QTest::newRow("file and folder, CRLF") << QByteArray("type=file;size=12;modify=20240101000000; a.htm\r\ntype=dir;size=4096; pics\r\n")
                                              << "a.htm=12|pics=-1";
        QTest::newRow("folder itself and parent") << QByteArray("type=cdir; .\ntype=pdir; ..\ntype=file;size=1; ..\ntype=file;size=3; b") << "b=3";
        QTest::newRow("facts in any case") << QByteArray("Type=FILE;Size=7; c.gif") << "c.gif=7";
        QTest::newRow("name with spaces") << QByteArray("type=file;size=2; my page.htm") << "my page.htm=2";
        QTest::newRow("bad sizes") << QByteArray("type=file;size=-5; n\ntype=file;size=12x; x\ntype=file;size=99999999999999999999; h")
                                   << "n=-1|x=-1|h=-1";
        QTest::newRow("no name, no facts, empty") << QByteArray("type=file;size=1; \nnospace\n\n ;\n") << "";
        QTest::newRow("fact without value") << QByteArray("=file;size;type=file; d") << "d=-1";
    }
    void machine()
    {
        QFETCH(QByteArray, listing);
        QFETCH(QString, entries);
        QCOMPARE(Shown(ParseMachineListing(listing)), entries);
    }

    void names_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<QString>("entries");
        QTest::newRow("plain, CRLF") << QByteArray("a.htm\r\nb.gif\r\n") << "a.htm=-1|b.gif=-1";
        QTest::newRow("folder before the name") << QByteArray("site/pics/c.png\n/d") << "c.png=-1|d=-1";
        QTest::newRow("dots, empty lines, trailing slash") << QByteArray(".\n..\n\nsub/..\nx/\n") << "";
    }
    void names()
    {
        QFETCH(QByteArray, listing);
        QFETCH(QString, entries);
        QCOMPARE(Shown(ParseNameListing(listing)), entries);
    }

    void sizeAnswer_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<qint64>("size");
        QTest::newRow("size") << QByteArray("213 1024\r\n") << qint64(1024);
        QTest::newRow("empty file") << QByteArray("213 0") << qint64(0);
        QTest::newRow("refused") << QByteArray("550 No such file\r\n") << qint64(-1);
        QTest::newRow("negative") << QByteArray("213 -4") << qint64(-1);
        QTest::newRow("not a number") << QByteArray("213 12abc") << qint64(-1);
        QTest::newRow("no space") << QByteArray("2131024") << qint64(-1);
        QTest::newRow("nothing after") << QByteArray("213 ") << qint64(-1);
    }
    void sizeAnswer()
    {
        QFETCH(QByteArray, line);
        QFETCH(qint64, size);
        QCOMPARE(ParseSizeAnswer(line), size);
    }
};

QTEST_GUILESS_MAIN(TestListing)
#include "test_publish_listing.moc"
