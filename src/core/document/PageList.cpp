#include "document/PageList.h"

#include "base/Paths.h"
#include "document/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wobbin {

QList<PageListEntry> ListPages(const QString &appDir)
{
    QList<PageListEntry> entries;
    const struct {
        const char *folder;
        const char *mask;
    } passes[] = {{"template", "*.qzt"}, {"save", "*.qze"}};
    for (int pass = 0; pass < 2; ++pass) {
        const QDir dir(FindPathNoCase(ToNativePath(JoinPath(appDir, QLatin1String(passes[pass].folder)))));
        if (!dir.exists())
            continue;
        const QFileInfoList files = dir.entryInfoList({QLatin1String(passes[pass].mask)},
                                                      QDir::Files | QDir::Hidden | QDir::System,
                                                      QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &fi : files) {
            const QString name = fi.fileName();
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            entries.append({dot > 0 ? name.left(dot) : name, QDir::toNativeSeparators(fi.absoluteFilePath()), pass});
        }
    }
    return entries;
}

QString TrimCaption(const QString &caption)
{
    int from = 0, to = caption.size();
    auto blank = [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; };
    while (from < to && blank(caption.at(from)))
        ++from;
    while (to > from && blank(caption.at(to - 1)))
        --to;
    return caption.mid(from, to - from);
}

bool HasForbiddenCharacter(const QString &caption)
{
    for (const QChar c : caption)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            return true;
    return false;
}

bool MovePicture(const QString &from, const QString &to)
{
    const QString source = from + QStringLiteral(".bmp");
    if (!QFileInfo::exists(source))
        return true;
    const QString target = to + QStringLiteral(".bmp");
    if (QFileInfo::exists(target) && QFileInfo(target).canonicalFilePath() != QFileInfo(source).canonicalFilePath()
        && !QFile::remove(target))
        return false;
    return QFile::rename(source, target);
}

QString DeletePageQuestion(const QString &caption)
{
    return TMessages::Get().DeletePageQuestion + QStringLiteral(" \"") + caption + QStringLiteral("\"?");
}

TResult<void> DeletePage(const QString &path)
{
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native) && !QFile::remove(native))
        return TError(QStringLiteral("The file \"%1\" could not be deleted.").arg(QDir::toNativeSeparators(native)));
    // The page is gone, which is what was asked; a picture left behind is
    // not listed and is replaced when a page of that name is saved.
    const QString picture = native + QStringLiteral(".bmp");
    if (QFileInfo::exists(picture))
        static_cast<void>(QFile::remove(picture));
    return {};
}

RenameOutcome RenamePage(const QString &path, const QString &oldCaption, const QString &typed)
{
    RenameOutcome r;
    r.Caption = oldCaption;
    QString caption = typed;
    if (TrimCaption(caption).isEmpty())
        return r;
    if (HasForbiddenCharacter(caption)) {
        r.Outcome = RenameOutcome::Forbidden;
        r.Message = TMessages::Get().ForbiddenNameCharacters;
        return r;
    }
    if (caption == oldCaption)
        return r;

    const QString oldPath = FindPathNoCase(ToNativePath(path));
    const QFileInfo oldInfo(oldPath);
    if (!oldInfo.exists()) {
        r.Outcome = RenameOutcome::Missing;
        r.Caption = caption;
        return r;
    }
    const QString suffix = oldInfo.fileName().mid(oldInfo.fileName().lastIndexOf(QLatin1Char('.')));
    const QString newPath = oldInfo.dir().filePath(caption + suffix);
    const QFileInfo newInfo(newPath);
    // Another file of that name stays as it is: renaming never replaces a page.
    if (newInfo.exists() && newInfo.canonicalFilePath() != oldInfo.canonicalFilePath()) {
        r.Outcome = RenameOutcome::Exists;
        r.Message = QStringLiteral("A file named \"%1\" already exists. \"%2\" keeps its name.")
                        .arg(caption + suffix, oldCaption);
        return r;
    }
    if (!QFile::rename(oldPath, newPath)) {
        r.Outcome = RenameOutcome::Failed;
        r.Message = QStringLiteral("\"%1\" could not be renamed.").arg(oldCaption);
        return r;
    }
    // The page was renamed, which is what was asked. A picture that could
    // not follow is drawn again the next time the page is saved; until then
    // the entry shows no picture or an older one.
    static_cast<void>(MovePicture(oldPath, newPath));
    r.Outcome = RenameOutcome::Renamed;
    r.Caption = caption;
    r.NewPath = QDir::toNativeSeparators(newPath);
    return r;
}

} // namespace wobbin
