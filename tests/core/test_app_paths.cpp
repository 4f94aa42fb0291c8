// AppDir choice, data folders, first-start seeding, JoinPath and the start-up arguments.
#include "settings/AppPaths.h"
#include "settings/StartupCheck.h"
#include "base/Paths.h"
#include "support/SmallFileSystem.h"
#include "support/ResultCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

namespace {
void WriteFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestAppPaths : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("xdg-data")).toUtf8());
    }

    void joinPath()
    {
        QCOMPARE(JoinPath(QStringLiteral("C:\\Web"), QStringLiteral("HTMLFiles")), QStringLiteral("C:\\Web\\HTMLFiles"));
        QCOMPARE(JoinPath(QStringLiteral("C:\\"), QStringLiteral("HTMLFiles")), QStringLiteral("C:\\HTMLFiles"));
        QCOMPARE(JoinPath(QStringLiteral("C:\\Web"), QStringLiteral("\\save")), QStringLiteral("C:\\Web\\save"));
        QCOMPARE(JoinPath(QStringLiteral("C:\\Web\\"), QStringLiteral("\\save")), QStringLiteral("C:\\Web\\save"));
        QCOMPARE(JoinPath(QStringLiteral("/opt/w"), QStringLiteral("Help\\Wobbin Express.hlp")),
                 QStringLiteral("/opt/w\\Help\\Wobbin Express.hlp"));
    }

    // The real paths of many files, worked out folder by folder, are those the
    // file system gives, through links of folders and of files, for missing
    // files and links to nothing.
    void realPathsAreThoseOfTheFileSystem()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        WriteFile(root + QStringLiteral("/site/graphics/a.gif"), "GIF");
        WriteFile(root + QStringLiteral("/elsewhere/secret.txt"), "x");
        QVERIFY(QFile::link(root + QStringLiteral("/site"), root + QStringLiteral("/linked")));
        QVERIFY(QFile::link(root + QStringLiteral("/elsewhere/secret.txt"), root + QStringLiteral("/site/graphics/out.gif")));
        QVERIFY(QFile::link(root + QStringLiteral("/nothing"), root + QStringLiteral("/site/graphics/dangling.gif")));
        QVERIFY(QFile::link(root + QStringLiteral("/elsewhere"), root + QStringLiteral("/site/graphics/away")));
        const QStringList paths{
            QStringLiteral("/site/graphics/a.gif"),
            QStringLiteral("/linked/graphics/a.gif"),           // through a linked folder
            QStringLiteral("/site/graphics/out.gif"),           // a link to a file elsewhere
            QStringLiteral("/site/graphics/away/secret.txt"),   // below a link to a folder elsewhere
            QStringLiteral("/site/graphics/dangling.gif"),      // a link to nothing
            QStringLiteral("/site/graphics/missing.gif"),
            QStringLiteral("/site/missing/a.gif"),
            QStringLiteral("/site/graphics/../graphics/a.gif"),
            QStringLiteral("/site/graphics/."),
            QStringLiteral("/site/graphics/.."),
            QStringLiteral("/site/graphics"),
        };
        TRealPaths real;
        for (int round = 0; round < 2; ++round) { // the second round from the folders kept
            for (const QString &p : paths) {
                const QString path = root + p;
                QCOMPARE(real.Of(path), QFileInfo(path).canonicalFilePath());
            }
        }
        const QString realRoot = QFileInfo(root).canonicalFilePath();
        QCOMPARE(real.Of(root + QStringLiteral("/site/graphics/out.gif")), realRoot + QStringLiteral("/elsewhere/secret.txt"));
        QCOMPARE(real.Of(root + QStringLiteral("/linked/graphics/a.gif")), realRoot + QStringLiteral("/site/graphics/a.gif"));
        QVERIFY(real.Of(root + QStringLiteral("/site/graphics/dangling.gif")).isEmpty());
        QCOMPARE(real.Of(QStringLiteral("/etc")), QFileInfo(QStringLiteral("/etc")).canonicalFilePath());
    }

    void appDirAndHtmlFolder()
    {
        SetAppDir(m_dir.filePath(QStringLiteral("app/")));
        QCOMPARE(AppDir(), m_dir.filePath(QStringLiteral("app")));
        QCOMPARE(HTMLFolder(), m_dir.filePath(QStringLiteral("app/HTMLFiles")));
        QCOMPARE(AppPath(QStringLiteral("Help\\Wobbin Express.hlp")),
                 m_dir.filePath(QStringLiteral("app/Help/Wobbin Express.hlp")));
        SetAppDir(QStringLiteral("/"));
        QCOMPARE(AppDir(), QStringLiteral("/"));
        QCOMPARE(HTMLFolder(), QStringLiteral("/HTMLFiles"));
    }

    void explicitDataDirGetsItsFolders()
    {
        const QString dir = m_dir.filePath(QStringLiteral("explicit"));
        QCOMPARE(ResolveAppDir(dir, m_dir.filePath(QStringLiteral("bin"))), dir);
        for (const QString &sub : DataSubfolders())
            QVERIFY2(QFileInfo(dir + QLatin1Char('/') + sub).isDir(), qPrintable(sub));
    }

    void existingFolderInOtherCaseIsKept()
    {
        const QString dir = m_dir.filePath(QStringLiteral("cased"));
        QDir().mkpath(dir + QStringLiteral("/Template"));
        QDir().mkpath(dir + QStringLiteral("/htmlfiles/Graphics"));
        QVERIFY(EnsureDataFolders(dir));
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/template")));
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/HTMLFiles")));
        // The missing subfolder goes below the folder as it is on disk.
        QVERIFY(QFileInfo(dir + QStringLiteral("/htmlfiles/backgrnd")).isDir());
        QVERIFY(QFileInfo(dir + QStringLiteral("/htmlfiles/Graphics")).isDir());
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/htmlfiles/graphics")));
    }

    void portableInstallUsesProgramFolder()
    {
        const QString prog = m_dir.filePath(QStringLiteral("portable"));
        QDir().mkpath(prog + QStringLiteral("/template"));
        QVERIFY(HoldsProgramData(prog));
        QCOMPARE(ResolveAppDir(QString(), prog), prog);
        QVERIFY(QFileInfo(prog + QStringLiteral("/HTMLFiles/graphics")).isDir());
    }

    void installedCopySeedsUserFolder()
    {
        const QString prefix = m_dir.filePath(QStringLiteral("usr"));
        const QString bin = prefix + QStringLiteral("/bin");
        const QString shared = prefix + QStringLiteral("/share/wobbin-express");
        QDir().mkpath(bin);
        WriteFile(shared + QStringLiteral("/Styles.data"), "installed styles");
        WriteFile(shared + QStringLiteral("/template/Home.qzt"), "installed template");
        WriteFile(shared + QStringLiteral("/servers/isp.inf"), "installed isp");
        WriteFile(shared + QStringLiteral("/save/Example.qze"), "example page");
        QFile::setPermissions(shared + QStringLiteral("/template/Home.qzt"), QFileDevice::ReadOwner);
        QVERIFY(!HoldsProgramData(bin));
        QCOMPARE(InstalledDataDir(bin), QDir::cleanPath(shared));

        const QString user = UserDataDir();
        QVERIFY(user.endsWith(QStringLiteral("xdg-data/Quorvex/Wobbin Express")));
        // The user already has styles of their own: that file is kept.
        WriteFile(user + QStringLiteral("/Styles.data"), "my styles");
        QCOMPARE(ResolveAppDir(QString(), bin), user);
        QCOMPARE(ReadFile(user + QStringLiteral("/Styles.data")), QByteArray("my styles"));
        QCOMPARE(ReadFile(user + QStringLiteral("/template/Home.qzt")), QByteArray("installed template"));
        QCOMPARE(ReadFile(user + QStringLiteral("/save/Example.qze")), QByteArray("example page"));
        QVERIFY(QFile::permissions(user + QStringLiteral("/template/Home.qzt")) & QFileDevice::WriteOwner);
        QVERIFY(QFileInfo(user + QStringLiteral("/HTMLFiles/graphics")).isDir());

        // The user edits one copy and deletes another; a second start keeps both choices.
        WriteFile(user + QStringLiteral("/template/Home.qzt"), "edited");
        QVERIFY(QFile::remove(user + QStringLiteral("/save/Example.qze")));
        QCOMPARE(ResolveAppDir(QString(), bin), user);
        QCOMPARE(ReadFile(user + QStringLiteral("/template/Home.qzt")), QByteArray("edited"));
        QVERIFY(!QFileInfo::exists(user + QStringLiteral("/save/Example.qze")));

        // A newer version ships changed files and a new one: the untouched copy
        // follows, the edited one, the deleted one and the user's own stay as they are.
        QFile::setPermissions(shared + QStringLiteral("/template/Home.qzt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        WriteFile(shared + QStringLiteral("/servers/isp.inf"), "new isp");
        WriteFile(shared + QStringLiteral("/template/Home.qzt"), "new template");
        WriteFile(shared + QStringLiteral("/save/Example.qze"), "new example");
        WriteFile(shared + QStringLiteral("/Styles.data"), "new styles");
        WriteFile(shared + QStringLiteral("/servers/other.inf"), "other isp");
        QCOMPARE(ResolveAppDir(QString(), bin), user);
        QCOMPARE(ReadFile(user + QStringLiteral("/servers/isp.inf")), QByteArray("new isp"));
        QCOMPARE(ReadFile(user + QStringLiteral("/servers/other.inf")), QByteArray("other isp"));
        QCOMPARE(ReadFile(user + QStringLiteral("/template/Home.qzt")), QByteArray("edited"));
        QVERIFY(!QFileInfo::exists(user + QStringLiteral("/save/Example.qze")));
        QCOMPARE(ReadFile(user + QStringLiteral("/Styles.data")), QByteArray("my styles"));
    }

    void seedingKeepsFilesInOtherCaseAndLinks()
    {
        const QString shipped = m_dir.filePath(QStringLiteral("shipped2"));
        const QString user = m_dir.filePath(QStringLiteral("user2"));
        WriteFile(shipped + QStringLiteral("/template/Home.qzt"), "installed");
        WriteFile(shipped + QStringLiteral("/servers/isp.inf"), "installed isp");
        // The user's folder has the template under another letter case, and a
        // link where a provider file would go.
        WriteFile(user + QStringLiteral("/Template/home.QZT"), "mine");
        QDir().mkpath(user + QStringLiteral("/servers"));
        const QString outside = m_dir.filePath(QStringLiteral("outside.txt"));
        WriteFile(outside, "outside");
        QVERIFY(QFile::link(outside, user + QStringLiteral("/servers/isp.inf")));
        QVERIFY(SeedDataDir(shipped, user));
        QCOMPARE(ReadFile(user + QStringLiteral("/Template/home.QZT")), QByteArray("mine"));
        QVERIFY(!QFileInfo::exists(user + QStringLiteral("/template")));
        QCOMPARE(ReadFile(outside), QByteArray("outside"));
        // Nothing was copied, so nothing is recorded as the program's.
        QVERIFY(!QFileInfo::exists(user + QLatin1Char('/') + SeedRecordName()));
    }

    void unusableDataFolderIsNoticed()
    {
        const QString good = m_dir.filePath(QStringLiteral("usable"));
        QCOMPARE(ResolveAppDir(good, QString()), good);
        QVERIFY(CheckDataFolder(good).ok());

        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        const QString dir = m_dir.filePath(QStringLiteral("readonly"));
        QString error;
        QVERIFY2(testing::MountSmallFileSystem(dir, 64, &error), qPrintable(error));
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/template")));
        QVERIFY2(testing::RemountReadOnly(dir, &error), qPrintable(error));
        const QString problem = QStringLiteral("The data folder \"%1\" cannot be used: Read-only file system. Pages "
                                               "and pictures cannot be saved there.").arg(dir);
        QVERIFY(!testing::Succeeds(CheckDataFolder(dir), &error));
        QCOMPARE(error, problem);
        QCOMPARE(StartupMessage({QStringLiteral("A."), problem}), QStringLiteral("A.\n\n") + problem);
        testing::UnmountSmallFileSystem(dir);
    }

    void damagedStyleLibraryIsDescribed()
    {
        const QString path = m_dir.filePath(QStringLiteral("Styles.data"));
        const auto problem = [&] {
            QString why;
            return testing::Succeeds(CheckStyleLibrary(path), &why) ? QString() : why;
        };
        QCOMPARE(problem(),
                 QStringLiteral("The style library \"Styles.data\" is missing or cannot be read; only \"[None]\" "
                                "can be chosen."));
        // Two styles announced, one complete record, then the file ends.
        QByteArray data("\x02\x00\x00\x00", 4);
        const auto str = [&](const QByteArray &t) {
            const qint32 n = qint32(t.size()) - 1;
            data += QByteArray(reinterpret_cast<const char *>(&n), 4) + t;
        };
        str("Sky");
        str("");
        for (int i = 0; i < 5; ++i)
            str("clBlack");
        str("Broken");
        WriteFile(path, data);
        QCOMPARE(problem(),
                 QStringLiteral("The style library \"Styles.data\" is damaged; only its first style could be read."));
        WriteFile(path, QByteArray("\x01\x00", 2));
        QCOMPARE(problem(),
                 QStringLiteral("The style library \"Styles.data\" is damaged; none of its styles could be read."));
        WriteFile(path, QByteArray("\x00\x00\x00\x00", 4));
        QCOMPARE(problem(), QString());
    }

    void startupArguments()
    {
        StartupOptions o = ParseStartupArguments({QStringLiteral("prog")});
        QVERIFY(o.dataDir.isEmpty() && o.pageFile.isEmpty() && !o.debug);
        // A page named by a relative path is found where the program was started.
        o = ParseStartupArguments({QStringLiteral("prog"), QStringLiteral("--data-dir"), QStringLiteral("/d"),
                                   QStringLiteral("--debug"), QStringLiteral("my page.qze"), QStringLiteral("other")},
                                  QStringLiteral("/home/ann/pages"));
        QCOMPARE(o.dataDir, QStringLiteral("/d"));
        QVERIFY(o.debug);
        QCOMPARE(o.pageFile, QStringLiteral("/home/ann/pages/my page.qze"));
        o = ParseStartupArguments({QStringLiteral("prog"), QStringLiteral("../old/a.qze")}, QStringLiteral("/home/ann/pages"));
        QCOMPARE(o.pageFile, QStringLiteral("/home/ann/old/a.qze"));
        o = ParseStartupArguments({QStringLiteral("prog"), QStringLiteral("--data-dir=/x y"), QStringLiteral("--"),
                                   QStringLiteral("/tmp/--debug")}, QStringLiteral("/home/ann"));
        QCOMPARE(o.dataDir, QStringLiteral("/x y"));
        QVERIFY(!o.debug);
        QCOMPARE(o.pageFile, QStringLiteral("/tmp/--debug"));
        // A trailing --data-dir without a folder is ignored.
        o = ParseStartupArguments({QStringLiteral("prog"), QStringLiteral("--data-dir")});
        QVERIFY(o.dataDir.isEmpty());
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestAppPaths, QCoreApplication)
#include "test_app_paths.moc"
