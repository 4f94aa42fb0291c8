#include "publish/FtpClientImpl.h"

#include "base/Secrets.h"
#include "publish/ContentHash.h"
#include "publish/ListingParse.h"
#include "publish/TransferLibrary.h"

#include <QByteArray>
#include <QFileInfo>
#include <QUrl>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace wobbin {
namespace {

// libcurl wants one global set-up per process before any handle exists.
void GlobalInit()
{
    InitTransferLibrary();
}

// Whether the host is written as an IPv6 address (not a name).
bool IsIpv6(const QString &host)
{
    unsigned char buffer[16];
    return inet_pton(AF_INET6, host.toLatin1().constData(), buffer) == 1;
}

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TFtpClient::Impl::Impl(TFtpClient *owner) : q(owner)
{
    GlobalInit();
    easy = curl_easy_init();
    watchdog = std::thread([this] { watch(); });
}

TFtpClient::Impl::~Impl()
{
    closeMulti();
    if (easy)
        curl_easy_cleanup(easy);
    {
        std::lock_guard<std::mutex> g(watchLock);
        watchStop = true;
    }
    watchWake.notify_all();
    watchdog.join();
}

// ---- connection set-up

QString TFtpClient::Impl::hostForUrl() const
{
    if (IsIpv6(logOn.Host))
        return QLatin1Char('[') + logOn.Host + QLatin1Char(']');
    return logOn.Host;
}

// URL of a folder (names below the log-on folder, or below the root when absolute).
QString TFtpClient::Impl::folderUrl(const QStringList &names, bool absolute) const
{
    QString url = (sftp() ? QStringLiteral("sftp://") : QStringLiteral("ftp://")) + hostForUrl()
        + QLatin1Char(':') + QString::number(port()) + QLatin1Char('/');
    if (absolute) {
        if (!sftp())
            url += QLatin1String("%2F");
    } else if (sftp()) {
        url += QLatin1String("~/");
    }
    for (const QString &n : names)
        url += QString::fromLatin1(QUrl::toPercentEncoding(n)) + QLatin1Char('/');
    return url;
}

// A path as SFTP commands take it: relative to the log-on folder, or absolute.
QString TFtpClient::Impl::sftpPath(const QStringList &names, bool absolute) const
{
    const QString joined = names.join(QLatin1Char('/'));
    return absolute ? QLatin1Char('/') + joined : (joined.isEmpty() ? QStringLiteral(".") : joined);
}

void TFtpClient::Impl::applyLogOnOptions(const QString &secret)
{
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_USERNAME, logOn.UserName.toUtf8().constData());
    // libcurl keeps a copy of its own (overwritten when freed, see
    // TransferLibrary.h); this one goes at once.
    QByteArray password = secret.toUtf8();
    curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
    WipeBytes(password);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(logOnLimit));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(qMax(1, stallLimit / 1000)));
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Impl::progressCallback);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Impl::openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &Impl::closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::received);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::serverReply);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Impl::readSource);
    curl_easy_setopt(easy, CURLOPT_READDATA, this);
    // SFTP writes the buffer as a row of requests sent without waiting for
    // each answer (libssh2's pipelining): the larger the buffer, the more
    // are on the way at once. 2 MB is the most libcurl takes. FTP: fewer
    // reads and writes for a large file with 256 KB.
    curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, sftp() ? 2L * 1024L * 1024L : 256L * 1024L);
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy, CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
    if (sftp()) {
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "sftp");
        curl_easy_setopt(easy, CURLOPT_SSH_KNOWNHOSTS, trust.knownHosts.toLocal8Bit().constData());
        curl_easy_setopt(easy, CURLOPT_SSH_KEYFUNCTION, &TTransferTrust::checkHostKey);
        curl_easy_setopt(easy, CURLOPT_SSH_KEYDATA, &trust);
    } else {
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 1L);
        curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_MULTICWD));
        if (logOn.Protocol == TTransferProtocol::FTPS) {
            curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
            // The name is checked in checkCertificate, where an accepted
            // certificate may stand for a server of another name.
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &TTransferTrust::sslContext);
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &trust);
            if (!logOn.TrustStore.isEmpty()) {
                curl_easy_setopt(easy, CURLOPT_CAINFO, logOn.TrustStore.toLocal8Bit().constData());
                curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
            }
        }
    }
}

