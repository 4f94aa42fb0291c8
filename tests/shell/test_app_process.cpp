// ctest: needs-session-bus
// The real program: first start, the settings it writes, and the two ways of
// ending it in order from outside (event 1148 posted through its message
// service, and SIGTERM).
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestAppProcess : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_proc;
    QString m_stderr;

    QString ConfigHome() const { return m_dir.filePath(QStringLiteral("config")); }
    QString ConfigFile() const { return ConfigHome() + QStringLiteral("/Quorvex/Wobbin Express.conf"); }
    QString DataDir() const { return m_dir.filePath(QStringLiteral("app data")); }
    QString ServiceName() const
    {
        return QStringLiteral("org.quorvex.WobbinExpress.Pid%1").arg(m_proc->processId());
    }

    void Start()
    {
        m_proc = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        m_proc->setProcessEnvironment(env);
        m_proc->setProgram(QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express"));
        m_proc->setArguments({QStringLiteral("--data-dir"), DataDir()});
        m_proc->start();
        QVERIFY(m_proc->waitForStarted(10000));
    }

    // The main window is up once the message service is registered.
    bool WaitForMainWindow()
    {
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000 && m_proc->state() == QProcess::Running) {
            if (bus->isServiceRegistered(ServiceName()).value())
                return true;
            QTest::qWait(50);
        }
        qWarning("no main window after %lld ms (%s): %s", t.elapsed(),
                 m_proc->state() == QProcess::Running ? "running" : "ended",
                 m_proc->readAllStandardError().constData());
        return false;
    }

    // The program has its own handler for SIGTERM in place (SigCgt in
    // /proc/<pid>/status): from then on the signal ends it in order.
    bool CatchesSigterm() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_proc->processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return false;
    }

    void ExpectOrderlyEnd()
    {
        QVERIFY(m_proc->waitForFinished(20000));
        m_stderr = QString::fromLocal8Bit(m_proc->readAllStandardError());
        QCOMPARE(m_proc->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_proc->exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::exists(QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express")));
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no session bus: run this test under dbus-run-session (ctest does)");
    }

    void cleanup()
    {
        if (m_proc && m_proc->state() != QProcess::NotRunning) {
            m_proc->kill();
            m_proc->waitForFinished(5000);
        }
    }

    void firstStartThenMessage1148()
    {
        QVERIFY(!QFile::exists(ConfigFile()));
        Start();
        QVERIFY(WaitForMainWindow());
        // The program's key with Path and PlaySounds, readable by its owner only.
        {
            QSettings s(ConfigFile(), QSettings::IniFormat);
            QCOMPARE(s.value(QStringLiteral("General/Path")).toString(),
                     QFileInfo(QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express")).canonicalFilePath());
            QCOMPARE(s.value(QStringLiteral("General/PlaySounds")).toString(), QStringLiteral("Yes"));
        }
        QCOMPARE(QFile::permissions(ConfigFile()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
        // The data folders exist below --data-dir.
        QVERIFY(QFileInfo(DataDir() + QStringLiteral("/HTMLFiles/backgrnd")).isDir());
        QVERIFY(QFileInfo(DataDir() + QStringLiteral("/template")).isDir());

        QDBusMessage call = QDBusMessage::createMethodCall(ServiceName(), QStringLiteral("/WobbinExpress"),
                                                           QStringLiteral("org.quorvex.WobbinExpress"),
                                                           QStringLiteral("PostMessage"));
        call << uint(1148);
        QVERIFY(QDBusConnection::sessionBus().send(call));
        ExpectOrderlyEnd();
    }

    void otherMessagesDoNotEndIt()
    {
        Start();
        QVERIFY(WaitForMainWindow());
        QDBusMessage call = QDBusMessage::createMethodCall(ServiceName(), QStringLiteral("/WobbinExpress"),
                                                           QStringLiteral("org.quorvex.WobbinExpress"),
                                                           QStringLiteral("PostMessage"));
        call << uint(1147);
        QVERIFY(QDBusConnection::sessionBus().send(call));
        QVERIFY(!m_proc->waitForFinished(1500));
        QCOMPARE(m_proc->state(), QProcess::Running);
        ::kill(pid_t(m_proc->processId()), SIGTERM);
        ExpectOrderlyEnd();
    }

    void soundSwitchRewrittenAtStart_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lower-case yes") << QStringLiteral("yes") << QStringLiteral("Yes");
        QTest::newRow("ERROR") << QStringLiteral("ERROR") << QStringLiteral("Yes");
        QTest::newRow("lower-case no") << QStringLiteral("no") << QStringLiteral("Yes");
        QTest::newRow("No") << QStringLiteral("No") << QStringLiteral("No");
    }

    void soundSwitchRewrittenAtStart()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        {
            QSettings s(ConfigFile(), QSettings::IniFormat);
            s.setValue(QStringLiteral("General/PlaySounds"), stored);
        }
        Start();
        QVERIFY(WaitForMainWindow());
        {
            QSettings s(ConfigFile(), QSettings::IniFormat);
            QCOMPARE(s.value(QStringLiteral("General/PlaySounds")).toString(), expected);
        }
        // SIGTERM ends it in order.
        ::kill(pid_t(m_proc->processId()), SIGTERM);
        ExpectOrderlyEnd();
    }

    // SIGTERM as soon as the program takes it, early in start-up.
    void sigtermDuringStartUp()
    {
        Start();
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(), 30000);
        ::kill(pid_t(m_proc->processId()), SIGTERM);
        ExpectOrderlyEnd();
    }
};

QTEST_GUILESS_MAIN(TestAppProcess)
#include "test_app_process.moc"
