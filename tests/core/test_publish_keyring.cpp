// ctest: needs-session-bus
// Server passwords in a real Secret Service: gnome-keyring-daemon, started
// unlocked on this test's own session bus. Nothing of a password reaches the
// settings file; old passwords move into the keyring; renaming and deleting a
// server move and remove its entry. The command line finds a password that
// is kept there.
#include "settings/Settings.h"
#include "session/Keyring.h"
#include "publish/ServerList.h"
#include "support/FileTree.h"
#include "support/TestServers.h"
#include "support/ResultCheck.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

namespace {

tWWWServerType Server(const QString &name, const QString &password)
{
    tWWWServerType r;
    r.Name = name;
    r.Address = QStringLiteral("ftp.example.example");
    r.UserName = QStringLiteral("me");
    r.Password = password;
    return r;
}

QByteArray SettingsBytes()
{
    QFile f(SettingsStore().FileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPublishKeyring : public QObject
{
    Q_OBJECT
    QProcess m_daemon;
    TDesktopKeyring m_probe;  // a second look into the keyring

    TVaultAnswer Entry(const QString &name) { return m_probe.ReadPasswords({name}).value(0); }

private Q_SLOTS:
    void initTestCase()
    {
        const QString data = qEnvironmentVariable("XDG_DATA_HOME");
        QVERIFY(!data.isEmpty());
        QDir(data + QStringLiteral("/keyrings")).removeRecursively();
        m_daemon.setProgram(QStringLiteral("gnome-keyring-daemon"));
        m_daemon.setArguments({QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                               QStringLiteral("--components=secrets")});
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.start();
        QVERIFY2(m_daemon.waitForStarted(), "gnome-keyring-daemon (package gnome-keyring) must be installed");
        m_daemon.write("pw");
        m_daemon.closeWriteChannel();
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        QVERIFY(bus);
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value(), 15000);
        UseDesktopKeyring();
    }

    void cleanupTestCase()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    void init()
    {
        SettingsStore().DeleteProgramKey();
        ServerList().clear();
        TakeServerListNotices();
    }

    void passwordsLiveInTheKeyringOnly()
    {
        const QString secret = QStringLiteral("s3cr\xe9t, \"with\" = all%");
        ServerList() = {Server(QStringLiteral("Home/Web"), secret), Server(QStringLiteral("Empty"), QString()),
                        Server(QStringLiteral("One"), QStringLiteral("x"))};
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(), &error), qPrintable(error));
        QCOMPARE(TakeServerListNotices(), QStringList());
        for (const QString &name : {QStringLiteral("Home/Web"), QStringLiteral("Empty"), QStringLiteral("One")})
            QVERIFY(!ServerHasStoredPassword(name));
        const QByteArray file = SettingsBytes();
        QVERIFY(!file.isEmpty());
        QVERIFY(!file.contains("Password"));
        QVERIFY(!file.contains("s3cr"));
        QCOMPARE(Entry(QStringLiteral("Home/Web")).password, secret);
        QCOMPARE(Entry(QStringLiteral("Empty")).outcome, TVaultAnswer::NotFound);

        ReleaseSettingsStore();
        LoadServerList();
        QCOMPARE(ServerList().size(), 3);
        QCOMPARE(ServerList().at(0).Password, secret);
        QCOMPARE(ServerList().at(1).Password, QString());
        QCOMPARE(ServerList().at(2).Password, QStringLiteral("x"));
    }

    void aPasswordNotFoundIsLeftAlone()
    {
        // A locked keyring finds nothing either: a save must not remove what
        // it could not see.
        ServerList() = {Server(QStringLiteral("Quiet"), QString())};
        QVERIFY(SaveServerList().ok());
        LoadServerList();
        QVERIFY(!ServerList().at(0).PasswordKnown);
        m_probe.WritePasswords({{QStringLiteral("Quiet"), QStringLiteral("seen later")}});
        QVERIFY(SaveServerList().ok());
        QCOMPARE(Entry(QStringLiteral("Quiet")).password, QStringLiteral("seen later"));
        QVERIFY(!ServerHasStoredPassword(QStringLiteral("Quiet")));
        // Typing a password makes it known and it is written.
        ServerList()[0].Password = QStringLiteral("typed");
        ServerList()[0].PasswordKnown = true;
        QVERIFY(SaveServerList().ok());
        QCOMPARE(Entry(QStringLiteral("Quiet")).password, QStringLiteral("typed"));
    }

