// --verify PAGE --server NAME: is the page live? The page as --publish would
// send it is looked for at the server's web address, with its pictures; the
// diagnosis goes to standard output. Exit 0 when live, 4 when not.
#include "settings/AppPaths.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "base/Secrets.h"
#include "cli/CliCommand.h"
#include "cli/CliPassword.h"
#include "cli/PagePreparation.h"
#include "page/PageText.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/ResourceList.h"
#include "publish/PageVerify.h"
#include "publish/PasswordVault.h"
#include "publish/Upload.h"
#include "publish/UploadManifest.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include <unistd.h>

namespace wobbin {

int RunVerifyCommand(const CliArgs &args)
{
    // The check reads the site over the web, never logs on: no password is
    // needed, and the keyring is not asked. One given on standard input (a
    // script that gives --publish and --verify the same options) is read and
    // let go.
    if (args.has("--password-stdin")) {
        QString password;
        const TResult<void> read = ReadPasswordLine(STDIN_FILENO, password);
        WipeString(password);
        if (!read.ok()) {
            CliMessage(read.error().Text());
            return kExitNoPassword;
        }
    }
    SetPasswordVault(nullptr);
    const TPreparedPage prepared = PreparePage(args, QStringLiteral("nothing was checked"));
    if (prepared.ExitCode)
        return prepared.ExitCode;
    const TUploadTarget &target = prepared.Target;
    const TUploadPage &upload = prepared.Upload;
    const TUploadPlan plan = PlanUpload(upload, target);
    if (!plan.Problem.isEmpty()) {
        QString problem = plan.Problem;
        CliPrint(problem.replace(QLatin1String("\r\n"), QLatin1String("\n")).toLocal8Bit() + '\n');
        return 4;
    }
    TVerifyInput check = PlannedCheck(plan, target);
    // What was last sent to this server: a server showing that page while the
    // page has changed here since needs the page sent again.
    TUploadManifest sent;
    // A damaged list knows no page sent before: the check goes without that comparison.
    static_cast<void>(sent.Load(TUploadManifest::DefaultFolder(), IdentityOf(target)));
    if (const TManifestEntry *last = sent.Find(check.RemotePageName)) {
        check.PreviousPage.Size = last->Size;
        check.PreviousPage.Digest = last->Digest;
        check.ChangedSinceSent = last->Digest != FingerprintText(check.SentPage).Digest;
    }
    const TVerifyResult result = VerifyPage(check);
    CliPrint(result.Text.toLocal8Bit() + '\n');
    return result.IsLive() ? 0 : 4;
}

} // namespace wobbin