// Options that change from one operation to the next, back to neutral.
void TFtpClient::Impl::resetOperation()
{
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(easy, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(easy, CURLOPT_POSTQUOTE, nullptr);
    curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, 0L);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(logOnLimit));
}

// ---- running one operation

CURLcode TFtpClient::Impl::perform(OpKind kind)
{
    if (!multi) {
        CURLM *created = curl_multi_init();
        std::lock_guard<std::mutex> g(multiLock);
        multi = created;
    }
    errorBuffer[0] = 0;
    timedOut = false;
    lastSent = -1;
    const qint64 start = NowMs();
    runningKind = kind;
    if (kind == OpKind::LogOn) {
        deadline = start + logOnLimit;
        deadlineSlides = false;
    } else if (kind == OpKind::Cleanup) {
        deadline = start + qMin(logOnLimit, 1500);
        deadlineSlides = false;
    } else {
        deadline = start + stallLimit;
        deadlineSlides = true;
    }
    // The watchdog looks every tenth of a second; it is not woken for each
    // operation (a file is one), which would cost two thread switches each.
    running = true;
    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
        int still = 0;
        curl_multi_perform(multi, &still);
        int left = 0;
        while (CURLMsg *m = curl_multi_info_read(multi, &left)) {
            if (m->msg == CURLMSG_DONE && m->easy_handle == easy) {
                result = m->data.result;
                done = true;
            }
        }
        if (done)
            break;
        if (cancel && kind != OpKind::Cleanup) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (timedOut || NowMs() > deadline) {
            // Closing the transfer may wait for the server inside libcurl:
            // end that wait before it starts.
            timedOut = true;
            abortNow();
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, idleWait(), nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    running = false;
    // A wait ended by the watchdog or by Cancel shows as a broken
    // connection inside libcurl; report what really happened.
    if (result != CURLE_OK && cancel && kind != OpKind::Cleanup)
        result = CURLE_ABORTED_BY_CALLBACK;
    else if (result != CURLE_OK && timedOut)
        result = CURLE_OPERATION_TIMEDOUT;
    return result;
}

// How long to wait for the sockets before libcurl is run again. Between two
// steps of a command (the answer to EPSV read, the data connection not yet
// opened) libcurl may wait on no socket and set no timer: it then only needs
// to be called again, so the wait is a millisecond rather than the usual
// tenth of a second in which Cancel and the time limits are looked at.
int TFtpClient::Impl::idleWait()
{
    fd_set read, write, error;
    FD_ZERO(&read);
    FD_ZERO(&write);
    FD_ZERO(&error);
    int highest = -1;
    if (curl_multi_fdset(multi, &read, &write, &error, &highest) == CURLM_OK && highest < 0)
        return 1;
    return 100;
}

bool TFtpClient::Impl::controlOpen()
{
    std::lock_guard<std::mutex> g(socketLock);
    return control != CURL_SOCKET_BAD;
}

void TFtpClient::Impl::shutdownSockets()
{
    std::lock_guard<std::mutex> g(socketLock);
    for (curl_socket_t s : sockets)
        ::shutdown(s, SHUT_RDWR);
}

// Ends every blocking wait inside libcurl at once: the operation fails.
void TFtpClient::Impl::abortNow()
{
    shutdownSockets();
    std::lock_guard<std::mutex> g(multiLock);
    if (multi)
        curl_multi_wakeup(multi);
}

void TFtpClient::Impl::watch()
{
    std::unique_lock<std::mutex> g(watchLock);
    while (!watchStop) {
        watchWake.wait_for(g, std::chrono::milliseconds(100));
        if (watchStop)
            break;
        if (running && NowMs() > deadline) {
            timedOut = true;
            abortNow();
        }
    }
}

// A fresh handle once a session is over: libcurl's copies of the login
// and password (and of everything else) go with the old one, overwritten.
void TFtpClient::Impl::renewHandle()
{
    if (easy)
        curl_easy_cleanup(easy);
    easy = curl_easy_init();
}

void TFtpClient::Impl::closeMulti()
{
    if (!multi)
        return;
    // Closing sends QUIT on a healthy connection; the watchdog ends a wait
    // for a server that does not answer.
    deadline = NowMs() + qMin(stallLimit, 3000);
    deadlineSlides = false;
    timedOut = false;
    running = true;
    CURLM *closing = nullptr;
    {
        std::lock_guard<std::mutex> g(multiLock);
        closing = multi;
        multi = nullptr;
    }
    curl_multi_cleanup(closing);
    running = false;
}

// ---- outcome of an operation

void TFtpClient::Impl::setOk()
{
    errorCode = 0;
    failure = FtpFailure::None;
    errorText.clear();
}

void TFtpClient::Impl::setFailure(FtpFailure f, int code, const QString &text)
{
    failure = f;
    errorCode = code > 0 ? code : int(f);
    errorText = text;
}

// What a libcurl result means for the user.
void TFtpClient::Impl::setFromResult(CURLcode result, OpKind kind)
{
    const QString detail = QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(result));
    if (cancel && kind != OpKind::Cleanup) {
        setFailure(FtpFailure::Cancelled, int(result), QStringLiteral("Cancelled."));
        return;
    }
    if (readFailed) {
        setFailure(FtpFailure::LocalFile, int(result), QStringLiteral("The file could not be read."));
        return;
    }
    if (arrivedSize >= 0 && arrivedSize != sourceSize) {
        setFailure(FtpFailure::Incomplete, int(result),
                   QStringLiteral("It arrived incomplete: the server holds %1 of its %2 bytes.").arg(arrivedSize).arg(sourceSize));
        return;
    }
    if (trust.certificateUnknown) {
        if (trust.certificateChanged)
            setFailure(FtpFailure::ChangedCertificate, int(result),
                       QStringLiteral("The server's certificate differs from the one accepted before."));
        else
            setFailure(FtpFailure::UnknownCertificate, int(result), trust.certificateProblem);
        return;
    }
    if (trust.keyState == TTransferTrust::KeyState::Unknown) {
        setFailure(FtpFailure::UnknownHostKey, int(result), QStringLiteral("The server's host key is not known."));
        return;
    }
    if (trust.keyState == TTransferTrust::KeyState::Changed) {
        setFailure(FtpFailure::ChangedHostKey, int(result), QStringLiteral("The server's host key has changed."));
        return;
    }
    switch (result) {
    case CURLE_OPERATION_TIMEDOUT:
        if (!timedOut && NowMs() + 1000 < deadline) {
            // No time limit ran out: libcurl's word for the server's 421,
            // which closes the connection (too many connections, the
            // server shutting down).
            setFailure(kind == OpKind::LogOn && !loggedOn ? FtpFailure::Unreachable : FtpFailure::ConnectionLost,
                       int(result), detail);
            return;
        }
        if (kind == OpKind::LogOn)
            setFailure(FtpFailure::LogOnTimeout, int(result), QStringLiteral("The server did not answer in time."));
        else
            setFailure(FtpFailure::Stalled, int(result), QStringLiteral("Nothing moved for %1 seconds.").arg(stallLimit / 1000));
        return;
    case CURLE_LOGIN_DENIED:
        setFailure(FtpFailure::LogOnRefused, int(result), QStringLiteral("The login name or password was not accepted."));
        return;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_PROXY:
        setFailure(FtpFailure::Unreachable, int(result), detail);
        return;
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
        setFailure(FtpFailure::TlsFailed, int(result), detail);
        return;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_REMOTE_FILE_EXISTS:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_FILESIZE_EXCEEDED:
        setFailure(FtpFailure::Refused, int(result), detail);
        return;
    default:
        break;
    }
    if (kind == OpKind::LogOn && !loggedOn) {
        setFailure(FtpFailure::Unreachable, int(result), detail);
        return;
    }
    // Any other answer on a connection that is still open is the server
    // saying no (SFTP reports most refusals this way).
    setFailure(controlOpen() ? FtpFailure::Refused : FtpFailure::ConnectionLost, int(result), detail);
}

