#include "publish/UnusedPictures.h"

#include "base/Paths.h"
#include "base/Secrets.h"
#include "page/PageText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace wobbin {

bool IsPageName(const QString &remoteName)
{
    const QString suffix = QFileInfo(remoteName).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm") || suffix == QLatin1String("shtml");
}

QStringList UnusedPictures(const TUploadManifest &record, const QString &pageRemoteName,
                           const QStringList &pagePictures, const RecordedPageQuery &otherPage)
{
    QSet<QString> used;
    for (const QString &p : pagePictures)
        used.insert(p.toLower());
    for (const TManifestEntry &e : record.Entries()) {
        if (!IsPageName(e.RemoteName) || e.RemoteName.compare(pageRemoteName, Qt::CaseInsensitive) == 0)
            continue;
        const std::optional<QStringList> pictures = otherPage ? otherPage(e) : std::nullopt;
        if (!pictures)
            return {}; // a page whose pictures are not known may use any of them
        for (const QString &p : *pictures)
            used.insert(p.toLower());
    }
    QStringList unused;
    for (const TManifestEntry &e : record.Entries())
        if (!IsPageName(e.RemoteName) && !used.contains(e.RemoteName.toLower()))
            unused << e.RemoteName;
    return unused;
}

std::optional<QStringList> RecordedPagePictures(const QString &htmlFolder, const TUploadTarget &target,
                                                const TManifestEntry &page)
{
    const QString folder = FindPathNoCase(ToNativePath(htmlFolder));
    const QStringList htmlFiles = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString &name : htmlFiles) {
        const QString path = QDir(folder).filePath(name);
        if (RemotePageName(path) != page.RemoteName)
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        TUploadPage other;
        other.PageFile = path;
        other.HtmlFolder = folder;
        other.HtmlFile = path;
        other.Images = LocaliseImagesInText(DecodePageText(file.readAll()), path);
        const TUploadPlan plan = PlanUpload(other, target);
        if (!plan.Problem.isEmpty())
            return std::nullopt;
        QFile sent(plan.Page.LocalPath);
        if (!sent.open(QIODevice::ReadOnly) || FingerprintText(sent.readAll()).Digest != page.Digest)
            return std::nullopt; // changed since it was sent: what the server shows is not known
        QStringList pictures;
        for (const TUploadFile &f : plan.Images)
            pictures << f.RemotePath;
        return pictures;
    }
    return std::nullopt;
}

QStringList UnusedAfterUpload(const TUploadPlan &plan, const TUploadPage &page, const TUploadTarget &target)
{
    TUploadManifest record;
    const QString folder = page.SentFilesFolder.isEmpty() ? TUploadManifest::DefaultFolder() : page.SentFilesFolder;
    if (!record.Load(folder, IdentityOf(target)).ok())
        return {};
    QStringList pictures;
    for (const TUploadFile &f : plan.Images)
        pictures << f.RemotePath;
    return UnusedPictures(record, plan.Page.RemotePath, pictures, [&](const TManifestEntry &other) {
        return RecordedPagePictures(page.HtmlFolder, target, other);
    });
}

// ---------------------------------------------------------------------------

TRemoveUnusedJob::TRemoveUnusedJob(const TUploadTarget &target, const QStringList &names, const QString &recordFolder)
    : m_target(target), m_names(names),
      m_folder(recordFolder.isEmpty() ? TUploadManifest::DefaultFolder() : recordFolder)
{
    m_target.Password = PrivateCopy(target.Password);
}

TRemoveUnusedJob::~TRemoveUnusedJob()
{
    WipeString(m_target.Password);
}

void TRemoveUnusedJob::Cancel()
{
    m_cancelled = true;
    m_ftp.Cancel();
}

TRemovalOutcome TRemoveUnusedJob::Run()
{
    TRemovalOutcome out;
    TUploadManifest record;
    if (const TResult<void> loaded = record.Load(m_folder, IdentityOf(m_target)); !loaded.ok()) {
        out.Failed = m_names;
        out.Message = loaded.error().Text();
        return out;
    }
    // Only what the record names, never a page, never a name that leaves the folder.
    QStringList names;
    for (const QString &n : std::as_const(m_names)) {
        if (record.Find(n) && !IsPageName(n) && SafeReference(n))
            names << n;
        else
            out.Failed << n;
    }
    if (names.isEmpty() || m_cancelled)
        return out;

    TFtpLogOn logOn = LogOnFor(m_target, m_knownHosts);
    logOn.Password = m_target.Password;
    const bool connected = !HasControlCharacter(m_target.UserName) && !HasControlCharacter(m_target.Password)
        && m_ftp.Connect(logOn);
    WipeString(logOn.Password);
    WipeString(m_target.Password);
    if (!connected || (!m_target.Directory.isEmpty() && !m_ftp.ChangeFolder(m_target.Directory))) {
        out.Failed << names;
        out.Message = m_cancelled ? QString() : m_ftp.ErrorText();
        if (m_ftp.Connected())
            m_ftp.Disconnect();
        return out;
    }
    for (const QString &n : std::as_const(names)) {
        if (m_cancelled) {
            out.Failed << n;
            continue;
        }
        // A file that is gone already counts as removed.
        const bool gone = m_ftp.DeleteFile(n) || m_ftp.RemoteSize(n).Answer == TRemoteSize::Missing;
        m_ftp.SetErrorCode(0);
        if (gone) {
            out.Removed << n;
            record.Forget(n);
        } else {
            out.Failed << n;
        }
    }
    if (m_ftp.Connected())
        m_ftp.Disconnect();
    if (!out.Removed.isEmpty()) {
        if (const TResult<void> saved = record.Save(m_folder); !saved.ok())
            out.Message = saved.error().Text();
    }
    return out;
}

} // namespace wobbin
