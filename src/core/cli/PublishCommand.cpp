// --publish PAGE --server NAME: the page's HTML (as the window saves it) and its
// pictures uploaded to a server of the server list, without a window.
#include "settings/AppPaths.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "base/Secrets.h"
#include "cli/CliCommand.h"
#include "cli/CliInterrupt.h"
#include "cli/CliPassword.h"
#include "cli/PagePreparation.h"
#include "cli/PublishProgress.h"
#include "page/PageText.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/ResourceList.h"
#include "publish/PasswordVault.h"
#include "publish/UnusedPictures.h"
#include "publish/Upload.h"
#include "publish/UploadRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include <unistd.h>

namespace wobbin {
namespace {

QString OneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

// After an upload: the pictures no page uses any more are listed and, with
// --remove-unused, removed (a second log-on; Ctrl+C stops it).
int TidyServer(const CliArgs &args, const TUploadTarget &target, const QStringList &unused)
{
    if (unused.isEmpty())
        return 0;
    QByteArray list;
    for (const QString &name : unused)
        list += "unused: " + name.toLocal8Bit() + '\n';
    CliPrint(list);
    if (!args.has("--remove-unused"))
        return 0;
    CliPrint((LoadStr(Msg::RemovingUnusedPictures) + QLatin1Char('\n')).toLocal8Bit());
    TRemoveUnusedJob job(target, unused);
    TRemovalOutcome removal;
    int interrupted = 0;
    {
        QEventLoop loop;
        std::unique_ptr<QThread> worker(QThread::create([&] { removal = job.Run(); }));
        QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        TInterruptWatch interrupt([&] { job.Cancel(); });
        worker->start();
        loop.exec();
        worker->wait();
        interrupted = interrupt.Signal() ? interrupt.ExitStatus() : 0;
    }
    list.clear();
    for (const QString &name : std::as_const(removal.Removed))
        list += "removed: " + name.toLocal8Bit() + '\n';
    CliPrint(list);
    if (interrupted)
        return interrupted;
    if (removal.Failed.isEmpty() && removal.Message.isEmpty())
        return 0;
    QString text = LoadStr(Msg::PicturesNotRemoved) + QLatin1Char('\n') + removal.Failed.join(QLatin1Char('\n'));
    if (!removal.Message.isEmpty())
        text += QLatin1Char('\n') + OneLine(removal.Message);
    CliMessage(text);
    return 3;
}

} // namespace

int RunPublishCommand(const CliArgs &args)
{
    if (args.value("--server").isEmpty()) {
        CliMessage(QStringLiteral("--publish needs --server NAME"));
        return 1;
    }
    TPreparedPage prepared = PreparePage(args, QStringLiteral("nothing was sent"));
    if (prepared.ExitCode)
        return prepared.ExitCode;
    const int server = prepared.Server;
    TUploadTarget &target = prepared.Target;
    TUploadPage &upload = prepared.Upload;

    // The password last, once the page is known to be sendable; the server
    // list's copies go at once.
    const bool havePassword = CliServerPassword(args, ServerList().at(server), target.Password);
    for (tWWWServerType &r : ServerList())
        WipeString(r.Password);
    if (!havePassword)
        return kExitNoPassword;

    upload.DryRun = args.has("--dry-run");
    const bool terminal = isatty(STDOUT_FILENO);
    TPublishProgress progress(terminal, [](const QByteArray &bytes) { CliPrint(bytes); });
    TUploadOutcome outcome;
    int interrupted = 0;
    {
        TUploadRunner runner(upload, target);
        QObject::connect(&runner, &TUploadRunner::Status, [&](const QString &text) { progress.Status(text); });
        if (!upload.DryRun)
            QObject::connect(&runner, &TUploadRunner::FileProgress,
                             [&](const QString &name, qint64 sent, qint64 size) { progress.File(name, sent, size); });
        QEventLoop loop;
        QObject::connect(&runner, &TUploadRunner::Finished, &loop, &QEventLoop::quit);
        // Ctrl+C: the dialog's Cancel.
        TInterruptWatch interrupt([&] { runner.Cancel(); });
        runner.Start();
        loop.exec();
        outcome = runner.Outcome();
        // A locked key: its passphrase, then the log-on again.
        while (outcome.Result == UploadResult::NeedsPassphrase && !interrupt.Signal()) {
            progress.EndLine();
            if (!CliKeyPassphrase(outcome.KeyFile, target.Name, outcome.PassphraseWrong)) {
                WipeString(target.Password);
                return kExitNoPassword;
            }
            runner.Start();
            loop.exec();
            outcome = runner.Outcome();
        }
        if (const TResult<void> kept = RememberConnectionsAllowed(target.Name, outcome.ConnectionsAllowed); !kept.ok())
            CliMessage(QStringLiteral("%1: the number of connections the server takes at once could not be kept: %2")
                           .arg(target.Name, OneLine(kept.error().Text())));
        interrupted = interrupt.Signal() ? interrupt.ExitStatus() : 0;
    }
    progress.EndLine();
    if (interrupted) {
        // Cancelled: nothing half-written under a real name, what arrived recorded.
        WipeString(target.Password);
        CliMessage(QStringLiteral("interrupted: the upload was cancelled"));
        return interrupted;
    }
    switch (outcome.Result) {
    case UploadResult::Succeeded: {
        if (upload.DryRun) {
            WipeString(target.Password);
            if (!outcome.Message.isEmpty())
                CliMessage(QStringLiteral("the server's folder \"%1\" cannot be entered now (an upload makes it when it "
                                          "is missing): every file would be sent")
                               .arg(target.Directory));
            QByteArray list;
            for (const QString &name : std::as_const(outcome.WouldSend))
                list += "would send: " + name.toLocal8Bit() + '\n';
            for (const QString &name : std::as_const(outcome.Skipped))
                list += "unchanged: " + name.toLocal8Bit() + '\n';
            for (const QString &name : std::as_const(outcome.Unused))
                list += "unused: " + name.toLocal8Bit() + '\n';
            return CliPrint(list) ? 0 : 1;
        }
        const int status = TidyServer(args, target, outcome.Unused);
        WipeString(target.Password);
        return status;
    }
    case UploadResult::NeedsTrust:
        progress.Status(LoadStr(Msg::UploadFailed));
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
        WipeString(target.Password);
        return 3;
    case UploadResult::Cancelled:
    case UploadResult::Failed:
    case UploadResult::NeedsPassphrase:
        break;
    }
    WipeString(target.Password);
    CliMessage(OneLine(outcome.Message));
    return 3;
}

} // namespace wobbin
