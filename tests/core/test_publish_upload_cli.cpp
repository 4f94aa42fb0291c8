// --publish run as a program against real servers on 127.0.0.1: the page's
// HTML as Save writes it and its pictures, status lines on stdout, exit codes,
// and no question ever asked.
#include "settings/Settings.h"
#include "publish/ServerList.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "publish/UploadManifest.h"
#include "publish/UploadTarget.h"
#include "support/FileTree.h"
#include "support/ProgramRun.h"
#include "support/TestServers.h"
#include "support/ResultCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <csignal>
#include <sys/resource.h>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
const QString kPassword = QStringLiteral("pw,with-comma 9");

// What the FTP servers of these tests take.
TFtpTestServer::Options FtpOptions(const QString &password = kPassword)
{
    TFtpTestServer::Options o;
    o.Password = password;
    return o;
}

} // namespace

class TestPublishUploadCli : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_data;   // the program's data folder (a copy of the shipped one)
    QString m_page;
    QString m_root;   // the server's side
    QString m_home;

    Run Start(const QStringList &args, const QByteArray &input = QByteArray())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home);
        return RunProgram(args, QString(), input, env);
    }

    Run Publish(const QString &server) { return Start({"--publish", m_page, "--server", server, "--data-dir", m_data}); }

    void StoreServer(const QString &name, const QString &protocol, int port, const QString &trusted = QString(),
                     const QString &provider = QString(), const QString &login = QStringLiteral("user"))
    {
        tWWWServerType r;
        r.Name = name;
        r.Address = QStringLiteral("127.0.0.1:%1").arg(port);
        r.Directory = QStringLiteral("www");
        r.UserName = login;
        r.Password = kPassword;
        r.Protocol = protocol;
        r.TrustedFingerprint = trusted;
        r.ISP = provider;
        TServerList list{r};
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(list), &error), qPrintable(error));
    }

    // The server's side emptied and an FTP server on it (o's Root is m_root),
    // stored as `name` with the server's port.
    [[nodiscard]] bool StartFtp(TFtpTestServer &server, const QString &name, TFtpTestServer::Options o = FtpOptions(),
                                const QString &protocol = QStringLiteral("FTP"), const QString &provider = QString())
    {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        o.Root = m_root;
        if (!server.Start(o)) {
            qWarning("%s", qPrintable(server.Error()));
            return false;
        }
        StoreServer(name, protocol, server.Port(), QString(), provider);
        return true;
    }

    void Clean(const Run &r)
    {
        QVERIFY(!r.out.contains(kPassword.toLatin1()));
        QVERIFY(!r.err.contains(kPassword.toLatin1()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kProgram), "build the wobbin-express target first");
        QVERIFY(m_tmp.isValid());
        m_data = m_tmp.filePath(QStringLiteral("data"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        m_home = m_tmp.filePath(QStringLiteral("home"));
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), m_data));
        m_page = m_data + QStringLiteral("/save/Example.qze");
        QVERIFY(QFile::exists(m_page));
    }

    // The page as --export (as Save) writes it, and its three pictures.
    void publishesThePageAndItsPictures()
    {
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("My Server")));
        const Run exported = Start({"--export", m_page, "--data-dir", m_data});
        QCOMPARE(exported.code, 0);

        const Run r = Publish(QStringLiteral("my SERVER"));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray());
        // "Connecting to" once; piped, one line per file once it arrived
        // (name and size first), the page last.
        QStringList status, files;
        for (const QString &line : QString::fromLocal8Bit(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            (line.contains(QLatin1String("  ")) ? files : status) << line;
        QCOMPARE(status, (QStringList{LoadStr(Msg::ConnectingTo) + QStringLiteral("127.0.0.1:%1").arg(server.Port()), LoadStr(Msg::UploadingFiles),
                                      LoadStr(Msg::Disconnecting), LoadStr(Msg::Disconnected), LoadStr(Msg::UploadCompleted)}));
        QCOMPARE(files.size(), 4);
        QVERIFY2(files.last().startsWith(QStringLiteral("Example.html  ")), qPrintable(files.last()));
        for (const char *f : {"backgrnd/autumn.jpg", "graphics/button.gif", "graphics/flowers.jpg"})
            QCOMPARE(files.filter(QRegularExpression(QLatin1Char('^') + QLatin1String(f) + QStringLiteral("  \\d"))).size(), 1);
        QCOMPARE(FilesBelow(m_root), (QStringList{QStringLiteral("www/Example.html"), QStringLiteral("www/backgrnd/autumn.jpg"),
                                                  QStringLiteral("www/graphics/button.gif"), QStringLiteral("www/graphics/flowers.jpg")}));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/www/Example.html")), exported.out);
        for (const char *f : {"backgrnd/autumn.jpg", "graphics/button.gif", "graphics/flowers.jpg"})
            QCOMPARE(ReadAll(m_root + QStringLiteral("/www/") + QLatin1String(f)), ReadAll(m_data + QStringLiteral("/HTMLFiles/") + QLatin1String(f)));
        // The data folder got nothing new.
        QVERIFY(!QFile::exists(m_data + QStringLiteral("/HTMLFiles/Example.html")));
        Clean(r);
    }

    // A server made from the GeoCities provider file gets the hosting footer
    // in the page it is sent; nothing changes locally.
    void geoCitiesFooter()
    {
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("Geo"), FtpOptions(), QStringLiteral("FTP"), QStringLiteral("GeoCities")));
        QDir().mkpath(m_root + QStringLiteral("/www"));
        const Run r = Publish(QStringLiteral("geo"));
        QCOMPARE(r.code, 0);
        const QByteArray page = ReadAll(m_root + QStringLiteral("/www/Example.html"));
        QCOMPARE(page.count("This page hosted by"), 1);
        QVERIFY(page.contains("Free Home Page</a></b></center>\r\n</BODY>"));
    }

    // --publish writes the page the way the window's Fits phones box says,
    // --classic and --modern override it; the background picture of the
    // style sheet is sent, and GeoCities' footer is in the same HTML.
    void followsTheWindowsWayOfWriting()
    {
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("Geo"), FtpOptions(), QStringLiteral("FTP"), QStringLiteral("GeoCities")));
        QDir().mkpath(m_root + QStringLiteral("/www"));
        WriteSetting(QStringLiteral("General"), QStringLiteral("FitsPhones"), QStringLiteral("Yes"));
        WriteSetting(QStringLiteral("General"), QStringLiteral("PageLanguage"), QStringLiteral("de-CH"));
        const Run r = Publish(QStringLiteral("Geo"));
        QCOMPARE(r.code, 0);
        const QByteArray page = ReadAll(m_root + QStringLiteral("/www/Example.html"));
        QVERIFY(page.startsWith("<!DOCTYPE html>\r\n<html lang=\"de-CH\">"));
        QVERIFY(page.contains("url(\"backgrnd/autumn.jpg\")"));
        QVERIFY(page.contains("Free Home Page</a></b></p>\r\n</body>"));
        QCOMPARE(FilesBelow(m_root), (QStringList{QStringLiteral("www/Example.html"), QStringLiteral("www/backgrnd/autumn.jpg"),
                                                  QStringLiteral("www/graphics/button.gif"), QStringLiteral("www/graphics/flowers.jpg")}));
        const Run classic = Start({"--publish", m_page, "--server", "Geo", "--data-dir", m_data, "--classic"});
        QCOMPARE(classic.code, 0);
        QVERIFY(ReadAll(m_root + QStringLiteral("/www/Example.html")).startsWith("<HTML>\r\n"));
        WriteSetting(QStringLiteral("General"), QStringLiteral("FitsPhones"), QStringLiteral("No"));
        QCOMPARE(Start({"--publish", m_page, "--server", "Geo", "--modern", "--classic"}).code, 1);
    }

    void missingPageOrServer()
    {
        StoreServer(QStringLiteral("My Server"), QStringLiteral("FTP"), FreePort());
        const Run noServer = Publish(QStringLiteral("Other"));
        QCOMPARE(noServer.code, 1);
        QVERIFY(noServer.err.contains("Other"));
        QCOMPARE(noServer.out, QByteArray());
        const Run noPage = Start({"--publish", m_tmp.filePath(QStringLiteral("none.qze")), "--server", "My Server", "--data-dir", m_data});
        QCOMPARE(noPage.code, 1);
        QCOMPARE(Start({"--publish", m_page}).code, 1); // --server is needed
    }

    // A picture reference that leaves the HTML folder: named on stderr,
    // exit 3, and nothing at all reaches the server.
    void referenceOutsideTheFolderSendsNothing()
    {
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("My Server")));
        TPageDocument doc;
        doc.PageTitle = QStringLiteral("Outside");
        auto &block = doc.Blocks.Append(NewBlock(bkImage));
        block.Image->FileName = QStringLiteral("..\\secret.jpg");
        QVERIFY(QFile::copy(m_data + QStringLiteral("/HTMLFiles/graphics/flowers.jpg"), m_data + QStringLiteral("/secret.jpg")));
        const QString page = m_data + QStringLiteral("/save/Outside.qze");
        QString error;
        QVERIFY2(testing::Succeeds(WritePageFile(page, doc, QString(), QByteArray()), &error), qPrintable(error));
        const Run r = Start({"--publish", page, "--server", "My Server", "--data-dir", m_data});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.startsWith(("wobbin-express: " + LoadStr(Msg::PicturesOutsideNotSent) + QLatin1Char('\n') + QStringLiteral("../secret.jpg: ")).toLocal8Bit()),
                 r.err.constData());
        QVERIFY(r.err.endsWith((LoadStr(Msg::NothingUploaded) + QLatin1Char('\n')).toLocal8Bit()));
        QCOMPARE(FilesBelow(m_root), QStringList());
        QVERIFY(QFile::remove(page));
        QVERIFY(QFile::remove(m_data + QStringLiteral("/secret.jpg")));
    }

    void failedUploadSaysWhy()
    {
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("My Server"), FtpOptions(QStringLiteral("another")), QStringLiteral("ftp")));
        const Run r = Publish(QStringLiteral("My Server"));
        QCOMPARE(r.code, 3);
        QCOMPARE(r.err, ("wobbin-express: " + LoadStr(Msg::LoginFailed) + QLatin1Char('\n')).toLocal8Bit());
        QVERIFY(r.out.endsWith((LoadStr(Msg::UploadFailed) + QLatin1Char('\n')).toLatin1())); // never "Upload Completed."
        Clean(r);
    }

    // A login name holding a line break (a paste keeps it) would carry a
    // command of its own: refused before connecting, with the reason, exit 3.
    void controlCharactersNeverReachTheServer()
    {
        const QString log = m_tmp.filePath(QStringLiteral("raw.log"));
        TRawFtpTestServer raw;
        QVERIFY2(raw.Start(log), qPrintable(raw.Error()));
        StoreServer(QStringLiteral("Raw"), QStringLiteral("FTP"), raw.Port(), QString(), QString(),
                    QStringLiteral("user\r\nDELE Example.html"));
        const Run r = Publish(QStringLiteral("Raw"));
        QCOMPARE(r.code, 3);
        QCOMPARE(r.err, ("wobbin-express: " + LoadStr(Msg::LoginControlCharacter) + QLatin1Char('\n')).toLocal8Bit());
        QCOMPARE(r.out, (LoadStr(Msg::UploadFailed) + QLatin1Char('\n')).toLatin1());
        QCOMPARE(ReadAll(log), QByteArray()); // not one line reached the server
    }

    // A page of picture blocks (files below the HTML folder, "graphics\\a.gif").
    QString PicturePage(const QString &name, const QStringList &pictures)
    {
        TPageDocument doc;
        doc.PageTitle = name;
        for (const QString &p : pictures)
            doc.Blocks.Append(NewBlock(bkImage)).Image->FileName = p;
        const QString page = m_data + QStringLiteral("/save/") + name + QStringLiteral(".qze");
        QString error;
        if (!testing::Succeeds(WritePageFile(page, doc, QString(), QByteArray()), &error))
            qWarning("%s", qPrintable(error));
        return page;
    }
    static void WriteFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    // Every file below the folder with its bytes and time of change.
    static QStringList Snapshot(const QString &folder)
    {
        QStringList out;
        for (const QString &f : FilesBelow(folder)) {
            const QString path = folder + QLatin1Char('/') + f;
            out << f + QLatin1Char(' ') + QString::fromLatin1(FingerprintFile(path).Digest) + QLatin1Char(' ')
                    + QString::number(QFileInfo(path).lastModified().toMSecsSinceEpoch());
        }
        return out;
    }

    // The password from a script: the line on standard input wins over the
    // one stored; one holding a control character is refused before any
    // connection, with status 5.
    void passwordFromStandardInput()
    {
        const QString scripted = QStringLiteral("from a script");
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("Piped"), FtpOptions(scripted)));
        const QStringList args{"--publish", m_page, "--server", "Piped", "--data-dir", m_data, "--password-stdin"};
        Run r = Start(args, scripted.toUtf8() + "\r\n");
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(QFile::exists(m_root + QStringLiteral("/www/Example.html")));
        QVERIFY(!r.out.contains(scripted.toUtf8()) && !r.err.contains(scripted.toUtf8()));
        QDir(m_root).removeRecursively();
        r = Start(args, "from a\tscript\n");
        QCOMPARE(r.code, 5);
        QVERIFY(r.err.contains("control character"));
        QCOMPARE(FilesBelow(m_root), QStringList());
    }

    // --dry-run: what would go and what would not, and nothing written on the
    // server or in the record of what was sent.
    void dryRunWritesNothing()
    {
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("Dry")));
        QCOMPARE(Publish(QStringLiteral("Dry")).code, 0);
        const QString button = m_data + QStringLiteral("/HTMLFiles/graphics/button.gif");
        const QByteArray original = ReadAll(button);
        WriteFile(button, original + "changed");
        const QStringList server0 = Snapshot(m_root), record0 = Snapshot(TUploadManifest::DefaultFolder());
        const Run r = Start({"--publish", m_page, "--server", "Dry", "--data-dir", m_data, "--dry-run"});
        WriteFile(button, original);
        QVERIFY2(r.code == 0, r.err.constData());
        // The page's bytes are as sent: like the upload, the dry run keeps it.
        QVERIFY2(r.out.endsWith("would send: graphics/button.gif\n"
                                "unchanged: graphics/flowers.jpg\nunchanged: backgrnd/autumn.jpg\n"
                                "unchanged: Example.html\n"),
                 r.out.constData());
        QCOMPARE(Snapshot(m_root), server0);
        QCOMPARE(Snapshot(TUploadManifest::DefaultFolder()), record0);
    }

    // Ctrl+C in the middle of a large picture: cancelled as the window's
    // Cancel does, status 130. The site stays whole (the old picture and page
    // in place, nothing under a temporary name), the picture that arrived
    // before is in the record, and the private working folder is gone. Then a
    // page that no longer uses a picture: listed, and removed on request.
    void interruptedThenTidied()
    {
        QDir(TUploadManifest::DefaultFolder()).removeRecursively(); // no page of another test in the record
        const QString graphics = m_data + QStringLiteral("/HTMLFiles/graphics/");
        WriteFile(graphics + QStringLiteral("small.gif"), "GIF89a one");
        WriteFile(graphics + QStringLiteral("big.jpg"), QByteArray(1000, 'o'));
        const QString page = PicturePage(QStringLiteral("Big"), {"graphics\\small.gif", "graphics\\big.jpg"});
        TFtpTestServer::Options o = FtpOptions();
        o.Throttle = 1024 * 1024;
        TFtpTestServer server;
        QVERIFY(StartFtp(server, QStringLiteral("Big"), o));
        const QStringList args{"--publish", page, "--server", "Big", "--data-dir", m_data};
        QCOMPARE(Start(args).code, 0);
        const QStringList site = Snapshot(m_root);

        WriteFile(graphics + QStringLiteral("small.gif"), "GIF89a two");
        WriteFile(graphics + QStringLiteral("big.jpg"), QByteArray(8 * 1024 * 1024, 'n'));
        QTemporaryDir scratch;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home);
        env.insert(QStringLiteral("TMPDIR"), scratch.path());
        p.setProcessEnvironment(env);
        p.start(kProgram, args);
        QByteArray out;
        // The big picture is on its way once the small one has arrived.
        QTRY_VERIFY_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains("graphics/small.gif  "), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!FilesBelow(m_root).filter(QStringLiteral(".part")).isEmpty(), 10000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        QStringList now = Snapshot(m_root);
        QCOMPARE(now.filter(QStringLiteral("big.jpg")), site.filter(QStringLiteral("big.jpg")));
        QCOMPARE(now.filter(QStringLiteral("Big.html")), site.filter(QStringLiteral("Big.html")));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/www/graphics/small.gif")), QByteArray("GIF89a two"));
        QCOMPARE(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        TUploadManifest record;
        TUploadTarget target;
        target.Address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        target.Directory = QStringLiteral("www");
        target.UserName = QStringLiteral("user");
        QVERIFY(record.Load(TUploadManifest::DefaultFolder(), IdentityOf(target)).ok());
        QVERIFY(record.Find(QStringLiteral("graphics/small.gif")));
        QCOMPARE(record.Find(QStringLiteral("graphics/small.gif"))->Digest, FingerprintBytes("GIF89a two").Digest);

        // The page without the small picture: it is listed, then removed.
        PicturePage(QStringLiteral("Big"), {"graphics\\big.jpg"});
        WriteFile(graphics + QStringLiteral("big.jpg"), QByteArray(1000, 'o'));
        Run r = Start(args);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("\nunused: graphics/small.gif\n"), r.out.constData());
        QVERIFY(QFile::exists(m_root + QStringLiteral("/www/graphics/small.gif")));
        r = Start(QStringList(args) << QStringLiteral("--remove-unused"));
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("\nremoved: graphics/small.gif\n"), r.out.constData());
        // (the logo footer's button stays: the page still uses it)
        QCOMPARE(FilesBelow(m_root).join(QLatin1Char(' ')), QStringLiteral("www/Big.html www/graphics/big.jpg www/graphics/button.gif"));
        QVERIFY(record.Load(TUploadManifest::DefaultFolder(), IdentityOf(target)).ok());
        QVERIFY(!record.Find(QStringLiteral("graphics/small.gif")));
        QVERIFY(QFile::remove(page));
    }

    // No core dump: a publish killed by a signal that dumps core, its limit
    // raised from outside, leaves none in its folder.
    void noCoreDumps()
    {
        if (ReadAll(QStringLiteral("/proc/sys/kernel/core_pattern")).startsWith('|'))
            QSKIP("core dumps go to a program on this machine, not into the working folder");
        TRawFtpTestServer silent;
        QVERIFY2(silent.Start(QString(), true), qPrintable(silent.Error()));
        StoreServer(QStringLiteral("Silent"), QStringLiteral("FTP"), silent.Port());
        QTemporaryDir cwd;
        QProcess p;
        p.setWorkingDirectory(cwd.path());
        // Under the address sanitizer the signal must reach the system, not
        // the sanitizer's own report.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":handle_segv=0"));
        p.setProcessEnvironment(env);
        p.setChildProcessModifier([] {
            const struct rlimit unlimited = {RLIM_INFINITY, RLIM_INFINITY}; // ulimit -c unlimited
            ::setrlimit(RLIMIT_CORE, &unlimited);
        });
        p.start(kProgram, {"--publish", m_page, "--server", "Silent", "--data-dir", m_data});
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains("127.0.0.1"), 10000); // logging on
        const pid_t pid = pid_t(p.processId());
        const QByteArray limits = ReadAll(QStringLiteral("/proc/%1/limits").arg(pid));
        QVERIFY2(QRegularExpression(QStringLiteral("Max core file size +0 ")).match(QString::fromLatin1(limits)).hasMatch(),
                 limits.constData());
        const struct rlimit unlimited = {RLIM_INFINITY, RLIM_INFINITY};
        QCOMPARE(::prlimit(pid, RLIMIT_CORE, &unlimited, nullptr), 0); // not dumpable all the same
        ::kill(pid, SIGSEGV);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        QCOMPARE(QDir(cwd.path()).entryList(QDir::Files), QStringList());
    }

    // Never a question: an unknown certificate or host key fails with its
    // fingerprint, unless the stored decision already trusts it.
    void unknownCertificateAndHostKey()
    {
        {
            TFtpTestServer::Options o = FtpOptions();
            o.Tls = true;
            TFtpTestServer server;
            QVERIFY(StartFtp(server, QStringLiteral("Secure"), o, QStringLiteral("FTPS")));
            Run r = Publish(QStringLiteral("Secure"));
            QCOMPARE(r.code, 3);
            QVERIFY(r.err.contains(server.Certificate().Fingerprint.toLatin1()));
            QCOMPARE(FilesBelow(m_root), QStringList());
            Clean(r);
            StoreServer(QStringLiteral("Secure"), QStringLiteral("FTPS"), server.Port(), server.Certificate().Fingerprint);
            r = Publish(QStringLiteral("Secure"));
            QCOMPARE(r.code, 0);
            QVERIFY(QFile::exists(m_root + QStringLiteral("/www/Example.html")));
        }
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        TSftpTestServer server;
        QVERIFY(server.Start(m_root, QStringLiteral("user"), kPassword));
        StoreServer(QStringLiteral("Shell"), QStringLiteral("SFTP"), server.Port());
        Run r = Publish(QStringLiteral("Shell"));
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.contains(server.HostKeyFingerprint().toLatin1()));
        QVERIFY(!QFile::exists(m_home + QStringLiteral("/.ssh/known_hosts")));
        QCOMPARE(FilesBelow(m_root), QStringList());
        QDir().mkpath(m_home + QStringLiteral("/.ssh"));
        QFile kh(m_home + QStringLiteral("/.ssh/known_hosts"));
        QVERIFY(kh.open(QIODevice::WriteOnly));
        kh.write(server.KnownHostsLine().toLatin1() + '\n');
        kh.close();
        r = Publish(QStringLiteral("Shell"));
        QCOMPARE(r.code, 0);
        QCOMPARE(ReadAll(m_root + QStringLiteral("/www/graphics/flowers.jpg")), ReadAll(m_data + QStringLiteral("/HTMLFiles/graphics/flowers.jpg")));
        Clean(r);
    }
};

QTEST_GUILESS_MAIN(TestPublishUploadCli)
#include "test_publish_upload_cli.moc"
