// Uploads that send only what changed, and the check after them, against real
// servers on 127.0.0.1: the FTP and SFTP servers of the upload tests, and a web
// server serving the folder the files go to (then another folder).
#include "support/FileTree.h"
#include "publish/Upload.h"
#include "support/HttpTestServer.h"
#include "support/TestServers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace wobbin;
using namespace wobbin::testing;

Q_DECLARE_METATYPE(wobbin::TTransferProtocol)

namespace {

const QString kPassword = QStringLiteral("pw-9a8b7c");

// The file's identity on disk: a file sent again is a new file (it is sent
// under a temporary name and renamed into place).
quint64 Inode(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

} // namespace

class TestPublishManifestUpload : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_html, m_pageFile, m_root, m_sent, m_knownHosts;

    QString Remote(const QString &name) const { return m_root + QStringLiteral("/public_html/") + name; }

    TUploadPage Page(bool everything = false) const
    {
        TUploadPage p;
        p.PageFile = m_pageFile;
        p.HtmlFolder = m_html;
        p.Images = LocaliseImages(m_pageFile, m_html);
        p.SendEverything = everything;
        p.SentFilesFolder = m_sent;
        return p;
    }

    std::unique_ptr<TTestServer> Start(TTransferProtocol protocol)
    {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        if (protocol == TTransferProtocol::SFTP) {
            auto s = std::make_unique<TSftpTestServer>();
            if (!s->Start(m_root, QStringLiteral("user"), kPassword))
                qWarning("%s", qPrintable(s->Error()));
            WriteBytes(m_knownHosts, s->KnownHostsLine().toLatin1() + '\n');
            return s;
        }
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = kPassword;
        auto s = std::make_unique<TFtpTestServer>();
        if (!s->Start(o))
            qWarning("%s", qPrintable(s->Error()));
        return s;
    }

    TUploadTarget Target(TTransferProtocol protocol, const TTestServer &server, const QString &url = QString()) const
    {
        TUploadTarget t;
        t.Name = QStringLiteral("Test Server");
        t.Protocol = protocol;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        t.Directory = QStringLiteral("public_html");
        t.UserName = QStringLiteral("user");
        t.Password = kPassword;
        t.URL = url;
        return t;
    }

