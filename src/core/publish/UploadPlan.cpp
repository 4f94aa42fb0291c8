#include "publish/UploadPlan.h"

#include "base/Paths.h"
#include "base/SafeFile.h"
#include "page/PageText.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace wobbin {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The reference with "/" separators and without "." steps.
QString NormalisedReference(const QString &refName)
{
    QString r = refName;
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts = r.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    return parts.join(QLatin1Char('/'));
}

// canonicalFolder: the folder with its links resolved (QFileInfo::canonicalFilePath).
bool InsideFolder(const QString &path, const QString &canonicalFolder, TRealPaths &real)
{
    const QString canonicalPath = real.Of(path);
    if (canonicalFolder.isEmpty() || canonicalPath.isEmpty())
        return true; // nothing there to read: it fails as a missing file
    return canonicalPath.startsWith(canonicalFolder + QLatin1Char('/'));
}

} // namespace

QString RemotePageName(const QString &pageFile)
{
    QString name = QFileInfo(ToNativePath(pageFile)).completeBaseName() + QStringLiteral(".html");
    name.remove(QLatin1Char(' '));
    return name;
}

bool SafeReference(const QString &refName)
{
    QString r = refName;
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (r.trimmed().isEmpty() || r.startsWith(QLatin1Char('/')) || r.contains(QLatin1Char(':')))
        return false;
    for (const QChar c : std::as_const(r)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    const QStringList parts = r.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.contains(QStringLiteral("..")))
        return false;
    return !NormalisedReference(r).isEmpty();
}

QByteArray ReplaceNoCase(const QByteArray &text, const QByteArray &pattern, const QByteArray &replacement)
{
    const qsizetype m = pattern.size();
    if (m == 0)
        return text;
    QByteArray out;
    out.reserve(text.size());
    qsizetype from = 0;
    qsizetype i = 0;
    while (i + m <= text.size()) {
        if (qstrnicmp(text.constData() + i, pattern.constData(), size_t(m)) == 0) {
            out += text.mid(from, i - from);
            out += replacement;
            i += m;
            from = i;
        } else {
            ++i;
        }
    }
    out += text.mid(from);
    return out;
}

QByteArray GeoCitiesFooter(bool modern)
{
    if (modern)
        return "<hr>\r\n<p style=\"text-align:center\"><b>This page hosted by <a href=\"/\"><img src=\"/pictures/gc_icon.gif\" "
               "alt=\"GeoCities\" style=\"vertical-align:middle\"></a> Get your own <a href=\"/\">Free Home Page</a></b></p>\r\n";
    return "<hr><center><b>This page hosted by<a href=\"/\"><img src=\"/pictures/gc_icon.gif\" border=0 align=middle></a>"
           "Get your own <a href=\"/\">Free Home Page</a></b></center>\r\n";
}

