// The workspace states without a window: the toolbar's arithmetic, the tab
// highlight, the mascot's walk, what each state shows, the preconditions of a
// tab change, what it does to the page's HTML, input while busy, the hand-over
// to the companion editor, and the rotating web of the Send panel.
#include "support/DocumentFakes.h"
#include "support/FileTree.h"
#include "support/PageBytes.h"

#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "base/PrivateTemp.h"
#include "document/WebLinks.h"
#include "document/Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestWorkspace : public TDocumentTest
{
    Q_OBJECT

    std::unique_ptr<TFakeView> m_view;
    std::unique_ptr<TWorkspace> m_ws;

    void Select(const QString &path, int kind)
    {
        m_view->HasSelection = true;
        m_view->Selection = {QFileInfo(path).baseName(), path, kind};
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Wobbin Express")); }

    void init()
    {
        // What a document needs: styles, templates, saved pages, an HTML folder.
        QVERIFY(MakeDocument({"Styles.data", "save", "template"}, QStringLiteral("General")));
        m_view = std::make_unique<TFakeView>();
        m_ws = std::make_unique<TWorkspace>(*m_doc);
        m_ws->SetView(m_view.get());
        QVERIFY(m_ws->SelectTab(wsChoose));
        m_view->Log.clear();
    }

    void cleanup()
    {
        QCOMPARE(m_host->Pending(), 0);
        m_ws.reset();
        m_doc.reset();
    }

    void toolbarHighlightAndWalkAsData()
    {
        const QList<QPair<int, int>> tabs = {{0, 0}, {139, 0}, {140, 1}, {279, 1}, {280, 2},
                                             {420, 3}, {480, 3}, {481, -1}, {619, -1}, {-1, -1}};
        for (const auto &[x, tab] : tabs)
            QCOMPARE(ToolbarTabAt(x), tab);
        QCOMPARE(RedPillBitmap(2, true), QStringLiteral("QZ4Toolbutt3"));
        QCOMPARE(RedPillBitmap(1, true), QStringLiteral("Toolbutt2"));
        QCOMPARE(RedPillFor(4).left, 481);
        QCOMPARE(RedPillFor(9).left, 0);
        QCOMPARE(ToolbarBitmap(true), QStringLiteral("QZ4Toolbar"));

        // Ten frames a tab, from the table's start and step.
        QVERIFY(PipWalk(2, 2).isEmpty());
        const QList<PipFrame> right = PipWalk(0, 2);
        QCOMPARE(right.size(), 20);
        QCOMPARE(right.at(0), (PipFrame{24 + 13, true}));
        QCOMPARE(right.at(9).left, 24 + 130);
        QCOMPARE(right.at(10).left, 156 + 12);
        QCOMPARE(right.at(19).left, 156 + 120);
        const QList<PipFrame> left = PipWalk(2, 0);
        QCOMPARE(left.at(0), (PipFrame{284 - 12, false}));
        QCOMPARE(left.at(10).left, 156 - 13);
        QCOMPARE(PipWalk(0, 3).last().left, 284 + 120);

        // What each state shows.
        QCOMPARE(EffectsOf(wsChoose).Panel, StatePanel::Choose);
        QVERIFY(!EffectsOf(wsChoose).ExternalPreview && EffectsOf(wsChoose).RefillPageList);
        QVERIFY(EffectsOf(wsView).PreviewToggle && EffectsOf(wsView).HtmlOnWebTab);
        QVERIFY(EffectsOf(wsSend).FlashPage && EffectsOf(wsSend).EnterSend);
        QCOMPARE(EffectsOf(wsSent).Panel, StatePanel::Keep);
        QVERIFY(!EffectsOf(wsSent).FlashPage && EffectsOf(wsSent).ExternalPreview);
        // The keyboard focus goes with every panel shown, and stays for Sent.
        for (int state : {wsChoose, wsBuild, wsView, wsSend})
            QVERIFY(EffectsOf(state).TakeFocus);
        QVERIFY(!EffectsOf(wsSent).TakeFocus);

        // Which changes make the HTML text again, losing hand edits.
        QVERIFY(ChangeDiscardsHandEdits(wsView, wsBuild));
        QVERIFY(ChangeDiscardsHandEdits(wsView, wsChoose));
        QVERIFY(ChangeDiscardsHandEdits(wsView, wsView));
        QVERIFY(ChangeDiscardsHandEdits(wsSent, wsView));
        QVERIFY(!ChangeDiscardsHandEdits(wsSend, wsView));
        QVERIFY(!ChangeDiscardsHandEdits(wsView, wsSend));
        QVERIFY(!ChangeDiscardsHandEdits(wsSend, wsSent));

        // What input may do while busy.
        QCOMPARE(RuleFor(Activity::Idle, InputKind::ToolbarClick), InputRule::Accept);
        QCOMPARE(RuleFor(Activity::ChangingTab, InputKind::ToolbarClick), InputRule::Refuse);
        QCOMPARE(RuleFor(Activity::ChangingTab, InputKind::Close), InputRule::Defer);
        // The preview is never enlarged over a state being left.
        QCOMPARE(RuleFor(Activity::ChangingTab, InputKind::PreviewToggle), InputRule::Refuse);
        QCOMPARE(RuleFor(Activity::Idle, InputKind::PreviewToggle), InputRule::Accept);
        QCOMPARE(RuleFor(Activity::SavingPicture, InputKind::Key), InputRule::Refuse);
        QCOMPARE(RuleFor(Activity::SavingPicture, InputKind::Close), InputRule::Defer);
    }

    void tabChangeWalksHighlightsAndApplies()
    {
        QSignalSpy states(m_ws.get(), &TWorkspace::stateChanged);
        QSignalSpy frames(m_ws.get(), &TWorkspace::pipFrameDrawn);
        // The right button and the logo area select nothing.
        QVERIFY(!m_ws->ToolbarClick(false, 150));
        QVERIFY(!m_ws->ToolbarClick(true, 481));
        QVERIFY(m_ws->ToolbarClick(true, 300));
        QCOMPARE(m_ws->State(), int(wsView));
        QCOMPARE(states.count(), 1);
        QCOMPARE(frames.count(), 20);
        QCOMPARE(m_ws->PipTab(), 2);
        QCOMPARE(m_view->Log.first(), QStringLiteral("hide-highlight"));
        QCOMPARE(m_view->Log.at(1), QStringLiteral("sound:wavGlide"));
        QCOMPARE(m_view->Highlight, QStringLiteral("Toolbutt3@230,170"));
        QVERIFY(m_view->Log.indexOf(QStringLiteral("show-highlight")) < m_view->Log.indexOf(QStringLiteral("effects:2")));
        QCOMPARE(m_view->Log.last(), QStringLiteral("unlock"));
        QVERIFY(!m_ws->ToolbarBusy());

        // The tab the mascot stands on: the change runs again, no walk, no sound.
        m_view->Log.clear();
        QVERIFY(m_ws->SelectTab(wsView));
        QCOMPARE(frames.count(), 20);
        QVERIFY(!m_view->Log.contains(QStringLiteral("sound:wavGlide")));
        QCOMPARE(m_ws->PipFramesDrawn(), 20);
    }

    void viewBuildAndSendKeepOrMakeTheHTML()
    {
        QVERIFY(m_ws->SelectTab(wsView));
        const QString generated = m_doc->HtmlText();
        QCOMPARE(generated, m_doc->BuildPageHTML(false));
        QVERIFY(QFile::exists(m_app + "/HTMLFiles/~tmpprvw.html"));
        // View again makes it afresh.
        m_doc->SetHtmlText(generated + "<!-- edit -->");
        QVERIFY(m_ws->SelectTab(wsView));
        QCOMPARE(m_doc->HtmlText(), generated);

        // View -> Send keeps the text, and so does Send -> View.
        m_doc->SetHtmlText(generated + "<!-- edit -->");
        m_host->FileNames = {m_app + "/save/Kept.qze"};
        QVERIFY(m_ws->SelectTab(wsSend));
        QCOMPARE(m_host->Messages().first(), LoadStr(Msg::SaveFileFirst));
        QVERIFY(m_doc->HtmlText().endsWith(QStringLiteral("<!-- edit -->")));
        QVERIFY(ReadBytes(m_app + "/HTMLFiles/Kept.html").endsWith("<!-- edit -->"));
        QCOMPARE(m_doc->UploadFileNames().last(), QStringLiteral("Kept.html"));
        const int rendered = int(m_host->Rendered.size());
        QVERIFY(m_ws->SelectTab(wsView));
        QVERIFY(m_doc->HtmlText().endsWith(QStringLiteral("<!-- edit -->")));
        QCOMPARE(m_host->Rendered.size(), rendered + 1);
        QCOMPARE(m_host->RenderedFiles.last(), QString());

        // Send with a bare BODY makes the HTML again and writes its file.
        m_doc->SetHtmlText(QStringLiteral("<BODY>"));
        QFile::remove(m_app + "/HTMLFiles/Kept.html");
        QVERIFY(m_ws->SelectTab(wsSend));
        QVERIFY(m_doc->HtmlText().startsWith(QStringLiteral("<HTML>")));
        QCOMPARE(QString::fromLatin1(ReadBytes(m_app + "/HTMLFiles/Kept.html")), m_doc->HtmlText());

        // Choose and Build empty it without asking.
        const int asked = int(m_host->Log.size());
        QVERIFY(m_ws->SelectTab(wsBuild));
        QVERIFY(m_doc->HtmlText().isEmpty());
        QCOMPARE(m_host->Log.size(), asked);
    }

    void preconditionsRefuseTheChange()
    {
        QVERIFY(m_ws->SelectTab(wsBuild));
        QCOMPARE(m_doc->Caption(), QStringLiteral("Wobbin Express - ") + LoadStr(Msg::Untitled));
        m_view->Log.clear();
        const int walked = m_ws->PipFramesDrawn();
        // Send: the save refused, nothing changes.
        m_host->FileNames = {QString()};
        QVERIFY(!m_ws->SelectTab(wsSend));
        QCOMPARE(m_ws->State(), int(wsBuild));
        QCOMPARE(m_ws->HighlightTab(), int(wsBuild));
        QCOMPARE(m_ws->PipFramesDrawn(), walked);
        QVERIFY(m_view->Log.isEmpty());

        // Build with hand edits: message 102; No stays in View.
        QVERIFY(m_ws->SelectTab(wsView));
        QVERIFY(m_doc->TakeHandEdit(m_doc->HtmlText() + "<!-- mine -->") == TDocument::HandEdit::Taken);
        m_host->Confirmations = {false};
        QVERIFY(!m_ws->SelectTab(wsBuild));
        QCOMPARE(m_ws->State(), int(wsView));
        QCOMPARE(m_host->Messages().last(), LoadStr(Msg::LoseHtmlChangesGoBack));
        QVERIFY(m_doc->HtmlText().endsWith(QStringLiteral("<!-- mine -->")));
        // Yes lets them go.
        m_host->Confirmations = {true};
        QVERIFY(m_ws->SelectTab(wsBuild));
        QVERIFY(m_doc->HtmlText().isEmpty());
    }

    void chooseLoadsTheSelectedEntry()
    {
        const QString example = m_app + "/save/Example.qze";
        Select(example, 1);
        QVERIFY(m_ws->SelectTab(wsBuild));
        QCOMPARE(m_ws->State(), int(wsBuild));
        QCOMPARE(QFileInfo(m_doc->CurrentFileName()).absoluteFilePath(), QFileInfo(example).absoluteFilePath());
        QVERIFY(m_doc->Page().Blocks.Count() > 0);
        QVERIFY(m_view->Log.contains(QStringLiteral("first-block")));
        QVERIFY(!m_ws->TemplateLoading() && !m_doc->Page().LoadingDocument && !m_doc->Page().SuppressFieldEvents);

        // Choose again with a template selected: loaded untitled, stays in Choose.
        QVERIFY(m_ws->SelectTab(wsChoose));
        Select(m_app + "/template/Resume.qzt", 0);
        m_view->Log.clear();
        QVERIFY(m_ws->SelectTab(wsChoose));
        QCOMPARE(m_ws->State(), int(wsChoose));
        QVERIFY(m_doc->CurrentFileName().isEmpty());
        QVERIFY(m_doc->Page().Blocks.Count() > 0);
        QCOMPARE(m_view->Log.count(QStringLiteral("effects:0")), 1);

        // A changed page asks first; Cancel keeps it.
        m_doc->SetDocumentChanged(true);
        const int blocks = m_doc->Page().Blocks.Count();
        Select(example, 1);
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::Cancel};
        QVERIFY(m_ws->SelectTab(wsChoose));
        QCOMPARE(m_host->Messages().last(), LoadStr(Msg::SaveChangesQuestion));
        QVERIFY(m_doc->DocumentChanged());
        QCOMPARE(m_doc->Page().Blocks.Count(), blocks);
        QVERIFY(m_doc->CurrentFileName().isEmpty());
    }

    void aSelectedPageIsReadOnce()
    {
        // A damaged page: each reading of it warns, so the warnings count the readings.
        const QByteArray bytes = ReadBytes(m_app + "/save/Example.qze");
        QVERIFY(WriteBytes(m_app + "/save/Broken.qze", bytes.left(bytes.size() / 2)));
        Select(m_app + "/save/Broken.qze", 1);
        QVERIFY(m_ws->SelectTab(wsBuild));
        QCOMPARE(m_host->Log.filter(QStringLiteral("warning:")).size(), 1);

        // Opened by a double click on the entry, which stays selected.
        QVERIFY(m_ws->SelectTab(wsChoose));
        m_host->Log.clear();
        m_ws->OpenPage(m_app + "/save/Broken.qze", true);
        QCOMPARE(m_ws->State(), int(wsBuild));
        QCOMPARE(m_host->Log.filter(QStringLiteral("warning:")).size(), 1);
    }

    void openingAndNewMoveToBuild()
    {
        m_ws->OpenStartPage(m_app + "/save/Example.qze");
        QCOMPARE(m_ws->State(), int(wsBuild));
        QVERIFY(m_view->Log.contains(QStringLiteral("first-block")));
        QVERIFY(!m_doc->Page().LoadingDocument && !m_doc->Page().SuppressFieldEvents);
        // A page that is not there: empty and untitled, still in Build.
        m_ws->OpenStartPage(m_app + "/save/Nothing here.qze");
        QCOMPARE(m_doc->Page().Blocks.Count(), 0);
        QVERIFY(m_doc->CurrentFileName().isEmpty());

        // New after Yes and a cancelled save keeps the work; No starts afresh.
        m_ws->OpenPage(m_app + "/template/Resume.qzt", false);
        m_doc->SetDocumentChanged(true);
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::Yes};
        m_host->FileNames = {QString()};
        m_ws->NewPage();
        QVERIFY(m_doc->Page().Blocks.Count() > 0);
        m_host->SaveChangesAnswers = {TDocumentHost::Answer::No};
        m_view->Log.clear();
        m_ws->NewPage();
        QCOMPARE(m_doc->Page().Blocks.Count(), 0);
        QCOMPARE(m_view->Log.last(), QStringLiteral("blank-panel"));
        QCOMPARE(m_ws->State(), int(wsBuild));
    }

    void inputDuringAChange()
    {
        QSignalSpy closes(m_ws.get(), &TWorkspace::closeRequested);
        QSignalSpy busy(m_ws.get(), &TWorkspace::busyChanged);
        bool clicked = false;
        m_view->DuringWalk = [&] {
            if (clicked)
                return;
            clicked = true;
            QVERIFY(m_ws->ToolbarBusy());
            QCOMPARE(m_ws->Admit(InputKind::ToolbarClick), InputRule::Refuse);
            QVERIFY(!m_ws->ToolbarClick(true, 10));
            QVERIFY(!m_ws->PreviewToggleAllowed(true));
            QVERIFY(!m_ws->RequestClose());
        };
        QVERIFY(m_ws->SelectTab(wsView));
        QVERIFY(clicked);
        QCOMPARE(m_ws->State(), int(wsView));
        QCOMPARE(m_ws->PipTab(), 2);
        QCOMPARE(busy.count(), 2);
        // The close asked for meanwhile comes once the change is over.
        QCOMPARE(closes.count(), 1);
        QVERIFY(m_ws->RequestClose());
        QVERIFY(m_ws->PreviewToggleAllowed(true));
        QVERIFY(!m_ws->PreviewToggleAllowed(false));
        {
            TWorkspace::TBusy saving(*m_ws, Activity::SavingPicture);
            QCOMPARE(m_ws->Admit(InputKind::Pointer), InputRule::Refuse);
        }
        QCOMPARE(m_ws->Admit(InputKind::Pointer), InputRule::Accept);

        // Leaving View, the state is still View while the mascot walks: the
        // preview toggle is refused all the same.
        bool checked = false;
        m_view->DuringWalk = [&] {
            checked = true;
            QCOMPARE(m_ws->State(), int(wsView));
            QVERIFY(!m_ws->PreviewToggleAllowed(true));
        };
        QVERIFY(m_ws->SelectTab(wsChoose));
        QVERIFY(checked);
    }

    void sentKeepsTheSendPanel()
    {
        m_host->FileNames = {m_app + "/save/Sent.qze"};
        QVERIFY(m_ws->SelectTab(wsSend));
        m_view->Effects.clear();
        QVERIFY(m_ws->SelectTab(wsSent));
        QCOMPARE(m_ws->State(), int(wsSent));
        QCOMPARE(m_view->Highlight, QStringLiteral("Toolbutt5@481,140"));
        QCOMPARE(m_view->Effects.last(), EffectsOf(wsSent));
        QCOMPARE(m_view->Frames.size(), 30 + 10);
    }

    void companionHandOver()
    {
        QStringList calls;
        QString pasted;
        bool openDoc = false;
        CompanionLink link;
        link.IsOpenDoc = [&](bool &isOpen) {
            calls << QStringLiteral("IsOpenDoc");
            isOpen = openDoc;
            return true;
        };
        link.OpenNewFile = [&] {
            calls << QStringLiteral("OpenNewFile");
            return true;
        };
        link.PutTextAtCursor = [&](const QString &html) {
            calls << QStringLiteral("PutTextAtCursor");
            pasted = html;
            return true;
        };
        m_ws->SetCompanion(true, link);
        QCOMPARE(m_view->Log.last(), QStringLiteral("toolbar:QZ4Toolbar"));
        m_ws->OpenPage(m_app + "/save/Example.qze", true);

        // No document in the editor, and none opens: an ordinary Send.
        QVERIFY(m_ws->SelectTab(wsSend));
        QCOMPARE(m_ws->State(), int(wsSend));
        QCOMPARE(calls, (QStringList{"IsOpenDoc", "OpenNewFile", "IsOpenDoc"}));
        QCOMPARE(m_view->Highlight, QStringLiteral("QZ4Toolbutt4@354,170"));

        // A document open: the blocks alone are pasted, then back to Choose.
        calls.clear();
        openDoc = true;
        QVERIFY(m_ws->SelectTab(wsSend));
        QCOMPARE(calls, (QStringList{"IsOpenDoc", "IsOpenDoc", "PutTextAtCursor"}));
        QCOMPARE(pasted, m_doc->Page().BuildPageHTML(true, false));
        QVERIFY(!pasted.contains(QStringLiteral("<BODY"), Qt::CaseInsensitive));
        QCOMPARE(m_ws->State(), int(wsChoose));
        QVERIFY(m_view->Log.contains(QStringLiteral("inform:") + LoadStr(Msg::CompanionPasted)));
        QCOMPARE(m_view->Log.last(), QStringLiteral("unlock"));
        QVERIFY(!m_ws->ToolbarBusy());

        // A failing editor: message 5084, then Send, then the window is asked to close.
        QSignalSpy closes(m_ws.get(), &TWorkspace::closeRequested);
        link.PutTextAtCursor = [](const QString &) { return false; };
        m_ws->SetCompanion(true, link);
        QVERIFY(m_ws->SelectTab(wsSend));
        QVERIFY(m_view->Log.contains(QStringLiteral("error:") + LoadStr(Msg::CompanionUnreachable)));
        QCOMPARE(m_ws->State(), int(wsSend));
        QCOMPARE(closes.count(), 1);
    }

    void rotatingWeb()
    {
        TRotatingWeb web;
        web.Reset();
        QCOMPARE(web.Normalise(), 6); // left of nothing is the last logo
        web.Index = 0;
        QStringList bitmaps;
        TRotatingWeb::Tick tick;
        for (int i = 0; i < 5; ++i) {
            tick = web.NextTick();
            bitmaps << tick.Bitmap;
            QCOMPARE(tick.HideLogos, i == 0);
            QCOMPARE(web.Frame, i < 4 ? i + 1 : 0);
        }
        QCOMPARE(bitmaps, (QStringList{"Web_Rotate1", "Web_Rotate2", "Web_Rotate3", "Web_Rotate4", "Web_Back"}));
        QVERIFY(tick.Finished);
        QCOMPARE(web.Index, 1);
        QCOMPARE(web.Label(), LoadStr(Msg::ClickLogoToVisit) + QStringLiteral(" Ortex Software"));
        // Left from 0 without an upload lands on 6, frames in reverse.
        web.Index = 0;
        web.TurnsLeft = true;
        bitmaps.clear();
        for (int i = 0; i < 5; ++i)
            bitmaps << web.NextTick().Bitmap;
        QCOMPARE(bitmaps, (QStringList{"Web_Rotate4", "Web_Rotate3", "Web_Rotate2", "Web_Rotate1", "Web_Back"}));
        QCOMPARE(web.Index, 6);
        // Right of 6 is 0 before an upload, the user's page after it.
        web.Index = 7;
        QCOMPARE(web.Normalise(), 0);
        web.PageUploaded = true;
        web.Index = -1;
        QCOMPARE(web.Normalise(), 7);
        QCOMPARE(web.Label(), LoadStr(Msg::ClickLogoToView));
        web.Index = 8;
        QCOMPARE(web.Normalise(), 0);

        QCOMPARE(YourPageAddress(QStringLiteral("http://www.host.example/~sam"), QStringLiteral("C:\\pages\\My Page.qze")),
                 QStringLiteral("http://www.host.example/~sam/MyPage.html"));
        QCOMPARE(YourPageAddress(QStringLiteral("http://www.host.example"), QStringLiteral("page")),
                 QStringLiteral("http://www.host.example/page.html"));
        // An address cannot break out of the attribute or the line.
        QVERIFY(RedirectPageText(QStringLiteral("http://a.example/x\"><b>\r\n"))
                    .contains(QStringLiteral("URL=http://a.example/x%22><b>\">\r\n<title>")));
        const QString page = WriteRedirectPage(QStringLiteral("http://www.lanternet.example/")).value();
        QCOMPARE(ReadBytes(page),
                 QByteArray("<html>\r\n<head><meta http-equiv=\"refresh\" content=\"0; URL=http://www.lanternet.example/\">\r\n"
                            "<title>Preview</title>\r\n</head>\r\n<BODY>\r\n</body>\r\n</html>\r\n\r\n"));
        // It lies in the program's private temporary folder, not the shared one
        // where another user could have put a file or a link of that name.
        QCOMPARE(QFileInfo(page).absolutePath(), QFileInfo(PrivateTempFolder()).absoluteFilePath());
        QCOMPARE(QFileInfo(page).fileName(), QStringLiteral("~qzxpreview.html"));
        QSet<QString> sites;
        for (int i = 0; i < 7; ++i)
            sites << PartnerHomePage(i);
        QCOMPARE(sites.size(), 7);
    }
};

QTEST_GUILESS_MAIN(TestWorkspace)
#include "test_workspace.moc"
