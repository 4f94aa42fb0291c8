// The launcher: real programs (a script that records its arguments), a test
// MIME database whose HTML handler is such a script, and the failure path.
#include "settings/ExecFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cerrno>

using namespace wobbin;

namespace {

// A script that writes each argument as "[arg]" on its own line into OUT.
void WriteRecorder(const QString &path, const QString &out, const QString &extra = QString())
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.write(extra.toUtf8());
    f.write("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"" + out.toUtf8() + ".tmp\"\n");
    f.write("mv \"" + out.toUtf8() + ".tmp\" \"" + out.toUtf8() + "\"\n");
    f.close();
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

QStringList ReadArgs(const QString &out)
{
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no file>")};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestAppExecFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_out;
    QString m_rec;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("prog dir"));
        m_out = m_dir.filePath(QStringLiteral("args.txt"));
        m_rec = m_dir.filePath(QStringLiteral("prog dir/rec $(x).sh"));
        WriteRecorder(m_rec, m_out);
        // A private MIME setup: the default HTML program is a recorder.
        const QString data = m_dir.filePath(QStringLiteral("xdg-data"));
        const QString config = m_dir.filePath(QStringLiteral("xdg-config"));
        QDir().mkpath(data + QStringLiteral("/applications"));
        QDir().mkpath(config);
        const QString browser = m_dir.filePath(QStringLiteral("browser.sh"));
        WriteRecorder(browser, m_dir.filePath(QStringLiteral("browser.txt")));
        QFile desk(data + QStringLiteral("/applications/wobbin-testbrowser.desktop"));
        QVERIFY(desk.open(QIODevice::WriteOnly));
        desk.write("[Desktop Entry]\nType=Application\nName=Test Browser\nExec=\"" + browser.toUtf8()
                   + "\" --new-window %u\nMimeType=text/html;\n");
        desk.close();
        QFile apps(config + QStringLiteral("/mimeapps.list"));
        QVERIFY(apps.open(QIODevice::WriteOnly));
        apps.write("[Default Applications]\ntext/html=wobbin-testbrowser.desktop\n");
        apps.close();
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        // Only the private setup: no browser installed on the machine answers.
        const QString dataDirs = m_dir.filePath(QStringLiteral("xdg-data-dirs"));
        QDir().mkpath(dataDirs);
        QFile::link(QStringLiteral("/usr/share/mime"), dataDirs + QStringLiteral("/mime"));
        qputenv("XDG_DATA_DIRS", dataDirs.toUtf8());
        for (const char *v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                              "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
            qunsetenv(v);
    }

    void init() { QFile::remove(m_out); }

    void defaults()
    {
        TExecFile e;
        QVERIFY(!e.Associate);
        QCOMPARE(e.GetCommandLine(), QString());
        QCOMPARE(e.GetParameters(), QString());
        QVERIFY(e.Priority == TPriorityClass::pcNormal);
        QVERIFY(!e.Wait);
        QVERIFY(e.WaitStyle == TWaitStyle::wRegular);
        QVERIFY(e.WindowStyle == TWindowStyle::wsNorm);
        QVERIFY(!e.OnFail);
        QVERIFY(!e.Running());
        QCOMPARE(e.LastError(), 0);
        e.SetCommandLine(QString(300, QLatin1Char('a')));
        QCOMPARE(e.GetCommandLine().size(), 255);
    }

    void parametersAreOneArgument()
    {
        TExecFile e;
        e.SetCommandLine(m_rec);
        e.SetParameters(QStringLiteral("a  b; touch pwned `x` $(x) \"q\""));
        e.Wait = true;
        QVERIFY(e.Execute());
        QCOMPARE(ReadArgs(m_out), QStringList{QStringLiteral("[a  b; touch pwned `x` $(x) \"q\"]")});
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
        QCOMPARE(e.LastExitCode(), 0);
    }

    void emptyParametersGiveNoArgument()
    {
        TExecFile e;
        e.SetCommandLine(m_rec);
        e.Wait = true;
        QVERIFY(e.Execute());
        QCOMPARE(ReadArgs(m_out), QStringList());
    }

