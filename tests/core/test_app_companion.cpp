// ctest: needs-session-bus
// Companion detection and the three calls, against a fake companion on a
// private session bus (the test runs under dbus-run-session).
#include "session/Companion.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

class TestAppCompanion : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Starts the fake companion and waits until it is registered.
    std::unique_ptr<QProcess> StartFake(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProgram(QStringLiteral(WOBBIN_FAKE_COMPANION));
        p->setArguments(args);
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start();
        if (!p->waitForStarted(5000))
            return nullptr;
        QElapsedTimer t;
        t.start();
        while (!p->readAllStandardOutput().contains("ready") && t.elapsed() < 10000)
            p->waitForReadyRead(200);
        return p;
    }

    static void Stop(std::unique_ptr<QProcess> &p)
    {
        if (!p)
            return;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(2000);
        }
        // The service must be gone before the next case starts.
        QTRY_VERIFY_WITH_TIMEOUT(!CompanionIsRunning(), 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no session bus: run this test under dbus-run-session (ctest does)");
        QVERIFY(m_dir.isValid());
    }

    void notRunningWithoutService()
    {
        QVERIFY(!CompanionIsRunning());
        const CompanionState s = WobbinRunning();
        QVERIFY(!s.running);
        QVERIFY(!s.server);
    }

    void handOverSequence()
    {
        const QString paste = m_dir.filePath(QStringLiteral("paste.html"));
        const QString log = m_dir.filePath(QStringLiteral("calls.log"));
        auto fake = StartFake({QStringLiteral("--paste-file"), paste, QStringLiteral("--log"), log});
        QVERIFY(fake);
        const CompanionState s = WobbinRunning();
        QVERIFY(s.running);
        QVERIFY(s.server && s.server->IsValid());
        bool open = true;
        QVERIFY(s.server->IsOpenDoc(open));
        QVERIFY(!open);
        QVERIFY(s.server->OpenNewFile());
        QVERIFY(s.server->IsOpenDoc(open));
        QVERIFY(open);
        const QString html = QStringLiteral("<P>caf\u00e9 \u20ac \"q\" </P>\r\n");
        QVERIFY(s.server->PutTextAtCursor(html));
        QFile f(paste);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), html);
        QFile l(log);
        QVERIFY(l.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(l.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({QStringLiteral("IsOpenDoc"), QStringLiteral("OpenNewFile"),
                              QStringLiteral("IsOpenDoc"), QStringLiteral("PutTextAtCursor %1").arg(html.size())}));
        Stop(fake);
    }

    void failingCallsReportErrors()
    {
        auto fake = StartFake({QStringLiteral("--open-doc"), QStringLiteral("fail"),
                               QStringLiteral("--fail-paste"), QStringLiteral("--fail-open-new")});
        QVERIFY(fake);
        const CompanionState s = WobbinRunning();
        QVERIFY(s.running && s.server);
        bool open = true;
        QVERIFY(!s.server->IsOpenDoc(open));
        QVERIFY(!open);
        QVERIFY(!s.server->LastError().isEmpty());
        QVERIFY(!s.server->OpenNewFile());
        QVERIFY(!s.server->PutTextAtCursor(QStringLiteral("x")));
        Stop(fake);
    }

    void neverOpensADocument()
    {
        auto fake = StartFake({QStringLiteral("--open-doc"), QStringLiteral("never")});
        QVERIFY(fake);
        TCompanionServer server;
        bool open = true;
        QVERIFY(server.OpenNewFile());
        QVERIFY(server.IsOpenDoc(open));
        QVERIFY(!open);
        Stop(fake);
    }

    void serviceWithoutObject()
    {
        // Running, but the automation object cannot be had: the flag stays set.
        auto fake = StartFake({QStringLiteral("--no-object")});
        QVERIFY(fake);
        const CompanionState s = WobbinRunning();
        QVERIFY(s.running);
        if (s.server) {
            // Some buses accept the interface without introspection; the calls fail then.
            bool open = false;
            QVERIFY(!s.server->IsOpenDoc(open));
        }
        Stop(fake);
    }

    void companionThatEnded()
    {
        auto fake = StartFake({});
        QVERIFY(fake);
        TCompanionServer server;
        QVERIFY(server.IsValid());
        Stop(fake);
        bool open = true;
        QVERIFY(!server.IsOpenDoc(open));
        QVERIFY(!server.PutTextAtCursor(QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(TestAppCompanion)
#include "test_app_companion.moc"
