#pragma once
// The file-transfer client the upload works with: log on, make folder, change
// folder, send a file in text or binary mode, cancel, disconnect, the error
// code and the connected state, over FTP, FTP with explicit TLS, or SFTP.
//
// Every operation blocks until done (run it off the user-interface thread);
// Cancel() may be called from any thread and stops the running operation at
// once, in the middle of a file too. One connection serves the whole session:
// it logs on once and every file goes over it. A destination of the kind
// Folder is a folder of this computer: the same operations go to
// TFolderClient (FolderClient.h) instead of a server; those of the kinds
// WebDAV and WebDAVS go to TWebDavClient (WebDavClient.h).
//
// Safety: a certificate is checked against the system's trust store and the
// server's name, an SFTP host key against known_hosts; an unknown one stops the
// log-on with its fingerprint (PeerFingerprint) unless it is the one the user
// accepted before (TrustedFingerprint). The password goes to the server only,
// never into an error text; a login name or password holding a control
// character is refused before connecting; the client's own copy of the
// password is overwritten as soon as libcurl has taken it.

#include "base/Result.h"
#include "publish/ListingParse.h"
#include "publish/SshKeys.h"
#include "publish/UploadManifest.h"
#include "publish/UploadTarget.h"

#include <QString>

#include <functional>
#include <memory>

namespace wobbin {

class TFolderClient;
class TWebDavClient;

enum class FtpFailure {
    None = 0,
    LogOnRefused,       // the server did not accept the login name or password
    Unreachable,        // the host is unknown or does not take connections
    LogOnTimeout,       // no log-on within the log-on time limit
    UnknownCertificate, // FTPS: certificate not trusted here and not accepted before
    ChangedCertificate, // FTPS: certificate not trusted here, and not the one accepted before
    UnknownHostKey,     // SFTP: host key not in known_hosts and not accepted before
    ChangedHostKey,     // SFTP: known_hosts holds another key for this server
    TlsFailed,          // no secure connection could be set up
    Refused,            // the server said no (folder, file, rename)
    Stalled,            // nothing moved within the stall time limit
    ConnectionLost,     // the connection broke
    Incomplete,         // the server holds fewer (or more) bytes of the file than were sent
    LocalFile,          // the local file could not be read
    BadName,            // a remote name that would leave the server's folder
    UnsafeLogOn,        // a control character in the login name or password: refused before connecting
    KeyFile,            // SFTP: a key file to log on with cannot be used (KeyFileInQuestion, KeyFileProblem)
    KeyPassphrase,      // SFTP: a locked key file's passphrase is not known, or was wrong (PassphraseWasWrong)
    Cancelled,
    NotConnected,
    Other,
    ServerFull          // the server has no room left for the file (WebDAV's 507)
};

// What the sender knows of a file's place on the server before sending it.
enum class RemotePresence {
    Unknown,  // not known: treated as there
    Absent,   // a listing of its folder, just made, does not hold it
    Present,  // its folder holds a file of that name
};

struct TFtpLogOn {
    TTransferProtocol Protocol = TTransferProtocol::FTP;
    QString Host;                 // a folder: its absolute path
    int Port = 0;                 // 0: the protocol's default
    QString UserName;
    QString Password;
    QString TrustedFingerprint;   // "SHA256:..." (host key) or "AB:CD:..." (certificate)
    QString KnownHostsFile;       // SFTP; empty: ~/.ssh/known_hosts
    QString TrustStore;           // FTPS; empty: the system's (another file of CA certificates for tests)
    // SFTP, before the password: the keys of a running ssh-agent, then these
    // private key files in order (see SshKeys.h). A locked key file is
    // unlocked with the passphrase remembered for it (RecallPassphrase); the
    // log-on stops with KeyPassphrase when none is, and leaves out a key whose
    // passphrase the user declined.
    bool SshAgent = false;
    QStringList KeyFiles;
};

class TFtpClient
{
public:
    TFtpClient();
    ~TFtpClient();
    TFtpClient(const TFtpClient &) = delete;
    TFtpClient &operator=(const TFtpClient &) = delete;

    // Time limits in milliseconds: the log-on must be done within logOnMs; any
    // other operation fails as Stalled when nothing moves for stallMs.
    void SetTimeLimits(int logOnMs, int stallMs);
    int LogOnLimit() const;
    int StallLimit() const;

