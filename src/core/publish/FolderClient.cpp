#include "publish/FolderClient.h"
#include "publish/ListingParse.h"

#include "base/SafeFile.h"
#include "publish/ContentHash.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace wobbin {
namespace {

// Largest folder listed (a site's folder holds far fewer).
constexpr int kMaxEntries = 100000;

QString SystemCause(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// lstat: the entry itself, a link not followed. errno is kept on failure.
bool EntryOf(const QString &path, struct stat &st)
{
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

TFolderClient::TFolderClient(const std::atomic<bool> &cancel, const std::function<void(qint64, qint64)> &progress)
    : m_cancel(cancel), m_progress(progress)
{
}

TError TFolderClient::Fail(FtpFailure failure, const QString &text)
{
    m_failure = failure;
    return TError(text);
}

TResult<void> TFolderClient::Ok()
{
    m_failure = FtpFailure::None;
    return {};
}

QString TFolderClient::PathOf(const QStringList &names) const
{
    return names.isEmpty() ? m_root : m_root + QLatin1Char('/') + names.join(QLatin1Char('/'));
}

TResult<QStringList> TFolderClient::Names(const QString &path, bool mayBeRoot)
{
    if (!m_connected)
        return Fail(FtpFailure::NotConnected, QStringLiteral("Not connected."));
    if (path.startsWith(QLatin1Char('/'))) {
        const QString clean = QDir::cleanPath(path);
        if (mayBeRoot && (clean == m_given || clean == m_root))
            return QStringList();
        return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(path, m_given));
    }
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty() && !path.isEmpty())
        return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(path, m_given));
    for (const QString &p : parts) {
        if (!SafeRemoteName(p))
            return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(path, m_given));
    }
    return m_current + parts;
}

TResult<QStringList> TFolderClient::FileNames(const QString &remotePath)
{
    TResult<QStringList> named = Names(remotePath, false);
    if (named.ok() && named.value().isEmpty())
        return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(remotePath, m_given));
    return named;
}

TResult<void> TFolderClient::RealFolders(const QStringList &names)
{
    for (qsizetype k = 1; k <= names.size(); ++k) {
        const QStringList above = names.mid(0, k);
        struct stat st {};
        if (!EntryOf(PathOf(above), st))
            return Fail(FtpFailure::Refused, SystemCause(errno));
        if (S_ISLNK(st.st_mode))
            return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(above.join(QLatin1Char('/')), m_given));
        if (!S_ISDIR(st.st_mode))
            return Fail(FtpFailure::Refused, SystemCause(ENOTDIR));
    }
    return {};
}

TResult<void> TFolderClient::Connect(const QString &folder)
{
    m_connected = false;
    m_current.clear();
    m_given = QDir::cleanPath(folder.trimmed());
    m_root.clear();
    if (m_cancel)
        return Fail(FtpFailure::Cancelled, QStringLiteral("Cancelled."));
    if (m_given.isEmpty() || !QDir::isAbsolutePath(m_given))
        return Fail(FtpFailure::Unreachable, LoadStr(Msg::FolderNeedsFullPath).arg(folder));
    // The folder the user chose may itself be a link (to a document root
    // kept elsewhere): it is followed, once.
    const QByteArray native = QFile::encodeName(m_given);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Fail(FtpFailure::Unreachable, LoadStr(Msg::FolderNotThere).arg(m_given));
    if (::access(native.constData(), W_OK | X_OK) != 0)
        return Fail(FtpFailure::Refused, LoadStr(Msg::FolderNotWritable).arg(m_given, SystemCause(errno)));
    m_root = QFileInfo(m_given).canonicalFilePath();
    if (m_root.isEmpty())
        return Fail(FtpFailure::Unreachable, LoadStr(Msg::FolderNotThere).arg(m_given));
    m_connected = true;
    return Ok();
}

TResult<void> TFolderClient::MakeFolder(const QString &path)
{
    const TResult<QStringList> named = Names(path, true);
    if (!named.ok())
        return named.error();
    const QStringList &names = named.value();
    if (names.isEmpty())
        return Ok(); // the chosen folder: there since Connect, never made
    if (TResult<void> above = RealFolders(names.mid(0, names.size() - 1)); !above.ok())
        return above;
    const QString target = PathOf(names);
    struct stat st {};
    if (EntryOf(target, st)) {
        if (S_ISLNK(st.st_mode))
            return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(path, m_given));
        return S_ISDIR(st.st_mode) ? Ok() : Fail(FtpFailure::Refused, SystemCause(EEXIST));
    }
    if (::mkdir(QFile::encodeName(target).constData(), 0777) != 0)
        return Fail(FtpFailure::Refused, SystemCause(errno));
    return Ok();
}

TResult<void> TFolderClient::ChangeFolder(const QString &path)
{
    const TResult<QStringList> named = Names(path, true);
    if (!named.ok())
        return named.error();
    if (TResult<void> real = RealFolders(named.value()); !real.ok())
        return real;
    m_current = named.value();
    return Ok();
}

