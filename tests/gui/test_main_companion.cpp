// ctest: needs-session-bus
// The Send tab with the companion editor running: the page goes to the editor
// instead, against the fake companion on a private session bus.
#include "support_gui/MainWindowDriver.h"

#include "session/Companion.h"
#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "workspace/frmMain.h"

#include <QDBusConnection>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestMainCompanion : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;
    std::unique_ptr<QProcess> m_fake;

    bool StartFake(const QStringList &args)
    {
        m_fake = std::make_unique<QProcess>();
        m_fake->setProgram(QStringLiteral(WOBBIN_FAKE_COMPANION));
        m_fake->setArguments(args);
        m_fake->start();
        if (!m_fake->waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        QByteArray out;
        while (!out.contains("ready") && t.elapsed() < 10000) {
            m_fake->waitForReadyRead(200);
            out += m_fake->readAllStandardOutput();
        }
        return out.contains("ready");
    }

    std::unique_ptr<TfrmMain> Make()
    {
        auto w = MakeMainWindow(m_app, QString(), true);
        // Something to hand over: a template's blocks, as Build shows them.
        ClickRow(Named<QListWidget>(w.get(), "lvTemplates"), 0);
        ClickToolbar(w.get(), 150);
        return w;
    }
    QString Highlight(const TfrmMain &w) const { return Named(&w, "picRedPill")->property("Bitmap").toString(); }

    void PresetSave(const QString &name)
    {
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(m_app + QStringLiteral("/save/") + name);
    }

    QStringList CallLog() const
    {
        QFile f(m_dir->path() + QStringLiteral("/calls.log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        TDialogs::SetNonInteractive(true);
    }

    void init()
    {
        TDialogs::ClearPresets();
        m_dir = std::make_unique<QTemporaryDir>();
        m_app = CopyAppData(*m_dir);
        SettingsStore().OpenKey(QString(), true);
        SettingsStore().CloseKey();
    }

    void cleanup()
    {
        if (m_fake) {
            m_fake->terminate();
            if (!m_fake->waitForFinished(5000))
                m_fake->kill();
            m_fake->waitForFinished(2000);
            m_fake.reset();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!CompanionIsRunning(), 5000);
        QCOMPARE(TDialogs::PendingPresets(), 0);
    }

    void withoutCompanionSendIsOrdinary()
    {
        auto w = Make();
        QVERIFY(!w->Workspace().CompanionRunning());
        QCOMPARE(Named(w.get(), "picToolbar")->property("Bitmap").toString(), QStringLiteral("Toolbar"));
    }

    void pagePastedIntoTheEditor()
    {
        const QString paste = m_dir->path() + QStringLiteral("/pasted.html");
        QVERIFY(StartFake({QStringLiteral("--open-doc"), QStringLiteral("no"), QStringLiteral("--paste-file"),
                           paste, QStringLiteral("--log"), m_dir->path() + QStringLiteral("/calls.log")}));
        auto w = Make();
        QVERIFY(w->Workspace().CompanionRunning());
        QCOMPARE(Named(w.get(), "picToolbar")->property("Bitmap").toString(), QStringLiteral("QZ4Toolbar"));
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(w->Document().Page().Blocks.Count() > 0);

        PresetSave(QStringLiteral("Handed.qze"));
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 5083
        ClickToolbar(w.get(), 430);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::CompanionPasted));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Information);
        // Back to Choose, the highlight on the first tab.
        QCOMPARE(w->Workspace().State(), int(wsChoose));
        QVERIFY(Named(w.get(), "pnlChoose")->isVisible() && !Named(w.get(), "pnlSend")->isVisible());
        QCOMPARE(Highlight(*w), QStringLiteral("Toolbutt1"));
        QVERIFY(!w->Workspace().ToolbarBusy());
        QCOMPARE(CallLog(), (QStringList{QStringLiteral("IsOpenDoc"), QStringLiteral("OpenNewFile"),
                                         QStringLiteral("IsOpenDoc"),
                                         CallLog().value(3)}));
        QVERIFY(CallLog().value(3).startsWith(QStringLiteral("PutTextAtCursor")));
        // The blocks alone: no head, no body tags, no logo.
        QFile f(paste);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QCOMPARE(html, w->Document().Page().BuildPageHTML(true, false));
        QVERIFY(!html.isEmpty());
        QVERIFY(!html.contains(QStringLiteral("<BODY"), Qt::CaseInsensitive));
        QVERIFY(!html.contains(QStringLiteral("button.gif")));
        QVERIFY(w->isVisible());
    }

    void editorWithoutDocumentShowsSend()
    {
        QVERIFY(StartFake({QStringLiteral("--open-doc"), QStringLiteral("never"), QStringLiteral("--log"),
                           m_dir->path() + QStringLiteral("/calls.log")}));
        auto w = Make();
        QVERIFY(w->Workspace().CompanionRunning());
        PresetSave(QStringLiteral("Never.qze"));
        ClickToolbar(w.get(), 430);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        QVERIFY(Named(w.get(), "pnlSend")->isVisible());
        QCOMPARE(Highlight(*w), QStringLiteral("QZ4Toolbutt4"));
        QCOMPARE(CallLog(), (QStringList{QStringLiteral("IsOpenDoc"), QStringLiteral("OpenNewFile"),
                                         QStringLiteral("IsOpenDoc")}));
        QVERIFY(!TDialogs::ShownMessages().contains(LoadStr(Msg::CompanionPasted)));
        QVERIFY(!TDialogs::ShownMessages().contains(LoadStr(Msg::CompanionUnreachable)));
    }

    void failingEditorReportsAndCloses()
    {
        QVERIFY(StartFake({QStringLiteral("--open-doc"), QStringLiteral("fail")}));
        auto w = Make();
        QVERIFY(w->Workspace().CompanionRunning());
        PresetSave(QStringLiteral("Failed.qze"));
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 5084
        ClickToolbar(w.get(), 430);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::CompanionUnreachable));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Critical);
        // The selection went on to Send; then the window closes (the page is saved,
        // so nothing is asked).
        QCOMPARE(w->Workspace().State(), int(wsSend));
        QTRY_VERIFY(!w->isVisible());
    }

    void failingEditorCloseCanBeCancelled()
    {
        QVERIFY(StartFake({QStringLiteral("--open-doc"), QStringLiteral("yes"), QStringLiteral("--fail-paste")}));
        auto w = Make();
        PresetSave(QStringLiteral("Cancelled.qze"));
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 5084
        ClickToolbar(w.get(), 430);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::CompanionUnreachable));
        QCOMPARE(w->Workspace().State(), int(wsSend));
        // Changed meanwhile: the closing asks, and Cancel keeps the window open.
        w->Document().SetDocumentChanged(true);
        TDialogs::PresetAnswer(QMessageBox::Cancel); // message 103
        QTRY_COMPARE(TDialogs::LastMessage(), LoadStr(Msg::SaveChangesQuestion));
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(TestMainCompanion)
#include "test_main_companion.moc"
