#include "settings/AppPaths.h"

#include "base/Paths.h"
#include "base/SafeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace wobbin {

namespace {
QString &AppDirSlot()
{
    static QString dir;
    return dir;
}

QString Clean(const QString &dir)
{
    QString d = QDir::cleanPath(QDir(dir).absolutePath());
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}
} // namespace

QString AppDir()
{
    return AppDirSlot();
}

void SetAppDir(const QString &dir)
{
    AppDirSlot() = dir.isEmpty() ? QString() : Clean(ToNativePath(dir));
}

QString HTMLFolder()
{
    return AppPath(QStringLiteral("HTMLFiles"));
}

QString AppPath(const QString &relative)
{
    return ToNativePath(JoinPath(AppDir(), relative));
}

QStringList DataSubfolders()
{
    return {QStringLiteral("HTMLFiles"), QStringLiteral("HTMLFiles/graphics"),
            QStringLiteral("HTMLFiles/backgrnd"), QStringLiteral("save"),
            QStringLiteral("template"), QStringLiteral("servers"), QStringLiteral("Help")};
}

bool EnsureDataFolders(const QString &appDir)
{
    bool ok = true;
    QDir root(appDir);
    for (const QString &sub : DataSubfolders()) {
        // An existing folder in another letter case is the same folder.
        const QString found = FindPathNoCase(root.filePath(sub));
        if (QFileInfo(found).isDir())
            continue;
        // Create it below the parent as it is on disk.
        const qsizetype slash = sub.lastIndexOf(QLatin1Char('/'));
        const QString parent = slash < 0 ? root.path() : FindPathNoCase(root.filePath(sub.left(slash)));
        ok = QDir().mkpath(QDir(parent).filePath(sub.mid(slash + 1))) && ok;
    }
    return ok;
}

TResult<void> CheckDataFolder(const QString &appDir)
{
    if (appDir.isEmpty())
        return TError(QStringLiteral("No data folder was found."));
    // A folder that could not be made is named by the checks below.
    EnsureDataFolders(appDir);
    QStringList folders{appDir};
    for (const QString &sub : DataSubfolders()) {
        if (sub != QLatin1String("servers") && sub != QLatin1String("Help"))
            folders << FindPathNoCase(QDir(appDir).filePath(sub));
    }
    for (const QString &folder : folders) {
        QString cause;
        if (!QFileInfo(folder).isDir())
            cause = QStringLiteral("the folder \"%1\" is missing and cannot be made").arg(folder);
        else if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
            cause = QString::fromLocal8Bit(std::strerror(errno));
        else {
            struct statvfs st = {};
            if (::statvfs(QFile::encodeName(folder).constData(), &st) == 0 && st.f_bavail == 0)
                cause = QString::fromLocal8Bit(std::strerror(ENOSPC));
        }
        if (!cause.isEmpty())
            return TError(QStringLiteral("The data folder \"%1\" cannot be used: %2. Pages and pictures cannot be "
                                         "saved there.")
                              .arg(appDir, cause));
    }
    return {};
}

bool HoldsProgramData(const QString &dir)
{
    if (dir.isEmpty())
        return false;
    const QDir d(dir);
    return QFileInfo(d.filePath(QStringLiteral("Styles.data"))).isFile()
        || QFileInfo(d.filePath(QStringLiteral("template"))).isDir()
        || QFileInfo(d.filePath(QStringLiteral("servers"))).isDir();
}

