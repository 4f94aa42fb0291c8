#include "publish/UploadManifest.h"

#include "settings/AppPaths.h"
#include "base/SafeFile.h"
#include "publish/HostPort.h"
#include "publish/ServerList.h"
#include "publish/UploadTarget.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace wobbin {
namespace {

const QByteArray kHeader = "Wobbin Express sent files 2";
// The first form, with another digest: read as a list that knows nothing.
const QByteArray kFirstHeader = "Wobbin Express sent files 1";
// A manifest larger than this is not ours.
constexpr qint64 kMaxManifestBytes = 64 * 1024 * 1024;

QByteArray Encode(const QString &text) { return QUrl::toPercentEncoding(text, "/:@+"); }
QString Decode(const QByteArray &bytes) { return QUrl::fromPercentEncoding(bytes); }

QString NormalFolder(QString folder)
{
    folder = folder.trimmed();
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QByteArray ServerLine(const TServerIdentity &s)
{
    return "server\t" + Encode(s.Protocol) + '\t' + Encode(s.Host) + ':' + QByteArray::number(s.Port) + '\t'
        + Encode(s.Directory) + '\t' + Encode(s.UserName);
}

bool IsDigest(const QByteArray &b)
{
    if (b.size() != TContentHash::kHexLength)
        return false;
    for (char c : b)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace

TServerIdentity IdentityOf(const tWWWServerType &server)
{
    TServerIdentity id;
    if (server.TransferProtocol() == TTransferProtocol::Folder) {
        // A folder is known by its path alone: no host, port or login.
        id.Protocol = ProtocolName(TTransferProtocol::Folder);
        id.Directory = NormalFolder(server.Directory);
        return id;
    }
    id.Protocol = ProtocolName(server.TransferProtocol());
    id.Host = server.Host().toLower();
    id.Port = server.EffectivePort();
    id.Directory = NormalFolder(server.Directory);
    id.UserName = server.UserName;
    return id;
}

TServerIdentity IdentityOf(const TUploadTarget &target)
{
    TServerIdentity id;
    if (target.Protocol == TTransferProtocol::Folder) {
        id.Protocol = ProtocolName(TTransferProtocol::Folder);
        id.Directory = NormalFolder(target.Directory);
        return id;
    }
    // As for a server of the list: an address that is no address leaves the
    // host empty (no upload reaches such a server), a bad port is no port.
    const THostPort split = SplitHostPort(target.Address, TBadPort::Ignore).valueOr(THostPort());
    id.Protocol = ProtocolName(target.Protocol);
    id.Host = split.Host.toLower();
    id.Port = split.Port > 0 ? split.Port : DefaultPort(target.Protocol);
    id.Directory = NormalFolder(target.Directory);
    id.UserName = target.UserName;
    return id;
}

TFileFingerprint FingerprintBytes(const QByteArray &bytes)
{
    TFileFingerprint f;
    f.Size = bytes.size();
    f.Digest = TContentHash::Hex(bytes);
    return f;
}

TFileFingerprint FingerprintText(const QByteArray &bytes)
{
    QByteArray text = bytes;
    text.replace("\r\n", "\n");
    return FingerprintBytes(text);
}

qint64 LocalFileTime(const QString &nativePath)
{
    const QFileInfo info(nativePath);
    if (!info.isFile())
        return -1;
    const qint64 time = info.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
    if (time < 0 || QDateTime::currentMSecsSinceEpoch() - time < 2000)
        return -1;
    return time;
}

TFileFingerprint FingerprintFile(const QString &nativePath, const std::atomic<bool> *cancel)
{
    TFileFingerprint f;
    // The time before the bytes: a change while they are read shows as a
    // newer time next time.
    const qint64 time = LocalFileTime(nativePath);
    QFile file(nativePath);
    if (!QFileInfo(nativePath).isFile() || !file.open(QIODevice::ReadOnly))
        return f;
    TContentHash hash;
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (cancel && cancel->load())
            return TFileFingerprint();
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0)
            return TFileFingerprint();
        if (got == 0)
            break;
        hash.Add(buffer.constData(), got);
        total += got;
    }
    f.Size = total;
    f.Digest = hash.HexResult();
    f.Time = time;
    return f;
}

QString TUploadManifest::DefaultFolder()
{
    return QDir(UserDataDir()).filePath(QStringLiteral("sent"));
}

QString TUploadManifest::FileFor(const QString &folder, const TServerIdentity &server)
{
    const QByteArray digest = QCryptographicHash::hash(ServerLine(server), QCryptographicHash::Sha256).toHex();
    return QDir(folder).filePath(QString::fromLatin1(digest.left(32)) + QStringLiteral(".sent"));
}

TResult<void> TUploadManifest::Load(const QString &folder, const TServerIdentity &server)
{
    m_server = server;
    m_entries.clear();
    const QString path = FileFor(folder, server);
    QFile file(path);
    if (!file.exists())
        return {};
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return TError(QStringLiteral("%1: cannot be read").arg(path));
    if (file.size() > kMaxManifestBytes)
        return TError(QStringLiteral("%1: too large").arg(path));
    return FromBytes(file.readAll(), server);
}

TResult<void> TUploadManifest::Save(const QString &folder) const
{
    // It names the server, its port, the login and the folder: for the
    // user's eyes only, like the settings file.
    if (!MakePrivateFolder(folder))
        return TError(QStringLiteral("%1: the folder cannot be made").arg(folder));
    return WritePrivateFileSafely(FileFor(folder, m_server), ToBytes());
}

QByteArray TUploadManifest::ToBytes() const
{
    QByteArray out = kHeader + '\n' + ServerLine(m_server) + '\n';
    for (const TManifestEntry &e : m_entries) {
        out += "file\t" + Encode(e.RemoteName) + '\t' + QByteArray::number(e.Size) + '\t' + e.Digest;
        if (e.Time >= 0)
            out += '\t' + QByteArray::number(e.Time);
        out += '\n';
    }
    out += "end\t" + QByteArray::number(m_entries.size()) + '\n';
    return out;
}

TResult<void> TUploadManifest::FromBytes(const QByteArray &bytes, const TServerIdentity &server)
{
    m_server = server;
    m_entries.clear();
    const QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.at(0) == kFirstHeader)
        return {}; // an earlier program's list: nothing known, everything goes once
    // Header, server, files, end, and the empty piece after the last line break.
    if (lines.size() < 4 || lines.at(0) != kHeader || !lines.last().isEmpty())
        return TError(QStringLiteral("not a list of sent files, or cut short"));
    if (lines.at(1) != ServerLine(server))
        return TError(QStringLiteral("written for another server"));
    QMap<QString, TManifestEntry> entries;
    const qsizetype endLine = lines.size() - 2;
    for (qsizetype i = 2; i < endLine; ++i) {
        const QList<QByteArray> f = lines.at(i).split('\t');
        if ((f.size() != 4 && f.size() != 5) || f.at(0) != "file" || f.at(1).isEmpty())
            return TError(QStringLiteral("line %1 is damaged").arg(i + 1));
        bool ok = false;
        const qint64 size = f.at(2).toLongLong(&ok);
        if (!ok || size < 0 || !IsDigest(f.at(3)))
            return TError(QStringLiteral("line %1 is damaged").arg(i + 1));
        qint64 time = -1;
        if (f.size() == 5) {
            time = f.at(4).toLongLong(&ok);
            if (!ok || time < 0)
                return TError(QStringLiteral("line %1 is damaged").arg(i + 1));
        }
        TManifestEntry e{Decode(f.at(1)), size, f.at(3), time};
        entries.insert(e.RemoteName, e);
    }
    const QList<QByteArray> end = lines.at(endLine).split('\t');
    bool ok = false;
    if (end.size() != 2 || end.at(0) != "end" || end.at(1).toLongLong(&ok) != endLine - 2 || !ok)
        return TError(QStringLiteral("cut short"));
    m_entries = entries;
    return {};
}

