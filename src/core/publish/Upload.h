#pragma once
// The upload of a saved page and its pictures to a server: the sequence the
// upload dialog and the command line both run (log on, change to the server's
// folder, make the picture folders, send the page in text mode and every
// picture, disconnect), with its status lines, progress and messages.
//
// DoUpload blocks until done; run it off the user-interface thread (see
// TUploadRunner). Cancel() may come from any thread and takes effect at once.
// Nothing is ever written into the page's own files: the no-directories and
// GeoCities rewrites go into private copies in a temporary folder.

#include "publish/FtpClient.h"
#include "publish/PageVerify.h"
#include "publish/UploadPlan.h"
#include "publish/UploadTarget.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QTemporaryDir;

namespace wobbin {

// The log-on to the target's server, without the password: for SFTP the
// agent's keys and the chosen key file, or the user's usual key files.
TFtpLogOn LogOnFor(const TUploadTarget &target, const QString &knownHosts = QString());

// Why a key file cannot be used (Missing, Unreadable, NotAKey, BadName), naming it.
QString KeyFileText(const QString &keyFile, TKeyFileState problem);

// NeedsPassphrase: a locked key file (KeyFile) is next to log on with and no
// passphrase for it is remembered (RememberPassphrase, or DeclinePassphrase
// to go on without the key; then DoUpload again).
enum class UploadResult { Succeeded, Failed, Cancelled, NeedsTrust, NeedsPassphrase };
// What a NeedsTrust outcome asks about: a certificate or host key met for the
// first time, or a certificate other than the one accepted before (told like
// a changed host key: someone may be pretending to be the server).
enum class TrustKind { None, Certificate, HostKey, ChangedCertificate };

struct TUploadOutcome {
    UploadResult Result = UploadResult::Failed;
    QString Message;           // the message to show ("" none)
    TrustKind Trust = TrustKind::None;  // NeedsTrust: what to ask about
    QString Fingerprint;       // NeedsTrust: of the certificate or host key
    QString KeyFile;           // NeedsPassphrase: the locked key file
    bool PassphraseWrong = false; // NeedsPassphrase: the one remembered did not unlock it (and is forgotten)
    QStringList FailedFiles;   // files that did not arrive (as shown)
    QString AcceptedFingerprint; // a certificate the user accepted during this upload (to store with the server)
    QStringList Skipped;       // pictures not sent again: the server holds them as they are here
    bool PageUnchanged = false; // the page was not sent again: the server holds it as it is here
    int ConnectionsAllowed = 0; // when the server refused further connections: how many it took (to remember)
    TVerifyInput Check;        // Succeeded: what to look for on the web (the check after the upload)
    QStringList WouldSend;     // a dry run: the files an upload would send (the page last)
    // Succeeded: pictures sent to this server and folder earlier that no page
    // sent from here refers to any more (remote names; see UnusedPictures.h).
    QStringList Unused;
};

// The question to ask for a NeedsTrust outcome (with the fingerprint).
QString TrustQuestion(const TUploadOutcome &outcome);

class TUploadJob
{
public:
    TUploadJob(const TUploadPage &page, const TUploadTarget &target);
    ~TUploadJob();
    TUploadJob(const TUploadJob &) = delete;
    TUploadJob &operator=(const TUploadJob &) = delete;

    // Where the dialog's status line and progress bar go (called on the thread
    // running DoUpload). The status texts come without the leading blank.
    std::function<void(const QString &text)> OnStatus;
    std::function<void(qint64 value, qint64 maximum)> OnProgress;
    // The file being sent (as messages name it) and how much of it went, in
    // bytes: once as it starts, then as it goes (at most a thousand times).
    // While several go at once: the one under way the longest.
    std::function<void(const QString &name, qint64 sent, qint64 size)> OnFile;

    void SetTimeLimits(int logOnMs, int stallMs);
    void SetKnownHostsFile(const QString &path);
    // The user trusts this certificate or host key: the next DoUpload accepts it.
    void AcceptFingerprint(const QString &fingerprint);

    // The whole upload; returns when it is over.
    TUploadOutcome DoUpload();
    // Stops the upload at once (any thread); later steps are skipped quietly.
    void Cancel();
    bool Cancelled() const { return m_cancelled; }

    TFtpClient &Client() { return m_ftp; }

private:
    bool ConnectToServer();
    bool UploadAll();
    bool ListWhatWouldGo();
    void SetTransferMode(const QString &extension);
    void SetStatus(const QString &text);
    bool SendOne(const TUploadFile &file, int index, TFileFingerprint *sent = nullptr);
    // Sends the pictures that go over up to m_target.Connections connections;
    // the ones that did not arrive are added to failed (with their cause).
    void SendPictures(const QList<int> &which, QStringList &failed);
    void Arrived(const QString &remotePath, qint64 size);
    TFtpLogOn LogOn() const;
    // What the server holds: each folder is listed once per upload, when a
    // file first goes there.
    struct FolderListing {
        bool Listed = false;             // false: the server could not list it
        QHash<QString, qint64> Sizes;    // by name (-1: size not given)
        QSet<QString> LowerNames;        // every name in lower case
    };
    const FolderListing &ListingOf(const QString &remotePath);
    RemotePresence PresenceOf(const QString &remotePath);
    void RemoveLeftovers();
    void MadeEmpty(const QString &folder);
    TRemoteSize RemoteSizeOf(const QString &remotePath);
    void PrepareCheck();
    QString AddressShown() const;
    QString CauseText() const;
    QString CauseText(FtpFailure failure, const QString &detail = QString()) const;
    QString LogOnRefusedText() const;

    TUploadPage m_page;
    TUploadTarget m_target;
    TUploadPlan m_plan;
    std::unique_ptr<TUploadChanges> m_changes; // what was sent to this server, for this upload
    TFtpClient m_ftp;
    QString m_knownHosts;
    QString m_spare; // the password for further connections, until they logged on
    TUploadOutcome m_outcome;
    std::atomic<bool> m_cancelled{false};
    bool m_folderUnlisted = false; // a dry run could not enter the server's folder
    QHash<QString, FolderListing> m_listings; // by remote folder ("" the server's folder)
    QSet<QString> m_unmade; // folders not made at the start: files were sent there before
    int m_files = 0;        // files in this upload (page included)
    qint64 m_lastValue = -1;
    QString m_fileShown;    // the file being sent, as messages name it
    qint64 m_filePermille = -1;
};

} // namespace wobbin
