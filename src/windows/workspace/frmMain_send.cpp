// The main window's side of publishing: the server list in the Send panel,
// the page check, the flight of the page and the upload with its success.
// The decisions are TSendWork's and the server list's; the window shows them
// and runs the dialogs.
#include "workspace/frmMain.h"

#include "settings/AppPaths.h"
#include "shell/Dialogs.h"
#include "document/Document.h"
#include "session/Keyring.h"
#include "publish/SendWork.h"
#include "publish/ServerList.h"
#include "publish/ServerWizard.h"
#include "publish/UploadTarget.h"
#include "upload/frmJoy.h"
#include "wizards/frmServerWizard.h"
#include "upload/frmUpload.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/SendPanel.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace wobbin {

void TfrmMain::SendCreate()
{
    m_sendWork = std::make_unique<TSendWork>(*m_doc);
    // The server list and the provider definitions of this program folder,
    // with the passwords in the desktop keyring.
    SetAppDir(m_doc->AppDir());
    UseDesktopKeyring();
    LoadServerList();
    FillServerCombo();

    QComboBox *cmbServers = m_send->ServerCombo();
    connect(cmbServers, &QComboBox::activated, this, &TfrmMain::cmbServersChange);
    connect(m_send, &TSendPanel::editServersClicked, this, &TfrmMain::spdEditWWWClick);
    connect(m_send, &TSendPanel::uploadClicked, this, &TfrmMain::imgUploadClick);
    connect(m_send, &TSendPanel::flightLanded, this, &TfrmMain::flightLanded);
    connect(m_send, &TSendPanel::problemActivated, this, &TfrmMain::lstProblemsDblClick);
    connect(m_send, &TSendPanel::sendEverythingToggled, this, [this](bool on) { m_sendWork->SendEverything = on; });
    // Entering Send: the servers listed, the page checked.
    connect(m_workspace.get(), &TWorkspace::stateChanged, this, [this](int state) {
        if (state == wsSend) {
            FillServerCombo();
            CheckPageForSend();
        }
    });
}

// ---------------------------------------------------------------- the server list

void TfrmMain::FillServerCombo()
{
    QComboBox *cmbServers = m_send->ServerCombo();
    const TServerChoice choice = ServerComboChoice();
    const QSignalBlocker quiet(cmbServers);
    cmbServers->clear();
    cmbServers->addItems(choice.names);
    cmbServers->setCurrentIndex(choice.selected);
}

void TfrmMain::cmbServersChange()
{
    RememberLastServer(m_send->ServerCombo()->currentText());
    // Whether the page starts a site depends on the server.
    if (m_workspace->State() == wsSend)
        CheckPageForSend();
}

void TfrmMain::spdEditWWWClick()
{
    if (EditServerList(this))
        FillServerCombo();
    if (m_workspace->State() == wsSend)
        CheckPageForSend();
}

// ---------------------------------------------------------------- the page check

void TfrmMain::CheckPageForSend()
{
    m_sendWork->CheckPage(ServerAtChoice(m_send->ServerCombo()->currentIndex()));
    ShowSendCheck();
}

void TfrmMain::ShowSendCheck()
{
    QList<TSendPanel::ProblemEntry> entries;
    for (const TPageProblem &p : m_sendWork->Problems())
        entries << TSendPanel::ProblemEntry{p.Text, BreaksPage(p), p.Serious};
    m_send->SetProblems(entries);
    m_send->SetRefusedNote(m_sendWork->RefusedNote());
    m_send->SetSendEverything(m_sendWork->SendEverything);
}

void TfrmMain::lstProblemsDblClick(int row)
{
    const QList<TPageProblem> problems = m_sendWork->Problems();
    if (row < 0 || row >= problems.size())
        return;
    const TPageProblem p = problems.at(row);
    const int state = WorkspaceStateFor(p);
    if (state < 0 || !m_workspace->SelectTab(state))
        return;
    if (state == wsBuild)
        m_build->JumpToBlock(p.BlockIndex);
    if (!p.Field.isEmpty()) {
        // The control of the field, where it shows now.
        const QList<QWidget *> found = m_client->findChildren<QWidget *>(p.Field);
        for (QWidget *field : found) {
            if (field->isVisible()) {
                field->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------- the upload

void TfrmMain::imgUploadClick()
{
    if (m_send->Flying())
        return;
    const QString why = m_sendWork->WhyNoFlight(m_send->ServerCombo()->count());
    if (!why.isEmpty()) {
        MsgBox(this, why, QMessageBox::Information, QMessageBox::Ok);
        return;
    }
    // The page is written as it stands and checked again before it flies.
    const QString problem = m_sendWork->PrepareUpload(ServerAtChoice(m_send->ServerCombo()->currentIndex()));
    ShowSendCheck();
    if (!problem.isEmpty()) {
        MsgBox(this, problem, QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    // Pictures missing here: the user decides, once, whether the page goes without them.
    const QString question = m_sendWork->MissingPicturesQuestion();
    if (!question.isEmpty()
        && MsgBox(this, question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return;
    // The page picture flies off: the keyboard comes back to it (or to the
    // page under the magnifier) when the upload is over.
    m_flightFocus = focusWidget();
    m_send->StartFlight();
}

bool TfrmMain::UploadFiles(TUploadOutcome &outcome)
{
    const tWWWServerType *chosen = ServerAtChoice(m_send->ServerCombo()->currentIndex());
    if (!chosen)
        return false;
    const tWWWServerType server = *chosen; // the list may be saved again meanwhile
    outcome = RunUploadDialog(this, m_sendWork->Page(), UploadTargetFor(server));
    const QString problem = m_sendWork->Finished(server, outcome);
    if (!problem.isEmpty())
        MsgBox(this, problem, QMessageBox::Warning, QMessageBox::Ok);
    return outcome.Result == UploadResult::Succeeded;
}

void TfrmMain::flightLanded()
{
    // After the upload's messages and dialogs the keyboard is back where it was.
    TFocusReturn focusReturn;
    focusReturn.SetTarget(m_flightFocus);
    TUploadOutcome outcome;
    if (!UploadFiles(outcome)) {
        m_send->UploadFinished(false, QString());
        CheckPageForSend();
        return;
    }
    if (m_flightFocus && m_flightFocus->objectName() == QLatin1String("imgUpload"))
        focusReturn.SetTarget(m_client->findChild<QWidget *>(QStringLiteral("imgYourPage")));
    m_workspace->SelectTab(wsSent);
    // The server the page went to, for removing the pictures no page uses any more.
    const tWWWServerType *chosen = ServerAtChoice(m_send->ServerCombo()->currentIndex());
    const TUploadTarget target = chosen ? UploadTargetFor(*chosen) : TUploadTarget();
    ShowUploadSuccess(this, outcome, [this](const QString &address) { ShowInBrowser(address); },
                      chosen ? &target : nullptr, m_sendWork->Page().SentFilesFolder);
    m_send->UploadFinished(true, m_sendWork->YourPageAddress());
    // "Send everything" was used up; the site now has a page.
    CheckPageForSend();
}

} // namespace wobbin
