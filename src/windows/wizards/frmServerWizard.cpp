#include "wizards/frmServerWizard.h"

#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "session/Keyring.h"
#include "shell/FocusFrame.h"
#include "shell/Help.h"
#include "publish/SshKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace wobbin {

namespace {

template <class W>
W *Named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel *TextLabel(QWidget *parent, const char *name)
{
    auto *l = Named(new QLabel(parent), name);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

} // namespace

TfrmServerWizard::TfrmServerWizard(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmServerWizard"));
    setModal(true);
    UseProgramPalette(this);
    CentreOverParent(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    imgWizard = Named(new QLabel(this), "imgWizard");
    imgWizard->setPixmap(LoadBitmap(QStringLiteral("Wizard_Server")));
    imgWizard->setAlignment(Qt::AlignTop);
    imgWizard->setFixedWidth(150);

    pgcWizard = Named(new QStackedWidget(this), "pgcWizard");

    // Introduction and mode.
    tab1 = Named(new QWidget, "tab1");
    {
        auto *v = new QVBoxLayout(tab1);
        v->addWidget(lbl1 = TextLabel(tab1, "lbl1"));
        v->addWidget(lbl2 = TextLabel(tab1, "lbl2"));
        v->addWidget(lbl3 = TextLabel(tab1, "lbl3"));
        v->addSpacing(6);
        v->addWidget(RadioButton1 = Named(new QRadioButton(tab1), "RadioButton1"));
        v->addWidget(RadioButton2 = Named(new QRadioButton(tab1), "RadioButton2"));
        v->addWidget(RadioButton3 = Named(new QRadioButton(tab1), "RadioButton3"));
        v->addStretch();
    }
    // Provider.
    tabISP = Named(new QWidget, "tabISP");
    {
        auto *v = new QVBoxLayout(tabISP);
        v->addWidget(Label1 = TextLabel(tabISP, "Label1"));
        v->addWidget(Label2 = TextLabel(tabISP, "Label2"));
        v->addSpacing(6);
        v->addWidget(lblISP = TextLabel(tabISP, "lblISP"));
        v->addWidget(cmbServerType = Named(new QComboBox(tabISP), "cmbServerType"));
        v->addStretch();
        for (QWidget *w : {static_cast<QWidget *>(tabISP), static_cast<QWidget *>(lblISP),
                           static_cast<QWidget *>(Label1), static_cast<QWidget *>(Label2)}) {
            w->setProperty("Tag", kProviderHelp);
            w->installEventFilter(this);
        }
    }
    // Server details.
    tab2 = Named(new QWidget, "tab2");
    {
        auto *v = new QVBoxLayout(tab2);
        v->addWidget(lblName = TextLabel(tab2, "lblName"));
        v->addWidget(txtName = Named(new QLineEdit(tab2), "txtName"));
        v->addWidget(lblServer = TextLabel(tab2, "lblServer"));
        v->addWidget(txtAddress = Named(new QLineEdit(tab2), "txtAddress"));
        v->addWidget(lblLogin = TextLabel(tab2, "lblLogin"));
        v->addWidget(txtLogin = Named(new QLineEdit(tab2), "txtLogin"));
        v->addWidget(lblPassword = TextLabel(tab2, "lblPassword"));
        v->addWidget(txtPassword = Named(new QLineEdit(tab2), "txtPassword"));
        txtPassword->setEchoMode(QLineEdit::Password);
        v->addWidget(lblLogOnProblem = TextLabel(tab2, "lblLogOnProblem"));
        lblLogOnProblem->setStyleSheet(QStringLiteral("color: #b00000"));
        lblLogOnProblem->hide();
        v->addStretch();
        auto *h = new QHBoxLayout;
        h->addStretch();
        h->addWidget(butAdvanced = Named(new QPushButton(tab2), "butAdvanced"));
        v->addLayout(h);
    }
    // Advanced details.
    tab3 = Named(new QWidget, "tab3");
    {
        auto *v = new QVBoxLayout(tab3);
        // The kind of destination first: it decides which fields follow.
        auto *kindRow = new QHBoxLayout;
        kindRow->addWidget(lblProtocol = Named(new QLabel(tab3), "lblProtocol"));
        kindRow->addWidget(cmbProtocol = Named(new QComboBox(tab3), "cmbProtocol"), 1);
        lblProtocol->setBuddy(cmbProtocol);
        v->addLayout(kindRow);
        grpAdvanced = Named(new QGroupBox(tab3), "grpAdvanced");
        auto *g = new QVBoxLayout(grpAdvanced);
        g->addWidget(lblDir = TextLabel(grpAdvanced, "lblDir"));
        auto *dirRow = new QHBoxLayout;
        dirRow->addWidget(txtDirectory = Named(new QLineEdit(grpAdvanced), "txtDirectory"), 1);
        dirRow->addWidget(butBrowseFolder = Named(new QPushButton(grpAdvanced), "butBrowseFolder"));
        g->addLayout(dirRow);
        g->addWidget(lblURL = TextLabel(grpAdvanced, "lblURL"));
        g->addWidget(txtURL = Named(new QLineEdit(grpAdvanced), "txtURL"));
        g->addWidget(chkDir = Named(new QCheckBox(grpAdvanced), "chkDir"));
        v->addWidget(grpAdvanced);
        auto *h = new QHBoxLayout;
        h->addWidget(lblConnections = Named(new QLabel(tab3), "lblConnections"));
        h->addWidget(spnConnections = Named(new QSpinBox(tab3), "spnConnections"));
        h->addStretch(1);
        spnConnections->setRange(1, tWWWServerType::kMaxConnections);
        lblConnections->setBuddy(spnConnections);
        v->addLayout(h);
        h = new QHBoxLayout;
        h->addWidget(lblKeyFile = Named(new QLabel(tab3), "lblKeyFile"));
        h->addWidget(txtKeyFile = Named(new QLineEdit(tab3), "txtKeyFile"), 1);
        h->addWidget(butKeyFile = Named(new QPushButton(tab3), "butKeyFile"));
        lblKeyFile->setBuddy(txtKeyFile);
        v->addLayout(h);
        v->addStretch();
    }
    // Server list.
    tab4 = Named(new QWidget, "tab4");
    {
        auto *v = new QVBoxLayout(tab4);
        v->addWidget(lblModDesc = TextLabel(tab4, "lblModDesc"));
        v->addWidget(lblDelDesc = TextLabel(tab4, "lblDelDesc"));
        auto *h = new QHBoxLayout;
        h->addWidget(lstServers = Named(new QListWidget(tab4), "lstServers"), 1);
        auto *arrows = new QVBoxLayout;
        arrows->addWidget(spbUp = Named(new QToolButton(tab4), "spbUp"));
        arrows->addWidget(spbDown = Named(new QToolButton(tab4), "spbDown"));
        arrows->addStretch();
        arrows->addWidget(butDelete = Named(new QPushButton(tab4), "butDelete"));
        h->addLayout(arrows);
        v->addLayout(h, 1);
        v->addWidget(lblModify = TextLabel(tab4, "lblModify"));
        v->addWidget(lblDelete = TextLabel(tab4, "lblDelete"));
        spbUp->setIcon(QIcon(LoadBitmap(QStringLiteral("Arrow_Up"))));
        spbDown->setIcon(QIcon(LoadBitmap(QStringLiteral("Arrow_Down"))));
    }
    for (QWidget *page : {tab1, tabISP, tab2, tab3, tab4})
        pgcWizard->addWidget(page);

    butHelp = Named(new QPushButton(this), "butHelp");
    BackButt = Named(new QPushButton(this), "BackButt");
    NextButt = Named(new QPushButton(this), "NextButt");
    FinishButt = Named(new QPushButton(this), "FinishButt");
    CancelButt = Named(new QPushButton(this), "CancelButt");
    // Enter presses the button that has the focus, else the one that goes on:
    // Next, or Finish where Finish shows instead (see eventFilter).
    for (QPushButton *b : {butHelp, BackButt, NextButt, FinishButt, CancelButt, butAdvanced, butDelete, butKeyFile})
        b->setAutoDefault(true);
    for (QPushButton *b : {NextButt, FinishButt})
        b->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(imgWizard);
    top->addWidget(pgcWizard, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(butHelp);
    buttons->addStretch();
    buttons->addWidget(BackButt);
    buttons->addWidget(NextButt);
    buttons->addWidget(FinishButt);
    buttons->addSpacing(8);
    buttons->addWidget(CancelButt);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttons);

    popWhatsThis = Named(new QMenu(this), "popWhatsThis");
    QAction *whatsThis = popWhatsThis->addAction(LoadStr(Msg::WhatsThis));
    whatsThis->setObjectName(QStringLiteral("popMenWhatsThis"));
    connect(whatsThis, &QAction::triggered, this, [this] {
        THelp::ShowPopup(kProviderHelp, popWhatsThis->pos(), this);
    });

    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) { if (on) RadioButton1Click(); });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) { if (on) RadioButton2Click(); });
    connect(RadioButton3, &QRadioButton::toggled, this, [this](bool on) { if (on) RadioButton3Click(); });
    connect(NextButt, &QPushButton::clicked, this, &TfrmServerWizard::NextButtClick);
    connect(BackButt, &QPushButton::clicked, this, &TfrmServerWizard::BackButtClick);
    connect(FinishButt, &QPushButton::clicked, this, &TfrmServerWizard::FinishButtClick);
    connect(CancelButt, &QPushButton::clicked, this, &TfrmServerWizard::CancelButtClick);
    connect(butHelp, &QPushButton::clicked, this, &TfrmServerWizard::butHelpClick);
    connect(butAdvanced, &QPushButton::clicked, this, &TfrmServerWizard::butAdvancedClick);
    connect(butDelete, &QPushButton::clicked, this, &TfrmServerWizard::butDeleteClick);
    connect(butBrowseFolder, &QPushButton::clicked, this, &TfrmServerWizard::butBrowseFolderClick);
    connect(spbUp, &QToolButton::clicked, this, [this] { spbMoveClick(-1); });
    connect(spbDown, &QToolButton::clicked, this, [this] { spbMoveClick(+1); });
    connect(lstServers, &QListWidget::currentRowChanged, this, &TfrmServerWizard::lstServersClick);
    connect(lstServers, &QListWidget::itemDoubleClicked, this, &TfrmServerWizard::lstServersDblClick);
    connect(cmbServerType, &QComboBox::activated, this, &TfrmServerWizard::cmbServerTypeChange);
    connect(cmbProtocol, &QComboBox::activated, this, &TfrmServerWizard::cmbProtocolChange);
    connect(spnConnections, &QSpinBox::valueChanged, this, &TfrmServerWizard::spnConnectionsChange);
    connect(txtKeyFile, &QLineEdit::textChanged, this, &TfrmServerWizard::txtKeyFileChange);
    connect(butKeyFile, &QPushButton::clicked, this, &TfrmServerWizard::butKeyFileClick);
    connect(txtName, &QLineEdit::textChanged, this, [this] { txtFieldChange(txtName, &tWWWServerType::Name); });
    connect(txtAddress, &QLineEdit::textChanged, this,
            [this] { txtFieldChange(txtAddress, &tWWWServerType::Address); });
    connect(txtLogin, &QLineEdit::textChanged, this, &TfrmServerWizard::txtLoginChange);
    connect(txtPassword, &QLineEdit::textChanged, this, &TfrmServerWizard::txtPasswordChange);
    connect(txtDirectory, &QLineEdit::textChanged, this, [this] {
        txtFieldChange(txtDirectory, &tWWWServerType::Directory, &tWWWServerType::ExtendedA);
    });
    connect(txtURL, &QLineEdit::textChanged, this,
            [this] { txtFieldChange(txtURL, &tWWWServerType::URL, &tWWWServerType::ExtendedB); });
    connect(chkDir, &QCheckBox::toggled, this, &TfrmServerWizard::chkDirClick);

    FormCreate();
    resize(560, 360);
    // The wizard opens with the focus, shown, on its first choice.
    new TFocusFrame(this);
    setAttribute(Qt::WA_KeyboardFocusChange);
    RadioButton1->setFocus(Qt::TabFocusReason);
}

