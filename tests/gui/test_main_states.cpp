// The main window driven as a user would: toolbar clicks and what each
// workspace state shows, input while a tab change runs, the sound switch,
// right-click help, the hint, the exit button and the preview-size toggle,
// and a page named on the command line. The rules behind the changes are
// tested without a window in tests/core/test_workspace.cpp.
#include "support_gui/MainWindowDriver.h"
#include "support/PageBytes.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "page/PageHtml.h"
#include "workspace/Controls.h"
#include "shell/Help.h"
#include "workspace/frmMain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestMainStates : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    // The untitled page is saved through the Send precondition's dialogs.
    QString PresetSaveAs(const QString &name)
    {
        const QString path = m_app + QStringLiteral("/save/") + name;
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(path);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void init()
    {
        FreshStart(m_dir, m_app);
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void startsInChooseWithEveryRegion()
    {
        auto w = MakeMainWindow(m_app);
        QCOMPARE(w->Workspace().State(), int(wsChoose));
        QVERIFY(Named(w.get(), "pnlChoose")->isVisible());
        for (const char *hidden : {"pnlBuild", "pnlView", "pnlSend"})
            QVERIFY2(!Named(w.get(), hidden)->isVisible(), hidden);
        QCOMPARE(w->Client()->size(), QSize(631, 433));
        QCOMPARE(Named(w.get(), "pnlTopPip")->geometry(), QRect(7, 2, 620, 96));
        QCOMPARE(Named(w.get(), "ctlHTML")->size(), QSize(609, 181));
        QCOMPARE(Named(w.get(), "picRedPill")->property("Bitmap").toString(), QStringLiteral("Toolbutt1"));
        for (const char *name : {"picToolbar", "picWindy", "imgPreView", "imgFrontPip", "memHTML", "lstStyles",
                                 "txtTitle", "chkLogo", "imgWebBack", "imgUpload", "cmbServers", "spdEditWWW",
                                 "lstFiles", "imgView", "imgLogo", "imgExit", "Panel3", "pnlLower",
                                 "lblBuildRight", "imgBrPara", "pnlToolBox"})
            Named(w.get(), name);
        for (const char *name : {"timInit", "timAnim", "timUp", "timDown", "timShredder", "timTopPip", "timWebAn",
                                 "timUpload", "timFlashPage"})
            Named<QTimer>(w.get(), name);
        QVERIFY(Named<QTimer>(w.get(), "timInit")->isActive());
        QVERIFY(!Named<QTimer>(w.get(), "timFlashPage")->isActive());
        // Templates first, then the saved pages; nothing selected.
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        QCOMPARE(list->count(), 7);
        QCOMPARE(list->item(6)->text(), QStringLiteral("Example"));
        QVERIFY(list->selectedItems().isEmpty());
        // Texts from the string table.
        QCOMPARE(Named<QAction>(w.get(), "mnuFileNew")->text(), LoadStr(Msg::MenuNew));
        QCOMPARE(Named<QAction>(w.get(), "popMenWhatsThis")->text(), LoadStr(Msg::WhatsThis));
        QCOMPARE(Named<QAction>(w.get(), "Delete1")->text(), LoadStr(Msg::DeletePage));
        QVERIFY(!Named<QAction>(w.get(), "ExternalPreview1")->isEnabled());
        QCOMPARE(w->windowTitle(), LoadStr(Msg::ProgramName));
        // A missing sound setting means sounds on, written back.
        QVERIFY(Named<QAction>(w.get(), "Sounds")->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("Yes"));
        QVERIFY(MissingStringIds().isEmpty());
    }

    void toolbarClicksShowEachState()
    {
        auto w = MakeMainWindow(m_app);
        QWidget *pill = Named(w.get(), "picRedPill");
        ClickToolbar(w.get(), 140);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(Named(w.get(), "pnlBuild")->isVisible() && !Named(w.get(), "pnlChoose")->isVisible());
        QCOMPARE(pill->geometry(), QRect(103, 0, 170, 96));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - ") + LoadStr(Msg::Untitled)));
        ClickToolbar(w.get(), 280);
        QCOMPARE(w->Workspace().State(), int(wsView));
        QCOMPARE(pill->property("Bitmap").toString(), QStringLiteral("Toolbutt3"));
        QVERIFY(Named<QAction>(w.get(), "ExternalPreview1")->isEnabled());
        QCOMPARE(Named(w.get(), "imgView")->property("Bitmap").toString(), QStringLiteral("Max_Up"));
        // The window shows the document's HTML text.
        auto *memHTML = Named<QPlainTextEdit>(w.get(), "memHTML");
        QCOMPARE(memHTML->toPlainText().replace('\n', QStringLiteral("\r\n")), w->Document().HtmlText());

        // The logo area and the right button do nothing.
        ClickToolbar(w.get(), 481);
        ClickToolbar(w.get(), 0, Qt::RightButton);
        QCOMPARE(w->Workspace().State(), int(wsView));

        // X = 480 is still the Send tab: the page is saved first.
        const QString path = PresetSaveAs(QStringLiteral("Tabs.qze"));
        ClickToolbar(w.get(), 480);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        QCOMPARE(pill->geometry(), QRect(354, 0, 170, 96));
        QCOMPARE(w->Document().CurrentFileName(), path);
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Tabs.qze")));
        QVERIFY(Named<QTimer>(w.get(), "timFlashPage")->isActive());
        QCOMPARE(Captions(Named<QListWidget>(w.get(), "lstFiles")), w->Document().UploadFileNames());
        QCOMPARE(w->Document().UploadFileNames().last(), QStringLiteral("Tabs.html"));
        QCOMPARE(Named(w.get(), "imgView")->property("Bitmap").toString(), QStringLiteral("Max_Dis"));

        // Sent (after an upload) keeps the Send panel, its highlight on the logo.
        QVERIFY(w->Workspace().SelectTab(wsSent));
        QVERIFY(Named(w.get(), "pnlSend")->isVisible());
        QCOMPARE(pill->geometry(), QRect(481, 0, 140, 96));
        QVERIFY(Named(w.get(), "imgYourPage")->isHidden());
        QVERIFY(!Named<QTimer>(w.get(), "timFlashPage")->isActive());

        // Choose empties the HTML text without asking.
        const int asked = int(TDialogs::ShownMessages().size());
        ClickToolbar(w.get(), 0);
        QVERIFY(memHTML->toPlainText().isEmpty());
        QCOMPARE(TDialogs::ShownMessages().size(), asked);
    }

    void handEditsAskBeforeBuild()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        Named<QTabWidget>(w.get(), "pagePreview")->setCurrentWidget(Named(w.get(), "tabHTML"));
        auto *memHTML = Named<QPlainTextEdit>(w.get(), "memHTML");
        memHTML->moveCursor(QTextCursor::End);
        QTest::keyClicks(memHTML, QStringLiteral("<!-- mine -->"));
        QVERIFY(w->Document().HTMLEdited());
        QVERIFY(w->Document().HtmlText().endsWith(QStringLiteral("<!-- mine -->")));

        TDialogs::PresetAnswer(QMessageBox::No);
        ClickToolbar(w.get(), 140);
        QCOMPARE(w->Workspace().State(), int(wsView));
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::LoseHtmlChangesGoBack));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        QVERIFY(memHTML->toPlainText().endsWith(QStringLiteral("<!-- mine -->")));

        TDialogs::PresetAnswer(QMessageBox::Yes);
        ClickToolbar(w.get(), 140);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(memHTML->toPlainText().isEmpty());
    }

    void chooseLoadsTheSelectedEntry()
    {
        auto w = MakeMainWindow(m_app);
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        ClickRow(list, RowOf(list, QStringLiteral("Example")));
        ClickToolbar(w.get(), 140);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(w->Document().Page().Blocks.Count() > 0);
        QVERIFY(w->Document().CurrentFileName().endsWith(QStringLiteral("Example.qze")));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Example.qze")));
        QCOMPARE(w->Document().Page().CurrentSlot, 0);

        // A double click on a template opens it untitled in Build, asking first
        // about the changed page.
        ClickToolbar(w.get(), 0);
        w->Document().SetDocumentChanged(true);
        TDialogs::PresetAnswer(QMessageBox::No);
        ClickRow(list, 1, true);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::SaveChangesQuestion));
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(w->Document().CurrentFileName().isEmpty());
        QVERIFY(!w->Document().DocumentChanged());
        QVERIFY(!w->Document().Page().LoadingDocument && !w->Document().Page().SuppressFieldEvents);
    }

    void commandLineOpensThePageInBuild()
    {
        const QString page = m_app + QStringLiteral("/save/Example.qze");
        auto w = MakeMainWindow(m_app, page);
        QTRY_COMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(Named(w.get(), "pnlBuild")->isVisible());
        QCOMPARE(w->Document().CurrentFileName(), page);
        QCOMPARE(w->Document().Page().CurrentSlot, 0);
        QCOMPARE(w->Document().Page().CurrentBlockIndex, 0);
        QVERIFY(!w->Document().DocumentChanged());
        // Edits in the panels are recorded.
        auto *heading = Named<QLineEdit>(w.get(), "txtHeading");
        QTest::keyClicks(heading, QStringLiteral("!"));
        QVERIFY(w->Document().DocumentChanged());
    }

    void mascotWalksAndInputWaitsForIt()
    {
        auto w = MakeMainWindow(m_app);
        QSignalSpy frames(&w->Workspace(), &TWorkspace::pipFrameDrawn);
        const int sounds = SoundsPlayedCount();
        ClickToolbar(w.get(), 0); // the tab it stands on: no walk, no sound
        QCOMPARE(frames.count(), 0);
        QCOMPARE(SoundsPlayedCount(), sounds);

        // A click that arrives while the mascot walks is refused; the sprite
        // is drawn on the toolbar meanwhile and gone afterwards.
        QWidget *toolbar = Named(w.get(), "picToolbar");
        bool clicked = false;
        auto once = connect(&w->Workspace(), &TWorkspace::pipFrameDrawn, w.get(), [&] {
            if (clicked)
                return;
            clicked = true;
            QVERIFY(toolbar->property("SpriteDrawn").toBool());
            ClickToolbar(w.get(), 0);
        });
        ClickToolbar(w.get(), 300);
        disconnect(once);
        QVERIFY(clicked);
        QCOMPARE(frames.count(), 20);
        QCOMPARE(SoundsPlayedCount(), sounds + 1);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavGlide"));
        QCOMPARE(w->Workspace().State(), int(wsView));
        QCOMPARE(w->Workspace().PipTab(), 2);
        QVERIFY(!toolbar->property("SpriteDrawn").toBool());

        // Closing during a walk waits until the tab change has finished.
        bool asked = false;
        once = connect(&w->Workspace(), &TWorkspace::pipFrameDrawn, w.get(), [&] {
            if (asked)
                return;
            asked = true;
            w->close();
            QVERIFY(w->isVisible());
        });
        ClickToolbar(w.get(), 150);
        disconnect(once);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QTRY_VERIFY(!w->isVisible());
    }

    void soundSwitch()
    {
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("No"));
        auto w = MakeMainWindow(m_app);
        auto *sounds = Named<QAction>(w.get(), "Sounds");
        QVERIFY(!sounds->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("No"));
        const int played = SoundsPlayedCount();
        ClickToolbar(w.get(), 150);
        QCOMPARE(SoundsPlayedCount(), played);

        sounds->trigger();
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("Yes"));
        ClickToolbar(w.get(), 0);
        QCOMPARE(SoundsPlayedCount(), played + 1);

        sounds->trigger();
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("No"));
        ClickToolbar(w.get(), 150);
        QCOMPARE(SoundsPlayedCount(), played + 1);

        // Anything but "No" at start means on.
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("yes please"));
        auto w2 = MakeMainWindow(m_app);
        QVERIFY(Named<QAction>(w2.get(), "Sounds")->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("Yes"));
    }

    void rightClickHelp()
    {
        auto w = MakeMainWindow(m_app);
        auto *menu = Named<QMenu>(w.get(), "popWhatsThis");
        auto *item = Named<QAction>(w.get(), "popMenWhatsThis");
        QTest::mouseClick(Named(w.get(), "imgFrontPip"), Qt::RightButton);
        QVERIFY(menu->isVisible());
        menu->hide();
        item->trigger();
        QCOMPARE(THelp::LastShown(), THelp::Shown::Popup);
        QCOMPARE(THelp::LastContext(), 11);
        QVERIFY(!THelp::LastText().isEmpty());

        // The style list's topic opens in the help window.
        ClickToolbar(w.get(), 280);
        QTest::mouseClick(Named<QListWidget>(w.get(), "lstStyles")->viewport(), Qt::RightButton);
        menu->hide();
        item->trigger();
        QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
        QCOMPARE(THelp::LastContext(), 31);
        QVERIFY(THelp::HelpWindow() && THelp::HelpWindow()->isVisible());
        THelp::HelpWindow()->close();

        // The help key opens the focused control's topic; the menu the contents.
        auto *title = Named<QLineEdit>(w.get(), "txtTitle");
        title->setFocus();
        QTest::keyClick(title, Qt::Key_F1);
        QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
        QCOMPARE(THelp::LastContext(), 30);
        Trigger(w.get(), "mnuHelpTopics");
        QCOMPARE(THelp::LastShown(), THelp::Shown::Contents);
        QVERIFY(THelp::LastText().contains(QStringLiteral("topic20.html")));
        THelp::HelpWindow()->close();

        // A right click on a selected page-list entry offers its own menu.
        ClickToolbar(w.get(), 0);
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        ClickRow(list, 0);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(0)).center());
        auto *files = Named<QMenu>(w.get(), "popFiles");
        QVERIFY(files->isVisible());
        files->hide();
        Trigger(w.get(), "WhatsThis1");
        QCOMPARE(THelp::LastShown(), THelp::Shown::Popup);
        QCOMPARE(THelp::LastContext(), 20);

        // Every context a control carries has a topic.
        for (QWidget *c : w->findChildren<QWidget *>()) {
            const int tag = TagOf(c);
            // Palette images carry their home top; their topics are checked below.
            if (tag > 0 && tag < 200 && !c->objectName().startsWith(QStringLiteral("imgBr")))
                QVERIFY2(!THelp::TopicFile(tag).isEmpty(), qPrintable(c->objectName() + QString::number(tag)));
        }
        for (int palette : {12, 13, 14, 15, 16, 17, 20})
            QVERIFY(!THelp::TopicFile(palette).isEmpty());
    }

    void hintBlinks()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 140);
        auto *hint = Named<QLabel>(w.get(), "lblBuildRight");
        auto *timer = Named<QTimer>(w.get(), "timInit");
        const bool shown = hint->isVisible();
        timer->start(1);
        QTRY_COMPARE(hint->isVisible(), !shown);
        QCOMPARE(timer->interval(), shown ? 500 : 1000);
    }

    void exitAndPreviewToggle()
    {
        auto w = MakeMainWindow(m_app);
        auto *toggle = Named(w.get(), "imgView");
        // Outside View the toggle is drawn disabled and ignores the left button.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QCOMPARE(toggle->property("Bitmap").toString(), QStringLiteral("Max_Dis"));

        ClickToolbar(w.get(), 280);
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(w->PreviewEnlarged());
        QVERIFY(!Named<QMenu>(w.get(), "menFile")->isEnabled());
        QCOMPARE(toggle->property("Bitmap").toString(), QStringLiteral("Min_Up"));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QVERIFY(Named<QMenu>(w.get(), "menFile")->isEnabled());
        QCOMPARE(Named(w.get(), "ctlHTML")->parentWidget(), Named(w.get(), "tabWebView"));
        QCOMPARE(Named(w.get(), "ctlHTML")->geometry(), QRect(0, 0, 609, 181));
        QCOMPARE(w->Client()->size(), QSize(631, 433));

        // The HTML tab shown: the toggle does nothing.
        Named<QTabWidget>(w.get(), "pagePreview")->setCurrentWidget(Named(w.get(), "tabHTML"));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());

        auto *exit = Named(w.get(), "imgExit");
        QTest::mousePress(exit, Qt::LeftButton);
        QCOMPARE(exit->property("Bitmap").toString(), QStringLiteral("Exit_Dn"));
        QTest::mouseRelease(exit, Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }

    void everyWayOutOfHandEditsAsksFirst()
    {
        auto w = MakeMainWindow(m_app);
        auto edit = [&] {
            Named<QTabWidget>(w.get(), "pagePreview")->setCurrentWidget(Named(w.get(), "tabHTML"));
            auto *memHTML = Named<QPlainTextEdit>(w.get(), "memHTML");
            memHTML->moveCursor(QTextCursor::End);
            QTest::keyClicks(memHTML, QStringLiteral("<!-- mine -->"));
            QVERIFY(w->Document().HTMLEdited());
        };
        ClickToolbar(w.get(), 280);
        // View again, Choose, File > New: each asks message 102; No keeps the edits.
        const auto ways = std::initializer_list<std::function<void()>>{
            [&] { ClickToolbar(w.get(), 280); },
            [&] { ClickToolbar(w.get(), 0); },
            [&] { Trigger(w.get(), "mnuFileNew"); },
        };
        int asked = 0;
        for (const auto &way : ways) {
            edit();
            TDialogs::PresetAnswer(QMessageBox::No);
            way();
            QCOMPARE(TDialogs::ShownMessages().size(), ++asked);
            QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::LoseHtmlChangesGoBack));
            QCOMPARE(w->Workspace().State(), int(wsView));
            QVERIFY(w->Document().HtmlText().endsWith(QStringLiteral("<!-- mine -->")));
        }
        // Yes lets the way out go on (once, not again for Build after New).
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Trigger(w.get(), "mnuFileNew");
        QCOMPARE(TDialogs::ShownMessages().size(), asked + 1);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(!w->Document().HTMLEdited());
        // Edits let go for Choose are gone with the text: opening a page there asks no more.
        ClickToolbar(w.get(), 280);
        edit();
        TDialogs::PresetAnswer(QMessageBox::Yes);
        ClickToolbar(w.get(), 0);
        QCOMPARE(w->Workspace().State(), int(wsChoose));
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/Family News.qzt"), false);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QCOMPARE(TDialogs::ShownMessages().size(), asked + 2);
    }

    void typingFollowsTheStateShown()
    {
        auto w = MakeMainWindow(m_app);
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        ClickRow(list, RowOf(list, QStringLiteral("Example")));
        ClickToolbar(w.get(), 140);
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto *heading = Named<QLineEdit>(w.get(), "txtHeading");
        const int block = w->Document().Page().CurrentBlockIndex;
        heading->setFocus();
        QVERIFY(heading->hasFocus());
        const QString before = heading->text();

        ClickToolbar(w.get(), 280);
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY(Named(w.get(), "pnlView")->isAncestorOf(focus) || focus == Named(w.get(), "pnlView"));
        QTest::keyClicks(focus, QStringLiteral("QWERTY"));
        QCOMPARE(heading->text(), before);
        QVERIFY(!w->Document().BuildPageHTML(true).contains(QStringLiteral("QWERTY")));
        QCOMPARE(w->Document().Page().CurrentBlockIndex, block);
    }

    void logoSwitchTakesEffectAtOnce()
    {
        auto w = MakeMainWindow(m_app);
        const QString path = PresetSaveAs(QStringLiteral("Logo.qze"));
        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        ClickToolbar(w.get(), 280);
        const QString footer = LogoFooter();
        QVERIFY(w->Document().HtmlText().contains(footer));
        const QString html = m_app + QStringLiteral("/HTMLFiles/Logo.html");

        auto *logo = Named<QCheckBox>(w.get(), "chkLogo");
        QTest::mouseClick(logo, Qt::LeftButton);
        QVERIFY(!w->Document().LogoOn());
        QVERIFY(!w->Document().HtmlText().contains(footer));
        QVERIFY(!ReadBytes(html).contains(footer.toLatin1()));
        QVERIFY(!w->Document().UploadFileNames().contains(QStringLiteral("graphics\\button.gif")));
        QTest::mouseClick(logo, Qt::LeftButton);
        QCOMPARE(w->Document().HtmlText().count(footer), 1);
        QCOMPARE(ReadBytes(html).count(footer.toLatin1()), 1);
        QVERIFY(!w->Document().HTMLEdited());
        QCOMPARE(w->Document().CurrentFileName(), path);
    }

    void enlargedPreviewFitsTheScreenAndGoesBack()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        const QPoint home = w->pos();
        auto *toggle = Named(w.get(), "imgView");
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(w->PreviewEnlarged());
        const QRect area = w->screen()->availableGeometry();
        QVERIFY2(area.contains(w->frameGeometry()), "the enlarged window lies inside the screen's free area");
        QWidget *strip = Named(w.get(), "Panel3");
        const QRect stripOnScreen(strip->mapToGlobal(QPoint(0, 0)), strip->size());
        QVERIFY(area.contains(stripOnScreen));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QCOMPARE(w->pos(), home);

        // A click on the toggle while a tab change runs is refused: the
        // window never stays enlarged over another panel.
        bool clicked = false;
        auto once = connect(&w->Workspace(), &TWorkspace::pipFrameDrawn, w.get(), [&] {
            if (clicked)
                return;
            clicked = true;
            QTest::mouseClick(toggle, Qt::LeftButton);
        });
        ClickToolbar(w.get(), 0);
        disconnect(once);
        QVERIFY(clicked);
        QCOMPARE(w->Workspace().State(), int(wsChoose));
        QVERIFY(!w->PreviewEnlarged());
        QVERIFY(Named<QMenu>(w.get(), "menFile")->isEnabled());
        QCOMPARE(w->Client()->size(), QSize(631, 433));
    }
};

QTEST_MAIN(TestMainStates)
#include "test_main_states.moc"