    void oldPasswordsMoveIntoTheKeyring()
    {
        {
            QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Quorvex", "Wobbin Express");
            s.setValue("WWWServers/Old/Address", "ftp.old.example");
            s.setValue("WWWServers/Old/Password", CryptPassword("legacy", "ENC"));
        }
        m_probe.RemovePasswords({QStringLiteral("Old")});
        LoadServerList();
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("legacy"));
        QVERIFY(SaveServerList().ok());
        QVERIFY(!ServerHasStoredPassword(QStringLiteral("Old")));
        QCOMPARE(Entry(QStringLiteral("Old")).password, QStringLiteral("legacy"));
        LoadServerList();
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("legacy"));
    }

    void renameAndDeleteMoveAndRemoveEntries()
    {
        ServerList() = {Server(QStringLiteral("First"), QStringLiteral("one")),
                        Server(QStringLiteral("Second"), QStringLiteral("two"))};
        QVERIFY(SaveServerList().ok());
        TServerList list = ServerList();
        list[0].Name = QStringLiteral("First renamed");
        list.removeAt(1);
        QVERIFY(SaveServerList(list).ok());
        QCOMPARE(Entry(QStringLiteral("First")).outcome, TVaultAnswer::NotFound);
        QCOMPARE(Entry(QStringLiteral("Second")).outcome, TVaultAnswer::NotFound);
        QCOMPARE(Entry(QStringLiteral("First renamed")).password, QStringLiteral("one"));
        // A password emptied removes the entry.
        list[0].Password.clear();
        QVERIFY(SaveServerList(list).ok());
        QCOMPARE(Entry(QStringLiteral("First renamed")).outcome, TVaultAnswer::NotFound);
    }

    // The entry as the manual page tells users to make it for a script.
    void entryStoredWithSecretTool()
    {
        QProcess tool;
        tool.start(QStringLiteral("secret-tool"),
                   {QStringLiteral("store"), QStringLiteral("--label=Wobbin Express: By Hand"), QStringLiteral("server"),
                    QStringLiteral("Wobbin Express"), QStringLiteral("user"), QStringLiteral("By Hand"),
                    QStringLiteral("type"), QStringLiteral("plaintext")});
        QVERIFY2(tool.waitForStarted(), "secret-tool (package libsecret-tools) must be installed");
        tool.write("typed by hand");
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(15000));
        QCOMPARE(tool.exitCode(), 0);
        const TVaultAnswer a = Entry(QStringLiteral("By Hand"));
        QCOMPARE(a.outcome, TVaultAnswer::Ok);
        QCOMPARE(a.password, QStringLiteral("typed by hand"));
    }

    // --publish reads a password that only the keyring holds (the program
    // loads its keyring part for it) and logs on with it.
    void commandLineFindsThePasswordInTheKeyring()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        const QString root = dir.filePath(QStringLiteral("server"));
        QVERIFY(testing::CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), data));
        QVERIFY(QDir().mkpath(root));
        const QString secret = QStringLiteral("only in the keyring");
        testing::TFtpTestServer::Options o;
        o.Root = root;
        o.Password = secret;
        testing::TFtpTestServer server;
        QVERIFY2(server.Start(o), qPrintable(server.Error()));
        tWWWServerType r = Server(QStringLiteral("Kept"), secret);
        r.Address = QStringLiteral("127.0.0.1:%1").arg(server.Port());
        r.Directory = QStringLiteral("www");
        r.UserName = QStringLiteral("user");
        ServerList() = {r};
        QVERIFY(SaveServerList().ok());
        QVERIFY(!ServerHasStoredPassword(QStringLiteral("Kept")));
        ReleaseSettingsStore();

        QProcess program;
        program.start(QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express"),
                      {QStringLiteral("--publish"), data + QStringLiteral("/save/Example.qze"), QStringLiteral("--server"),
                       QStringLiteral("Kept"), QStringLiteral("--data-dir"), data});
        QVERIFY(program.waitForFinished(60000));
        const QByteArray err = program.readAllStandardError();
        QVERIFY2(program.exitCode() == 0, err.constData());
        QVERIFY(QFile::exists(root + QStringLiteral("/www/Example.html")));
        QVERIFY(!err.contains(secret.toUtf8()));
        QVERIFY(!program.readAllStandardOutput().contains(secret.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestPublishKeyring)
#include "test_publish_keyring.moc"
