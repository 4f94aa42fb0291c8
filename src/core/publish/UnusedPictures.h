#pragma once
// A tidy server: the pictures this program sent earlier to a server and folder
// that no page sent from here refers to any more, and their removal.
//
// Only files the record of what was sent (UploadManifest.h) names are ever
// offered or removed, never a page. A picture another recorded page may still
// use keeps every picture on the server: another page counts as known only
// while its HTML file in the HTML folder is, after the upload's rewrites,
// exactly the text that was sent; otherwise nothing is offered at all.

#include "publish/Upload.h"
#include "publish/UploadManifest.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace wobbin {

// The pictures another recorded page refers to (remote names), or nothing
// when they cannot be known.
using RecordedPageQuery = std::function<std::optional<QStringList>(const TManifestEntry &page)>;

// Recorded files that are not pages, not among pagePictures and not used by
// any other recorded page; empty as soon as one of those pages is unknown.
// Names compare without regard to letter case (servers that ignore it hold
// "Pic.GIF" and "pic.gif" as one file). In the record's order.
QStringList UnusedPictures(const TUploadManifest &record, const QString &pageRemoteName,
                           const QStringList &pagePictures, const RecordedPageQuery &otherPage);

// Whether a recorded name is a page (.html, .htm, .shtml).
bool IsPageName(const QString &remoteName);

// The pictures of a recorded page from its HTML file in htmlFolder, sent as
// the target's upload sends it; nothing when no such file is there or it is
// not the text that was sent.
std::optional<QStringList> RecordedPagePictures(const QString &htmlFolder, const TUploadTarget &target,
                                                const TManifestEntry &page);

// After an upload of plan: the record as saved, and the other pages looked up
// in the page's HTML folder.
QStringList UnusedAfterUpload(const TUploadPlan &plan, const TUploadPage &page, const TUploadTarget &target);

struct TRemovalOutcome {
    QStringList Removed;   // gone from the server (and forgotten by the record)
    QStringList Failed;    // still there
    QString Message;       // why nothing or not everything went ("" when all did)
};

// Logs on to the target, removes those of names that the record still names
// (never a page), makes the record forget what is gone, and logs off. Blocks:
// run it off the user-interface thread. Cancel() may come from any thread.
class TRemoveUnusedJob
{
public:
    TRemoveUnusedJob(const TUploadTarget &target, const QStringList &names, const QString &recordFolder = QString());
    ~TRemoveUnusedJob();
    void SetKnownHostsFile(const QString &path) { m_knownHosts = path; }
    TRemovalOutcome Run();
    void Cancel();

private:
    TUploadTarget m_target;
    QStringList m_names;
    QString m_folder;
    QString m_knownHosts;
    TFtpClient m_ftp;
    std::atomic<bool> m_cancelled{false};
};

} // namespace wobbin
