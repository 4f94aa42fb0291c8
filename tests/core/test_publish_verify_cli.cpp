// --verify run as a program: after --publish to a real FTP server on 127.0.0.1,
// web servers there serving the folder it wrote into (or another one) decide
// whether the page is live; the diagnosis on stdout, exit 0 or 4.
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "publish/ServerList.h"
#include "support/FileTree.h"
#include "support/ProgramRun.h"
#include "support/HttpTestServer.h"
#include "support/TestServers.h"
#include "support/ResultCheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
const QString kPassword = QStringLiteral("verify-pw 4");
} // namespace

class TestPublishVerifyCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_data, m_page, m_root;
    TFtpTestServer m_ftp;
    THttpTestServer m_web;

    static Run Start(const QStringList &args) { return RunProgram(args); }
    Run Verify(const QString &server = QStringLiteral("Home"))
    {
        return Start({"--verify", m_page, "--server", server, "--data-dir", m_data});
    }

    void StoreServer(const QString &url)
    {
        tWWWServerType r;
        r.Name = QStringLiteral("Home");
        r.Address = QStringLiteral("127.0.0.1:%1").arg(m_ftp.Port());
        r.Directory = QStringLiteral("www");
        r.UserName = QStringLiteral("user");
        r.Password = kPassword;
        r.URL = url;
        TServerList list{r};
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(list), &error), qPrintable(error));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kProgram), "build the wobbin-express target first");
        QVERIFY(m_tmp.isValid());
        m_data = m_tmp.filePath(QStringLiteral("data"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), m_data));
        m_page = m_data + QStringLiteral("/save/Example.qze");
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/www")));
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = kPassword;
        QVERIFY2(m_ftp.Start(o), qPrintable(m_ftp.Error()));
        QVERIFY2(m_web.StartPlain(m_root + QStringLiteral("/www")), qPrintable(m_web.Error()));
        StoreServer(m_web.Url());
        const Run published = Start({"--publish", m_page, "--server", "Home", "--data-dir", m_data});
        QVERIFY2(published.code == 0, published.err.constData());
    }

    void liveAfterPublishing()
    {
        const Run r = Verify(QStringLiteral("home"));
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, (QStringLiteral("Your page is live at %1Example.html\n").arg(m_web.Url())).toUtf8());
        QCOMPARE(r.code, 0);
        QVERIFY(!r.out.contains(kPassword.toUtf8()));
    }

    void pictureChangedHere()
    {
        const QString picture = m_data + QStringLiteral("/HTMLFiles/graphics/flowers.jpg");
        const QByteArray kept = ReadAll(picture);
        QFile f(picture);
        QVERIFY(f.open(QIODevice::Append));
        f.write("more");
        f.close();
        const Run r = Verify();
        QCOMPARE(r.code, 4);
        QVERIFY2(r.out.contains("Different on the web server: graphics/flowers.jpg."), r.out.constData());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kept);
        f.close();
        QCOMPARE(Verify().code, 0);
    }

    // The page file was changed since it was sent: the server shows the old one.
    void pageChangedSinceSent()
    {
        const QByteArray kept = ReadAll(m_page);
        QVERIFY(QFile::remove(m_page));
        QVERIFY(QFile::copy(m_data + QStringLiteral("/template/Family News.qzt"), m_page));
        const Run r = Verify();
        QCOMPARE(r.code, 4);
        QVERIFY2(r.out.contains("you have changed it since: send it again"), r.out.constData());
        QFile f(m_page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kept);
    }

    // The web server shows another folder: the page is not found there.
    void servedFolderMoved()
    {
        QTemporaryDir elsewhere;
        THttpTestServer moved;
        QVERIFY2(moved.StartPlain(elsewhere.path()), qPrintable(moved.Error()));
        StoreServer(moved.Url());
        Run r = Verify();
        QCOMPARE(r.code, 4);
        QVERIFY2(r.out.startsWith(QStringLiteral("Your page was sent, but the web server says there is no page at %1Example.html. "
                                                 "Your files went to the folder \"www\"")
                                      .arg(moved.Url())
                                      .toUtf8()),
                 r.out.constData());
        // No web address in the server list.
        StoreServer(QString());
        r = Verify();
        QCOMPARE(r.code, 4);
        QVERIFY(r.out.contains("no web address"));
        StoreServer(m_web.Url());
    }

    void usageAndUnknownServer()
    {
        Run r = Verify(QStringLiteral("Nobody"));
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("no server \"Nobody\""));
        r = Start({"--verify", m_page, "--data-dir", m_data});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("--server"), r.err.constData());
        r = Start({"--verify", m_tmp.filePath(QStringLiteral("none.qze")), "--server", "Home"});
        QCOMPARE(r.code, 1);
        r = Start({"--help"});
        QVERIFY(r.out.contains("wobbin-express --verify PAGE --server NAME [--data-dir DIR]"));
    }

    // --publish and --verify prepare the page on one path: a picture outside
    // the HTML folder stops both, with the same words and the same status.
    void samePageFailureSameStatus()
    {
        TPageDocument doc;
        doc.PageTitle = QStringLiteral("Outside");
        doc.Blocks.Append(NewBlock(bkImage)).Image->FileName = QStringLiteral("..\\..\\outside.gif");
        const QString page = m_data + QStringLiteral("/save/Outside.qze");
        QString error;
        QVERIFY2(testing::Succeeds(WritePageFile(page, doc, QString(), QByteArray()), &error), qPrintable(error));
        const QStringList tail{"--server", "Home", "--data-dir", m_data};
        const Run verify = Start(QStringList{"--verify", page} + tail);
        const Run publish = Start(QStringList{"--publish", page} + tail);
        QCOMPARE(verify.code, 3);
        QVERIFY2(verify.err.contains("outside.gif"), verify.err.constData());
        QCOMPARE(publish.code, verify.code);
        QCOMPARE(publish.err, verify.err);
    }
};

QTEST_GUILESS_MAIN(TestPublishVerifyCli)
#include "test_publish_verify_cli.moc"
