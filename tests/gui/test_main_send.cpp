// The Send panel driven as a user would: the servers of the server list in its
// combo box, the page check and where its entries lead, the pictures that are
// never sent, and a page with pictures sent through the flight and the upload
// dialog to a real FTP server on 127.0.0.1, with the failures a user meets.
#include "support/FileTree.h"
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "publish/SendWork.h"
#include "publish/ServerList.h"
#include "publish/UploadManifest.h"
#include "upload/frmJoy.h"
#include "support/HttpTestServer.h"
#include "support/TestServers.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/SendPanel.h"
#include "workspace/WebBlockTile.h"
#include "workspace/frmMain.h"
#include "support/ResultCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

tWWWServerType Server(const QString &name, int port, const QString &password = QStringLiteral("secret"),
                      const QString &url = QString())
{
    tWWWServerType s;
    s.Name = name;
    s.Address = QStringLiteral("127.0.0.1:%1").arg(port);
    s.Directory = QStringLiteral("www");
    s.UserName = QStringLiteral("user");
    s.Password = password;
    s.URL = url;
    return s;
}

// An FTP server on 127.0.0.1 with its "www" folder, the only server of the list.
struct TLocalSite {
    QString Root;
    TFtpTestServer Ftp;
};

} // namespace

class TestMainSend : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;
    QString m_skippedShown; // the success dialog's word on pictures not sent again

    void SaveServers(const TServerList &servers)
    {
        ServerList() = servers;
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(), &error), qPrintable(error));
    }

    // The Photo Album template (two pictures) made into a saved page and sent
    // to the Send panel by toolbar clicks.
    void OpenAlbumInSend(TfrmMain *w, const QString &name = QStringLiteral("Album.qze"))
    {
        auto *list = Named<QListWidget>(w, "lvTemplates");
        ClickRow(list, RowOf(list, QStringLiteral("Photo Album")));
        ClickToolbar(w, 140);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100: save first
        TDialogs::PresetFile(m_app + QStringLiteral("/save/") + name);
        ClickToolbar(w, 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
    }

    QString HtmlFolder() const { return m_app + QStringLiteral("/HTMLFiles"); }

    // Clicks the page and waits for the flight and the upload to be over.
    // The success dialog, when it opens, is closed once its check is done.
    TVerifyResult SendByClick(TfrmMain *w, bool expectFlight = true, bool byKey = false)
    {
        TVerifyResult check;
        m_skippedShown.clear();
        QTimer closer;
        closer.setInterval(50);
        connect(&closer, &QTimer::timeout, this, [&] {
            auto *joy = qobject_cast<TfrmJoy *>(QApplication::activeModalWidget());
            if (joy && !joy->CheckRunning()) {
                check = joy->CheckResult();
                m_skippedShown = joy->lblSkipped->isVisible() ? joy->lblSkipped->text() : QString();
                QTest::mouseClick(joy->btnJoy, Qt::LeftButton);
            }
        });
        closer.start();
        QSignalSpy landed(&w->SendPanel(), &TSendPanel::flightLanded);
        if (byKey)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else
            QTest::mouseClick(Named(w, "imgUpload"), Qt::LeftButton);
        if (expectFlight) {
            [&] { QTRY_COMPARE_WITH_TIMEOUT(landed.count(), 1, 5000); }();
            // The upload and its dialogs ran inside the landing.
        } else {
            // The click decides at once: a flight would have started by now.
            [&] { QVERIFY(!w->SendPanel().Flying()); }();
        }
        return check;
    }

    // The site's server started (with TLS when asked) on the folder "ftp"
    // holding an empty "www"; false, the reason in the log, when it did not start.
    [[nodiscard]] bool StartFtp(TLocalSite &site, bool tls = false)
    {
        site.Root = m_dir->filePath(QStringLiteral("ftp"));
        TFtpTestServer::Options o;
        o.Root = site.Root;
        o.Tls = tls;
        if (QDir().mkpath(site.Root + QStringLiteral("/www")) && site.Ftp.Start(o))
            return true;
        qWarning("%s", qPrintable(site.Ftp.Error()));
        return false;
    }

    // The test fails (and the caller returns) when the server does not start.
    void StartLocalSite(TLocalSite &site)
    {
        QVERIFY(StartFtp(site));
        SaveServers({Server(QStringLiteral("Local"), site.Ftp.Port())});
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("No"));
    }

    // How many message boxes shown so far begin with this text.
    static int Asked(const QString &start)
    {
        const QStringList shown = TDialogs::ShownMessages();
        return int(std::count_if(shown.begin(), shown.end(), [&](const QString &m) { return m.startsWith(start); }));
    }

