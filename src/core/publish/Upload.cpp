#include "publish/Upload.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "page/PageText.h"
#include "base/Secrets.h"
#include "publish/HostPort.h"
#include "publish/ParallelSend.h"
#include "publish/UnusedPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace wobbin {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString ExtensionOf(const QString &path)
{
    return QFileInfo(path).suffix();
}

} // namespace

QString TrustQuestion(const TUploadOutcome &outcome)
{
    if (outcome.Trust == TrustKind::HostKey)
        return LoadStr(Msg::HostKeyUnknown) + kCrLf + kCrLf + LoadStr(Msg::HostKeyFingerprint) + kCrLf + outcome.Fingerprint + kCrLf + kCrLf + LoadStr(Msg::TrustHostKeyQuestion);
    if (outcome.Trust == TrustKind::ChangedCertificate)
        return LoadStr(Msg::CertificateChanged) + kCrLf + kCrLf + LoadStr(Msg::CertificateFingerprint) + kCrLf + outcome.Fingerprint + kCrLf + kCrLf + LoadStr(Msg::TrustChangedCertificateQuestion);
    return LoadStr(Msg::CertificateUntrusted) + kCrLf + kCrLf + LoadStr(Msg::CertificateFingerprint) + kCrLf + outcome.Fingerprint + kCrLf + kCrLf + LoadStr(Msg::TrustCertificateQuestion);
}

// ---------------------------------------------------------------------------

TUploadJob::TUploadJob(const TUploadPage &page, const TUploadTarget &target) : m_page(page), m_target(target)
{
    // The job's own copy of the password, overwritten once the log-on no
    // longer needs it; the caller's stays the caller's.
    m_target.Password = PrivateCopy(target.Password);
    m_ftp.OnDisconnect = [this] { SetStatus(LoadStr(Msg::Disconnected)); };
    m_ftp.OnProgress = [this](qint64 sent, qint64 total) {
        if (OnFile && total > 0 && sent * 1000 / total != m_filePermille) {
            m_filePermille = sent * 1000 / total;
            OnFile(m_fileShown, sent, total);
        }
        if (!OnProgress || total <= 0 || m_files <= 0)
            return;
        // Files done so far, and the part of the current one, in thousandths.
        const qint64 value = m_lastValue - m_lastValue % 1000 + qMin<qint64>(999, sent * 1000 / total);
        if (value != m_lastValue) {
            m_lastValue = value;
            OnProgress(value, qint64(m_files) * 1000);
        }
    };
}

TUploadJob::~TUploadJob()
{
    WipeString(m_target.Password);
    WipeString(m_spare);
}

void TUploadJob::SetTimeLimits(int logOnMs, int stallMs)
{
    m_ftp.SetTimeLimits(logOnMs, stallMs);
}

void TUploadJob::SetKnownHostsFile(const QString &path)
{
    m_knownHosts = path;
}

void TUploadJob::AcceptFingerprint(const QString &fingerprint)
{
    m_target.TrustedFingerprint = fingerprint;
    if (m_target.Protocol == TTransferProtocol::FTPS || m_target.Protocol == TTransferProtocol::WebDAVS)
        m_outcome.AcceptedFingerprint = fingerprint;
}

void TUploadJob::Cancel()
{
    m_cancelled = true;
    m_ftp.Cancel();
}

void TUploadJob::SetStatus(const QString &text)
{
    if (OnStatus)
        OnStatus(text);
}

QString TUploadJob::AddressShown() const
{
    if (m_target.Protocol == TTransferProtocol::Folder)
        return m_target.Directory;
    const TResult<THostPort> split = SplitHostPort(m_target.Address);
    if (!split.ok())
        return m_target.Address.section(QLatin1Char('@'), -1).trimmed();
    QString host = split.value().Host;
    const int port = split.value().Port;
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return port > 0 ? host + QLatin1Char(':') + QString::number(port) : host;
}

// Why the last operation failed, in the user's words.
QString TUploadJob::CauseText() const
{
    return CauseText(m_ftp.Failure(), m_ftp.ErrorText());
}