    // Logs on and stays in the log-on folder.
    bool Connect(const TFtpLogOn &logOn);
    // Creates a folder (path relative to the current folder or absolute, "/" separated).
    bool MakeFolder(const QString &path);
    // Makes path (relative to the current folder, or absolute) the current folder,
    // after checking the server lets us in.
    bool ChangeFolder(const QString &path);
    // The transfer switch: true binary (TYPE I), false text (TYPE A).
    void SetBinary(bool binary) { m_binary = binary; }
    bool Binary() const { return m_binary; }
    // Sends the local file under remotePath (relative to the current folder, may
    // hold subfolders). A file that may be on the server goes up under a
    // temporary name beside its place and is renamed into place once it arrived
    // whole, so the server's old copy is replaced only by a whole new one; where
    // the server refuses the rename, it is sent directly. On failure or cancel
    // the temporary file is removed. A file known to be absent (presence
    // Absent) has no old copy to protect: it is sent under its own name, and on
    // failure or cancel what arrived of it is removed.
    // sent (may be null) receives the size and content digest of the bytes that went up.
    bool SendFile(const QString &localPath, const QString &remotePath,
                  RemotePresence presence = RemotePresence::Unknown, TFileFingerprint *sent = nullptr);
    // Lists the files of a folder (relative to the current folder; "" for the
    // current folder itself). False when the server cannot list it, or the
    // listing is too large to be a site's folder. Sizes come where the server
    // gives them in a machine-readable listing.
    bool ListFolder(const QString &path, QList<TRemoteEntry> &entries);
    // Removes a remote file (relative to the current folder).
    bool DeleteFile(const QString &remotePath);
    // The size of a remote file (relative to the current folder) by the
    // protocol's size query: Known, Missing (no such file), NotOffered (the
    // server has no size query) or Unknown (it failed otherwise). The error
    // code tells about the query like any operation's.
    TRemoteSize RemoteSize(const QString &remotePath);
    // Logs off and closes the connection (OnDisconnect follows when connected).
    void Disconnect();

    // Stops the running operation at once and every later one until ClearCancel.
    // Safe from any thread.
    void Cancel();
    void ClearCancel();
    bool CancelRequested() const;

    int ErrorCode() const;           // 0: the last operation succeeded
    void SetErrorCode(int code);     // the sequence sets it to 0 to ignore a failure
    FtpFailure Failure() const;
    QString ErrorText() const;       // the cause in words (English)
    bool Connected() const;          // logged on and the connection open
    QString CurrentFolder() const;   // "" for the log-on folder
    // The fingerprint of the certificate or host key that stopped the log-on.
    QString PeerFingerprint() const;
    // Control connections opened so far (one for a healthy session).
    int ConnectionsMade() const;
    // SFTP: the key file a KeyFile or KeyPassphrase failure is about, what is
    // wrong with it (KeyFile), and whether the passphrase remembered for it
    // was wrong (KeyPassphrase; it is then forgotten).
    QString KeyFileInQuestion() const;
    TKeyFileState KeyFileProblem() const;
    bool PassphraseWasWrong() const;
    // What the last Connect offered the server: "ssh-agent" and the key files,
    // in order, and whether the password went too.
    QStringList KeysOffered() const;
    bool PasswordOffered() const;
    // The log-on for further connections of the same session: only the way
    // that let the last Connect in (the agent, one key file, or the password).
    TFtpLogOn SameLogOn(const TFtpLogOn &logOn) const;
    // Largest listing ListFolder accepts, in bytes.
    static constexpr qint64 kMaxListingBytes = 16 * 1024 * 1024;

    // Bytes of the current file sent so far and its size (called on the thread
    // doing the work).
    std::function<void(qint64 sent, qint64 total)> OnProgress;
    // Called when a connection that was logged on is closed by Disconnect.
    std::function<void()> OnDisconnect;

    // The temporary name a file goes up under beside its place
    // (".wbx-<name>.part"), and whether a name is one of those.
    static QString TemporaryName(const QString &name);
    static bool IsTemporaryName(const QString &name);

    // "SHA256:base64" of an SSH host key blob; "AB:CD:..." of a certificate (DER).
    static QString HostKeyFingerprint(const QByteArray &keyBlob);
    static QString CertificateFingerprint(const QByteArray &der);
    // Whether two fingerprints are the same (letter case and ":" ignored for
    // certificate fingerprints).
    static bool SameFingerprint(const QString &a, const QString &b);

    struct Impl;

private:
    // The folder client's outcome as this client's (error code, failure, text).
    template<class T>
    bool FromFolder(const TResult<T> &result);
    // The WebDAV client's outcome as this client's.
    bool FromDav(bool ok);

    std::unique_ptr<Impl> d;
    std::unique_ptr<TFolderClient> m_folder; // while the destination is a folder
    std::unique_ptr<TWebDavClient> m_dav;    // while it is a WebDAV server
    bool m_binary = true;
};

} // namespace wobbin
