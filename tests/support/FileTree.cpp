#include "support/FileTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace wobbin::testing {

bool CopyTree(const QString &from, const QString &to, const QStringList &only)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString relative = src.mid(from.size() + 1);
        if (!only.isEmpty() && !only.contains(relative.section(QLatin1Char('/'), 0, 0)))
            continue;
        const QString dst = to + src.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(dst);
        else if (!QFile::copy(src, dst))
            return false;
    }
    return true;
}

QString CopyProgramData(const QString &dir, const QStringList &only)
{
    const QString app = dir + QStringLiteral("/app");
    if (!CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), app, only)
        || !QDir().mkpath(app + QStringLiteral("/HTMLFiles")))
        return QString();
    return app;
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesBelow(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace wobbin::testing
