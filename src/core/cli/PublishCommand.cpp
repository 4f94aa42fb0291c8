// --publish PAGE --server NAME: the page's HTML (as the window saves it) and its
// pictures uploaded to a server of the server list, without a window.
#include "settings/AppPaths.h"
#include "strings/StringTable.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "base/Secrets.h"
#include "cli/CliCommand.h"
#include "page/PageText.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/ResourceList.h"
#include "publish/Upload.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace wobbin {
namespace {

QString OneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

} // namespace

int RunPublishCommand(const CliArgs &args)
{
    const QString page = args.operand;
    const QString serverName = args.value("--server");
    if (serverName.isEmpty()) {
        CliMessage(QStringLiteral("--publish needs --server NAME"));
        return 1;
    }
    TPageDocument doc;
    const PageReadResult read = ReadPageFile(page, doc);
    if (read.Stop == PageReadStop::FileMissing) {
        CliMessage(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 1;
    }
    if (!read.IsOk()) {
        // A damaged page is never published half.
        CliMessage(QStringLiteral("%1: %2; nothing was sent").arg(page, DescribeReadResult(read)));
        return 2;
    }
    // The server list as the window reads it (passwords from the keyring when
    // a vault is in use, else from the settings), provider files from the data folder.
    const QString dataDir = CliDataDir(args);
    // The keyring's answers come as events: an application object for the command.
    int argc = 1;
    char name[] = "wobbin-express";
    char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    if (!dataDir.isEmpty())
        SetAppDir(dataDir);
    LoadServerList();
    const int server = FindServerNoCase(serverName);
    if (server < 0) {
        CliMessage(QStringLiteral("no server \"%1\" in the server list").arg(serverName));
        return 1;
    }
    TUploadTarget target = UploadTargetFor(ServerList().at(server));

    // The page's HTML as Save writes it, into a private folder (the page's
    // own files stay as they are); its pictures come from the HTML folder.
    const QString htmlFolder = ToNativePath(JoinPath(dataDir, QStringLiteral("HTMLFiles")));
    QString styleProblem;
    const QString html = PageHtmlAsSaved(doc, read, dataDir, CliPageWriting(args, true), &styleProblem);
    if (!styleProblem.isEmpty()) {
        // A page without its style is never published in its place.
        CliMessage(QStringLiteral("%1: %2; nothing was sent").arg(page, styleProblem));
        return 2;
    }
    QTemporaryDir scratch;
    const QString htmlName = QFileInfo(ToNativePath(page)).completeBaseName() + QStringLiteral(".html");
    QString error;
    if (!scratch.isValid() || !WriteFileSafely(scratch.filePath(htmlName), EncodePageText(html), &error)) {
        CliMessage(QStringLiteral("cannot write the page's HTML: %1").arg(error));
        return 3;
    }
    TUploadPage upload;
    upload.PageFile = page;
    upload.HtmlFolder = htmlFolder;
    upload.HtmlFile = scratch.filePath(htmlName);
    RefusedReferenceList refused;
    upload.Images = LocaliseImagesInText(html, PageHtmlPath(page, htmlFolder), &refused);
    if (!refused.isEmpty()) {
        QString text = LoadStr(232);
        for (const RefusedReference &r : refused)
            text += QLatin1Char('\n') + r.Reference + QStringLiteral(": ") + r.Reason;
        CliMessage(text + QLatin1Char('\n') + LoadStr(233));
        return 3;
    }

    TUploadJob job(upload, target);
    // The job has its own copy of the password: the server list's go now.
    WipeString(target.Password);
    for (tWWWServerType &r : ServerList())
        WipeString(r.Password);
    job.OnStatus = [](const QString &text) { CliPrint(text.toLocal8Bit() + '\n'); };
    const TUploadOutcome outcome = job.DoUpload();
    switch (outcome.Result) {
    case UploadResult::Succeeded:
        return 0;
    case UploadResult::NeedsTrust:
        job.OnStatus(LoadStr(250));
        if (outcome.Trust == TrustKind::ChangedCertificate)
            CliMessage(QStringLiteral("%1: WARNING: the server's certificate is not the one accepted for it before "
                                      "(SHA-256 fingerprint now %2). Someone may be pretending to be your server; "
                                      "nothing was sent.")
                           .arg(target.Name, outcome.Fingerprint));
        else if (outcome.Trust == TrustKind::HostKey)
            CliMessage(QStringLiteral("%1: the server's host key is not known here (fingerprint %2); nothing was sent. "
                                      "Accept it once in the program's window, or add it to ~/.ssh/known_hosts.")
                           .arg(target.Name, outcome.Fingerprint));
        else
            CliMessage(QStringLiteral("%1: the server's certificate is not trusted here (SHA-256 fingerprint %2); "
                                      "nothing was sent. Accept it once in the program's window.")
                           .arg(target.Name, outcome.Fingerprint));
        return 3;
    case UploadResult::Cancelled:
    case UploadResult::Failed:
        break;
    }
    CliMessage(OneLine(outcome.Message));
    return 3;
}

} // namespace wobbin