const TManifestEntry *TUploadManifest::Find(const QString &remoteName) const
{
    auto it = m_entries.constFind(remoteName);
    return it == m_entries.constEnd() ? nullptr : &*it;
}

void TUploadManifest::Record(const QString &remoteName, const TFileFingerprint &sent)
{
    if (sent.Valid())
        m_entries.insert(remoteName, TManifestEntry{remoteName, sent.Size, sent.Digest, sent.Time});
    else
        Forget(remoteName);
}

void TUploadManifest::Forget(const QString &remoteName)
{
    m_entries.remove(remoteName);
}

TSendDecision DecideSend(const TUploadManifest &manifest, const QString &remoteName, const TFileFingerprint &local,
                         bool isPage, bool sendEverything, const RemoteSizeQuery &query)
{
    if (isPage)
        return {true, SendReason::Page};
    if (sendEverything)
        return {true, SendReason::SendEverything};
    if (!local.Valid())
        return {true, SendReason::Unreadable};
    if (manifest.IsEmpty())
        return {true, SendReason::FirstUpload};
    const TManifestEntry *known = manifest.Find(remoteName);
    if (!known)
        return {true, SendReason::NotSentBefore};
    if (known->Size != local.Size || known->Digest != local.Digest)
        return {true, SendReason::ChangedHere};
    if (!query)
        return {false, SendReason::Unchanged};
    const TRemoteSize there = query(remoteName);
    switch (there.Answer) {
    case TRemoteSize::Known:
        if (there.Bytes == known->Size)
            return {false, SendReason::Unchanged};
        return {true, SendReason::ChangedThere};
    case TRemoteSize::Missing:
        return {true, SendReason::MissingThere};
    case TRemoteSize::NotOffered:
        return {false, SendReason::Unchanged};
    case TRemoteSize::Unknown:
        break;
    }
    return {true, SendReason::Unsure};
}

