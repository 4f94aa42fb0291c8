// The server list wizard driven as its user would: adding Common, provider and
// GeoCities servers, modifying, reordering and deleting, Finish with Yes, No
// and Cancel, the checks of the fields and the description, and its help.
#include "settings/AppPaths.h"
#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/PasswordVault.h"
#include "publish/ServerWizard.h"
#include "wizards/frmServerWizard.h"
#include "shell/Help.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QSpinBox>
#include <QDir>
#include <QtTest>

#include <memory>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace wobbin;

namespace {

tWWWServerType Server(const QString &name)
{
    tWWWServerType r;
    r.Name = name;
    r.Address = QStringLiteral("ftp.") + name.toLower().remove(' ') + QStringLiteral(".example");
    r.Directory = QStringLiteral("www");
    r.UserName = QStringLiteral("user");
    r.Password = QStringLiteral("pw-") + name;
    r.URL = QStringLiteral("http://") + name.toLower().remove(' ') + QStringLiteral(".example/");
    return r;
}

QStringList Names(const TServerList &list)
{
    QStringList out;
    for (const auto &r : list)
        out << r.Name;
    return out;
}

} // namespace

class TestServerWizard : public QObject
{
    Q_OBJECT
    std::unique_ptr<TfrmServerWizard> m_wizard;