// Runs one operation that needs the log-on.
bool TFtpClient::Impl::run(OpKind kind)
{
    if (cancel && kind != OpKind::Cleanup) {
        setFailure(FtpFailure::Cancelled, 0, QStringLiteral("Cancelled."));
        return false;
    }
    if (!loggedOn) {
        setFailure(FtpFailure::NotConnected, 0, QStringLiteral("Not connected."));
        return false;
    }
    trust.certificateUnknown = false;
    trust.keyState = TTransferTrust::KeyState::None;
    readFailed = false;
    sourceEnded = false;
    arrivedSize = -1;
    const CURLcode result = perform(kind);
    resetOperation();
    if (result == CURLE_OK) {
        setOk();
        return true;
    }
    setFromResult(result, kind);
    return false;
}

// Runs protocol commands: SFTP before its (empty) transfer, FTP after
// changing into the folder of url.
bool TFtpClient::Impl::runCommands(const QString &url, const CommandList &commands, OpKind kind)
{
    curl_easy_setopt(easy, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, sftp() ? CURLOPT_QUOTE : CURLOPT_POSTQUOTE, commands.list);
    return run(kind);
}

// ---- the log-on

// The key files that cannot be used stop the log-on before anything goes out.
bool TFtpClient::Impl::keyFilesUsable()
{
    for (const QString &key : std::as_const(logOn.KeyFiles)) {
        const TKeyFileState state = InspectKeyFile(key);
        if (state == TKeyFileState::Plain || state == TKeyFileState::Locked)
            continue;
        keyInQuestion = key;
        keyFileState = state;
        setFailure(FtpFailure::KeyFile, 0, QStringLiteral("The key file %1 cannot be used.").arg(KeyFileShown(key)));
        return false;
    }
    return true;
}