TfrmServerWizard::~TfrmServerWizard() = default;

void TfrmServerWizard::FormCreate()
{
    setWindowTitle(LoadStr(Msg::ServerWizardTitle));
    QFont f(LoadStr(Msg::DefaultFontName));
    f.setPointSize(9);
    setFont(f);
    lbl1->setText(LoadStr(Msg::ServerWizardIntro));
    lbl2->setText(LoadStr(Msg::ServerWizardExplains));
    lbl3->setText(LoadStr(Msg::ServerWizardHelpHint));
    RadioButton1->setText(LoadStr(Msg::AddServer));
    RadioButton2->setText(LoadStr(Msg::ModifyServer));
    RadioButton3->setText(LoadStr(Msg::DeleteServer));
    lblName->setText(LoadStr(Msg::EnterServerDescription));
    lblServer->setText(LoadStr(Msg::EnterServerAddress));
    lblLogin->setText(LoadStr(Msg::EnterLoginName));
    lblPassword->setText(LoadStr(Msg::EnterPassword));
    lblISP->setText(LoadStr(Msg::SelectProvider));
    grpAdvanced->setTitle(LoadStr(Msg::AdvancedServerDetails));
    lblDir->setText(LoadStr(Msg::EnterServerFolder));
    lblURL->setText(LoadStr(Msg::FullSiteAddress));
    lblModDesc->setText(LoadStr(Msg::EditServerHint));
    lblDelDesc->setText(LoadStr(Msg::DeleteServerHint));
    lblDelete->setText(LoadStr(Msg::FinishReturns));
    lblModify->setText(LoadStr(Msg::ModifyServerAddressHint));
    Label1->setText(LoadStr(Msg::ProvidersPreconfigured));
    Label2->setText(LoadStr(Msg::ProviderNotListed));
    butAdvanced->setText(LoadStr(Msg::ButtonAdvanced));
    butDelete->setText(LoadStr(Msg::ButtonDelete));
    butHelp->setText(LoadStr(Msg::ButtonHelp));
    NextButt->setText(LoadStr(Msg::ButtonNext));
    BackButt->setText(LoadStr(Msg::ButtonBack));
    CancelButt->setText(LoadStr(Msg::ButtonCancel));
    FinishButt->setText(LoadStr(Msg::ButtonFinish));
    chkDir->setText(LoadStr(Msg::DontCreateFolders));
    lblProtocol->setText(LoadStr(Msg::TransferProtocol));
    for (const auto &[kind, text] : {std::pair{TTransferProtocol::FTP, 637}, std::pair{TTransferProtocol::FTPS, 638},
                                     std::pair{TTransferProtocol::SFTP, 639}, std::pair{TTransferProtocol::WebDAV, 681},
                                     std::pair{TTransferProtocol::WebDAVS, 682}, std::pair{TTransferProtocol::Folder, 670}})
        cmbProtocol->addItem(LoadStr(text), int(kind));
    butBrowseFolder->setText(LoadStr(Msg::FolderBrowse));
    lblConnections->setText(LoadStr(Msg::FilesAtOnce));
    spnConnections->setToolTip(LoadStr(Msg::FilesAtOnceHint));
    spnConnections->setWhatsThis(LoadStr(Msg::FilesAtOnceHint));
    lblKeyFile->setText(LoadStr(Msg::SshKeyFile));
    butKeyFile->setText(LoadStr(Msg::KeyFileBrowse));
    txtKeyFile->setToolTip(LoadStr(Msg::SshKeyFileHint));
    txtKeyFile->setWhatsThis(LoadStr(Msg::SshKeyFileHint));
    txtKeyFile->setPlaceholderText(LoadStr(Msg::UsualKeys));

    m_state.NewServer();
    m_state.WizardMode = TServerWizardState::Add;
    RadioButton1->setChecked(true);
    ShowPage(tab1);
    BackButt->setEnabled(false);
    FinishButt->hide();
    for (QLabel *l : {lblModDesc, lblModify, lblDelDesc, lblDelete})
        l->hide();

    FieldsLoading = true;
    LoadWWWList();
    cmbServerType->addItem(CommonName());
    for (const ISPDetails &p : ISPList())
        cmbServerType->addItem(p.Name);
    m_state.AdvancedVisited = false;
    m_state.ListChanged = false;
    cmbServerType->setCurrentIndex(0);
    ShowProtocol();
    FieldsLoading = false;
    NameFields();
}