    template <class T>
    T *W(const char *name)
    {
        T *w = m_wizard->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString Page() { return W<QStackedWidget>("pgcWizard")->currentWidget()->objectName(); }

    void Open()
    {
        m_wizard = std::make_unique<TfrmServerWizard>();
        m_wizard->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_wizard.get()));
    }
    // Add from the introduction, with the provider (Common when none), on to
    // the server details.
    void OpenDetails(const QString &provider = QString())
    {
        Open();
        Click("NextButt");
        if (!provider.isEmpty())
            Choose("cmbServerType", provider);
        Click("NextButt");
    }
    void Click(const char *button)
    {
        QWidget *b = W<QWidget>(button);
        QVERIFY2(b->isVisible() && b->isEnabled(), button);
        // Check boxes and radio buttons take clicks on their mark and text only.
        const bool marked = qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, marked ? QPoint(8, b->height() / 2) : b->rect().center());
    }
    void Type(const char *field, const QString &text)
    {
        auto *e = W<QLineEdit>(field);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    // Chooses an entry of a drop-down list with the keyboard.
    void Choose(const char *combo, const QString &text)
    {
        auto *c = W<QComboBox>(combo);
        const int target = c->findText(text);
        QVERIFY2(target >= 0, qPrintable(text));
        c->setFocus();
        while (c->currentIndex() != target)
            QTest::keyClick(c, c->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }
    void ClickRow(int row, bool twice = false)
    {
        auto *l = W<QListWidget>("lstServers");
        const QPoint at = l->visualItemRect(l->item(row)).center();
        // A double click is a click followed by the second press, seen as a double click.
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList ListBox()
    {
        QStringList out;
        auto *l = W<QListWidget>("lstServers");
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }
    void SaveList(const TServerList &list)
    {
        ServerList() = list;
        QVERIFY(SaveServerList().ok());
    }

private Q_SLOTS:
    void initTestCase()
    {
        SetAppDir(QStringLiteral(WOBBIN_SOURCE_DIR "/data"));
        THelp::SetHelpFolder(QStringLiteral(WOBBIN_SOURCE_DIR "/data/Help"));
        SetPasswordVault(nullptr);
    }

    void init()
    {
        TDialogs::ClearPresets();
        TDialogs::SetNonInteractive(true);
        SettingsStore().DeleteProgramKey();
        LoadServerList();
    }

    void cleanup()
    {
        m_wizard.reset();
        QCOMPARE(TDialogs::PendingPresets(), 0);
    }

    void startsOnTheIntroduction()
    {
        Open();
        QCOMPARE(m_wizard->windowTitle(), LoadStr(Msg::ServerWizardTitle));
        QCOMPARE(Page(), QStringLiteral("tab1"));
        QVERIFY(W<QRadioButton>("RadioButton1")->isChecked());
        QVERIFY(!W<QPushButton>("BackButt")->isEnabled());
        QVERIFY(!W<QPushButton>("FinishButt")->isVisible());
        QCOMPARE(W<QLabel>("lbl2")->text(), LoadStr(Msg::ServerWizardExplains));
        QVERIFY(W<QLabel>("lbl2")->text().contains("'Logon'"));
        QCOMPARE(W<QPushButton>("NextButt")->text(), QStringLiteral("Next >&>"));
        auto *providers = W<QComboBox>("cmbServerType");
        QCOMPARE(providers->itemText(0), LoadStr(Msg::ProviderCommon));
        QCOMPARE(providers->count(), 1 + ISPList().size());
    }

    void addCommonServerWithAdvancedPage()
    {
        Open();
        Click("NextButt");
        QCOMPARE(Page(), QStringLiteral("tabISP"));
        QVERIFY(W<QPushButton>("BackButt")->isEnabled());
        Click("NextButt");
        QCOMPARE(Page(), QStringLiteral("tab2"));
        QVERIFY(W<QPushButton>("FinishButt")->isVisible());
        QVERIFY(!W<QPushButton>("NextButt")->isVisible());

        // Advanced needs the description (its page says what kind of
        // destination this is); Finish then checks the server's fields in order.
        Click("butAdvanced");
        Type("txtName", QStringLiteral("My Web Server"));
        Click("butAdvanced");
        QCOMPARE(Page(), QStringLiteral("tab3"));
        Click("FinishButt");
        QCOMPARE(Page(), QStringLiteral("tab2"));
        Type("txtAddress", QStringLiteral("ftp.home.example:2121"));
        Click("FinishButt");
        QCOMPARE(TDialogs::ShownMessages(), (QStringList{LoadStr(Msg::EnterValidDescription), LoadStr(Msg::EnterValidAddress), LoadStr(Msg::EnterValidLogin)}));
        QCOMPARE(Page(), QStringLiteral("tab2"));
        QCOMPARE(QApplication::focusWidget(), W<QWidget>("txtLogin"));
        Type("txtLogin", QStringLiteral("bob"));
        Type("txtPassword", QStringLiteral("p@ss, word"));
        Click("butAdvanced");
        QCOMPARE(Page(), QStringLiteral("tab3"));
        QVERIFY(W<QGroupBox>("grpAdvanced")->isEnabled());
        QCOMPARE(W<QLineEdit>("txtURL")->text(), QStringLiteral("http://ftp.home.example/~bob/"));
        QCOMPARE(W<QLineEdit>("txtDirectory")->text(), QStringLiteral("public_html"));
        Type("txtDirectory", QStringLiteral("htdocs"));
        Click("chkDir");
        Choose("cmbProtocol", LoadStr(Msg::ProtocolFtps));
        // Files sent at once: 4 unless chosen, 8 at most.
        auto *spin = W<QSpinBox>("spnConnections");
        QCOMPARE(spin->value(), 4);
        spin->setFocus();
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(spin, Qt::Key_Up);

        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::SaveServerListQuestion));
        QVERIFY(!m_wizard->isVisible());
        QVERIFY(m_wizard->Saved());
        QCOMPARE(ServerList().size(), 1);
        const tWWWServerType &r = ServerList().at(0);
        QCOMPARE(r.Name, QStringLiteral("My Web Server"));
        QCOMPARE(r.Host(), QStringLiteral("ftp.home.example"));
        QCOMPARE(r.Port(), 2121);
        QCOMPARE(r.UserName, QStringLiteral("bob"));
        QCOMPARE(r.Password, QStringLiteral("p@ss, word"));
        QCOMPARE(r.Directory, QStringLiteral("htdocs"));
        QCOMPARE(r.URL, QStringLiteral("http://ftp.home.example/~bob/"));
        QVERIFY(r.FlatDir);
        QCOMPARE(r.TransferProtocol(), TTransferProtocol::FTPS);
        QCOMPARE(r.ISP, QString());
        // And in the settings.
        const tWWWServerType stored = ReadServer(QStringLiteral("My Web Server"));
        QCOMPARE(stored.URL, r.URL);
        QCOMPARE(stored.Protocol, QStringLiteral("FTPS"));
        QCOMPARE(stored.Connections, 8);
    }

    // The key file's field is there for SFTP only; Browse fills it through
    // the file dialog, and the server keeps it.
    void keyFileForSftpOnly()
    {
        OpenDetails();
        Type("txtName", QStringLiteral("Keyed"));
        Type("txtAddress", QStringLiteral("sftp.home.example"));
        Type("txtLogin", QStringLiteral("bob"));
        Click("butAdvanced");
        QVERIFY(!W<QLineEdit>("txtKeyFile")->isVisible());
        Choose("cmbProtocol", LoadStr(Msg::ProtocolSftp));
        QVERIFY(W<QLineEdit>("txtKeyFile")->isVisible());
        TDialogs::PresetFile(QStringLiteral("/home/bob/.ssh/site_key"));
        Click("butKeyFile");
        Choose("cmbProtocol", LoadStr(Msg::ProtocolFtp));
        QVERIFY(!W<QPushButton>("butKeyFile")->isVisible());
        Choose("cmbProtocol", LoadStr(Msg::ProtocolSftp));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QVERIFY(m_wizard->Saved());
        QCOMPARE(ReadServer(QStringLiteral("Keyed")).KeyFile, QStringLiteral("/home/bob/.ssh/site_key"));
    }

    // A web folder over HTTPS: address, login, password, folder and files at
    // once as for FTP, no key file; kept as "WebDAVS".
    void addWebDavDestination()
    {
        OpenDetails();
        Type("txtName", QStringLiteral("Web disk"));
        Type("txtAddress", QStringLiteral("dav.home.example:8443"));
        Type("txtLogin", QStringLiteral("bob"));
        Click("butAdvanced");
        Choose("cmbProtocol", LoadStr(Msg::ProtocolWebDavs));
        QVERIFY(!W<QLineEdit>("txtKeyFile")->isVisible());
        QVERIFY(!W<QPushButton>("butBrowseFolder")->isVisible());
        QVERIFY(W<QSpinBox>("spnConnections")->isVisible());
        Type("txtDirectory", QStringLiteral("remote.php/dav/files/bob/site"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QVERIFY(m_wizard->Saved());
        const tWWWServerType stored = ReadServer(QStringLiteral("Web disk"));
        QCOMPARE(stored.Protocol, QStringLiteral("WebDAVS"));
        QCOMPARE(stored.Address, QStringLiteral("dav.home.example:8443"));
        QCOMPARE(stored.Directory, QStringLiteral("remote.php/dav/files/bob/site"));
    }

    // A folder: its path (typed in full, or browsed to), no address, login or password.
    void addFolderDestination()
    {
        OpenDetails();
        Type("txtName", QStringLiteral("USB stick"));
        Click("butAdvanced");
        Choose("cmbProtocol", LoadStr(Msg::ProtocolFolder));
        QVERIFY(W<QPushButton>("butBrowseFolder")->isVisible());
        QVERIFY(!W<QSpinBox>("spnConnections")->isVisible());
        QCOMPARE(W<QLabel>("lblDir")->text(), LoadStr(Msg::FolderToPublishInto));
        QCOMPARE(W<QLineEdit>("txtDirectory")->text(), QString());  // not the server's "public_html"
        Type("txtDirectory", QStringLiteral("site"));
        Click("FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::FolderNeedsFullPath).arg(QStringLiteral("site")));
        QCOMPARE(Page(), QStringLiteral("tab3"));
        const QString folder = QDir::tempPath() + QStringLiteral("/stick site");
        TDialogs::PresetFile(folder);
        Click("butBrowseFolder");
        QCOMPARE(W<QLineEdit>("txtDirectory")->text(), folder);
        Click("BackButt");
        for (const char *hidden : {"txtAddress", "txtLogin", "txtPassword", "lblServer"})
            QVERIFY2(!W<QWidget>(hidden)->isVisible(), hidden);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QVERIFY(m_wizard->Saved());
        const tWWWServerType stored = ReadServer(QStringLiteral("USB stick"));
        QCOMPARE(stored.Protocol, QStringLiteral("Folder"));
        QCOMPARE(stored.Directory, folder);
        QCOMPARE(stored.Address, QString());
    }

    // Enter goes on (Next, Finish on the last page) from wherever the focus
    // is, shown on the first choice at start. A Common server keeps its
    // upload folder also when the way there went back once; the save
    // question has the list's own caption.
    void keyboardAlongTheWizard()
    {
        Open();
        m_wizard->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_wizard.get()));
        const auto enter = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
        QCOMPARE(QApplication::focusWidget(), W<QWidget>("RadioButton1"));
        enter();
        QCOMPARE(Page(), QStringLiteral("tabISP"));
        Click("BackButt");
        enter();
        enter();
        QCOMPARE(Page(), QStringLiteral("tab2"));
        QCOMPARE(QApplication::focusWidget(), W<QWidget>("txtName"));
        Type("txtName", QStringLiteral("Home"));
        Type("txtAddress", QStringLiteral("ftp.home.example"));
        Type("txtLogin", QStringLiteral("bob"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        enter();
        QVERIFY(m_wizard->Saved());
        QCOMPARE(TDialogs::LastCaption(), LoadStr(Msg::ServerListChanged));
        QCOMPARE(ServerList().size(), 1);
        QCOMPARE(ServerList().at(0).Directory, QStringLiteral("public_html"));
    }

    void modifyNeedsAServerChosen()
    {
        ServerList() = {Server(QStringLiteral("Home"))};
        Open();
        Click("RadioButton2");
        Click("NextButt");
        QCOMPARE(Page(), QStringLiteral("tab4"));
        QTest::keyClick(W<QWidget>("lstServers"), Qt::Key_Return);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::SelectServerToEdit));
        QCOMPARE(Page(), QStringLiteral("tab4"));
        QCOMPARE(QApplication::focusWidget(), W<QWidget>("lstServers"));
    }

    void addProviderServerWithoutAdvancedPage()
    {
        Open();
        Click("NextButt");
        Choose("cmbServerType", QStringLiteral("Harbourline Online"));
        QVERIFY(!W<QGroupBox>("grpAdvanced")->isEnabled());
        Click("NextButt");
        QCOMPARE(W<QLineEdit>("txtName")->text(), QStringLiteral("Harbourline Online"));
        QCOMPARE(W<QLineEdit>("txtAddress")->text(), QStringLiteral("ftp.harbourline.example"));
        QVERIFY(W<QLineEdit>("txtAddress")->isReadOnly());
        QCOMPARE(W<QLabel>("lblLogin")->text(), LoadStr(Msg::EnterLoginName));
        Type("txtLogin", QStringLiteral("ann"));
        Type("txtPassword", QStringLiteral("x"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(ServerList().size(), 1);
        const tWWWServerType &r = ServerList().at(0);
        QCOMPARE(r.ISP, QStringLiteral("Harbourline Online"));
        QCOMPARE(r.URL, QStringLiteral("http://ann.harbourline.example/"));
        QCOMPARE(r.Directory, QStringLiteral("www"));
        QVERIFY(r.FlatDir);  // the provider wants no folders created
        QCOMPARE(r.Password, QStringLiteral("x"));
    }

    void providerWithoutLogin()
    {
        OpenDetails(QStringLiteral("Lantern Free Pages"));
        QVERIFY(!W<QLineEdit>("txtLogin")->isEnabled());
        QVERIFY(!W<QLineEdit>("txtPassword")->isEnabled());
        QVERIFY(!W<QLabel>("lblLogin")->isEnabled());
        // No login is asked for where the provider needs none.
        Click("butAdvanced");
        QCOMPARE(Page(), QStringLiteral("tab3"));
        QVERIFY(!W<QGroupBox>("grpAdvanced")->isEnabled());
        QCOMPARE(W<QLineEdit>("txtDirectory")->text(), QStringLiteral("incoming"));
        QCOMPARE(W<QLineEdit>("txtURL")->text(), QStringLiteral("http://pages.lantern.example/guests/"));
        QVERIFY(W<QCheckBox>("chkDir")->isChecked());
        Click("BackButt");
        QCOMPARE(Page(), QStringLiteral("tab2"));
        QVERIFY(W<QPushButton>("FinishButt")->isVisible());
        Click("CancelButt");
        QVERIFY(!m_wizard->isVisible());
        QVERIFY(ServerList().isEmpty());
        QVERIFY(!m_wizard->Saved());
    }

    void addGeoCitiesServer()
    {
        OpenDetails(QStringLiteral("GeoCities"));
        QCOMPARE(W<QLabel>("lblLogin")->text(), LoadStr(Msg::EnterGeoMemberName));
        QCOMPARE(W<QLabel>("lblPassword")->text(), LoadStr(Msg::EnterGeoPassword));
        QCOMPARE(W<QLabel>("lblDir")->text(), LoadStr(Msg::EnterGeoNeighbourhood));
        QCOMPARE(W<QLabel>("lblURL")->text(), LoadStr(Msg::EnterGeoAddress));
        Type("txtLogin", QStringLiteral("member"));
        Type("txtPassword", QStringLiteral("geo"));
        Click("butAdvanced");
        QVERIFY(W<QGroupBox>("grpAdvanced")->isEnabled());
        QCOMPARE(W<QLineEdit>("txtDirectory")->text(), QString());
        Type("txtDirectory", QStringLiteral("SoHo/Studios"));
        Type("txtURL", QStringLiteral("2564"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(ServerList().size(), 1);
        const tWWWServerType &r = ServerList().at(0);
        QCOMPARE(r.ISP, QStringLiteral("GeoCities"));
        QCOMPARE(r.ExtendedA, QStringLiteral("SoHo/Studios"));
        QCOMPARE(r.ExtendedB, QStringLiteral("2564"));
        QCOMPARE(r.URL, QStringLiteral("http://www.geocities.example/SoHo/Studios/2564/"));
        QCOMPARE(r.Directory, QString());
        QCOMPARE(r.UserName, QStringLiteral("member"));

        // Another provider afterwards shows the usual labels again.
        OpenDetails(QStringLiteral("Kestrel Net"));
        QCOMPARE(W<QLabel>("lblLogin")->text(), LoadStr(Msg::EnterLoginName));
        QCOMPARE(W<QLabel>("lblDir")->text(), LoadStr(Msg::EnterServerFolder));
        Click("CancelButt");
    }

    void modifyAServer()
    {
        tWWWServerType b = Server("Beta");
        b.ISP = QStringLiteral("Kestrel Net");
        SaveList({Server("Alpha"), b});
        LoadServerList();
        Open();
        Click("RadioButton2");
        Click("NextButt");
        QCOMPARE(Page(), QStringLiteral("tab4"));
        QVERIFY(W<QLabel>("lblModify")->isVisible());
        QVERIFY(W<QLabel>("lblModDesc")->isVisible());
        QVERIFY(!W<QPushButton>("butDelete")->isVisible());
        QCOMPARE(ListBox(), (QStringList{"Alpha", "Beta"}));
        // Next needs a server chosen.
        Click("NextButt");
        QCOMPARE(Page(), QStringLiteral("tab4"));
        // A double click is Next; the provider of the record is selected.
        ClickRow(1, true);
        QCOMPARE(Page(), QStringLiteral("tabISP"));
        QCOMPARE(W<QComboBox>("cmbServerType")->currentText(), QStringLiteral("Kestrel Net"));
        // Switched to Common: the server belongs to no provider any more.
        Choose("cmbServerType", LoadStr(Msg::ProviderCommon));
        Click("NextButt");
        QCOMPARE(W<QLineEdit>("txtName")->text(), QStringLiteral("Beta"));
        QCOMPARE(W<QLineEdit>("txtAddress")->text(), QStringLiteral("ftp.beta.example"));
        QCOMPARE(W<QLineEdit>("txtPassword")->text(), QStringLiteral("pw-Beta"));
        Type("txtAddress", QStringLiteral("ftp.new.example"));
        Type("txtName", QStringLiteral("Beta moved"));
        // Back on the list the new description shows; Next goes on with the same server.
        Click("BackButt");
        Click("BackButt");
        QCOMPARE(Page(), QStringLiteral("tab4"));
        QCOMPARE(ListBox(), (QStringList{"Alpha", "Beta moved"}));
        Click("NextButt");
        Click("NextButt");
        QCOMPARE(W<QLineEdit>("txtName")->text(), QStringLiteral("Beta moved"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(Names(ServerList()), (QStringList{"Alpha", "Beta moved"}));
        QCOMPARE(ServerList().at(1).Address, QStringLiteral("ftp.new.example"));
        QCOMPARE(ServerList().at(1).ISP, QString());
        QCOMPARE(ServerList().at(1).Password, QStringLiteral("pw-Beta"));
        QCOMPARE(GetServerNames(), (QStringList{"Alpha", "Beta moved"}));
    }

    void finishWithoutChangesAsksNothing()
    {
        SaveList({Server("Alpha")});
        LoadServerList();
        Open();
        Click("RadioButton2");
        Click("NextButt");
        ClickRow(0);
        Click("NextButt");
        Click("NextButt");
        Click("FinishButt");
        QVERIFY(TDialogs::ShownMessages().isEmpty());
        QVERIFY(!m_wizard->isVisible());
        QVERIFY(!m_wizard->Saved());
    }

    void reorderDeleteAndFinishWithCancelThenNo()
    {
        SaveList({Server("One"), Server("Two"), Server("Three")});
        LoadServerList();
        Open();
        Click("RadioButton3");
        Click("NextButt");
        QCOMPARE(Page(), QStringLiteral("tab4"));
        QVERIFY(W<QPushButton>("FinishButt")->isVisible());
        QVERIFY(W<QLabel>("lblDelete")->isVisible());
        QVERIFY(W<QLabel>("lblDelDesc")->isVisible());
        // Up on the first entry does nothing.
        ClickRow(0);
        Click("spbUp");
        QCOMPARE(ListBox(), (QStringList{"One", "Two", "Three"}));
        QVERIFY(!m_wizard->State().ListChanged);
        Click("spbDown");
        QCOMPARE(ListBox(), (QStringList{"Two", "One", "Three"}));
        QCOMPARE(W<QListWidget>("lstServers")->currentRow(), 1);
        ClickRow(2);
        Click("spbDown");  // already last
        QCOMPARE(ListBox(), (QStringList{"Two", "One", "Three"}));
        Click("butDelete");
        QCOMPARE(ListBox(), (QStringList{"Two", "One"}));
        QCOMPARE(Names(m_wizard->State().EditList), (QStringList{"Two", "One"}));
        // Cancel keeps the wizard open, No closes without writing.
        TDialogs::PresetAnswer(QMessageBox::Cancel);
        Click("FinishButt");
        QVERIFY(m_wizard->isVisible());
        TDialogs::PresetAnswer(QMessageBox::No);
        Click("FinishButt");
        QVERIFY(!m_wizard->isVisible());
        QCOMPARE(Names(ServerList()), (QStringList{"One", "Two", "Three"}));
        QCOMPARE(GetServerNames(), (QStringList{"One", "Two", "Three"}));

        // With Yes the new order is written.
        Open();
        Click("RadioButton3");
        Click("NextButt");
        ClickRow(2);
        Click("spbUp");
        Click("spbUp");
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(GetServerNames(), (QStringList{"Three", "One", "Two"}));
    }

    // A password pasted with a line break: the page says why it cannot go to
    // a server, and neither Advanced nor Finish leaves it until it is typed again.
    void pastedLineBreakIsRefusedOnThePage()
    {
        OpenDetails();
        Type("txtName", QStringLiteral("Home"));
        Type("txtAddress", QStringLiteral("ftp.home.example"));
        Type("txtLogin", QStringLiteral("bob"));
        QGuiApplication::clipboard()->setText(QStringLiteral("secret\r\nDELE index.html"));
        W<QLineEdit>("txtPassword")->setFocus();
        QTest::keyClick(W<QLineEdit>("txtPassword"), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(W<QLineEdit>("txtPassword")->text().contains(QLatin1Char('\n')));
        auto *problem = W<QLabel>("lblLogOnProblem");
        QVERIFY(problem->isVisible());
        QCOMPARE(problem->text(), LoadStr(Msg::PasswordControlCharacter));
        Click("butAdvanced");
        Click("FinishButt");
        QCOMPARE(Page(), QStringLiteral("tab2"));
        QVERIFY(m_wizard->isVisible());
        QCOMPARE(TDialogs::ShownMessages(), QStringList());
        QCOMPARE(QApplication::focusWidget(), W<QLineEdit>("txtPassword"));
        Type("txtPassword", QStringLiteral("secret"));
        QVERIFY(!problem->isVisible());
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QVERIFY(m_wizard->Saved());
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("secret"));
    }

    void descriptionMustBeGivenAndUnique()
    {
        SaveList({Server("Home")});
        LoadServerList();
        Open();
        Click("NextButt");
        Click("NextButt");
        Type("txtAddress", QStringLiteral("ftp.x.example"));
        Click("FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::EnterValidDescription));
        QVERIFY(m_wizard->isVisible());
        QCOMPARE(QApplication::focusWidget(), W<QWidget>("txtName"));
        Type("txtName", QStringLiteral("HOME"));
        Click("FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::DescriptionTaken));
        QVERIFY(m_wizard->isVisible());
        QCOMPARE(m_wizard->State().EditList.size(), 1);
        Type("txtName", QStringLiteral("Home 2"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(Names(ServerList()), (QStringList{"Home", "Home 2"}));
        QCOMPARE(ServerList().at(1).URL, QStringLiteral("http://ftp.x.example/~/"));
    }

    void backFromModifyToAddStartsFresh()
    {
        SaveList({Server("Alpha")});
        LoadServerList();
        Open();
        Click("RadioButton2");
        Click("NextButt");
        ClickRow(0);
        Click("NextButt");
        Click("BackButt");  // to the list
        QCOMPARE(Page(), QStringLiteral("tab4"));
        Click("BackButt");
        QCOMPARE(Page(), QStringLiteral("tab1"));
        QVERIFY(!W<QPushButton>("BackButt")->isEnabled());
        Click("RadioButton1");
        Click("NextButt");
        Click("NextButt");
        QCOMPARE(W<QLineEdit>("txtName")->text(), QString());
        QCOMPARE(W<QLineEdit>("txtAddress")->text(), QString());
        Type("txtName", QStringLiteral("Fresh"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QCOMPARE(Names(ServerList()), (QStringList{"Alpha", "Fresh"}));
        QCOMPARE(ServerList().at(0).Address, QStringLiteral("ftp.alpha.example"));
    }

    void failedWriteKeepsTheWizardOpen()
    {
        if (geteuid() != 0)
            QSKIP("needs root to make a read-only mount in a private mount namespace");
        SaveList({Server("Alpha"), Server("Beta")});
        LoadServerList();
        Open();
        Click("RadioButton3");
        Click("NextButt");
        ClickRow(0);
        Click("butDelete");
        // The settings folder becomes read-only (in this test's own mount namespace).
        const QByteArray folder = QFileInfo(SettingsStore().FileName()).absolutePath().toLocal8Bit();
        QCOMPARE(unshare(CLONE_NEWNS), 0);
        QCOMPARE(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        QCOMPARE(mount(folder.constData(), folder.constData(), nullptr, MS_BIND, nullptr), 0);
        QCOMPARE(mount("none", folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QVERIFY(TDialogs::LastMessage().startsWith(LoadStr(Msg::ServerListNotSaved)));
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("Read-only file system")));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Critical);
        QVERIFY(m_wizard->isVisible());
        QVERIFY(!m_wizard->Saved());
        QCOMPARE(Names(ServerList()), (QStringList{"Alpha", "Beta"}));
        QCOMPARE(ListBox(), QStringList{"Beta"});
        // Once the disk takes it again, Finish writes the list.
        QCOMPARE(umount(folder.constData()), 0);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click("FinishButt");
        QVERIFY(!m_wizard->isVisible());
        QCOMPARE(GetServerNames(), QStringList{"Beta"});
    }

    void helpAndWhatsThis()
    {
        Open();
        Click("butHelp");
        QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
        QCOMPARE(THelp::LastContext(), 79);
        Click("NextButt");
        auto *label = W<QLabel>("Label1");
        QTest::mouseClick(label, Qt::RightButton, {}, QPoint(5, 5));
        auto *menu = W<QMenu>("popWhatsThis");
        QTRY_VERIFY(menu->isVisible());
        menu->actions().at(0)->trigger();
        QCOMPARE(THelp::LastShown(), THelp::Shown::Popup);
        QCOMPARE(THelp::LastContext(), 105);
        menu->hide();
        if (QWidget *help = THelp::HelpWindow())
            help->close();
    }
};

QTEST_MAIN(TestServerWizard)
#include "test_server_wizard.moc"
