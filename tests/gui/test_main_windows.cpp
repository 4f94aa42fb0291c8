// The windows the main window opens, driven as a user would: the style
// wizard from the View panel (and the library read again), the HTML warning
// before the first hand edit, the Save Information note before a first save
// with its link to the tutorial on links, the About box from the Help menu,
// and the help window (usable over a modal dialog, closed by Escape).
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "shell/frmAbout.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "styles/StyleLibrary.h"
#include "shell/Help.h"
#include "workspace/frmMain.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

void ClickButton(QWidget *window, const char *name)
{
    auto *b = window->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestMainWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    QPlainTextEdit *ShowHtmlTab(TfrmMain &w)
    {
        ClickToolbar(&w, 280);
        Named<QTabWidget>(&w, "pagePreview")->setCurrentWidget(Named(&w, "tabHTML"));
        auto *memo = Named<QPlainTextEdit>(&w, "memHTML");
        memo->moveCursor(QTextCursor::End);
        return memo;
    }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void init()
    {
        FreshStart(m_dir, m_app);
    }

    void cleanup()
    {
        QCOMPARE(TDialogs::PendingPresets(), 0);
        if (QWidget *help = THelp::HelpWindow())
            delete help;
    }

    void editStylesRunsTheWizardAndReadsTheLibraryAgain()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        const int before = int(w->Document().Styles().size());
        auto *list = Named<QListWidget>(w.get(), "lstStyles");
        ClickRow(list, 1);
        const QString chosen = w->Document().StyleName();

        // Cancelled: the library stays as it was.
        TDialogs::PresetDialog([&](QDialog *d) { ClickButton(d, "CancelButt"); });
        QTest::mouseClick(Named(w.get(), "btnEditStyle"), Qt::LeftButton);
        QCOMPARE(TDialogs::ShownDialogs(), QStringList{QStringLiteral("frmStyleWiz")});
        QCOMPARE(int(w->Document().Styles().size()), before);

        // A new style, finished with Yes: written, read again, listed, and
        // the page keeps the style it had.
        TDialogs::PresetDialog([&](QDialog *d) {
            ClickButton(d, "radAdd");
            ClickButton(d, "NextButt");
            QTest::keyClicks(d->findChild<QLineEdit *>(QStringLiteral("txtStyleName")), QStringLiteral("Harbour"));
            TDialogs::PresetAnswer(QMessageBox::Yes);
            ClickButton(d, "FinishButt");
        });
        QTest::mouseClick(Named(w.get(), "btnEditStyle"), Qt::LeftButton);
        QCOMPARE(int(w->Document().Styles().size()), before + 1);
        QCOMPARE(LoadStyles(m_app + QStringLiteral("/Styles.data")).last().Name, QStringLiteral("Harbour"));
        QCOMPARE(Captions(list).last(), QStringLiteral("Harbour"));
        QCOMPARE(w->Document().StyleName(), chosen);
        QCOMPARE(list->currentRow(), 1);
    }

    void htmlWarningBeforeTheFirstHandEdit()
    {
        auto w = MakeMainWindow(m_app);
        QPlainTextEdit *memo = ShowHtmlTab(*w);
        const QString before = memo->toPlainText();

        // No, with the box ticked: the keystroke is taken back and the
        // warning is switched off for good.
        TDialogs::PresetDialog([](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmHTMLWarn"));
            QTest::mouseClick(d->findChild<QCheckBox *>(QStringLiteral("chkHTML")), Qt::LeftButton);
            ClickButton(d, "butNo");
        });
        QTest::keyClick(memo, Qt::Key_X);
        QCOMPARE(memo->toPlainText(), before);
        QVERIFY(!w->Document().HTMLEdited());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("ShowHTMLWarning")), QStringLiteral("No"));

        // Switched off: further edits pass without a question.
        QTest::keyClick(memo, Qt::Key_Y);
        QVERIFY(w->Document().HtmlText().endsWith(QStringLiteral("y")));
        QCOMPARE(TDialogs::ShownDialogs(), QStringList{QStringLiteral("frmHTMLWarn")});

        // Yes keeps the edit and marks the text as edited by hand.
        SettingsStore().Raw().remove(QStringLiteral("General"));
        auto again = MakeMainWindow(m_app);
        memo = ShowHtmlTab(*again);
        TDialogs::PresetDialog([](QDialog *d) { ClickButton(d, "butYes"); });
        QTest::keyClick(memo, Qt::Key_Z);
        QVERIFY(again->Document().HTMLEdited());
        QVERIFY(again->Document().HtmlText().endsWith(QStringLiteral("z")));
    }

    void saveInformationBeforeTheFirstSaveLinksToTheTutorial()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 140);
        THelp::SetHelpFolder(m_app + QStringLiteral("/Help"));
        TDialogs::PresetDialog([&](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmSaveInfo"));
            // The blue link opens the tutorial over the note, where it can be used.
            auto *link = d->findChild<QLabel *>(QStringLiteral("lblLink"));
            QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
            QCOMPARE(THelp::LastContext(), 102);
            QWidget *help = THelp::HelpWindow();
            QVERIFY(help && help->isVisible());
            QCOMPARE(help->parentWidget(), static_cast<QWidget *>(d));
            // The tutorial is the one on links.
            QCOMPARE(help->windowTitle(), QStringLiteral("Creating links"));
            QVERIFY(THelp::LastText().contains(QStringLiteral("Link")));
            QTest::mouseClick(d->findChild<QCheckBox *>(QStringLiteral("chkShow")), Qt::LeftButton);
            ClickButton(d, "btnJoy");
        });
        TDialogs::PresetFile(m_app + QStringLiteral("/save/First.qze"));
        Trigger(w.get(), "menFileSave");
        QVERIFY(QFile::exists(m_app + QStringLiteral("/save/First.qze")));
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("SaveInfo")), QStringLiteral("No"));

        // Switched off: the next first save asks for the name only.
        Trigger(w.get(), "mnuFileNew");
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Second.qze"));
        Trigger(w.get(), "menFileSave");
        QCOMPARE(TDialogs::ShownDialogs(), QStringList{QStringLiteral("frmSaveInfo")});
    }

    void aboutFromTheHelpMenu()
    {
        auto w = MakeMainWindow(m_app);
        QString version;
        TDialogs::PresetDialog([&](QDialog *d) {
            version = d->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            QCOMPARE(d->windowTitle(), LoadStr(Msg::AboutTitle));
            // A click on the picture closes it.
            QTest::mouseClick(d->findChild<QLabel *>(QStringLiteral("imgAbout")), Qt::LeftButton);
        });
        Trigger(w.get(), "menHelpAbout");
        QCOMPARE(version, QStringLiteral("Version 1.07"));
        QCOMPARE(TDialogs::ShownDialogs(), QStringList{QStringLiteral("frmAbout")});
        QVERIFY(TDialogs::ShownMessages().isEmpty());
    }

    void helpWindowFollowsTheModalDialogAndClosesWithEscape()
    {
        auto w = MakeMainWindow(m_app);
        // First opened over the main window.
        THelp::ShowTopic(31, w.get());
        QPointer<QWidget> help = THelp::HelpWindow();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->parentWidget(), static_cast<QWidget *>(w.get()));

        // Asked for while a modal dialog is open: it moves to that dialog,
        // so the modal dialog does not block it.
        QString owner;
        TDialogs::PresetDialog([&](QDialog *d) {
            THelp::ShowTopic(30, w.get());
            QCOMPARE(THelp::HelpWindow(), help.data());
            owner = THelp::HelpWindow()->parentWidget()->objectName();
            QVERIFY(help->isVisible());
            d->close();
        });
        Trigger(w.get(), "menHelpAbout");
        QCOMPARE(owner, QStringLiteral("frmAbout"));

        // Escape closes the help window.
        THelp::ShowTopic(31, w.get());
        help = THelp::HelpWindow();
        QVERIFY(help && help->isVisible());
        QTest::keyClick(help->findChild<QTextBrowser *>(QStringLiteral("helpBrowser")), Qt::Key_Escape);
        QTRY_VERIFY(!help || !help->isVisible());
    }

    // A question shown while a tab change is under way (a damaged page read
    // on the way) takes the keys and clicks meant for it, while the main
    // window's own input still waits for the change to end.
    void questionDuringATabChangeTakesItsInput()
    {
        auto w = MakeMainWindow(m_app);
        TWorkspace::TBusy busy(w->Workspace(), Activity::ChangingTab);
        QDialog question(w.get());
        question.setObjectName(QStringLiteral("question"));
        auto *ok = new QPushButton(QStringLiteral("OK"), &question);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &question, &QDialog::accept);
        int result = -1;
        QTimer::singleShot(0, &question, [&] {
            QTRY_VERIFY(question.isVisible());
            QTest::keyClick(&question, Qt::Key_Escape);
            if (question.isVisible()) // the key did not get through: end the wait
                question.done(42);
        });
        result = question.exec();
        QCOMPARE(result, int(QDialog::Rejected));

        question.setModal(true);
        QTimer::singleShot(0, &question, [&] {
            QTRY_VERIFY(question.isVisible());
            QTest::mouseClick(ok, Qt::LeftButton);
            if (question.isVisible())
                question.done(42);
        });
        QCOMPARE(question.exec(), int(QDialog::Accepted));
    }

    void damagedStyleLibraryIsToldOnce()
    {
        QFile lib(m_app + QStringLiteral("/Styles.data"));
        QVERIFY(lib.open(QIODevice::ReadWrite));
        const QByteArray bytes = lib.readAll();
        QVERIFY(lib.resize(bytes.size() / 2));
        lib.close();
        StyleLoadStatus status = StyleLoadStatus::Complete;
        const int readable = int(LoadStyles(lib.fileName(), &status).size());
        QCOMPARE(status, StyleLoadStatus::Damaged);

        auto w = MakeMainWindow(m_app);
        QTRY_COMPARE(TDialogs::ShownMessages().size(), 1);
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("Styles.data")));
        QVERIFY(TDialogs::LastMessage().contains(
            readable == 1 ? QStringLiteral("first style") : QStringLiteral("first %1 styles").arg(readable)));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        // Going to View and back does not tell it again.
        ClickToolbar(w.get(), 280);
        ClickToolbar(w.get(), 0);
        QCOMPARE(TDialogs::ShownMessages().size(), 1);
    }
};

QTEST_MAIN(TestMainWindows)
#include "test_main_windows.moc"
