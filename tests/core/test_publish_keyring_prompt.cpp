// ctest: needs-session-bus
// A keyring that asks its user first: gnome-keyring-daemon on this test's own
// session bus with its keyring locked, and its prompt (keyring_prompter.py,
// standing in for the desktop's) answered only after 7 seconds, longer than
// any time limit of the program's. The program waits as long as the prompt is
// up, goes on handling events meanwhile and says that it waits; after a
// refusal it never asks again.
#include "session/Keyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;

namespace {
const QString kPrompter = QStringLiteral("org.wobbin.TestPrompter");
} // namespace

class TestPublishKeyringPrompt : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcess m_daemon, m_prompter;
    QString m_log;

    bool StartPrompter(const QStringList &answer)
    {
        if (m_prompter.state() != QProcess::NotRunning) {
            m_prompter.kill();
            m_prompter.waitForFinished(5000);
        }
        m_prompter.start(QStringLiteral("/usr/bin/python3"),
                         QStringList{QStringLiteral(WOBBIN_SOURCE_DIR "/tests/support/keyring_prompter.py"),
                                     QStringLiteral("--name"), kPrompter, QStringLiteral("--log"), m_log}
                             + answer);
        return m_prompter.waitForReadyRead(15000) && m_prompter.readLine().trimmed() == "ready";
    }

    // Locks the default keyring, as after a fresh log-in without its password.
    void LockKeyring()
    {
        // Plain calls: an interface object would read the service's
        // description into a cache Qt never frees.
        const auto call = [](const QString &method, const QVariant &arg) {
            QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"),
                                                            QStringLiteral("/org/freedesktop/secrets"),
                                                            QStringLiteral("org.freedesktop.Secret.Service"), method);
            m << arg;
            return QDBusConnection::sessionBus().call(m);
        };
        const QDBusReply<QDBusObjectPath> alias = call(QStringLiteral("ReadAlias"), QStringLiteral("default"));
        QVERIFY2(alias.isValid() && alias.value().path() != QLatin1String("/"), "no default keyring");
        const QDBusMessage locked = call(QStringLiteral("Lock"), QVariant::fromValue(QList<QDBusObjectPath>{alias.value()}));
        QVERIFY2(locked.type() == QDBusMessage::ReplyMessage, qPrintable(locked.errorMessage()));
    }

    int Prompts() const
    {
        QFile f(m_log);
        return f.open(QIODevice::ReadOnly) ? int(f.readAll().count('\n')) : 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = m_dir.filePath(QStringLiteral("prompts.log"));
        QVERIFY2(StartPrompter({QStringLiteral("--password"), QStringLiteral("pw"), QStringLiteral("--delay"), QStringLiteral("7")}),
                 m_prompter.readAllStandardError().constData());
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/keyrings")).removeRecursively();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("GNOME_KEYRING_TEST_PROMPTER"), kPrompter);
        m_daemon.setProcessEnvironment(env);
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.start(QStringLiteral("gnome-keyring-daemon"),
                       {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        QVERIFY2(m_daemon.waitForStarted(), "gnome-keyring-daemon (package gnome-keyring) must be installed");
        m_daemon.write("pw");
        m_daemon.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value(), 15000);
        TDesktopKeyring keyring;
        QCOMPARE(keyring.WritePasswords({{QStringLiteral("Home"), QStringLiteral("h0me")}}).value(0).outcome, TVaultAnswer::Ok);
        QCOMPARE(Prompts(), 0); // unlocked: nothing to ask
    }

    // A notice set by a test function never outlives the list it fills.
    void cleanup() { SetVaultWaitNotice({}); }

    void cleanupTestCase()
    {
        SetVaultWaitNotice({});
        for (QProcess *p : {&m_daemon, &m_prompter}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    void lateAnswerIsWaitedFor()
    {
        LockKeyring();
        QList<bool> notices;
        SetVaultWaitNotice([&notices](bool waiting) { notices << waiting; });
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&ticks] { ++ticks; });
        tick.start(100);
        TDesktopKeyring keyring;
        const TVaultAnswer a = keyring.ReadPasswords({QStringLiteral("Home")}).value(0);
        QCOMPARE(a.outcome, TVaultAnswer::Ok);
        QCOMPARE(a.password, QStringLiteral("h0me"));
        QCOMPARE(Prompts(), 1);
        QCOMPARE(notices, (QList<bool>{true, false}));
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks))); // events went on while it waited
        QVERIFY(keyring.Responsive());
    }

    void refusalIsFinal()
    {
        QVERIFY(StartPrompter({QStringLiteral("--refuse")}));
        LockKeyring();
        TDesktopKeyring keyring;
        QCOMPARE(keyring.ReadPasswords({QStringLiteral("Home")}).value(0).outcome, TVaultAnswer::Refused);
        QCOMPARE(Prompts(), 2);
        QCOMPARE(keyring.WritePasswords({{QStringLiteral("Other"), QStringLiteral("x")}}).value(0).outcome,
                 TVaultAnswer::Refused);
        QCOMPARE(keyring.ReadPasswords({QStringLiteral("Home")}).value(0).outcome, TVaultAnswer::Refused);
        QCOMPARE(Prompts(), 2); // never asked again
    }
};

QTEST_GUILESS_MAIN(TestPublishKeyringPrompt)
#include "test_publish_keyring_prompt.moc"