QString TUploadJob::CauseText(FtpFailure failure, const QString &detail) const
{
    // A folder names the cause itself, in the system's words ("No space
    // left on device") or as a whole message (a folder that is not there).
    if (m_target.Protocol == TTransferProtocol::Folder && failure != FtpFailure::Cancelled && !detail.isEmpty())
        return detail;
    switch (failure) {
    case FtpFailure::ServerFull:
        return LoadStr(Msg::ServerFull);
    case FtpFailure::Unreachable:
        return LoadStr(Msg::ServerUnreachable);
    case FtpFailure::LogOnTimeout:
        return LoadStr(Msg::ServerTimedOut);
    case FtpFailure::Stalled:
        return LoadStr(Msg::ServerStalled).arg(m_ftp.StallLimit() / 1000);
    case FtpFailure::LocalFile:
        return LoadStr(Msg::LocalFileUnreadable);
    case FtpFailure::TlsFailed:
        return LoadStr(Msg::SecureConnectionFailed);
    case FtpFailure::Refused:
    case FtpFailure::BadName:
        return LoadStr(Msg::ServerRefused);
    case FtpFailure::LogOnRefused:
        return LoadStr(Msg::LoginFailed);
    case FtpFailure::Incomplete:
        return LoadStr(Msg::ArrivedIncomplete);
    case FtpFailure::None:
    case FtpFailure::Cancelled:
        return QString();
    default:
        break;
    }
    return LoadStr(Msg::ConnectionLost);
}

TUploadOutcome TUploadJob::DoUpload()
{
    const QString accepted = m_outcome.AcceptedFingerprint;
    m_outcome = TUploadOutcome();
    m_outcome.AcceptedFingerprint = accepted;
    m_plan = PlanUpload(m_page, m_target);
    if (!m_plan.Problem.isEmpty()) {
        m_outcome.Message = m_plan.Problem;
        SetStatus(LoadStr(Msg::UploadFailed));
        return m_outcome;
    }
    m_files = 1 + int(m_plan.Images.size());
    m_lastValue = -1;
    m_listings.clear();
    m_unmade.clear();
    m_changes = std::make_unique<TUploadChanges>(IdentityOf(m_target), m_page.SendEverything, m_page.SentFilesFolder);
    bool succeeded = false;
    m_folderUnlisted = false;
    if (ConnectToServer() && !m_cancelled && (m_page.DryRun ? ListWhatWouldGo() : UploadAll()))
        succeeded = true;
    // Closing: whatever is still open is closed.
    if (m_ftp.Connected())
        m_ftp.Disconnect();
    // The last status line says how it ended. A server waiting to be trusted
    // gets none yet: the question comes first.
    if (m_cancelled) {
        SetStatus(LoadStr(Msg::ConnectionCancelled));
        m_outcome.Result = UploadResult::Cancelled;
        m_outcome.Message.clear();
    } else if (succeeded && m_page.DryRun) {
        m_outcome.Result = UploadResult::Succeeded;
    } else if (succeeded) {
        m_outcome.Result = UploadResult::Succeeded;
        PrepareCheck();
        m_outcome.Unused = UnusedAfterUpload(m_plan, m_page, m_target);
        SetStatus(LoadStr(Msg::UploadCompleted));
    } else if (m_outcome.Result != UploadResult::NeedsTrust && m_outcome.Result != UploadResult::NeedsPassphrase) {
        m_outcome.Result = UploadResult::Failed;
        SetStatus(LoadStr(Msg::UploadFailed));
    }
    // Only a server still to be trusted, or a key still to be unlocked, is
    // logged on to again (DoUpload).
    if (m_outcome.Result != UploadResult::NeedsTrust && m_outcome.Result != UploadResult::NeedsPassphrase)
        WipeString(m_target.Password);
    WipeString(m_spare);
    return m_outcome;
}

