// The upload sequence (log on, folder, pictures, page, disconnect) with its
// status lines and messages, against real servers on 127.0.0.1 that tell
// capitals from small letters.
#include "support/FileTree.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/Upload.h"
#include "base/Paths.h"
#include "base/Secrets.h"
#include "publish/UploadRunner.h"
#include "support/TestServers.h"
#include "support/UploadPage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace wobbin;
using namespace wobbin::testing;

Q_DECLARE_METATYPE(wobbin::TTransferProtocol)

namespace {

const QString kPassword = QStringLiteral("s3cr3t-Pa55");
const QString kCrLf = QStringLiteral("\r\n");

// A secret of this test is kept masked, so that searching this process's
// memory for it finds no copy of the test's own.
constexpr char kMask = 0x5a;

// How often the last 24 characters of the masked secret are in this process's
// memory, as bytes (width 1) or as UTF-16 (width 2). The buffer read into has a
// mapping of its own, left out of the search.
int CopiesInMemory(const QByteArray &masked, int width)
{
    const QByteArray tail = masked.right(24);
    const size_t size = 1 << 20;
    char *chunk = static_cast<char *>(::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    const int mem = ::open("/proc/self/mem", O_RDONLY);
    int found = 0;
    for (const QByteArray &line : ReadAll(QStringLiteral("/proc/self/maps")).split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        const quint64 start = f.at(0).split('-').value(0).toULongLong(nullptr, 16);
        const quint64 end = f.at(0).split('-').value(1).toULongLong(nullptr, 16);
        // Regions of a gigabyte and more are reserved, not used (such as a
        // sanitizer's shadow memory): reading them would only fill them.
        if (f.size() < 2 || !f.at(1).startsWith('r') || line.contains("[v") || end - start >= (quint64(1) << 30)
            || (start <= quintptr(chunk) && quintptr(chunk) < end))
            continue;
        for (quint64 at = start; at < end; at += size - 64) {
            const ssize_t got = ::pread(mem, chunk, size_t(qMin<quint64>(size, end - at)), off_t(at));
            for (ssize_t q = 0; q + tail.size() * width <= got; ++q) {
                int i = 0;
                while (i < tail.size() && chunk[q + i * width] == char(tail.at(i) ^ kMask) && (width == 1 || !chunk[q + i * width + 1]))
                    ++i;
                found += i == tail.size();
            }
            if (got <= 0)
                break;
        }
    }
    ::close(mem);
    ::munmap(chunk, size);
    return found;
}

// Records what the dialog would show.
struct Shown {
    QStringList statuses;
    qint64 value = -1, maximum = -1;
    void Attach(TUploadJob &job)
    {
        job.OnStatus = [this](const QString &t) { statuses << t; };
        job.OnProgress = [this](qint64 v, qint64 m) { value = v; maximum = m; };
    }
};

} // namespace

class TestPublishUpload : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_html;       // HTMLFolder
    QString m_pageFile;   // the page file (its name names the page)
    QString m_root;       // the server's side
    QString m_knownHosts;
    QByteArray m_pageBytes;

    TUploadPage Page() const { return PageToSend(m_pageFile, m_html); }

    std::unique_ptr<TTestServer> StartServer(TTransferProtocol protocol, TFtpTestServer::Options o = {},
                                             const QStringList &readOnly = {})
    {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        for (const QString &d : readOnly)
            QDir().mkpath(m_root + QLatin1Char('/') + d);
        if (protocol == TTransferProtocol::SFTP) {
            auto s = std::make_unique<TSftpTestServer>();
            s->SetReadOnly(readOnly);
            s->SetThrottle(o.Throttle);
            if (!s->Start(m_root, QStringLiteral("user"), kPassword))
                qWarning("%s", qPrintable(s->Error()));
            return s;
        }
        o.Root = m_root;
        o.Password = kPassword;
        o.Tls = protocol == TTransferProtocol::FTPS;
        o.ReadOnly = readOnly;
        auto s = std::make_unique<TFtpTestServer>();
        if (!s->Start(o))
            qWarning("%s", qPrintable(s->Error()));
        return s;
    }

    // The server above as the server list would give it, trusted.
    TUploadTarget Target(TTransferProtocol protocol, TTestServer &server, bool trust = true)
    {
        TUploadTarget t;
        t.Name = QStringLiteral("Test Server");
        t.Protocol = protocol;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        t.Directory = QStringLiteral("public_html");
        t.UserName = QStringLiteral("user");
        t.Password = kPassword;
        // One connection: the commands and the bar in the order of the
        // files (several at once: test_publish_parallel).
        t.Connections = 1;
        QFile::remove(m_knownHosts);
        if (trust && protocol == TTransferProtocol::FTPS)
            t.TrustedFingerprint = static_cast<TFtpTestServer &>(server).Certificate().Fingerprint;
        if (trust && protocol == TTransferProtocol::SFTP)
            WriteBytes(m_knownHosts, static_cast<TSftpTestServer &>(server).KnownHostsLine().toLatin1() + '\n');
        return t;
    }

