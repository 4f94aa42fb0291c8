// The page check of the Send panel and the picture header reader behind it.
#include "publish/PageCheck.h"
#include "publish/PictureHeader.h"
#include "publish/ServerList.h"
#include "publish/UploadManifest.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

namespace {

std::unique_ptr<TWebChunk> Image(const QString &file, const QString &alt = QStringLiteral("A cat"),
                                 const QString &link = QStringLiteral("http://"))
{
    auto b = NewBlock(bkImage);
    b->Image->FileName = file;
    b->Image->AltText = alt;
    b->Image->LinkURL = link;
    return b;
}

std::unique_ptr<TWebChunk> Link(const QString &url)
{
    auto b = NewBlock(bkLink);
    b->Link->URL = url;
    b->Link->LinkText = QStringLiteral("here");
    return b;
}

std::unique_ptr<TWebChunk> Email(const QString &address)
{
    auto b = NewBlock(bkEmail);
    b->Email->Address = address;
    return b;
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A GIF header of the given logical screen size (Qt writes no GIF).
QByteArray GifHeader(int w, int h)
{
    QByteArray b("GIF89a");
    b.append(char(w & 0xFF)).append(char(w >> 8)).append(char(h & 0xFF)).append(char(h >> 8));
    b.append(QByteArray(20, '\0'));
    return b;
}

QByteArray Be16(int v) { return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF); }

bool Dimensions(const QByteArray &bytes, int &w, int &h, QString &format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadPictureDimensions(buffer, w, h, format);
}

QList<PageProblemKind> Kinds(const QList<TPageProblem> &problems)
{
    QList<PageProblemKind> out;
    for (const TPageProblem &p : problems)
        out << p.Kind;
    return out;
}

} // namespace

