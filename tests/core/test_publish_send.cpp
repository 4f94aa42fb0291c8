// The Send panel's decisions without a window: when a click on the page starts
// nothing, what the check marks as breaking the page (never a reason to
// refuse), the question about missing pictures, the page written as it stands
// before it goes, and what a finished upload leaves behind.
#include "support/DocumentFakes.h"
#include "support/FileTree.h"
#include "support/PageBytes.h"
#include "support/SmallFileSystem.h"

#include "settings/AppPaths.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/WorkspaceRules.h"
#include "publish/SendWork.h"
#include "publish/ServerList.h"
#include "publish/Upload.h"
#include "publish/UploadTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestPublishSend : public TDocumentTest
{
    Q_OBJECT

    // The shipped example page (a picture graphics\flowers.jpg and its style's background), opened in Send.
    void OpenExample()
    {
        m_doc->LoadSavedPage(m_app + QStringLiteral("/save/Example.qze"));
        QVERIFY(!m_doc->CurrentFileName().isEmpty());
        m_doc->SetWorkspaceState(wsSend);
        m_doc->RegenerateHtml();
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Wobbin Express")); }

    void init()
    {
        QVERIFY(MakeDocument({"Styles.data", "save", "HTMLFiles", "servers"}, QStringLiteral("WWWServers")));
        SetAppDir(m_app);
    }

    void cleanup() { m_doc.reset(); }

    void clickNeedsAServerAndASavedPage()
    {
        TSendWork work(*m_doc);
        // Without servers that is said first, saved page or not.
        QCOMPARE(work.WhyNoFlight(0), LoadStr(Msg::ChooseServerFirst));
        QCOMPARE(work.WhyNoFlight(2), LoadStr(Msg::SaveBeforeUpload));
        OpenExample();
        QCOMPARE(work.WhyNoFlight(0), LoadStr(Msg::ChooseServerFirst));
        QCOMPARE(work.WhyNoFlight(1), QString());
    }

    // Advice (a first page not called index) never stops the upload; the page
    // goes as its text stands, hand edits included, into the HTML folder.
    void adviceDoesNotStopAndTheTextGoesAsItStands()
    {
        OpenExample();
        tWWWServerType server;
        server.Name = QStringLiteral("Site");
        server.Address = QStringLiteral("127.0.0.1:2121");
        const QString edited = m_doc->HtmlText() + QStringLiteral("<!-- mine -->\r\n");
        m_doc->SetHtmlText(edited);
        TSendWork work(*m_doc, m_dir->filePath(QStringLiteral("sent")));
        work.SendEverything = true;
        QCOMPARE(work.PrepareUpload(&server), QString());
        QVERIFY(!work.Problems().isEmpty());
        for (const TPageProblem &p : work.Problems())
            QVERIFY2(!BreaksPage(p), qPrintable(p.Text));
        QCOMPARE(ReadBytes(m_app + QStringLiteral("/HTMLFiles/Example.html")), edited.toLatin1());

        const TUploadPage page = work.Page();
        QCOMPARE(page.PageFile, m_doc->CurrentFileName());
        QCOMPARE(page.HtmlFolder, m_doc->HTMLFolder());
        QCOMPARE(work.MissingPicturesQuestion(), QString());
        QCOMPARE(page.Images, m_doc->UploadImages());
        QVERIFY(std::any_of(page.Images.begin(), page.Images.end(),
                            [](const ResourceDetail &d) { return d.RefName == QLatin1String("graphics/flowers.jpg"); }));
        QVERIFY(page.SendEverything);
        QCOMPARE(page.SentFilesFolder, m_dir->filePath(QStringLiteral("sent")));
    }

    // A missing picture is asked about before the flight and left out of what
    // the upload is given; a reference outside the HTML folder is never asked
    // about: it is named apart and the rest goes.
    void missingPictureIsAskedAboutAndRefusedOneIsNamedApart()
    {
        OpenExample();
        QVERIFY(QFile::remove(m_app + QStringLiteral("/HTMLFiles/graphics/flowers.jpg")));
        TSendWork work(*m_doc, m_dir->filePath(QStringLiteral("sent")));
        QCOMPARE(work.PrepareUpload(nullptr), QString());
        QCOMPARE(work.MissingPictures(), QStringList{QStringLiteral("graphics/flowers.jpg")});
        const QString question = work.MissingPicturesQuestion();
        QVERIFY(question.startsWith(LoadStr(Msg::PicturesOutsideGoWithout) + QStringLiteral("\r\ngraphics/flowers.jpg\r\n")));
        QVERIFY(question.endsWith(LoadStr(Msg::SendAllTheSame)));
        QCOMPARE(work.RefusedNote(), QString());
        // The check's entry for it shows the page would break, in words that
        // never say the upload stops.
        int missing = 0;
        for (const TPageProblem &p : work.Problems()) {
            QVERIFY2(!p.Text.contains(QStringLiteral("stop"), Qt::CaseInsensitive), qPrintable(p.Text));
            if (p.Kind == PageProblemKind::MissingPicture) {
                ++missing;
                QVERIFY(BreaksPage(p));
                QVERIFY(p.Text.contains(QStringLiteral("flowers.jpg")));
            }
        }
        QCOMPARE(missing, 1);
        QVERIFY(!question.contains(QStringLiteral("stop"), Qt::CaseInsensitive));
        // What the upload is given: everything but the missing picture.
        const UploadImageList listed = m_doc->UploadImages();
        UploadImageList present;
        for (const ResourceDetail &d : listed)
            if (d.RefName != QLatin1String("graphics/flowers.jpg"))
                present << d;
        QCOMPARE(present.size(), listed.size() - 1);
        QCOMPARE(work.Page().Images, present);
        const TUploadPlan plan = PlanUpload(work.Page(), TUploadTarget());
        QCOMPARE(plan.Problem, QString());
        QCOMPARE(plan.Images.size(), present.size());

        // A picture outside the HTML folder is not among the files; the note
        // names it, nothing is asked, and the upload does not start.
        QString text = m_doc->HtmlText();
        text.replace(QStringLiteral("</BODY>"), QStringLiteral("<IMG SRC=\"../../x.gif\"></BODY>"),
                     Qt::CaseInsensitive);
        m_doc->SetHtmlText(text);
        QVERIFY(QFile::copy(m_app + QStringLiteral("/HTMLFiles/graphics/button.gif"),
                            m_app + QStringLiteral("/HTMLFiles/graphics/flowers.jpg")));
        const QString stop = work.PrepareUpload(nullptr);
        QVERIFY2(stop.startsWith(LoadStr(Msg::PicturesOutsideNotSent) + QStringLiteral("\r\n../../x.gif: ")), qPrintable(stop));
        QVERIFY(stop.endsWith(LoadStr(Msg::NothingUploaded)));
        QCOMPARE(work.MissingPictures(), QStringList());
        QCOMPARE(work.MissingPicturesQuestion(), QString());
        QVERIFY(work.RefusedNote().startsWith(LoadStr(Msg::NotSentOutside) + QStringLiteral("\n../../x.gif: ")));
        QVERIFY(!m_doc->UploadFileNames().join(',').contains(QStringLiteral("x.gif")));
        QCOMPARE(work.Page().Images, m_doc->UploadImages());
        const TUploadPlan all = PlanUpload(work.Page(), TUploadTarget());
        QCOMPARE(all.Problem, QString());
        QCOMPARE(all.Images.size(), listed.size());
        for (const TUploadFile &f : all.Images)
            QVERIFY2(!f.Shown.contains(QStringLiteral("x.gif")), qPrintable(f.Shown));
    }

    // A certificate accepted during the upload stays with the server, even
    // when the upload failed later; "Send everything" is used up by a success only.
    void finishedKeepsTrustAndUsesUpSendEverything()
    {
        OpenExample();
        tWWWServerType server;
        server.Name = QStringLiteral("Secure");
        server.Address = QStringLiteral("127.0.0.1:2121");
        server.URL = QStringLiteral("http://www.example.com/~me");
        server.SetTransferProtocol(TTransferProtocol::FTPS);
        ServerList() = {server};
        QVERIFY(SaveServerList().ok());

        TSendWork work(*m_doc);
        work.SendEverything = true;
        TUploadOutcome failed;
        failed.Result = UploadResult::Failed;
        failed.AcceptedFingerprint = QStringLiteral("AB:CD");
        QCOMPARE(work.Finished(server, failed), QString());
        QVERIFY(work.SendEverything);
        QCOMPARE(work.YourPageAddress(), QString());
        QCOMPARE(ReadServer(QStringLiteral("Secure")).TrustedFingerprint, QStringLiteral("AB:CD"));

        TUploadOutcome done;
        done.Result = UploadResult::Succeeded;
        QCOMPARE(work.Finished(server, done), QString());
        QVERIFY(!work.SendEverything);
        QCOMPARE(work.YourPageAddress(), QStringLiteral("http://www.example.com/~me/Example.html"));
    }

    // What an upload leaves to keep with the server, when the server list
    // cannot be saved: the user is told, and the list in use stays as it was.
    void finishedTellsWhatCouldNotBeKept_data()
    {
        QTest::addColumn<QString>("fingerprint");
        QTest::addColumn<int>("connections");
        QTest::newRow("certificate") << QStringLiteral("AB:CD") << 0;
        QTest::newRow("connections taken") << QString() << 2;
    }

    void finishedTellsWhatCouldNotBeKept()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QFETCH(QString, fingerprint);
        QFETCH(int, connections);
        OpenExample();
        tWWWServerType server;
        server.Name = QStringLiteral("Busy");
        server.Address = QStringLiteral("127.0.0.1:2121");
        ServerList() = {server};
        QVERIFY(SaveServerList().ok());
        const QString folder = QFileInfo(SettingsStore().FileName()).absolutePath();
        QString error;
        QVERIFY2(MountSmallFileSystem(folder, 64, &error), qPrintable(error));
        QVERIFY2(RemountReadOnly(folder, &error), qPrintable(error));
        TSendWork work(*m_doc);
        TUploadOutcome outcome;
        outcome.Result = UploadResult::Succeeded;
        outcome.AcceptedFingerprint = fingerprint;
        outcome.ConnectionsAllowed = connections;
        const QString message = work.Finished(server, outcome);
        UnmountSmallFileSystem(folder);
        QVERIFY2(message.contains(QStringLiteral("Read-only file system")), qPrintable(message));
        QCOMPARE(ServerList().at(0).TrustedFingerprint, QString());
        QCOMPARE(ServerList().at(0).ConnectionsAllowed, 0);
    }

    void flightEndsInTheUpload()
    {
        int frame = 0;
        QStringList bitmaps;
        int sounds = 0;
        for (int tick = 0; tick < 20; ++tick) {
            const TFlightFrame f = UploadFlightFrame(frame);
            sounds += f.PlaySound;
            if (f.Upload) {
                QCOMPARE(f.Next, 0);
                break;
            }
            bitmaps << f.Bitmap;
            frame = f.Next;
        }
        QCOMPARE(bitmaps.size(), 9);
        QCOMPARE(bitmaps.last(), QStringLiteral("Web_Upload9"));
        QCOMPARE(sounds, 1);
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestPublishSend, QCoreApplication)
#include "test_publish_send.moc"