    void windowsStylePathAndNoWait()
    {
        TExecFile e;
        QString path = m_rec;
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        e.SetCommandLine(path);
        e.SetParameters(QStringLiteral("x"));
        QVERIFY(e.Execute());
        QVERIFY(e.LastProcessId() > 0);
        QTRY_COMPARE(ReadArgs(m_out), QStringList{QStringLiteral("[x]")});
    }

    void commandWithShellCharactersIsNotRun()
    {
        int fails = 0;
        TExecFile e;
        e.OnFail = [&](TExecFile *) { ++fails; };
        e.SetCommandLine(m_rec + QStringLiteral("; touch ") + m_dir.filePath(QStringLiteral("pwned")));
        QVERIFY(!e.Execute());
        QCOMPARE(fails, 1);
        QCOMPARE(e.LastError(), ENOENT);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));
        QVERIFY(!QFile::exists(m_out));
    }

    void regularWaitKeepsEventsFlowing()
    {
        const QString out = m_dir.filePath(QStringLiteral("slow.txt"));
        const QString slow = m_dir.filePath(QStringLiteral("slow.sh"));
        WriteRecorder(slow, out, QStringLiteral("sleep 0.6\n"));
        TExecFile e;
        e.SetCommandLine(slow);
        e.Wait = true;
        int ticks = 0;
        bool sawRunning = false;
        QTimer t;
        connect(&t, &QTimer::timeout, this, [&] {
            ++ticks;
            sawRunning = sawRunning || e.Running();
        });
        t.start(50);
        QVERIFY(e.Execute());
        QVERIFY(ticks > 2);
        QVERIFY(sawRunning);
        QVERIFY(!e.Running());
        QVERIFY(QFile::exists(out));  // really waited for the end
    }

    void suspendedWaitBlocks()
    {
        const QString out = m_dir.filePath(QStringLiteral("slow2.txt"));
        const QString slow = m_dir.filePath(QStringLiteral("slow2.sh"));
        WriteRecorder(slow, out, QStringLiteral("sleep 0.4\ntouch \"%1\"\nexit 3\n").arg(out));
        TExecFile e;
        e.SetCommandLine(slow);
        e.Wait = true;
        e.WaitStyle = TWaitStyle::wSuspend;
        int ticks = 0;
        QTimer t;
        connect(&t, &QTimer::timeout, this, [&] { ++ticks; });
        t.start(20);
        QVERIFY(e.Execute());
        QCOMPARE(ticks, 0);
        QVERIFY(QFile::exists(out));
        QCOMPARE(e.LastExitCode(), 3);
    }

    void idlePriorityRaisesNice()
    {
        const QString out = m_dir.filePath(QStringLiteral("nice.txt"));
        const QString prog = m_dir.filePath(QStringLiteral("nice.sh"));
        WriteRecorder(prog, out, QStringLiteral("sleep 0.3\nset -- $(ps -o ni= -p $$)\n"));
        TExecFile e;
        e.SetCommandLine(prog);
        e.Wait = true;
        e.Priority = TPriorityClass::pcIdle;
        QVERIFY(e.Execute());
        QCOMPARE(ReadArgs(out), QStringList{QStringLiteral("[19]")});
        QCOMPARE(NiceValueFor(TPriorityClass::pcNormal), 0);
        QVERIFY(NiceValueFor(TPriorityClass::pcHigh) < 0);
        QVERIFY(NiceValueFor(TPriorityClass::pcRealTime) < NiceValueFor(TPriorityClass::pcHigh));
    }

    void htmlFileOpensWithAssociatedProgram()
    {
        const QString page = m_dir.filePath(QStringLiteral("my page.html"));
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<HTML><BODY>x</BODY></HTML>\r\n");
        f.close();
        int fails = 0;
        TExecFile e;
        e.Associate = true;
        e.OnFail = [&](TExecFile *) { ++fails; };
        e.SetCommandLine(page);
        QVERIFY(e.Execute());
        QCOMPARE(fails, 0);
        QTRY_COMPARE(ReadArgs(m_dir.filePath(QStringLiteral("browser.txt"))),
                     QStringList({QStringLiteral("[--new-window]"), QStringLiteral("[") + page + QStringLiteral("]")}));
        // Without Associate the same document fails to start.
        e.Associate = false;
        QVERIFY(!e.Execute());
        QCOMPARE(fails, 1);
        QCOMPARE(e.LastError(), EACCES);
    }

    void executableDocumentIsNotRun()
    {
        // A page in the page folder that carries the execute bit and a "#!"
        // line is still only a document: it goes to the browser, never runs.
        const QString marker = m_dir.filePath(QStringLiteral("ran"));
        const QString page = m_dir.filePath(QStringLiteral("exec.html"));
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\ntouch \"" + marker.toUtf8() + "\"\nexit 0\n<HTML></HTML>\n");
        f.close();
        QFile::setPermissions(page, QFile::permissions(page) | QFileDevice::ExeOwner);
        QFile::remove(m_dir.filePath(QStringLiteral("browser.txt")));
        TExecFile e;
        e.Associate = true;
        e.SetCommandLine(page);
        QVERIFY(e.Execute());
        QTRY_COMPARE(ReadArgs(m_dir.filePath(QStringLiteral("browser.txt"))),
                     QStringList({QStringLiteral("[--new-window]"), QStringLiteral("[") + page + QStringLiteral("]")}));

        // Without Associate the document is refused, not run.
        int fails = 0;
        e.Associate = false;
        e.OnFail = [&](TExecFile *) { ++fails; };
        QVERIFY(!e.Execute());
        QCOMPARE(fails, 1);
        QCOMPARE(e.LastError(), EACCES);

        // The same with a Windows-style path and another letter case.
        QString stored = m_dir.filePath(QStringLiteral("EXEC.HTML"));
        stored.replace(QLatin1Char('/'), QLatin1Char('\\'));
        e.SetCommandLine(stored);
        QVERIFY(!e.Execute());

        // The wait is the test: none of the three tries runs the page within it.
        QTest::qWait(300);
        QVERIFY(!QFile::exists(marker));
    }

    void scriptWithoutExtensionInDocumentFolderIsNotRunAsPage()
    {
        // With Associate set, a path is started directly only when it is a
        // compiled program; a script is a document there and is not run.
        const QString marker = m_dir.filePath(QStringLiteral("ran2"));
        const QString script = m_dir.filePath(QStringLiteral("readme"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\ntouch \"" + marker.toUtf8() + "\"\n");
        f.close();
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        TExecFile e;
        e.Associate = true;
        e.SetCommandLine(script);
        e.Execute();
        QTest::qWait(500); // the wait is the test: the script does not run within it
        QVERIFY(!QFile::exists(marker));
    }

    void noAssociatedProgramFailsOnce()
    {
        const QString doc = m_dir.filePath(QStringLiteral("data.wobtest"));
        QFile f(doc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\x00\x01\x02\xff\xfe binary", 12));
        f.close();
        int fails = 0;
        TExecFile e;
        e.Associate = true;
        e.OnFail = [&](TExecFile *sender) {
            QCOMPARE(sender, &e);
            ++fails;
        };
        QSignalSpy spy(&e, &TExecFile::Failed);
        e.SetCommandLine(doc);
        QVERIFY(!e.Execute());
        QCOMPARE(fails, 1);
        QCOMPARE(spy.count(), 1);
        QVERIFY(e.LastError() != 0);
        QVERIFY(!e.LastErrorText().isEmpty());
    }

    void desktopExecLines()
    {
        const QString doc = QStringLiteral("/tmp/a b.html");
        AssociatedCommand c = CommandFromDesktopExec(
            QStringLiteral("\"/opt/my app/run\" --name=%c --icon %i --url=%u %% \"quoted \\\"arg\\\"\""), doc);
        QCOMPARE(c.program, QStringLiteral("/opt/my app/run"));
        QCOMPARE(c.arguments, QStringList({QStringLiteral("--name="), QStringLiteral("--icon"),
                                            QStringLiteral("--url=") + doc, QStringLiteral("%"),
                                            QStringLiteral("quoted \"arg\"")}));
        c = CommandFromDesktopExec(QStringLiteral("viewer"), doc);
        QCOMPARE(c.program, QStringLiteral("viewer"));
        QCOMPARE(c.arguments, QStringList{doc});
        c = CommandFromDesktopExec(QStringLiteral("viewer %F"), doc);
        QCOMPARE(c.arguments, QStringList{doc});
        QVERIFY(!CommandFromDesktopExec(QStringLiteral("   "), doc).isValid());
    }
};

QTEST_GUILESS_MAIN(TestAppExecFile)
#include "test_app_execfile.moc"