TResult<void> TFolderClient::SendFile(const QString &localPath, const QString &remotePath, TFileFingerprint *sent)
{
    if (sent)
        *sent = TFileFingerprint();
    const TResult<QStringList> named = FileNames(remotePath);
    if (!named.ok())
        return named.error();
    const QStringList &names = named.value();
    if (m_cancel)
        return Fail(FtpFailure::Cancelled, QStringLiteral("Cancelled."));
    QFile source(localPath);
    if (!QFileInfo(localPath).isFile() || !source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return Fail(FtpFailure::LocalFile, LoadStr(Msg::LocalFileUnreadable));
    if (TResult<void> above = RealFolders(names.mid(0, names.size() - 1)); !above.ok())
        return above;
    const QString target = PathOf(names);
    struct stat st {};
    if (EntryOf(target, st)) {
        // The writer would follow a link to wherever it points.
        if (S_ISLNK(st.st_mode))
            return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(remotePath, m_given));
        if (!S_ISREG(st.st_mode))
            return Fail(FtpFailure::Refused, SystemCause(EISDIR));
    }

    TSafeFile out(target);
    if (!out.open())
        return Fail(FtpFailure::Refused, out.errorString());
    const auto *device = qobject_cast<QFileDevice *>(out.device());
    const int fd = device ? device->handle() : -1;
    const qint64 size = source.size();
    TContentHash digest;
    qint64 done = 0;
    if (m_progress)
        m_progress(0, size);
    for (;;) {
        if (m_cancel) {
            out.cancel();
            return Fail(FtpFailure::Cancelled, QStringLiteral("Cancelled."));
        }
        const QByteArray piece = source.read(kPiece);
        if (piece.isEmpty()) {
            if (source.error() != QFileDevice::NoError) {
                out.cancel();
                return Fail(FtpFailure::LocalFile, LoadStr(Msg::LocalFileUnreadable));
            }
            break;
        }
        if (!out.write(piece)) {
            out.cancel();
            return Fail(FtpFailure::Refused, out.errorString());
        }
        digest.Add(piece);
        if (fd >= 0) {
            // The disk is kept busy as the pieces come, and at most two of
            // them wait for it: the check at the end is short, and a cancel
            // is never stuck behind a whole large file bound for a slow
            // stick.
            ::sync_file_range(fd, done, piece.size(), SYNC_FILE_RANGE_WRITE);
            if (done >= kPiece)
                ::sync_file_range(fd, done - kPiece, kPiece,
                                  SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        }
        done += piece.size();
        if (m_progress)
            m_progress(done, size);
    }
    if (m_cancel) {
        out.cancel();
        return Fail(FtpFailure::Cancelled, QStringLiteral("Cancelled."));
    }
    if (!out.commit())
        return Fail(FtpFailure::Refused, out.errorString());
    if (sent) {
        sent->Size = digest.Length();
        sent->Digest = digest.HexResult();
    }
    return Ok();
}

TResult<QList<TRemoteEntry>> TFolderClient::ListFolder(const QString &path)
{
    const TResult<QStringList> named = Names(path, false);
    if (!named.ok())
        return named.error();
    if (TResult<void> real = RealFolders(named.value()); !real.ok())
        return real.error();
    const QString folder = PathOf(named.value());
    const QStringList found =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (found.size() > kMaxEntries)
        return Fail(FtpFailure::Refused, QStringLiteral("The folder's listing is too large."));
    QList<TRemoteEntry> entries;
    for (const QString &name : found) {
        struct stat st {};
        const bool there = EntryOf(folder + QLatin1Char('/') + name, st);
        entries << TRemoteEntry{name, there && S_ISREG(st.st_mode) ? qint64(st.st_size) : -1};
    }
    m_failure = FtpFailure::None;
    return entries;
}

TResult<TRemoteSize> TFolderClient::RemoteSize(const QString &remotePath)
{
    const TResult<QStringList> named = FileNames(remotePath);
    if (!named.ok())
        return named.error();
    const QStringList &names = named.value();
    m_failure = FtpFailure::None;
    // A folder above it that is missing (or a file in its place): the file is missing.
    for (qsizetype k = 1; k <= names.size(); ++k) {
        struct stat st {};
        if (!EntryOf(PathOf(names.mid(0, k)), st)) {
            const int code = errno;
            if (code == ENOENT || code == ENOTDIR)
                return TRemoteSize{TRemoteSize::Missing, -1};
            return Fail(FtpFailure::Refused, SystemCause(code));
        }
        if (S_ISLNK(st.st_mode))
            return Fail(FtpFailure::BadName, LoadStr(Msg::PathLeadsOutOfFolder).arg(remotePath, m_given));
        if (k < names.size() && !S_ISDIR(st.st_mode))
            return TRemoteSize{TRemoteSize::Missing, -1};
        if (k == names.size())
            return S_ISREG(st.st_mode) ? TRemoteSize{TRemoteSize::Known, qint64(st.st_size)}
                                       : TRemoteSize{TRemoteSize::Unknown, -1};
    }
    return TRemoteSize{TRemoteSize::Unknown, -1};
}

TResult<void> TFolderClient::DeleteFile(const QString &remotePath)
{
    const TResult<QStringList> named = FileNames(remotePath);
    if (!named.ok())
        return named.error();
    const QStringList &names = named.value();
    if (TResult<void> above = RealFolders(names.mid(0, names.size() - 1)); !above.ok())
        return above;
    const QString target = PathOf(names);
    struct stat st {};
    if (!EntryOf(target, st))
        return Fail(FtpFailure::Refused, SystemCause(errno));
    if (S_ISDIR(st.st_mode))
        return Fail(FtpFailure::Refused, SystemCause(EISDIR));
    // A link is removed itself, never what it points to.
    if (::unlink(QFile::encodeName(target).constData()) != 0)
        return Fail(FtpFailure::Refused, SystemCause(errno));
    return Ok();
}

} // namespace wobbin
