#include "cli/PagePreparation.h"

#include "base/Paths.h"
#include "base/SafeFile.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/PageText.h"
#include "page/ResourceList.h"
#include "publish/PasswordVault.h"
#include "publish/TransferLibrary.h"
#include "settings/AppPaths.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QFileInfo>

namespace wobbin {

TPreparedPage PreparePage(const CliArgs &args, const QString &nothingDone)
{
    TPreparedPage prepared;
    const auto stop = [&prepared](int code, const QString &message) {
        CliMessage(message);
        prepared.ExitCode = code;
        return std::move(prepared);
    };
    prepared.TransferSetUp = std::jthread([] { InitTransferLibrary(); });
    const QString page = args.operand;
    TPageDocument doc;
    const PageReadResult read = ReadPageFile(page, doc);
    if (read.Stop == PageReadStop::FileMissing)
        return stop(1, QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
    if (!read.IsOk()) // a damaged page is never sent or checked half
        return stop(2, QStringLiteral("%1: %2; %3").arg(page, DescribeReadResult(read), nothingDone));

    // The server list as the window reads it, provider files from the data folder.
    const QString dataDir = CliDataDir(args);
    static int argc = 1;
    static char name[] = "wobbin-express";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        prepared.App = std::make_unique<QCoreApplication>(argc, argv);
    if (!dataDir.isEmpty())
        SetAppDir(dataDir);
    // The list without the keyring's passwords: only the chosen server's is
    // asked for later, by the command that needs it.
    TPasswordVault *vault = PasswordVault();
    SetPasswordVault(nullptr);
    LoadServerList();
    SetPasswordVault(vault);
    const QString serverName = args.value("--server");
    prepared.Server = FindServerNoCase(serverName);
    if (prepared.Server < 0)
        return stop(1, QStringLiteral("no server \"%1\" in the server list").arg(serverName));
    prepared.Target = UploadTargetFor(ServerList().at(prepared.Server));
    prepared.Target.Password = QString(); // shared with the list's

    // The page's HTML as Save writes it, into a private folder (the page's
    // own files stay as they are); its pictures come from the HTML folder.
    const QString htmlFolder = ToNativePath(JoinPath(dataDir, QStringLiteral("HTMLFiles")));
    QString styleProblem;
    const QString html = PageHtmlAsSaved(doc, read, dataDir, CliPageWriting(args, true), &styleProblem);
    if (!styleProblem.isEmpty()) // a page without its style never stands in for it
        return stop(2, QStringLiteral("%1: %2; %3").arg(page, styleProblem, nothingDone));
    prepared.Scratch = std::make_unique<QTemporaryDir>();
    const QString htmlName = QFileInfo(ToNativePath(page)).completeBaseName() + QStringLiteral(".html");
    const TResult<void> written = prepared.Scratch->isValid()
        ? WriteScratchFile(prepared.Scratch->filePath(htmlName), EncodePageText(html))
        : TResult<void>(TError(QString()));
    if (!written.ok())
        return stop(1, QStringLiteral("cannot write the page's HTML: %1").arg(written.error().Text()));
    TUploadPage &upload = prepared.Upload;
    upload.PageFile = page;
    upload.HtmlFolder = htmlFolder;
    upload.HtmlFile = prepared.Scratch->filePath(htmlName);
    RefusedReferenceList refused;
    upload.Images = LocaliseImagesInText(html, PageHtmlPath(page, htmlFolder), &refused);
    if (!refused.isEmpty()) {
        QString text = LoadStr(Msg::PicturesOutsideNotSent);
        for (const RefusedReference &r : refused)
            text += QLatin1Char('\n') + r.Reference + QStringLiteral(": ") + r.Reason;
        return stop(3, text + QLatin1Char('\n') + LoadStr(Msg::NothingUploaded));
    }
    return prepared;
}

} // namespace wobbin