QString InstalledDataDir(const QString &programDir)
{
    QStringList candidates;
    if (!programDir.isEmpty())
        candidates << QDir(programDir).filePath(QStringLiteral("../share/wobbin-express"));
    for (const QString &base : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(base).filePath(QStringLiteral("wobbin-express"));
    for (const QString &c : candidates)
        if (HoldsProgramData(c))
            return Clean(c);
    return QString();
}

QString UserDataDir()
{
    return Clean(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                 + QStringLiteral("/Quorvex/Wobbin Express"));
}

QString SeedRecordName()
{
    return QStringLiteral(".shipped-files");
}

namespace {

// The record: one line per copied file, "<sha-256 in hex> <path below the folder>".
using SeedRecord = QMap<QString, QByteArray>;

SeedRecord ReadSeedRecord(const QString &path)
{
    SeedRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return record;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype space = line.indexOf(' ');
        if (space == 64)
            record.insert(QString::fromUtf8(line.mid(space + 1)), line.left(space));
    }
    return record;
}

QByteArray SeedRecordBytes(const SeedRecord &record)
{
    QByteArray bytes;
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        bytes += it.value() + ' ' + it.key().toUtf8() + '\n';
    return bytes;
}

QByteArray Digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool ReadWhole(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// The place of relative in the folder: an existing file or folder in any
// letter case, else a new name below the parent as it is on disk.
QString PlaceBelow(const QString &folder, const QString &relative)
{
    const QString found = FindPathNoCase(QDir(folder).filePath(relative));
    if (QFileInfo::exists(found) || QFileInfo(found).isSymLink())
        return found;
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QDir(folder).filePath(relative);
    return QDir(PlaceBelow(folder, relative.left(slash))).filePath(relative.mid(slash + 1));
}

} // namespace

bool SeedDataDir(const QString &from, const QString &to)
{
    if (from.isEmpty() || !QFileInfo(from).isDir())
        return false;
    bool ok = QDir().mkpath(to);
    const QString recordPath = QDir(to).filePath(SeedRecordName());
    const SeedRecord before = ReadSeedRecord(recordPath);
    SeedRecord record = before;
    const QDir src(from);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = src.relativeFilePath(path);
        if (relative == SeedRecordName() || relative.contains(QLatin1Char('\n')))
            continue;
        QByteArray shipped;
        if (!ReadWhole(path, shipped)) {
            ok = false;
            continue;
        }
        const QByteArray shippedDigest = Digest(shipped);
        const QString target = PlaceBelow(to, relative);
        const QFileInfo info(target);
        const bool copiedBefore = record.contains(relative);
        bool write = false;
        if (!info.exists() && !info.isSymLink()) {
            write = !copiedBefore;  // deleted by the user: stays deleted
        } else if (copiedBefore && info.isFile() && !info.isSymLink() && record.value(relative) != shippedDigest) {
            QByteArray current;
            write = ReadWhole(target, current) && Digest(current) == record.value(relative);
        }
        if (!write)
            continue;
        if (QDir().mkpath(QFileInfo(target).absolutePath()) && WriteFileSafely(target, shipped).ok())
            record.insert(relative, shippedDigest);
        else
            ok = false;
    }
    if (record != before)
        ok = WriteFileSafely(recordPath, SeedRecordBytes(record)).ok() && ok;
    return ok;
}

QString ResolveAppDir(const QString &explicitDir, const QString &programDir)
{
    QString dir;
    if (!explicitDir.isEmpty()) {
        dir = Clean(explicitDir);
        QDir().mkpath(dir);
    } else if (HoldsProgramData(programDir)) {
        dir = Clean(programDir);
    } else {
        dir = UserDataDir();
        QDir().mkpath(dir);
        const QString installed = InstalledDataDir(programDir);
        if (!installed.isEmpty())
            SeedDataDir(installed, dir);
    }
    EnsureDataFolders(dir);
    return dir;
}

StartupOptions ParseStartupArguments(const QStringList &arguments, const QString &startFolder)
{
    StartupOptions o;
    const QDir start(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && a == QLatin1String("--debug")) {
            o.debug = true;
        } else if (!optionsEnded && a == QLatin1String("--data-dir")) {
            if (i + 1 < arguments.size())
                o.dataDir = arguments.at(++i);
        } else if (!optionsEnded && a.startsWith(QLatin1String("--data-dir="))) {
            o.dataDir = a.mid(11);
        } else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            // Options of Qt (-platform, -style ...) and others are not page files.
        } else if (o.pageFile.isEmpty()) {
            o.pageFile = QDir::cleanPath(start.absoluteFilePath(a));
        }
    }
    return o;
}

} // namespace wobbin