TUploadChanges::TUploadChanges(const TServerIdentity &server, bool sendEverything, const QString &folder)
    : m_folder(folder.isEmpty() ? TUploadManifest::DefaultFolder() : folder), m_sendEverything(sendEverything)
{
    // A damaged list reads as empty: everything is sent, then the list is whole again.
    static_cast<void>(m_before.Load(m_folder, server));
    m_now = m_before;
}

TFileFingerprint TUploadChanges::PreviousPage(const QString &remoteName) const
{
    TFileFingerprint f;
    if (const TManifestEntry *e = m_before.Find(remoteName)) {
        f.Size = e->Size;
        f.Digest = e->Digest;
    }
    return f;
}

TSendDecision TUploadChanges::Picture(const QString &localPath, const QString &remoteName,
                                      const RemoteSizeQuery &query, const std::atomic<bool> *cancel)
{
    const TFileFingerprint local = FingerprintFile(localPath, cancel);
    const TSendDecision d = DecideSend(m_before, remoteName, local, false, m_sendEverything, query);
    m_seen.insert(remoteName, local);
    if (d.Send) {
        m_pending.insert(remoteName, local);
    } else {
        m_skipped << remoteName;
        m_now.Record(remoteName, local); // its new time: not read again next time
    }
    return d;
}