    TUploadOutcome Upload(const TUploadPage &page, const TUploadTarget &target, QStringList *statuses = nullptr)
    {
        TUploadJob job(page, target);
        job.SetKnownHostsFile(m_knownHosts);
        job.OnStatus = [statuses](const QString &t) {
            if (statuses)
                *statuses << t;
        };
        return job.DoUpload();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        m_sent = m_tmp.filePath(QStringLiteral("sent"));
        m_knownHosts = m_tmp.filePath(QStringLiteral("known_hosts"));
        m_pageFile = m_tmp.filePath(QStringLiteral("save/index.qze"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/index.html"),
                          "<HTML>\r\n<BODY BACKGROUND=\"backgrnd/sky.jpg\">\r\n<IMG SRC=\"graphics/a.gif\">\r\n"
                          "<IMG SRC=\"graphics/b.gif\">\r\n</BODY>\r\n</HTML>\r\n"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), QByteArray(30000, 'a')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/b.gif"), QByteArray(20000, 'b')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/sky.jpg"), QByteArray(40000, 's')));
    }

    void init() { QDir(m_sent).removeRecursively(); }

    void onlyWhatChangedIsSent_data()
    {
        QTest::addColumn<TTransferProtocol>("protocol");
        QTest::newRow("FTP") << TTransferProtocol::FTP;
        QTest::newRow("SFTP") << TTransferProtocol::SFTP;
    }
    void onlyWhatChangedIsSent()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = Start(protocol);
        QVERIFY(server->Running());
        const TUploadTarget target = Target(protocol, *server);
        const QStringList pictures{QStringLiteral("graphics/a.gif"), QStringLiteral("graphics/b.gif"),
                                   QStringLiteral("backgrnd/sky.jpg")};

        // The first upload to a server sends everything.
        TUploadOutcome o = Upload(Page(), target);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QVERIFY(o.Skipped.isEmpty());
        QMap<QString, quint64> before;
        for (const QString &p : pictures + QStringList{QStringLiteral("index.html")})
            before.insert(p, Inode(Remote(p)));

        // Again without changes: nothing goes, not even the page, and the
        // status lines say so.
        QStringList statuses;
        o = Upload(Page(), target, &statuses);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(o.Skipped, pictures);
        QVERIFY(o.PageUnchanged);
        QVERIFY2(statuses.contains(QStringLiteral("3 pictures had not changed since the last upload and were not sent again.")),
                 qPrintable(statuses.join(QLatin1Char('|'))));
        QVERIFY(statuses.contains(QStringLiteral("The page had not changed since the last upload and was not sent again.")));
        for (const QString &p : pictures + QStringList{QStringLiteral("index.html")})
            QCOMPARE(Inode(Remote(p)), before.value(p));
        // The page gone from the server: it goes again.
        QVERIFY(QFile::remove(Remote(QStringLiteral("index.html"))));
        o = Upload(Page(), target);
        QVERIFY(!o.PageUnchanged);
        QVERIFY(ReadAll(Remote(QStringLiteral("index.html"))).contains("graphics/a.gif"));

        // Deleted there, changed in size there, changed here: those three go again.
        QVERIFY(QFile::remove(Remote(QStringLiteral("graphics/a.gif"))));
        QVERIFY(WriteBytes(Remote(QStringLiteral("graphics/b.gif")), "short"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/sky.jpg"), QByteArray(40000, 't')));
        const quint64 bBefore = Inode(Remote(QStringLiteral("graphics/b.gif")));
        statuses.clear();
        o = Upload(Page(), target, &statuses);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QVERIFY(o.Skipped.isEmpty());
        QCOMPARE(ReadAll(Remote(QStringLiteral("graphics/a.gif"))), QByteArray(30000, 'a'));
        QCOMPARE(ReadAll(Remote(QStringLiteral("graphics/b.gif"))), QByteArray(20000, 'b'));
        QVERIFY(Inode(Remote(QStringLiteral("graphics/b.gif"))) != bBefore);
        QCOMPARE(ReadAll(Remote(QStringLiteral("backgrnd/sky.jpg"))), QByteArray(40000, 't'));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/sky.jpg"), QByteArray(40000, 's')));

        // "Send everything" once, then back to sending only what changed.
        o = Upload(Page(), target);
        QCOMPARE(o.Skipped, QStringList{QStringLiteral("graphics/a.gif")} + QStringList{QStringLiteral("graphics/b.gif")});
        const quint64 aBefore = Inode(Remote(QStringLiteral("graphics/a.gif")));
        o = Upload(Page(true), target);
        QVERIFY(o.Skipped.isEmpty());
        QVERIFY(Inode(Remote(QStringLiteral("graphics/a.gif"))) != aBefore);
        o = Upload(Page(), target);
        QCOMPARE(o.Skipped, pictures);

        // Without folders the pictures have other names on the server: sent,
        // and the page is rewritten for them.
        TUploadTarget flat = target;
        flat.FlatDir = true;
        o = Upload(Page(), flat);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QVERIFY(o.Skipped.isEmpty());
        QCOMPARE(ReadAll(Remote(QStringLiteral("a.gif"))), QByteArray(30000, 'a'));
        QVERIFY(ReadAll(Remote(QStringLiteral("index.html"))).contains("<IMG SRC=\"a.gif\">"));
        o = Upload(Page(), flat);
        QCOMPARE(o.Skipped, (QStringList{QStringLiteral("a.gif"), QStringLiteral("b.gif"), QStringLiteral("sky.jpg")}));
    }

    // A picture that did not arrive is sent next time, even though the local
    // copy did not change.
    void failedPictureIsSentNextTime()
    {
        auto server = Start(TTransferProtocol::FTP);
        const TUploadTarget target = Target(TTransferProtocol::FTP, *server);
        QVERIFY(Upload(Page(), target).Result == UploadResult::Succeeded);
        // The server now refuses the picture folder.
        QDir(m_root + QStringLiteral("/public_html/graphics")).removeRecursively();
        QVERIFY(WriteBytes(m_root + QStringLiteral("/public_html/graphics"), "a file, not a folder"));
        TUploadOutcome o = Upload(Page(true), target);
        QCOMPARE(o.Result, UploadResult::Failed);
        QVERIFY(QFile::remove(m_root + QStringLiteral("/public_html/graphics")));
        o = Upload(Page(), target);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(o.Skipped, QStringList{QStringLiteral("backgrnd/sky.jpg")});
        QCOMPARE(ReadAll(Remote(QStringLiteral("graphics/b.gif"))), QByteArray(20000, 'b'));
    }

    // Folders files were sent to before are not made again at the start;
    // one gone since (the server's folder too) is made when it is needed.
    void goneFoldersAreMadeAgain()
    {
        auto server = Start(TTransferProtocol::FTP);
        const TUploadTarget target = Target(TTransferProtocol::FTP, *server);
        QVERIFY(Upload(Page(), target).Result == UploadResult::Succeeded);
        QVERIFY(QDir(m_root + QStringLiteral("/public_html/graphics")).removeRecursively());
        TUploadOutcome o = Upload(Page(), target);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(o.Skipped, QStringList{QStringLiteral("backgrnd/sky.jpg")});
        QCOMPARE(ReadAll(Remote(QStringLiteral("graphics/a.gif"))), QByteArray(30000, 'a'));
        QVERIFY(QDir(m_root + QStringLiteral("/public_html")).removeRecursively());
        o = Upload(Page(), target);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(ReadAll(Remote(QStringLiteral("backgrnd/sky.jpg"))), QByteArray(40000, 's'));
        QVERIFY(ReadAll(Remote(QStringLiteral("index.html"))).contains("graphics/b.gif"));
    }

    // After the upload: the web server serving the folder shows the page;
    // once it serves another folder, the check says what is wrong.
    void checkAfterTheUpload()
    {
        auto server = Start(TTransferProtocol::FTP);
        THttpTestServer web;
        QVERIFY2(web.StartPlain(m_root + QStringLiteral("/public_html")), qPrintable(web.Error()));
        const TUploadTarget target = Target(TTransferProtocol::FTP, *server, web.Url());
        TUploadOutcome o = Upload(Page(), target);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(o.Check.RemotePageName, QStringLiteral("index.html"));
        QCOMPARE(o.Check.Pictures.size(), 3);
        TVerifyResult r = VerifyPage(o.Check);
        QCOMPARE(r.Text, QStringLiteral("Your page is live at %1index.html").arg(web.Url()));

        // Pictures skipped this time are checked all the same.
        o = Upload(Page(), target);
        QCOMPARE(o.Skipped.size(), 3);
        QCOMPARE(VerifyPage(o.Check).Verdict, VerifyVerdict::Live);

        // The web server now shows an empty folder.
        QTemporaryDir elsewhere;
        THttpTestServer moved;
        QVERIFY2(moved.StartPlain(elsewhere.path()), qPrintable(moved.Error()));
        o.Check.SiteUrl = moved.Url();
        r = VerifyPage(o.Check);
        QCOMPARE(r.Verdict, VerifyVerdict::NotFound);
        QVERIFY2(r.Text.contains(QStringLiteral("the folder \"public_html\"")), qPrintable(r.Text));

        // Without folders: the pictures are looked for beside the page.
        TUploadTarget flat = target;
        flat.FlatDir = true;
        o = Upload(Page(), flat);
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(o.Check.Pictures.at(0).Reference, QStringLiteral("a.gif"));
        QCOMPARE(VerifyPage(o.Check).Verdict, VerifyVerdict::Live);
    }
};

QTEST_GUILESS_MAIN(TestPublishManifestUpload)
#include "test_publish_manifest_upload.moc"
