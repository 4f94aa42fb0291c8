// The page file: bytes as laid out by hand, every version rule, damaged and
// truncated files, atomic writing and the picture beside the page.
#include "page/PageDocument.h"
#include "pictures/PagePicture.h"
#include "support/PageBytes.h"
#include "support/SmallFileSystem.h"
#include "support/ResultCheck.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using wobbin::testing::PageBytes;

namespace {
QByteArray Hex(const char *hex) { return QByteArray::fromHex(hex); }

TWebChunk &Add(TPageDocument &doc, int kind)
{
    return doc.Blocks.Append(NewBlock(kind));
}

// Offset of the first block entry of a 1.07 file with these texts.
int BlocksStart(const QByteArray &style, const QByteArray &title)
{
    return 19 + 4 + 4 + int(style.size()) + 4 + int(title.size()) + 4;
}

// One block of every kind, with texts in every field.
void FillAllKinds(TPageDocument &doc)
{
    auto &p = *Add(doc, bkPara).Para;
    p.Text = "Para\r\ntwo";
    p.Align = 1;
    auto &l = *Add(doc, bkLink).Link;
    l.PreText = "pre"; l.URL = "http://u/"; l.LinkText = "lt"; l.PostText = "post"; l.Align = 3; l.NewLine = 1;
    auto &im = *Add(doc, bkImage).Image;
    im.FileName = "graphics\\a.gif"; im.ImgHeight = "10"; im.ImgWidth = "20"; im.AltText = "alt";
    im.LinkURL = "http://"; im.Align = 2; im.NewLine = 1;
    auto &h = *Add(doc, bkHeading).Heading;
    h.SizeText = "2 (Larger)"; h.Text = "Head"; h.Align = 2;
    auto &e = *Add(doc, bkEmail).Email;
    e.Address = "a@b.c"; e.PreText = "Write"; e.LinkText = "me"; e.PostText = "!"; e.NewLine = 1;
    auto &ln = *Add(doc, bkLine).Line;
    ln.LineWidth = "50"; ln.ThickText = "3 (Thin)";
}
} // namespace

class TestPageFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyDocumentLayout()
    {
        TPageDocument doc;
        doc.PageTitle = "T";
        const QByteArray bytes = PageFileBytes(doc, "Stars");
        const QByteArray expected = PageBytes().Header().Str("Stars").Str("T").Int(0).Trailer();
        QCOMPARE(bytes, expected);
        QCOMPARE(bytes.size(), 19 + 4 + (4 + 5) + (4 + 1) + 4 + 4 + 4 + 30);
        // An empty title (and style) is FF FF FF FF without text bytes.
        doc.PageTitle.clear();
        const QByteArray empty = PageFileBytes(doc, QString());
        QCOMPARE(empty.mid(23, 8), Hex("ffffffffffffffff"));
        TPageDocument back;
        const PageReadResult r = ReadPageBytes(empty, back);
        QVERIFY(r.IsOk());
        QVERIFY(r.HasTitle && r.Title.isEmpty());
        QCOMPARE(back.PageTitle, QString());
    }

    void paraBlockBytes()
    {
        TPageDocument doc;
        auto &p = *Add(doc, bkPara).Para;
        p.Text = "Hi";
        p.Align = 2;
        p.NewLine = 1;
        const QByteArray bytes = PageFileBytes(doc, "S");
        const int start = BlocksStart("S", doc.PageTitle.toLatin1());
        QCOMPARE(bytes.mid(start - 4, 4), Hex("01000000"));
        QCOMPARE(bytes.mid(start, 15), Hex("00000000" "01000000" "4869" "02000000" "01"));
        QCOMPARE(bytes.mid(start + 15), PageBytes().Trailer().Data());
    }

    void everyKindMatchesTheHandLayout()
    {
        TPageDocument doc;
        doc.PageTitle = "Title";
        FillAllKinds(doc);
        doc.Blocks.At(3).Heading->NewLine = 1; // not stored
        PageBytes b;
        b.Header().Str("Sky").Str("Title").Int(6);
        b.Int(0).Str("Para\r\ntwo").Int(1).Byte(0);
        b.Int(1).Str("pre").Str("http://u/").Str("lt").Str("post").Int(3).Byte(1);
        b.Int(2).Str("graphics\\a.gif").Str("10").Str("20").Str("alt").Str("http://").Int(2).Byte(1);
        b.Int(3).Str("2 (Larger)").Str("Head").Int(2);                  // no NewLine
        b.Int(4).Str("a@b.c").Str("Write").Str("me").Str("!").Int(0).Byte(1); // address first
        b.Int(5).Str("50").Str("3 (Thin)");
        b.Trailer();
        QCOMPARE(PageFileBytes(doc, "Sky"), b.Data());

        TPageDocument back;
        const PageReadResult r = ReadPageBytes(b, back);
        QVERIFY(r.IsOk());
        QCOMPARE(r.BlocksRead, 6);
        QCOMPARE(r.StyleName, QStringLiteral("Sky"));
        QCOMPARE(back.PageTitle, QStringLiteral("Title"));
        QCOMPARE(back.Blocks.At(4).Email->Address, QStringLiteral("a@b.c"));
        QCOMPARE(back.Blocks.At(4).Email->PreText, QStringLiteral("Write"));
        QCOMPARE(back.Blocks.At(3).Heading->NewLine, std::uint8_t(0));
        QCOMPARE(back.Blocks.At(2).Image->FileName, QStringLiteral("graphics\\a.gif"));
        QCOMPARE(PageFileBytes(back, "Sky"), PageFileBytes(doc, "Sky"));
        // The reader made the tiles.
        QCOMPARE(back.Tiles().Count(), 6);
        QCOMPARE(back.CheckInvariant(), QString());
    }

    void alignIsStoredInOneByte()
    {
        const QByteArray bytes = SimplePage("", "", 1, PageBytes().Para("x", 0x102, 1));
        TPageDocument doc;
        QVERIFY(ReadPageBytes(bytes, doc).IsOk());
        QCOMPARE(doc.Blocks.At(0).Para->Align, std::uint8_t(2));
    }

    void versions()
    {
        // 1.00: straight from the version to the block count.
        QByteArray v100 = PageBytes().Header("1.00").Int(1).Para("a").Trailer();
        TPageDocument d0;
        d0.PageTitle = "kept";
        PageReadResult r = ReadPageBytes(v100, d0);
        QVERIFY(r.IsOk());
        QVERIFY(!r.HasStyleName && !r.HasTitle);
        QCOMPARE(r.Minor, 0);
        QCOMPARE(d0.Blocks.Count(), 1);
        QCOMPARE(d0.PageTitle, QStringLiteral("kept"));
        // 1.02: style name, no title.
        QByteArray v102 = PageBytes().Header("1.02").Str("Sky").Int(1).Para("a").Trailer();
        TPageDocument d2;
        r = ReadPageBytes(v102, d2);
        QVERIFY(r.IsOk());
        QVERIFY(r.HasStyleName && !r.HasTitle);
        QCOMPARE(r.StyleName, QStringLiteral("Sky"));
        QCOMPARE(d2.Blocks.At(0).Para->Text, QStringLiteral("a"));
        // 1.03 on: both.
        r = ReadPageBytes(PageBytes().Header("1.03").Str("S").Str("T").Int(0).Trailer(), d2);
        QVERIFY(r.HasTitle);
        QCOMPARE(r.Minor, 3);
        // 2.00: nothing after the version.
        TPageDocument d3;
        r = ReadPageBytes(SimplePage("S", "T", 1, PageBytes().Para("a")).replace(19, 4, "2.00"), d3);
        QCOMPARE(r.Stop, PageReadStop::OtherMajorVersion);
        QCOMPARE(d3.Blocks.Count(), 0);
        QCOMPARE(d3.PageTitle, DefaultPageTitle());
        // Letters in the version: reported, not thrown.
        r = ReadPageBytes(PageBytes().Header("1.0x").Int(0), d3);
        QCOMPARE(r.Stop, PageReadStop::BadVersionText);
        r = ReadPageBytes(PageBytes().Header("x.07").Int(0), d3);
        QCOMPARE(r.Stop, PageReadStop::BadVersionText);
        // Wrong magic (the comparison is case-sensitive).
        QByteArray lower = v100;
        lower[0] = 'w';
        QCOMPARE(ReadPageBytes(lower, d3).Stop, PageReadStop::NotPageFile);
        QCOMPARE(ReadPageBytes(QByteArray(), d3).Stop, PageReadStop::NotPageFile);
        QCOMPARE(d3.Blocks.Count(), 0);
    }

    void badKindKeepsTheBlocksBefore()
    {
        PageBytes entries;
        entries.Para("one").Int(9).Para("three");
        TPageDocument doc;
        PageReadResult r = ReadPageBytes(SimplePage("", "", 3, entries), doc);
        QCOMPARE(r.Stop, PageReadStop::BadKind);
        QCOMPARE(r.ReadStopState, 4);
        QCOMPARE(r.StopBlock, 1);
        QCOMPARE(doc.Blocks.Count(), 1);
        // The next read starts afresh.
        TPageDocument next;
        r = ReadPageBytes(SimplePage("", "", 2, PageBytes().Para("a").Para("b")), next);
        QCOMPARE(r.ReadStopState, 0);
        QVERIFY(r.IsOk());
        QCOMPARE(next.Blocks.Count(), 2);
        // An end-of-blocks marker in place of a block ends the blocks normally.
        TPageDocument early;
        r = ReadPageBytes(SimplePage("", "", 3, PageBytes().Para("a").Int(-1)), early);
        QVERIFY(r.IsOk());
        QCOMPARE(r.ReadStopState, 3);
        QCOMPARE(early.Blocks.Count(), 1);
        QCOMPARE(DescribeReadResult(ReadPageBytes(SimplePage("", "", 3, entries), early)),
                 QStringLiteral("damaged: unknown block kind in block 2 (1 block read)"));
    }

    void hugeCountsAndLengthsStopAtTheEnd()
    {
        TPageDocument doc;
        PageReadResult r = ReadPageBytes(SimplePage("", "", 0x7fffffff, PageBytes().Para("a")), doc);
        // Past the real block the trailer is taken for entries: the 4 reads as
        // an e-mail block whose address is the -1 (empty) and whose next text
        // claims a length far beyond the data. The reader stops there.
        QCOMPARE(r.BlocksRead, 1);
        QCOMPARE(doc.Blocks.At(0).Para->Text, QStringLiteral("a"));
        QCOMPARE(r.Stop, PageReadStop::Truncated);
        QCOMPARE(r.StopBlock, 1);

        TPageDocument d2;
        r = ReadPageBytes(PageBytes().Header().Str("").Str("").Int(2).Para("ok").Int(0).Int(0x7ffffff0), d2);
        QCOMPARE(r.Stop, PageReadStop::Truncated);
        QCOMPARE(r.StopBlock, 1);
        QCOMPARE(d2.Blocks.Count(), 1);
        QCOMPARE(DescribeReadResult(r), QStringLiteral("truncated in block 2 (1 block read)"));

        r = ReadPageBytes(PageBytes().Header().Int(0x7fffffff), d2);
        QCOMPARE(r.Stop, PageReadStop::Truncated);
        QCOMPARE(r.StopBlock, -1);
    }

    void cutAtEveryOffset()
    {
        TPageDocument doc;
        doc.PageTitle = "Cut";
        FillAllKinds(doc);
        const QByteArray full = PageFileBytes(doc, "Sky");
        // Where each block entry ends, worked out from single-block files.
        QList<int> ends;
        int at = BlocksStart("Sky", "Cut");
        for (const auto &b : doc.Blocks) {
            TPageDocument one;
            one.Blocks.Append(CopyBlock(*b));
            at += int(PageFileBytes(one, "").size() - PageFileBytes(TPageDocument(), "").size());
            ends << at;
        }
        QCOMPARE(ends.last() + 38, full.size());
        for (int n = 0; n <= full.size(); ++n) {
            TPageDocument piece;
            const PageReadResult r = ReadPageBytes(full.left(n), piece);
            int complete = 0;
            while (complete < ends.size() && ends[complete] <= n)
                ++complete;
            QCOMPARE(r.BlocksRead, complete);
            QCOMPARE(piece.Blocks.Count(), complete);
            if (n < 19)
                QCOMPARE(r.Stop, PageReadStop::NotPageFile);
            else if (complete < ends.size())
                QCOMPARE(r.Stop, PageReadStop::Truncated);
            else
                QVERIFY(r.IsOk());
            QVERIFY(!DescribeReadResult(r).isEmpty());
            QCOMPARE(piece.CheckInvariant(), QString());
        }
    }

    void windows1252Texts()
    {
        TPageDocument doc;
        doc.PageTitle = QStringLiteral("Caf\u00e9 \u2013 \u20ac \u03a9");
        auto &p = *Add(doc, bkPara).Para;
        p.Text = QStringLiteral("\u00fc\u0161");
        const QByteArray bytes = PageFileBytes(doc, QString());
        const QByteArray title = QByteArray("Caf\xe9 \x96 \x80 &#937;");
        QVERIFY(bytes.contains(PageBytes().Str(title).Data()));
        QVERIFY(bytes.contains(PageBytes().Str("\xfc\x9a").Data()));
        TPageDocument back;
        QVERIFY(ReadPageBytes(bytes, back).IsOk());
        QCOMPARE(back.PageTitle, doc.PageTitle); // the code comes back as the letter
        QCOMPARE(PageFileBytes(back, QString()), bytes);
        QCOMPARE(back.Blocks.At(0).Para->Text, QStringLiteral("\u00fc\u0161"));
    }

    void writeFilesAndPicture()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TPageDocument doc;
        FillAllKinds(doc);
        const QString path = dir.filePath("Index.qze");
        QImage shot(640, 480, QImage::Format_ARGB32);
        shot.fill(Qt::blue);
        QString error;
        QVERIFY2(testing::Succeeds(WritePageFile(path, doc, "Sky", shot), &error), qPrintable(error));
        QCOMPARE(testing::ReadBytes(path), PageFileBytes(doc, "Sky"));
        QImage bmp(path + ".bmp", "BMP");
        QCOMPARE(bmp.size(), QSize(196, 229));
        QCOMPARE(QColor(bmp.pixel(100, 100)), QColor(Qt::blue));
        QCOMPARE(ReadPreviewPicture(path), path + ".bmp");

        // Read back through a stored path with backslashes and another case.
        TPageDocument back;
        const QString stored = QString(dir.path() + "/index.QZE").replace('/', '\\');
        QVERIFY(ReadPageFile(stored, back).IsOk());
        QCOMPARE(back.Blocks.Count(), 6);

        // A null picture writes no picture and leaves an old one alone.
        const QString other = dir.filePath("Other.qze");
        QVERIFY(WritePageFile(other, doc, "Sky", QImage()).ok());
        QVERIFY(!QFile::exists(other + ".bmp"));
        QCOMPARE(ReadPreviewPicture(other), QString());

        // Overwriting replaces the whole file.
        TPageDocument small;
        QVERIFY(WritePageFile(path, small, "", QImage()).ok());
        QCOMPARE(testing::ReadBytes(path), PageFileBytes(small, ""));
        QVERIFY(QFile::exists(path + ".bmp"));

        // An unwritable place: false with a reason.
        QVERIFY(!testing::Succeeds(WritePageFile(dir.filePath("no/such/folder/x.qze"), doc, "", shot), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadPageFile(dir.filePath("missing.qze"), back).Stop, PageReadStop::FileMissing);
        QCOMPARE(ReadPageFile(dir.path(), back).Stop, PageReadStop::FileMissing);
    }

    void fullOrReadOnlyDiskKeepsPageAndPicture()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QTemporaryDir dir;
        const QString mount = dir.filePath("small");
        QString error;
        QVERIFY2(testing::MountSmallFileSystem(mount, 256, &error), qPrintable(error));
        TPageDocument doc;
        FillAllKinds(doc);
        const QString path = mount + "/Index.qze";
        QImage shot(640, 480, QImage::Format_RGB32);
        shot.fill(Qt::blue);
        QVERIFY2(testing::Succeeds(WritePageFile(path, doc, "Sky", shot), &error), qPrintable(error));
        const QByteArray oldPage = testing::ReadBytes(path);
        const QByteArray oldPicture = testing::ReadBytes(path + ".bmp");
        QVERIFY(oldPage.size() > 100);
        QVERIFY(oldPicture.size() > 1000);

        QVERIFY(testing::FillFileSystem(mount));
        FillAllKinds(doc);
        shot.fill(Qt::red);
        QVERIFY(!testing::Succeeds(WritePageFile(path, doc, "Sky", shot), &error));
        QCOMPARE(error, QStringLiteral("The page file \"%1\" cannot be written: No space left on device").arg(path));
        QCOMPARE(testing::ReadBytes(path), oldPage);
        QCOMPARE(testing::ReadBytes(path + ".bmp"), oldPicture);

        // Room for the page but not for a second picture beside the old
        // one: neither is replaced.
        QFile::remove(mount + "/.filler");
        QVERIFY(!testing::Succeeds(WritePageFile(path, doc, "Sky", shot), &error));
        QCOMPARE(testing::ReadBytes(path), oldPage);
        QCOMPARE(testing::ReadBytes(path + ".bmp"), oldPicture);

        QVERIFY2(testing::RemountReadOnly(mount, &error), qPrintable(error));
        QVERIFY(!testing::Succeeds(WritePageFile(path, doc, "Sky", shot), &error));
        QCOMPARE(error, QStringLiteral("The page file \"%1\" cannot be written: Read-only file system").arg(path));
        QCOMPARE(testing::ReadBytes(path), oldPage);
        testing::UnmountSmallFileSystem(mount);
    }

    void previewNeedsMagicAndMajorOne()
    {
        QTemporaryDir dir;
        const QString v2 = dir.filePath("v2.qze");
        QVERIFY(testing::WriteBytes(v2, PageBytes().Header("2.00").Int(0)));
        QVERIFY(testing::WriteBytes(v2 + ".bmp", "BM"));
        QCOMPARE(ReadPreviewPicture(v2), QString());
        const QString bad = dir.filePath("bad.qze");
        QVERIFY(testing::WriteBytes(bad, "Not a page at all, really"));
        QVERIFY(testing::WriteBytes(bad + ".bmp", "BM"));
        QCOMPARE(ReadPreviewPicture(bad), QString());
        const QString ok = dir.filePath("ok.qzt");
        QVERIFY(testing::WriteBytes(ok, PageBytes().Header("1.00").Int(0)));
        QVERIFY(testing::WriteBytes(ok + ".bmp", "BM"));
        QCOMPARE(ReadPreviewPicture(ok), ok + ".bmp");
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestPageFile, QCoreApplication)
#include "test_page_file.moc"