TSendDecision TUploadChanges::PictureBeforeSending(const QString &localPath, const QString &remoteName,
                                                  const RemoteSizeQuery &query, const std::atomic<bool> *cancel)
{
    const QFileInfo info(localPath);
    if (!info.isFile())
        return Picture(localPath, remoteName, query, cancel); // reported as unreadable
    const qint64 size = info.size();
    const qint64 time = LocalFileTime(localPath);
    const TManifestEntry *known = m_before.Find(remoteName);
    TSendDecision quick{false, SendReason::Unchanged};
    bool asked = false;
    TRemoteSize there;
    if (m_sendEverything)
        quick = {true, SendReason::SendEverything};
    else if (m_before.IsEmpty())
        quick = {true, SendReason::FirstUpload};
    else if (!known)
        quick = {true, SendReason::NotSentBefore};
    else if (known->Size != size)
        quick = {true, SendReason::ChangedHere};
    else if (query) {
        there = query(remoteName);
        asked = true;
        if (there.Answer == TRemoteSize::Missing)
            quick = {true, SendReason::MissingThere};
        else if (there.Answer == TRemoteSize::Known && there.Bytes != known->Size)
            quick = {true, SendReason::ChangedThere};
    }
    if (quick.Send) {
        m_seen.insert(remoteName, TFileFingerprint());
        m_pending.insert(remoteName, TFileFingerprint());
        m_pendingPath.insert(remoteName, localPath);
        m_pendingTime.insert(remoteName, time);
        return quick;
    }
    if (time >= 0 && known && known->Time == time) {
        // Same size and time as when it was sent: not changed here since.
        m_seen.insert(remoteName, TFileFingerprint{known->Size, known->Digest, known->Time});
        m_skipped << remoteName;
        return {false, SendReason::Unchanged};
    }
    // The server holds a copy of the size sent before: the local file decides.
    const RemoteSizeQuery answered = asked ? RemoteSizeQuery([there](const QString &) { return there; }) : query;
    return Picture(localPath, remoteName, answered, cancel);
}

void TUploadChanges::PageSent(const QString &remoteName, const QByteArray &sentBytes)
{
    m_now.Record(remoteName, FingerprintText(sentBytes));
}

void TUploadChanges::Sent(const QString &remoteName)
{
    Sent(remoteName, TFileFingerprint());
}

void TUploadChanges::Sent(const QString &remoteName, const TFileFingerprint &sent)
{
    TFileFingerprint f = m_pending.take(remoteName);
    const QString localPath = m_pendingPath.take(remoteName);
    const qint64 before = m_pendingTime.contains(remoteName) ? m_pendingTime.take(remoteName) : f.Time;
    if (sent.Valid()) {
        f = sent;
        f.Time = before;
    } else if (!f.Valid() && !localPath.isEmpty())
        f = FingerprintFile(localPath); // not read before: read now
    if (!f.Valid()) {
        m_now.Forget(remoteName); // unknown: sent again next time
        return;
    }
    m_seen.insert(remoteName, f);
    m_now.Record(remoteName, f);
}

void TUploadChanges::NotSent(const QString &remoteName)
{
    m_pending.remove(remoteName);
    m_pendingPath.remove(remoteName);
    m_pendingTime.remove(remoteName);
    m_now.Forget(remoteName);
}

bool TUploadChanges::PageUnchanged(const QString &remoteName, const QByteArray &bytes, const RemoteSizeQuery &query) const
{
    if (m_sendEverything)
        return false;
    const TManifestEntry *known = m_before.Find(remoteName);
    if (!known)
        return false;
    const TFileFingerprint text = FingerprintText(bytes);
    if (text.Size != known->Size || text.Digest != known->Digest)
        return false;
    if (!query)
        return true;
    const TRemoteSize there = query(remoteName);
    switch (there.Answer) {
    case TRemoteSize::Known:
        // Sent as text it is stored with LF line ends; sent as it is (SFTP) with ours.
        return there.Bytes == known->Size || there.Bytes == bytes.size();
    case TRemoteSize::NotOffered:
        return true;
    case TRemoteSize::Missing:
    case TRemoteSize::Unknown:
        break;
    }
    return false;
}

TResult<void> TUploadChanges::Save() const
{
    return m_now.Save(m_folder);
}

} // namespace wobbin
