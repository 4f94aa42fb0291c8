#include "publish/FtpClient.h"

#include "base/Secrets.h"
#include "publish/ContentHash.h"
#include "publish/FolderClient.h"
#include "publish/HostPort.h"
#include "publish/FtpClientImpl.h"
#include "publish/ListingParse.h"
#include "publish/WebDavClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace wobbin {
namespace {

// A path argument of an SFTP command, quoted as libcurl reads it.
QString SftpQuoted(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    p.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + p + QLatin1Char('"');
}

// Splits a relative remote path into its names; false when one of them would
// leave the folder it is relative to, or holds control characters.
bool SplitRelative(const QString &path, QStringList &segments)
{
    segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (path.startsWith(QLatin1Char('/')) || segments.isEmpty())
        return false;
    for (const QString &s : std::as_const(segments)) {
        if (!SafeRemoteName(s))
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------

TFtpClient::TFtpClient() : d(std::make_unique<Impl>(this)) {}

TFtpClient::~TFtpClient() = default;

void TFtpClient::SetTimeLimits(int logOnMs, int stallMs)
{
    d->logOnLimit = qMax(100, logOnMs);
    d->stallLimit = qMax(100, stallMs);
    if (m_dav)
        m_dav->SetTimeLimits(d->logOnLimit, d->stallLimit);
}

int TFtpClient::LogOnLimit() const { return d->logOnLimit; }
int TFtpClient::StallLimit() const { return d->stallLimit; }

template<class T>
bool TFtpClient::FromFolder(const TResult<T> &result)
{
    if (result.ok())
        d->setOk();
    else
        d->setFailure(m_folder->Failure(), 0, result.error().Text());
    return result.ok();
}

bool TFtpClient::FromDav(bool ok)
{
    if (ok)
        d->setOk();
    else
        d->setFailure(m_dav->Failure(), 0, m_dav->ErrorText());
    d->trust.peerFingerprint = m_dav->PeerFingerprint();
    return ok;
}

bool TFtpClient::Connect(const TFtpLogOn &logOn)
{
    if (d->loggedOn || d->multi || m_folder || m_dav)
        Disconnect();
    m_folder.reset();
    m_dav.reset();
    if (logOn.Protocol == TTransferProtocol::Folder) {
        // No login and no password: the folder is this computer's.
        m_folder = std::make_unique<TFolderClient>(d->cancel, OnProgress);
        ++d->connections;
        return FromFolder(m_folder->Connect(logOn.Host));
    }
    // A line break in a login name or password would end the log-on command
    // and start another one of its own on the server: nothing goes out.
    if (HasControlCharacter(logOn.UserName) || HasControlCharacter(logOn.Password)) {
        d->setFailure(FtpFailure::UnsafeLogOn, 0,
                      QStringLiteral("The login name or password holds a line break or another control character."));
        return false;
    }
    d->logOn = logOn;
    d->logOn.Password.clear(); // a copy of its own only while libcurl takes it
    d->trust.knownHosts = logOn.KnownHostsFile.isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh/known_hosts")
                                                   : logOn.KnownHostsFile;
    d->folder.clear();
    d->folderAbsolute = false;
    d->trust.peerFingerprint.clear();
    d->trust.newKeyLine.clear();
    if (d->cancel) {
        d->setFailure(FtpFailure::Cancelled, 0, QStringLiteral("Cancelled."));
        return false;
    }
    const TResult<THostPort> split = SplitHostPort(logOn.Host);
    if (!split.ok()) {
        d->setFailure(FtpFailure::Unreachable, 0, split.error().Text());
        return false;
    }
    const QString host = split.value().Host;
    d->logOn.Host = host;
    if (logOn.Port <= 0)
        d->logOn.Port = split.value().Port;
    if (logOn.Protocol == TTransferProtocol::WebDAV || logOn.Protocol == TTransferProtocol::WebDAVS) {
        m_dav = std::make_unique<TWebDavClient>(d->cancel, OnProgress);
        m_dav->SetTimeLimits(d->logOnLimit, d->stallLimit);
        TFtpLogOn dav = d->logOn;
        dav.Password = PrivateCopy(logOn.Password);
        ++d->connections;
        const bool in = FromDav(m_dav->Connect(dav));
        WipeString(dav.Password);
        d->loggedOn = in;
        return in;
    }
    d->trust.host = host;
    d->trust.port = d->port();
    d->trust.trustedFingerprint = logOn.TrustedFingerprint;
    d->trust.certificateUnknown = false;
    d->trust.certificateChanged = false;
    d->trust.keyState = TTransferTrust::KeyState::None;
    d->readFailed = false;
    QString password = PrivateCopy(logOn.Password);
    const bool in = d->logOnInTurn(password);
    WipeString(password);
    if (!in) {
        d->closeMulti();
        d->renewHandle();
        return false;
    }
    d->loggedOn = true;
    d->setOk();
    if (d->trust.keyState == TTransferTrust::KeyState::AcceptedNew)
        d->trust.rememberHostKey();
    return true;
}

bool TFtpClient::MakeFolder(const QString &path)
{
    if (m_folder)
        return FromFolder(m_folder->MakeFolder(path));
    if (m_dav)
        return FromDav(m_dav->MakeFolder(path));
    QStringList names;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    if (!SplitRelative(absolute ? path.mid(1) : path, names)) {
        d->setFailure(FtpFailure::BadName, 0, QStringLiteral("The folder name is not allowed."));
        return false;
    }
    if (d->sftp()) {
        const QString full = absolute ? d->sftpPath(names, true) : d->sftpPath(d->folder + names, d->folderAbsolute);
        CommandList commands(QStringList{QStringLiteral("mkdir ") + SftpQuoted(full)});
        return d->runCommands(d->folderUrl({}, false), commands);
    }
    CommandList commands(QStringList{QStringLiteral("MKD ") + (absolute ? QStringLiteral("/") : QString()) + names.join(QLatin1Char('/'))});
    return d->runCommands(d->folderUrl(d->folder, d->folderAbsolute), commands);
}

bool TFtpClient::ChangeFolder(const QString &path)
{
    if (m_folder)
        return FromFolder(m_folder->ChangeFolder(path));
    if (m_dav)
        return FromDav(m_dav->ChangeFolder(path));
    QStringList names;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QString rest = absolute ? path.mid(1) : path;
    if (rest.isEmpty() && absolute) {
        names.clear();
    } else if (!SplitRelative(rest, names)) {
        d->setFailure(FtpFailure::BadName, 0, QStringLiteral("The folder name is not allowed."));
        return false;
    }
    const QStringList target = absolute ? names : d->folder + names;
    const bool targetAbsolute = absolute || d->folderAbsolute;
    curl_easy_setopt(d->easy, CURLOPT_URL, d->folderUrl(target, targetAbsolute).toUtf8().constData());
    if (!d->sftp())
        curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L); // changes into it, nothing more
    // SFTP has no current folder: reading its listing proves we may enter it.
    if (!d->run())
        return false;
    d->folder = target;
    d->folderAbsolute = targetAbsolute;
    return true;
}

bool TFtpClient::SendFile(const QString &localPath, const QString &remotePath, RemotePresence presence,
                          TFileFingerprint *sent)
{
    // A folder: written through the checked writer and renamed into place
    // whatever is there before.
    if (m_folder)
        return FromFolder(m_folder->SendFile(localPath, remotePath, sent));
    if (m_dav)
        return FromDav(m_dav->SendFile(localPath, remotePath, presence, sent));
    QStringList names;
    if (!SplitRelative(remotePath, names)) {
        d->setFailure(FtpFailure::BadName, 0, QStringLiteral("The remote name %1 is not allowed.").arg(remotePath));
        return false;
    }
    if (d->cancel) {
        d->setFailure(FtpFailure::Cancelled, 0, QStringLiteral("Cancelled."));
        return false;
    }
    QFile file(localPath);
    if (!QFileInfo(localPath).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        d->setFailure(FtpFailure::LocalFile, 0, QStringLiteral("The file could not be read."));
        return false;
    }
    const QString name = names.takeLast();
    const QStringList dir = d->folder + names;
    const QString temporary = TemporaryName(name);
    const QString dirUrl = d->folderUrl(dir, d->folderAbsolute);
    const QString tempPath = d->sftpPath(dir + QStringList{temporary}, d->folderAbsolute);
    const QString finalPath = d->sftpPath(dir + QStringList{name}, d->folderAbsolute);
    const QStringList renameIntoPlace = d->sftp()
        ? QStringList{QStringLiteral("rename ") + SftpQuoted(tempPath) + QLatin1Char(' ') + SftpQuoted(finalPath)}
        : QStringList{QStringLiteral("RNFR ") + temporary, QStringLiteral("RNTO ") + name};

    // The fingerprint of what is sent, taken as it goes.
    TContentHash digest;
    TFileFingerprint arrived; // what the last whole send carried
    const auto send = [&](const QString &as, const QStringList &after) {
        file.seek(0);
        d->source = &file;
        d->sourceSize = file.size();
        d->digest = sent ? &digest : nullptr;
        digest.Reset();
        // FTPS, binary: the server's size of what arrived is asked before the
        // rename (one answer more per file). A data connection over TLS can
        // lose its end while the server still reports the file as arrived;
        // plain FTP does not lose it that way and goes without the question.
        const bool askSize = m_binary && d->logOn.Protocol == TTransferProtocol::FTPS;
        CommandList commands(askSize ? QStringList{QStringLiteral("*SIZE ") + as} + after : after);
        d->askingSize = askSize;
        curl_easy_setopt(d->easy, CURLOPT_URL, (dirUrl + QString::fromLatin1(QUrl::toPercentEncoding(as))).toUtf8().constData());
        curl_easy_setopt(d->easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(d->easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
        // Text mode is FTP's (TYPE A); SFTP sends every file as it is.
        curl_easy_setopt(d->easy, CURLOPT_TRANSFERTEXT, m_binary || d->sftp() ? 0L : 1L);
        if (commands.list)
            curl_easy_setopt(d->easy, CURLOPT_POSTQUOTE, commands.list);
        const bool ok = d->run();
        d->source = nullptr;
        d->digest = nullptr;
        d->askingSize = false;
        if (ok && sent) {
            arrived.Size = digest.Length();
            arrived.Digest = digest.HexResult();
        }
        return ok;
    };
    const auto done = [&] {
        if (sent)
            *sent = arrived;
        return true;
    };
    if (sent)
        *sent = TFileFingerprint();

    if (presence == RemotePresence::Absent) {
        // Nothing there to protect: straight to its name. What arrived of a
        // file that failed half-way goes again (within a short time).
        if (send(name, {}))
            return done();
        const FtpFailure failure = d->failure;
        const int code = d->errorCode;
        const QString text = d->errorText;
        const CommandList remove(d->sftp() ? QStringList{QStringLiteral("*rm ") + SftpQuoted(finalPath)}
                                           : QStringList{QStringLiteral("*DELE ") + name});
        d->runCommands(d->sftp() ? d->folderUrl({}, false) : dirUrl, remove, Impl::OpKind::Cleanup);
        d->setFailure(failure, code, text);
        return false;
    }

    if (send(temporary, renameIntoPlace))
        return done();
    FtpFailure failure = d->failure;
    int code = d->errorCode;
    QString text = d->errorText;
    if (code == int(CURLE_QUOTE_ERROR) && failure == FtpFailure::Refused) {
        // The file arrived whole but the rename was refused. Servers that will
        // not rename over an existing file: remove the old one, then rename;
        // failing that, send the file directly.
        const CommandList again(d->sftp()
            ? QStringList{QStringLiteral("*rm ") + SftpQuoted(finalPath), renameIntoPlace.first()}
            : QStringList{QStringLiteral("*DELE ") + name, renameIntoPlace.at(0), renameIntoPlace.at(1)});
        if (d->runCommands(d->sftp() ? d->folderUrl({}, false) : dirUrl, again))
            return done();
        if (d->failure == FtpFailure::Refused && send(name, {})) {
            DeleteFile((names + QStringList{temporary}).join(QLatin1Char('/')));
            d->setOk();
            return done();
        }
        failure = d->failure;
        code = d->errorCode;
        text = d->errorText;
    } else if (failure == FtpFailure::Refused) {
        // Some servers refuse the temporary name itself: send directly.
        if (send(name, {}))
            return done();
    }
    // Failed: the temporary file goes (within a short time, the connection
    // may have to be made again), and the cause is reported.
    const CommandList remove(d->sftp() ? QStringList{QStringLiteral("*rm ") + SftpQuoted(tempPath)}
                                       : QStringList{QStringLiteral("*DELE ") + temporary});
    d->runCommands(d->sftp() ? d->folderUrl({}, false) : dirUrl, remove, Impl::OpKind::Cleanup);
    d->setFailure(failure, code, text);
    return false;
}

bool TFtpClient::DeleteFile(const QString &remotePath)
{
    if (m_folder)
        return FromFolder(m_folder->DeleteFile(remotePath));
    if (m_dav)
        return FromDav(m_dav->DeleteFile(remotePath));
    QStringList names;
    if (!SplitRelative(remotePath, names)) {
        d->setFailure(FtpFailure::BadName, 0, QStringLiteral("The remote name %1 is not allowed.").arg(remotePath));
        return false;
    }
    const QString name = names.takeLast();
    const QStringList dir = d->folder + names;
    if (d->sftp()) {
        const CommandList commands(QStringList{QStringLiteral("rm ") + SftpQuoted(d->sftpPath(dir + QStringList{name}, d->folderAbsolute))});
        return d->runCommands(d->folderUrl({}, false), commands);
    }
    const CommandList commands(QStringList{QStringLiteral("DELE ") + name});
    return d->runCommands(d->folderUrl(dir, d->folderAbsolute), commands);
}


bool TFtpClient::ListFolder(const QString &path, QList<TRemoteEntry> &entries)
{
    if (m_folder) {
        const TResult<QList<TRemoteEntry>> listed = m_folder->ListFolder(path);
        entries = listed.valueOr({});
        return FromFolder(listed);
    }
    if (m_dav)
        return FromDav(m_dav->ListFolder(path, entries));
    entries.clear();
    QStringList names;
    if (!path.isEmpty() && !SplitRelative(path, names)) {
        d->setFailure(FtpFailure::BadName, 0, QStringLiteral("The folder name is not allowed."));
        return false;
    }
    const QByteArray url = d->folderUrl(d->folder + names, d->folderAbsolute).toUtf8();
    QByteArray listing;
    const auto list = [&](const char *command) {
        listing.clear();
        d->sink = &listing;
        d->sinkOverflow = false;
        curl_easy_setopt(d->easy, CURLOPT_URL, url.constData());
        if (command)
            curl_easy_setopt(d->easy, CURLOPT_CUSTOMREQUEST, command);
        else
            curl_easy_setopt(d->easy, CURLOPT_DIRLISTONLY, 1L);
        const bool ok = d->run();
        d->sink = nullptr;
        if (d->sinkOverflow) {
            d->setFailure(FtpFailure::Refused, 0, QStringLiteral("The folder's listing is too large."));
            return false;
        }
        return ok;
    };
    // FTP: the machine-readable listing with sizes, or the names alone from a
    // server without it; SFTP: the names.
    if (!d->sftp()) {
        if (list("MLSD")) {
            entries = ParseMachineListing(listing);
            return true;
        }
        if (d->failure != FtpFailure::Refused || d->sinkOverflow)
            return false;
    }
    if (!list(nullptr))
        return false;
    entries = ParseNameListing(listing);
    return true;
}

TRemoteSize TFtpClient::RemoteSize(const QString &remotePath)
{
    if (m_dav) {
        const TRemoteSize size = m_dav->RemoteSize(remotePath);
        FromDav(m_dav->Failure() == FtpFailure::None);
        return size;
    }
    if (m_folder) {
        const TResult<TRemoteSize> size = m_folder->RemoteSize(remotePath);
        FromFolder(size);
        return size.valueOr(TRemoteSize{TRemoteSize::Unknown, -1});
    }
    TRemoteSize answer{TRemoteSize::Unknown, -1};
    QStringList names;
    if (!SplitRelative(remotePath, names)) {
        d->setFailure(FtpFailure::BadName, 0, QStringLiteral("The remote name %1 is not allowed.").arg(remotePath));
        return answer;
    }
    const QString name = names.takeLast();
    const QString url = d->folderUrl(d->folder + names, d->folderAbsolute)
        + QString::fromLatin1(QUrl::toPercentEncoding(name));
    curl_easy_setopt(d->easy, CURLOPT_URL, url.toUtf8().constData());
    // No body: FTP asks SIZE (in binary mode), SFTP asks the file's attributes.
    curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(d->easy, CURLOPT_TRANSFERTEXT, 0L);
    if (d->run()) {
        curl_off_t length = -1;
        if (curl_easy_getinfo(d->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0)
            answer = TRemoteSize{TRemoteSize::Known, qint64(length)};
        else
            answer.Answer = TRemoteSize::NotOffered;
    } else if (d->errorCode == int(CURLE_REMOTE_FILE_NOT_FOUND)) {
        answer.Answer = TRemoteSize::Missing;
    }
    return answer;
}

void TFtpClient::Disconnect()
{
    const bool was = Connected();
    if (m_folder)
        m_folder->Disconnect();
    if (m_dav)
        m_dav->Disconnect();
    d->closeMulti();
    d->renewHandle();
    d->loggedOn = false;
    d->folder.clear();
    d->folderAbsolute = false;
    if (was && OnDisconnect)
        OnDisconnect();
}

void TFtpClient::Cancel()
{
    d->cancel = true;
    d->abortNow();
}

void TFtpClient::ClearCancel() { d->cancel = false; }
bool TFtpClient::CancelRequested() const { return d->cancel; }

int TFtpClient::ErrorCode() const { return d->errorCode; }

void TFtpClient::SetErrorCode(int code)
{
    d->errorCode = code;
    if (code == 0) {
        d->failure = FtpFailure::None;
        d->errorText.clear();
    }
}

FtpFailure TFtpClient::Failure() const { return d->failure; }
QString TFtpClient::ErrorText() const { return d->errorText; }
bool TFtpClient::Connected() const
{
    if (m_dav)
        return m_dav->Connected();
    return m_folder ? m_folder->Connected() : d->loggedOn && d->controlOpen();
}

QString TFtpClient::CurrentFolder() const
{
    if (m_folder)
        return m_folder->CurrentFolder();
    if (m_dav)
        return m_dav->CurrentFolder();
    const QString joined = d->folder.join(QLatin1Char('/'));
    return d->folderAbsolute ? QLatin1Char('/') + joined : joined;
}

QString TFtpClient::PeerFingerprint() const { return d->trust.peerFingerprint; }
int TFtpClient::ConnectionsMade() const { return d->connections; }
QString TFtpClient::KeyFileInQuestion() const { return d->keyInQuestion; }
TKeyFileState TFtpClient::KeyFileProblem() const { return d->keyFileState; }
bool TFtpClient::PassphraseWasWrong() const { return d->passphraseWrong; }
QStringList TFtpClient::KeysOffered() const { return d->keysOffered; }
bool TFtpClient::PasswordOffered() const { return d->passwordOffered; }

TFtpLogOn TFtpClient::SameLogOn(const TFtpLogOn &logOn) const
{
    TFtpLogOn same = logOn;
    if (!d->sftp() || !d->loggedOn)
        return same;
    same.SshAgent = d->method.Kind == TLogOnAttempt::Agent;
    same.KeyFiles = d->method.Kind == TLogOnAttempt::Key ? QStringList{d->method.KeyFile} : QStringList();
    if (d->method.Kind != TLogOnAttempt::Password)
        same.Password = QString();
    return same;
}

QString TFtpClient::TemporaryName(const QString &name)
{
    return QStringLiteral(".wbx-") + name + QStringLiteral(".part");
}

bool TFtpClient::IsTemporaryName(const QString &name)
{
    return name.size() > 10 && name.startsWith(QLatin1String(".wbx-")) && name.endsWith(QLatin1String(".part"));
}

} // namespace wobbin