TUploadPlan PlanUpload(const TUploadPage &page, const TUploadTarget &target)
{
    TUploadPlan plan;
    const QString htmlFolder = FindPathNoCase(ToNativePath(page.HtmlFolder));
    const QString localName = QFileInfo(ToNativePath(page.PageFile)).completeBaseName() + QStringLiteral(".html");
    const QString html = page.HtmlFile.isEmpty() ? FindPathNoCase(ToNativePath(JoinPath(page.HtmlFolder, localName)))
                                                 : ToNativePath(page.HtmlFile);
    if (page.PageFile.isEmpty() || !QFileInfo(html).isFile()) {
        plan.Problem = LoadStr(Msg::PageFileMissing) + kCrLf + html + kCrLf + LoadStr(Msg::SavePageThenSend);
        return plan;
    }

    // The pictures: only files below the HTML folder are ever read.
    QStringList refused;
    const QString realFolder = QFileInfo(htmlFolder).canonicalFilePath();
    TRealPaths real;
    for (const ResourceDetail &r : page.Images) {
        bool ok = SafeReference(r.RefName);
        const QString normalised = NormalisedReference(r.RefName);
        TUploadFile f;
        f.Shown = r.RefName;
        if (ok) {
            f.LocalPath = FindPathNoCase(ToNativePath(JoinPath(htmlFolder, normalised)));
            ok = InsideFolder(f.LocalPath, realFolder, real);
        }
        if (ok) {
            // The name on the server is the reference as the page writes it,
            // letter for letter: a web server that tells capitals from small
            // letters finds the picture the page asks for.
            QByteArray remote = normalised.toUtf8();
            if (target.FlatDir) {
                remote = ReplaceNoCase(remote, "backgrnd/", QByteArray());
                remote = ReplaceNoCase(remote, "graphics/", QByteArray());
            }
            f.RemotePath = QString::fromUtf8(remote);
            ok = SafeReference(f.RemotePath);
        }
        if (!ok)
            refused << r.RefName;
        else
            plan.Images << f;
    }
    if (!refused.isEmpty()) {
        plan.Problem = LoadStr(Msg::PicturesOutsideNotSent) + kCrLf + refused.join(kCrLf) + kCrLf + LoadStr(Msg::NothingUploaded);
        plan.Images.clear();
        return plan;
    }

    // The page, rewritten into a private copy when the server needs it.
    plan.Page.Shown = localName;
    plan.Page.RemotePath = RemotePageName(page.PageFile);
    plan.Page.LocalPath = html;
    if (target.FlatDir || target.GeoCities) {
        bool ok = false;
        QByteArray text = ReadWhole(html, &ok);
        if (!ok) {
            plan.Problem = LoadStr(Msg::PageFileMissing) + kCrLf + html + kCrLf + LoadStr(Msg::SavePageThenSend);
            return plan;
        }
        QString copyName = localName;
        if (target.FlatDir) {
            text = ReplaceNoCase(text, "graphics/", QByteArray());
            text = ReplaceNoCase(text, "backgrnd/", QByteArray());
            copyName = QFileInfo(localName).completeBaseName() + QStringLiteral(".nodir.html");
        }
        if (target.GeoCities) {
            const bool modern = IsModernPage(QString::fromLatin1(text.left(64)));
            text = ReplaceNoCase(text, "</BODY>", GeoCitiesFooter(modern) + (modern ? "</body>" : "</BODY>"));
        }
        plan.Scratch = std::make_shared<QTemporaryDir>();
        const TResult<void> written = plan.Scratch->isValid() ? WriteScratchFile(plan.Scratch->filePath(copyName), text)
                                                              : TResult<void>(TError(QString()));
        if (!written.ok()) {
            plan.Problem = LoadStr(Msg::UploadFailedDetail) + kCrLf + localName + QStringLiteral(": ") + written.error().Text();
            return plan;
        }
        plan.Page.LocalPath = plan.Scratch->filePath(copyName);
    }
    return plan;
}

TVerifyInput PlannedCheck(const TUploadPlan &plan, const TUploadTarget &target,
                          const std::function<TFileFingerprint(const QString &remoteName)> &fingerprint)
{
    TVerifyInput c;
    c.SiteUrl = target.URL;
    c.RemotePageName = plan.Page.RemotePath;
    bool read = false;
    c.SentPage = ReadWhole(plan.Page.LocalPath, &read);
    c.ServerFolder = target.Directory;
    for (const TUploadFile &f : plan.Images) {
        // The sent page names the picture as written, without its folder when
        // the server has none.
        QByteArray reference = NormalisedReference(f.Shown).toUtf8();
        if (target.FlatDir) {
            reference = ReplaceNoCase(reference, "graphics/", QByteArray());
            reference = ReplaceNoCase(reference, "backgrnd/", QByteArray());
        }
        TFileFingerprint known = fingerprint ? fingerprint(f.RemotePath) : TFileFingerprint();
        if (!known.Valid())
            known = FingerprintFile(f.LocalPath);
        c.Pictures << TVerifyPicture{QString::fromUtf8(reference), known};
    }
    return c;
}

QByteArray ReadWhole(const QString &path, bool *ok)
{
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    return *ok ? f.readAll() : QByteArray();
}

} // namespace wobbin
