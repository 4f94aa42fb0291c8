// Publishing into a folder of this computer: the upload's order and rules on
// a real tmpfs (also full and read-only ones), and the refusal of names and
// links that would lead out of the folder.
#include "publish/FolderClient.h"
#include "publish/UnusedPictures.h"
#include "publish/Upload.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "support/FileTree.h"
#include "support/SmallFileSystem.h"
#include "support/UploadPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace wobbin;
using namespace wobbin::testing;

class TestPublishFolder : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_html, m_pageFile, m_mount, m_records;

    TUploadPage Page() const { return PageToSend(m_pageFile, m_html, m_records); }
    static TUploadTarget Target(const QString &folder)
    {
        tWWWServerType server;
        server.Name = QStringLiteral("Stick");
        server.Directory = folder;
        server.Address = QStringLiteral("ftp.unused.example");
        server.SetTransferProtocol(TTransferProtocol::Folder);
        return UploadTargetFor(server);
    }
    TUploadOutcome Publish(const QString &folder, QStringList *files = nullptr)
    {
        TUploadJob job(Page(), Target(folder));
        if (files)
            job.OnFile = [files](const QString &name, qint64 sent, qint64 size) {
                if (sent == size && !files->contains(name))
                    *files << name;
            };
        return job.DoUpload();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_html = m_tmp.filePath(QStringLiteral("HTMLFiles"));
        m_pageFile = m_tmp.filePath(QStringLiteral("save/My Page.qze"));
        m_records = m_tmp.filePath(QStringLiteral("records"));
        m_mount = m_tmp.filePath(QStringLiteral("stick"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/My Page.html"),
                           "<HTML><BODY BACKGROUND=\"backgrnd/Sky.jpg\"><IMG SRC=\"graphics/A.gif\">"
                           "<IMG SRC=\"graphics/big.gif\"></BODY></HTML>\r\n"));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/A.gif"), Pattern(60000, 'a')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/big.gif"), Pattern(3 << 20, 'g')));
        QVERIFY(WriteBytes(m_html + QStringLiteral("/backgrnd/Sky.jpg"), Pattern(70000, 's')));
    }

    void cleanup() { UnmountSmallFileSystem(m_mount); }

    // The same files and names as on a server, byte for byte, the page last;
    // then only what changed goes again; a picture the page dropped is removed.
    void publishesChangedOnlyWithThePageLast()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QString error;
        QVERIFY2(MountSmallFileSystem(m_mount, 16 * 1024, &error), qPrintable(error));
        const QString site = m_mount + QStringLiteral("/site");
        QVERIFY(QDir().mkpath(site));
        QDir(m_records).removeRecursively();

        QStringList order;
        TUploadOutcome o = Publish(site, &order);
        QCOMPARE(o.Result, UploadResult::Succeeded);
        QCOMPARE(FilesBelow(site), (QStringList{"MyPage.html", "backgrnd/Sky.jpg", "graphics/A.gif", "graphics/big.gif"}));
        for (const char *f : {"backgrnd/Sky.jpg", "graphics/A.gif", "graphics/big.gif"})
            QCOMPARE(ReadBytes(site + QLatin1Char('/') + f), ReadBytes(m_html + QLatin1Char('/') + f));
        QCOMPARE(ReadBytes(site + QStringLiteral("/MyPage.html")), ReadBytes(m_html + QStringLiteral("/My Page.html")));
        QCOMPARE(order.size(), 4);
        QCOMPARE(order.last(), QStringLiteral("My Page.html"));
        // A web server serving the folder may read what was written.
        QVERIFY(QFileInfo(site + QStringLiteral("/graphics/A.gif")).permissions() & QFile::ReadOther);

        o = Publish(site);
        QCOMPARE(o.Result, UploadResult::Succeeded);
        QVERIFY(o.PageUnchanged);
        QCOMPARE(o.Skipped.size(), 3);

        QVERIFY(WriteBytes(m_html + QStringLiteral("/graphics/A.gif"), Pattern(61000, 'A')));
        order.clear();
        o = Publish(site, &order);
        QCOMPARE(order, QStringList{QStringLiteral("graphics/A.gif")});
        QCOMPARE(ReadBytes(site + QStringLiteral("/graphics/A.gif")), Pattern(61000, 'A'));

        // The tidy server's removal, in the folder too.
        TRemoveUnusedJob tidy(Target(site), {QStringLiteral("graphics/big.gif")}, m_records);
        const TRemovalOutcome removed = tidy.Run();
        QCOMPARE(removed.Removed, QStringList{QStringLiteral("graphics/big.gif")});
        QVERIFY(!QFile::exists(site + QStringLiteral("/graphics/big.gif")));
    }

    // A folder that is not there is told as such and never made; one that
    // cannot be written, or fills up, keeps what visitors see whole.
    void missingReadOnlyAndFullFolders()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QDir(m_records).removeRecursively();
        const QString unplugged = m_tmp.filePath(QStringLiteral("media/STICK/site"));
        TUploadOutcome o = Publish(unplugged);
        QCOMPARE(o.Result, UploadResult::Failed);
        QCOMPARE(o.Message, LoadStr(Msg::FolderNotThere).arg(unplugged));
        QVERIFY(!QFileInfo::exists(m_tmp.filePath(QStringLiteral("media"))));

        QString error;
        QVERIFY2(MountSmallFileSystem(m_mount, 1024, &error), qPrintable(error));
        QVERIFY(WriteBytes(m_mount + QStringLiteral("/MyPage.html"), "old page"));
        o = Publish(m_mount);
        QCOMPARE(o.Result, UploadResult::Failed);
        // Only the small pictures fit: the large one fails with the system's
        // reason, and the page stays as it was.
        QVERIFY2(o.Message.contains(QStringLiteral("graphics/big.gif: No space left on device")), qPrintable(o.Message));
        QCOMPARE(ReadBytes(m_mount + QStringLiteral("/MyPage.html")), QByteArray("old page"));
        QVERIFY(!FilesBelow(m_mount).contains(QStringLiteral("graphics/big.gif")));

        QVERIFY2(RemountReadOnly(m_mount, &error), qPrintable(error));
        o = Publish(m_mount);
        QCOMPARE(o.Message, LoadStr(Msg::FolderNotWritable).arg(m_mount, QStringLiteral("Read-only file system")));
    }

    // Cancelled in the middle of a large file: nothing new under a real name,
    // the old file whole.
    void cancelLeavesTheOldFileWhole()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QString error;
        QVERIFY2(MountSmallFileSystem(m_mount, 64 * 1024, &error), qPrintable(error));
        const QString big = m_tmp.filePath(QStringLiteral("big.jpg"));
        QVERIFY(WriteBytes(big, Pattern(40 << 20, 'b')));
        QVERIFY(WriteBytes(m_mount + QStringLiteral("/old.jpg"), "old"));
        TFtpClient client;
        TFtpLogOn logOn;
        logOn.Protocol = TTransferProtocol::Folder;
        logOn.Host = m_mount;
        QVERIFY(client.Connect(logOn));
        qint64 reached = 0;
        client.OnProgress = [&](qint64 sent, qint64) {
            reached = sent;
            if (sent >= 8 << 20)
                client.Cancel();
        };
        for (const char *name : {"old.jpg", "new.jpg"}) {
            client.ClearCancel();
            QVERIFY(!client.SendFile(big, QString::fromLatin1(name)));
            QCOMPARE(client.Failure(), FtpFailure::Cancelled);
            QCOMPARE(reached, qint64(8 << 20));
        }
        QCOMPARE(FilesBelow(m_mount), QStringList{QStringLiteral("old.jpg")});
        QCOMPARE(ReadBytes(m_mount + QStringLiteral("/old.jpg")), QByteArray("old"));
    }

    // Names and links that lead out of the folder are refused before anything
    // is read, written or removed outside it.
    void namesAndLinksOutOfTheFolderAreRefused()
    {
        const QString site = m_tmp.filePath(QStringLiteral("hostile/site"));
        const QString outside = m_tmp.filePath(QStringLiteral("hostile/outside"));
        QVERIFY(QDir().mkpath(site) && QDir().mkpath(outside));
        QVERIFY(WriteBytes(outside + QStringLiteral("/keep.txt"), "keep"));
        QVERIFY(QFile::link(outside, site + QStringLiteral("/graphics")));
        QVERIFY(QFile::link(outside + QStringLiteral("/keep.txt"), site + QStringLiteral("/page.html")));
        const QString local = m_html + QStringLiteral("/graphics/A.gif");
        TFtpClient client;
        TFtpLogOn logOn;
        logOn.Protocol = TTransferProtocol::Folder;
        logOn.Host = site;
        QVERIFY(client.Connect(logOn));
        for (const QString &name : {QStringLiteral("../outside/x.gif"), outside + QStringLiteral("/x.gif"),
                                    QStringLiteral("graphics/x.gif"), QStringLiteral("page.html")}) {
            QVERIFY2(!client.SendFile(local, name), qPrintable(name));
            QCOMPARE(client.Failure(), FtpFailure::BadName);
        }
        QList<TRemoteEntry> entries;
        QVERIFY(!client.ListFolder(QStringLiteral("graphics"), entries));
        QVERIFY(!client.ChangeFolder(QStringLiteral("graphics")));
        QVERIFY(!client.DeleteFile(QStringLiteral("graphics/keep.txt")));
        QVERIFY(!client.MakeFolder(QStringLiteral("../made")));
        QCOMPARE(FilesBelow(outside), QStringList{QStringLiteral("keep.txt")});
        QCOMPARE(ReadBytes(outside + QStringLiteral("/keep.txt")), QByteArray("keep"));
        QVERIFY(!QFileInfo::exists(m_tmp.filePath(QStringLiteral("hostile/made"))));
    }

    // WebDAV is a destination of its own, never taken for a folder or FTP:
    // a server that is not there is named as unreachable.
    void webDavIsNotTakenForAnotherKind()
    {
        TUploadTarget t;
        t.Protocol = ProtocolFromName(QStringLiteral("WebDAVS"));
        t.Address = QStringLiteral("127.0.0.1:1");
        TUploadJob job(Page(), t);
        const TUploadOutcome o = job.DoUpload();
        QCOMPARE(o.Result, UploadResult::Failed);
        QVERIFY2(o.Message.startsWith(LoadStr(Msg::ServerUnreachable)), qPrintable(o.Message));
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestPublishFolder, QCoreApplication)
#include "test_publish_folder.moc"