bool TUploadJob::ConnectToServer()
{
    m_ftp.SetErrorCode(0);
    // A control character would carry commands of its own to the server:
    // refused before anything goes out (the client refuses it too).
    if (HasControlCharacter(m_target.UserName) || HasControlCharacter(m_target.Password)) {
        m_outcome.Message = LoadStr(Msg::LoginControlCharacter);
        return false;
    }
    SetStatus(LoadStr(Msg::ConnectingTo) + AddressShown());
    TFtpLogOn logOn = LogOn();
    logOn.Password = m_target.Password;
    m_ftp.Connect(logOn);
    if (m_ftp.Connected()) {
        // Logged on: only further connections need the password again.
        if (m_target.Connections > 1)
            m_spare = PrivateCopy(m_target.Password);
        WipeString(m_target.Password);
    }
    if (m_ftp.ErrorCode() > 0 && !m_cancelled) {
        switch (m_ftp.Failure()) {
        case FtpFailure::UnknownCertificate:
        case FtpFailure::ChangedCertificate:
        case FtpFailure::UnknownHostKey:
            m_outcome.Result = UploadResult::NeedsTrust;
            m_outcome.Trust = m_ftp.Failure() == FtpFailure::UnknownHostKey       ? TrustKind::HostKey
                : m_ftp.Failure() == FtpFailure::ChangedCertificate ? TrustKind::ChangedCertificate
                                                                    : TrustKind::Certificate;
            m_outcome.Fingerprint = m_ftp.PeerFingerprint();
            break;
        case FtpFailure::ChangedHostKey: {
            const QString knownHosts = m_knownHosts.isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh/known_hosts") : m_knownHosts;
            m_outcome.Message = LoadStr(Msg::HostKeyChanged).arg(knownHosts) + kCrLf + kCrLf + LoadStr(Msg::HostKeyOfferedFingerprint) + kCrLf + m_ftp.PeerFingerprint();
            break;
        }
        case FtpFailure::LogOnRefused:
            m_outcome.Message = LogOnRefusedText();
            break;
        case FtpFailure::KeyPassphrase:
            m_outcome.Result = UploadResult::NeedsPassphrase;
            m_outcome.KeyFile = m_ftp.KeyFileInQuestion();
            m_outcome.PassphraseWrong = m_ftp.PassphraseWasWrong();
            break;
        case FtpFailure::KeyFile:
            m_outcome.Message = KeyFileText(m_ftp.KeyFileInQuestion(), m_ftp.KeyFileProblem());
            break;
        case FtpFailure::UnsafeLogOn:
            m_outcome.Message = LoadStr(Msg::LoginControlCharacter);
            break;
        default:
            // Not the log-on that failed but the way to the server: the
            // message says so instead of blaming the login and password.
            m_outcome.Message = CauseText();
            if ((m_ftp.Failure() == FtpFailure::Unreachable || m_ftp.Failure() == FtpFailure::LogOnTimeout)
                && m_target.Protocol != TTransferProtocol::Folder)
                m_outcome.Message += kCrLf + LoadStr(Msg::CheckServerAddress).arg(AddressShown());
            break;
        }
        m_ftp.SetErrorCode(0);
        return false;
    }
    if (m_ftp.ErrorCode() > 0)
        return false; // cancelled while logging on
    SetStatus(LoadStr(Msg::ConnectingTo) + AddressShown());
    if (!m_target.Directory.isEmpty() && !m_cancelled) {
        // A folder files were sent to before is there still, as a rule: it
        // is made only when it cannot be entered (a round trip saved). A dry
        // run makes nothing.
        const bool known = !m_changes->Before().IsEmpty();
        bool made = false;
        if (!m_target.FlatDir && !known && !m_page.DryRun) {
            made = m_ftp.MakeFolder(m_target.Directory);
            m_ftp.SetErrorCode(0); // it may exist already
        }
        if (!m_ftp.ChangeFolder(m_target.Directory) && known && !m_target.FlatDir && !m_page.DryRun && !m_cancelled) {
            made = m_ftp.MakeFolder(m_target.Directory);
            m_ftp.SetErrorCode(0);
            m_ftp.ChangeFolder(m_target.Directory);
        }
        if (made && m_ftp.ErrorCode() == 0)
            MadeEmpty(QString());
    }
    if (m_page.DryRun && m_ftp.ErrorCode() > 0 && !m_cancelled) {
        // Not there yet (an upload makes it) or not allowed: nothing to list.
        m_ftp.SetErrorCode(0);
        m_folderUnlisted = true;
        return true;
    }
    if (m_ftp.ErrorCode() > 0 && !m_cancelled) {
        // A web server may ask for the login only below its root.
        m_outcome.Message = m_ftp.Failure() == FtpFailure::LogOnRefused ? LoadStr(Msg::LoginFailed)
                                                                       : LoadStr(Msg::FolderChangeFailed) + kCrLf + LoadStr(Msg::CheckFolderDetails);
        return false;
    }
    return !m_cancelled;
}

