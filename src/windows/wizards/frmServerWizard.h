#pragma once
// The server list wizard: five pages with hidden tabs (introduction and mode,
// provider, server details, advanced details, server list) driven by Back,
// Next and Finish. It edits a copy of the server list and replaces the list
// only when its user finishes and agrees to save. The rules live in
// TServerWizardState; this window shows them.

#include "publish/ServerWizard.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;

namespace wobbin {

// Help topics of the wizard and of its provider page.
constexpr int kServerWizardHelp = 79;
constexpr int kProviderHelp = 105;

class TfrmServerWizard : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmServerWizard(QWidget *parent = nullptr);
    ~TfrmServerWizard() override;

    // The wizard's state (for the window's owner and tests).
    const TServerWizardState &State() const { return m_state; }
    // True once the list was written.
    bool Saved() const { return m_saved; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void FormCreate();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void NextButtClick();
    void BackButtClick();
    void FinishButtClick();
    void CancelButtClick();
    void ShowFinish();
    void LoadWWWList();
    void ClearFields();
    void ClearServer();
    void ShowMyDetails();
    void lstServersClick();
    void lstServersDblClick();
    void spbMoveClick(int step);
    void butDeleteClick();
    void RemoveWWWServer(int row);
    bool WriteServerInfo();
    int AskForSave();  // a QMessageBox::StandardButton
    bool LogOnProblem();
    QString BuildURL() const;
    void butAdvancedClick();
    void cmbServerTypeChange();
    void txtLoginChange();
    void txtPasswordChange();
    void txtFieldChange(const QLineEdit *edit, QString tWWWServerType::*field,
                        QString tWWWServerType::*geoField = nullptr);
    void chkDirClick();
    void cmbProtocolChange();
    void spnConnectionsChange(int connections);
    void txtKeyFileChange();
    void butKeyFileClick();
    void butHelpClick();
    void ShowWhatsThisMenu(QPoint globalPos);

    void ShowPage(QWidget *page);
    QWidget *CurrentPage() const;
    bool ProviderIsCommon() const;
    bool ProviderTextIsGeoCities() const;
    void SelectProvider(int position);
    void ShowProtocol();
    // The key file's field shows for SFTP only.
    void ShowKeyFileField();
    // Shows the fields the kind of destination needs and hides the others
    // (details and Advanced pages).
    void ShowKindFields();
    void butBrowseFolderClick();
    // What Finish refuses in the fields of the kind (a string number, 0 none).
    int KindFieldsProblem() const;
    void NameFields();

    TServerWizardState m_state;
    bool FieldsLoading = false;
    bool m_saved = false;
    bool m_finishing = false;

    QStackedWidget *pgcWizard = nullptr;
    QWidget *tab1 = nullptr, *tabISP = nullptr, *tab2 = nullptr, *tab3 = nullptr, *tab4 = nullptr;
    QLabel *imgWizard = nullptr;
    QLabel *lbl1 = nullptr, *lbl2 = nullptr, *lbl3 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *lblISP = nullptr;
    QComboBox *cmbServerType = nullptr;
    QLabel *lblName = nullptr, *lblServer = nullptr, *lblLogin = nullptr, *lblPassword = nullptr;
    QLineEdit *txtName = nullptr, *txtAddress = nullptr, *txtLogin = nullptr, *txtPassword = nullptr;
    QLabel *lblLogOnProblem = nullptr;
    QPushButton *butAdvanced = nullptr;
    QGroupBox *grpAdvanced = nullptr;
    QLabel *lblDir = nullptr, *lblURL = nullptr, *lblProtocol = nullptr;
    QLineEdit *txtDirectory = nullptr, *txtURL = nullptr;
    QPushButton *butBrowseFolder = nullptr;
    QCheckBox *chkDir = nullptr;
    QComboBox *cmbProtocol = nullptr;
    QLabel *lblConnections = nullptr;
    QSpinBox *spnConnections = nullptr;
    QLabel *lblKeyFile = nullptr;
    QLineEdit *txtKeyFile = nullptr;
    QPushButton *butKeyFile = nullptr;
    QListWidget *lstServers = nullptr;
    QToolButton *spbUp = nullptr, *spbDown = nullptr;
    QPushButton *butDelete = nullptr;
    QLabel *lblModDesc = nullptr, *lblModify = nullptr, *lblDelDesc = nullptr, *lblDelete = nullptr;
    QPushButton *butHelp = nullptr, *BackButt = nullptr, *NextButt = nullptr, *FinishButt = nullptr,
                *CancelButt = nullptr;
    QMenu *popWhatsThis = nullptr;
};

// Runs the wizard modally over parent, with the desktop keyring as the home of
// the passwords, and tells the user what the server list has to say (a damaged
// password, where passwords are kept). True when the server list was written:
// the caller then fills its server combo box again.
bool EditServerList(QWidget *parent);

// Shows the server list's pending notices (TakeServerListNotices) in message boxes.
void ShowServerListNotices(QWidget *parent);

} // namespace wobbin
