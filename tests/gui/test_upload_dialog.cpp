// The upload dialog driven like a user would, against real servers on
// 127.0.0.1, and the congratulation dialog with its fireworks.
#include "support/FileTree.h"
#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "upload/frmJoy.h"
#include "upload/frmUpload.h"
#include "support/TestServers.h"
#include "support/UploadPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestUploadDialog : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_html, m_root, m_pageFile, m_knownHosts;

    TUploadPage Page() const { return PageToSend(m_pageFile, m_html); }

    TUploadTarget Target(TTransferProtocol protocol, int port) const
    {
        TUploadTarget t;
        t.Name = QStringLiteral("Test");
        t.Protocol = protocol;
        t.Address = QStringLiteral("127.0.0.1:%1").arg(port);
        t.Directory = QStringLiteral("www");
        t.UserName = QStringLiteral("user");
        t.Password = QStringLiteral("secret");
        return t;
    }

    void ResetServerSide()
    {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        qputenv("HOME", m_tmp.filePath(QStringLiteral("home")).toLocal8Bit());
        m_knownHosts = m_tmp.filePath(QStringLiteral("home/.ssh/known_hosts"));
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_root = m_tmp.filePath(QStringLiteral("server"));
        m_pageFile = m_tmp.filePath(QStringLiteral("save/Index.qze"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/Index.html"),
                          "<HTML><BODY><IMG SRC=\"graphics/big.jpg\"><IMG SRC=\"graphics/small.gif\"></BODY></HTML>\r\n"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/big.jpg"), Pattern(24 * 1024 * 1024, 'j')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/small.gif"), Pattern(3000, 's')));
        SettingsStore().OpenKey(QString(), true);
    }

    void init()
    {
        TDialogs::ClearPresets();
        TDialogs::SetNonInteractive(true);
    }

    // The dialog as the user sees it: its texts, a status line with one blank
    // in front, a bar that moves within the large picture, and the files on
    // the server byte for byte.
    void uploadShowsProgressAndStatus()
    {
        ResetServerSide();
        TFtpTestServer server;
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Throttle = 8 * 1024 * 1024;
        QVERIFY2(server.Start(o), qPrintable(server.Error()));

        TfrmUpload dialog(Page(), Target(TTransferProtocol::FTP, server.Port()));
        QCOMPARE(dialog.windowTitle(), LoadStr(Msg::UploadTitle));
        QCOMPARE(dialog.lblUpProgress->text(), LoadStr(Msg::UploadProgress));
        QCOMPARE(dialog.lblUpFTPStat->text(), LoadStr(Msg::FtpStatus));
        QCOMPARE(dialog.butCancel->text(), LoadStr(Msg::ButtonCancel));
        QVERIFY(!dialog.imgLogo->pixmap().isNull());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        // Positions shown while the pictures (two of three files, sent at
        // once: pictures first, the page last) go up.
        QSet<int> within;
        connect(dialog.pbProgress, &QProgressBar::valueChanged, this, [&](int v) {
            if (v > 0 && v < 2000)
                within.insert(v);
        });
        // The file being sent shows by name, with a bar of its own.
        QSet<int> bigFile;
        connect(dialog.pbFile, &QProgressBar::valueChanged, this, [&](int v) {
            if (dialog.lblFile->toolTip().startsWith(QStringLiteral("graphics/big.jpg: ")))
                bigFile.insert(v);
        });
        QElapsedTimer t;
        t.start();
        while (finished.isEmpty() && t.elapsed() < 30000) {
            QTest::qWait(20);
            if (dialog.lblFTPStatus->text().size() > 1)
                QVERIFY(dialog.lblFTPStatus->text().startsWith(QLatin1Char(' ')));
        }
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
        QVERIFY2(within.size() >= 20, qPrintable(QString::number(within.size())));
        QVERIFY2(bigFile.size() >= 20 && bigFile.contains(dialog.pbFile->maximum()),
                 qPrintable(QString::number(bigFile.size())));
        QCOMPARE(dialog.pbProgress->value(), dialog.pbProgress->maximum());
        QCOMPARE(dialog.lblFTPStatus->text(), QLatin1Char(' ') + LoadStr(Msg::UploadCompleted));
        QVERIFY(dialog.Succeeded());
        QCOMPARE(TDialogs::ShownMessages(), QStringList());
        QCOMPARE(FilesBelow(m_root), (QStringList{QStringLiteral("www/Index.html"), QStringLiteral("www/graphics/big.jpg"),
                                                  QStringLiteral("www/graphics/small.gif")}));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/www/graphics/big.jpg")), ReadAll(m_html + QStringLiteral("/graphics/big.jpg")));
        QCOMPARE(ReadAll(m_root + QStringLiteral("/www/Index.html")), ReadAll(m_html + QStringLiteral("/Index.html")));
    }

    // Cancel clicked in the middle of the large picture: the dialog closes,
    // says so, shows no message; the old copy stays online, and no page goes
    // up to show what did not arrive. (How long a cancel takes is measured by
    // bench/bench_cancel.)
    void cancelInTheMiddleOfALargePicture()
    {
        ResetServerSide();
        WriteBytes(m_root + QStringLiteral("/www/graphics/big.jpg"), "old copy");
        TFtpTestServer server;
        TFtpTestServer::Options o;
        o.Root = m_root;
        o.Throttle = 4 * 1024 * 1024;
        QVERIFY(server.Start(o));
        TfrmUpload dialog(Page(), Target(TTransferProtocol::FTP, server.Port()));
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.pbProgress->value() > 200, 20000);
        QTest::mouseClick(dialog.butCancel, Qt::LeftButton);
        QCOMPARE(dialog.lblFTPStatus->text(), QLatin1Char(' ') + LoadStr(Msg::ConnectionCancelled));
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
        QVERIFY(dialog.Cancelled());
        QVERIFY(!dialog.Succeeded());
        QCOMPARE(dialog.lblFTPStatus->text(), QLatin1Char(' ') + LoadStr(Msg::ConnectionCancelled));
        QCOMPARE(TDialogs::ShownMessages(), QStringList());
        QCOMPARE(ReadAll(m_root + QStringLiteral("/www/graphics/big.jpg")), QByteArray("old copy"));
        // The small picture, sent beside the large one, may have arrived: whole.
        QStringList there = FilesBelow(m_root);
        if (there.removeAll(QStringLiteral("www/graphics/small.gif")))
            QCOMPARE(ReadAll(m_root + QStringLiteral("/www/graphics/small.gif")), ReadAll(m_html + QStringLiteral("/graphics/small.gif")));
        QCOMPARE(there, QStringList{QStringLiteral("www/graphics/big.jpg")});
    }

    // Escape is the keyboard's Cancel: pressed while a server that never
    // answers holds the log-on, the dialog closes as cancelled and says nothing.
    void escapeCancelsWhileLoggingOn()
    {
        TRawFtpTestServer server;
        const QString log = m_tmp.filePath(QStringLiteral("silent.log"));
        QVERIFY(server.Start(log, true));
        TfrmUpload dialog(Page(), Target(TTransferProtocol::FTP, server.Port()));
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(log).size() > 0, 10000); // the client is waiting for its greeting
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
        QVERIFY(dialog.Cancelled());
        QCOMPARE(TDialogs::ShownMessages(), QStringList());
    }

    // A failure ends in its message box; the dialog closes without success.
    void failureShowsItsMessage()
    {
        ResetServerSide();
        TFtpTestServer server;
        TFtpTestServer::Options o;
        o.Root = m_root;
        QVERIFY(server.Start(o));
        TUploadTarget t = Target(TTransferProtocol::FTP, server.Port());
        t.Password = QStringLiteral("wrong");
        const TUploadOutcome outcome = RunUploadDialog(nullptr, Page(), t);
        QCOMPARE(outcome.Result, UploadResult::Failed);
        QCOMPARE(TDialogs::ShownMessages(), QStringList{LoadStr(Msg::LoginFailed)});
    }

    // An unknown certificate or host key: the question shows the fingerprint;
    // No sends nothing, Yes uploads and the decision is kept.
    void unknownCertificateAndHostKeyAreAsked_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::newRow("FTPS") << false;
        QTest::newRow("SFTP") << true;
    }
    void unknownCertificateAndHostKeyAreAsked()
    {
        QFETCH(bool, sftp);
        ResetServerSide();
        QFile::remove(m_knownHosts);
        std::unique_ptr<TTestServer> server;
        QString fingerprint, knownLine;
        if (sftp) {
            auto s = std::make_unique<TSftpTestServer>();
            QVERIFY2(s->Start(m_root), qPrintable(s->Error()));
            fingerprint = s->HostKeyFingerprint();
            knownLine = s->KnownHostsLine();
            server = std::move(s);
        } else {
            auto s = std::make_unique<TFtpTestServer>();
            TFtpTestServer::Options o;
            o.Root = m_root;
            o.Tls = true;
            QVERIFY2(s->Start(o), qPrintable(s->Error()));
            fingerprint = s->Certificate().Fingerprint;
            server = std::move(s);
        }
        const TUploadTarget target = Target(sftp ? TTransferProtocol::SFTP : TTransferProtocol::FTPS, server->Port());

        TDialogs::PresetAnswer(QMessageBox::No);
        TUploadOutcome outcome = RunUploadDialog(nullptr, Page(), target);
        QCOMPARE(outcome.Result, UploadResult::Failed);
        QCOMPARE(TDialogs::ShownMessages().size(), 1);
        QVERIFY(TDialogs::ShownMessages().first().contains(fingerprint));
        QCOMPARE(FilesBelow(m_root), QStringList());

        TDialogs::ClearPresets();
        TDialogs::PresetAnswer(QMessageBox::Yes);
        outcome = RunUploadDialog(nullptr, Page(), target);
        QCOMPARE(outcome.Result, UploadResult::Succeeded);
        QCOMPARE(TDialogs::PendingPresets(), 0);
        QVERIFY(QFile::exists(m_root + QStringLiteral("/www/graphics/big.jpg")));
        if (sftp)
            QCOMPARE(ReadAll(m_knownHosts), knownLine.toLatin1() + '\n');
        else
            QCOMPARE(outcome.AcceptedFingerprint, fingerprint);
    }

    // A locked SSH key: its passphrase is asked in the window (a wrong one is
    // asked for again, saying so), and not again in the same run.
    void lockedKeyAsksForItsPassphraseOnce()
    {
        ResetServerSide();
        const QString key = m_tmp.filePath(QStringLiteral("locked"));
        const QString passphrase = QStringLiteral("tea for two");
        QString error;
        QVERIFY2(MakeSshKey(key, QStringLiteral("ed25519"), passphrase, false, &error), qPrintable(error));
        TSftpTestServer server;
        server.SetAuthorizedKeys({key + QStringLiteral(".pub")});
        QVERIFY2(server.Start(m_root), qPrintable(server.Error()));
        QVERIFY(WriteBytes(m_knownHosts, server.KnownHostsLine().toLatin1() + '\n'));
        TUploadTarget target = Target(TTransferProtocol::SFTP, server.Port());
        target.Password.clear();
        target.KeyFile = key;
        qunsetenv("SSH_AUTH_SOCK");
        QStringList questions;
        const auto answer = [&questions](const QString &typed) {
            TDialogs::PresetDialog([&questions, typed](QDialog *d) {
                questions << d->findChild<QLabel *>(QStringLiteral("lblQuestion"))->text();
                auto *field = d->findChild<QLineEdit *>(QStringLiteral("txtPassphrase"));
                QTest::keyClicks(field, typed);
                QTest::keyClick(field, Qt::Key_Return);
            });
        };
        answer(QStringLiteral("not the one"));
        answer(passphrase);
        QCOMPARE(RunUploadDialog(nullptr, Page(), target).Result, UploadResult::Succeeded);
        QCOMPARE(questions, (QStringList{LoadStr(Msg::KeyPassphrasePrompt).arg(key, target.Name), LoadStr(Msg::KeyPassphraseWrong).arg(key, target.Name)}));
        QVERIFY(QFile::exists(m_root + QStringLiteral("/www/graphics/big.jpg")));
        const int shown = TDialogs::ShownDialogs().size();
        QCOMPARE(RunUploadDialog(nullptr, Page(), target).Result, UploadResult::Succeeded);
        QCOMPARE(TDialogs::ShownDialogs().size(), shown);
    }

    // The fireworks: eleven frames every 200 ms, the sound at the first, then
    // round again; the check box switches the dialog off for good.
    void joyPlaysFireworks()
    {
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("Yes"));
        TfrmJoy joy;
        QCOMPARE(joy.windowTitle(), LoadStr(Msg::UploadSuccessfulTitle));
        QCOMPARE(joy.lbl2->text(), LoadStr(Msg::ViewPageHint));
        QCOMPARE(joy.chkJoy->text(), QStringLiteral("Don't show this screen again."));
        QCOMPARE(joy.btnJoy->text(), LoadStr(Msg::ButtonOk));
        QCOMPARE(joy.timAnimation->interval(), 200);
        QCOMPARE(joy.imgJoy->pixmap().toImage(), LoadBitmap(QStringLiteral("Joy")).toImage());
        const int before = SoundsPlayedCount();
        joy.timAnimationTimer();
        QCOMPARE(joy.JoyFrame, 1);
        QCOMPARE(joy.imgJoy->pixmap().toImage(), LoadBitmap(QStringLiteral("Fire1")).toImage());
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavWorks"));
        QCOMPARE(SoundsPlayedCount(), before + 1);
        for (int i = 2; i <= 11; ++i)
            joy.timAnimationTimer();
        QCOMPARE(joy.imgJoy->pixmap().toImage(), LoadBitmap(QStringLiteral("Fire11")).toImage());
        QCOMPARE(joy.JoyFrame, 0);
        QCOMPARE(SoundsPlayedCount(), before + 1);
        joy.timAnimationTimer();
        QCOMPARE(SoundsPlayedCount(), before + 2);

        // Shown while not switched off; OK with the box ticked switches it off.
        QTimer::singleShot(300, this, [] {
            auto *shown = qobject_cast<TfrmJoy *>(QApplication::activeModalWidget());
            QVERIFY(shown);
            QVERIFY(shown->JoyFrame > 0); // the fireworks run while it is open
            QTest::mouseClick(shown->chkJoy, Qt::LeftButton);
            QTest::mouseClick(shown->btnJoy, Qt::LeftButton);
        });
        QVERIFY(ShowJoyUnlessSwitchedOff(nullptr));
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("ShowJoy")), QStringLiteral("No"));
        QVERIFY(!ShowJoyUnlessSwitchedOff(nullptr));
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("No"));
    }
};

QTEST_MAIN(TestUploadDialog)
#include "test_upload_dialog.moc"