TFtpLogOn LogOnFor(const TUploadTarget &target, const QString &knownHosts)
{
    TFtpLogOn logOn;
    logOn.Protocol = target.Protocol;
    logOn.Host = target.Address;
    logOn.UserName = target.UserName;
    logOn.TrustedFingerprint = target.TrustedFingerprint;
    logOn.KnownHostsFile = knownHosts;
    if (target.Protocol == TTransferProtocol::SFTP) {
        logOn.SshAgent = true;
        logOn.KeyFiles = target.KeyFile.trimmed().isEmpty() ? DefaultKeyFiles() : QStringList{KeyFilePath(target.KeyFile)};
    }
    return logOn;
}

// The server refused every way offered: the keys are named, so that a
// refused key is not taken for a wrong password.
QString TUploadJob::LogOnRefusedText() const
{
    const QStringList keys = m_ftp.KeysOffered();
    if (keys.isEmpty())
        return LoadStr(Msg::LoginFailed);
    QStringList shown;
    for (const QString &k : keys)
        shown << KeyFileShown(k);
    const QString refused = LoadStr(Msg::SshKeysRefused).arg(shown.join(QStringLiteral(", ")));
    return m_ftp.PasswordOffered() ? LoadStr(Msg::LoginFailed) + kCrLf + kCrLf + refused : refused + kCrLf + kCrLf + LoadStr(Msg::SshKeyHowTo);
}

QString KeyFileText(const QString &keyFile, TKeyFileState problem)
{
    int text = 923;
    switch (problem) {
    case TKeyFileState::Missing: text = 924; break;
    case TKeyFileState::Unreadable: text = 925; break;
    case TKeyFileState::BadName: text = 926; break;
    default: break;
    }
    return LoadStr(text).arg(KeyFileShown(keyFile)) + kCrLf + kCrLf + LoadStr(Msg::ChooseAnotherKeyFile);
}

TFtpLogOn TUploadJob::LogOn() const
{
    return LogOnFor(m_target, m_knownHosts);
}

void TUploadJob::SetTransferMode(const QString &extension)
{
    const QString e = extension.startsWith(QLatin1Char('.')) ? extension.mid(1).toLower() : extension.toLower();
    static const QStringList text{QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("txt"),
                                  QStringLiteral("doc"), QStringLiteral("shtml")};
    const bool binary = !text.contains(e);
    if (m_ftp.Binary() != binary)
        m_ftp.SetBinary(binary);
}

// Sends one file (index: its place in the order, the pictures first and the
// page last) with the progress bar before it. A file the server does not hold
// yet goes straight to its name; one it holds goes through a temporary name,
// so that its old copy is replaced only by a whole one.
bool TUploadJob::SendOne(const TUploadFile &file, int index, TFileFingerprint *sent)
{
    m_lastValue = qint64(index) * 1000;
    if (OnProgress)
        OnProgress(m_lastValue, qint64(m_files) * 1000);
    m_fileShown = file.Shown;
    m_filePermille = -1;
    if (OnFile)
        OnFile(m_fileShown, 0, QFileInfo(file.LocalPath).size());
    SetTransferMode(ExtensionOf(file.LocalPath));
    const RemotePresence presence = PresenceOf(file.RemotePath);
    TFileFingerprint arrived;
    const bool ok = m_ftp.SendFile(file.LocalPath, file.RemotePath, presence, &arrived);
    if (ok)
        Arrived(file.RemotePath, m_ftp.Binary() ? arrived.Size : -1);
    if (sent)
        *sent = arrived;
    return ok;
}

