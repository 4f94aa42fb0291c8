// The window's side of the core: it answers the document's questions with
// dialogs, renders its page, and shows what the workspace's state changes
// decide (the toolbar, the mascot, the panels).
#include "workspace/frmMain.h"

#include "shell/Dialogs.h"
#include "shell/Skin.h"
#include "shell/frmSaveInfo.h"
#include "document/Document.h"
#include "pictures/PagePicture.h"
#include "shell/Accessible.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/ChoosePanel.h"
#include "workspace/Controls.h"
#include "shell/Help.h"
#include "workspace/SendPanel.h"
#include "workspace/ViewPanel.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace wobbin {

// ---------------------------------------------------------------- the document's questions

TDocumentHost::Answer TfrmMain::AskSaveChanges(const QString &question)
{
    switch (MsgBox(this, question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                   QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void TfrmMain::TellSaveFirst(const QString &text) { MsgBox(this, text, QMessageBox::Warning, QMessageBox::Ok); }

bool TfrmMain::ConfirmSaveChangesFirst(const QString &text)
{
    return MsgBox(this, text, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
           == QMessageBox::Ok;
}

bool TfrmMain::ConfirmLoseHandEdits(const QString &text)
{
    return MsgBox(this, text, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

bool TfrmMain::ConfirmHandEdit() { return m_view->ConfirmFirstHandEdit(); }

void TfrmMain::ShowSaveInfo()
{
    // Its link opens the tutorial over the dialog, which stays usable.
    ShowSaveInformation(this, [](QWidget *over, int topic) { THelp::ShowTopic(topic, over); });
}

QString TfrmMain::AskSaveFileName(const FileDialogSetup &setup)
{
    const FileDialogResult r =
        SaveFileDialog(this, setup.Title, setup.Folder, setup.FileName, setup.Filter, setup.DefaultSuffix);
    return r.Chosen ? r.FileName : QString();
}

void TfrmMain::ShowWarning(const QString &text) { MsgBox(this, text, QMessageBox::Warning, QMessageBox::Ok); }

void TfrmMain::ShowError(const QString &text) { MsgBox(this, text, QMessageBox::Critical, QMessageBox::Ok); }

QByteArray TfrmMain::PagePicture()
{
    // The viewer renders while the event loop runs; meanwhile the workspace
    // decides what input may do (no second command starts).
    if (m_workspace->CurrentActivity() == Activity::SavingPicture)
        return QByteArray();
    TWorkspace::TBusy busy(*m_workspace, Activity::SavingPicture);
    const QImage full = m_view->CapturePagePicture(pnlMain);
    if (full.isNull())
        return QByteArray();
    const QImage picture =
        full.scaled(kPagePictureWidth, kPagePictureHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_choose->ShowPicture(QPixmap::fromImage(picture));
    return PagePictureBytes(picture);
}

void TfrmMain::RenderPreview(const QString &viewerText, const QString &previewFile)
{
    m_view->RenderPreview(viewerText, previewFile);
}

// ---------------------------------------------------------------- the toolbar and the mascot

bool TfrmMain::SelectedEntry(PageListEntry &entry) const { return m_choose->SelectedEntry(entry); }

void TfrmMain::PlaySound(const QString &name) { PlaySoundRes(name); }

namespace {

// The toolbar bitmap, with the mascot's sprite at picWindy's place when walking.
void DrawToolbar(TImage *toolbar, QLabel *windy, const QString &bitmap, bool withSprite)
{
    QPixmap bar = LoadBitmap(bitmap);
    if (bar.isNull())
        return;
    if (withSprite) {
        const bool right = windy->property("FacingRight").toBool();
        const QPixmap sprite = LoadBitmap(right ? QStringLiteral("WindyPip") : QStringLiteral("WindyPipB"));
        if (!sprite.isNull()) {
            QPainter p(&bar);
            p.drawPixmap(windy->pos(), sprite);
        }
    }
    toolbar->setPixmap(bar);
    toolbar->setProperty("Bitmap", bitmap);
    toolbar->setProperty("SpriteDrawn", withSprite);
    toolbar->repaint();
}

} // namespace

void TfrmMain::ShowToolbar(const QString &bitmap) { DrawToolbar(picToolbar, picWindy, bitmap, false); }

void TfrmMain::DrawPipFrame(const PipFrame &frame)
{
    picWindy->move(frame.left, kPipTop);
    picWindy->setProperty("FacingRight", frame.facingRight);
    DrawToolbar(picToolbar, picWindy, picToolbar->property("Bitmap").toString(), true);
}

void TfrmMain::WaitPipTick()
{
    // The window stays responsive while the frame shows; the tick ends the wait.
    QEventLoop loop;
    QPointer<TfrmMain> self(this);
    connect(timTopPip, &QTimer::timeout, &loop, &QEventLoop::quit);
    timTopPip->start();
    loop.exec();
    if (self)
        timTopPip->stop();
}

void TfrmMain::LockUpdates(bool on)
{
    // Releasing takes the lock off whatever held it, as the platform's lock did.
    m_client->setUpdatesEnabled(!on);
    if (!on)
        m_client->update();
}

void TfrmMain::HideHighlight() { picRedPill->hide(); }

void TfrmMain::PlaceHighlight(const QString &bitmap, int left, int width)
{
    ShowImage(picRedPill, bitmap);
    picRedPill->setGeometry(left, 0, width, kToolbarHeight);
}

void TfrmMain::ShowHighlight()
{
    picRedPill->raise();
    picRedPill->show();
    picRedPill->update();
}

// ---------------------------------------------------------------- entering a state

void TfrmMain::ApplyEffects(int, const StateEffects &effects)
{
    // Entering a state starts with the preview at its usual size: the window
    // is never left enlarged over another panel.
    if (effects.Panel != StatePanel::Keep)
        setPreviewEnlarged(false);
    ShowImage(imgView, effects.PreviewToggle ? QStringLiteral("Max_Up") : QStringLiteral("Max_Dis"));
    imgView->setToolTip(effects.PreviewToggle ? m_imgViewHint : QString());
    // Drawn grey, it is no Tab stop and a screen reader hears it is off.
    SetPictureAvailable(imgView, effects.PreviewToggle);
    m_send->StopFlashing();
    ExternalPreview1->setEnabled(effects.ExternalPreview);
    m_send->HideYourPage();
    if (effects.MascotPicture)
        m_choose->ShowMascot();
    if (effects.RefillPageList)
        m_choose->GetTemplates();
    if (effects.Panel != StatePanel::Keep) {
        const struct {
            StatePanel panel;
            QFrame *frame;
        } panels[] = {{StatePanel::Choose, pnlChoose},
                      {StatePanel::Build, pnlBuild},
                      {StatePanel::View, pnlView},
                      {StatePanel::Send, pnlSend}};
        for (const auto &p : panels) {
            p.frame->setVisible(p.panel == effects.Panel);
            if (p.panel == effects.Panel)
                p.frame->raise();
        }
        if (effects.Panel == StatePanel::Build)
            m_build->RaiseShredder();
    }
    if (effects.HtmlOnWebTab)
        m_view->SetHTMLView();
    if (effects.TakeFocus)
        focusShownPanel();
    if (effects.EnterSend)
        m_send->Enter();
}

void TfrmMain::focusShownPanel()
{
    QFrame *shown = nullptr;
    for (QFrame *panel : {pnlChoose, pnlBuild, pnlView, pnlSend})
        if (!panel->isHidden())
            shown = panel;
    if (!shown)
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() == this && shown->isAncestorOf(focus))
        return;
    // A keyboard user stepping along the toolbar stays on it.
    if (m_stepByToolbarKey) {
        picToolbar->setFocus(Qt::TabFocusReason);
        return;
    }
    // Keys go to the panel the user sees, never to a field of a hidden one:
    // in Build to the current block's tile, elsewhere to the panel's first
    // control (the panel itself shows no focus and has no name).
    if (shown == pnlBuild && !m_build->Tiles().empty()) {
        m_build->FocusCurrentTile();
        if (QApplication::focusWidget() && shown->isAncestorOf(QApplication::focusWidget()))
            return;
    }
    if (QWidget *first = FirstTabStop(shown))
        first->setFocus(Qt::TabFocusReason);
    else
        shown->setFocus(Qt::OtherFocusReason);
}

QWidget *TfrmMain::FirstTabStop(QWidget *panel)
{
    for (QWidget *w = panel->nextInFocusChain(); w && w != panel; w = w->nextInFocusChain()) {
        if (!panel->isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this))
            return w->focusProxy() ? w->focusProxy() : w;
    }
    return nullptr;
}

void TfrmMain::ShowFirstBlock()
{
    m_build->ShowBlock(0);
    m_build->HighLightBlock(0);
}

void TfrmMain::ShowBlankPanel() { m_build->ShowPanel(-1); }

void TfrmMain::Inform(const QString &text) { MsgBox(this, text, QMessageBox::Information, QMessageBox::Ok); }

void TfrmMain::ReportError(const QString &text) { MsgBox(this, text, QMessageBox::Critical, QMessageBox::Ok); }

void TfrmMain::SetBusyCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace wobbin
