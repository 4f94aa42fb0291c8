// --publish run as a program against real servers on 127.0.0.1: the page's
// HTML as Save writes it and its pictures, status lines on stdout, exit codes,
// and no question ever asked.
#include "settings/Settings.h"
#include "publish/ServerList.h"
#include "strings/StringTable.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "support/FileTree.h"
#include "support/TestServers.h"

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
const QString kProgram = QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express");
const QString kPassword = QStringLiteral("pw,with-comma 9");

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

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

    Run Start(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home);
        p.setProcessEnvironment(env);
        p.start(kProgram, args);
        Run r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
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
        QVERIFY2(SaveServerList(list, &error), qPrintable(error));
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
        QDir().mkpath(m_root);
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = kPassword;
        TFtpTestServer server;
        QVERIFY2(server.Start(o), qPrintable(server.Error()));
        StoreServer(QStringLiteral("My Server"), QStringLiteral("FTP"), server.Port());
        const Run exported = Start({"--export", m_page, "--data-dir", m_data});
        QCOMPARE(exported.code, 0);

        const Run r = Publish(QStringLiteral("my SERVER"));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray());
        const QByteArray connecting = (LoadStr(204) + QStringLiteral("127.0.0.1:%1\n").arg(server.Port())).toLatin1();
        QCOMPARE(r.out, connecting + connecting + (LoadStr(207) + QLatin1Char('\n') + LoadStr(209) + QLatin1Char('\n')
                                                   + LoadStr(210) + QLatin1Char('\n') + LoadStr(211) + QLatin1Char('\n')).toLatin1());
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
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root + QStringLiteral("/www"));
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = kPassword;
        TFtpTestServer server;
        QVERIFY(server.Start(o));
        StoreServer(QStringLiteral("Geo"), QStringLiteral("FTP"), server.Port(), QString(), QStringLiteral("GeoCities"));
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
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root + QStringLiteral("/www"));
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = kPassword;
        TFtpTestServer server;
        QVERIFY2(server.Start(o), qPrintable(server.Error()));
        StoreServer(QStringLiteral("Geo"), QStringLiteral("FTP"), server.Port(), QString(), QStringLiteral("GeoCities"));
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
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = kPassword;
        TFtpTestServer server;
        QVERIFY2(server.Start(o), qPrintable(server.Error()));
        StoreServer(QStringLiteral("My Server"), QStringLiteral("FTP"), server.Port());
        TPageDocument doc;
        doc.PageTitle = QStringLiteral("Outside");
        auto &block = doc.Blocks.Append(NewBlock(bkImage));
        block.Image->FileName = QStringLiteral("..\\secret.jpg");
        QVERIFY(QFile::copy(m_data + QStringLiteral("/HTMLFiles/graphics/flowers.jpg"), m_data + QStringLiteral("/secret.jpg")));
        const QString page = m_data + QStringLiteral("/save/Outside.qze");
        QString error;
        QVERIFY2(WritePageFile(page, doc, QString(), QByteArray(), &error), qPrintable(error));
        const Run r = Start({"--publish", page, "--server", "My Server", "--data-dir", m_data});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.startsWith(("wobbin-express: " + LoadStr(232) + QLatin1Char('\n') + QStringLiteral("../secret.jpg: ")).toLocal8Bit()),
                 r.err.constData());
        QVERIFY(r.err.endsWith((LoadStr(233) + QLatin1Char('\n')).toLocal8Bit()));
        QCOMPARE(FilesBelow(m_root), QStringList());
        QVERIFY(QFile::remove(page));
        QVERIFY(QFile::remove(m_data + QStringLiteral("/secret.jpg")));
    }

    void failedUploadSaysWhy()
    {
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Password = QStringLiteral("another");
        TFtpTestServer server;
        QVERIFY(server.Start(o));
        StoreServer(QStringLiteral("My Server"), QStringLiteral("ftp"), server.Port());
        const Run r = Publish(QStringLiteral("My Server"));
        QCOMPARE(r.code, 3);
        QCOMPARE(r.err, ("wobbin-express: " + LoadStr(212) + QLatin1Char('\n')).toLocal8Bit());
        QVERIFY(r.out.endsWith((LoadStr(250) + QLatin1Char('\n')).toLatin1())); // never "Upload Completed."
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
        QCOMPARE(r.err, ("wobbin-express: " + LoadStr(252) + QLatin1Char('\n')).toLocal8Bit());
        QCOMPARE(r.out, (LoadStr(250) + QLatin1Char('\n')).toLatin1());
        QCOMPARE(ReadAll(log), QByteArray()); // not one line reached the server
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
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
        {
            TFtpTestServer::Options o;
            o.Root = m_root;
            o.Password = kPassword;
            o.Tls = true;
            TFtpTestServer server;
            QVERIFY(server.Start(o));
            StoreServer(QStringLiteral("Secure"), QStringLiteral("FTPS"), server.Port());
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