// Now it is there (a second file of that name would replace it); size -1
// when the server's copy may differ from ours (sent as text).
void TUploadJob::Arrived(const QString &remotePath, qint64 size)
{
    FolderListing &listing = m_listings[remotePath.section(QLatin1Char('/'), 0, -2)];
    const QString name = remotePath.section(QLatin1Char('/'), -1);
    listing.Sizes.insert(name, size);
    listing.LowerNames.insert(name.toLower());
}

void TUploadJob::SendPictures(const QList<int> &which, QStringList &failed)
{
    static const QStringList text{QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("txt"),
                                  QStringLiteral("doc"), QStringLiteral("shtml")};
    QList<TSendTask> tasks;
    QList<qint64> sizes;
    for (int i : which) {
        const TUploadFile &f = m_plan.Images.at(i);
        TSendTask t;
        t.LocalPath = f.LocalPath;
        t.RemotePath = f.RemotePath;
        t.Presence = PresenceOf(f.RemotePath);
        t.Binary = !text.contains(ExtensionOf(f.LocalPath).toLower());
        tasks << t;
        sizes << QFileInfo(f.LocalPath).size();
    }
    m_ftp.SetErrorCode(0);
    if (m_cancelled)
        return;
    // Further connections log on the way the first one did.
    TFtpLogOn logOn = LogOn();
    logOn.Password = m_spare;
    logOn = m_ftp.SameLogOn(logOn);
    TParallelSend sender(m_ftp, logOn, m_target.Directory, m_target.Connections, m_cancelled);
    WipeString(m_spare); // the sender has its own copy
    WipeString(logOn.Password);

    // The bar: the pictures skipped and done, and the part of each under way.
    const qint64 before = qint64(m_plan.Images.size() - which.size());
    qint64 done = 0;
    QHash<int, qint64> parts; // thousandths of each file under way
    const auto showTotal = [&] {
        qint64 value = (before + done) * 1000;
        for (qint64 part : std::as_const(parts))
            value += part;
        if (OnProgress && value > m_lastValue) {
            m_lastValue = value;
            OnProgress(value, qint64(m_files) * 1000);
        }
    };
    int shown = -1;
    sender.OnStart = [&](int k) {
        if (shown < 0 && OnFile) {
            shown = k;
            m_filePermille = 0;
            OnFile(m_plan.Images.at(which.at(k)).Shown, 0, sizes.at(k));
        }
    };
    sender.OnBytes = [&](const QList<int> &underWay, const QList<qint64> &sent) {
        for (qsizetype j = 0; j < underWay.size(); ++j) {
            const qint64 size = sizes.at(underWay.at(j));
            parts[underWay.at(j)] = size > 0 ? qMin<qint64>(999, sent.at(j) * 1000 / size) : 0;
        }
        showTotal();
        const int k = underWay.first();
        const qint64 size = sizes.at(k);
        const qint64 permille = size > 0 ? sent.first() * 1000 / size : 0;
        if (OnFile && (k != shown || permille != m_filePermille)) {
            shown = k;
            m_filePermille = permille;
            OnFile(m_plan.Images.at(which.at(k)).Shown, sent.first(), size);
        }
    };
    sender.OnDone = [&](int k, const TSendResult &r) {
        const TUploadFile &f = m_plan.Images.at(which.at(k));
        ++done;
        parts.remove(k);
        if (k == shown)
            shown = -1;
        if (r.Sent) {
            if (OnFile)
                OnFile(f.Shown, sizes.at(k), sizes.at(k));
            Arrived(f.RemotePath, tasks.at(k).Binary ? r.Arrived.Size : -1);
            m_changes->Sent(f.RemotePath, r.Arrived);
        } else {
            m_changes->NotSent(f.RemotePath);
            if (!m_cancelled)
                failed << f.Shown + QStringLiteral(": ") + CauseText(r.Failure, r.Cause);
        }
        showTotal();
    };
    const QList<TSendResult> results = sender.Run(tasks);
    // Files no connection could take: the connections broke first.
    for (qsizetype k = 0; k < results.size(); ++k) {
        if (!results.at(k).Taken) {
            const TUploadFile &f = m_plan.Images.at(which.at(k));
            m_changes->NotSent(f.RemotePath);
            if (!m_cancelled)
                failed << f.Shown;
        }
    }
    if (sender.ConnectionsRefused() && sender.ConnectionsUsed() > 0)
        m_outcome.ConnectionsAllowed = sender.ConnectionsUsed();
}