// One connection's log-on as the attempt says; the passphrase of a key file
// and the password go to libcurl and are overwritten here.
CURLcode TFtpClient::Impl::tryLogOn(const TLogOnAttempt &attempt, const QString &password, QString &passphrase)
{
    applyLogOnOptions(attempt.WithPassword ? password : QString());
    if (sftp()) {
        long types = attempt.WithPassword ? long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD) : 0L;
        if (attempt.Kind == TLogOnAttempt::Agent)
            types |= long(CURLSSH_AUTH_AGENT);
        if (attempt.Kind == TLogOnAttempt::Key) {
            types |= long(CURLSSH_AUTH_PUBLICKEY);
            curl_easy_setopt(easy, CURLOPT_SSH_PRIVATE_KEYFILE, QFile::encodeName(attempt.KeyFile).constData());
            // Empty: libssh2 reads the public half from the private key.
            curl_easy_setopt(easy, CURLOPT_SSH_PUBLIC_KEYFILE, QFile::encodeName(attempt.PublicKeyFile).constData());
            QByteArray secret = passphrase.toUtf8();
            curl_easy_setopt(easy, CURLOPT_KEYPASSWD, secret.constData());
            WipeBytes(secret);
            WipeString(passphrase);
            // libssh2 tells through libcurl's notes why a key failed.
            keyFailure.clear();
            passwordLetIn = false;
            curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &Impl::libraryNote);
            curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this);
            curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
        }
        curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES, types);
    }
    curl_easy_setopt(easy, CURLOPT_URL, folderUrl({}, false).toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    const CURLcode result = perform(OpKind::LogOn);
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 0L);
    resetOperation();
    return result;
}