// ---- server details --------------------------------------------------------------

// A login name or password holding a control character is told on the
// details page itself, and keeps the wizard there until it is typed again.
bool TfrmServerWizard::LogOnProblem()
{
    const int problem = TServerWizardState::CheckLogOn(txtLogin->text(), txtPassword->text());
    lblLogOnProblem->setText(problem ? LoadStr(problem) : QString());
    lblLogOnProblem->setVisible(problem != 0);
    if (problem && CurrentPage() == tab2)
        (problem == 640 ? txtLogin : txtPassword)->setFocus();
    return problem != 0;
}

QString TfrmServerWizard::BuildURL() const
{
    const int pos = cmbServerType->currentIndex();
    const ISPDetails *p = pos > 0 && pos - 1 < ISPList().size() ? &ISPList().at(pos - 1) : nullptr;
    return wobbin::BuildURL(m_state.Current(), p, txtLogin->text(), txtDirectory->text(), txtURL->text());
}

void TfrmServerWizard::butAdvancedClick()
{
    // The Advanced page says what kind of destination this is: only the
    // description is needed to go there; Finish checks the kind's fields.
    if (LogOnProblem())
        return;
    if (txtName->text().isEmpty()) {
        MsgBox(this, LoadStr(Msg::EnterValidDescription), QMessageBox::Information);
        return;
    }
    grpAdvanced->setEnabled(true);
    tWWWServerType &cur = m_state.Current();
    const bool add = m_state.WizardMode == TServerWizardState::Add;
    if (ProviderIsCommon()) {
        const bool folder = cur.TransferProtocol() == TTransferProtocol::Folder;
        if (txtURL->text().isEmpty() && add && !txtAddress->text().isEmpty() && !folder)
            txtURL->setText(BuildURL());
        txtDirectory->setText(!cur.Directory.isEmpty() || !add || folder ? cur.Directory : QStringLiteral("public_html"));
        chkDir->setChecked(cur.FlatDir);
    } else {
        const ISPDetails *p = m_state.Provider();
        if (!ProviderTextIsGeoCities()) {
            grpAdvanced->setEnabled(false);
            txtDirectory->setText(p ? p->Directory : QString());
            txtURL->setText(BuildURL());
        } else {
            const QString neighbourhood = cur.ExtendedA, number = cur.ExtendedB;
            txtDirectory->setText(neighbourhood);
            txtURL->setText(number);
        }
        chkDir->setChecked(p ? !p->CreateDir : false);
    }
    ShowProtocol();
    ShowPage(tab3);
    m_state.AdvancedVisited = true;
}

