#pragma once
// A folder of this computer as the upload's destination (a USB stick, a
// synced folder, a web server's document root): the operations of the
// transfer client (log on, change folder, make folder, send, list, size,
// delete) on the file system. TFtpClient hands them here for a server whose
// kind is Folder, so the upload keeps its order and rules unchanged.
//
// Safety: every name is relative to the chosen folder; a name with "." or
// "..", an absolute one, a control character or a backslash is refused, and
// so is a symbolic link anywhere below the chosen folder (a folder or a file
// that is a link could lead out of it): nothing is read, written or removed
// outside the chosen folder. The chosen folder itself is never made: a USB
// stick that is not plugged in must not become an empty folder on this
// computer. Every file is written through the checked writer (TSafeFile):
// the old file is replaced only by a whole new one that reached the disk; a
// cancel or a failure leaves no part of the new one under a real name.

#include "publish/FtpClient.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace wobbin {

class TFolderClient
{
public:
    // cancel: watched between pieces of a file. progress: called with the
    // bytes of the current file written so far and its size (may be empty).
    TFolderClient(const std::atomic<bool> &cancel, const std::function<void(qint64, qint64)> &progress);

    // Takes the folder (an absolute path) as the destination: it must be
    // there, be a folder and be writable.
    bool Connect(const QString &folder);
    // A folder below the current one (made when missing). The chosen folder's
    // own path stands for itself and is never made.
    bool MakeFolder(const QString &path);
    // A folder below the chosen one, or the chosen folder's own path.
    bool ChangeFolder(const QString &path);
    bool SendFile(const QString &localPath, const QString &remotePath, TFileFingerprint *sent);
    bool ListFolder(const QString &path, QList<TRemoteEntry> &entries);
    bool DeleteFile(const QString &remotePath);
    TRemoteSize RemoteSize(const QString &remotePath);
    void Disconnect() { m_connected = false; m_current.clear(); }

    bool Connected() const { return m_connected; }
    QString CurrentFolder() const { return m_current.join(QLatin1Char('/')); }
    FtpFailure Failure() const { return m_failure; }
    QString ErrorText() const { return m_error; }

    // Pieces a file is written in (the cancel is looked at between them).
    static constexpr qint64 kPiece = 1024 * 1024;

private:
    bool Fail(FtpFailure failure, const QString &text);
    bool Ok();
    // The names of path below the chosen folder (current folder first for a
    // relative one); false (failure set) when one would leave it.
    bool Names(const QString &path, QStringList &names, bool mayBeRoot);
    // Checks that each of the folders is a real folder below the chosen one
    // (no link); false (failure set) otherwise.
    bool RealFolders(const QStringList &names);
    QString PathOf(const QStringList &names) const;

    const std::atomic<bool> &m_cancel;
    const std::function<void(qint64, qint64)> &m_progress;
    QString m_given;         // the folder as the user gave it
    QString m_root;          // the same with its links resolved
    QStringList m_current;   // the current folder's names below m_root
    bool m_connected = false;
    FtpFailure m_failure = FtpFailure::None;
    QString m_error;
};

} // namespace wobbin
