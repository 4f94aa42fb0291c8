#include "page/ResourceList.h"
#include "base/Paths.h"
#include "page/PageText.h"
#include "page/PhoneHtml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace wobbin {
namespace {
const QString kRemote = QStringLiteral("http://");
const QString kRemoteSecure = QStringLiteral("https://");
const QString kFileUrl = QStringLiteral("file:///");

bool IsBlankOrControl(QChar c) { return c.unicode() <= 0x20; }

// End (exclusive) of the raw attribute value starting at `start`.
qsizetype RawValueEnd(QStringView text, qsizetype start)
{
    const qsizetype n = text.size();
    if (start >= n)
        return n;
    if (text[start] == QLatin1Char('"')) {
        for (qsizetype i = start + 1; i < n; ++i) {
            if (text[i] == QLatin1Char('"'))
                return i + 1; // the closing quote belongs to the raw value
            if (text[i] == QLatin1Char('>'))
                return i;
        }
        return n;
    }
    for (qsizetype i = start; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
            || c == QLatin1Char('>') || c == QLatin1Char('"'))
            return i;
    }
    return n;
}

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// Position of key (lower case ASCII) in text from `from`, ignoring the case of
// ASCII letters; -1 when absent.
qsizetype FindNoCase(QStringView text, QStringView key, qsizetype from)
{
    const qsizetype m = key.size();
    const qsizetype n = text.size();
    if (m == 0 || from < 0)
        return -1;
    const char16_t *d = text.utf16();
    const char16_t *k = key.utf16();
    const char16_t k0 = k[0];
    const char16_t k0Upper = (k0 >= u'a' && k0 <= u'z') ? char16_t(k0 - 32) : k0;
    for (qsizetype i = from; i + m <= n; ++i) {
        if (d[i] != k0 && d[i] != k0Upper)
            continue;
        qsizetype j = 1;
        while (j < m && Lower(d[i + j]) == k[j])
            ++j;
        if (j == m)
            return i;
    }
    return -1;
}

// Finds the next CSS url(...) from `from`: its value without blanks and
// quotes, and `next` past it; false when there is none.
bool NextUrl(QStringView text, qsizetype from, QString &value, qsizetype &next)
{
    const qsizetype at = FindNoCase(text, u"url(", from);
    if (at < 0)
        return false;
    const qsizetype start = at + 4;
    qsizetype end = text.indexOf(QLatin1Char(')'), start);
    if (end < 0)
        end = text.size();
    QString v = text.mid(start, end - start).toString().trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))
        && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    value = v;
    next = end;
    return true;
}

// Finds name= from `from`; returns the value and sets `next` past it, or
// returns a null string when there is no further occurrence.
bool NextAttr(QStringView text, const QString &key, qsizetype from, QString &value, qsizetype &next)
{
    const qsizetype at = FindNoCase(text, key, from);
    if (at < 0)
        return false;
    const qsizetype start = at + key.size();
    const qsizetype end = RawValueEnd(text, start);
    value = StripQuotes(text.mid(start, end - start).toString());
    next = end > start ? end : start;
    return true;
}

QString Backslashed(QString s)
{
    s.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return s;
}

// The path with "." and ".." segments worked out, "\" separators; a ".."
// above the root is kept as "..", so that such a path never looks inside
// anything. Empty segments (doubled separators) are dropped, except a leading
// one that marks a path from the root.
QString NormalisedPath(const QString &path)
{
    const QStringList parts = Backslashed(path).split(QLatin1Char('\\'));
    QStringList out;
    const bool fromRoot = path.startsWith(QLatin1Char('\\')) || path.startsWith(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &p = parts.at(i);
        if (p.isEmpty() || p == QLatin1String("."))
            continue;
        if (p == QLatin1String("..")) {
            // Never above a drive ("C:") or the root.
            if (!out.isEmpty() && out.constLast() != QLatin1String("..")
                && !(out.size() == 1 && out.constFirst().endsWith(QLatin1Char(':'))))
                out.removeLast();
            else
                out << p;
            continue;
        }
        out << p;
    }
    return (fromRoot ? QStringLiteral("\\") : QString()) + out.join(QLatin1Char('\\'));
}

// True when path lies inside folder (both normalised, "\" separators);
// letter case does not count, as files are found without regard to it.
bool InsideFolder(const QString &path, const QString &folder)
{
    QString f = folder;
    if (!f.endsWith(QLatin1Char('\\')))
        f += QLatin1Char('\\');
    return path.size() > f.size() && path.startsWith(f, Qt::CaseInsensitive)
        && !path.split(QLatin1Char('\\')).contains(QLatin1String(".."));
}

// The folder part of a path ("\" separators), without the last separator.
QString FolderOf(const QString &path)
{
    const QString b = Backslashed(path);
    const qsizetype cut = b.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QString() : b.left(cut);
}

