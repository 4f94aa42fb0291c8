// The file-transfer client against real servers on 127.0.0.1: FTP and explicit
// TLS (pyftpdlib) and SFTP (ProFTPD's mod_sftp).
#include "support/FileTree.h"
#include "publish/FtpClient.h"
#include "support/TestServers.h"
#include "support/UploadPage.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

using namespace wobbin;
using namespace wobbin::testing;

Q_DECLARE_METATYPE(wobbin::TTransferProtocol)

namespace {

// Runs work on a thread of its own while the test thread waits or acts.
struct Worker {
    std::thread thread;
    std::atomic<bool> done{false};
    template <typename F>
    explicit Worker(F f) : thread([this, f] { f(); done = true; }) {}
    ~Worker() { if (thread.joinable()) thread.join(); }
    bool WaitDone(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < ms)
            QThread::msleep(5);
        return done;
    }
};

} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_local;       // files to send
    QString m_knownHosts;

    // One server of the protocol, its home folder emptied.
    std::unique_ptr<TTestServer> StartServer(TTransferProtocol protocol, const QString &root,
                                             TFtpTestServer::Options options = {})
    {
        QDir(root).removeRecursively();
        QDir().mkpath(root);
        if (protocol == TTransferProtocol::SFTP) {
            auto s = std::make_unique<TSftpTestServer>();
            s->SetThrottle(options.Throttle);
            if (!s->Start(root))
                qWarning("%s", qPrintable(s->Error()));
            return s;
        }
        options.Root = root;
        options.Tls = protocol == TTransferProtocol::FTPS;
        auto s = std::make_unique<TFtpTestServer>();
        if (!s->Start(options))
            qWarning("%s", qPrintable(s->Error()));
        return s;
    }

    // The log-on for a server started above, trusting its certificate or key.
    TFtpLogOn LogOn(TTransferProtocol protocol, TTestServer &server, bool trust = true)
    {
        TFtpLogOn l;
        l.Protocol = protocol;
        l.Host = QStringLiteral("127.0.0.1");
        l.Port = server.Port();
        l.UserName = QStringLiteral("user");
        l.Password = QStringLiteral("secret");
        l.KnownHostsFile = m_knownHosts;
        QFile::remove(m_knownHosts);
        if (trust && protocol == TTransferProtocol::FTPS)
            l.TrustedFingerprint = static_cast<TFtpTestServer &>(server).Certificate().Fingerprint;
        if (trust && protocol == TTransferProtocol::SFTP)
            WriteBytes(m_knownHosts, static_cast<TSftpTestServer &>(server).KnownHostsLine().toLatin1() + '\n');
        return l;
    }

    static void AddProtocols()
    {
        QTest::addColumn<TTransferProtocol>("protocol");
        QTest::newRow("FTP") << TTransferProtocol::FTP;
        QTest::newRow("FTPS") << TTransferProtocol::FTPS;
        QTest::newRow("SFTP") << TTransferProtocol::SFTP;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        qputenv("HOME", m_tmp.filePath(QStringLiteral("home")).toLocal8Bit());
        m_local = m_tmp.filePath(QStringLiteral("local"));
        m_knownHosts = m_tmp.filePath(QStringLiteral("home/.ssh/known_hosts"));
        QVERIFY(WriteBytes(m_local + QStringLiteral("/page.html"), "<HTML>\r\n<BODY>\r\nHello\r\n</BODY>\r\n</HTML>\r\n"));
        QVERIFY(WriteBytes(m_local + QStringLiteral("/a.gif"), Pattern(70000, 'a')));
        QVERIFY(WriteBytes(m_local + QStringLiteral("/big.jpg"), Pattern(40 * 1024 * 1024, 'b')));
    }

    // Log on once, make and enter folders, send text and binary files: the
    // server holds exactly what was sent, under the final names only.
    void sendsOverOneConnection_data() { AddProtocols(); }
    void sendsOverOneConnection()
    {
        QFETCH(TTransferProtocol, protocol);
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        auto server = StartServer(protocol, root);
        QVERIFY(server->Running());
        WriteBytes(root + QStringLiteral("/www/a.gif"), "old picture");

        TFtpClient c;
        int disconnects = 0;
        c.OnDisconnect = [&] { ++disconnects; };
        QVERIFY2(c.Connect(LogOn(protocol, *server)), qPrintable(c.ErrorText()));
        QVERIFY(c.Connected());
        QCOMPARE(c.ErrorCode(), 0);
        QVERIFY(!c.MakeFolder(QStringLiteral("www"))); // exists
        QVERIFY(c.ErrorCode() != 0);
        QVERIFY(c.ChangeFolder(QStringLiteral("www")));
        QCOMPARE(c.CurrentFolder(), QStringLiteral("www"));
        QVERIFY(c.MakeFolder(QStringLiteral("graphics")));
        c.SetBinary(false);
        QVERIFY2(c.SendFile(m_local + QStringLiteral("/page.html"), QStringLiteral("My Page.html")), qPrintable(c.ErrorText()));
        c.SetBinary(true);
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("graphics/a.gif")));
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif"))); // over an old copy
        QCOMPARE(c.ConnectionsMade(), 1);
        c.Disconnect();
        QCOMPARE(disconnects, 1);
        QVERIFY(!c.Connected());

        QCOMPARE(FilesBelow(root), (QStringList{QStringLiteral("www/My Page.html"), QStringLiteral("www/a.gif"),
                                                QStringLiteral("www/graphics/a.gif")}));
        // (the test server keeps the line ends of a text-mode file as they came)
        QCOMPARE(ReadAll(root + QStringLiteral("/www/My Page.html")), ReadAll(m_local + QStringLiteral("/page.html")));
        QCOMPARE(ReadAll(root + QStringLiteral("/www/graphics/a.gif")), ReadAll(m_local + QStringLiteral("/a.gif")));
        QCOMPARE(ReadAll(root + QStringLiteral("/www/a.gif")), ReadAll(m_local + QStringLiteral("/a.gif")));
    }

    void wrongPassword_data() { AddProtocols(); }
    void wrongPassword()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = StartServer(protocol, m_tmp.filePath(QStringLiteral("srv")));
        QVERIFY(server->Running());
        TFtpLogOn l = LogOn(protocol, *server);
        l.Password = QStringLiteral("wrong");
        TFtpClient c;
        QVERIFY(!c.Connect(l));
        QCOMPARE(c.Failure(), FtpFailure::LogOnRefused);
        QVERIFY(c.ErrorCode() > 0);
        QVERIFY(!c.Connected());
        QVERIFY(!c.ErrorText().contains(QStringLiteral("wrong")));
    }

    // A folder that is a file, or missing: refused, the connection stays usable.
    void folderCannotBeEntered_data() { AddProtocols(); }
    void folderCannotBeEntered()
    {
        QFETCH(TTransferProtocol, protocol);
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        auto server = StartServer(protocol, root);
        WriteBytes(root + QStringLiteral("/afile"), "x");
        TFtpClient c;
        QVERIFY(c.Connect(LogOn(protocol, *server)));
        QVERIFY(!c.ChangeFolder(QStringLiteral("afile")));
        QCOMPARE(c.Failure(), FtpFailure::Refused);
        QVERIFY(!c.ChangeFolder(QStringLiteral("missing")));
        QCOMPARE(c.Failure(), FtpFailure::Refused);
        QCOMPARE(c.CurrentFolder(), QString());
        QVERIFY(c.Connected());
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")));
        // Folders named from the server's root.
        QVERIFY2(c.MakeFolder(QStringLiteral("/top")), qPrintable(c.ErrorText()));
        QVERIFY(c.ChangeFolder(QStringLiteral("/top")));
        QCOMPARE(c.CurrentFolder(), QStringLiteral("/top"));
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("b.gif")));
        QCOMPARE(FilesBelow(root), (QStringList{QStringLiteral("a.gif"), QStringLiteral("afile"), QStringLiteral("top/b.gif")}));
        QCOMPARE(c.ConnectionsMade(), 1);
    }

    // Names that would leave the folder are refused before anything is sent.
    void namesStayInTheFolder()
    {
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        auto server = StartServer(TTransferProtocol::FTP, root);
        TFtpClient c;
        QVERIFY(c.Connect(LogOn(TTransferProtocol::FTP, *server)));
        for (const char *bad : {"../x.gif", "/etc/x.gif", "a/../../x.gif", "graphics/./x.gif", "", "a\r\nDELE b"}) {
            QVERIFY2(!c.SendFile(m_local + QStringLiteral("/a.gif"), QString::fromLatin1(bad)), bad);
            QCOMPARE(c.Failure(), FtpFailure::BadName);
        }
        QVERIFY(!c.MakeFolder(QStringLiteral("..")));
        QVERIFY(!c.ChangeFolder(QStringLiteral("a/../..")));
        QCOMPARE(c.Failure(), FtpFailure::BadName);
        QCOMPARE(FilesBelow(root), QStringList());
    }

    // A folder where nothing may be written: the file is refused, nothing is
    // left behind, the next file goes elsewhere over the same connection.
    void uploadRefused_data() { AddProtocols(); }
    void uploadRefused()
    {
        QFETCH(TTransferProtocol, protocol);
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        QDir(root).removeRecursively();
        QDir().mkpath(root + QStringLiteral("/ro"));
        WriteBytes(root + QStringLiteral("/ro/a.gif"), "old");
        std::unique_ptr<TTestServer> server;
        if (protocol == TTransferProtocol::SFTP) {
            auto s = std::make_unique<TSftpTestServer>();
            s->SetReadOnly({QStringLiteral("ro")});
            QVERIFY2(s->Start(root), qPrintable(s->Error()));
            server = std::move(s);
        } else {
            TFtpTestServer::Options o;
            o.Root = root;
            o.Tls = protocol == TTransferProtocol::FTPS;
            o.ReadOnly = {QStringLiteral("ro")};
            auto s = std::make_unique<TFtpTestServer>();
            QVERIFY2(s->Start(o), qPrintable(s->Error()));
            server = std::move(s);
        }
        TFtpClient c;
        QVERIFY(c.Connect(LogOn(protocol, *server)));
        QVERIFY(!c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("ro/a.gif")));
        QCOMPARE(c.Failure(), FtpFailure::Refused);
        QVERIFY(c.Connected());
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")));
        QCOMPARE(FilesBelow(root), (QStringList{QStringLiteral("a.gif"), QStringLiteral("ro/a.gif")}));
        QCOMPARE(ReadAll(root + QStringLiteral("/ro/a.gif")), QByteArray("old"));
        QCOMPARE(c.ConnectionsMade(), 1);
    }

    // A server that cannot rename gets the file directly.
    void renameRefusedSendsDirectly()
    {
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        TFtpTestServer::Options o;
        o.NoRename = true;
        auto server = StartServer(TTransferProtocol::FTP, root, o);
        WriteBytes(root + QStringLiteral("/a.gif"), "old");
        TFtpClient c;
        QVERIFY(c.Connect(LogOn(TTransferProtocol::FTP, *server)));
        QVERIFY2(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")), qPrintable(c.ErrorText()));
        QCOMPARE(FilesBelow(root), QStringList{QStringLiteral("a.gif")});
        QCOMPARE(ReadAll(root + QStringLiteral("/a.gif")), ReadAll(m_local + QStringLiteral("/a.gif")));
    }

    // A busy FTPS server ends each data connection's handshake late, so its
    // session tickets reach the client after the whole file went: closing
    // then must not cut off what the server has not read yet. Over the old
    // copy and to a name known to be free.
    void slowTlsServerGetsWholeFiles()
    {
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        TFtpTestServer::Options o;
        o.SlowTlsData = 300;
        auto server = StartServer(TTransferProtocol::FTPS, root, o);
        WriteBytes(root + QStringLiteral("/wide.jpg"), "old");
        const QString local = m_local + QStringLiteral("/wide.jpg");
        QVERIFY(WriteBytes(local, Pattern(1024 * 1024, 'w')));
        TFtpClient c;
        QVERIFY(c.Connect(LogOn(TTransferProtocol::FTPS, *server)));
        QVERIFY2(c.SendFile(local, QStringLiteral("wide.jpg")), qPrintable(c.ErrorText()));
        QVERIFY2(c.SendFile(local, QStringLiteral("new.jpg"), RemotePresence::Absent), qPrintable(c.ErrorText()));
        QCOMPARE(FilesBelow(root), (QStringList{QStringLiteral("new.jpg"), QStringLiteral("wide.jpg")}));
        QCOMPARE(ReadAll(root + QStringLiteral("/wide.jpg")), ReadAll(local));
        QCOMPARE(ReadAll(root + QStringLiteral("/new.jpg")), ReadAll(local));
    }

    // An FTPS server that keeps only part of a file while answering that it
    // arrived: the send fails as incomplete, the old copy stays, and nothing
    // is left under a temporary name. (Plain FTP does not ask: see SendFile.)
    void fileArrivingShortFails()
    {
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        TFtpTestServer::Options o;
        o.CutUploads = 1000;
        auto server = StartServer(TTransferProtocol::FTPS, root, o);
        WriteBytes(root + QStringLiteral("/a.gif"), "old");
        TFtpClient c;
        QVERIFY(c.Connect(LogOn(TTransferProtocol::FTPS, *server)));
        QVERIFY(!c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")));
        QCOMPARE(c.Failure(), FtpFailure::Incomplete);
        QVERIFY(!c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("b.gif"), RemotePresence::Absent));
        QCOMPARE(c.Failure(), FtpFailure::Incomplete);
        QCOMPARE(FilesBelow(root), QStringList{QStringLiteral("a.gif")});
        QCOMPARE(ReadAll(root + QStringLiteral("/a.gif")), QByteArray("old"));
        // The connection still carries files that arrive whole.
        QVERIFY2(c.SendFile(m_local + QStringLiteral("/page.html"), QStringLiteral("small.html")), qPrintable(c.ErrorText()));
    }

    // Cancel in the middle of a large file: the send ends as cancelled, the
    // server's old copy in place and no partial file left. (How long a cancel
    // takes is measured by bench/bench_cancel.)
    void cancelInTheMiddleOfAFile_data() { AddProtocols(); }
    void cancelInTheMiddleOfAFile()
    {
        QFETCH(TTransferProtocol, protocol);
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        TFtpTestServer::Options o;
        o.Throttle = 4 * 1024 * 1024;
        auto server = StartServer(protocol, root, o);
        WriteBytes(root + QStringLiteral("/big.jpg"), "old copy");
        TFtpClient c;
        std::atomic<qint64> sent{0};
        c.OnProgress = [&](qint64 n, qint64) { sent = n; };
        QVERIFY(c.Connect(LogOn(protocol, *server)));
        bool ok = true;
        Worker w([&] { ok = c.SendFile(m_local + QStringLiteral("/big.jpg"), QStringLiteral("big.jpg")); });
        QTRY_VERIFY_WITH_TIMEOUT(sent > 2 * 1024 * 1024, 20000);
        QVERIFY(!w.done);
        c.Cancel();
        QVERIFY(w.WaitDone(30000));
        QVERIFY(!ok);
        QCOMPARE(c.Failure(), FtpFailure::Cancelled);
        QCOMPARE(ReadAll(root + QStringLiteral("/big.jpg")), QByteArray("old copy"));
        QTRY_COMPARE_WITH_TIMEOUT(FilesBelow(root), QStringList{QStringLiteral("big.jpg")}, 30000);
    }

    // The server goes away in the middle of a file.
    void connectionDroppedInTheMiddle_data() { AddProtocols(); }
    void connectionDroppedInTheMiddle()
    {
        QFETCH(TTransferProtocol, protocol);
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        TFtpTestServer::Options o;
        o.Throttle = 4 * 1024 * 1024;
        auto server = StartServer(protocol, root, o);
        TFtpClient c;
        std::atomic<qint64> sent{0};
        c.OnProgress = [&](qint64 n, qint64) { sent = n; };
        QVERIFY(c.Connect(LogOn(protocol, *server)));
        bool ok = true;
        Worker w([&] { ok = c.SendFile(m_local + QStringLiteral("/big.jpg"), QStringLiteral("big.jpg")); });
        QTRY_VERIFY_WITH_TIMEOUT(sent > 2 * 1024 * 1024, 20000);
        server->Kill();
        QVERIFY(w.WaitDone(5000));
        QVERIFY(!ok);
        QCOMPARE(c.Failure(), FtpFailure::ConnectionLost);
        QVERIFY(!c.Connected());
        QVERIFY(!QFile::exists(root + QStringLiteral("/big.jpg")));
        QCOMPARE(ReadAll(m_local + QStringLiteral("/big.jpg")).size(), 40 * 1024 * 1024);
    }

    // A server that stops answering: the log-on and a transfer give up within
    // their time limits.
    void serverStopsAnswering_data() { AddProtocols(); }
    void serverStopsAnswering()
    {
        QFETCH(TTransferProtocol, protocol);
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        TFtpTestServer::Options o;
        o.Throttle = 4 * 1024 * 1024;
        auto server = StartServer(protocol, root, o);
        {
            TFtpClient c;
            c.SetTimeLimits(1000, 1500);
            server->Pause();
            QElapsedTimer t;
            t.start();
            QVERIFY(!c.Connect(LogOn(protocol, *server)));
            QCOMPARE(c.Failure(), FtpFailure::LogOnTimeout);
            // Not before the limit (a busy machine only makes it later).
            QVERIFY2(t.elapsed() >= 900, qPrintable(QString::number(t.elapsed())));
            server->Resume();
        }
        TFtpClient c;
        c.SetTimeLimits(3000, 1500);
        std::atomic<qint64> sent{0};
        c.OnProgress = [&](qint64 n, qint64) { sent = n; };
        QVERIFY(c.Connect(LogOn(protocol, *server)));
        bool ok = true;
        Worker w([&] { ok = c.SendFile(m_local + QStringLiteral("/big.jpg"), QStringLiteral("big.jpg")); });
        QTRY_VERIFY_WITH_TIMEOUT(sent > 2 * 1024 * 1024, 20000);
        server->Pause();
        // The paused server never answers: only the stall limit ends the send.
        QVERIFY(w.WaitDone(30000));
        QVERIFY(!ok);
        QCOMPARE(c.Failure(), FtpFailure::Stalled);
        server->Resume();
    }

    // An untrusted certificate stops the log-on with its fingerprint; the
    // fingerprint the user accepted lets it through.
    void unknownCertificate()
    {
        auto server = StartServer(TTransferProtocol::FTPS, m_tmp.filePath(QStringLiteral("srv")));
        auto &ftps = static_cast<TFtpTestServer &>(*server);
        TFtpLogOn l = LogOn(TTransferProtocol::FTPS, *server, false);
        TFtpClient c;
        QVERIFY(!c.Connect(l));
        QCOMPARE(c.Failure(), FtpFailure::UnknownCertificate);
        QCOMPARE(c.PeerFingerprint(), ftps.Certificate().Fingerprint);
        QVERIFY(!c.Connected());
        l.TrustedFingerprint = QStringLiteral("00:11:22");
        QVERIFY(!c.Connect(l));
        QCOMPARE(c.Failure(), FtpFailure::ChangedCertificate); // not the one accepted before
        l.TrustedFingerprint = ftps.Certificate().Fingerprint.toLower();
        QVERIFY2(c.Connect(l), qPrintable(c.ErrorText()));
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")));
    }

    // A certificate from a trusted authority for the server's name needs no
    // question; one made out to another name does.
    void certificateFromTheTrustStore()
    {
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        QTemporaryDir pki;
        TTestCertificate authority, good, other;
        QString error;
        QVERIFY2(MakeTestAuthority(pki.path(), authority, &error), qPrintable(error));
        QVERIFY2(MakeSignedCertificate(pki.path(), authority, QStringLiteral("localhost"), good, &error), qPrintable(error));
        QVERIFY2(MakeSignedCertificate(pki.path(), authority, QStringLiteral("other.example"), other, &error), qPrintable(error));
        TFtpTestServer::Options o;
        o.Certificate = good;
        auto server = StartServer(TTransferProtocol::FTPS, root, o);
        TFtpLogOn l = LogOn(TTransferProtocol::FTPS, *server, false);
        l.TrustStore = authority.CertFile;
        TFtpClient c;
        QVERIFY2(c.Connect(l), qPrintable(c.ErrorText()));
        QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")));
        l.Host = QStringLiteral("localhost");
        QVERIFY2(c.Connect(l), qPrintable(c.ErrorText()));
        // Made out to another name: asked about, with its fingerprint.
        l.Host = QStringLiteral("127.0.0.1");
        server->Stop();
        o.Certificate = other;
        server = StartServer(TTransferProtocol::FTPS, root, o);
        l.Port = server->Port();
        QVERIFY(!c.Connect(l));
        QCOMPARE(c.Failure(), FtpFailure::UnknownCertificate);
        QCOMPARE(c.PeerFingerprint(), other.Fingerprint);
        l.TrustedFingerprint = other.Fingerprint;
        QVERIFY2(c.Connect(l), qPrintable(c.ErrorText()));
    }

    // An unknown host key stops the log-on with its fingerprint; accepted, it
    // goes into known_hosts; a changed key is refused whatever was accepted.
    void unknownAndChangedHostKey()
    {
        const QString root = m_tmp.filePath(QStringLiteral("srv"));
        auto server = StartServer(TTransferProtocol::SFTP, root);
        auto &sftp = static_cast<TSftpTestServer &>(*server);
        TFtpLogOn l = LogOn(TTransferProtocol::SFTP, *server, false);
        {
            TFtpClient c;
            QVERIFY(!c.Connect(l));
            QCOMPARE(c.Failure(), FtpFailure::UnknownHostKey);
            QCOMPARE(c.PeerFingerprint(), sftp.HostKeyFingerprint());
            QVERIFY(!QFile::exists(m_knownHosts));
        }
        WriteBytes(m_knownHosts, "# mine\n[127.0.0.1]:1 ecdsa-sha2-nistp256 AAAA\n");
        l.TrustedFingerprint = sftp.HostKeyFingerprint();
        {
            TFtpClient c;
            QVERIFY2(c.Connect(l), qPrintable(c.ErrorText()));
            QVERIFY(c.SendFile(m_local + QStringLiteral("/a.gif"), QStringLiteral("a.gif")));
        }
        QCOMPARE(ReadAll(m_knownHosts),
                 "# mine\n[127.0.0.1]:1 ecdsa-sha2-nistp256 AAAA\n" + sftp.KnownHostsLine().toLatin1() + '\n');
        l.TrustedFingerprint.clear();
        {
            TFtpClient c; // known now
            QVERIFY2(c.Connect(l), qPrintable(c.ErrorText()));
        }
        server->Stop();
        QVERIFY(sftp.MakeHostKey());
        QVERIFY(sftp.Start(root));
        l.TrustedFingerprint = sftp.HostKeyFingerprint();
        TFtpClient c;
        QVERIFY(!c.Connect(l));
        QCOMPARE(c.Failure(), FtpFailure::ChangedHostKey);
        QCOMPARE(c.PeerFingerprint(), sftp.HostKeyFingerprint());
    }
};

QTEST_GUILESS_MAIN(TestFtpClient)
#include "test_ftp_client.moc"
