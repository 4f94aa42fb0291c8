// SFTP log-on with SSH keys against ProFTPD's mod_sftp on 127.0.0.1, whose
// virtual user's authorized keys are keys made here with ssh-keygen, and an
// ssh-agent of the test's own: the agent first, then key files (locked ones
// unlocked with the passphrase remembered for them), then the password.
#include "publish/FtpClient.h"
#include "publish/ServerList.h"
#include "publish/SshKeys.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "support/FileTree.h"
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
const QString kPassphrase = QStringLiteral("blue kettle 42");
const QString kProgram = QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express");
} // namespace

class TestSftpKeys : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_keys;      // the key files
    QString m_root;      // the server's home folder
    TSftpTestServer m_server;
    TSshAgent m_agent;

    QString Key(const char *name) const { return m_keys + QLatin1Char('/') + QLatin1String(name); }

    TFtpLogOn LogOn(const QStringList &keys, const QString &password = QString(), bool agent = false)
    {
        TFtpLogOn l;
        l.Protocol = TTransferProtocol::SFTP;
        l.Host = QStringLiteral("127.0.0.1");
        l.Port = m_server.Port();
        l.UserName = QStringLiteral("user");
        l.Password = password;
        l.KnownHostsFile = m_tmp.filePath(QStringLiteral("known_hosts"));
        l.SshAgent = agent;
        l.KeyFiles = keys;
        return l;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_keys = m_tmp.filePath(QStringLiteral("keys"));
        m_root = m_tmp.filePath(QStringLiteral("srv"));
        QVERIFY(QDir().mkpath(m_keys) && QDir().mkpath(m_root));
        QString error;
        QVERIFY2(MakeSshKey(Key("plain"), QStringLiteral("ed25519"), QString(), false, &error), qPrintable(error));
        QVERIFY2(MakeSshKey(Key("locked"), QStringLiteral("rsa"), kPassphrase, true, &error), qPrintable(error));
        QVERIFY2(MakeSshKey(Key("agentkey"), QStringLiteral("ecdsa"), QString(), false, &error), qPrintable(error));
        QVERIFY2(MakeSshKey(Key("stranger"), QStringLiteral("ed25519"), QString(), false, &error), qPrintable(error));
        m_server.SetAuthorizedKeys({Key("plain.pub"), Key("locked.pub"), Key("agentkey.pub")});
        QVERIFY2(m_server.Start(m_root), qPrintable(m_server.Error()));
        QVERIFY(WriteBytes(m_tmp.filePath(QStringLiteral("known_hosts")), m_server.KnownHostsLine().toLatin1() + '\n'));
        // libssh2 reads the public half from the private key: no .pub needed.
        QFile::remove(Key("plain.pub"));
        QFile::remove(Key("locked.pub"));
        QVERIFY2(m_agent.Start() && m_agent.Add(Key("agentkey")), qPrintable(m_agent.Error()));
        qunsetenv("SSH_AUTH_SOCK");
    }

    void init() { ForgetAllPassphrases(); }

    // Key files in turn, the password after them; further connections log on
    // the way that worked.
    void keyFilesThenPassword()
    {
        TFtpClient c;
        QVERIFY2(c.Connect(LogOn({Key("stranger"), Key("plain")})), qPrintable(c.ErrorText()));
        QCOMPARE(c.KeysOffered(), (QStringList{Key("stranger"), Key("plain")}));
        const TFtpLogOn same = c.SameLogOn(LogOn({Key("stranger"), Key("plain")}, QStringLiteral("secret"), true));
        QCOMPARE(same.KeyFiles, QStringList{Key("plain")});
        QVERIFY(!same.SshAgent && same.Password.isEmpty());
        c.Disconnect();

        // A key the server does not know: the password lets us in after it.
        QVERIFY2(c.Connect(LogOn({Key("stranger")}, QStringLiteral("secret"))), qPrintable(c.ErrorText()));
        QVERIFY(c.PasswordOffered());
        QVERIFY(c.SameLogOn(LogOn({Key("stranger")}, QStringLiteral("secret"))).KeyFiles.isEmpty());
        c.Disconnect();

        // Without the password: refused, naming the key (not a wrong login).
        QVERIFY(!c.Connect(LogOn({Key("stranger")})));
        QCOMPARE(c.Failure(), FtpFailure::LogOnRefused);
        QCOMPARE(c.KeysOffered(), QStringList{Key("stranger")});
        QVERIFY(!c.PasswordOffered());
    }

    // A locked key stops the log-on until its passphrase is known; a wrong one
    // is said and forgotten; a declined key is left out.
    void lockedKeyAsksForItsPassphrase()
    {
        TFtpClient c;
        QVERIFY(!c.Connect(LogOn({Key("locked")})));
        QCOMPARE(c.Failure(), FtpFailure::KeyPassphrase);
        QCOMPARE(c.KeyFileInQuestion(), Key("locked"));
        QVERIFY(!c.PassphraseWasWrong());
        QCOMPARE(c.ConnectionsMade(), 0);

        RememberPassphrase(Key("locked"), QStringLiteral("not it"));
        QVERIFY(!c.Connect(LogOn({Key("locked")})));
        QCOMPARE(c.Failure(), FtpFailure::KeyPassphrase);
        QVERIFY(c.PassphraseWasWrong());
        QString kept;
        QVERIFY(!RecallPassphrase(Key("locked"), kept));
        QVERIFY(!c.ErrorText().contains(QStringLiteral("not it")));

        RememberPassphrase(Key("locked"), kPassphrase);
        QVERIFY2(c.Connect(LogOn({Key("locked")})), qPrintable(c.ErrorText()));
        c.Disconnect();

        DeclinePassphrase(Key("locked"));
        QVERIFY2(c.Connect(LogOn({Key("locked")}, QStringLiteral("secret"))), qPrintable(c.ErrorText()));
        QVERIFY(!c.KeysOffered().contains(Key("locked")));
    }

    // The agent's keys come first, before any key file; without an agent the
    // same log-on is refused. A host key that is not known stops the first
    // connection: no key and no password is offered to it.
    void agentFirst()
    {
        qputenv("SSH_AUTH_SOCK", m_agent.Socket().toLocal8Bit());
        TFtpClient c;
        QVERIFY2(c.Connect(LogOn({Key("locked")}, QString(), true)), qPrintable(c.ErrorText()));
        QCOMPARE(c.KeysOffered(), QStringList{QStringLiteral("ssh-agent")});
        const TFtpLogOn same = c.SameLogOn(LogOn({Key("locked")}, QString(), true));
        QVERIFY(same.SshAgent && same.KeyFiles.isEmpty());
        c.Disconnect();

        TFtpLogOn unknown = LogOn({Key("plain")}, QStringLiteral("secret"), true);
        unknown.KnownHostsFile = m_tmp.filePath(QStringLiteral("no_known_hosts"));
        TFtpClient fresh;
        QVERIFY(!fresh.Connect(unknown));
        QCOMPARE(fresh.Failure(), FtpFailure::UnknownHostKey);
        QCOMPARE(fresh.ConnectionsMade(), 1);

        qunsetenv("SSH_AUTH_SOCK");
        QVERIFY(!c.Connect(LogOn({Key("stranger")}, QString(), true)));
        QCOMPARE(c.Failure(), FtpFailure::LogOnRefused);
    }

    // A key file that cannot be used is named before anything goes out.
    void unusableKeyFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("state");
        QTest::newRow("missing") << Key("nothing") << int(TKeyFileState::Missing);
        QTest::newRow("a folder") << m_keys << int(TKeyFileState::Unreadable);
        QTest::newRow("the public half") << Key("stranger.pub") << int(TKeyFileState::NotAKey);
        QTest::newRow("line break") << Key("plain") + QStringLiteral("\nrm x") << int(TKeyFileState::BadName);
    }
    void unusableKeyFile()
    {
        QFETCH(QString, file);
        QFETCH(int, state);
        TFtpClient c;
        QVERIFY(!c.Connect(LogOn({file}, QStringLiteral("secret"))));
        QCOMPARE(c.Failure(), FtpFailure::KeyFile);
        QCOMPARE(int(c.KeyFileProblem()), state);
        QCOMPARE(c.KeyFileInQuestion(), file);
        QCOMPARE(c.ConnectionsMade(), 0);
    }

    // The command line: a key the server refuses is named; a locked key with
    // no one at a terminal stops with status 5, naming the key and the way
    // for scripts (the agent); the agent's key lets it in.
    void commandLineKeys()
    {
        const QString data = m_tmp.filePath(QStringLiteral("data"));
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), data));
        tWWWServerType r;
        r.Name = QStringLiteral("Keyed");
        r.Address = QStringLiteral("127.0.0.1:%1").arg(m_server.Port());
        r.Directory = QStringLiteral("site");
        r.UserName = QStringLiteral("user");
        r.Protocol = QStringLiteral("SFTP");
        r.KeyFile = Key("locked");
        TServerList list{r};
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(list), &error), qPrintable(error));
        const QString home = m_tmp.filePath(QStringLiteral("cli-home"));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/.ssh")));
        QVERIFY(QFile::copy(m_tmp.filePath(QStringLiteral("known_hosts")), home + QStringLiteral("/.ssh/known_hosts")));

        const auto publish = [&](bool agent) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("HOME"), home);
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
            env.remove(QStringLiteral("DISPLAY"));
            if (agent)
                env.insert(QStringLiteral("SSH_AUTH_SOCK"), m_agent.Socket());
            else
                env.remove(QStringLiteral("SSH_AUTH_SOCK"));
            p.setProcessEnvironment(env);
            p.setStandardInputFile(QProcess::nullDevice());
            p.start(kProgram, {QStringLiteral("--publish"), data + QStringLiteral("/save/Example.qze"), QStringLiteral("--server"),
                               QStringLiteral("Keyed"), QStringLiteral("--data-dir"), data});
            p.waitForFinished(60000);
            return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()));
        };
        // A key the server does not know: refused, and the message names it.
        list[0].KeyFile = Key("stranger");
        QVERIFY(SaveServerList(list).ok());
        const auto [refusedStatus, refusal] = publish(false);
        QCOMPARE(refusedStatus, 3);
        QVERIFY2(refusal.contains(LoadStr(Msg::SshKeysRefused).arg(Key("stranger"))), qPrintable(refusal));

        list[0].KeyFile = Key("locked");
        QVERIFY(SaveServerList(list).ok());
        const auto [status, errors] = publish(false);
        QCOMPARE(status, 5);
        QVERIFY2(errors.contains(Key("locked")) && errors.contains(QStringLiteral("ssh-add")), qPrintable(errors));
        QVERIFY(!QFile::exists(m_root + QStringLiteral("/site/Example.html")));

        // The agent holds another key the server knows: in without a passphrase.
        const auto [agentStatus, agentErrors] = publish(true);
        QVERIFY2(agentStatus == 0, qPrintable(agentErrors));
        QVERIFY(QFile::exists(m_root + QStringLiteral("/site/Example.html")));
    }
};

QTEST_GUILESS_MAIN(TestSftpKeys)
#include "test_publish_sftp_keys.moc"
