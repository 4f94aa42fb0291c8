// Publishing to a web server by WebDAV (Apache's mod_dav on 127.0.0.1):
// Basic and Digest log-on, HTTPS with the certificate rules, the server's
// refusals, a server that dies or stops answering, a cancel, the
// changed-only rule, and a listing that tries to lead out of the folder.
#include "publish/FtpClient.h"
#include "publish/UnusedPictures.h"
#include "publish/Upload.h"
#include "publish/WebDavClient.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "support/DavTestServer.h"
#include "support/FileTree.h"
#include "support/SmallFileSystem.h"
#include "support/UploadPage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

const QString kPassword = QStringLiteral("p4ss:wörd");

} // namespace

class TestPublishWebDav : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_html, m_pageFile, m_root, m_records;
    QByteArray m_pageBytes;

    TUploadPage Page() const { return PageToSend(m_pageFile, m_html, m_records); }

    std::unique_ptr<TDavTestServer> Start(TDavTestServer::Options o = {})
    {
        o.Password = kPassword;
        auto s = std::make_unique<TDavTestServer>();
        if (!s->Start(o))
            qWarning("%s", qPrintable(s->Error()));
        m_root = s->Root();
        return s;
    }

    TUploadTarget Target(const TDavTestServer &server, bool tls, const QString &folder = QStringLiteral("www/site"))
    {
        TUploadTarget t;
        t.Name = QStringLiteral("Web Disk");
        t.Protocol = tls ? TTransferProtocol::WebDAVS : TTransferProtocol::WebDAV;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        t.Directory = folder;
        t.UserName = QStringLiteral("user");
        t.Password = kPassword;
        t.Connections = 1;
        return t;
    }

    TUploadOutcome Publish(const TUploadTarget &t, QStringList *order = nullptr)
    {
        TUploadJob job(Page(), t);
        job.SetTimeLimits(5000, 3000);
        if (order)
            job.OnFile = [order](const QString &name, qint64 sent, qint64 size) {
                if (sent == size && !order->contains(name))
                    *order << name;
            };
        return job.DoUpload();
    }

    // A client logged on to the server, in the folder "www".
    bool LogOn(TFtpClient &client, const TDavTestServer &server)
    {
        TFtpLogOn logOn;
        logOn.Protocol = TTransferProtocol::WebDAV;
        logOn.Host = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        logOn.UserName = QStringLiteral("user");
        logOn.Password = kPassword;
        client.SetTimeLimits(5000, 2000);
        if (!client.Connect(logOn))
            return false;
        client.MakeFolder(QStringLiteral("www")); // there already after another row
        return client.ChangeFolder(QStringLiteral("www"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_pageFile = m_tmp.filePath(QStringLiteral("save/My Page.qze"));
        m_records = m_tmp.filePath(QStringLiteral("records"));
        m_pageBytes = "<HTML><BODY BACKGROUND=\"backgrnd/Sky Blue.jpg\"><IMG SRC=\"graphics/A.gif\">"
                      "<IMG SRC=\"graphics/big.gif\"></BODY></HTML>\r\n";
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"), m_pageBytes));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/A.gif"), Pattern(60000, 'a')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/big.gif"), Pattern(3 << 20, 'g')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/Sky Blue.jpg"), Pattern(70000, 's')));
    }

    // Byte for byte, the page last, with either log-on and over HTTPS once
    // its certificate is accepted; then only what changed goes again.
    void publishesWithThePageLast_data()
    {
        QTest::addColumn<bool>("digest");
        QTest::addColumn<bool>("tls");
        QTest::newRow("Basic over HTTP") << false << false;
        QTest::newRow("Digest") << true << false;
        QTest::newRow("HTTPS") << false << true;
    }
    void publishesWithThePageLast()
    {
        QFETCH(bool, digest);
        QFETCH(bool, tls);
        TDavTestServer::Options o;
        o.Digest = digest;
        o.Tls = tls;
        auto server = Start(o);
        QVERIFY2(server->Running(), qPrintable(server->Error()));
        QDir(m_records).removeRecursively();
        TUploadTarget t = Target(*server, tls);
        if (tls) {
            TUploadJob job(Page(), t);
            const TUploadOutcome asked = job.DoUpload();
            QCOMPARE(asked.Result, UploadResult::NeedsTrust);
            QCOMPARE(asked.Trust, TrustKind::Certificate);
            QCOMPARE(asked.Fingerprint, server->Certificate().Fingerprint);
            QCOMPARE(FilesBelow(m_root), QStringList());
            job.AcceptFingerprint(asked.Fingerprint);
            const TUploadOutcome accepted = job.DoUpload();
            QVERIFY2(accepted.Result == UploadResult::Succeeded, qPrintable(accepted.Message));
            QCOMPARE(accepted.AcceptedFingerprint, server->Certificate().Fingerprint);
            t.TrustedFingerprint = accepted.AcceptedFingerprint;
            QDir(m_records).removeRecursively();
        }
        QStringList order;
        TUploadOutcome out = Publish(t, &order);
        QVERIFY2(out.Result == UploadResult::Succeeded, qPrintable(out.Message + server->LogText()));
        QCOMPARE(order.size(), 4);
        QCOMPARE(order.last(), QStringLiteral("My Page.html"));
        const QString site = m_root + QStringLiteral("/www/site/");
        QCOMPARE(FilesBelow(m_root), (QStringList{"www/site/MyPage.html", "www/site/backgrnd/Sky Blue.jpg",
                                                  "www/site/graphics/A.gif", "www/site/graphics/big.gif"}));
        QCOMPARE(ReadBytes(site + QStringLiteral("MyPage.html")), m_pageBytes);
        for (const char *f : {"backgrnd/Sky Blue.jpg", "graphics/A.gif", "graphics/big.gif"})
            QCOMPARE(ReadBytes(site + QLatin1String(f)), ReadBytes(m_html + QLatin1Char('/') + QLatin1String(f)));
        QVERIFY(!out.Message.contains(kPassword));

        // Changed-only: one picture changed here, and only it goes again,
        // into place over the old one.
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/A.gif"), Pattern(61000, 'A')));
        order.clear();
        out = Publish(t, &order);
        QVERIFY2(out.Result == UploadResult::Succeeded, qPrintable(out.Message));
        QCOMPARE(order, QStringList{QStringLiteral("graphics/A.gif")});
        QCOMPARE(ReadBytes(site + QStringLiteral("graphics/A.gif")), Pattern(61000, 'A'));
        QCOMPARE(FilesBelow(m_root).size(), 4); // no temporary file left
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/A.gif"), Pattern(60000, 'a')));

        // The tidy server's removal goes by DELETE.
        TRemoveUnusedJob tidy(t, {QStringLiteral("graphics/big.gif")}, m_records);
        QCOMPARE(tidy.Run().Removed, QStringList{QStringLiteral("graphics/big.gif")});
        QVERIFY(!QFile::exists(site + QStringLiteral("graphics/big.gif")));

        if (tls) {
            // Another certificate where one was accepted: refused with its warning, nothing sent.
            server->Stop();
            auto other = Start(o);
            QVERIFY2(other->Running(), qPrintable(other->Error()));
            TUploadTarget again = Target(*other, true);
            again.TrustedFingerprint = t.TrustedFingerprint;
            const TUploadOutcome changed = Publish(again);
            QCOMPARE(changed.Result, UploadResult::NeedsTrust);
            QCOMPARE(changed.Trust, TrustKind::ChangedCertificate);
            QCOMPARE(changed.Fingerprint, other->Certificate().Fingerprint);
            QCOMPARE(FilesBelow(m_root), QStringList());
        }
    }

    // What the server refuses, in the user's words.
    void refusals()
    {
        TDavTestServer::Options o;
        o.Denied = {QStringLiteral("private")};
        o.ReadOnly = {QStringLiteral("readonly")};
        auto server = Start(o);
        QVERIFY2(server->Running(), qPrintable(server->Error()));

        TUploadTarget wrong = Target(*server, false);
        wrong.Password = QStringLiteral("guess");
        TUploadOutcome out = Publish(wrong);
        QCOMPARE(out.Result, UploadResult::Failed);
        QCOMPARE(out.Message, LoadStr(Msg::LoginFailed));

        out = Publish(Target(*server, false, QStringLiteral("private/site")));
        QCOMPARE(out.Result, UploadResult::Failed);
        QCOMPARE(out.Message, LoadStr(Msg::FolderChangeFailed) + QStringLiteral("\r\n") + LoadStr(Msg::CheckFolderDetails));

        out = Publish(Target(*server, false, QStringLiteral("readonly")));
        QCOMPARE(out.Result, UploadResult::Failed);
        QVERIFY2(out.Message.contains(LoadStr(Msg::ServerRefused)), qPrintable(out.Message));
        QCOMPARE(FilesBelow(m_root), QStringList());
    }

    // A server whose disk is full says so (507): told as such, not as a refusal.
    void serverFull()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        auto server = Start();
        QVERIFY2(server->Running(), qPrintable(server->Error()));
        const QString full = m_root + QStringLiteral("/full");
        QString error;
        QVERIFY2(MountSmallFileSystem(full, 1024, &error), qPrintable(error));
        server->HandOver();
        const TUploadOutcome out = Publish(Target(*server, false, QStringLiteral("full")));
        UnmountSmallFileSystem(full);
        QCOMPARE(out.Result, UploadResult::Failed);
        QVERIFY2(out.Message.contains(LoadStr(Msg::ServerFull)), qPrintable(out.Message));
    }

    // A server that dies or freezes in the middle of a file, and a cancel:
    // the cause named, nothing left under a real name or a temporary one.
    void interruptedInTheMiddleOfAFile_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("server dies") << 0;
        QTest::newRow("server stops answering") << 1;
        QTest::newRow("cancel") << 2;
    }
    void interruptedInTheMiddleOfAFile()
    {
        QFETCH(int, how);
        auto server = Start();
        QVERIFY2(server->Running(), qPrintable(server->Error()));
        const QString large = m_tmp.filePath(QStringLiteral("large.bin"));
        QVERIFY(WriteBytes(large, Pattern(48 << 20, 'L')));
        TFtpClient client;
        QVERIFY2(LogOn(client, *server), qPrintable(client.ErrorText()));
        bool done = false;
        client.OnProgress = [&](qint64 sent, qint64) {
            if (done || sent < (4 << 20))
                return;
            done = true;
            if (how == 0)
                server->Kill();
            else if (how == 1)
                server->Pause();
            else
                client.Cancel();
        };
        QVERIFY(!client.SendFile(large, QStringLiteral("large.bin"), RemotePresence::Unknown));
        QVERIFY(done);
        const FtpFailure expected[] = {FtpFailure::ConnectionLost, FtpFailure::Stalled, FtpFailure::Cancelled};
        QCOMPARE(client.Failure(), expected[how]);
        server->Resume();
        // Apache keeps what arrives of a file under a name of its own until
        // it is whole: neither the real name nor the temporary one shows.
        const QStringList left = FilesBelow(m_root + QStringLiteral("/www"));
        QVERIFY2(!left.contains(QStringLiteral("large.bin")) && !left.contains(TFtpClient::TemporaryName(QStringLiteral("large.bin"))),
                 qPrintable(left.join(QLatin1Char(' '))));
    }

    // A listing is the server's word: names that would lead elsewhere are
    // left out, a document type declaration refuses it whole.
    void hostileListing()
    {
        const QByteArray xml =
            "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\">"
            "<D:response><D:href>/www/</D:href><D:propstat><D:prop><D:resourcetype><D:collection/></D:resourcetype>"
            "</D:prop></D:propstat></D:response>"
            "<D:response><D:href>http://127.0.0.1:8/www/Sky%20Blue.jpg</D:href><D:propstat><D:prop>"
            "<D:getcontentlength>70000</D:getcontentlength></D:prop></D:propstat></D:response>"
            "<D:response><D:href>/www/..%2F..%2Fetc%2Fpasswd</D:href></D:response>"
            "<D:response><D:href>/www/%2E%2E</D:href></D:response>"
            "<D:response><D:href>/www/a%0D%0ADELE%20x</D:href></D:response>"
            "<D:response><D:href>relative.gif</D:href></D:response>"
            "</D:multistatus>";
        QList<TDavEntry> entries;
        QVERIFY(TWebDavClient::ParseMultistatus(xml, entries));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0).Path, QStringList{QStringLiteral("www")});
        QVERIFY(entries.at(0).Folder);
        QCOMPARE(entries.at(1).Path, (QStringList{QStringLiteral("www"), QStringLiteral("Sky Blue.jpg")}));
        QCOMPARE(entries.at(1).Size, 70000);

        const QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                                "<D:multistatus xmlns:D=\"DAV:\"><D:response><D:href>/www/&b;</D:href></D:response>"
                                "</D:multistatus>";
        QVERIFY(!TWebDavClient::ParseMultistatus(bomb, entries));
        QVERIFY(!TWebDavClient::ParseMultistatus("<html>not found</html>", entries));
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestPublishWebDav, QCoreApplication)
#include "test_publish_webdav.moc"
