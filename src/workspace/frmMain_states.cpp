// The workspace states: tab selection with its preconditions, the state
// change itself, and the hand-over of the page to the companion editor.
#include "workspace/frmMain.h"

#include "app/Companion_bus.h"
#include "app/Dialogs_gui.h"
#include "base/Paths.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "page/PageDocument.h"
#include "page/ResourceList.h"
#include "workspace/BuildWorkspace.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

namespace wobbin {

RedPillPlace RedPillFor(int tab)
{
    static const RedPillPlace places[] = {
        {"Toolbutt1", "Toolbutt1", 0, 146},
        {"Toolbutt2", "Toolbutt2", 103, 170},
        {"Toolbutt3", "QZ4Toolbutt3", 230, 170},
        {"Toolbutt4", "QZ4Toolbutt4", 354, 170},
        {"Toolbutt5", "QZ4Toolbutt5", 481, 140},
    };
    if (tab < 0 || tab > 4)
        tab = 0;
    return places[tab];
}

QString TfrmMain::toolbarBitmap() const
{
    return CompanionRunning ? QStringLiteral("QZ4Toolbar") : QStringLiteral("Toolbar");
}

bool TfrmMain::hasSelectedTemplate() const
{
    const QListWidgetItem *item = lvTemplates->currentItem();
    return item && item->isSelected();
}

void TfrmMain::loadSelectedTemplate()
{
    const QListWidgetItem *item = lvTemplates->currentItem();
    if (!item)
        return;
    const QString path = item->data(Qt::UserRole).toString();
    const bool isPage = item->data(Qt::UserRole + 1).toInt() == 1;
    TemplateLoading = true;
    DoTemplate(path, isPage);
    TemplateLoading = false;
}

bool TfrmMain::ShowRedPill(int tab)
{
    bool proceed = true;

    if (WorkspaceState == wsChoose && !SuppressFieldEvents && hasSelectedTemplate())
        loadSelectedTemplate();

    if (tab == wsSend && !SaveDocument())
        proceed = false;

    if (proceed && HTMLEdited && tab == wsBuild) {
        const auto answer = MsgBox(this, Msg102, QMessageBox::Warning,
                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            proceed = false;
    }
    if (!proceed)
        return false;

    ToolbarBusy = true;
    picRedPill->hide();
    WalkThePip(tab);
    LockWindow(this);

    drawToolbar(false);

    const RedPillPlace place = RedPillFor(tab);
    ShowImage(picRedPill, QLatin1String(CompanionRunning ? place.companionBitmap : place.bitmap));
    picRedPill->setGeometry(place.left, 0, place.width, 96);
    picRedPill->setProperty("Tab", tab);

    if (tab == wsSend && CompanionRunning && HandToCompanion()) {
        // The hand-over went back to Choose through a tab change of its own,
        // which released the lock and the toolbar.
        ToolbarBusy = false;
        LockWindow(nullptr);
        if (m_closePending) {
            m_closePending = false;
            QTimer::singleShot(0, this, &QWidget::close);
        }
        return true;
    }

    picRedPill->raise();
    picRedPill->show();
    picRedPill->update();
    ChangeState(tab);
    LockWindow(nullptr);
    ToolbarBusy = false;

    if (m_closePending) {
        m_closePending = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
    return true;
}

void TfrmMain::setHTMLText(const QString &text)
{
    const bool was = SuppressHTMLChange;
    SuppressHTMLChange = true;
    memHTML->setPlainText(text);
    SuppressHTMLChange = was;
}

QString TfrmMain::pageHTMLPath() const
{
    return PageHtmlPath(CurrentFileName, HTMLFolder);
}

bool TfrmMain::ChangeState(int state)
{
    // Common entry.
    ShowImage(imgView, QStringLiteral("Max_Dis"));
    imgView->setToolTip(QString());
    timFlashPage->stop();
    ExternalPreview1->setEnabled(true);
    imgYourPage->hide();
    LockWindow(this);

    const int previous = WorkspaceState;
    switch (state) {
    case wsChoose:
        ExternalPreview1->setEnabled(false);
        imgFrontPip->show();
        imgPreView->hide();
        GetTemplates();
        pnlChoose->show();
        pnlChoose->raise();
        pnlView->hide();
        pnlBuild->hide();
        pnlSend->hide();
        setHTMLText(QString());
        break;

    case wsBuild:
        if (previous == wsChoose && hasSelectedTemplate())
            loadSelectedTemplate();
        if (CurrentFileName.isEmpty())
            setWindowTitle(QApplication::applicationName() + QStringLiteral(" - ") + Untitled);
        pnlChoose->hide();
        pnlView->hide();
        pnlSend->hide();
        pnlBuild->show();
        pnlBuild->raise();
        for (const char *name : {"imgShredderBack", "imgShredder"})
            if (auto *w = pnlBuild->findChild<QWidget *>(QLatin1String(name)))
                w->raise();
        setHTMLText(QString());
        break;

    case wsView:
        ShowImage(imgView, QStringLiteral("Max_Up"));
        imgView->setToolTip(m_imgViewHint);
        pnlBuild->hide();
        pnlChoose->hide();
        if (previous == wsSend) {
            // Hand edits made before survive: show the text as it stands.
            loadViewerFromText(HTMLText());
        } else {
            SuppressHTMLChange = true;
            setHTMLText(BuildPageHTML(false));
            ShowRover();
            SuppressHTMLChange = false;
        }
        pnlView->show();
        pnlView->raise();
        SetHTMLView();
        pnlSend->hide();
        break;

    case wsSend: {
        const QString text = HTMLText();
        if (text.isEmpty() || text == QLatin1String("<BODY>")) {
            SuppressHTMLChange = true;
            setHTMLText(BuildPageHTML(false));
            ShowRover();
            if (!CurrentFileName.isEmpty())
                SaveFromHTML(pageHTMLPath());
            SuppressHTMLChange = false;
        }
        WebIndex = -1;
        pnlView->hide();
        pnlBuild->hide();
        pnlChoose->hide();
        pnlSend->show();
        pnlSend->raise();
        imgUpload->show();
        imgUpload->raise();
        // Server list (filled by the server list when it is loaded), the
        // page's images and the files to upload.
        UpdateFileList();
        timFlashPage->start();
        break;
    }

    default:
        // Sent, and any other number: the Send panel stays in front.
        break;
    }

    // Common exit.
    TitleEcho = true;
    txtTitle->setText(PageTitle);
    TitleEcho = false;
    WorkspaceState = state;
    LockWindow(nullptr);
    Q_EMIT stateChanged(state);
    return true;
}

// ---------------------------------------------------------------- companion editor

void TfrmMain::SetCompanion(bool running, CompanionLink link)
{
    CompanionRunning = running;
    m_companion = std::move(link);
    drawToolbar(false);
}

void TfrmMain::WobbinRunning()
{
    CompanionRunning = false;
    const CompanionState state = ::wobbin::WobbinRunning();
    if (!state.running)
        return;
    CompanionLink link;
    if (std::shared_ptr<TCompanionServer> server = state.server) {
        link.IsOpenDoc = [server](bool &isOpen) { return server->IsOpenDoc(isOpen); };
        link.OpenNewFile = [server] { return server->OpenNewFile(); };
        link.PutTextAtCursor = [server](const QString &html) { return server->PutTextAtCursor(html); };
    }
    // Without an automation object the flag stays set and the hand-over
    // reports that it cannot talk to the editor.
    SetCompanion(true, std::move(link));
}

bool TfrmMain::HandToCompanion()
{
    auto failed = [this] {
        MsgBox(this, Msg5084, QMessageBox::Critical, QMessageBox::Ok);
        // Ask the window to close after this tab change; the save question of
        // the closing may keep it open.
        QTimer::singleShot(0, this, &QWidget::close);
        return false;
    };
    if (!m_companion.IsValid())
        return failed();

    bool isOpen = false;
    if (!m_companion.IsOpenDoc(isOpen))
        return failed();
    if (!isOpen && !m_companion.OpenNewFile())
        return failed();
    if (!m_companion.IsOpenDoc(isOpen))
        return failed();
    if (!isOpen)
        return false; // nothing to paste into: an ordinary Send

    const QString html = m_doc->BuildPageHTML(true, false);
    if (!m_companion.PutTextAtCursor(html))
        return failed();
    MsgBox(this, Msg5083, QMessageBox::Information, QMessageBox::Ok);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ToolbarBusy = false;
    ShowRedPill(wsChoose);
    QApplication::restoreOverrideCursor();
    return true;
}

} // namespace wobbin
