// The server list wizard's list page (choosing, reordering and deleting
// servers), its help, its names for a screen reader and its start from the
// main window.
#include "wizards/frmServerWizard.h"

#include "shell/Dialogs.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "session/Keyring.h"
#include "shell/Accessible.h"
#include "shell/Help.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

namespace wobbin {

// ---- the list page -------------------------------------------------------------

void TfrmServerWizard::LoadWWWList()
{
    const bool loading = FieldsLoading;
    FieldsLoading = true;
    lstServers->clear();
    lstServers->addItems(m_state.ListNames());
    FieldsLoading = loading;
}

void TfrmServerWizard::lstServersClick()
{
    if (FieldsLoading)
        return;
    if (!m_state.SelectRow(lstServers->currentRow()))
        return;
    ShowMyDetails();
}

void TfrmServerWizard::ShowMyDetails()
{
    FieldsLoading = true;
    const tWWWServerType &r = m_state.Current();
    txtName->setText(r.Name);
    txtAddress->setText(r.Address);
    txtDirectory->setText(r.Directory);
    txtLogin->setText(r.UserName);
    txtPassword->setText(r.Password);
    SelectProvider(FindISP(r.ISP) + 1);
    m_state.SelectedISP = cmbServerType->currentIndex() - 1;
    if (txtURL->text().isEmpty())
        txtURL->setText(r.URL);
    else
        txtURL->setText(BuildURL());
    chkDir->setChecked(r.FlatDir);
    ShowProtocol();
    FieldsLoading = false;
}

void TfrmServerWizard::lstServersDblClick()
{
    if (m_state.WizardMode == TServerWizardState::Modify)
        NextButtClick();
}

// The up and down arrows beside the list: the selected server one place along
// (step -1 up, +1 down), still selected; nothing at either end.
void TfrmServerWizard::spbMoveClick(int step)
{
    const int from = lstServers->currentRow();
    const int row = step < 0 ? m_state.MoveUp(from) : m_state.MoveDown(from);
    if (row < 0)
        return;
    LoadWWWList();
    FieldsLoading = true;
    lstServers->setCurrentRow(row);
    FieldsLoading = false;
}

void TfrmServerWizard::butDeleteClick()
{
    const int row = lstServers->currentRow();
    if (row < 0 || !lstServers->item(row) || !lstServers->item(row)->isSelected())
        return;
    RemoveWWWServer(row);
    ClearFields();
}

void TfrmServerWizard::RemoveWWWServer(int row)
{
    if (!m_state.DeleteRow(row))
        return;
    FieldsLoading = true;
    delete lstServers->takeItem(row);
    lstServers->setCurrentRow(-1);
    FieldsLoading = false;
}

// ---- names for a screen reader ----------------------------------------------------

void TfrmServerWizard::NameFields()
{
    // Named after the labels shown with them (GeoCities changes some labels).
    const std::pair<QWidget *, QLabel *> labelled[] = {
        {txtName, lblName},          {txtAddress, lblServer}, {txtLogin, lblLogin},
        {txtPassword, lblPassword},  {cmbServerType, lblISP}, {txtDirectory, lblDir},
        {txtURL, lblURL},            {cmbProtocol, lblProtocol}};
    for (const auto &[control, label] : labelled)
        NameFromLabel(control, label);
    lstServers->setAccessibleName(LoadStr(Msg::YourServerList));
    spbUp->setAccessibleName(LoadStr(Msg::MoveUp));
    spbUp->setToolTip(LoadStr(Msg::MoveUp));
    spbDown->setAccessibleName(LoadStr(Msg::MoveDown));
    spbDown->setToolTip(LoadStr(Msg::MoveDown));
}

// ---- help ------------------------------------------------------------------------

void TfrmServerWizard::butHelpClick()
{
    THelp::ShowTopic(kServerWizardHelp, this);
}

void TfrmServerWizard::ShowWhatsThisMenu(QPoint globalPos)
{
    popWhatsThis->popup(globalPos);
}

bool TfrmServerWizard::eventFilter(QObject *watched, QEvent *event)
{
    // Next and Finish share one place; the one shown is what Enter presses.
    if (event->type() == QEvent::Show && (watched == NextButt || watched == FinishButt))
        static_cast<QPushButton *>(watched)->setDefault(true);
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton && watched->property("Tag").toInt() == kProviderHelp) {
            ShowWhatsThisMenu(me->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- for the main window -----------------------------------------------------------

void ShowServerListNotices(QWidget *parent)
{
    for (const QString &text : TakeServerListNotices())
        MsgBox(parent, text, QMessageBox::Information);
}

bool EditServerList(QWidget *parent)
{
    UseDesktopKeyring();
    const TFocusReturn focusReturn;
    ShowServerListNotices(parent);
    TfrmServerWizard wizard(parent);
    wizard.exec();
    ShowServerListNotices(parent);
    return wizard.Saved();
}

} // namespace wobbin
