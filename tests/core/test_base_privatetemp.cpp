// The process's private temporary folder: for its owner only, not a link,
// made anew when it goes, and job folders that stay inside it.
#include "base/PrivateTemp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

using namespace wobbin;

namespace {
int ModeOf(const QString &path)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}
} // namespace

class TestBasePrivateTemp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ownerOnlyFolderInTheTemporaryFolder()
    {
        if (qEnvironmentVariableIsSet("WOBBIN_PRINT_PRIVATE_TEMP")) {
            // Child run (see removedWhenTheProgramEnds): name the folder, then end.
            std::printf("%s\n", qPrintable(PrivateTempFolder()));
            return;
        }
        const QString folder = PrivateTempFolder();
        QVERIFY(!folder.isEmpty());
        QCOMPARE(QFileInfo(folder).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        QCOMPARE(ModeOf(folder), 0700);
        QCOMPARE(PrivateTempFolder(), folder);

        const QString job = NewPrivateJobFolder(QStringLiteral("convert"));
        QVERIFY(job.startsWith(folder + QStringLiteral("/convert-")));
        QCOMPARE(ModeOf(job), 0700);
        QVERIFY(NewPrivateJobFolder(QStringLiteral("convert")) != job);
        RemoveTempFolder(job);
        QVERIFY(!QFileInfo::exists(job));
    }

    void replacedFolderIsMadeAnew()
    {
        const QString folder = PrivateTempFolder();
        // Someone removes it and puts a link to another place there.
        QVERIFY(QDir(folder).removeRecursively());
        const QString elsewhere = QDir::temp().filePath(QStringLiteral("wobbin-elsewhere"));
        QDir().mkpath(elsewhere);
        QVERIFY(QFile::link(elsewhere, folder));
        const QString again = PrivateTempFolder();
        QVERIFY(again != folder);
        QCOMPARE(ModeOf(again), 0700);
        QFile::remove(folder);
        QDir(elsewhere).removeRecursively();
    }

    void removingTouchesOnlyJobFolders()
    {
        const QString outside = QDir::temp().filePath(QStringLiteral("wobbin-keep"));
        QVERIFY(QDir().mkpath(outside));
        RemoveTempFolder(outside);
        RemoveTempFolder(PrivateTempFolder() + QStringLiteral("/../wobbin-keep"));
        QVERIFY(QFileInfo(outside).isDir());
        QDir(outside).removeRecursively();
    }

    void removedWhenTheProgramEnds()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WOBBIN_PRINT_PRIVATE_TEMP"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("ownerOnlyFolderInTheTemporaryFolder")});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);
        const QStringList lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split(QLatin1Char('\n'));
        QString folder;
        for (const QString &l : lines)
            if (l.contains(QLatin1String("wobbin-express-")))
                folder = l.trimmed();
        QVERIFY2(!folder.isEmpty(), "the child named no folder");
        QVERIFY(!QFileInfo::exists(folder));
    }
};

QTEST_GUILESS_MAIN(TestBasePrivateTemp)
#include "test_base_privatetemp.moc"