const TUploadJob::FolderListing &TUploadJob::ListingOf(const QString &remotePath)
{
    const QString folder = remotePath.section(QLatin1Char('/'), 0, -2);
    auto it = m_listings.find(folder);
    if (it != m_listings.end())
        return *it;
    FolderListing listing;
    QList<TRemoteEntry> entries;
    bool listed = !m_cancelled && m_ftp.ListFolder(folder, entries);
    if (!listed && !m_cancelled && m_unmade.contains(folder)) {
        // Gone since the last upload: made now, with the folders above it.
        const QStringList parts = folder.split(QLatin1Char('/'));
        for (qsizetype k = 1; k <= parts.size(); ++k) {
            const QString above = parts.mid(0, k).join(QLatin1Char('/'));
            if (m_unmade.remove(above))
                m_ftp.MakeFolder(above);
        }
        m_ftp.SetErrorCode(0);
        listed = m_ftp.ListFolder(folder, entries);
    }
    if (listed) {
        listing.Listed = true;
        for (const TRemoteEntry &e : std::as_const(entries)) {
            listing.Sizes.insert(e.Name, e.Size);
            listing.LowerNames.insert(e.Name.toLower());
        }
    }
    m_ftp.SetErrorCode(0); // a server that cannot list: each file is asked about
    return *m_listings.insert(folder, listing);
}

// Temporary files an earlier upload left behind when it was cancelled or
// broke off ("graphics/.wbx-a.gif.part", never under a name visitors see)
// go from the folders this upload listed, which are the folders it sends to.
void TUploadJob::RemoveLeftovers()
{
    for (auto it = m_listings.cbegin(); it != m_listings.cend() && !m_cancelled; ++it) {
        if (!it->Listed)
            continue;
        const QString folder = it.key();
        for (auto name = it->Sizes.keyBegin(); name != it->Sizes.keyEnd() && !m_cancelled; ++name) {
            if (TFtpClient::IsTemporaryName(*name))
                m_ftp.DeleteFile(folder.isEmpty() ? *name : folder + QLatin1Char('/') + *name);
        }
    }
    m_ftp.SetErrorCode(0); // one that cannot be removed now goes next time
}

// A folder the server made just now holds nothing: no listing is asked for
// it (on a first upload that saves a listing's four answers per folder).
void TUploadJob::MadeEmpty(const QString &folder)
{
    FolderListing empty;
    empty.Listed = true;
    m_listings.insert(folder, empty);
}

RemotePresence TUploadJob::PresenceOf(const QString &remotePath)
{
    const FolderListing &listing = ListingOf(remotePath);
    if (!listing.Listed)
        return RemotePresence::Unknown;
    const QString name = remotePath.section(QLatin1Char('/'), -1);
    // A server that ignores letter case holds "Pic.GIF" as "pic.gif": there.
    return listing.LowerNames.contains(name.toLower()) ? RemotePresence::Present : RemotePresence::Absent;
}