// The agent's keys, the key files, the password, each on a connection of
// its own until one lets us in; anything but a refusal ends the turn.
bool TFtpClient::Impl::logOnInTurn(const QString &password)
{
    keysOffered.clear();
    passwordOffered = false;
    passphraseWrong = false;
    keyInQuestion.clear();
    method = TLogOnAttempt();
    if (sftp() && !keyFilesUsable())
        return false;
    QList<TLogOnAttempt> plan = sftp() ? PlanLogOn(logOn.SshAgent && AgentRunning(), logOn.KeyFiles, !password.isEmpty())
                                       : QList<TLogOnAttempt>{TLogOnAttempt{TLogOnAttempt::Password, QString(), QString(), true}};
    CURLcode result = CURLE_LOGIN_DENIED;
    for (int i = 0; i < plan.size(); ++i) {
        TLogOnAttempt attempt = plan.at(i);
        QString passphrase;
        if (attempt.Kind == TLogOnAttempt::Key && InspectKeyFile(attempt.KeyFile) == TKeyFileState::Locked) {
            if (PassphraseDeclined(attempt.KeyFile)) {
                if (attempt.WithPassword)
                    plan.insert(i + 1, TLogOnAttempt{TLogOnAttempt::Password, QString(), QString(), true});
                continue;
            }
            if (!RecallPassphrase(attempt.KeyFile, passphrase)) {
                keyInQuestion = attempt.KeyFile;
                setFailure(FtpFailure::KeyPassphrase, 0,
                           QStringLiteral("The key file %1 needs its passphrase.").arg(KeyFileShown(attempt.KeyFile)));
                return false;
            }
        }
        if (attempt.Kind == TLogOnAttempt::Agent)
            keysOffered << QStringLiteral("ssh-agent");
        else if (attempt.Kind == TLogOnAttempt::Key && !keysOffered.contains(attempt.KeyFile))
            keysOffered << attempt.KeyFile;
        passwordOffered = passwordOffered || attempt.WithPassword;
        result = tryLogOn(attempt, password, passphrase);
        if (result == CURLE_OK) {
            // The key was refused and the password let us in after it.
            method = passwordLetIn ? TLogOnAttempt{TLogOnAttempt::Password, QString(), QString(), true} : attempt;
            return true;
        }
        const bool refused = result == CURLE_LOGIN_DENIED && !cancel && trust.keyState != TTransferTrust::KeyState::Unknown
            && trust.keyState != TTransferTrust::KeyState::Changed;
        if (refused && attempt.Kind == TLogOnAttempt::Key && KeyFailedHere(keyFailure)) {
            if (InspectKeyFile(attempt.KeyFile) == TKeyFileState::Locked) {
                // The passphrase remembered for it does not unlock it.
                ForgetPassphrase(attempt.KeyFile);
                keyInQuestion = attempt.KeyFile;
                passphraseWrong = true;
                setFailure(FtpFailure::KeyPassphrase, int(result),
                           QStringLiteral("The passphrase of the key file %1 is not right.").arg(KeyFileShown(attempt.KeyFile)));
                closeMulti();
                renewHandle();
                return false;
            }
            // Some keys libssh2 cannot read the public half of: from the .pub file beside it.
            const QString pub = attempt.KeyFile + QStringLiteral(".pub");
            if (attempt.PublicKeyFile.isEmpty() && QFileInfo(pub).isFile()) {
                attempt.PublicKeyFile = pub;
                plan.insert(i + 1, attempt);
                closeMulti();
                renewHandle();
                continue;
            }
        }
        // Told before closing, which resets the time limits the telling reads.
        setFromResult(result, OpKind::LogOn);
        closeMulti();
        renewHandle();
        if (!refused)
            return false;
    }
    setFromResult(result, OpKind::LogOn);
    return false;
}

int TFtpClient::Impl::libraryNote(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    // Only libcurl's own notes are looked at: never what goes over the wire.
    if (type != CURLINFO_TEXT)
        return 0;
    const QByteArray note(data, qsizetype(size));
    const QByteArray lead = "SSH public key authentication failed: ";
    auto *self = static_cast<Impl *>(user);
    if (note.startsWith(lead))
        self->keyFailure = note.mid(lead.size()).trimmed();
    else if ((note.startsWith("Initialized") || note.startsWith("Completed")) && note.contains("password authentication"))
        self->passwordLetIn = true;
    return 0;
}

// ---- callbacks

