// The main window driven as a user would: toolbar clicks, the preconditions of
// a tab change, what each workspace state shows, the mascot, the web, the
// sound switch, right-click help and a page named on the command line.
#include "support/FileTree.h"
#include "app/Dialogs_gui.h"
#include "app/Settings.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "page/PageDocument.h"
#include "workspace/Help.h"
#include "workspace/frmMain.h"

#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;

namespace {

using wobbin::testing::CopyTree;

void ClickToolbar(TfrmMain &w, int x, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(w.picToolbar, button, {}, QPoint(x, 50));
}

} // namespace

class TestMainStates : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    std::unique_ptr<TfrmMain> Make(const QString &commandLineFile = QString())
    {
        TfrmMain::Options o;
        o.appDir = m_app;
        o.commandLineFile = commandLineFile;
        o.detectCompanion = false;
        auto w = std::make_unique<TfrmMain>(o);
        w->show();
        return w;
    }

    // Saves the untitled page through the Send precondition's dialogs.
    QString PresetSaveAs(const QString &name)
    {
        const QString path = m_app + QStringLiteral("/save/") + name;
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(path);
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TDialogs::SetNonInteractive(true);
    }

    void init()
    {
        TDialogs::ClearPresets();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_app = m_dir->path() + QStringLiteral("/app");
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), m_app));
        SettingsStore().OpenKey(QString(), true);
        SettingsStore().CloseKey();
        SettingsStore().Raw().remove(QStringLiteral("General"));
    }

    void cleanup()
    {
        QCOMPARE(TDialogs::PendingPresets(), 0);
    }

    void startsInChooseWithEveryRegion()
    {
        auto w = Make();
        QCOMPARE(w->WorkspaceState, 0);
        QVERIFY(w->pnlChoose->isVisible());
        QVERIFY(!w->pnlBuild->isVisible() && !w->pnlView->isVisible() && !w->pnlSend->isVisible());
        QCOMPARE(w->Client()->size(), QSize(631, 433));
        QCOMPARE(w->pnlTopPip->geometry(), QRect(7, 2, 620, 96));
        QCOMPARE(w->pnlChoose->geometry(), QRect(2, 96, 629, 294));
        QCOMPARE(w->pnlBuild->geometry(), QRect(4, 95, 625, 297));
        QCOMPARE(w->pnlView->geometry(), QRect(0, 96, 629, 295));
        QCOMPARE(w->pnlSend->geometry(), QRect(2, 96, 629, 294));
        QCOMPARE(w->tabWebView->findChild<QWidget *>(QStringLiteral("ctlHTML"))->size(), QSize(609, 181));
        QCOMPARE(w->picRedPill->geometry(), QRect(0, 0, 146, 96));
        QCOMPARE(w->picRedPill->property("Bitmap").toString(), QStringLiteral("Toolbutt1"));
        QVERIFY(!w->picToolbar->pixmap().isNull());
        // Controls are found by their names.
        for (const char *name : {"picToolbar", "picRedPill", "picWindy", "lvTemplates", "imgPreView",
                                 "imgFrontPip", "memHTML", "lstStyles", "txtTitle", "chkLogo",
                                 "imgWebBack", "imgUpload", "cmbServers", "lstFiles", "imgView",
                                 "imgLogo", "imgExit", "Panel3", "pnlLower", "lblBuildRight",
                                 "imgBrPara", "pnlToolBox"})
            QVERIFY2(w->findChild<QWidget *>(QLatin1String(name)), name);
        for (const char *name : {"timInit", "timAnim", "timUp", "timDown", "timShredder", "timTopPip",
                                 "timWebAn", "timUpload", "timFlashPage"})
            QVERIFY2(w->findChild<QTimer *>(QLatin1String(name)), name);
        QVERIFY(w->timInit->isActive());
        QVERIFY(!w->timWebAn->isActive() && !w->timFlashPage->isActive());
        // Templates first, then the saved pages; nothing selected.
        QCOMPARE(w->lvTemplates->count(), 7);
        QCOMPARE(w->lvTemplates->item(6)->text(), QStringLiteral("Example"));
        QVERIFY(w->lvTemplates->selectedItems().isEmpty());
        // Texts from the string table.
        QCOMPARE(w->mnuFileNew->text(), LoadStr(5062));
        QCOMPARE(w->popMenWhatsThis->text(), LoadStr(5073));
        QCOMPARE(w->Msg102, LoadStr(102));
        QVERIFY(!w->ExternalPreview1->isEnabled());
        // A missing sound setting means sounds on, written back.
        QVERIFY(w->Sounds->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("Yes"));
        QVERIFY(MissingStringIds().isEmpty());
    }

    void toolbarTabArithmetic()
    {
        QCOMPARE(ToolbarTabAt(0), 0);
        QCOMPARE(ToolbarTabAt(139), 0);
        QCOMPARE(ToolbarTabAt(140), 1);
        QCOMPARE(ToolbarTabAt(279), 1);
        QCOMPARE(ToolbarTabAt(280), 2);
        QCOMPARE(ToolbarTabAt(420), 3);
        QCOMPARE(ToolbarTabAt(480), 3);
        QCOMPARE(ToolbarTabAt(481), -1);
        QCOMPARE(ToolbarTabAt(619), -1);

        auto w = Make();
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, 1);
        QVERIFY(w->pnlBuild->isVisible() && !w->pnlChoose->isVisible());
        QCOMPARE(w->picRedPill->geometry(), QRect(103, 0, 170, 96));
        ClickToolbar(*w, 139);
        QCOMPARE(w->WorkspaceState, 0);
        ClickToolbar(*w, 280);
        QCOMPARE(w->WorkspaceState, 2);
        QCOMPARE(w->picRedPill->geometry(), QRect(230, 0, 170, 96));

        // The logo area, the right button and a click during a change do nothing.
        ClickToolbar(*w, 481);
        QCOMPARE(w->WorkspaceState, 2);
        ClickToolbar(*w, 0, Qt::RightButton);
        QCOMPARE(w->WorkspaceState, 2);
        w->ToolbarBusy = true;
        ClickToolbar(*w, 0);
        QCOMPARE(w->WorkspaceState, 2);
        w->ToolbarBusy = false;

        // X = 480 is still the Send tab: an untitled page must be saved first.
        const QString path = PresetSaveAs(QStringLiteral("Tabs.qze"));
        ClickToolbar(*w, 480);
        QCOMPARE(w->WorkspaceState, 3);
        QCOMPARE(w->picRedPill->geometry(), QRect(354, 0, 170, 96));
        QCOMPARE(w->CurrentFileName, path);
        QVERIFY(QFile::exists(path));
        QVERIFY(QFile::exists(m_app + QStringLiteral("/HTMLFiles/Tabs.html")));
    }

    void sendRefusedWhenSaveIsCancelled()
    {
        auto w = Make();
        ClickToolbar(*w, 140);
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetCancel();                // the Save As dialog
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 1);
        QVERIFY(w->pnlBuild->isVisible() && !w->pnlSend->isVisible());
        QCOMPARE(w->picRedPill->property("Bitmap").toString(), QStringLiteral("Toolbutt2"));
        QCOMPARE(w->PipTab, 1);
        QCOMPARE(TDialogs::ShownMessages().last(), LoadStr(100));
        QVERIFY(w->CurrentFileName.isEmpty());

        // A changed titled page asks message 101; Cancel keeps the state.
        const QString path = PresetSaveAs(QStringLiteral("Changed.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        ClickToolbar(*w, 140);
        w->DocumentChanged = true;
        TDialogs::PresetAnswer(QMessageBox::Cancel);
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 1);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(101));
        // An unchanged titled page goes straight to Send.
        w->DocumentChanged = false;
        const int asked = TDialogs::ShownMessages().size();
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        QCOMPARE(TDialogs::ShownMessages().size(), asked);
        QCOMPARE(w->CurrentFileName, path);
    }

    void handEditsAskBeforeBuild()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        QCOMPARE(w->WorkspaceState, 2);
        QVERIFY(!w->HTMLEdited);
        w->pagePreview->setCurrentWidget(w->tabHTML);
        w->memHTML->moveCursor(QTextCursor::End);
        QTest::keyClicks(w->memHTML, QStringLiteral("<!-- mine -->"));
        QVERIFY(w->HTMLEdited);

        TDialogs::PresetAnswer(QMessageBox::No);
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, 2);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(102));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        QVERIFY(w->memHTML->toPlainText().contains(QStringLiteral("<!-- mine -->")));

        TDialogs::PresetAnswer(QMessageBox::Yes);
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, 1);
        QVERIFY(w->memHTML->toPlainText().isEmpty());
    }

    void viewAndSendKeepOrRegenerateTheHTML()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        const QString generated = w->HTMLText();
        QVERIFY(generated.contains(QStringLiteral("<TITLE>") + w->PageTitle + QStringLiteral("</TITLE>")));
        // The page text as generated, line breaks included.
        QCOMPARE(generated, w->Document()->BuildPageHTML(false, true));
        QCOMPARE(w->imgView->property("Bitmap").toString(), QStringLiteral("Max_Up"));
        QVERIFY(w->ExternalPreview1->isEnabled());
        QVERIFY(QFile::exists(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")));

        // View again regenerates (a hand edit is lost) and clears the edited flag.
        w->memHTML->setPlainText(generated + QStringLiteral("<!-- edit -->"));
        QVERIFY(w->HTMLEdited);
        ClickToolbar(*w, 280);
        QCOMPARE(w->HTMLText(), generated);
        QVERIFY(!w->HTMLEdited);

        // View -> Send keeps the edit (the text is not empty), and so does Send -> View.
        w->memHTML->setPlainText(generated + QStringLiteral("<!-- edit -->"));
        PresetSaveAs(QStringLiteral("Kept.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        QVERIFY(w->memHTML->toPlainText().endsWith(QStringLiteral("<!-- edit -->")));
        QVERIFY(w->timFlashPage->isActive());
        QCOMPARE(w->WebIndex, -1);
        QCOMPARE(w->imgView->property("Bitmap").toString(), QStringLiteral("Max_Dis"));
        QVERIFY(w->lstFiles->findItems(QStringLiteral("Kept.html"), Qt::MatchExactly).size() == 1);
        ClickToolbar(*w, 280);
        QCOMPARE(w->WorkspaceState, 2);
        QVERIFY(w->memHTML->toPlainText().endsWith(QStringLiteral("<!-- edit -->")));
        QVERIFY(!w->timFlashPage->isActive());

        // View -> Choose empties the text without asking.
        const int asked = TDialogs::ShownMessages().size();
        ClickToolbar(*w, 0);
        QCOMPARE(w->WorkspaceState, 0);
        QVERIFY(w->memHTML->toPlainText().isEmpty());
        QCOMPARE(TDialogs::ShownMessages().size(), asked);
    }

    void styleClickRestylesThePage()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        QVERIFY(w->lstStyles->count() > 1);
        QCOMPARE(w->lstStyles->currentRow(), 0);
        QVERIFY(w->memHTML->toPlainText().contains(QStringLiteral("<BODY>")));
        QVERIFY(!w->DocumentChanged);
        const QRect second = w->lstStyles->visualItemRect(w->lstStyles->item(1));
        QTest::mouseClick(w->lstStyles->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(w->lstStyles->currentRow(), 1);
        QVERIFY(w->memHTML->toPlainText().contains(QStringLiteral("<BODY BACKGROUND=")));
        QVERIFY(w->DocumentChanged);
        QVERIFY(!w->HTMLEdited);
        QVERIFY(w->lstStyles->isEnabled());
        // The style survives a new View; "[None]" puts the plain tag back.
        ClickToolbar(*w, 280);
        QVERIFY(w->memHTML->toPlainText().contains(QStringLiteral("<BODY BACKGROUND=")));
        QTest::mouseClick(w->lstStyles->viewport(), Qt::LeftButton, {},
                          w->lstStyles->visualItemRect(w->lstStyles->item(0)).center());
        QVERIFY(w->memHTML->toPlainText().contains(QStringLiteral("<BODY>")));
    }

    void sendWithBareBodyRegeneratesAndWritesTheFile()
    {
        auto w = Make();
        ClickToolbar(*w, 140);
        PresetSaveAs(QStringLiteral("Bare.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        const QString html = m_app + QStringLiteral("/HTMLFiles/Bare.html");
        QFile::remove(html);
        // Back to View from Send shows the text as it stands; make it a bare tag.
        ClickToolbar(*w, 280);
        w->memHTML->setPlainText(QStringLiteral("<BODY>"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        QVERIFY(w->memHTML->toPlainText().startsWith(QStringLiteral("<HTML>")));
        QVERIFY(QFile::exists(html));
        QFile f(html);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(QString::fromLatin1(bytes), w->HTMLText());
        // Every line break written is CR LF.
        QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
        QVERIFY(bytes.contains("<HTML>\r\n"));
    }

    void chooseLoadsTheSelectedEntry()
    {
        auto w = Make();
        QListWidgetItem *example = w->lvTemplates->findItems(QStringLiteral("Example"), Qt::MatchExactly).value(0);
        QVERIFY(example);
        w->lvTemplates->setCurrentItem(example);
        example->setSelected(true);
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, 1);
        QVERIFY(w->Document()->Blocks.Count() > 0);
        QVERIFY(w->CurrentFileName.endsWith(QStringLiteral("Example.qze")));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Example.qze")));

        // A template loads as an untitled page; Choose again with a selection stays in Choose.
        ClickToolbar(*w, 0);
        QListWidgetItem *tpl = w->lvTemplates->item(0);
        w->lvTemplates->setCurrentItem(tpl);
        tpl->setSelected(true);
        ClickToolbar(*w, 0);
        QCOMPARE(w->WorkspaceState, 0);
        QVERIFY(w->CurrentFileName.isEmpty());
        QVERIFY(w->Document()->Blocks.Count() > 0);
        QVERIFY(w->lvTemplates->selectedItems().isEmpty());
    }

    void changedPageAsksBeforeLoadingAnEntry()
    {
        auto w = Make();
        ClickToolbar(*w, 140);
        ClickToolbar(*w, 0);
        w->DocumentChanged = true;
        QListWidgetItem *tpl = w->lvTemplates->item(1);
        w->lvTemplates->setCurrentItem(tpl);
        tpl->setSelected(true);
        // Cancel keeps the page as it is.
        TDialogs::PresetAnswer(QMessageBox::Cancel);
        ClickToolbar(*w, 0);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(103));
        QVERIFY(w->DocumentChanged);
        QCOMPARE(w->Document()->Blocks.Count(), 0);
        QVERIFY(!w->LoadingDocument && !w->SuppressFieldEvents);
        // No loads the entry without saving; double-clicking goes on to Build.
        w->DocumentChanged = true;
        tpl = w->lvTemplates->item(1);
        w->lvTemplates->setCurrentItem(tpl);
        tpl->setSelected(true);
        TDialogs::PresetAnswer(QMessageBox::No);
        w->lvTemplatesDblClick();
        QCOMPARE(w->WorkspaceState, 1);
        QVERIFY(w->Document()->Blocks.Count() > 0);
        QVERIFY(!w->DocumentChanged);
    }

    void sentStateKeepsTheSendPanel()
    {
        auto w = Make();
        PresetSaveAs(QStringLiteral("Sent.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        QSignalSpy frames(w.get(), &TfrmMain::pipFrameDrawn);
        QVERIFY(w->ShowRedPill(4));
        QCOMPARE(w->WorkspaceState, 4);
        QCOMPARE(frames.count(), 10);
        QCOMPARE(w->picRedPill->geometry(), QRect(481, 0, 140, 96));
        QCOMPARE(w->picRedPill->property("Bitmap").toString(), QStringLiteral("Toolbutt5"));
        QVERIFY(w->pnlSend->isVisible());
        QVERIFY(w->imgYourPage->isHidden());
        QVERIFY(!w->timFlashPage->isActive());
    }

    void commandLineOpensThePageInBuild()
    {
        const QString page = m_app + QStringLiteral("/save/Example.qze");
        auto w = Make(page);
        QTRY_COMPARE(w->WorkspaceState, 1);
        QVERIFY(w->pnlBuild->isVisible());
        QCOMPARE(w->CurrentFileName, page);
        QVERIFY(w->Document()->Blocks.Count() > 0);
        QCOMPARE(w->CurrentSlot, 0);
        QCOMPARE(w->CurrentBlockIndex, 0);
        QVERIFY(!w->SuppressFieldEvents && !w->LoadingDocument);
        QVERIFY(!w->DocumentChanged);

        // A missing file leaves an empty untitled page, still in Build.
        auto w2 = Make(m_app + QStringLiteral("/save/Nothing here.qze"));
        QTRY_COMPARE(w2->WorkspaceState, 1);
        QVERIFY(w2->CurrentFileName.isEmpty());
        QCOMPARE(w2->Document()->Blocks.Count(), 0);
    }

    void mascotWalksTenFramesATab()
    {
        auto w = Make();
        QSignalSpy frames(w.get(), &TfrmMain::pipFrameDrawn);
        const int sounds = SoundsPlayedCount();
        ClickToolbar(*w, 0); // the tab it stands on: no walk, no sound
        QCOMPARE(frames.count(), 0);
        QCOMPARE(SoundsPlayedCount(), sounds);

        ClickToolbar(*w, 300);
        QCOMPARE(frames.count(), 20);
        QCOMPARE(SoundsPlayedCount(), sounds + 1);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavGlide"));
        QCOMPARE(frames.at(0).at(0).toInt(), 24 + 13);
        QCOMPARE(frames.at(9).at(0).toInt(), 24 + 130);
        QCOMPARE(frames.at(10).at(0).toInt(), 156 + 12);
        QCOMPARE(frames.at(19).at(0).toInt(), 156 + 120);
        QCOMPARE(w->PipTab, 2);
        // The sprite is gone once the tab change redraws the toolbar.
        QCOMPARE(w->picToolbar->property("SpriteDrawn").toBool(), false);

        frames.clear();
        ClickToolbar(*w, 0);
        QCOMPARE(frames.count(), 20);
        QCOMPARE(frames.at(0).at(0).toInt(), 284 - 12);
        QCOMPARE(frames.at(10).at(0).toInt(), 156 - 13);
        QCOMPARE(SoundsPlayedCount(), sounds + 2);
        QCOMPARE(w->PipFramesDrawn, 40);

        // Three tabs in one walk: 30 frames, one glide.
        frames.clear();
        PresetSaveAs(QStringLiteral("Walk.qze"));
        ClickToolbar(*w, 450);
        QCOMPARE(frames.count(), 30);
        QCOMPARE(SoundsPlayedCount(), sounds + 3);
        QCOMPARE(frames.at(29).at(0).toInt(), 284 + 120);
    }

    void clicksAndClosingWaitForTheWalk()
    {
        auto w = Make();
        // A click that arrives while the mascot walks is refused.
        bool clicked = false;
        auto once = connect(w.get(), &TfrmMain::pipFrameDrawn, w.get(), [&] {
            if (clicked)
                return;
            clicked = true;
            QVERIFY(w->ToolbarBusy);
            ClickToolbar(*w, 0);
        });
        ClickToolbar(*w, 300);
        disconnect(once);
        QVERIFY(clicked);
        QCOMPARE(w->WorkspaceState, 2);
        QCOMPARE(w->PipTab, 2);
        QVERIFY(!w->ToolbarBusy);

        // Closing during a walk waits until the tab change has finished.
        bool asked = false;
        once = connect(w.get(), &TfrmMain::pipFrameDrawn, w.get(), [&] {
            if (asked)
                return;
            asked = true;
            w->close();
            QVERIFY(w->isVisible());
        });
        ClickToolbar(*w, 150);
        disconnect(once);
        QCOMPARE(w->WorkspaceState, 1);
        QTRY_VERIFY(!w->isVisible());
    }

    void soundSwitch()
    {
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("No"));
        auto w = Make();
        QVERIFY(!w->Sounds->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("No"));
        const int sounds = SoundsPlayedCount();
        ClickToolbar(*w, 150);
        QCOMPARE(SoundsPlayedCount(), sounds);

        w->Sounds->trigger();
        QVERIFY(w->Sounds->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("Yes"));
        ClickToolbar(*w, 0);
        QCOMPARE(SoundsPlayedCount(), sounds + 1);

        w->Sounds->trigger();
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("No"));
        ClickToolbar(*w, 150);
        QCOMPARE(SoundsPlayedCount(), sounds + 1);

        // Anything but "No" at start means on.
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("yes please"));
        auto w2 = Make();
        QVERIFY(w2->Sounds->isChecked());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QStringLiteral("Yes"));
    }

    void webTurnsInFiveTicks()
    {
        auto w = Make();
        PresetSaveAs(QStringLiteral("Web.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        QCOMPARE(w->WebIndex, -1);

        const QStringList right = {QStringLiteral("Web_Rotate1"), QStringLiteral("Web_Rotate2"),
                                   QStringLiteral("Web_Rotate3"), QStringLiteral("Web_Rotate4"),
                                   QStringLiteral("Web_Back")};
        w->WebDirection = false;
        w->timWebAn->start();
        for (int tick = 0; tick < 5; ++tick) {
            w->timWebAnTimer();
            QCOMPARE(w->imgWebBack->property("Bitmap").toString(), right.at(tick));
            QCOMPARE(w->WebFrame, tick < 4 ? tick + 1 : 0);
            if (tick == 0)
                QVERIFY(w->imgQuorPage->isHidden());
        }
        QVERIFY(!w->timWebAn->isActive());
        QCOMPARE(w->WebIndex, 0);
        QVERIFY(w->imgQuorPage->isVisible());
        QVERIFY(w->lblMag->text().startsWith(LoadStr(5077)));

        // Turning left from 0 without an upload lands on 6, frames in reverse.
        w->WebDirection = true;
        QStringList seen;
        for (int tick = 0; tick < 5; ++tick) {
            w->timWebAnTimer();
            seen << w->imgWebBack->property("Bitmap").toString();
        }
        QCOMPARE(seen, (QStringList{QStringLiteral("Web_Rotate4"), QStringLiteral("Web_Rotate3"),
                                    QStringLiteral("Web_Rotate2"), QStringLiteral("Web_Rotate1"),
                                    QStringLiteral("Web_Back")}));
        QCOMPARE(w->WebIndex, 6);
        QVERIFY(w->imgPartner6Page->isVisible() && w->imgQuorPage->isHidden());
        // Message 5077 ends in a blank; a blank and the name follow it.
        QCOMPARE(w->lblMag->text(), LoadStr(5077) + QStringLiteral(" Kettlewick Library"));

        // The right button turns it by the timer and plays its sound.
        const int sounds = SoundsPlayedCount();
        QTest::mouseClick(w->imgUploadRight, Qt::LeftButton);
        QVERIFY(w->timWebAn->isActive());
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavWebTurn"));
        QCOMPARE(SoundsPlayedCount(), sounds + 1);
        QTRY_COMPARE(w->WebIndex, 0);
        QVERIFY(!w->timWebAn->isActive());
        // After an upload the user's page is position 7.
        w->PageUploaded = true;
        w->WebIndex = 7;
        w->DisplayMagnifier();
        QVERIFY(w->imgYourPage->isVisible());
        QCOMPARE(w->lblMag->text(), LoadStr(5078));
    }

    void rightClickHelp()
    {
        QCOMPARE(PaletteHelpContext(1), 12);
        QCOMPARE(PaletteHelpContext(111), 17);
        QCOMPARE(PaletteHelpContext(2), 0);

        auto w = Make();
        QTest::mouseClick(w->imgFrontPip, Qt::RightButton);
        QCOMPARE(w->WhatsThisContext, 11);
        QVERIFY(w->popWhatsThis->isVisible());
        w->popWhatsThis->hide();
        w->popMenWhatsThis->trigger();
        QCOMPARE(THelp::LastShown(), THelp::Shown::Popup);
        QCOMPARE(THelp::LastContext(), 11);
        QVERIFY(!THelp::LastText().isEmpty());

        // The style list's topic opens in the help window.
        ClickToolbar(*w, 280);
        QTest::mouseClick(w->lstStyles->viewport(), Qt::RightButton);
        QCOMPARE(w->WhatsThisContext, 31);
        w->popWhatsThis->hide();
        w->popMenWhatsThis->trigger();
        QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
        QVERIFY(THelp::HelpWindow() && THelp::HelpWindow()->isVisible());
        THelp::HelpWindow()->close();

        // The help key opens the focused control's topic; the menu the contents.
        w->txtTitle->setFocus();
        QTest::keyClick(w->txtTitle, Qt::Key_F1);
        QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
        QCOMPARE(THelp::LastContext(), 30);
        w->mnuHelpTopics->trigger();
        QCOMPARE(THelp::LastShown(), THelp::Shown::Contents);
        QVERIFY(THelp::LastText().contains(QStringLiteral("topic20.html")));
        THelp::HelpWindow()->close();

        // A right click on a selected page-list entry offers its own menu.
        ClickToolbar(*w, 0);
        QListWidgetItem *entry = w->lvTemplates->item(0);
        w->lvTemplates->setCurrentItem(entry);
        entry->setSelected(true);
        QTest::mouseClick(w->lvTemplates->viewport(), Qt::RightButton, {},
                          w->lvTemplates->visualItemRect(entry).center());
        QVERIFY(w->popFiles->isVisible());
        w->popFiles->hide();
        w->WhatsThis1->trigger();
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

    void hintBlinksAndEscapeCancelsUpload()
    {
        auto w = Make();
        ClickToolbar(*w, 140);
        w->lblBuildRight->show();
        w->timInitTimer();
        QVERIFY(w->lblBuildRight->isHidden());
        QCOMPARE(w->timInit->interval(), 500);
        w->timInitTimer();
        QVERIFY(w->lblBuildRight->isVisible());
        QCOMPARE(w->timInit->interval(), 1000);

        int cancels = 0;
        QTest::keyClick(w.get(), Qt::Key_Escape); // nothing to cancel yet
        w->SetUploadCancel([&cancels] { ++cancels; });
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(cancels, 1);
    }

    void exitAndPreviewToggle()
    {
        auto w = Make();
        // Outside View the toggle is drawn disabled and ignores the left button.
        QTest::mouseClick(w->imgView, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QCOMPARE(w->imgView->property("Bitmap").toString(), QStringLiteral("Max_Dis"));

        ClickToolbar(*w, 280);
        QTest::mouseClick(w->imgView, Qt::LeftButton);
        QVERIFY(w->PreviewEnlarged());
        QVERIFY(!w->menFile->isEnabled());
        QCOMPARE(w->imgView->property("Bitmap").toString(), QStringLiteral("Min_Up"));
        QTest::mouseClick(w->imgView, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QVERIFY(w->menFile->isEnabled());
        QCOMPARE(w->ctlHTML->parentWidget(), w->tabWebView);
        QCOMPARE(w->ctlHTML->geometry(), QRect(0, 0, 609, 181));
        QCOMPARE(w->Client()->size(), QSize(631, 433));

        // The HTML tab shown: the toggle does nothing.
        w->pagePreview->setCurrentWidget(w->tabHTML);
        QTest::mouseClick(w->imgView, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());

        QTest::mousePress(w->imgExit, Qt::LeftButton);
        QCOMPARE(w->imgExit->property("Bitmap").toString(), QStringLiteral("Exit_Dn"));
        QTest::mouseRelease(w->imgExit, Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestMainStates)
#include "test_main_states.moc"
