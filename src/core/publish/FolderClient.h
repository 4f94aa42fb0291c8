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

#include "base/Result.h"
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

    // Each operation fails with the cause in the user's words (the system's
    // words for a refused write: "No space left on device"); Failure() then
    // tells its kind.

    // Takes the folder (an absolute path) as the destination: it must be
    // there, be a folder and be writable.
    [[nodiscard]] TResult<void> Connect(const QString &folder);
    // A folder below the current one (made when missing). The chosen folder's
    // own path stands for itself and is never made.
    [[nodiscard]] TResult<void> MakeFolder(const QString &path);
    // A folder below the chosen one, or the chosen folder's own path.
    [[nodiscard]] TResult<void> ChangeFolder(const QString &path);
    [[nodiscard]] TResult<void> SendFile(const QString &localPath, const QString &remotePath, TFileFingerprint *sent);
    [[nodiscard]] TResult<QList<TRemoteEntry>> ListFolder(const QString &path);
    [[nodiscard]] TResult<void> DeleteFile(const QString &remotePath);
    // Missing when the file or a folder above it is not there; Unknown for
    // what is no plain file.
    [[nodiscard]] TResult<TRemoteSize> RemoteSize(const QString &remotePath);
    void Disconnect() { m_connected = false; m_current.clear(); }

    bool Connected() const { return m_connected; }
    QString CurrentFolder() const { return m_current.join(QLatin1Char('/')); }
    // The kind of the last operation's failure; None after a success.
    FtpFailure Failure() const { return m_failure; }

    // Pieces a file is written in (the cancel is looked at between them).
    static constexpr qint64 kPiece = 1024 * 1024;

private:
    TError Fail(FtpFailure failure, const QString &text);
    TResult<void> Ok();
    // The names of path below the chosen folder (current folder first for a
    // relative one); fails when one would leave it.
    TResult<QStringList> Names(const QString &path, bool mayBeRoot);
    // The same for a file: never the chosen folder itself.
    TResult<QStringList> FileNames(const QString &remotePath);
    // Checks that each of the folders is a real folder below the chosen one
    // (no link).
    TResult<void> RealFolders(const QStringList &names);
    QString PathOf(const QStringList &names) const;

    const std::atomic<bool> &m_cancel;
    const std::function<void(qint64, qint64)> &m_progress;
    QString m_given;         // the folder as the user gave it
    QString m_root;          // the same with its links resolved
    QStringList m_current;   // the current folder's names below m_root
    bool m_connected = false;
    FtpFailure m_failure = FtpFailure::None;
};

} // namespace wobbin
