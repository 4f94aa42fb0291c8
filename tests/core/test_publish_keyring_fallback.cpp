// Server passwords where no keyring answers: on a session bus of this test's
// own on which no Secret Service is running nor can be started, and with a
// Secret Service that never answers (a stopped process holding its name). The
// passwords are then kept scrambled in the settings file, the user is told once
// where, and a silent keyring costs one wait only.
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "session/Keyring.h"
#include "publish/ServerList.h"
#include "support/FileTree.h"
#include "support/TestServers.h"
#include "support/ResultCheck.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

using namespace wobbin;

namespace {

tWWWServerType Server(const QString &name, const QString &password)
{
    tWWWServerType r;
    r.Name = name;
    r.Address = QStringLiteral("ftp.example.example");
    r.Password = password;
    return r;
}

} // namespace

class TestPublishKeyringFallback : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_holder;

private Q_SLOTS:
    void initTestCase()
    {
        // A session bus without any service files: nothing can be started on it.
        // (Its socket goes to /tmp: a socket path must be short.)
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile f(config);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(
                    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>\n"
                    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                    .toUtf8());
        f.close();
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon (package dbus) must be installed");
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void cleanupTestCase()
    {
        SetPasswordVault(nullptr);
        if (m_holder.state() != QProcess::NotRunning) {
            m_holder.kill();
            m_holder.waitForFinished(5000);
        }
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }

    void init()
    {
        SettingsStore().DeleteProgramKey();
        ServerList().clear();
    }

    void noKeyringOnTheBus()
    {
        TDesktopKeyring keyring;
        SetPasswordVault(&keyring);
        TakeServerListNotices();
        ServerList() = {Server(QStringLiteral("Home"), QStringLiteral("h0me")),
                        Server(QStringLiteral("No password"), QString())};
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(), &error), qPrintable(error));
        QVERIFY(keyring.Responsive());  // it answered: there is none
        QVERIFY(ServerHasStoredPassword(QStringLiteral("Home")));
        QCOMPARE(ReadServer(QStringLiteral("Home")).Password, QStringLiteral("h0me"));
        QVERIFY(QFileInfo(SettingsStore().FileName()).permissions()
                == (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser));
        // Told once, plainly, and where.
        const QStringList notices = TakeServerListNotices();
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.at(0).startsWith(LoadStr(Msg::PasswordsInSettingsFile)));
        QVERIFY(notices.at(0).contains(SettingsStore().FileName()));
        QVERIFY(SaveServerList().ok());
        QCOMPARE(TakeServerListNotices(), QStringList());

        ReleaseSettingsStore();
        LoadServerList();
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("h0me"));
        QVERIFY(ServerList().at(1).PasswordKnown);
        QCOMPARE(TakeServerListNotices(), QStringList());
    }

    void passwordsOfAKeyringThatIsGone()
    {
        // Saved into a keyring that is no longer there: the passwords are
        // unknown, the user is told, and a save does not overwrite them.
        TDesktopKeyring keyring;
        SetPasswordVault(&keyring);
        SettingsStore().OpenKey(QStringList{QStringLiteral("WWWServers"), QStringLiteral("Kept")}, true);
        SettingsStore().WriteString(QStringLiteral("Address"), QStringLiteral("ftp.kept.example"));
        SettingsStore().CloseKey();
        TakeServerListNotices();
        LoadServerList();
        QVERIFY(!ServerList().at(0).PasswordKnown);
        const QStringList notices = TakeServerListNotices();
        QCOMPARE(notices, QStringList{LoadStr(Msg::KeyringDidNotAnswer)});
        QVERIFY(SaveServerList().ok());
        QVERIFY(!ServerHasStoredPassword(QStringLiteral("Kept")));
    }

    // --publish whose password only a keyring could give, with none on the
    // bus: it says so and why, and ends with status 5 before connecting (no
    // log-on blamed); a password from standard input goes on without it.
    void commandLineTellsOfTheMissingKeyring()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        QVERIFY(testing::CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), data));
        SettingsStore().OpenKey(QStringList{QStringLiteral("WWWServers"), QStringLiteral("Kept")}, true);
        SettingsStore().WriteString(QStringLiteral("Address"), QStringLiteral("127.0.0.1:%1").arg(testing::FreePort()));
        SettingsStore().CloseKey();
        ReleaseSettingsStore();
        const QStringList args{QStringLiteral("--publish"), data + QStringLiteral("/save/Example.qze"),
                               QStringLiteral("--server"), QStringLiteral("Kept"), QStringLiteral("--data-dir"), data};
        QProcess program;
        program.start(QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express"), args);
        program.closeWriteChannel();
        QVERIFY(program.waitForFinished(60000));
        const QByteArray err = program.readAllStandardError();
        QCOMPARE(program.exitCode(), 5);
        QVERIFY2(err.startsWith("wobbin-express: the password of server \"Kept\" is kept in the desktop keyring, "
                                "which could not be reached: "),
                 err.constData());
        QCOMPARE(program.readAllStandardOutput(), QByteArray()); // not even "Connecting to"
        program.start(QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express"),
                      QStringList(args) << QStringLiteral("--password-stdin"));
        program.write("typed\n");
        program.closeWriteChannel();
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 3); // on to the server, which is not there
        QVERIFY(program.readAllStandardOutput().startsWith(LoadStr(Msg::ConnectingTo).toUtf8()));
    }

    void silentKeyringCostsOneWait()
    {
        // A process that holds the Secret Service's name and never answers.
        m_holder.setProgram(QCoreApplication::applicationFilePath());
        m_holder.setArguments({QStringLiteral("--hold-secrets-name")});
        m_holder.start();
        QVERIFY(m_holder.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_holder.canReadLine(), 10000);
        QCOMPARE(m_holder.readLine().trimmed(), QByteArray("ready"));
        ::kill(pid_t(m_holder.processId()), SIGSTOP);

        TDesktopKeyring keyring;
        keyring.SetTimeout(1000);
        SetPasswordVault(&keyring);
        ServerList() = {Server(QStringLiteral("Home"), QStringLiteral("h0me"))};
        QVERIFY(SaveServerList().ok());
        QVERIFY(!keyring.Responsive());
        QCOMPARE(ReadServer(QStringLiteral("Home")).Password, QStringLiteral("h0me"));
        // From now on the keyring is not asked again.
        const QList<TVaultAnswer> answers = keyring.ReadPasswords({QStringLiteral("Home"), QStringLiteral("x")});
        QCOMPARE(answers.size(), 2);
        QCOMPARE(answers.at(0).outcome, TVaultAnswer::NoAnswer);
        QCOMPARE(answers.at(1).outcome, TVaultAnswer::NoAnswer);
        LoadServerList();
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("h0me"));
        ::kill(pid_t(m_holder.processId()), SIGKILL);
        m_holder.waitForFinished(5000);
        // Late answers of the dead jobs change nothing (the wait is the test:
        // whatever arrives within it).
        QTest::qWait(200);
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("h0me"));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--hold-secrets-name") == 0) {
        if (!QDBusConnection::sessionBus().registerService(QStringLiteral("org.freedesktop.secrets")))
            return 1;
        std::puts("ready");
        std::fflush(stdout);
        return app.exec();
    }
    TestPublishKeyringFallback test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_publish_keyring_fallback.moc"
