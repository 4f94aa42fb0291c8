#pragma once
// What was last sent to a server, so that the next upload sends the page and
// only the pictures that changed or went missing there.
//
// One small file per server (protocol, host and port, folder, login) in the
// "sent" folder of the user's data folder, written through the checked writer:
// a crash while it is written leaves the previous file whole, and a damaged or
// foreign file reads as "nothing known", which sends everything.
//
// File (ASCII, every text percent-encoded):
//   Wobbin Express sent files 2
//   server<TAB>protocol<TAB>host:port<TAB>folder<TAB>login
//   file<TAB>remote name<TAB>size<TAB>content digest in hex[<TAB>time] (one line per file)
//   end<TAB>number of file lines
// The digest is TContentHash's. The time, when there, is the local file's
// modification time (milliseconds since 1970, UTC) when it was read for the
// send: a local file of the same size and time has not changed since and is
// not read again. A line without it (an earlier list, or a file changed just
// before it was read) has its local file read and compared by digest. A list in the first form ("sent files 1",
// with another digest) reads as empty without complaint: everything is sent
// once more, then the list is in the new form.

#include "base/Result.h"
#include "publish/ContentHash.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace wobbin {

struct tWWWServerType;
struct TUploadTarget;

// Which server a manifest belongs to.
struct TServerIdentity {
    QString Protocol;   // a ProtocolName ("Folder": Host empty, Port 0, Directory its path)
    QString Host;       // lower case, without the port
    int Port = 0;       // the port used (the protocol's usual one when none is given)
    QString Directory;  // the server's folder, as the upload uses it
    QString UserName;
    bool operator==(const TServerIdentity &) const = default;
};

TServerIdentity IdentityOf(const tWWWServerType &server);
TServerIdentity IdentityOf(const TUploadTarget &target);

struct TManifestEntry {
    QString RemoteName;  // below the server's folder, as the upload names it
    qint64 Size = 0;
    QByteArray Digest;   // TContentHash::kHexLength lower-case hex digits
    qint64 Time = -1;    // the local file's modification time then (ms since 1970); -1 unknown
    bool operator==(const TManifestEntry &) const = default;
};

// A local file's size and content digest (hex); Size -1 when it cannot be read.
struct TFileFingerprint {
    qint64 Size = -1;
    QByteArray Digest;
    qint64 Time = -1;    // its modification time before it was read, when worth keeping (see LocalFileTime)
    bool Valid() const { return Size >= 0 && Digest.size() == TContentHash::kHexLength; }
};
// Reads the whole file; stops early (invalid result) when *cancel becomes true.
TFileFingerprint FingerprintFile(const QString &nativePath, const std::atomic<bool> *cancel = nullptr);
// A file's modification time in ms since 1970, or -1 when it is missing or was
// changed less than two seconds ago: a change in the same clock tick (file
// systems keep whole seconds, some two) would not show as a new time, so so
// fresh a time is not trusted to tell the file's state later.
qint64 LocalFileTime(const QString &nativePath);
TFileFingerprint FingerprintBytes(const QByteArray &bytes);
// The size and digest of a page as text: line ends as a bare LF, as servers
// store text sent in text mode.
TFileFingerprint FingerprintText(const QByteArray &bytes);

class TUploadManifest
{
public:
    TUploadManifest() = default;
    explicit TUploadManifest(const TServerIdentity &server) : m_server(server) {}

    // The folder the manifests live in: UserDataDir()/sent.
    static QString DefaultFolder();
    // The manifest file of a server in that folder (named by a hash of the identity).
    static QString FileFor(const QString &folder, const TServerIdentity &server);

    // Reads the server's manifest. A missing file is an empty manifest (a
    // first upload) and no failure; a damaged file, or one written for
    // another server, also gives an empty manifest but fails with the cause.
    [[nodiscard]] TResult<void> Load(const QString &folder, const TServerIdentity &server);
    // Writes it through the checked writer (creating the folder); on failure
    // the previous file stays as it was.
    [[nodiscard]] TResult<void> Save(const QString &folder) const;

    QByteArray ToBytes() const;
    // Fails (leaving an empty manifest) when the bytes are not a whole manifest of that server.
    [[nodiscard]] TResult<void> FromBytes(const QByteArray &bytes, const TServerIdentity &server);

    const TServerIdentity &Server() const { return m_server; }
    // Nothing has been sent to this server yet (as far as this computer knows).
    bool IsEmpty() const { return m_entries.isEmpty(); }
    // In the order of their remote names.
    QList<TManifestEntry> Entries() const { return m_entries.values(); }
    const TManifestEntry *Find(const QString &remoteName) const;
    // Records a file that arrived (replacing what was known under its name).
    void Record(const QString &remoteName, const TFileFingerprint &sent);
    // A file that did not arrive: its remote copy is no longer known.
    void Forget(const QString &remoteName);

private:
    TServerIdentity m_server;
    QMap<QString, TManifestEntry> m_entries; // by remote name
};