void TfrmServerWizard::cmbServerTypeChange()
{
    if (ProviderIsCommon()) {
        grpAdvanced->setEnabled(true);
        const QString dir = m_state.Current().Directory;
        txtDirectory->setText(dir.isEmpty() ? QStringLiteral("public_html") : dir);
    } else {
        grpAdvanced->setEnabled(false);
    }
}

void TfrmServerWizard::txtLoginChange()
{
    LogOnProblem();
    txtFieldChange(txtLogin, &tWWWServerType::UserName);
}

void TfrmServerWizard::txtPasswordChange()
{
    LogOnProblem();
    if (FieldsLoading)
        return;
    m_state.Current().Password = txtPassword->text();
    m_state.Current().PasswordKnown = true;
    m_state.ListChanged = true;
}

// A field holding a text of the server's record. A GeoCities provider reads
// the folder and web-address fields as the neighbourhood and the number
// (geoField) instead, which is no change of the list.
void TfrmServerWizard::txtFieldChange(const QLineEdit *edit, QString tWWWServerType::*field,
                                      QString tWWWServerType::*geoField)
{
    if (FieldsLoading)
        return;
    if (geoField && ProviderTextIsGeoCities()) {
        m_state.Current().*geoField = edit->text();
    } else {
        m_state.Current().*field = edit->text();
        m_state.ListChanged = true;
    }
}