TRemoteSize TUploadJob::RemoteSizeOf(const QString &remotePath)
{
    const FolderListing &listing = ListingOf(remotePath);
    const QString name = remotePath.section(QLatin1Char('/'), -1);
    if (listing.Listed) {
        if (!listing.LowerNames.contains(name.toLower()))
            return TRemoteSize{TRemoteSize::Missing, -1};
        const qint64 size = listing.Sizes.value(name, -1);
        if (size >= 0)
            return TRemoteSize{TRemoteSize::Known, size};
    }
    return m_ftp.RemoteSize(remotePath);
}

void TUploadJob::PrepareCheck()
{
    m_outcome.Check = PlannedCheck(m_plan, m_target,
                                   [this](const QString &remote) { return m_changes->FingerprintOf(remote); });
    m_outcome.Check.PreviousPage = m_changes->PreviousPage(m_plan.Page.RemotePath);
}

bool TUploadJob::UploadAll()
{
    m_lastValue = 0;
    if (OnProgress)
        OnProgress(0, qint64(m_files) * 1000);
    SetStatus(LoadStr(Msg::UploadingFiles));
    if (!m_target.FlatDir) {
        // The picture folders, and any other folder a reference names, in
        // the letters the page writes them.
        QStringList folders{QStringLiteral("graphics"), QStringLiteral("backgrnd")};
        for (const TUploadFile &f : std::as_const(m_plan.Images)) {
            const QStringList parts = f.RemotePath.split(QLatin1Char('/'));
            for (qsizetype k = 1; k < parts.size(); ++k) {
                const QString folder = parts.mid(0, k).join(QLatin1Char('/'));
                if (!folders.contains(folder))
                    folders << folder;
            }
        }
        // A folder that held files sent before is made only when its
        // listing fails (ListingOf): a round trip each saved.
        const QList<TManifestEntry> sentBefore = m_changes->Before().Entries();
        for (const QString &folder : std::as_const(folders)) {
            const bool known = std::any_of(sentBefore.begin(), sentBefore.end(), [&](const TManifestEntry &e) {
                return e.RemoteName.startsWith(folder + QLatin1Char('/'));
            });
            const bool needed = std::any_of(m_plan.Images.begin(), m_plan.Images.end(), [&](const TUploadFile &f) {
                return f.RemotePath.startsWith(folder + QLatin1Char('/'));
            });
            if (known)
                m_unmade << folder;
            else if (needed || sentBefore.isEmpty())
                if (m_ftp.MakeFolder(folder)) // an empty picture folder only on the first upload
                    MadeEmpty(folder);
        }
        m_ftp.SetErrorCode(0); // they may exist already
    }
    // The pictures first, the page last: the page visitors see only ever
    // refers to pictures that are there. Which pictures go is decided first
    // (a picture the server holds as it is here is not sent again); then
    // they go over several connections at once. Every picture is tried; the
    // files not sent are named with the ones that failed.
    QStringList failed;
    QList<int> which;
    for (int i = 0; i < m_plan.Images.size() && !m_cancelled; ++i) {
        const TUploadFile &f = m_plan.Images.at(i);
        const TSendDecision decision = m_changes->PictureBeforeSending(
            f.LocalPath, f.RemotePath, [this](const QString &remote) { return RemoteSizeOf(remote); },
            &m_cancelled);
        if (decision.Send)
            which << i;
    }
    if (!m_cancelled && !which.isEmpty())
        SendPictures(which, failed);
    m_outcome.Skipped = m_changes->SkippedNames();
    if (!m_outcome.Skipped.isEmpty() && !m_cancelled)
        SetStatus(m_outcome.Skipped.size() == 1 ? LoadStr(Msg::OnePictureUnchanged) : LoadStr(Msg::PicturesUnchanged).arg(m_outcome.Skipped.size()));

    bool result = false;
    if (!m_cancelled && !failed.isEmpty()) {
        // A picture that did not arrive keeps the page back: the page the
        // server holds stays as it was.
        for (const QString &f : std::as_const(failed))
            m_outcome.FailedFiles << f.section(QStringLiteral(": "), 0, 0);
        m_outcome.FailedFiles << m_plan.Page.Shown;
        m_outcome.Message = LoadStr(Msg::UploadFailedDetail) + kCrLf + kCrLf + LoadStr(Msg::FilesDidNotArrive) + kCrLf + failed.join(kCrLf) + kCrLf + kCrLf
            + LoadStr(Msg::PageHeldBack);
    } else if (!m_cancelled) {
        bool read = false;
        const QByteArray pageBytes = ReadWhole(m_plan.Page.LocalPath, &read);
        // The server's copy by the listing when its folder was listed anyway,
        // by a size query otherwise (a round trip instead of a listing's four).
        const auto pageSize = [this](const QString &remote) {
            if (m_listings.contains(remote.section(QLatin1Char('/'), 0, -2)))
                return RemoteSizeOf(remote);
            const TRemoteSize size = m_ftp.RemoteSize(remote);
            m_ftp.SetErrorCode(0);
            return size;
        };
        if (read && m_changes->PageUnchanged(m_plan.Page.RemotePath, pageBytes, pageSize)) {
            // The server holds the page as it is here: what visitors see stays.
            m_outcome.PageUnchanged = true;
            SetStatus(LoadStr(Msg::PageUnchanged));
            result = true;
            m_lastValue = qint64(m_files) * 1000;
            if (OnProgress)
                OnProgress(m_lastValue, m_lastValue);
        } else if (SendOne(m_plan.Page, int(m_plan.Images.size()))) {
            m_changes->PageSent(m_plan.Page.RemotePath, pageBytes);
            result = true;
            m_lastValue = qint64(m_files) * 1000;
            if (OnProgress)
                OnProgress(m_lastValue, m_lastValue);
        } else {
            m_changes->NotSent(m_plan.Page.RemotePath);
            if (!m_cancelled) {
                m_outcome.FailedFiles << m_plan.Page.Shown;
                m_outcome.Message = LoadStr(Msg::UploadFailedDetail) + kCrLf + kCrLf + m_plan.Page.Shown + QStringLiteral(": ") + CauseText();
            }
        }
    }
    if (!m_cancelled)
        RemoveLeftovers();
    // What arrived is kept even when the upload failed or was cancelled; a
    // list that cannot be written only makes the next upload send more.
    static_cast<void>(m_changes->Save());
    if (m_cancelled)
        return false;
    SetStatus(LoadStr(Msg::Disconnecting));
    m_ftp.Disconnect();
    return result;
}

