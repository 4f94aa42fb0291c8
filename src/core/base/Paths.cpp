#include "base/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace wobbin {

QString JoinPath(const QString &folder, const QString &name)
{
    QString second = name;
    if (second.startsWith(QLatin1Char('\\')))
        second.remove(0, 1);
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        return folder + second;
    return folder + QLatin1Char('\\') + second;
}

QString ToNativePath(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

QString FindPathNoCase(const QString &path)
{
    const QString native = ToNativePath(path);
    if (native.isEmpty() || QFileInfo::exists(native))
        return native;
    const bool absolute = native.startsWith(QLatin1Char('/'));
    const QStringList parts = native.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
    QString result = absolute ? QStringLiteral("/") : QString();
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        QString match;
        const QString direct = QDir(current).filePath(part);
        if (QFileInfo::exists(direct)) {
            match = part;
        } else {
            const QStringList entries = QDir(current).entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QString &e : entries) {
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    match = e;
                    break;
                }
            }
        }
        if (match.isEmpty())
            return native;
        current = QDir(current).filePath(match);
        result = (result.isEmpty() || result == QLatin1String("/")) ? result + match
                                                                    : result + QLatin1Char('/') + match;
    }
    return result;
}

QString WebFileName(const QString &fileName)
{
    QString name = fileName;
    name.remove(QLatin1Char(' '));
    return name.toLower();
}

QString TRealPaths::Of(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(cut + 1);
    if (S_ISLNK(st.st_mode) || cut < 0 || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QFileInfo(path).canonicalFilePath();
    const QString folder = cut == 0 ? QStringLiteral("/") : path.left(cut);
    auto it = m_folders.constFind(folder);
    if (it == m_folders.constEnd())
        it = m_folders.insert(folder, QFileInfo(folder).canonicalFilePath());
    if (it->isEmpty())
        return QString();
    return *it == QLatin1String("/") ? QLatin1Char('/') + name : *it + QLatin1Char('/') + name;
}

} // namespace wobbin