void TfrmServerWizard::chkDirClick()
{
    if (FieldsLoading)
        return;
    m_state.Current().FlatDir = chkDir->isChecked();
    m_state.ListChanged = true;
}

void TfrmServerWizard::ShowProtocol()
{
    const bool loading = FieldsLoading;
    FieldsLoading = true;
    const TTransferProtocol kind = m_state.Current().TransferProtocol();
    int at = cmbProtocol->findData(int(kind));
    if (at < 0) {
        // Not one of the kinds offered: shown as it is stored, and kept so.
        cmbProtocol->addItem(ProtocolName(kind), int(kind));
        at = cmbProtocol->count() - 1;
    }
    cmbProtocol->setCurrentIndex(at);
    spnConnections->setValue(m_state.Current().Connections);
    txtKeyFile->setText(m_state.Current().KeyFile);
    FieldsLoading = loading;
    ShowKindFields();
}

void TfrmServerWizard::ShowKeyFileField()
{
    const bool sftp = m_state.Current().TransferProtocol() == TTransferProtocol::SFTP;
    for (QWidget *w : {static_cast<QWidget *>(lblKeyFile), static_cast<QWidget *>(txtKeyFile), static_cast<QWidget *>(butKeyFile)})
        w->setVisible(sftp);
}

void TfrmServerWizard::txtKeyFileChange()
{
    if (FieldsLoading)
        return;
    m_state.Current().KeyFile = txtKeyFile->text().trimmed();
    m_state.ListChanged = true;
}