// A dry run: each picture is decided as the upload decides it, from the
// record of what was sent and the server's listings; nothing is written on
// the server and the record stays as it was.
bool TUploadJob::ListWhatWouldGo()
{
    for (const TUploadFile &f : std::as_const(m_plan.Images)) {
        if (m_cancelled)
            return false;
        bool send = true;
        if (!m_folderUnlisted) {
            const TSendDecision decision = m_changes->PictureBeforeSending(
                f.LocalPath, f.RemotePath, [this](const QString &remote) { return RemoteSizeOf(remote); }, &m_cancelled);
            send = decision.Send;
        }
        if (send)
            m_outcome.WouldSend << f.Shown;
    }
    if (m_cancelled)
        return false;
    // The page as the upload decides it: not sent when the server holds it
    // as it is here.
    bool read = false;
    const QByteArray pageBytes = ReadWhole(m_plan.Page.LocalPath, &read);
    const bool pageSame = !m_folderUnlisted && read
        && m_changes->PageUnchanged(m_plan.Page.RemotePath, pageBytes,
                                    [this](const QString &remote) { return RemoteSizeOf(remote); });
    m_outcome.Skipped = m_changes->SkippedNames();
    if (pageSame)
        m_outcome.Skipped << m_plan.Page.Shown;
    else
        m_outcome.WouldSend << m_plan.Page.Shown;
    m_outcome.Unused = UnusedAfterUpload(m_plan, m_page, m_target);
    if (m_folderUnlisted)
        m_outcome.Message = LoadStr(Msg::FolderChangeFailed);
    m_ftp.Disconnect();
    return true;
}

} // namespace wobbin