bool IsNativeAbsolute(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\'));
}

// The folder as it is on disk, links resolved; empty when it is not there.
QString RealFolder(const QString &backslashFolder)
{
    return QFileInfo(FindPathNoCase(ToNativePath(backslashFolder))).canonicalFilePath();
}

// For a path of this file system: whether following symbolic links keeps it
// inside folder (RealFolder of the HTML folder). Parts that do not exist yet
// cannot lead anywhere.
bool LinksStayInside(const QString &backslashPath, const QString &folder, TRealPaths &real)
{
    if (folder.isEmpty())
        return true; // no folder on disk: nothing on disk to follow
    // The longest part of the path that exists, found without regard to
    // letter case (a missing file is listed all the same; only what exists
    // can be a link), and where it really is.
    QString existing = ToNativePath(backslashPath);
    QString rest;
    QString realPath;
    for (;;) {
        const QString onDisk = FindPathNoCase(existing);
        realPath = real.Of(onDisk);
        if (!realPath.isEmpty())
            break;
        const QFileInfo info(onDisk);
        if (info.isSymLink()) {
            // A link to nothing: where it points decides.
            realPath = QDir::cleanPath(QDir(info.absolutePath()).absoluteFilePath(info.symLinkTarget()));
            break;
        }
        const qsizetype cut = existing.lastIndexOf(QLatin1Char('/'));
        if (cut <= 0)
            return true;
        rest = existing.mid(cut) + rest;
        existing.truncate(cut);
    }
    realPath = QDir::cleanPath(realPath + rest);
    return realPath.startsWith(folder + QLatin1Char('/'));
}

// Why a resolved reference may not be uploaded from the HTML folder; empty
// when it may. reference is the value as written, sourcePath its resolved
// absolute path ("\" separators), folder the HTML folder and realFolder its
// RealFolder, worked out once for many references.
QString WhyOutside(const QString &reference, const QString &sourcePath, const QString &folder,
                   const QString &realFolder, TRealPaths &real)
{
    for (QChar c : reference) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return c.unicode() == 0 ? QStringLiteral("The name holds a NUL character, which no file name can hold.")
                                    : QStringLiteral("The name holds a control character, which no file name should hold.");
    }
    const QString normalFolder = NormalisedPath(folder);
    const QString normalPath = NormalisedPath(sourcePath);
    if ((reference.startsWith(QLatin1Char('/')) || reference.startsWith(QLatin1Char('\\')))
        && !reference.startsWith(QLatin1String("//")))
        return QStringLiteral("The picture is named by a full path outside the HTML folder.");
    if (normalPath.compare(normalFolder, Qt::CaseInsensitive) == 0)
        return QStringLiteral("The name is the HTML folder itself, not a picture.");
    if (!InsideFolder(normalPath, normalFolder)) {
        if (reference.contains(QLatin1String("file:"), Qt::CaseInsensitive))
            return QStringLiteral("The address points to a file outside the HTML folder.");
        if (reference.size() >= 2 && reference.at(1) == QLatin1Char(':'))
            return QStringLiteral("The picture is on another drive or outside the HTML folder.");
        if (IsNativeAbsolute(reference) || reference.startsWith(QLatin1Char('\\')))
            return QStringLiteral("The picture is named by a full path outside the HTML folder.");
        return QStringLiteral("The name climbs out of the HTML folder with \"..\".");
    }
    if (IsNativeAbsolute(normalFolder) && !LinksStayInside(normalPath, realFolder, real))
        return QStringLiteral("The picture is a link to a file outside the HTML folder.");
    return QString();
}

} // namespace

QString StripQuotes(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && IsBlankOrControl(text[b]))
        ++b;
    while (e > b && IsBlankOrControl(text[e - 1]))
        --e;
    if (b < e && text[b] == QLatin1Char('"')) {
        ++b;
        if (e > b && text[e - 1] == QLatin1Char('"'))
            --e;
    }
    return text.mid(b, e - b);
}

QString AttrValue(const QString &text, const QString &name)
{
    QString value;
    qsizetype next = 0;
    if (!NextAttr(text, name.toLower() + QLatin1Char('='), 0, value, next))
        return QString();
    return value;
}

QString ResolvePath(const QString &value, const QString &htmlPath)
{
    const QString v = StripQuotes(Backslashed(value));
    if (v.size() >= 2 && v[1] == QLatin1Char(':'))
        return v;
    const QString h = Backslashed(htmlPath);
    QString base = h.left(h.lastIndexOf(QLatin1Char('\\')) + 1);
    const qsizetype cut = v.lastIndexOf(QLatin1Char('\\'));
    QString sub = v.left(cut + 1);
    const QString name = v.mid(cut + 1);
    for (;;) {
        if (sub.startsWith(QLatin1String(".."))) {
            sub.remove(0, 3);
            // Drop the last folder of base ("C:\Web\" -> "C:\"); the root stays.
            const qsizetype prev = base.size() >= 2 ? base.lastIndexOf(QLatin1Char('\\'), base.size() - 2) : -1;
            if (prev >= 0)
                base.truncate(prev + 1);
        } else if (sub.startsWith(QLatin1String(".\\"))) {
            sub.remove(0, 2);
        } else {
            break;
        }
    }
    if (base.isEmpty())
        return sub + name;
    return JoinPath(JoinPath(base, sub), name);
}