void TfrmServerWizard::butKeyFileClick()
{
    const QString current = KeyFilePath(txtKeyFile->text());
    const QString folder = current.isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh") : QFileInfo(current).absolutePath();
    const FileDialogResult chosen = OpenFileDialog(this, LoadStr(Msg::ChooseSshKeyFile), folder, QFileInfo(current).fileName(), LoadStr(Msg::AllFilesFilter));
    if (chosen.Chosen)
        txtKeyFile->setText(chosen.FileName); // txtKeyFileChange keeps it
}

void TfrmServerWizard::cmbProtocolChange()
{
    if (FieldsLoading)
        return;
    const auto protocol = static_cast<TTransferProtocol>(cmbProtocol->currentData().toInt());
    if (protocol == m_state.Current().TransferProtocol())
        return;
    m_state.Current().SetTransferProtocol(protocol);
    m_state.ListChanged = true;
    // A server's folder ("public_html") is no folder of this computer.
    if (protocol == TTransferProtocol::Folder && !QDir::isAbsolutePath(txtDirectory->text()))
        txtDirectory->clear();
    ShowKindFields();
}

void TfrmServerWizard::ShowKindFields()
{
    const TTransferProtocol kind = m_state.Current().TransferProtocol();
    const bool folder = kind == TTransferProtocol::Folder;
    for (QWidget *w : {static_cast<QWidget *>(lblServer), static_cast<QWidget *>(txtAddress),
                       static_cast<QWidget *>(lblLogin), static_cast<QWidget *>(txtLogin),
                       static_cast<QWidget *>(lblPassword), static_cast<QWidget *>(txtPassword),
                       static_cast<QWidget *>(lblConnections), static_cast<QWidget *>(spnConnections)})
        w->setVisible(!folder);
    butBrowseFolder->setVisible(folder);
    if (folder)
        lblDir->setText(LoadStr(Msg::FolderToPublishInto));
    else
        lblDir->setText(ProviderTextIsGeoCities() ? LoadStr(Msg::EnterGeoNeighbourhood) : LoadStr(Msg::EnterServerFolder));
    txtDirectory->setToolTip(folder ? LoadStr(Msg::FolderDestinationHint) : QString());
    txtDirectory->setWhatsThis(folder ? LoadStr(Msg::FolderDestinationHint) : QString());
    ShowKeyFileField();
    NameFields();
}

void TfrmServerWizard::butBrowseFolderClick()
{
    const QString now = txtDirectory->text().trimmed();
    const FileDialogResult r = FolderDialog(this, LoadStr(Msg::ChooseFolderToPublishInto), QDir::isAbsolutePath(now) ? now : QDir::homePath());
    if (r.Chosen && !r.FileName.isEmpty())
        txtDirectory->setText(r.FileName);
    txtDirectory->setFocus();
}

int TfrmServerWizard::KindFieldsProblem() const
{
    const bool login = txtLogin->isEnabled();
    return TServerWizardState::CheckKindFields(m_state.Current().TransferProtocol(), m_state.AdvancedVisited,
                                               txtAddress->text(), login ? txtLogin->text() : QStringLiteral("-"),
                                               txtDirectory->text());
}

void TfrmServerWizard::spnConnectionsChange(int connections)
{
    if (FieldsLoading || connections == m_state.Current().Connections)
        return;
    m_state.Current().Connections = connections;
    // A number chosen by hand is tried afresh, whatever the server took before.
    m_state.Current().ConnectionsAllowed = 0;
    m_state.ListChanged = true;
}

} // namespace wobbin
