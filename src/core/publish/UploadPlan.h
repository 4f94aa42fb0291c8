#pragma once
// What an upload will send, worked out before anything goes over the network:
// the page and the pictures it refers to, each checked to lie inside the
// page's HTML folder and given its name on the server, and the private copy
// of the page the no-directories and GeoCities rewrites need. Also what the
// check after an upload looks for.

#include "page/ResourceList.h"
#include "publish/ContentHash.h"
#include "publish/PageVerify.h"
#include "publish/UploadTarget.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace wobbin {

// The page to send.
struct TUploadPage {
    QString PageFile;        // the page file (CurrentFileName); its name names the page
    QString HtmlFolder;      // HTMLFolder: the page's HTML file and its pictures
    QString HtmlFile;        // the HTML file to send; empty: HTMLFolder joined with the page's name + ".html"
    UploadImageList Images;  // the pictures the page refers to (UploadImageList)
    // Pictures the server still holds as last sent are not sent again, unless
    // the user asked for everything this once.
    bool SendEverything = false;
    QString SentFilesFolder; // where what was sent is kept; empty: TUploadManifest::DefaultFolder()
    // Only find out what would go: log on, read the server's listings, and
    // write nothing there nor in the record of what was sent.
    bool DryRun = false;
};

// One file of the upload.
struct TUploadFile {
    QString LocalPath;   // the file sent (native path)
    QString RemotePath;  // its name on the server, below the server's folder
    QString Shown;       // how messages name it (the reference as written)
};

// What will be sent, worked out before anything goes over the network.
struct TUploadPlan {
    QString Problem;              // when not empty: the message, and nothing is sent
    TUploadFile Page;
    QList<TUploadFile> Images;
    std::shared_ptr<QTemporaryDir> Scratch; // private copies of the rewritten page
};

// The page name without blanks ("My Page.qze" -> "MyPage.html").
QString RemotePageName(const QString &pageFile);
// Every remote name below the server's folder (no "..", no absolute path, no
// drive, no address, no control character): the reference refused otherwise.
bool SafeReference(const QString &refName);
// Replaces every occurrence of pattern (letter case ignored) from left to right;
// the replacement is never searched again.
QByteArray ReplaceNoCase(const QByteArray &text, const QByteArray &pattern, const QByteArray &replacement);
// The hosting footer a GeoCities page gets before its closing body tag; in
// today's HTML for a page written that way.
QByteArray GeoCitiesFooter(bool modern = false);

// Checks the page and its pictures and writes the rewritten copies.
TUploadPlan PlanUpload(const TUploadPage &page, const TUploadTarget &target);

// What the check after an upload looks for: the page as the plan sends it, at
// the site's web address, and each picture under the name the sent page gives
// it. fingerprint (may be empty: the files are read) gives a picture's by its remote name.
TVerifyInput PlannedCheck(const TUploadPlan &plan, const TUploadTarget &target,
                          const std::function<TFileFingerprint(const QString &remoteName)> &fingerprint = {});

// The whole file; empty with *ok false when it cannot be read.
QByteArray ReadWhole(const QString &path, bool *ok);

} // namespace wobbin
