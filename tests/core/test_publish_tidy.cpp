// A tidy server: which pictures of the record of what was sent no page uses
// any more. Only recorded pictures are named; a picture another recorded page
// uses is kept, and a recorded page that cannot be read here as it was sent
// keeps them all.
#include "publish/UnusedPictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

namespace {

TFileFingerprint Bytes(const QByteArray &b) { return FingerprintBytes(b); }

} // namespace

class TestPublishTidy : public QObject
{
    Q_OBJECT

    static TUploadManifest Record()
    {
        TUploadManifest m;
        m.Record(QStringLiteral("Home.html"), Bytes("home"));
        m.Record(QStringLiteral("graphics/Kept.gif"), Bytes("kept"));
        m.Record(QStringLiteral("graphics/old.jpg"), Bytes("old"));
        m.Record(QStringLiteral("backgrnd/old.jpg"), Bytes("old bg"));
        return m;
    }

private Q_SLOTS:
    void onlyRecordedPicturesNoPageUses()
    {
        // The page uses "graphics/kept.gif" (a server that ignores letter
        // case holds one file); a file the record does not name never appears.
        const QStringList unused = UnusedPictures(Record(), QStringLiteral("Home.html"),
                                                  {QStringLiteral("graphics/kept.gif"), QStringLiteral("graphics/new.png")}, {});
        QCOMPARE(unused, (QStringList{QStringLiteral("backgrnd/old.jpg"), QStringLiteral("graphics/old.jpg")}));
    }

    void anotherPageKeepsItsPictures()
    {
        TUploadManifest m = Record();
        m.Record(QStringLiteral("Other.html"), Bytes("other"));
        const auto otherUses = [](const TManifestEntry &page) -> std::optional<QStringList> {
            if (page.RemoteName == QLatin1String("Other.html"))
                return QStringList{QStringLiteral("backgrnd/old.jpg")};
            return std::nullopt;
        };
        QCOMPARE(UnusedPictures(m, QStringLiteral("Home.html"), {QStringLiteral("graphics/Kept.gif")}, otherUses),
                 QStringList{QStringLiteral("graphics/old.jpg")});
        // Its pictures unknown: nothing is offered at all.
        QCOMPARE(UnusedPictures(m, QStringLiteral("Home.html"), {}, {}), QStringList());
    }

    // Another page's pictures come from its HTML file here, only while that
    // is the text that was sent (after the server's rewrites).
    void anotherPageReadAsSent()
    {
        QTemporaryDir dir;
        const QString html = dir.path();
        QVERIFY(QDir().mkpath(html + QStringLiteral("/graphics")));
        QFile pic(html + QStringLiteral("/graphics/a.gif"));
        QVERIFY(pic.open(QIODevice::WriteOnly));
        pic.write("GIF89a");
        pic.close();
        const QByteArray page = "<HTML><BODY><IMG SRC=\"graphics/a.gif\"></BODY></HTML>\r\n";
        QFile f(html + QStringLiteral("/My Other.html"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(page);
        f.close();
        TUploadTarget flat;
        flat.FlatDir = true;
        TManifestEntry sent{QStringLiteral("MyOther.html"), 0, FingerprintText(page).Digest};
        QCOMPARE(RecordedPagePictures(html, TUploadTarget(), sent), QStringList{QStringLiteral("graphics/a.gif")});
        // Sent to a server without folders, the page was another text.
        QCOMPARE(RecordedPagePictures(html, flat, sent), std::nullopt);
        sent.Digest = FingerprintText("<HTML><BODY><IMG SRC=\"a.gif\"></BODY></HTML>\r\n").Digest;
        QCOMPARE(RecordedPagePictures(html, flat, sent), QStringList{QStringLiteral("a.gif")});
        sent.RemoteName = QStringLiteral("Gone.html");
        QCOMPARE(RecordedPagePictures(html, flat, sent), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestPublishTidy)
#include "test_publish_tidy.moc"
