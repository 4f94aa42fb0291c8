// Uploads over several connections at once, against the real servers of the
// upload tests: everything arrives byte for byte with the page last, a server
// that takes fewer connections still gets everything, and a cancel while four
// files are under way leaves no partial file under a real name.
#include "support/FileTree.h"
#include "publish/ParallelSend.h"
#include "publish/Upload.h"
#include "publish/UploadRunner.h"
#include "support/TestServers.h"
#include "support/UploadPage.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

Q_DECLARE_METATYPE(wobbin::TTransferProtocol)

namespace {

const QString kPassword = QStringLiteral("par-4llel-pw");

qint64 ModifiedMs(const QString &path)
{
    return QFileInfo(path).fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
}

} // namespace

class TestPublishParallel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_html, m_pageFile, m_root, m_knownHosts;
    QStringList m_pictures; // references as the page writes them

    QString Remote(const QString &name) const { return m_root + QStringLiteral("/public_html/") + name; }

    // A page with count pictures of size bytes each (a little more for each next one).
    void WritePage(int count, qint64 size)
    {
        QDir(m_html).removeRecursively();
        m_pictures.clear();
        QByteArray page = "<HTML>\r\n<BODY>\r\n";
        for (int i = 0; i < count; ++i) {
            const QString ref = QStringLiteral("graphics/p%1.gif").arg(i);
            m_pictures << ref;
            QVERIFY(WriteBytes(m_html + QLatin1Char('/') + ref, Pattern(size + i * 1000, i)));
            page += "<IMG SRC=\"" + ref.toLatin1() + "\">\r\n";
        }
        page += "</BODY>\r\n</HTML>\r\n";
        QVERIFY(WriteBytes(m_html + QStringLiteral("/index.html"), page));
    }

    TUploadPage Page() const
    {
        TUploadPage p = PageToSend(m_pageFile, m_html, m_tmp.filePath(QStringLiteral("sent")));
        p.SendEverything = true;
        return p;
    }

    std::unique_ptr<TTestServer> Start(TTransferProtocol protocol, const TFtpTestServer::Options &options = {})
    {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        if (protocol == TTransferProtocol::SFTP) {
            auto s = std::make_unique<TSftpTestServer>();
            s->SetThrottle(options.Throttle);
            if (!s->Start(m_root, QStringLiteral("user"), kPassword))
                qWarning("%s", qPrintable(s->Error()));
            WriteBytes(m_knownHosts, s->KnownHostsLine().toLatin1() + '\n');
            return s;
        }
        TFtpTestServer::Options o = options;
        o.Root = m_root;
        o.Password = kPassword;
        o.Tls = protocol == TTransferProtocol::FTPS;
        auto s = std::make_unique<TFtpTestServer>();
        if (!s->Start(o))
            qWarning("%s", qPrintable(s->Error()));
        return s;
    }

    TUploadTarget Target(TTransferProtocol protocol, TTestServer &server, int connections) const
    {
        TUploadTarget t;
        t.Name = QStringLiteral("Far Server");
        t.Protocol = protocol;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        t.Directory = QStringLiteral("public_html");
        t.UserName = QStringLiteral("user");
        t.Password = kPassword;
        t.Connections = connections;
        if (protocol == TTransferProtocol::FTPS)
            t.TrustedFingerprint = static_cast<TFtpTestServer &>(server).Certificate().Fingerprint;
        return t;
    }

    void VerifyArrived()
    {
        for (const QString &p : std::as_const(m_pictures))
            QVERIFY2(ReadAll(Remote(p)) == ReadAll(m_html + QLatin1Char('/') + p), qPrintable(p + QStringLiteral(" %1 %2").arg(ReadAll(Remote(p)).size()).arg(ReadAll(m_html + QLatin1Char('/') + p).size())));
        QVERIFY(ReadAll(Remote(QStringLiteral("index.html"))).contains("<IMG SRC=\"graphics/p0.gif\">"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        m_knownHosts = m_tmp.filePath(QStringLiteral("known_hosts"));
        m_pageFile = m_tmp.filePath(QStringLiteral("save/index.qze"));
    }

    void arrivesWholeWithThePageLast_data()
    {
        QTest::addColumn<TTransferProtocol>("protocol");
        QTest::newRow("FTP") << TTransferProtocol::FTP;
        QTest::newRow("FTPS") << TTransferProtocol::FTPS;
        QTest::newRow("SFTP") << TTransferProtocol::SFTP;
    }
    void arrivesWholeWithThePageLast()
    {
        QFETCH(TTransferProtocol, protocol);
        WritePage(12, 300 * 1024);
        TFtpTestServer::Options o;
        const QString log = m_tmp.filePath(QStringLiteral("commands.log"));
        QFile::remove(log);
        o.CommandLog = log;
        auto server = Start(protocol, o);
        QVERIFY(server->Running());
        // Half the pictures are there already (old copies): they go through temporary names.
        for (int i = 0; i < m_pictures.size(); i += 2)
            QVERIFY(WriteBytes(Remote(m_pictures.at(i)), "old"));

        TUploadJob job(Page(), Target(protocol, *server, 4));
        job.SetKnownHostsFile(m_knownHosts);
        QList<qint64> values;
        qint64 maximum = 0;
        job.OnProgress = [&](qint64 v, qint64 m) {
            values << v;
            maximum = m;
        };
        const TUploadOutcome outcome = job.DoUpload();
        QVERIFY2(outcome.Result == UploadResult::Succeeded, qPrintable(outcome.Message));
        QCOMPARE(outcome.ConnectionsAllowed, 0);
        VerifyArrived();
        QCOMPARE(FilesBelow(m_root).size(), m_pictures.size() + 1); // no temporary file left
        // The bar only moves on, and ends full.
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(values.last(), maximum);
        QCOMPARE(maximum, qint64(m_pictures.size() + 1) * 1000);
        // The page arrived after every picture.
        const qint64 page = ModifiedMs(Remote(QStringLiteral("index.html")));
        for (const QString &p : std::as_const(m_pictures))
            QVERIFY2(ModifiedMs(Remote(p)) <= page, qPrintable(p));
        if (protocol == TTransferProtocol::SFTP)
            return;
        // Four log-ons, and the page's transfer after the last picture's.
        const QList<QByteArray> commands = ReadAll(log).split('\n');
        QCOMPARE(commands.count("USER user"), 4);
        qsizetype lastPicture = -1, pageAt = -1;
        for (qsizetype i = 0; i < commands.size(); ++i) {
            if (commands.at(i).startsWith("STOR ") || commands.at(i).startsWith("RNTO "))
                (commands.at(i).contains("index.html") ? pageAt : lastPicture) = i;
        }
        QVERIFY(lastPicture > 0);
        QVERIFY(pageAt > lastPicture);
    }

    // Further connections only where they carry work: not for a few small
    // files beside one large picture, which would share its line.
    void connectionsWorthOpening_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("opened");
        constexpr qint64 MB = 1024 * 1024;
        QTest::newRow("none") << QList<qint64>{} << 4 << 1;
        QTest::newRow("fewer files than asked") << QList<qint64>{10, 20} << 4 << 2;
        QTest::newRow("twelve alike") << QList<qint64>(12, 300 * 1024) << 4 << 4;
        QTest::newRow("large and a button") << QList<qint64>{100 * MB, 50 * 1024} << 4 << 1;
        QTest::newRow("large and three small") << QList<qint64>{1024, 100 * MB, 2048, 4096} << 4 << 1;
        QTest::newRow("large and many small") << (QList<qint64>(20, 50 * 1024) << 100 * MB) << 4 << 4;
        QTest::newRow("large and one large") << QList<qint64>{100 * MB, 40 * MB} << 4 << 2;
        QTest::newRow("small only") << QList<qint64>{3 * MB, 1024} << 4 << 2;
        QTest::newRow("asked beyond eight") << QList<qint64>(20, 1024) << 12 << 8;
    }
    void connectionsWorthOpening()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(int, asked);
        QFETCH(int, opened);
        QCOMPARE(ConnectionsWorthOpening(sizes, asked), opened);
    }

    // A server that takes two connections at once from a user: the others
    // are refused (421), everything arrives, and the number is told so that
    // it can be remembered for the server.
    void serverTakingTwoConnections()
    {
        WritePage(9, 50 * 1024);
        TFtpTestServer::Options o;
        o.MaxConnections = 2;
        auto server = Start(TTransferProtocol::FTP, o);
        TUploadJob job(Page(), Target(TTransferProtocol::FTP, *server, 6));
        const TUploadOutcome outcome = job.DoUpload();
        QVERIFY2(outcome.Result == UploadResult::Succeeded, qPrintable(outcome.Message));
        VerifyArrived();
        QCOMPARE(outcome.ConnectionsAllowed, 2);

        // Remembered with the server: later uploads ask for no more.
        tWWWServerType s;
        s.Name = QStringLiteral("Far Server");
        s.Connections = 6;
        s.ConnectionsAllowed = 2;
        QCOMPARE(UploadTargetFor(s).Connections, 2);
        s.ConnectionsAllowed = 0;
        QCOMPARE(UploadTargetFor(s).Connections, 6);
    }

    // Four large pictures under way at once, two new and two replacing old
    // copies, and the user cancels: over at once, and under each real name
    // the server holds either nothing or the old copy whole.
    void cancelWhileFourFilesGo_data()
    {
        QTest::addColumn<TTransferProtocol>("protocol");
        QTest::newRow("FTP") << TTransferProtocol::FTP;
        QTest::newRow("SFTP") << TTransferProtocol::SFTP;
    }
    void cancelWhileFourFilesGo()
    {
        QFETCH(TTransferProtocol, protocol);
        WritePage(4, 24 * 1024 * 1024);
        TFtpTestServer::Options o;
        o.Throttle = 2 * 1024 * 1024;
        auto server = Start(protocol, o);
        const QByteArray old = "an old copy";
        QVERIFY(WriteBytes(Remote(m_pictures.at(0)), old));
        QVERIFY(WriteBytes(Remote(m_pictures.at(1)), old));
        QVERIFY(WriteBytes(Remote(QStringLiteral("index.html")), "<HTML>old</HTML>"));

        TUploadRunner runner(Page(), Target(protocol, *server, 4));
        runner.Job().SetKnownHostsFile(m_knownHosts);
        QSignalSpy finished(&runner, &TUploadRunner::Finished);
        runner.Start();
        // Every one of the four on its way: a temporary file or a new one growing.
        const auto growing = [&] {
            int n = 0;
            QDirIterator it(Remote(QStringLiteral("graphics")), QDir::Files | QDir::Hidden);
            while (it.hasNext()) {
                const QFileInfo f(it.next());
                n += f.size() > 0 && f.size() < 24 * 1024 * 1024 && f.fileName() != QLatin1String("p0.gif")
                    && f.fileName() != QLatin1String("p1.gif");
            }
            return n;
        };
        QTRY_VERIFY_WITH_TIMEOUT(growing() == 4, 30000);
        runner.Cancel();
        QVERIFY(finished.wait(5000));
        QCOMPARE(runner.Outcome().Result, UploadResult::Cancelled);
        QCOMPARE(ReadAll(Remote(m_pictures.at(0))), old);
        QCOMPARE(ReadAll(Remote(m_pictures.at(1))), old);
        QCOMPARE(ReadAll(Remote(QStringLiteral("index.html"))), QByteArray("<HTML>old</HTML>"));
        // Temporary files are removed within a short time after the cancel;
        // one that a busy server keeps past that is never under a real name.
        QStringList real;
        for (const QString &f : FilesBelow(m_root))
            if (!QFileInfo(f).fileName().startsWith(QLatin1String(".wbx-")))
                real << f;
        QCOMPARE(real, (QStringList{QStringLiteral("public_html/graphics/p0.gif"),
                                    QStringLiteral("public_html/graphics/p1.gif"), QStringLiteral("public_html/index.html")}));
        QDir(m_html).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestPublishParallel)
#include "test_publish_parallel.moc"
