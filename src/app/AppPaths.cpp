#include "app/AppPaths.h"

#include "base/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
        candidates << QDir(programDir).filePath(QStringLiteral("../share/wobbin-express/data"));
    for (const QString &base : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(base).filePath(QStringLiteral("wobbin-express/data"));
    for (const QString &c : candidates)
        if (QFileInfo(c).isDir())
            return Clean(c);
    return QString();
}

QString UserDataDir()
{
    return Clean(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                 + QStringLiteral("/Quorvex/Wobbin Express"));
}

bool SeedDataDir(const QString &from, const QString &to)
{
    if (from.isEmpty() || !QFileInfo(from).isDir())
        return false;
    bool ok = QDir().mkpath(to);
    const QDir src(from);
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString target = QDir(to).filePath(src.relativeFilePath(path));
        if (info.isDir()) {
            ok = QDir().mkpath(target) && ok;
        } else if (!QFileInfo::exists(target) && !QFileInfo(target).isSymLink()) {
            if (QFile::copy(path, target)) {
                // The installed copy is read-only; the user's copy must not be.
                QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
            } else {
                ok = false;
            }
        }
    }
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

StartupOptions ParseStartupArguments(const QStringList &arguments)
{
    StartupOptions o;
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
            o.pageFile = a;
        }
    }
    return o;
}

} // namespace wobbin
