// The congratulation after an upload tells whether the page is really live:
// a real upload to the FTP server on 127.0.0.1 and web servers serving the
// folder it wrote into (then another folder), driven like a user would.
#include "support/FileTree.h"
#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "upload/frmJoy.h"
#include "publish/Upload.h"
#include "support/HttpTestServer.h"
#include "support/TestServers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

// Runs f once the next modal dialog is open.
void WhenModal(std::function<void(QWidget *)> f)
{
    QTimer::singleShot(0, [f] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w) {
            WhenModal(f);
            return;
        }
        f(w);
    });
}

} // namespace

class TestPublishVerifyDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_html, m_root;
    TFtpTestServer m_ftp;
    THttpTestServer m_web;

    TUploadOutcome Upload()
    {
        TUploadPage p;
        p.PageFile = m_tmp.filePath(QStringLiteral("save/index.qze"));
        p.HtmlFolder = m_html;
        p.Images = LocaliseImages(p.PageFile, m_html);
        p.SentFilesFolder = m_tmp.filePath(QStringLiteral("sent"));
        TUploadTarget t;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(m_ftp.Port());
        t.Directory = QStringLiteral("public_html");
        t.UserName = QStringLiteral("user");
        t.Password = QStringLiteral("secret");
        t.URL = m_web.Url();
        TUploadJob job(p, t);
        return job.DoUpload();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        TDialogs::SetNonInteractive(true);
        SettingsStore().OpenKey(QString(), true); // the program's settings exist, as after a first start
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/index.html"),
                          "<HTML>\r\n<BODY>\r\n<IMG SRC=\"graphics/a.gif\">\r\n</BODY>\r\n</HTML>\r\n"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/a.gif"), QByteArray(3000, 'a')));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/public_html")));
        TFtpTestServer::Options o;
        o.Root = m_root;
        QVERIFY2(m_ftp.Start(o), qPrintable(m_ftp.Error()));
        QVERIFY2(m_web.StartPlain(m_root + QStringLiteral("/public_html")), qPrintable(m_web.Error()));
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("Yes"));
    }

    // First upload: live, with the address as a link that opens the browser.
    void liveWithALink()
    {
        const TUploadOutcome o = Upload();
        QVERIFY2(o.Result == UploadResult::Succeeded, qPrintable(o.Message));
        TfrmJoy joy;
        QStringList opened;
        joy.OpenAddress = [&opened](const QString &a) { opened << a; };
        QSignalSpy done(&joy, &TfrmJoy::CheckFinished);
        joy.show();
        joy.ShowOutcome(o);
        QVERIFY(joy.lblLive->isVisible());
        QVERIFY(joy.lblSkipped->isHidden());
        QCOMPARE(joy.lblLive->text(), LoadStr(Msg::CheckingPageLive).toHtmlEscaped());
        QVERIFY(done.wait(15000));
        const QString address = m_web.Url() + QStringLiteral("index.html");
        QCOMPARE(joy.CheckResult().Verdict, VerifyVerdict::Live);
        QCOMPARE(joy.lblLive->text(), QStringLiteral("Your page is live at <a href=\"%1\">%1</a>").arg(address));
        QCOMPARE(joy.lbl1->text(), LoadStr(Msg::UploadSuccessful));
        // The OK button stays below the texts.
        QVERIFY(joy.btnJoy->geometry().top() >= joy.lblLive->geometry().bottom());
        QVERIFY(joy.height() >= joy.btnJoy->geometry().bottom());
        // The link opens the browser.
        Q_EMIT joy.lblLive->linkActivated(address);
        QCOMPARE(opened, QStringList{address});
    }

    // The second upload sends only the page and says so; then the web server
    // shows another folder and the dialog explains what is wrong.
    void skippedThenNotFound()
    {
        TUploadOutcome o = Upload();
        QCOMPARE(o.Skipped, QStringList{QStringLiteral("graphics/a.gif")});
        THttpTestServer moved;
        QTemporaryDir elsewhere;
        QVERIFY2(moved.StartPlain(elsewhere.path()), qPrintable(moved.Error()));
        o.Check.SiteUrl = moved.Url();

        bool seen = false;
        WhenModal([&](QWidget *w) {
            auto *joy = qobject_cast<TfrmJoy *>(w);
            QVERIFY(joy);
            QCOMPARE(joy->lblSkipped->text(), LoadStr(Msg::OnePictureUnchanged));
            QVERIFY(joy->lblSkipped->isVisible());
            QSignalSpy done(joy, &TfrmJoy::CheckFinished);
            QVERIFY(done.wait(15000));
            QVERIFY2(joy->lblLive->text().contains(QStringLiteral("the folder &quot;public_html&quot;")),
                     qPrintable(joy->lblLive->text()));
            // No congratulation: the files arrived, the page cannot be seen,
            // and the diagnosis is the main text.
            QCOMPARE(joy->windowTitle(), LoadStr(Msg::PageNotVisibleTitle));
            QCOMPARE(joy->lbl1->text(), LoadStr(Msg::PageNotVisibleYet));
            QVERIFY(joy->lbl2->isHidden());
            QVERIFY(joy->lblLive->geometry().bottom() < joy->lblSkipped->geometry().top());
            seen = true;
            QTest::mouseClick(joy->btnJoy, Qt::LeftButton);
        });
        const TVerifyResult r = ShowUploadSuccess(nullptr, o);
        QVERIFY(seen);
        QCOMPARE(r.Verdict, VerifyVerdict::NotFound);
    }

    // OK while the check still waits for a slow server: the dialog closes at once.
    void closingWhileChecking()
    {
        THttpTestServer slow;
        THttpTestServer::Options so;
        so.Root = m_root + QStringLiteral("/public_html");
        so.DelaySeconds = 30;
        QVERIFY2(slow.Start(so), qPrintable(slow.Error()));
        TUploadOutcome o = Upload();
        o.Check.SiteUrl = slow.Url();
        TfrmJoy joy;
        joy.show();
        QSignalSpy checked(&joy, &TfrmJoy::CheckFinished);
        joy.ShowOutcome(o);
        QTRY_VERIFY_WITH_TIMEOUT(slow.RequestsHeld() > 0, 20000);
        QVERIFY(joy.CheckRunning());
        QTest::mouseClick(joy.btnJoy, Qt::LeftButton);
        QVERIFY(!joy.isVisible());
        // The check ends as cancelled, not by its time limit or the server's
        // answer (after 30 s).
        QTRY_COMPARE_WITH_TIMEOUT(checked.count(), 1, 20000);
        QVERIFY(!joy.CheckRunning());
        QCOMPARE(joy.CheckResult().Verdict, VerifyVerdict::Cancelled);
    }

    // With the dialog switched off only trouble is told, in a message box.
    void switchedOffTellsOnlyTrouble()
    {
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("No"));
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("ShowJoy")), QStringLiteral("No"));
        TDialogs::ClearPresets();
        TUploadOutcome o = Upload();
        TVerifyResult r = ShowUploadSuccess(nullptr, o);
        QCOMPARE(r.Verdict, VerifyVerdict::Live);
        QVERIFY(TDialogs::ShownMessages().isEmpty());
        o.Check.SiteUrl = QStringLiteral("http://127.0.0.1:1/");
        r = ShowUploadSuccess(nullptr, o);
        QCOMPARE(r.Verdict, VerifyVerdict::NoAnswer);
        QCOMPARE(TDialogs::ShownMessages(), QStringList{LoadStr(Msg::PageNotVisibleYet) + QStringLiteral("\n\n") + r.Text});
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("Yes"));
    }

    // Pictures no page uses any more: listed with one choice, which the
    // dialog forwards as it got them and then reports; without a way to
    // remove them they are only listed.
    void unusedPicturesForwardedForRemoval()
    {
        TUploadOutcome o;
        o.Unused = {QStringLiteral("graphics/old.gif"), QStringLiteral("graphics/gone.jpg")};
        TfrmJoy listing;
        listing.show();
        listing.ShowOutcome(o);
        QVERIFY(listing.lblUnused->isVisible());
        QVERIFY(listing.btnRemoveUnused->isHidden());

        TfrmJoy joy;
        QStringList asked;
        joy.RemoveUnused = [&asked](const QStringList &names) {
            asked = names;
            TRemovalOutcome r;
            r.Removed = {names.at(0)};
            r.Failed = {names.at(1)};
            return r;
        };
        joy.show();
        joy.ShowOutcome(o);
        QVERIFY(joy.lblUnused->text().endsWith(QStringLiteral("graphics/old.gif\ngraphics/gone.jpg")));
        QVERIFY(joy.btnRemoveUnused->geometry().bottom() < joy.btnJoy->geometry().top());
        QTest::mouseClick(joy.btnRemoveUnused, Qt::LeftButton);
        QCOMPARE(asked, o.Unused);
        QCOMPARE(joy.lblUnused->text(), LoadStr(Msg::OneUnusedPictureRemoved) + QLatin1Char('\n') + LoadStr(Msg::PicturesNotRemoved) + QStringLiteral("\ngraphics/gone.jpg"));
        QVERIFY(joy.btnRemoveUnused->isHidden());
    }
};

QTEST_MAIN(TestPublishVerifyDialog)
#include "test_publish_verify_dialog.moc"
