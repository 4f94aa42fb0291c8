#pragma once
// A web server that takes files by WebDAV, over HTTP or HTTPS, as the
// upload's destination: the operations of the transfer client (log on, make
// folder, change folder, send, list, size, delete) as HTTP requests. TFtpClient
// hands them here for a server whose kind is WebDAV or WebDAVS, so the upload
// keeps its order and rules unchanged.
//
// The address is host[:port]; folders are paths below the server's root.
// Folders are made with MKCOL. A file that may be there already goes up with
// PUT under a temporary name beside its place and is moved into place with
// MOVE (overwriting the old one), so visitors never see half a file. The
// changed-only rule gets names and sizes from PROPFIND.
//
// Safety: the login is Basic or Digest as the server asks for it; nothing is
// sent before the server asked (so a password never goes out unasked over
// plain HTTP), and nothing is ever logged. A certificate passes the same check
// as for FTPS (ServerCertificate.h). A listing is the server's word and may be
// hostile: it is read up to a size limit, a document type declaration makes
// it refused whole, and a name that would lead out of the folder, or holds a
// control character, is left out. Every name sent is percent-encoded segment
// by segment; a name with ".", "..", a backslash or a control character is
// refused before anything goes out.

#include "publish/FtpClient.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace wobbin {

// One entry of a PROPFIND answer: the decoded path segments of its href,
// whether it is a folder, and its size (-1 when not given).
struct TDavEntry {
    QStringList Path;
    bool Folder = false;
    qint64 Size = -1;
};

class TWebDavClient
{
public:
    // cancel: watched all through a request (a second at most passes before
    // it is seen). progress: bytes of the current file sent so far and its size.
    TWebDavClient(const std::atomic<bool> &cancel, const std::function<void(qint64, qint64)> &progress);
    ~TWebDavClient();
    TWebDavClient(const TWebDavClient &) = delete;
    TWebDavClient &operator=(const TWebDavClient &) = delete;

    void SetTimeLimits(int logOnMs, int stallMs);
    // logOn.Host is the host alone (port in logOn.Port). Asks the server for
    // its options at the root: reachable, certificate and login accepted.
    bool Connect(const TFtpLogOn &logOn);
    bool MakeFolder(const QString &path);
    bool ChangeFolder(const QString &path);
    bool SendFile(const QString &localPath, const QString &remotePath, RemotePresence presence,
                  TFileFingerprint *sent);
    bool ListFolder(const QString &path, QList<TRemoteEntry> &entries);
    bool DeleteFile(const QString &remotePath);
    TRemoteSize RemoteSize(const QString &remotePath);
    void Disconnect();

    bool Connected() const;
    QString CurrentFolder() const;
    FtpFailure Failure() const;
    QString ErrorText() const;
    QString PeerFingerprint() const;
    // HTTP status of the last answer (0 when none came).
    long LastStatus() const;

    // Reads a multistatus answer (207). False when it is no such document,
    // is damaged or declares a document type; entries whose href cannot be
    // decoded are left out.
    static bool ParseMultistatus(const QByteArray &xml, QList<TDavEntry> &entries);
    // Largest PROPFIND answer read, in bytes.
    static constexpr qint64 kMaxAnswerBytes = 16 * 1024 * 1024;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace wobbin