QString FileUrlToPath(const QString &url)
{
    const qsizetype slashes = url.indexOf(QLatin1String("///"));
    const QString s = slashes >= 0 ? url.mid(slashes + 3) : url;
    const qsizetype bar = s.indexOf(QLatin1Char('|'));
    if (bar >= 0)
        return Backslashed(s.left(bar) + QStringLiteral(":/") + s.mid(bar + 2));
    if (s.size() >= 2 && s[1] == QLatin1Char(':'))
        return Backslashed(s); // file:///C:/pics/a.gif
    return Backslashed(QLatin1Char('/') + s); // a path of this file system
}

QString RemoveCommentedMarkup(const QString &html)
{
    const QStringView text(html);
    QString out;
    out.reserve(html.size());
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1String("<!--"), pos);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1String("-->"), open + 4);
        if (close < 0)
            break; // unterminated: left in place, and no later comment can close either
        const QStringView inside = text.mid(open + 4, close - open - 4);
        const qsizetype after = close + 3;
        if (inside.contains(QLatin1Char('<')) && inside.contains(QLatin1Char('>')))
            out += text.mid(pos, open - pos);
        else
            out += text.mid(pos, after - pos);
        pos = after;
    }
    out += text.mid(pos);
    return out;
}

QString PageHtmlPath(const QString &currentFileName, const QString &htmlFolder)
{
    const qsizetype slash = std::max(currentFileName.lastIndexOf(QLatin1Char('\\')),
                                     currentFileName.lastIndexOf(QLatin1Char('/')));
    QString base = currentFileName.mid(slash + 1);
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        base.truncate(dot);
    return JoinPath(htmlFolder, base) + QStringLiteral(".html");
}

UploadImageList LocaliseImagesInText(const QString &html, const QString &htmlPath,
                                     RefusedReferenceList *refused)
{
    UploadImageList list;
    QSet<QString> seen;
    QSet<QString> refusedSeen;
    const QString folder = FolderOf(htmlPath);
    const QString realFolder = RealFolder(NormalisedPath(folder)); // once for every picture
    TRealPaths real;
    if (refused)
        refused->clear();
    const QString text = RemoveCommentedMarkup(html);
    const QStringView view(text);
    // A page written for today's browsers escapes its values ("&amp;").
    const bool escaped = IsModernPage(text);
    // The "src" values, the "background" values, then the pictures of style
    // rules ("url(...)").
    for (const QString &key : {QStringLiteral("src="), QStringLiteral("background="), QStringLiteral("url(")}) {
        qsizetype pos = 0;
        QString value;
        qsizetype next = 0;
        const bool css = key == QLatin1String("url(");
        while (css ? NextUrl(view, pos, value, next) : NextAttr(view, key, pos, value, next)) {
            pos = next;
            if (escaped)
                value = UnescapeHtml(value);
            if (value.isEmpty() || value.contains(kRemote) || value.contains(kRemoteSecure)
                || (css && value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)))
                continue;
            ResourceDetail d;
            if (value.contains(kFileUrl)) {
                d.SourcePath = Backslashed(FileUrlToPath(value));
                d.RefName = d.SourcePath;
                d.RefName.replace(QLatin1Char('\\'), QLatin1Char('/'));
            } else {
                d.SourcePath = ResolvePath(value, htmlPath);
                d.RefName = value;
            }
            if (seen.contains(d.SourcePath))
                continue;
            const QString why = WhyOutside(value, d.SourcePath, folder, realFolder, real);
            if (!why.isEmpty()) {
                if (refused && !refusedSeen.contains(value)) {
                    refusedSeen.insert(value);
                    refused->append({value, why});
                }
                continue;
            }
            seen.insert(d.SourcePath);
            list.append(d);
        }
    }
    return list;
}

UploadImageList LocaliseImages(const QString &currentFileName, const QString &htmlFolder,
                               const UploadImageList &previous, RefusedReferenceList *refused)
{
    if (currentFileName.isEmpty())
        return previous;
    const QString htmlPath = PageHtmlPath(currentFileName, htmlFolder);
    QString text;
    QFile file(FindPathNoCase(ToNativePath(htmlPath)));
    if (file.open(QIODevice::ReadOnly))
        text = DecodePageText(file.readAll());
    return LocaliseImagesInText(text, htmlPath, refused);
}

} // namespace wobbin
