#include "base/PrivateTemp.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace wobbin {

namespace {

std::mutex g_mutex;
QString g_folder;
bool g_cleanupRegistered = false;

// True when path is a real folder (not a link) of ours, for us alone.
bool IsOurPrivateFolder(const QString &path)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString MakeFolder(const QString &pattern)
{
    QByteArray name = QFile::encodeName(pattern);
    if (!::mkdtemp(name.data()))
        return QString();
    return QFile::decodeName(name);
}

void RemoveAtExit()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_folder.isEmpty() && IsOurPrivateFolder(g_folder))
        QDir(g_folder).removeRecursively();
    g_folder.clear();
}

QString FolderLocked()
{
    if (!g_folder.isEmpty() && IsOurPrivateFolder(g_folder))
        return g_folder;
    QString base = QDir::tempPath();
    if (base.isEmpty() || !QDir(base).exists())
        base = QStringLiteral("/tmp");
    // mkdtemp makes the folder with rights 0700.
    g_folder = MakeFolder(QDir(base).filePath(QStringLiteral("wobbin-express-XXXXXX")));
    if (!g_folder.isEmpty() && !g_cleanupRegistered) {
        g_cleanupRegistered = true;
        std::atexit(RemoveAtExit);
    }
    return g_folder;
}

} // namespace

QString PrivateTempFolder()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return FolderLocked();
}

QString NewPrivateJobFolder(const QString &prefix)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const QString folder = FolderLocked();
    if (folder.isEmpty())
        return QString();
    QString safePrefix = prefix;
    safePrefix.remove(QLatin1Char('/'));
    if (safePrefix.isEmpty())
        safePrefix = QStringLiteral("job");
    return MakeFolder(QDir(folder).filePath(safePrefix + QStringLiteral("-XXXXXX")));
}

void RemoveTempFolder(const QString &folder)
{
    if (folder.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_folder.isEmpty())
        return;
    const QString clean = QDir::cleanPath(folder);
    if (!clean.startsWith(g_folder + QLatin1Char('/')))
        return;
    struct stat st = {};
    if (::lstat(QFile::encodeName(clean).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    QDir(clean).removeRecursively();
}

} // namespace wobbin