// What the server says about a remote file's size.
struct TRemoteSize {
    enum State {
        Known,       // Bytes holds its size
        Missing,     // no such file there
        NotOffered,  // the server has no size query
        Unknown,     // the query failed for another reason
    } Answer = NotOffered;
    qint64 Bytes = -1;
};
using RemoteSizeQuery = std::function<TRemoteSize(const QString &remoteName)>;

enum class SendReason {
    Page,            // the page is always sent
    SendEverything,  // the user asked for everything once
    FirstUpload,     // nothing is known about this server
    NotSentBefore,   // no record of this file on this server
    ChangedHere,     // the local file differs from what was sent
    MissingThere,    // the server no longer has it
    ChangedThere,    // the server's copy has another size
    Unsure,          // the server could not say: sent to be sure
    Unreadable,      // the local file could not be read (the upload reports it)
    Unchanged,       // skipped: the same file is on the server
};

struct TSendDecision {
    bool Send = true;
    SendReason Reason = SendReason::Page;
};

// Whether a file goes up. query (may be empty) is asked only for a picture
// whose local copy matches the manifest; a server without a size query is
// trusted to still hold what was sent.
TSendDecision DecideSend(const TUploadManifest &manifest, const QString &remoteName, const TFileFingerprint &local,
                         bool isPage, bool sendEverything, const RemoteSizeQuery &query);

// The manifest's part in one upload: what was last sent to the server is read
// at the start; each picture is asked about before it goes up; what arrived is
// recorded, what failed forgotten; the result is saved at the end.
class TUploadChanges
{
public:
    // folder: where the manifests live (empty: TUploadManifest::DefaultFolder()).
    TUploadChanges(const TServerIdentity &server, bool sendEverything, const QString &folder = QString());

    // What was known before this upload (empty for a first upload or a damaged file).
    const TUploadManifest &Before() const { return m_before; }
    // The page as sent the time before (its text fingerprint); invalid when unknown.
    TFileFingerprint PreviousPage(const QString &remoteName) const;

    // Whether the picture goes up (reads the local file to fingerprint it).
    TSendDecision Picture(const QString &localPath, const QString &remoteName, const RemoteSizeQuery &query,
                          const std::atomic<bool> *cancel = nullptr);
    // The same decision for a sender that fingerprints what it sends (Sent
    // with the fingerprint) and whose query is cheap (a listing already made):
    // the local file is read beforehand only when the decision needs it, that
    // is when what was sent before has the local file's size and the server
    // still holds a copy of that size, and the local file's modification time
    // is not the one it had when it was sent (or that time is not known). A
    // file that goes up for another reason is read once, while it is sent.
    TSendDecision PictureBeforeSending(const QString &localPath, const QString &remoteName,
                                       const RemoteSizeQuery &query, const std::atomic<bool> *cancel = nullptr);
    // The page arrived (recorded by its text: line ends as LF).
    void PageSent(const QString &remoteName, const QByteArray &sentBytes);
    // Whether the page need not go again: not "Send everything", its text is
    // the one sent last time, and the server's copy has that size (sent as
    // text: line ends as LF, or as they are here) or the server cannot say.
    bool PageUnchanged(const QString &remoteName, const QByteArray &bytes, const RemoteSizeQuery &query) const;
    // A picture asked about arrived / did not arrive.
    void Sent(const QString &remoteName);
    // The same with the fingerprint of the bytes that went up (used when valid).
    void Sent(const QString &remoteName, const TFileFingerprint &sent);
    void NotSent(const QString &remoteName);

    // The fingerprint of a picture asked about (invalid when it was not).
    TFileFingerprint FingerprintOf(const QString &remoteName) const { return m_seen.value(remoteName); }

    int Skipped() const { return int(m_skipped.size()); }
    const QStringList &SkippedNames() const { return m_skipped; }

    // Writes what is known now (after a failure the next upload sends more).
    [[nodiscard]] TResult<void> Save() const;

private:
    QString m_folder;
    bool m_sendEverything = false;
    TUploadManifest m_before;
    TUploadManifest m_now;
    QMap<QString, TFileFingerprint> m_pending; // asked about, not yet sent (invalid: not read yet)
    QMap<QString, QString> m_pendingPath;      // their local files
    QMap<QString, qint64> m_pendingTime;       // their times before they were read (LocalFileTime)
    QMap<QString, TFileFingerprint> m_seen;    // every picture asked about
    QStringList m_skipped;
};

} // namespace wobbin