    void NoPassword(const TUploadOutcome &o, const Shown &s)
    {
        QVERIFY(!o.Message.contains(kPassword));
        for (const QString &t : s.statuses)
            QVERIFY(!t.contains(kPassword));
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
        m_knownHosts = m_tmp.filePath(QStringLiteral("home/.ssh/known_hosts"));
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        m_pageFile = m_tmp.filePath(QStringLiteral("save/My Page.qze"));
        m_pageBytes = "<HTML>\r\n<BODY BACKGROUND=\"backgrnd/Sky.jpg\">\r\n"
                      "<IMG SRC=\"graphics/A.gif\">\r\n<IMG SRC=\"Graphics/b.GIF\">\r\n"
                      "</body>\r\n</HTML>\r\n";
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"), m_pageBytes));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(60000, 'a')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/b.gif"), Pattern(50000, 'b')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/sky.jpg"), Pattern(70000, 's')));
    }

    // ---- before anything is sent

    void pageNameAndRewrites()
    {
        QCOMPARE(RemotePageName(QStringLiteral("/x/My Big Page.v2.qze")), QStringLiteral("MyBigPage.v2.html"));
        QCOMPARE(ReplaceNoCase("aAa", "a", "aa"), QByteArray("aaaaaa"));
        QCOMPARE(ReplaceNoCase("x</body>y</BoDy>", "</BODY>", "F</BODY>"), QByteArray("xF</BODY>yF</BODY>"));

        TUploadTarget t;
        t.FlatDir = true;
        t.GeoCities = true;
        const TUploadPlan plan = PlanUpload(Page(), t);
        QVERIFY2(plan.Problem.isEmpty(), qPrintable(plan.Problem));
        QCOMPARE(plan.Page.RemotePath, QStringLiteral("MyPage.html"));
        QCOMPARE(QFileInfo(plan.Page.LocalPath).fileName(), QStringLiteral("My Page.nodir.html"));
        QVERIFY(!plan.Page.LocalPath.startsWith(m_html)); // a private copy
        QCOMPARE(ReadAll(plan.Page.LocalPath),
                 "<HTML>\r\n<BODY BACKGROUND=\"Sky.jpg\">\r\n<IMG SRC=\"A.gif\">\r\n<IMG SRC=\"b.GIF\">\r\n"
                     + GeoCitiesFooter() + "</BODY>\r\n</HTML>\r\n");
        QCOMPARE(ReadAll(m_html + QStringLiteral("/My Page.html")), m_pageBytes); // untouched
        QStringList remote;
        for (const TUploadFile &f : plan.Images)
            remote << f.RemotePath;
        QCOMPARE(remote, (QStringList{QStringLiteral("A.gif"), QStringLiteral("b.GIF"), QStringLiteral("Sky.jpg")}));
        QCOMPARE(plan.Images.at(1).LocalPath, QDir(m_html).filePath(QStringLiteral("graphics/b.gif")));

        const TUploadPlan plain = PlanUpload(Page(), TUploadTarget());
        QCOMPARE(plain.Page.LocalPath, QDir(m_html).filePath(QStringLiteral("My Page.html")));
        // The name on the server is the reference letter for letter.
        QCOMPARE(plain.Images.at(0).RemotePath, QStringLiteral("graphics/A.gif"));
        QCOMPARE(plain.Images.at(1).RemotePath, QStringLiteral("Graphics/b.GIF"));
        QCOMPARE(plain.Images.at(2).RemotePath, QStringLiteral("backgrnd/Sky.jpg"));
    }

    // Only files below the HTML folder are ever read; the upload does not start.
    void referencesLeavingTheHtmlFolderAreRefused()
    {
        QVERIFY(QFile::link(QStringLiteral("/etc/hostname"), m_html + QStringLiteral("/graphics/link.gif")));
        TUploadPage p = Page();
        const QStringList bad{QStringLiteral("../secret.gif"), QStringLiteral("/etc/passwd"),
                              QStringLiteral("C:\\Windows\\win.ini"), QStringLiteral("C:/pics/a.gif"),
                              QStringLiteral("HTTP://example.com/a.gif"), QStringLiteral("graphics/../../x.gif"),
                              QStringLiteral("graphics/link.gif")};
        for (const QString &r : bad) {
            ResourceDetail d;
            d.RefName = r;
            p.Images << d;
        }
        const TUploadPlan plan = PlanUpload(p, TUploadTarget());
        QCOMPARE(plan.Problem, LoadStr(Msg::PicturesOutsideNotSent) + kCrLf + bad.join(kCrLf) + kCrLf + LoadStr(Msg::NothingUploaded));

        // Through the whole upload: nothing goes over the network.
        auto server = StartServer(TTransferProtocol::FTP);
        TUploadJob job(p, Target(TTransferProtocol::FTP, *server));
        Shown s;
        s.Attach(job);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QCOMPARE(o.Message, plan.Problem);
        QCOMPARE(s.statuses, QStringList{LoadStr(Msg::UploadFailed)});
        QCOMPARE(job.Client().ConnectionsMade(), 0);
        QFile::remove(m_html + QStringLiteral("/graphics/link.gif"));
    }

    void missingHtmlFileStartsNothing()
    {
        TUploadPage p = Page();
        p.PageFile = m_tmp.filePath(QStringLiteral("save/Never Saved.qze"));
        TUploadJob job(p, TUploadTarget());
        Shown s;
        s.Attach(job);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QVERIFY(o.Message.startsWith(LoadStr(Msg::PageFileMissing) + kCrLf));
        QVERIFY(o.Message.contains(QStringLiteral("Never Saved.html")));
        QVERIFY(o.Message.endsWith(LoadStr(Msg::SavePageThenSend)));
        QCOMPARE(s.statuses, QStringList{LoadStr(Msg::UploadFailed)});
    }

    // ---- over the network

    // The whole sequence: the files on the server are byte for byte those of
    // the HTML folder, each under the name the page gives it, over one
    // connection, with the status lines in order.
    void uploadsPageAndPictures_data() { AddProtocols(); }
    void uploadsPageAndPictures()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = StartServer(protocol);
        QVERIFY(server->Running());
        TUploadTarget t = Target(protocol, *server);
        TUploadJob job(Page(), t);
        job.SetKnownHostsFile(m_knownHosts);
        Shown s;
        s.Attach(job);
        const TUploadOutcome o = job.DoUpload();
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QCOMPARE(o.Message, QString());
        const QString address = LoadStr(Msg::ConnectingTo) + QStringLiteral("127.0.0.1:%1").arg(server->Port());
        QCOMPARE(s.statuses, (QStringList{address, address, LoadStr(Msg::UploadingFiles), LoadStr(Msg::Disconnecting), LoadStr(Msg::Disconnected), LoadStr(Msg::UploadCompleted)}));
        QCOMPARE(s.value, s.maximum);
        QCOMPARE(s.maximum, 4 * 1000);
        QCOMPARE(job.Client().ConnectionsMade(), 1);
        QCOMPARE(FilesBelow(m_root), (QStringList{QStringLiteral("public_html/Graphics/b.GIF"),
                                                  QStringLiteral("public_html/MyPage.html"),
                                                  QStringLiteral("public_html/backgrnd/Sky.jpg"),
                                                  QStringLiteral("public_html/graphics/A.gif")}));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/MyPage.html")), m_pageBytes);
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/graphics/A.gif")), ReadAll(m_html + QStringLiteral("/graphics/a.gif")));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/Graphics/b.GIF")), ReadAll(m_html + QStringLiteral("/graphics/b.gif")));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/backgrnd/Sky.jpg")), ReadAll(m_html + QStringLiteral("/backgrnd/sky.jpg")));
        NoPassword(o, s);
    }

    // No directories: nothing is created, everything lands in the server's
    // folder, the page without its folder parts. GeoCities: one footer, however
    // often the page is sent; the local page never changes.
    void noDirectoriesAndGeoCities()
    {
        auto server = StartServer(TTransferProtocol::FTP);
        QDir().mkpath(m_root + QStringLiteral("/public_html"));
        TUploadTarget t = Target(TTransferProtocol::FTP, *server);
        t.FlatDir = true;
        t.GeoCities = true;
        for (int round = 0; round < 2; ++round) {
            TUploadJob job(Page(), t);
            QCOMPARE(job.DoUpload().Result, UploadResult::Succeeded);
        }
        QCOMPARE(FilesBelow(m_root), (QStringList{QStringLiteral("public_html/A.gif"), QStringLiteral("public_html/MyPage.html"),
                                                  QStringLiteral("public_html/Sky.jpg"), QStringLiteral("public_html/b.GIF")}));
        const QByteArray sent = ReadAll(m_root + QStringLiteral("/public_html/MyPage.html"));
        QCOMPARE(sent.count(GeoCitiesFooter()), 1);
        QVERIFY(!sent.contains("graphics/"));
        QCOMPARE(ReadAll(m_html + QStringLiteral("/My Page.html")), m_pageBytes);

        // Without no-directories the missing server folder is made.
        t.FlatDir = false;
        t.GeoCities = false;
        t.Directory = QStringLiteral("new");
        TUploadJob job(Page(), t);
        QCOMPARE(job.DoUpload().Result, UploadResult::Succeeded);
        QVERIFY(QFile::exists(m_root + QStringLiteral("/new/graphics/A.gif")));
        // An empty folder: the log-on folder.
        t.Directory.clear();
        TUploadJob job2(Page(), t);
        QCOMPARE(job2.DoUpload().Result, UploadResult::Succeeded);
        QVERIFY(QFile::exists(m_root + QStringLiteral("/MyPage.html")));
    }

    void wrongPassword_data() { AddProtocols(); }
    void wrongPassword()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = StartServer(protocol);
        TUploadTarget t = Target(protocol, *server);
        t.Password = QStringLiteral("not-") + kPassword;
        TUploadJob job(Page(), t);
        job.SetKnownHostsFile(m_knownHosts);
        Shown s;
        s.Attach(job);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QCOMPARE(o.Message, LoadStr(Msg::LoginFailed));
        QCOMPARE(s.statuses, (QStringList{LoadStr(Msg::ConnectingTo) + QStringLiteral("127.0.0.1:%1").arg(server->Port()), LoadStr(Msg::UploadFailed)}));
        QCOMPARE(FilesBelow(m_root), QStringList());
        NoPassword(o, s);
    }

    void unreachableServerSaysWhy()
    {
        TUploadTarget t;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(FreePort());
        t.UserName = QStringLiteral("user");
        t.Password = kPassword;
        TUploadJob job(Page(), t);
        const TUploadOutcome o = job.DoUpload();
        // The way to the server failed, not the log-on: no word about the password.
        QCOMPARE(o.Message, LoadStr(Msg::ServerUnreachable) + kCrLf + LoadStr(Msg::CheckServerAddress).arg(t.Address));
    }

    void folderCannotBeEntered()
    {
        auto server = StartServer(TTransferProtocol::FTP);
        WriteBytes(m_root + QStringLiteral("/public_html"), "a file, not a folder");
        TUploadJob job(Page(), Target(TTransferProtocol::FTP, *server));
        Shown s;
        s.Attach(job);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QCOMPARE(o.Message, LoadStr(Msg::FolderChangeFailed) + kCrLf + LoadStr(Msg::CheckFolderDetails));
        QCOMPARE(s.statuses.mid(s.statuses.size() - 2), (QStringList{LoadStr(Msg::Disconnected), LoadStr(Msg::UploadFailed)}));
        QCOMPARE(FilesBelow(m_root), QStringList{QStringLiteral("public_html")});
    }

    // A picture the server refuses and one missing here: every other picture
    // arrives, the page is kept back (it would show two holes), and message
    // 208 names the three.
    void failedPicturesAreNamed_data() { AddProtocols(); }
    void failedPicturesAreNamed()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = StartServer(protocol, {}, {QStringLiteral("public_html/backgrnd")});
        TUploadPage p = Page();
        ResourceDetail missing;
        missing.RefName = QStringLiteral("graphics/gone.gif");
        p.Images.insert(1, missing);
        TUploadJob job(p, Target(protocol, *server));
        job.SetKnownHostsFile(m_knownHosts);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QCOMPARE(o.FailedFiles, (QStringList{QStringLiteral("graphics/gone.gif"), QStringLiteral("backgrnd/Sky.jpg"),
                                             QStringLiteral("My Page.html")}));
        QCOMPARE(o.Message, LoadStr(Msg::UploadFailedDetail) + kCrLf + kCrLf + LoadStr(Msg::FilesDidNotArrive) + kCrLf + QStringLiteral("graphics/gone.gif: ")
                     + LoadStr(Msg::LocalFileUnreadable) + kCrLf + QStringLiteral("backgrnd/Sky.jpg: ") + LoadStr(Msg::ServerRefused) + kCrLf + kCrLf
                     + LoadStr(Msg::PageHeldBack));
        QCOMPARE(FilesBelow(m_root), (QStringList{QStringLiteral("public_html/Graphics/b.GIF"),
                                                  QStringLiteral("public_html/graphics/A.gif")}));
    }

    // The page itself refused (a folder holds its name): message 208 names
    // it, and the last status line says the upload failed.
    void pageRefused()
    {
        auto server = StartServer(TTransferProtocol::FTP);
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/public_html/MyPage.html")));
        TUploadJob job(Page(), Target(TTransferProtocol::FTP, *server));
        Shown s;
        s.Attach(job);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QCOMPARE(o.Message, LoadStr(Msg::UploadFailedDetail) + kCrLf + kCrLf + QStringLiteral("My Page.html: ") + LoadStr(Msg::ServerRefused));
        QCOMPARE(s.statuses.mid(2), (QStringList{LoadStr(Msg::UploadingFiles), LoadStr(Msg::Disconnecting), LoadStr(Msg::Disconnected), LoadStr(Msg::UploadFailed)}));
    }

    // The server stops answering in the middle of a picture: the upload gives
    // up within the time limit and names what did not arrive.
    void serverStopsAnsweringMidPicture()
    {
        TFtpTestServer::Options o;
        o.Throttle = 2 * 1024 * 1024;
        auto server = StartServer(TTransferProtocol::FTP, o);
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(30 * 1024 * 1024, 'a')));
        TUploadRunner runner(Page(), Target(TTransferProtocol::FTP, *server));
        runner.Job().SetTimeLimits(2000, 1500);
        QSignalSpy finished(&runner, &TUploadRunner::Finished);
        qint64 value = 0;
        connect(&runner, &TUploadRunner::Progress, this, [&](qint64 v, qint64) { value = v; });
        runner.Start();
        QTRY_VERIFY_WITH_TIMEOUT(value > 200, 20000); // well into the first picture
        server->Pause();
        QVERIFY(finished.wait(8000));
        server->Resume();
        const TUploadOutcome out = runner.Outcome();
        QCOMPARE(out.Result, UploadResult::Failed);
        QCOMPARE(out.FailedFiles, (QStringList{QStringLiteral("graphics/A.gif"), QStringLiteral("Graphics/b.GIF"),
                                               QStringLiteral("backgrnd/Sky.jpg"), QStringLiteral("My Page.html")}));
        QVERIFY(out.Message.contains(LoadStr(Msg::ServerStalled).arg(1)));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(60000, 'a')));
    }

    // Cancel in the middle of a large picture: status 203, the server's old
    // copy in place, no partial file left, and no page that would show what
    // did not arrive. (How long a cancel takes is measured by bench/bench_cancel.)
    void cancelInTheMiddleOfALargePicture_data() { AddProtocols(); }
    void cancelInTheMiddleOfALargePicture()
    {
        QFETCH(TTransferProtocol, protocol);
        TFtpTestServer::Options o;
        o.Throttle = 4 * 1024 * 1024;
        auto server = StartServer(protocol, o);
        WriteBytes(m_root + QStringLiteral("/public_html/graphics/A.gif"), "old copy");
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(40 * 1024 * 1024, 'a')));
        TUploadRunner runner(Page(), Target(protocol, *server));
        runner.Job().SetKnownHostsFile(m_knownHosts);
        QStringList statuses;
        qint64 value = 0;
        connect(&runner, &TUploadRunner::Status, this, [&](const QString &t) { statuses << t; });
        connect(&runner, &TUploadRunner::Progress, this, [&](qint64 v, qint64) { value = v; });
        QSignalSpy finished(&runner, &TUploadRunner::Finished);
        runner.Start();
        QTRY_VERIFY_WITH_TIMEOUT(value > 300, 20000);
        QVERIFY(value < 900);
        runner.Cancel();
        QVERIFY(finished.wait(30000));
        QCOMPARE(runner.Outcome().Result, UploadResult::Cancelled);
        QCOMPARE(runner.Outcome().Message, QString());
        QCOMPARE(statuses.last(), LoadStr(Msg::ConnectionCancelled));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/graphics/A.gif")), QByteArray("old copy"));
        QCOMPARE(FilesBelow(m_root), QStringList{QStringLiteral("public_html/graphics/A.gif")});
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(60000, 'a')));
    }

    // A file the server does not hold goes straight to its name; one it holds
    // (in any letter case: the server may ignore case) goes up under a
    // temporary name and is renamed into place. A folder a reference names is
    // made as written. Each folder is listed once.
    void newFilesGoStraightExistingOnesThroughATemporaryName()
    {
        const QString log = m_tmp.filePath(QStringLiteral("commands.log"));
        QFile::remove(log);
        TFtpTestServer::Options o;
        o.CommandLog = log;
        auto server = StartServer(TTransferProtocol::FTP, o);
        QVERIFY(WriteBytes(m_root + QStringLiteral("/public_html/graphics/A.gif"), "old copy"));
        QVERIFY(WriteBytes(m_root + QStringLiteral("/public_html/Graphics/B.GIF"), "other case"));
        // A picture large enough to be fingerprinted beside its transfer.
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/sky.jpg"), Pattern(5 * 1024 * 1024 + 3, 's')));
        TUploadPage page = Page();
        page.SendEverything = true;
        page.SentFilesFolder = m_tmp.filePath(QStringLiteral("sent-straight"));
        const TUploadTarget t = Target(TTransferProtocol::FTP, *server);
        {
            TUploadJob job(page, t);
            const TUploadOutcome out = job.DoUpload();
            QVERIFY2(out.Result == UploadResult::Succeeded, qPrintable(out.Message));
        }
        QStringList commands = QString::fromLatin1(ReadAll(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const auto sends = [&commands] {
            QStringList out;
            for (const QString &c : std::as_const(commands))
                if (c.startsWith(QLatin1String("STOR ")) || c.startsWith(QLatin1String("RNFR "))
                    || c.startsWith(QLatin1String("RNTO ")) || c.startsWith(QLatin1String("DELE ")))
                    out << c;
            return out;
        };
        QCOMPARE(sends(), (QStringList{QStringLiteral("STOR .wbx-A.gif.part"), QStringLiteral("RNFR .wbx-A.gif.part"),
                                       QStringLiteral("RNTO A.gif"),
                                       QStringLiteral("STOR .wbx-b.GIF.part"), QStringLiteral("RNFR .wbx-b.GIF.part"),
                                       QStringLiteral("RNTO b.GIF"),
                                       QStringLiteral("STOR Sky.jpg"), QStringLiteral("STOR MyPage.html")}));
        // graphics, Graphics, public_html; backgrnd, made just now, is known to be empty
        QCOMPARE(commands.count(QStringLiteral("MLSD")), 3);
        QCOMPARE(commands.filter(QStringLiteral("SIZE")), QStringList());
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/MyPage.html")), m_pageBytes);
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/graphics/A.gif")), ReadAll(m_html + QStringLiteral("/graphics/a.gif")));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/Graphics/b.GIF")), ReadAll(m_html + QStringLiteral("/graphics/b.gif")));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/Graphics/B.GIF")), QByteArray("other case"));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/backgrnd/Sky.jpg")), ReadAll(m_html + QStringLiteral("/backgrnd/sky.jpg")));
        // What went up is what the next upload compares with.
        {
            const TUploadChanges known(IdentityOf(t), false, page.SentFilesFolder);
            for (const QString &name : {QStringLiteral("graphics/A.gif"), QStringLiteral("backgrnd/Sky.jpg")}) {
                const TManifestEntry *e = known.Before().Find(name);
                QVERIFY(e);
                const TFileFingerprint local = FingerprintFile(FindPathNoCase(m_html + QLatin1Char('/') + name));
                QCOMPARE(e->Size, local.Size);
                QCOMPARE(e->Digest, local.Digest);
            }
        }

        // Again, the page changed: it is there now, and is replaced whole; the
        // pictures the server holds as sent are not sent again.
        QVERIFY(QFile::resize(log, 0)); // the server appends to it
        const QByteArray changed = m_pageBytes + "<!-- again -->\r\n";
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"), changed));
        page.SendEverything = false;
        TUploadJob again(page, t);
        const TUploadOutcome out = again.DoUpload();
        QVERIFY2(out.Result == UploadResult::Succeeded, qPrintable(out.Message));
        QCOMPARE(out.Skipped.size(), 3);
        commands = QString::fromLatin1(ReadAll(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(sends(), (QStringList{QStringLiteral("STOR .wbx-MyPage.html.part"),
                                       QStringLiteral("RNFR .wbx-MyPage.html.part"), QStringLiteral("RNTO MyPage.html")}));
        QCOMPARE(commands.filter(QStringLiteral("SIZE")), QStringList()); // the listing told the sizes
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/MyPage.html")), changed);
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"), m_pageBytes));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/sky.jpg"), Pattern(70000, 's')));
    }

    // The listing the upload works from: names with their sizes where the
    // protocol gives them; nothing for a folder that is not there.
    void listsAFolder_data() { AddProtocols(); }
    void listsAFolder()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = StartServer(protocol);
        QVERIFY(WriteBytes(m_root + QStringLiteral("/public_html/graphics/a.gif"), "12345"));
        QVERIFY(WriteBytes(m_root + QStringLiteral("/public_html/graphics/Name With Blanks.GIF"), ""));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/public_html/graphics/sub")));
        const TUploadTarget t = Target(protocol, *server);
        TFtpClient ftp;
        TFtpLogOn logOn;
        logOn.Protocol = protocol;
        logOn.Host = t.Address;
        logOn.UserName = t.UserName;
        logOn.Password = t.Password;
        logOn.TrustedFingerprint = t.TrustedFingerprint;
        logOn.KnownHostsFile = m_knownHosts;
        QVERIFY2(ftp.Connect(logOn), qPrintable(ftp.ErrorText()));
        QVERIFY(ftp.ChangeFolder(QStringLiteral("public_html")));
        QList<TRemoteEntry> entries;
        QVERIFY2(ftp.ListFolder(QStringLiteral("graphics"), entries), qPrintable(ftp.ErrorText()));
        QMap<QString, qint64> found;
        for (const TRemoteEntry &e : std::as_const(entries))
            found.insert(e.Name, e.Size);
        const bool sizes = protocol != TTransferProtocol::SFTP;
        QCOMPARE(found, (QMap<QString, qint64>{{QStringLiteral("a.gif"), sizes ? 5 : -1},
                                                {QStringLiteral("Name With Blanks.GIF"), sizes ? 0 : -1},
                                                {QStringLiteral("sub"), -1}}));
        QVERIFY(!ftp.ListFolder(QStringLiteral("missing"), entries));
        QVERIFY(entries.isEmpty());
        QVERIFY(!ftp.ListFolder(QStringLiteral("../.."), entries));
        QCOMPARE(ftp.Failure(), FtpFailure::BadName);
        QVERIFY(ftp.Connected()); // a failed listing leaves the session as it was
    }

    // Cancel in the middle of a picture the server did not have: what arrived
    // of it is removed, nothing else is left.
    void cancelledNewPictureIsRemoved_data() { AddProtocols(); }
    void cancelledNewPictureIsRemoved()
    {
        QFETCH(TTransferProtocol, protocol);
        TFtpTestServer::Options o;
        o.Throttle = 4 * 1024 * 1024;
        auto server = StartServer(protocol, o);
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(40 * 1024 * 1024, 'a')));
        TUploadPage page = Page();
        page.SendEverything = true;
        TUploadRunner runner(page, Target(protocol, *server));
        runner.Job().SetKnownHostsFile(m_knownHosts);
        qint64 value = 0;
        connect(&runner, &TUploadRunner::Progress, this, [&](qint64 v, qint64) { value = v; });
        QSignalSpy finished(&runner, &TUploadRunner::Finished);
        runner.Start();
        QTRY_VERIFY_WITH_TIMEOUT(value > 300, 20000);
        QVERIFY(value < 900);
        QVERIFY(QFileInfo(m_root + QStringLiteral("/public_html/graphics/A.gif")).size() > 0); // on its way, under its name
        runner.Cancel();
        QVERIFY(finished.wait(5000));
        QCOMPARE(runner.Outcome().Result, UploadResult::Cancelled);
        QCOMPARE(FilesBelow(m_root), QStringList());
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), Pattern(60000, 'a')));
    }

    // A cancelled upload whose clean-up could not run left temporary files:
    // the next upload removes them from the folders it sends to, and leaves
    // every other name and folder alone.
    void leftoverTemporaryFilesGo()
    {
        auto server = StartServer(TTransferProtocol::SFTP);
        const QString www = m_root + QStringLiteral("/public_html");
        const QStringList kept{QStringLiteral("/graphics/.wbx-notes"), QStringLiteral("/graphics/wbx-a.gif.part"),
                               QStringLiteral("/other/.wbx-x.gif.part")};
        for (const QString &f : kept + QStringList{QStringLiteral("/graphics/.wbx-A.gif.part"), QStringLiteral("/.wbx-MyPage.html.part")})
            QVERIFY(WriteBytes(www + f, "cut short"));
        TUploadJob job(Page(), Target(TTransferProtocol::SFTP, *server));
        job.SetKnownHostsFile(m_knownHosts);
        const TUploadOutcome o = job.DoUpload();
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QVERIFY(!QFile::exists(www + QStringLiteral("/graphics/.wbx-A.gif.part")));
        QVERIFY(!QFile::exists(www + QStringLiteral("/.wbx-MyPage.html.part")));
        for (const QString &f : kept)
            QVERIFY2(QFile::exists(www + f), qPrintable(f));
        QCOMPARE(ReadAll(www + QStringLiteral("/graphics/A.gif")), ReadAll(m_html + QStringLiteral("/graphics/a.gif")));
    }

    // The page gets a new large picture and the upload is cancelled half way
    // through it: the server still holds the page as it was, with every
    // picture it refers to.
    void cancelledUploadLeavesTheLivePageWhole()
    {
        TFtpTestServer::Options o;
        o.Throttle = 4 * 1024 * 1024;
        auto server = StartServer(TTransferProtocol::FTP, o);
        const TUploadTarget t = Target(TTransferProtocol::FTP, *server);
        {
            TUploadJob first(Page(), t);
            QCOMPARE(first.DoUpload().Result, UploadResult::Succeeded);
        }
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"), m_pageBytes + "<IMG SRC=\"graphics/big.jpg\">\r\n"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/big.jpg"), Pattern(32 * 1024 * 1024, 'n')));
        TUploadRunner runner(Page(), t);
        QSignalSpy finished(&runner, &TUploadRunner::Finished);
        runner.Start();
        // Half way through the new picture (it goes to its own name: the server had none).
        const QString arriving = m_root + QStringLiteral("/public_html/graphics/big.jpg");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(arriving).size() > 12 * 1024 * 1024, 20000);
        QVERIFY(QFileInfo(arriving).size() < 24 * 1024 * 1024);
        runner.Cancel();
        QVERIFY(finished.wait(5000));
        QCOMPARE(runner.Outcome().Result, UploadResult::Cancelled);
        // What the web server shows (its folder, names as they are): the old
        // page, and every picture it refers to.
        QCOMPARE(ReadAll(m_root + QStringLiteral("/public_html/MyPage.html")), m_pageBytes);
        const UploadImageList pictures = LocaliseImagesInText(QString::fromLatin1(m_pageBytes), m_html + QStringLiteral("/My Page.html"));
        QCOMPARE(pictures.size(), 3);
        for (const ResourceDetail &picture : pictures)
            QVERIFY2(QFile::exists(m_root + QStringLiteral("/public_html/") + picture.RefName), qPrintable(picture.RefName));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"), m_pageBytes));
        QVERIFY(QFile::remove(m_html + QStringLiteral("/graphics/big.jpg")));
    }

    // Once logged off, no copy of the password is left in this process, the
    // job still there: not the job's, not the client's, not libcurl's nor the
    // log-on command that carried it.
    void passwordGoneAfterLogOn()
    {
        const QString log = m_tmp.filePath(QStringLiteral("raw.log"));
        TRawFtpTestServer raw;
        QVERIFY2(raw.Start(log), qPrintable(raw.Error()));
        QByteArray masked;
        for (int i = 0; i < 40; ++i)
            masked += char(char('a' + QRandomGenerator::global()->bounded(26)) ^ kMask);
        TUploadTarget t;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(raw.Port());
        t.UserName = QStringLiteral("user");
        t.Password = QString(masked.size(), Qt::Uninitialized);
        for (int i = 0; i < masked.size(); ++i)
            t.Password[i] = QLatin1Char(char(masked.at(i) ^ kMask));
        QCOMPARE(CopiesInMemory(masked, 2), 1); // the search finds this test's own
        TUploadJob job(Page(), t);
        job.DoUpload();
        QVERIFY(ReadAll(log).startsWith("USER user\nPASS\n")); // it was used
        QCOMPARE(CopiesInMemory(masked, 1), 0);
        QCOMPARE(CopiesInMemory(masked, 2), 1);
    }

    // An unknown certificate or host key: the upload stops with its
    // fingerprint before logging on; trusted, it goes through.
    void unknownCertificateAndHostKey_data()
    {
        QTest::addColumn<TTransferProtocol>("protocol");
        QTest::newRow("FTPS") << TTransferProtocol::FTPS;
        QTest::newRow("SFTP") << TTransferProtocol::SFTP;
    }
    void unknownCertificateAndHostKey()
    {
        QFETCH(TTransferProtocol, protocol);
        auto server = StartServer(protocol);
        const QString fingerprint = protocol == TTransferProtocol::FTPS
            ? static_cast<TFtpTestServer &>(*server).Certificate().Fingerprint
            : static_cast<TSftpTestServer &>(*server).HostKeyFingerprint();
        TUploadJob job(Page(), Target(protocol, *server, false));
        job.SetKnownHostsFile(m_knownHosts);
        TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::NeedsTrust);
        QCOMPARE(o.Trust, protocol == TTransferProtocol::FTPS ? TrustKind::Certificate : TrustKind::HostKey);
        QCOMPARE(o.Fingerprint, fingerprint);
        QVERIFY(TrustQuestion(o).contains(fingerprint));
        QCOMPARE(FilesBelow(m_root), QStringList());

        job.AcceptFingerprint(o.Fingerprint);
        o = job.DoUpload();
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        QVERIFY(QFile::exists(m_root + QStringLiteral("/public_html/MyPage.html")));
        if (protocol == TTransferProtocol::FTPS) {
            QCOMPARE(o.AcceptedFingerprint, fingerprint); // for the server list to keep
        } else {
            QCOMPARE(o.AcceptedFingerprint, QString()); // known_hosts keeps it
            QCOMPARE(ReadAll(m_knownHosts), static_cast<TSftpTestServer &>(*server).KnownHostsLine().toLatin1() + '\n');
        }
    }
};

QTEST_GUILESS_MAIN(TestPublishUpload)
#include "test_publish_upload.moc"
