// ctest: needs-session-bus
// ctest: needs-display
// The window as a screen reader finds it: the program runs on an X display
// with the accessibility bus of its own session, and the tree is walked over
// AT-SPI (tests/support/atspi_tree.py, python3-pyatspi) in each of the four
// steps, in each property panel and on every page of both wizards. No control
// that takes the keyboard focus may be without a name or a role.
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "publish/ServerList.h"
#include "wizards/frmServerWizard.h"
#include "wizards/frmStyleWiz.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/WebBlockTile.h"
#include "workspace/frmMain.h"

#include <QLineEdit>
#include <QProcess>
#include <QAbstractButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestMainAtspi : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;
    QStringList m_faults;

    // What the walk finds (the event loop runs meanwhile, so the program answers).
    void Walk(const QString &where)
    {
        QProcess walk;
        walk.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(WOBBIN_SOURCE_DIR "/tests/support/atspi_tree.py"),
                                                        QStringLiteral("--pid"), QString::number(QCoreApplication::applicationPid())});
        QSignalSpy done(&walk, &QProcess::finished);
        if (!done.wait(60000) || walk.exitCode() != 0)
            m_faults << where + QStringLiteral(": no walk ") + QString::fromLocal8Bit(walk.readAllStandardError());
        for (const QString &line : QString::fromUtf8(walk.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m_faults << where + QStringLiteral(": ") + line;
    }
    static void Click(QWidget *root, const char *name) { root->findChild<QAbstractButton *>(QLatin1String(name))->click(); }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void everyStepPanelAndWizardPage()
    {
        FreshStart(m_dir, m_app);
        auto w = MakeMainWindow(m_app);
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        Walk(QStringLiteral("Choose"));
        QVERIFY(w->Workspace().SelectTab(wsBuild));
        for (int kind = 0; kind < 6; ++kind) { // a block of every kind, each one's panel
            QWidget *image = Named(w.get(), qPrintable(TilePaletteName(kind)));
            image->setFocus(Qt::TabFocusReason);
            QTest::keyClick(image, Qt::Key_Return); // Enter on a palette image adds its kind
            Walk(QStringLiteral("Build, kind %1").arg(kind));
        }
        QVERIFY(w->Workspace().SelectTab(wsView));
        Walk(QStringLiteral("View"));
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Spoken.qze"));
        QVERIFY(w->Workspace().SelectTab(wsSend));
        Walk(QStringLiteral("Send"));
        {
            TfrmStyleWiz wizard(m_app, w->Document().Styles(), w.get());
            wizard.show();
            Walk(QStringLiteral("Style wizard, start"));
            Click(&wizard, "NextButt");
            Walk(QStringLiteral("Style wizard, style"));
            Click(&wizard, "BackButt");
            Click(&wizard, "radModify");
            Click(&wizard, "NextButt");
            Walk(QStringLiteral("Style wizard, list"));
        }
        tWWWServerType home;
        home.Name = QStringLiteral("Home");
        ServerList() = {home};
        TfrmServerWizard wizard(w.get());
        wizard.show();
        Walk(QStringLiteral("Server wizard, start"));
        Click(&wizard, "NextButt");
        Walk(QStringLiteral("Server wizard, provider"));
        Click(&wizard, "NextButt");
        for (const char *field : {"txtName", "txtAddress", "txtLogin"})
            wizard.findChild<QLineEdit *>(QLatin1String(field))->setText(QStringLiteral("x"));
        Walk(QStringLiteral("Server wizard, server"));
        Click(&wizard, "butAdvanced");
        Walk(QStringLiteral("Server wizard, advanced"));
        for (int i = 0; i < 3; ++i)
            Click(&wizard, "BackButt");
        Click(&wizard, "RadioButton2");
        Click(&wizard, "NextButt");
        Walk(QStringLiteral("Server wizard, list"));
        ServerList().clear();
        QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join(QLatin1Char('\n'))));
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
