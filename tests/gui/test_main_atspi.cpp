// ctest: needs-session-bus
// ctest: needs-display
// The window as a screen reader finds it: the program runs on an X display
// with the accessibility bus of its own session, and the tree is walked over
// AT-SPI (tests/support/atspi_tree.py, python3-pyatspi) in each of the four
// steps, in each property panel and on every page of both wizards. No control
// that takes the keyboard focus may be without a name or a role.
#include "support_gui/MainWindowDriver.h"

#include "app/Dialogs_gui.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "page/PageDocument.h"
#include "publish/ServerList.h"
#include "publish/frmServerWizard_gui.h"
#include "styles/frmStyleWiz_gui.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/frmMain.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestMainAtspi : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    // The controls a screen reader finds without a name or role, as the walk
    // prints them; the event loop runs meanwhile, so the program answers.
    static QStringList Unnamed(const QString &where)
    {
        QProcess walk;
        walk.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(WOBBIN_SOURCE_DIR "/tests/support/atspi_tree.py"), QStringLiteral("--pid"),
                    QString::number(QCoreApplication::applicationPid())});
        QSignalSpy done(&walk, &QProcess::finished);
        if (!done.wait(60000) || walk.exitCode() != 0)
            return {where + QStringLiteral(": the walk failed: ") + QString::fromLocal8Bit(walk.readAllStandardError())};
        QStringList out;
        for (const QString &line : QString::fromUtf8(walk.readAllStandardOutput()).split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty())
                out << where + QStringLiteral(": ") + line;
        return out;
    }

    static void Click(QWidget *root, const char *name)
    {
        auto *b = root->findChild<QAbstractButton *>(QLatin1String(name));
        QVERIFY2(b && b->isVisible() && b->isEnabled(), name);
        b->click();
    }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void init() { FreshStart(m_dir, m_app); }

    void everyStepAndPanel()
    {
        auto w = MakeMainWindow(m_app);
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QStringList faults = Unnamed(QStringLiteral("Choose"));
        // A page with a block of every kind, each one's panel in turn.
        QVERIFY(w->Workspace().SelectTab(wsBuild));
        TBuildWorkspace &build = w->BuildWorkspace();
        for (int kind = 0; kind < 6; ++kind) {
            build.PaletteKeyAdd(kind);
            faults << Unnamed(QStringLiteral("Build, block %1").arg(kind));
        }
        QVERIFY(w->Workspace().SelectTab(wsView));
        faults << Unnamed(QStringLiteral("View"));
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Spoken.qze"));
        QVERIFY(w->Workspace().SelectTab(wsSend));
        faults << Unnamed(QStringLiteral("Send"));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void bothWizards()
    {
        auto w = MakeMainWindow(m_app);
        QStringList faults;
        {
            TfrmStyleWiz wizard(m_app, w->Document().Styles(), w.get());
            wizard.show();
            QVERIFY(QTest::qWaitForWindowExposed(&wizard));
            faults << Unnamed(QStringLiteral("Style wizard, start"));
            Click(&wizard, "NextButt");
            faults << Unnamed(QStringLiteral("Style wizard, style"));
            Click(&wizard, "BackButt");
            Click(&wizard, "radModify");
            Click(&wizard, "NextButt");
            faults << Unnamed(QStringLiteral("Style wizard, list"));
        }
        {
            ServerList().clear();
            tWWWServerType home;
            home.Name = QStringLiteral("Home");
            ServerList().append(home);
            TfrmServerWizard wizard(w.get());
            wizard.show();
            QVERIFY(QTest::qWaitForWindowExposed(&wizard));
            faults << Unnamed(QStringLiteral("Server wizard, start"));
            Click(&wizard, "NextButt");
            faults << Unnamed(QStringLiteral("Server wizard, provider"));
            Click(&wizard, "NextButt");
            for (const char *field : {"txtName", "txtAddress", "txtLogin"})
                wizard.findChild<QLineEdit *>(QLatin1String(field))->setText(QStringLiteral("x"));
            faults << Unnamed(QStringLiteral("Server wizard, server"));
            Click(&wizard, "butAdvanced");
            faults << Unnamed(QStringLiteral("Server wizard, advanced"));
            for (int i = 0; i < 3; ++i)
                Click(&wizard, "BackButt");
            Click(&wizard, "RadioButton2");
            Click(&wizard, "NextButt");
            faults << Unnamed(QStringLiteral("Server wizard, list"));
            ServerList().clear();
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char **argv)
{
    // On the X display the test runs under, where Qt talks to the
    // accessibility bus as it does for a screen reader.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    TestMainAtspi test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_atspi.moc"