class TestPublishCheck : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_html; // the HTML folder

    TPageCheckInput Input(const BlockList &blocks)
    {
        TPageCheckInput in;
        in.Blocks = &blocks;
        in.PageTitle = QStringLiteral("My holiday");
        in.PageFile = m_dir.filePath(QStringLiteral("save/index.qze"));
        in.HtmlFolder = m_html;
        return in;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_html = m_dir.filePath(QStringLiteral("HTMLFiles"));
        QVERIFY(QDir().mkpath(m_html + QStringLiteral("/graphics")));
        QImage small(640, 480, QImage::Format_RGB32);
        small.fill(Qt::blue);
        QVERIFY(small.save(m_html + QStringLiteral("/graphics/small.jpg"), "JPEG"));
        QImage wide(2600, 40, QImage::Format_RGB32);
        wide.fill(Qt::white);
        QVERIFY(wide.save(m_html + QStringLiteral("/graphics/wide.png"), "PNG"));
        // Over 1 MB, 300 pixels wide: a PNG header followed by padding.
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        QImage heavy(300, 200, QImage::Format_RGB32);
        heavy.fill(Qt::red);
        QVERIFY(heavy.save(&png, "PNG"));
        WriteBytes(m_html + QStringLiteral("/graphics/heavy.png"), png.data() + QByteArray(1500 * 1024, 'x'));
        WriteBytes(m_html + QStringLiteral("/graphics/my cat.gif"), GifHeader(20, 20));
        WriteBytes(m_dir.filePath(QStringLiteral("outside.gif")), GifHeader(20, 20));
    }

    void cleanPageHasNoEntries()
    {
        BlockList blocks;
        blocks.Append(Image(QStringLiteral("graphics\\small.jpg")));
        blocks.Append(Image(QStringLiteral("GRAPHICS\\Small.JPG"))); // found without regard to case
        blocks.Append(Link(QStringLiteral("http://www.example.com/")));
        blocks.Append(Email(QStringLiteral("ann.lee+web@mail.example.co.uk")));
        blocks.Append(NewBlock(bkPara));
        blocks.Append(NewBlock(bkLine));
        const QList<TPageProblem> problems = CheckPage(Input(blocks));
        for (const TPageProblem &p : problems)
            qWarning() << p.Text;
        QVERIFY(problems.isEmpty());
    }

    void picturesNamedByBlocks()
    {
        BlockList blocks;
        blocks.Append(NewBlock(bkPara));
        blocks.Append(Image(QString()));                                   // 2: nothing chosen
        blocks.Append(Image(QStringLiteral("graphics\\gone.jpg")));        // 3: missing
        blocks.Append(Image(QStringLiteral("C:\\Photos\\a.jpg")));         // 4: outside (drive)
        blocks.Append(Image(QStringLiteral("../outside.gif")));            // 5: outside (..), though it exists
        blocks.Append(Image(QStringLiteral("graphics\\wide.png")));        // 6: wide
        blocks.Append(Image(QStringLiteral("graphics\\heavy.png"), QString())); // 7: heavy, no description
        blocks.Append(Image(QStringLiteral("graphics\\my cat.gif")));      // 8: blanks
        blocks.Append(Image(QStringLiteral("http://example.com/logo.gif"))); // a web address: not a file of ours
        const QList<TPageProblem> p = CheckPage(Input(blocks));
        QCOMPARE(Kinds(p), (QList<PageProblemKind>{PageProblemKind::NoPicture, PageProblemKind::MissingPicture,
                                                   PageProblemKind::PictureOutsideFolder,
                                                   PageProblemKind::PictureOutsideFolder, PageProblemKind::SlowPicture,
                                                   PageProblemKind::SlowPicture, PageProblemKind::NoDescription,
                                                   PageProblemKind::BlanksInAddress}));
        QCOMPARE(p[0].BlockIndex, 1);
        QCOMPARE(p[0].Text.left(18), QStringLiteral("Block 2 (Image): n"));
        QCOMPARE(p[1].Text, QStringLiteral("Block 3 (Image): the picture graphics\\gone.jpg is not in your Web Page "
                                           "folder, so the page would show a broken picture. Choose the picture again."));
        QCOMPARE(p[1].Field, QStringLiteral("txtImgFileName"));
        QVERIFY(p[1].Serious);
        QCOMPARE(p[2].BlockIndex, 3);
        QCOMPARE(p[3].BlockIndex, 4);
        // Wide: its size and pixels; heavy: its size and the time on a slow line.
        QCOMPARE(p[4].BlockIndex, 5);
        QVERIFY2(p[4].Text.contains(QStringLiteral("2,600 × 40 pixels")), qPrintable(p[4].Text));
        QVERIFY(!p[4].Serious);
        QCOMPARE(p[5].BlockIndex, 6);
        QVERIFY2(p[5].Text.contains(QStringLiteral("(1.5 MB, 300 × 200 pixels) takes about 12 seconds")),
                 qPrintable(p[5].Text));
        QCOMPARE(p[6].BlockIndex, 6);
        QCOMPARE(p[6].Field, QStringLiteral("txtImgDesc"));
        QCOMPARE(p[7].BlockIndex, 7);
        QCOMPARE(p[7].Reference, QStringLiteral("graphics\\my cat.gif"));
    }

    void linksAndAddresses()
    {
        BlockList blocks;
        blocks.Append(Link(QStringLiteral("http://")));                    // 0
        blocks.Append(Link(QString()));                                    // 1
        blocks.Append(Link(QStringLiteral("http://www.example.com/my page.html"))); // 2
        blocks.Append(Link(QStringLiteral("www.example.com")));            // 3
        blocks.Append(Link(QStringLiteral("HTTPS://")));                   // 4
        blocks.Append(Link(QStringLiteral("other.html")));                 // a page of the same site: fine
        // A picture's link: "http://" and empty mean "no link"; blanks do not.
        blocks.Append(Image(QStringLiteral("graphics\\small.jpg"), QStringLiteral("x"), QString()));
        blocks.Append(Image(QStringLiteral("graphics\\small.jpg"), QStringLiteral("x"),
                            QStringLiteral("http://example.com/a b"))); // 7
        const QList<TPageProblem> p = CheckPage(Input(blocks));
        QCOMPARE(Kinds(p), (QList<PageProblemKind>{PageProblemKind::UnfinishedLink, PageProblemKind::UnfinishedLink,
                                                   PageProblemKind::BlanksInAddress, PageProblemKind::LinkWithoutScheme,
                                                   PageProblemKind::UnfinishedLink, PageProblemKind::BlanksInAddress}));
        QCOMPARE(p[0].Field, QStringLiteral("txtLinkURL"));
        QCOMPARE(p[0].Text.left(16), QStringLiteral("Block 1 (Link): "));
        QCOMPARE(p[3].Text, QStringLiteral("Block 4 (Link): the address www.example.com has no http:// in front, so "
                                           "browsers look for it on your own site. Write http://www.example.com instead."));
        QCOMPARE(p[5].BlockIndex, 7);
        QCOMPARE(p[5].Field, QStringLiteral("txtImgLink"));
    }

    void emailAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "ann@example.com" << true;
        QTest::newRow("blanks around") << "  ann@example.com " << true;
        QTest::newRow("subdomain, plus") << "a.b+c@mail.example.org" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no at") << "ann.example.com" << false;
        QTest::newRow("no domain dot") << "ann@localhost" << false;
        QTest::newRow("two ats") << "ann@b@example.com" << false;
        QTest::newRow("nothing before at") << "@example.com" << false;
        QTest::newRow("blank inside") << "ann lee@example.com" << false;
        QTest::newRow("mailto written") << "mailto:ann@example.com" << false;
        QTest::newRow("trailing dot") << "ann@example.com." << false;
        QTest::newRow("double dot") << "ann..lee@example.com" << false;
        QTest::newRow("digit top level") << "ann@example.c0m" << false;
        QTest::newRow("hyphen label") << "ann@-example.com" << false;
    }
    void emailAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QCOMPARE(LooksLikeEmailAddress(address), valid);
        BlockList blocks;
        blocks.Append(NewBlock(bkHeading));
        blocks.Append(Email(address));
        const QList<TPageProblem> p = CheckPage(Input(blocks));
        QCOMPARE(p.size(), valid ? 0 : 1);
        if (!valid) {
            QCOMPARE(p[0].Kind, PageProblemKind::NotEmailAddress);
            QCOMPARE(p[0].BlockIndex, 1);
            QCOMPARE(p[0].BlockKind, int(bkEmail));
            QCOMPARE(p[0].Field, QStringLiteral("txtEmail"));
            QVERIFY(p[0].Text.startsWith(QStringLiteral("Block 2 (E-mail): ")));
        }
    }

    void titleAndPageName()
    {
        BlockList blocks;
        TPageCheckInput in = Input(blocks);
        in.PageTitle = QStringLiteral("   ");
        in.PageFile = m_dir.filePath(QStringLiteral("save/My Holiday.qze"));
        QList<TPageProblem> p = CheckPage(in);
        QCOMPARE(Kinds(p), (QList<PageProblemKind>{PageProblemKind::EmptyTitle, PageProblemKind::PageNameChanged}));
        QCOMPARE(p[0].Field, QStringLiteral("txtTitle"));
        QCOMPARE(p[0].BlockIndex, -1);
        QCOMPARE(p[1].Reference, QStringLiteral("MyHoliday.html"));
        QVERIFY(p[1].Text.contains(QStringLiteral("store it as MyHoliday.html")));

        in.PageTitle = DefaultPageTitle();
        in.PageFile = m_dir.filePath(QStringLiteral("save/holiday.qze"));
        p = CheckPage(in);
        QCOMPARE(Kinds(p), QList<PageProblemKind>{PageProblemKind::DefaultTitle});

        // Never saved: nothing about its name.
        in.PageTitle = QStringLiteral("Mine");
        in.PageFile.clear();
        in.FirstPageOfSite = true;
        QVERIFY(CheckPage(in).isEmpty());
    }

    void firstPageOfSite()
    {
        BlockList blocks;
        TPageCheckInput in = Input(blocks);
        in.PageFile = m_dir.filePath(QStringLiteral("save/holiday.qze"));
        QVERIFY(CheckPage(in).isEmpty()); // the site has pages already
        in.FirstPageOfSite = true;
        QList<TPageProblem> p = CheckPage(in);
        QCOMPARE(Kinds(p), QList<PageProblemKind>{PageProblemKind::FirstPageNotIndex});
        QVERIFY(p[0].Text.contains(QStringLiteral("not called index")));
        in.PageFile = m_dir.filePath(QStringLiteral("save/Index.qze"));
        p = CheckPage(in);
        QCOMPARE(Kinds(p), QList<PageProblemKind>{PageProblemKind::FirstPageNotIndex});
        QVERIFY(p[0].Text.contains(QStringLiteral("stored as Index.html")));
        in.PageFile = m_dir.filePath(QStringLiteral("save/index.qze"));
        QVERIFY(CheckPage(in).isEmpty());
    }

    // Pictures of the saved HTML that no block names (background, logo, hand
    // edits) are checked as the page's; a block's picture is reported once.
    void picturesOfTheSavedPage()
    {
        BlockList blocks;
        blocks.Append(Image(QStringLiteral("graphics\\gone.jpg")));
        TPageCheckInput in = Input(blocks);
        auto res = [](const QString &ref) {
            ResourceDetail d;
            d.RefName = ref;
            return d;
        };
        in.Resources = {res(QStringLiteral("graphics/gone.jpg")), res(QStringLiteral("backgrnd/sky.jpg")),
                        res(QStringLiteral("graphics/small.jpg")), res(QStringLiteral("backgrnd/sky.jpg")),
                        res(QStringLiteral("graphics/wide.png"))};
        const QList<TPageProblem> p = CheckPage(in);
        QCOMPARE(Kinds(p), (QList<PageProblemKind>{PageProblemKind::MissingPicture, PageProblemKind::MissingPicture,
                                                   PageProblemKind::SlowPicture}));
        QCOMPARE(p[0].BlockIndex, 0);
        QCOMPARE(p[1].BlockIndex, -1);
        QCOMPARE(p[1].Field, QString());
        QVERIFY2(p[1].Text.startsWith(QStringLiteral("Page: the picture backgrnd/sky.jpg is not in your Web Page")),
                 qPrintable(p[1].Text));
    }

    // The same picture in many blocks is measured once; a measuring function
    // can be given.
    void injectedMeasureCalledOncePerPicture()
    {
        BlockList blocks;
        for (int i = 0; i < 5; ++i)
            blocks.Append(Image(QStringLiteral("graphics\\photo.jpg")));
        blocks.Append(Image(QStringLiteral("Graphics/PHOTO.jpg")));
        int calls = 0;
        TPageCheckInput in = Input(blocks);
        in.Measure = [&calls](const QString &) {
            ++calls;
            TPictureInfo info;
            info.Exists = true;
            info.Bytes = 3 * 1024 * 1024;
            return info;
        };
        const QList<TPageProblem> p = CheckPage(in);
        QCOMPARE(calls, 1);
        QCOMPARE(p.size(), 6);
        QVERIFY2(p[0].Text.contains(QStringLiteral("(3.0 MB) takes about 25 seconds")), qPrintable(p[0].Text));
    }

    // The Send panel's call: the first page sent to a server should be the index.
    void sendPanelCall()
    {
        BlockList blocks;
        blocks.Append(Image(QStringLiteral("graphics\\gone.jpg")));
        tWWWServerType server;
        server.Address = QStringLiteral("ftp.example.com");
        server.Directory = QStringLiteral("www");
        server.UserName = QStringLiteral("ann");
        const QString sent = m_dir.filePath(QStringLiteral("sent"));
        const QString page = m_dir.filePath(QStringLiteral("save/holiday.qze"));
        auto check = [&](const tWWWServerType *s) {
            return Kinds(CheckPageForSend(blocks, QStringLiteral("Mine"), page, m_html, {}, s, sent));
        };
        QCOMPARE(check(nullptr), QList<PageProblemKind>{PageProblemKind::MissingPicture});
        QCOMPARE(check(&server), (QList<PageProblemKind>{PageProblemKind::MissingPicture,
                                                         PageProblemKind::FirstPageNotIndex}));
        TUploadManifest m(IdentityOf(server));
        m.Record(QStringLiteral("index.html"), FingerprintBytes("<html>"));
        QVERIFY(m.Save(sent).ok());
        QCOMPARE(check(&server), QList<PageProblemKind>{PageProblemKind::MissingPicture});

        // Where a double-click leads.
        TPageProblem p;
        p.BlockIndex = 0;
        p.Field = QStringLiteral("txtImgDesc");
        QCOMPARE(WorkspaceStateFor(p), 1);
        p.BlockIndex = -1;
        p.Field = QStringLiteral("txtTitle");
        QCOMPARE(WorkspaceStateFor(p), 2);
        p.Field.clear();
        QCOMPARE(WorkspaceStateFor(p), -1);
    }

    void wordsForSizesAndTimes()
    {
        QCOMPARE(SizeInWords(500), QStringLiteral("1 KB"));
        QCOMPARE(SizeInWords(850 * 1024), QStringLiteral("850 KB"));
        QCOMPARE(SizeInWords(qint64(2.4 * 1024 * 1024)), QStringLiteral("2.4 MB"));
        QCOMPARE(SlowLineTimeInWords(100 * 1024), QStringLiteral("about a second"));
        QCOMPARE(SlowLineTimeInWords(20 * 1000 * 1000), QStringLiteral("about 3 minutes"));
    }

    // Dimensions of real files written by Qt, and of a GIF header.
    void pictureHeadersOfRealFiles()
    {
        QTemporaryDir dir;
        struct Case { const char *format; int w, h; };
        for (const Case &c : {Case{"JPEG", 1234, 567}, Case{"PNG", 3001, 2}, Case{"BMP", 77, 3000}}) {
            const QString path = dir.filePath(QStringLiteral("p.") + QString::fromLatin1(c.format).toLower());
            QVERIFY(QImage(c.w, c.h, QImage::Format_RGB32).save(path, c.format));
            const TPictureInfo info = MeasurePicture(path);
            QVERIFY(info.Exists);
            QCOMPARE(info.Bytes, QFileInfo(path).size());
            QCOMPARE(info.Format, QString::fromLatin1(c.format));
            QCOMPARE(info.Width, c.w);
            QCOMPARE(info.Height, c.h);
        }
        int w = 0, h = 0;
        QString f;
        QVERIFY(Dimensions(GifHeader(640, 480), w, h, f));
        QCOMPARE(f, QStringLiteral("GIF"));
        QCOMPARE(QSize(w, h), QSize(640, 480));
        // A top-down BMP (negative height).
        QBuffer bmp;
        bmp.open(QIODevice::WriteOnly);
        QVERIFY(QImage(10, 20, QImage::Format_RGB32).save(&bmp, "BMP"));
        QByteArray b = bmp.data();
        const qint32 minus20 = -20;
        memcpy(b.data() + 22, &minus20, 4);
        QVERIFY(Dimensions(b, w, h, f));
        QCOMPARE(QSize(w, h), QSize(10, 20));

        // Not there, a folder, not a picture.
        QCOMPARE(MeasurePicture(dir.filePath(QStringLiteral("none.gif"))).Exists, false);
        QCOMPARE(MeasurePicture(dir.path()).Exists, false);
        WriteBytes(dir.filePath(QStringLiteral("text.jpg")), "hello");
        const TPictureInfo text = MeasurePicture(dir.filePath(QStringLiteral("text.jpg")));
        QVERIFY(text.Exists);
        QCOMPARE(text.Bytes, qint64(5));
        QCOMPARE(text.Width, 0);
    }

    // Damaged and hostile headers give "unknown", never a wrong size or a hang.
    void hostileHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray soi("\xFF\xD8", 2);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("jpeg soi only") << soi + QByteArray("\xFF", 1);
        QTest::newRow("jpeg segment length 0") << soi + QByteArray("\xFF\xE0\x00\x00", 4) + QByteArray(100, 'a');
        QTest::newRow("jpeg segment past end") << soi + QByteArray("\xFF\xE0\xFF\xF0", 4) + QByteArray(100, 'a');
        QTest::newRow("jpeg scan before frame") << soi + QByteArray("\xFF\xDA\x00\x04\x00\x00", 6);
        QTest::newRow("jpeg endless fill") << soi + QByteArray(100000, '\xFF');
        QTest::newRow("jpeg no marker") << soi + QByteArray(100, 'z');
        QTest::newRow("jpeg frame cut short") << soi + QByteArray("\xFF\xC0\x00\x11\x08\x01", 6);
        QTest::newRow("jpeg frame zero width") << soi + QByteArray("\xFF\xC0\x00\x11\x08", 5) + Be16(10) + Be16(0)
                                                      + QByteArray(12, '\0');
        // Many tiny segments: the reader gives up after a bounded number.
        QByteArray many = soi;
        for (int i = 0; i < 10000; ++i)
            many += QByteArray("\xFF\xE1\x00\x02", 4);
        many += QByteArray("\xFF\xC0\x00\x11\x08", 5) + Be16(10) + Be16(10) + QByteArray(12, '\0');
        QTest::newRow("jpeg too many segments") << many;
        QTest::newRow("png cut short") << QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);
        QTest::newRow("png other chunk first")
            << QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDX\x00\x00\x01\x00\x00\x00\x01\x00", 24);
        QTest::newRow("png huge") << QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR\xFF\xFF\xFF\xFF\x00\x00\x00\x01", 24);
        QTest::newRow("gif cut short") << QByteArray("GIF89a\x10", 7);
        QTest::newRow("bmp cut short") << QByteArray("BM\x00\x00", 4);
        QByteArray bmpMin("BM", 2);
        bmpMin += QByteArray(12, '\0');
        bmpMin += QByteArray("\x28\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x80", 12); // height INT_MIN
        QTest::newRow("bmp height INT_MIN") << bmpMin;
        QByteArray bmpSmallHeader("BM", 2);
        bmpSmallHeader += QByteArray(12, '\0');
        bmpSmallHeader += QByteArray("\x05\x00\x00\x00\x10\x00\x00\x00\x10\x00\x00\x00", 12);
        QTest::newRow("bmp header size 5") << bmpSmallHeader;
    }
    void hostileHeaders()
    {
        QFETCH(QByteArray, bytes);
        int w = -1, h = -1;
        QString f;
        QVERIFY(!Dimensions(bytes, w, h, f));
        QCOMPARE(w, 0);
        QCOMPARE(h, 0);
    }
};

QTEST_GUILESS_MAIN(TestPublishCheck)
#include "test_publish_check.moc"