size_t TFtpClient::Impl::received(char *data, size_t size, size_t count, void *user)
{
    auto *self = static_cast<Impl *>(user);
    const size_t n = size * count;
    if (self->sink) {
        if (qint64(self->sink->size()) + qint64(n) > kMaxListingBytes) {
            self->sinkOverflow = true;
            return 0; // ends the transfer
        }
        self->sink->append(data, qsizetype(n));
    }
    return n;
}

// Every answer line of the server. While the size of a file just sent is
// asked, its answer ("213 <size>") is checked: a file the server holds
// shorter or longer than sent ends the operation before the rename.
size_t TFtpClient::Impl::serverReply(char *data, size_t size, size_t count, void *user)
{
    auto *self = static_cast<Impl *>(user);
    const size_t n = size * count;
    if (!self->askingSize)
        return n;
    const qint64 value = ParseSizeAnswer(QByteArray(data, qsizetype(n)));
    if (value < 0)
        return n;
    self->askingSize = false;
    self->arrivedSize = value;
    return value == self->sourceSize ? n : 0;
}

size_t TFtpClient::Impl::readSource(char *buffer, size_t size, size_t count, void *data)
{
    auto *self = static_cast<Impl *>(data);
    if (!self->source)
        return 0;
    const qint64 n = self->source->read(buffer, qint64(size * count));
    if (n < 0) {
        self->readFailed = true;
        return CURL_READFUNC_ABORT;
    }
    // (libcurl stops asking once it has the size it was given)
    if (n == 0 || self->source->pos() >= self->sourceSize)
        self->sourceEnded = true;
    if (self->digest)
        self->digest->Add(buffer, n);
    return size_t(n);
}

int TFtpClient::Impl::progressCallback(void *data, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow)
{
    auto *self = static_cast<Impl *>(data);
    const qint64 moved = qint64(ulnow) + qint64(dlnow);
    if (moved != self->lastSent) {
        self->lastSent = moved;
        if (self->deadlineSlides)
            self->deadline = NowMs() + self->stallLimit;
        if (self->source && self->q->OnProgress)
            self->q->OnProgress(qint64(ulnow), self->sourceSize);
    }
    return self->cancel && self->runningKind != OpKind::Cleanup ? 1 : 0;
}

curl_socket_t TFtpClient::Impl::openSocket(void *data, curlsocktype, curl_sockaddr *address)
{
    auto *self = static_cast<Impl *>(data);
    const curl_socket_t s = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (s != CURL_SOCKET_BAD) {
        std::lock_guard<std::mutex> g(self->socketLock);
        self->sockets.insert(s);
        // The first connection of a session (or the one that replaces a
        // closed one) carries the commands; later ones carry data.
        if (self->control == CURL_SOCKET_BAD) {
            self->control = s;
            ++self->connections;
        }
    }
    return s;
}

int TFtpClient::Impl::closeSocket(void *data, curl_socket_t s)
{
    auto *self = static_cast<Impl *>(data);
    if (self->source && self->sourceEnded && s != self->control && !self->cancel && !self->timedOut)
        self->lingerBeforeClose(s);
    std::lock_guard<std::mutex> g(self->socketLock);
    self->sockets.erase(s);
    if (s == self->control)
        self->control = CURL_SOCKET_BAD;
    return ::close(s);
}

// The end of an upload's data connection. Once a socket is closed,
// anything the server still sends on it (over TLS 1.3 its session
// tickets, which a busy server sends only after the handshake, when the
// file may already have gone) is answered with a reset, and the reset
// throws away the part of the file that has not reached the server yet:
// some servers then report the cut file as arrived. So the connection is
// ended for sending only, and what the server still sends is read and
// dropped until it closes its side, which it does once it has read the
// whole file and before it confirms it on the control connection: no
// wait is added. Cancel and the stall limit end this wait too.
void TFtpClient::Impl::lingerBeforeClose(curl_socket_t s)
{
    if (::shutdown(s, SHUT_WR) != 0)
        return;
    const qint64 until = NowMs() + stallLimit;
    char scrap[4096];
    while (!cancel && !timedOut && NowMs() < until) {
        pollfd p{s, POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0)
            continue;
        const ssize_t got = ::recv(s, scrap, sizeof scrap, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return;
    }
}

} // namespace wobbin
