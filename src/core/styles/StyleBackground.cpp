#include "styles/StyleBackground.h"

#include "base/Paths.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace wobbin {

namespace {

bool IsSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// The drive a path begins with: a letter and a colon ("C:"), the server and
// share of a network path ("\\server\share"), "/" for a path from the root
// here, or nothing for a relative path.
QString DriveOf(const QString &path)
{
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter())
        return path.left(2);
    if (path.size() >= 2 && IsSeparator(path.at(0)) && IsSeparator(path.at(1))) {
        // Server and share: up to the separator after the second name.
        int separators = 0;
        for (int i = 2; i < path.size(); ++i) {
            if (IsSeparator(path.at(i)) && ++separators == 2)
                return path.left(i);
        }
        return path;
    }
    if (!path.isEmpty() && IsSeparator(path.at(0)))
        return QStringLiteral("/");
    return QString();
}

// The folders of a path after its drive, without the file name.
QStringList FoldersOf(const QString &path, const QString &drive)
{
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    QStringList parts = path.mid(drive == QLatin1String("/") ? 0 : drive.size())
                            .split(separators, Qt::SkipEmptyParts);
    if (!parts.isEmpty() && !IsSeparator(path.back()))
        parts.removeLast();   // the file name
    return parts;
}

QString FileNameOf(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsSeparator(path.at(i)) || (i == 1 && path.at(1) == QLatin1Char(':')))
            return path.mid(i + 1);
    }
    return path;
}

} // namespace

QString ExtractRelativePath(const QString &baseName, const QString &destName)
{
    const QString baseDrive = DriveOf(baseName);
    const QString destDrive = DriveOf(destName);
    if (baseDrive.compare(destDrive, Qt::CaseInsensitive) != 0)
        return destName;
    QStringList base = FoldersOf(baseName, baseDrive);
    QStringList dest = FoldersOf(destName, destDrive);
    while (!base.isEmpty() && !dest.isEmpty() && base.constFirst() == dest.constFirst()) {
        base.removeFirst();
        dest.removeFirst();
    }
    QString result;
    for (qsizetype i = 0; i < base.size(); ++i)
        result += QStringLiteral("..\\");
    for (const QString &folder : dest)
        result += folder + QLatin1Char('\\');
    return result + FileNameOf(destName);
}

QString BackgroundPathRelative(const QString &htmlFolder, const QString &path)
{
    return ExtractRelativePath(JoinPath(htmlFolder, QStringLiteral("shouser")), path);
}

TBackgroundCopy CopyBackgroundPicture(const QString &htmlFolder, const QString &chosenPath)
{
    TBackgroundCopy result;
    const QString html = FindPathNoCase(ToNativePath(htmlFolder));
    const QString chosen = ToNativePath(chosenPath);
    const QFileInfo source(chosen);
    // The copy's name is the one the page refers to, letter for letter: on a
    // web server that tells "Sky.JPG" from "sky.jpg" the picture is found.
    const QString name = WebFileName(source.fileName());
    if (name.isEmpty() || !source.isFile()) {
        result.Error = QStringLiteral("The picture \"%1\" does not exist.").arg(chosen);
        return result;
    }

    QString folder = FindPathNoCase(QDir(html).filePath(QStringLiteral("backgrnd")));
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        result.Error = QStringLiteral("The folder \"%1\" cannot be made.").arg(folder);
        return result;
    }
    const QString destination = QDir(folder).filePath(name);
    result.Destination = destination;

    const QFileInfo target(destination);
    const bool sameFile = chosen == destination
        || (target.exists() && source.canonicalFilePath() == target.canonicalFilePath());
    if (!sameFile) {
        if (source.size() > kMaxBackgroundBytes) {
            result.Error = QStringLiteral("The picture is larger than %1 MB.").arg(kMaxBackgroundBytes >> 20);
            return result;
        }
        QFile in(chosen);
        if (!in.open(QIODevice::ReadOnly)) {
            result.Error = in.errorString();
            return result;
        }
        const QByteArray bytes = in.read(kMaxBackgroundBytes + 1);
        if (in.error() != QFileDevice::NoError) {
            result.Error = in.errorString();
            return result;
        }
        if (bytes.size() > kMaxBackgroundBytes) {
            result.Error = QStringLiteral("The picture is larger than %1 MB.").arg(kMaxBackgroundBytes >> 20);
            return result;
        }
        const TResult<void> written = WriteFileSafely(destination, bytes);
        if (!written.ok()) {
            result.Error = written.error().Text();
            return result;
        }
        result.Copied = true;
    }
    result.StoredPath = BackgroundPathRelative(html, destination);
    result.Ok = true;
    return result;
}

} // namespace wobbin