private Q_SLOTS:
    void initTestCase()
    {
        TDialogs::SetNonInteractive(true);
        qputenv("HOME", QDir::tempPath().toLocal8Bit());
    }

    void init()
    {
        // The window makes its HTML folder current; a server started later
        // must not find itself in a folder already removed.
        QDir::setCurrent(QDir::tempPath());
        FreshStart(m_dir, m_app);
        SettingsStore().Raw().remove(QStringLiteral("WWWServers"));
        ServerList().clear();
        // Sent-files records from earlier runs would make uploads skip pictures.
        QDir(TUploadManifest::DefaultFolder()).removeRecursively();
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void comboListsServersAndRemembersTheChoice()
    {
        SaveServers({Server(QStringLiteral("Home"), 1), Server(QStringLiteral("Club Site"), 2)});
        WriteSetting(QStringLiteral("WWWServers"), QStringLiteral("LastServer"), QStringLiteral("club site"));
        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());
        auto *combo = Named<QComboBox>(w.get(), "cmbServers");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Home"));
        QCOMPARE(combo->currentText(), QStringLiteral("Club Site")); // found without regard to case
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(combo->currentText(), QStringLiteral("Home"));
        QCOMPARE(ReadSetting(QStringLiteral("WWWServers"), QStringLiteral("LastServer")), QStringLiteral("Home"));
    }

    void noServerOrUnsavedPageStartsNothing()
    {
        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());
        QCOMPARE(Named<QComboBox>(w.get(), "cmbServers")->count(), 0);
        SendByClick(w.get(), false);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::ChooseServerFirst));
        QVERIFY(Named(w.get(), "imgUpload")->isVisible());
        QCOMPARE(w->Workspace().State(), int(wsSend));
    }

    // The whole road: the page checked, the flight, the upload dialog, the
    // success dialog that finds the page live, and the files on the server
    // byte for byte what the program wrote.
    void sendsASavedPageWithPicturesToAnFtpServer()
    {
        TLocalSite site;
        QVERIFY(StartFtp(site));
        const QString &root = site.Root;
        TFtpTestServer &ftp = site.Ftp;
        THttpTestServer web;
        QVERIFY2(web.StartPlain(root + QStringLiteral("/www")), qPrintable(web.Error()));
        SaveServers({Server(QStringLiteral("Local"), ftp.Port(), QStringLiteral("secret"), web.Url())});
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("Yes"));

        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());
        const TDocument &doc = w->Document();
        // The files to upload: the pictures, then the page.
        const QStringList files = Captions(Named<QListWidget>(w.get(), "lstFiles"));
        QCOMPARE(files, doc.UploadFileNames());
        QVERIFY2(files.contains(QStringLiteral("graphics/lakeside.jpg")), qPrintable(files.join(',')));
        QVERIFY(files.contains(QStringLiteral("graphics/flowers.jpg")));
        QCOMPARE(files.last(), QStringLiteral("Album.html"));
        QVERIFY(Named(w.get(), "lblRefused")->isHidden());
        // The page check's entries, as the core lists them; a first page not
        // called index is among them (nothing was sent to this server yet).
        auto *problems = Named<QListWidget>(w.get(), "lstProblems");
        QStringList texts;
        for (const TPageProblem &p : w->SendWork().Problems())
            texts << p.Text;
        QCOMPARE(Captions(problems), texts);
        // Each entry shows whole, wrapped to the list's width.
        const int width = problems->viewport()->width() - 8;
        bool wrapped = false;
        for (int i = 0; i < problems->count(); ++i) {
            const int needed = problems->fontMetrics()
                                   .boundingRect(QRect(0, 0, width, 4000), Qt::TextWordWrap, problems->item(i)->text())
                                   .height();
            QVERIFY2(problems->visualItemRect(problems->item(i)).height() >= needed, qPrintable(problems->item(i)->text()));
            wrapped |= needed > 2 * problems->fontMetrics().height();
        }
        QVERIFY(wrapped); // there was something to wrap
        QVERIFY(std::any_of(w->SendWork().Problems().begin(), w->SendWork().Problems().end(),
                            [](const TPageProblem &p) { return p.Kind == PageProblemKind::FirstPageNotIndex; }));
        QCOMPARE(w->SendWork().MissingPictures(), QStringList());

        // Everything goes the first time; the box is used up by the upload.
        QTest::mouseClick(Named<QCheckBox>(w.get(), "chkSendAll"), Qt::LeftButton, {}, QPoint(6, 10));
        QVERIFY(w->SendWork().SendEverything);
        const TVerifyResult check = SendByClick(w.get());
        QVERIFY2(check.IsLive(), qPrintable(check.Text));

        QCOMPARE(w->Workspace().State(), int(wsSent));
        QCOMPARE(Named(w.get(), "picRedPill")->geometry(), QRect(481, 0, 140, 96));
        QVERIFY(w->SendPanel().Web().PageUploaded);
        QCOMPARE(w->SendPanel().Web().Index, int(TRotatingWeb::kYourPage));
        QVERIFY(Named(w.get(), "imgYourPage")->isVisible());
        QVERIFY(!Named<QCheckBox>(w.get(), "chkSendAll")->isChecked());
        QVERIFY(!w->SendWork().SendEverything);
        QCOMPARE(w->SendWork().YourPageAddress(), web.Url() + QStringLiteral("Album.html"));

        QStringList expected;
        for (const QString &f : files)
            expected << QStringLiteral("www/") + f;
        expected.sort();
        QCOMPARE(FilesBelow(root), expected);
        for (const QString &f : files)
            QVERIFY2(ReadAll(root + QStringLiteral("/www/") + f) == ReadAll(HtmlFolder() + QLatin1Char('/') + f),
                     qPrintable(f));
        // The page as the program wrote it just before sending.
        QVERIFY(ReadAll(root + QStringLiteral("/www/Album.html")).contains("lakeside.jpg"));
        // Now the site has a first page: the advice about index goes.
        for (const TPageProblem &p : w->SendWork().Problems())
            QVERIFY(p.Kind != PageProblemKind::FirstPageNotIndex);

        // Sent again unchanged: the pictures the server holds as they are stay there.
        ClickToolbar(w.get(), 420);
        QVERIFY(Named(w.get(), "imgUpload")->isVisible());
        QVERIFY(SendByClick(w.get()).IsLive());
        QCOMPARE(m_skippedShown, LoadStr(Msg::PicturesUnchanged).arg(files.size() - 1));
        QCOMPARE(FilesBelow(root), expected);
    }

    // An unknown certificate is asked about once, with its fingerprint; the
    // answer stays with the server, and the next upload asks nothing.
    void acceptedCertificateIsKeptWithTheServer()
    {
        TLocalSite site;
        QVERIFY(StartFtp(site, true));
        TFtpTestServer &ftp = site.Ftp;
        tWWWServerType secure = Server(QStringLiteral("Secure"), ftp.Port());
        secure.SetTransferProtocol(TTransferProtocol::FTPS);
        SaveServers({secure});
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("No"));
        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());

        TDialogs::PresetAnswer(QMessageBox::Yes); // the certificate question
        SendByClick(w.get());
        QCOMPARE(w->Workspace().State(), int(wsSent));
        const QString fingerprint = ReadServer(QStringLiteral("Secure")).TrustedFingerprint;
        QVERIFY(!fingerprint.isEmpty());
        QCOMPARE(fingerprint.toUpper().remove(QLatin1Char(':')), ftp.Certificate().Fingerprint.toUpper().remove(QLatin1Char(':')));
        const auto asked = [&] {
            const QStringList shown = TDialogs::ShownMessages();
            return std::count_if(shown.begin(), shown.end(), [&](const QString &m) { return m.contains(fingerprint); });
        };
        QCOMPARE(asked(), 1);
        QVERIFY(ReadAll(site.Root + QStringLiteral("/www/Album.html")) == ReadAll(HtmlFolder() + QStringLiteral("/Album.html")));

        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        SendByClick(w.get());
        QCOMPARE(w->Workspace().State(), int(wsSent));
        QCOMPARE(asked(), 1);
    }

    // A server that is not there and a wrong password each end in a message
    // that says what went wrong; the page picture comes back, nothing changed.
    void failuresSayWhatWentWrong()
    {
        TLocalSite site;
        QVERIFY(StartFtp(site));
        const QString &root = site.Root;
        TFtpTestServer &ftp = site.Ftp;
        SaveServers({Server(QStringLiteral("Nobody"), FreePort()),
                     Server(QStringLiteral("Wrong"), ftp.Port(), QStringLiteral("not-the-password"))});
        WriteSetting(QStringLiteral("WWWServers"), QStringLiteral("LastServer"), QStringLiteral("Nobody"));
        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());

        SendByClick(w.get());
        QVERIFY2(TDialogs::LastMessage().startsWith(LoadStr(Msg::ServerUnreachable)), qPrintable(TDialogs::LastMessage()));
        QVERIFY(!TDialogs::LastMessage().contains(LoadStr(Msg::LoginFailed)));
        QCOMPARE(w->Workspace().State(), int(wsSend));
        QVERIFY(Named(w.get(), "imgUpload")->isVisible());
        QVERIFY(!w->SendPanel().Web().PageUploaded);

        auto *combo = Named<QComboBox>(w.get(), "cmbServers");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentText(), QStringLiteral("Wrong"));
        // Sent by the keyboard: after the failure the keys are on the page picture again.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        Named(w.get(), "imgUpload")->setFocus(Qt::TabFocusReason);
        SendByClick(w.get(), true, true);
        QVERIFY2(TDialogs::LastMessage().startsWith(LoadStr(Msg::LoginFailed)), qPrintable(TDialogs::LastMessage()));
        QVERIFY(Named(w.get(), "imgUpload")->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), Named(w.get(), "imgUpload"));
        QCOMPARE(FilesBelow(root), QStringList());
    }

    // Before anything flies the page is written afresh; when that fails the
    // cause is shown and nothing is sent. A missing picture is asked about
    // once: No sends nothing, Yes sends the page and the pictures that are
    // there. Its entry shows red and leads to its block's field.
    void unwritablePageStopsTheSendAndAMissingPictureIsAskedAbout()
    {
        TLocalSite site;
        StartLocalSite(site);
        if (QTest::currentTestFailed())
            return;
        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());

        const QString html = HtmlFolder() + QStringLiteral("/Album.html");
        QVERIFY(QFile::remove(html));
        QVERIFY(QDir().mkdir(html)); // a folder where the page must go
        SendByClick(w.get(), false);
        QVERIFY2(TDialogs::LastMessage().startsWith(LoadStr(Msg::PageNotWritten)), qPrintable(TDialogs::LastMessage()));
        QVERIFY(TDialogs::LastMessage().contains(LoadStr(Msg::NothingUploaded)));
        QVERIFY(QDir().rmdir(html));
        QCOMPARE(Asked(LoadStr(Msg::PicturesOutsideGoWithout)), 0);

        QVERIFY(QFile::remove(HtmlFolder() + QStringLiteral("/graphics/lakeside.jpg")));
        TDialogs::PresetAnswer(QMessageBox::No);
        SendByClick(w.get(), false);
        QCOMPARE(Asked(LoadStr(Msg::PicturesOutsideGoWithout)), 1);
        QVERIFY2(TDialogs::LastMessage().startsWith(LoadStr(Msg::PicturesOutsideGoWithout)), qPrintable(TDialogs::LastMessage()));
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("graphics/lakeside.jpg")));
        QVERIFY(TDialogs::LastMessage().endsWith(LoadStr(Msg::SendAllTheSame)));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Question);
        QCOMPARE(w->SendWork().MissingPictures(), QStringList{QStringLiteral("graphics/lakeside.jpg")});
        QCOMPARE(FilesBelow(site.Root), QStringList());
        QCOMPARE(w->Workspace().State(), int(wsSend));
        // The HTML file was written before the question.
        QVERIFY(QFileInfo(html).isFile());

        // Its entry in the list is red, never says the upload stops, and
        // leads to the image block in Build, its file field focused.
        const QList<TPageProblem> found = w->SendWork().Problems();
        int row = -1;
        for (int i = 0; i < found.size(); ++i)
            if (found[i].Kind == PageProblemKind::MissingPicture)
                row = i;
        QVERIFY(row >= 0);
        auto *problems = Named<QListWidget>(w.get(), "lstProblems");
        QCOMPARE(problems->item(row)->foreground().color(), QColor(0xC0, 0x00, 0x00));
        for (const QString &entry : Captions(problems))
            QVERIFY2(!entry.contains(QStringLiteral("stop"), Qt::CaseInsensitive), qPrintable(entry));
        problems->scrollToItem(problems->item(row));
        QSignalSpy activated(&w->SendPanel(), &TSendPanel::problemActivated);
        ClickRow(problems, row, true);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().toInt(), row);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QCOMPARE(w->Document().Page().CurrentBlockIndex, found[row].BlockIndex);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), found[row].Field);
        // The jump highlights the block's tile and changes nothing.
        const TWebBlock *tile = w->BuildWorkspace().Tiles().at(w->Document().Page().CurrentSlot);
        QCOMPARE(tile->BlockIndex, found[row].BlockIndex);
        QVERIFY(tile->Highlighted());
        QVERIFY(!w->Document().DocumentChanged());
        QVERIFY(!w->Document().CanUndo());

        // Back in Send (the jump changed nothing: no save), Yes: the page and
        // the other picture go, asked once more.
        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        SendByClick(w.get());
        QCOMPARE(Asked(LoadStr(Msg::PicturesOutsideGoWithout)), 2);
        QCOMPARE(w->Workspace().State(), int(wsSent));
        QStringList expected;
        for (const QString &f : w->Document().UploadFileNames())
            if (f != QLatin1String("graphics/lakeside.jpg"))
                expected << QStringLiteral("www/") + f;
        expected.sort();
        QVERIFY(expected.contains(QStringLiteral("www/graphics/flowers.jpg")));
        QCOMPARE(FilesBelow(site.Root), expected);
        for (const QString &f : expected)
            QVERIFY2(ReadAll(site.Root + QLatin1Char('/') + f) == ReadAll(HtmlFolder() + f.mid(3)), qPrintable(f));
    }

    // A picture reference that leaves the HTML folder is never listed among
    // the files to upload; the note beside the list names it with the reason,
    // and the page goes with the rest without a question.
    // A reference that leaves the HTML folder is never among the files to
    // upload; the note beside the list names it with the reason, and the
    // upload does not start until it is put right: nothing goes online.
    void refusedPictureIsNamedAndNothingIsSent()
    {
        TLocalSite site;
        StartLocalSite(site);
        if (QTest::currentTestFailed())
            return;
        auto w = MakeMainWindow(m_app);
        OpenAlbumInSend(w.get());
        // The page refers to a file beside the HTML folder, which is there.
        QVERIFY(QFile::copy(HtmlFolder() + QStringLiteral("/graphics/lakeside.jpg"), m_app + QStringLiteral("/secret.jpg")));
        TDocument &doc = w->Document();
        QString text = doc.HtmlText();
        text.replace(QStringLiteral("graphics\\lakeside.jpg"), QStringLiteral("../secret.jpg"));
        text.replace(QStringLiteral("graphics/lakeside.jpg"), QStringLiteral("../secret.jpg"));
        QVERIFY(text.contains(QStringLiteral("../secret.jpg")));
        doc.SetHtmlText(text);
        SendByClick(w.get(), false);
        QCOMPARE(Asked(LoadStr(Msg::PicturesOutsideGoWithout)), 0);
        QVERIFY2(TDialogs::LastMessage().startsWith(LoadStr(Msg::PicturesOutsideNotSent)), qPrintable(TDialogs::LastMessage()));
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("../secret.jpg: ")));
        QCOMPARE(w->Workspace().State(), int(wsSend));
        QCOMPARE(FilesBelow(site.Root), QStringList());
        const QStringList files = Captions(Named<QListWidget>(w.get(), "lstFiles"));
        QVERIFY(!files.join(',').contains(QStringLiteral("secret")));
        QVERIFY(files.contains(QStringLiteral("graphics/flowers.jpg")));
        auto *note = Named<QLabel>(w.get(), "lblRefused");
        QVERIFY(note->isVisible());
        QVERIFY(note->height() >= note->heightForWidth(note->width())); // shown whole
        QVERIFY(Named(w.get(), "lstFiles")->geometry().bottom() < note->y());
        QVERIFY(note->text().startsWith(LoadStr(Msg::NotSentOutside)));
        QCOMPARE(doc.RefusedReferences().size(), 1);
        QVERIFY(note->text().contains(QStringLiteral("../secret.jpg: ") + doc.RefusedReferences().first().Reason));
    }
};

QTEST_MAIN(TestMainSend)
#include "test_main_send.moc"
