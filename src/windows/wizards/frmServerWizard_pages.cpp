// The server list wizard's pages and buttons: moving between the pages,
// finishing (writing the server list), cancelling with the question whether
// to keep the changes, and clearing the fields for a new server.
#include "wizards/frmServerWizard.h"

#include "shell/Dialogs.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

namespace wobbin {

// ---- pages and buttons -------------------------------------------------------

void TfrmServerWizard::ShowPage(QWidget *page)
{
    pgcWizard->setCurrentWidget(page);
}

QWidget *TfrmServerWizard::CurrentPage() const
{
    return pgcWizard->currentWidget();
}

bool TfrmServerWizard::ProviderIsCommon() const
{
    return cmbServerType->currentIndex() <= 0;
}

bool TfrmServerWizard::ProviderTextIsGeoCities() const
{
    return IsGeoCities(cmbServerType->currentText());
}

void TfrmServerWizard::SelectProvider(int position)
{
    cmbServerType->setCurrentIndex(position >= 0 && position < cmbServerType->count() ? position : 0);
}

void TfrmServerWizard::ShowFinish()
{
    NextButt->hide();
    FinishButt->show();
}

void TfrmServerWizard::RadioButton1Click()
{
    m_state.WizardMode = TServerWizardState::Add;
}

void TfrmServerWizard::RadioButton2Click()
{
    m_state.WizardMode = TServerWizardState::Modify;
}

void TfrmServerWizard::RadioButton3Click()
{
    m_state.WizardMode = TServerWizardState::Delete;
}

void TfrmServerWizard::NextButtClick()
{
    QWidget *page = CurrentPage();
    // Modify needs a server chosen before it can go on, and says so.
    if (page == tab4 && m_state.WizardMode != TServerWizardState::Modify)
        return;
    if (page == tab4 && m_state.CurrentIndex() < 0) {
        MsgBox(this, LoadStr(Msg::SelectServerToEdit), QMessageBox::NoIcon, QMessageBox::Ok);
        lstServers->setFocus(Qt::OtherFocusReason);
        return;
    }
    BackButt->setEnabled(true);
    NextButt->show();
    FinishButt->hide();
    butDelete->show();
    lblModify->hide();
    lblDelete->hide();

    if (page == tab1) {
        switch (m_state.WizardMode) {
        case TServerWizardState::Add:
            ClearServer();
            ShowPage(tabISP);
            break;
        case TServerWizardState::Modify:
            butDelete->hide();
            lblDelDesc->hide();
            lblModify->show();
            lblModDesc->show();
            ShowPage(tab4);
            break;
        default:
            lblModDesc->hide();
            lblDelDesc->show();
            lblDelete->show();
            ShowPage(tab4);
            ShowFinish();
            break;
        }
    } else if (page == tab4) {
        lblModDesc->hide();
        SelectProvider(FindISP(m_state.Current().ISP) + 1);
        ShowPage(tabISP);
    } else if (page == tabISP) {
        txtAddress->setReadOnly(false);
        for (QWidget *w : {static_cast<QWidget *>(lblLogin), static_cast<QWidget *>(lblPassword),
                           static_cast<QWidget *>(txtLogin), static_cast<QWidget *>(txtPassword)})
            w->setEnabled(true);
        if (cmbServerType->currentText() == QLatin1String("GeoCities")) {
            lblLogin->setText(LoadStr(Msg::EnterGeoMemberName));
            lblPassword->setText(LoadStr(Msg::EnterGeoPassword));
            lblDir->setText(LoadStr(Msg::EnterGeoNeighbourhood));
            lblURL->setText(LoadStr(Msg::EnterGeoAddress));
        } else {
            lblLogin->setText(LoadStr(Msg::EnterLoginName));
            lblPassword->setText(LoadStr(Msg::EnterPassword));
            lblDir->setText(LoadStr(Msg::EnterServerFolder));
            lblURL->setText(LoadStr(Msg::FullSiteAddress));
        }
        tWWWServerType &cur = m_state.Current();
        if (!ProviderIsCommon()) {
            m_state.SelectedISP = cmbServerType->currentIndex() - 1;
            const ISPDetails &p = ISPList().at(m_state.SelectedISP);
            if (cur.ISP != p.Name) {
                cur.ISP = p.Name;
                m_state.ListChanged = true;
            }
            txtName->setText(m_state.WizardMode == TServerWizardState::Add ? p.Name : cur.Name);
            txtAddress->setText(p.Address);
            txtAddress->setReadOnly(true);
            if (!p.Login) {
                for (QWidget *w : {static_cast<QWidget *>(lblLogin), static_cast<QWidget *>(lblPassword),
                                   static_cast<QWidget *>(txtLogin), static_cast<QWidget *>(txtPassword)})
                    w->setEnabled(false);
            }
        } else {
            m_state.SelectedISP = -1;
            // A server switched to Common no longer belongs to its old provider.
            if (!cur.ISP.isEmpty()) {
                cur.ISP.clear();
                m_state.ListChanged = true;
            }
            const tWWWServerType copy = cur;
            txtName->setText(copy.Name);
            txtAddress->setText(copy.Address);
            txtDirectory->setText(copy.Directory);
            txtURL->setText(copy.URL);
        }
        NameFields();
        ShowPage(tab2);
        txtName->setFocus();
        ShowFinish();
    }
}

void TfrmServerWizard::BackButtClick()
{
    NextButt->show();
    for (QWidget *w : {static_cast<QWidget *>(FinishButt), static_cast<QWidget *>(butDelete),
                       static_cast<QWidget *>(lblModify), static_cast<QWidget *>(lblDelete),
                       static_cast<QWidget *>(lblDelDesc), static_cast<QWidget *>(lblModDesc)})
        w->hide();
    QWidget *page = CurrentPage();
    if (page == tabISP) {
        if (m_state.WizardMode == TServerWizardState::Add) {
            ShowPage(tab1);
        } else {
            lblModDesc->show();
            lblModify->show();
            // A description changed meanwhile shows in the list.
            const int row = m_state.ListNames().indexOf(m_state.Current().Name);
            LoadWWWList();
            FieldsLoading = true;
            lstServers->setCurrentRow(m_state.CurrentIndex() >= 0 ? row : -1);
            FieldsLoading = false;
            ShowPage(tab4);
        }
    } else if (page == tab3) {
        ShowPage(tab2);
        txtName->setFocus();
        ShowFinish();
    } else if (page == tab4) {
        ShowPage(tab1);
    } else if (page == tab2) {
        ShowPage(tabISP);
    }
    if (CurrentPage() == tab1)
        BackButt->setEnabled(false);
}

void TfrmServerWizard::FinishButtClick()
{
    if (m_finishing)
        return;
    // No record may be hidden from the lists, no two may share a key, and no
    // login may carry a control character to a server.
    if (m_state.WizardMode != TServerWizardState::Delete) {
        const int problem = LogOnProblem() ? -1 : m_state.CheckDescription(txtName->text());
        if (problem > 0)
            MsgBox(this, LoadStr(problem), QMessageBox::Warning);
        if (problem) {
            ShowPage(tab2);
            if (CurrentPage() == tab2) {
                NextButt->hide();
                FinishButt->show();
            }
            if (problem > 0)
                txtName->setFocus();
            else
                LogOnProblem(); // on its page now: the field takes the focus
            return;
        }
    }
    if (m_state.WizardMode != TServerWizardState::Delete) {
        if (const int problem = KindFieldsProblem()) {
            MsgBox(this, problem == 677 ? LoadStr(Msg::FolderNeedsFullPath).arg(txtDirectory->text()) : LoadStr(problem),
                   QMessageBox::Information);
            if (problem == 677) {
                ShowPage(tab3);
                m_state.AdvancedVisited = true;
                txtDirectory->setFocus();
            } else {
                ShowPage(tab2);
                NextButt->hide();
                FinishButt->show();
                (problem == 621 ? txtAddress : txtLogin)->setFocus();
            }
            return;
        }
    }
    if (m_state.WizardMode == TServerWizardState::Add && m_state.CurrentIndex() < 0)
        m_state.FinishAdd(txtLogin->text(), txtDirectory->text(), txtURL->text());
    const int answer = AskForSave();
    if (answer == QMessageBox::Cancel)
        return;
    if (answer == QMessageBox::Yes && !WriteServerInfo())
        return;  // the wizard stays open with the work in it
    accept();
}

void TfrmServerWizard::CancelButtClick()
{
    QDialog::reject();
}

void TfrmServerWizard::reject()
{
    if (m_finishing)
        return;
    QDialog::reject();
}

int TfrmServerWizard::AskForSave()
{
    if (!m_state.ListChanged)
        return QMessageBox::No;
    QMessageBox::StandardButton b =
        MsgBoxCaption(this, LoadStr(Msg::ServerListChanged), LoadStr(Msg::SaveServerListQuestion), QMessageBox::Question,
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return b;
}

bool TfrmServerWizard::WriteServerInfo()
{
    m_finishing = true;
    for (QPushButton *b : {BackButt, FinishButt, CancelButt})
        b->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TResult<void> written = m_state.WriteServerInfo();
    QApplication::restoreOverrideCursor();
    for (QPushButton *b : {BackButt, FinishButt, CancelButt})
        b->setEnabled(true);
    if (CurrentPage() == tab1)
        BackButt->setEnabled(false);
    m_finishing = false;
    if (!written.ok()) {
        MsgBox(this, LoadStr(Msg::ServerListNotSaved) + QStringLiteral("\n\n") + written.error().Text(),
               QMessageBox::Critical);
        return false;
    }
    m_saved = true;
    return true;
}

void TfrmServerWizard::ClearFields()
{
    FieldsLoading = true;
    txtName->clear();
    txtAddress->clear();
    txtLogin->clear();
    txtPassword->clear();
    txtURL->clear();
    txtDirectory->setText(QStringLiteral("public_html"));
    FieldsLoading = false;
}

void TfrmServerWizard::ClearServer()
{
    // Add always starts from a fresh record, also after Modify was tried, as
    // a Common server with the usual upload folder (also when the fields
    // show these values already and change nothing).
    m_state.NewServer();
    const bool changed = m_state.ListChanged;
    ClearFields();
    FieldsLoading = true;
    chkDir->setChecked(false);
    FieldsLoading = false;
    m_state.Current().Directory = txtDirectory->text();
    m_state.ListChanged = changed;
    m_state.AdvancedVisited = false;
    SelectProvider(0);
    m_state.SelectedISP = -1;
    grpAdvanced->setEnabled(true);
    ShowProtocol();
}

} // namespace wobbin
