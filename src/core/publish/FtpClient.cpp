#include "publish/FtpClient.h"

#include "base/SafeFile.h"
#include "base/Secrets.h"
#include "publish/ContentHash.h"
#include "publish/FolderClient.h"
#include "publish/TransferLibrary.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace wobbin {
namespace {

// libcurl wants one global set-up per process before any handle exists.
void GlobalInit()
{
    InitTransferLibrary();
}

// Whether the host is written as an IPv4 or IPv6 address (not a name).
bool IsIpv6(const QString &host)
{
    unsigned char buffer[16];
    return inet_pton(AF_INET6, host.toLatin1().constData(), buffer) == 1;
}
bool IsIpAddress(const QString &host)
{
    unsigned char buffer[16];
    return IsIpv6(host) || inet_pton(AF_INET, host.toLatin1().constData(), buffer) == 1;
}

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A list of protocol commands for one operation.
struct CommandList {
    curl_slist *list = nullptr;
    CommandList() = default;
    CommandList(const QStringList &commands)
    {
        for (const QString &c : commands)
            list = curl_slist_append(list, c.toUtf8().constData());
    }
    ~CommandList() { curl_slist_free_all(list); }
    CommandList(const CommandList &) = delete;
    CommandList &operator=(const CommandList &) = delete;
};

// A path argument of an SFTP command, quoted as libcurl reads it.
QString SftpQuoted(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    p.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + p + QLatin1Char('"');
}

bool ValidSegment(const QString &s)
{
    if (s.isEmpty() || s == QLatin1String(".") || s == QLatin1String(".."))
        return false;
    for (const QChar c : s) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

// Splits a relative remote path into its names; false when one of them would
// leave the folder it is relative to, or holds control characters.
bool SplitRelative(const QString &path, QStringList &segments)
{
    segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (path.startsWith(QLatin1Char('/')) || segments.isEmpty())
        return false;
    for (const QString &s : std::as_const(segments)) {
        if (!ValidSegment(s))
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------

struct TFtpClient::Impl {
    TFtpClient *q = nullptr;
    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    TFtpLogOn logOn;
    QString knownHosts;
    bool loggedOn = false;
    bool folderAbsolute = false;   // the current folder starts at the server's root
    QStringList folder;            // the current folder's names
    int logOnLimit = 20000;
    int stallLimit = 30000;
    int connections = 0;

    int errorCode = 0;
    FtpFailure failure = FtpFailure::None;
    QString errorText;
    QString peerFingerprint;

    // Certificate and host key checks (filled by the callbacks).
    bool certificateUnknown = false;
    bool certificateChanged = false; // another one than the certificate accepted before
    QString certificateProblem;
    enum class KeyState { None, Unknown, Changed, AcceptedNew } keyState = KeyState::None;
    QString newKeyLine;

    // SFTP log-on with keys.
    QByteArray keyFailure;         // libssh2's word on the last key log-on that failed
    bool passwordLetIn = false;    // the password after a key file was what let us in
    QString keyInQuestion;
    TKeyFileState keyFileState = TKeyFileState::Plain;
    bool passphraseWrong = false;
    QStringList keysOffered;
    bool passwordOffered = false;
    TLogOnAttempt method;          // what let the session in

    // The running transfer.
    QFile *source = nullptr;
    TContentHash *digest = nullptr; // takes every byte sent, when set
    QByteArray *sink = nullptr;    // takes what the server sends (a listing), when set
    bool sinkOverflow = false;
    qint64 sourceSize = 0;
    qint64 lastSent = -1;
    bool readFailed = false;
    bool sourceEnded = false;      // the whole file went to libcurl
    // FTPS: the size the server gives for the file just sent (SIZE before the
    // rename); -1 while not asked. A different size ends the operation.
    bool askingSize = false;
    qint64 arrivedSize = -1;
    enum class OpKind { LogOn, Work, Cleanup };
    OpKind runningKind = OpKind::Work; // of the running operation

    // Cancel and the watchdog.
    std::atomic<bool> cancel{false};
    std::atomic<bool> timedOut{false};
    std::atomic<bool> running{false};
    std::atomic<qint64> deadline{0};   // ms (steady clock) when the running operation gives up
    std::atomic<bool> deadlineSlides{false}; // activity moves the deadline on
    std::mutex multiLock;   // guards the pointer multi against Cancel from another thread
    std::mutex socketLock;
    std::set<curl_socket_t> sockets;
    curl_socket_t control = CURL_SOCKET_BAD; // the control (or SSH) connection
    std::thread watchdog;
    std::mutex watchLock;
    std::condition_variable watchWake;
    bool watchStop = false;

    explicit Impl(TFtpClient *owner) : q(owner)
    {
        GlobalInit();
        easy = curl_easy_init();
        watchdog = std::thread([this] { watch(); });
    }

    ~Impl()
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

    QString hostForUrl() const
    {
        if (IsIpv6(logOn.Host))
            return QLatin1Char('[') + logOn.Host + QLatin1Char(']');
        return logOn.Host;
    }
    int port() const { return logOn.Port > 0 ? logOn.Port : DefaultPort(logOn.Protocol); }
    bool sftp() const { return logOn.Protocol == TTransferProtocol::SFTP; }

    // URL of a folder (names below the log-on folder, or below the root when absolute).
    QString folderUrl(const QStringList &names, bool absolute) const
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
    QString sftpPath(const QStringList &names, bool absolute) const
    {
        const QString joined = names.join(QLatin1Char('/'));
        return absolute ? QLatin1Char('/') + joined : (joined.isEmpty() ? QStringLiteral(".") : joined);
    }

    void applyLogOnOptions(const QString &secret)
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
            curl_easy_setopt(easy, CURLOPT_SSH_KNOWNHOSTS, knownHosts.toLocal8Bit().constData());
            curl_easy_setopt(easy, CURLOPT_SSH_KEYFUNCTION, &Impl::checkHostKey);
            curl_easy_setopt(easy, CURLOPT_SSH_KEYDATA, this);
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
                curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &Impl::sslContext);
                curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
                if (!logOn.TrustStore.isEmpty()) {
                    curl_easy_setopt(easy, CURLOPT_CAINFO, logOn.TrustStore.toLocal8Bit().constData());
                    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
                }
            }
        }
    }

    // Options that change from one operation to the next, back to neutral.
    void resetOperation()
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

    CURLcode perform(OpKind kind)
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
    int idleWait()
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

    bool controlOpen()
    {
        std::lock_guard<std::mutex> g(socketLock);
        return control != CURL_SOCKET_BAD;
    }

    void shutdownSockets()
    {
        std::lock_guard<std::mutex> g(socketLock);
        for (curl_socket_t s : sockets)
            ::shutdown(s, SHUT_RDWR);
    }

    // Ends every blocking wait inside libcurl at once: the operation fails.
    void abortNow()
    {
        shutdownSockets();
        std::lock_guard<std::mutex> g(multiLock);
        if (multi)
            curl_multi_wakeup(multi);
    }

    void watch()
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
    void renewHandle()
    {
        if (easy)
            curl_easy_cleanup(easy);
        easy = curl_easy_init();
    }

    void closeMulti()
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

    void setOk()
    {
        errorCode = 0;
        failure = FtpFailure::None;
        errorText.clear();
    }

    void setFailure(FtpFailure f, int code, const QString &text)
    {
        failure = f;
        errorCode = code > 0 ? code : int(f);
        errorText = text;
    }

    // What a libcurl result means for the user.
    void setFromResult(CURLcode result, OpKind kind)
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
        if (certificateUnknown) {
            if (certificateChanged)
                setFailure(FtpFailure::ChangedCertificate, int(result),
                           QStringLiteral("The server's certificate differs from the one accepted before."));
            else
                setFailure(FtpFailure::UnknownCertificate, int(result), certificateProblem);
            return;
        }
        if (keyState == KeyState::Unknown) {
            setFailure(FtpFailure::UnknownHostKey, int(result), QStringLiteral("The server's host key is not known."));
            return;
        }
        if (keyState == KeyState::Changed) {
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
    bool run(OpKind kind = OpKind::Work)
    {
        if (cancel && kind != OpKind::Cleanup) {
            setFailure(FtpFailure::Cancelled, 0, QStringLiteral("Cancelled."));
            return false;
        }
        if (!loggedOn) {
            setFailure(FtpFailure::NotConnected, 0, QStringLiteral("Not connected."));
            return false;
        }
        certificateUnknown = false;
        keyState = KeyState::None;
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
    bool runCommands(const QString &url, const CommandList &commands, OpKind kind = OpKind::Work)
    {
        curl_easy_setopt(easy, CURLOPT_URL, url.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy, sftp() ? CURLOPT_QUOTE : CURLOPT_POSTQUOTE, commands.list);
        return run(kind);
    }

    // ---- the log-on

    // The key files that cannot be used stop the log-on before anything goes out.
    bool keyFilesUsable()
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
    CURLcode tryLogOn(const TLogOnAttempt &attempt, const QString &password, QString &passphrase)
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
    bool logOnInTurn(const QString &password)
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
            const bool refused = result == CURLE_LOGIN_DENIED && !cancel && keyState != KeyState::Unknown
                && keyState != KeyState::Changed;
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

    static int libraryNote(CURL *, curl_infotype type, char *data, size_t size, void *user)
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

    static size_t received(char *data, size_t size, size_t count, void *user)
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
    static size_t serverReply(char *data, size_t size, size_t count, void *user)
    {
        auto *self = static_cast<Impl *>(user);
        const size_t n = size * count;
        if (!self->askingSize || n < 5 || std::memcmp(data, "213 ", 4) != 0)
            return n;
        bool ok = false;
        const qint64 value = QByteArray(data + 4, qsizetype(n - 4)).trimmed().toLongLong(&ok);
        if (!ok || value < 0)
            return n;
        self->askingSize = false;
        self->arrivedSize = value;
        return value == self->sourceSize ? n : 0;
    }

    static size_t readSource(char *buffer, size_t size, size_t count, void *data)
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

    static int progressCallback(void *data, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow)
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

    static curl_socket_t openSocket(void *data, curlsocktype, curl_sockaddr *address)
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

    static int closeSocket(void *data, curl_socket_t s)
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
    void lingerBeforeClose(curl_socket_t s)
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

    static CURLcode sslContext(CURL *, void *context, void *data)
    {
        SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX *>(context), &Impl::checkCertificate, data);
        return CURLE_OK;
    }

    // The system's trust store and the server's name, or the certificate the
    // user accepted before.
    static int checkCertificate(X509_STORE_CTX *store, void *data)
    {
        auto *self = static_cast<Impl *>(data);
        const int chainOk = X509_verify_cert(store);
        X509 *leaf = X509_STORE_CTX_get0_cert(store);
        if (!leaf) {
            self->certificateUnknown = false;
            return 0;
        }
        const int chainError = X509_STORE_CTX_get_error(store);
        unsigned char *der = nullptr;
        const int derLength = i2d_X509(leaf, &der);
        const QByteArray derBytes = derLength > 0 ? QByteArray(reinterpret_cast<const char *>(der), derLength) : QByteArray();
        OPENSSL_free(der);
        const QString fingerprint = CertificateFingerprint(derBytes);

        bool nameOk = false;
        const QByteArray host = self->logOn.Host.toUtf8();
        if (IsIpAddress(self->logOn.Host))
            nameOk = X509_check_ip_asc(leaf, host.constData(), 0) == 1;
        else
            nameOk = X509_check_host(leaf, host.constData(), size_t(host.size()), 0, nullptr) == 1;

        if (chainOk == 1 && nameOk) {
            X509_STORE_CTX_set_error(store, X509_V_OK);
            return 1;
        }
        if (!self->logOn.TrustedFingerprint.isEmpty() && SameFingerprint(fingerprint, self->logOn.TrustedFingerprint)) {
            X509_STORE_CTX_set_error(store, X509_V_OK);
            return 1;
        }
        self->certificateUnknown = true;
        self->certificateChanged = !self->logOn.TrustedFingerprint.isEmpty();
        self->peerFingerprint = fingerprint;
        self->certificateProblem = chainOk == 1
            ? QStringLiteral("The certificate is made out to another name.")
            : QString::fromUtf8(X509_verify_cert_error_string(chainError)) + QLatin1Char('.');
        X509_STORE_CTX_set_error(store, chainOk == 1 ? X509_V_ERR_HOSTNAME_MISMATCH : chainError);
        return 0;
    }

    static int checkHostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match, void *data)
    {
        auto *self = static_cast<Impl *>(data);
        if (!found)
            return CURLKHSTAT_REJECT;
        const QByteArray blob = found->len > 0 ? QByteArray(found->key, int(found->len))
                                               : QByteArray::fromBase64(QByteArray(found->key));
        const QString fingerprint = HostKeyFingerprint(blob);
        switch (match) {
        case CURLKHMATCH_OK:
            return CURLKHSTAT_FINE;
        case CURLKHMATCH_MISMATCH:
            self->keyState = KeyState::Changed;
            self->peerFingerprint = fingerprint;
            return CURLKHSTAT_REJECT;
        default:
            break;
        }
        if (!self->logOn.TrustedFingerprint.isEmpty() && SameFingerprint(fingerprint, self->logOn.TrustedFingerprint)) {
            self->keyState = KeyState::AcceptedNew;
            self->newKeyLine = KnownHostsLine(self->logOn.Host, self->port(), blob);
            return CURLKHSTAT_FINE;
        }
        self->keyState = KeyState::Unknown;
        self->peerFingerprint = fingerprint;
        return CURLKHSTAT_REJECT;
    }

    // "[host]:port type base64" (plain "host" on port 22), as OpenSSH writes it.
    static QString KnownHostsLine(const QString &host, int port, const QByteArray &blob)
    {
        QString type;
        if (blob.size() >= 4) {
            const quint32 n = (quint32(uchar(blob[0])) << 24) | (quint32(uchar(blob[1])) << 16)
                | (quint32(uchar(blob[2])) << 8) | quint32(uchar(blob[3]));
            if (n > 0 && n < 64 && qsizetype(4 + n) <= blob.size())
                type = QString::fromLatin1(blob.mid(4, int(n)));
        }
        if (type.isEmpty())
            return QString();
        const QString name = port == 22 ? host : QStringLiteral("[%1]:%2").arg(host).arg(port);
        return name + QLatin1Char(' ') + type + QLatin1Char(' ') + QString::fromLatin1(blob.toBase64());
    }

    // Adds the key the user accepted to known_hosts (through the checked writer).
    void rememberHostKey()
    {
        if (newKeyLine.isEmpty())
            return;
        QFileInfo info(knownHosts);
        // A folder that cannot be made shows as the write below failing.
        static_cast<void>(MakePrivateFolder(info.absolutePath()));
        QByteArray bytes;
        QFile old(knownHosts);
        if (old.open(QIODevice::ReadOnly))
            bytes = old.readAll();
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += '\n';
        bytes += newKeyLine.toLatin1() + '\n';
        // The key was accepted for this connection; a file that cannot be
        // written only means the question comes again next time.
        static_cast<void>(WritePrivateFileSafely(knownHosts, bytes));
        newKeyLine.clear();
    }
};

// ---------------------------------------------------------------------------

TFtpClient::TFtpClient() : d(std::make_unique<Impl>(this)) {}

TFtpClient::~TFtpClient() = default;

void TFtpClient::SetTimeLimits(int logOnMs, int stallMs)
{
    d->logOnLimit = qMax(100, logOnMs);
    d->stallLimit = qMax(100, stallMs);
}

int TFtpClient::LogOnLimit() const { return d->logOnLimit; }
int TFtpClient::StallLimit() const { return d->stallLimit; }

bool TFtpClient::FromFolder(bool ok)
{
    if (ok)
        d->setOk();
    else
        d->setFailure(m_folder->Failure(), 0, m_folder->ErrorText());
    return ok;
}

bool TFtpClient::Connect(const TFtpLogOn &logOn)
{
    if (d->loggedOn || d->multi || m_folder)
        Disconnect();
    m_folder.reset();
    if (!ProtocolAvailable(logOn.Protocol)) {
        d->setFailure(FtpFailure::Unsupported, 0, QStringLiteral("This version cannot publish by %1.").arg(ProtocolName(logOn.Protocol)));
        return false;
    }
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
    d->knownHosts = logOn.KnownHostsFile.isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh/known_hosts")
                                                   : logOn.KnownHostsFile;
    d->folder.clear();
    d->folderAbsolute = false;
    d->peerFingerprint.clear();
    d->newKeyLine.clear();
    if (d->cancel) {
        d->setFailure(FtpFailure::Cancelled, 0, QStringLiteral("Cancelled."));
        return false;
    }
    QString host;
    int port = 0;
    if (!SplitHostPort(logOn.Host, host, port)) {
        d->setFailure(FtpFailure::Unreachable, 0, QStringLiteral("The server's address is not valid."));
        return false;
    }
    d->logOn.Host = host;
    if (logOn.Port <= 0)
        d->logOn.Port = port;
    d->certificateUnknown = false;
    d->certificateChanged = false;
    d->keyState = Impl::KeyState::None;
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
    if (d->keyState == Impl::KeyState::AcceptedNew)
        d->rememberHostKey();
    return true;
}

bool TFtpClient::MakeFolder(const QString &path)
{
    if (m_folder)
        return FromFolder(m_folder->MakeFolder(path));
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

// "type=file;size=123;modify=20240101000000; name" (RFC 3659), one a line.
QList<TRemoteEntry> ParseMachineListing(const QByteArray &listing)
{
    QList<TRemoteEntry> out;
    for (QByteArray line : listing.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const int space = line.indexOf(' ');
        if (space <= 0 || space + 1 >= line.size())
            continue;
        TRemoteEntry e;
        e.Name = QString::fromUtf8(line.mid(space + 1));
        QByteArray type;
        qint64 size = -1;
        for (const QByteArray &fact : line.left(space).split(';')) {
            const int eq = fact.indexOf('=');
            if (eq <= 0)
                continue;
            const QByteArray key = fact.left(eq).toLower();
            const QByteArray value = fact.mid(eq + 1).toLower();
            if (key == "type") {
                type = value;
            } else if (key == "size") {
                bool ok = false;
                size = value.toLongLong(&ok);
                if (!ok || size < 0)
                    size = -1;
            }
        }
        // A file's size (a folder's says nothing); the folder itself and its parent are left out.
        e.Size = type == "file" ? size : -1;
        const bool self = type == "cdir" || type == "pdir";
        if (!self && e.Name != QLatin1String(".") && e.Name != QLatin1String(".."))
            out << e;
    }
    return out;
}

// One name a line (some servers put the folder before it).
QList<TRemoteEntry> ParseNameListing(const QByteArray &listing)
{
    QList<TRemoteEntry> out;
    for (QByteArray line : listing.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString name = QString::fromUtf8(line).section(QLatin1Char('/'), -1);
        if (!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."))
            out << TRemoteEntry{name, -1};
    }
    return out;
}

bool TFtpClient::ListFolder(const QString &path, QList<TRemoteEntry> &entries)
{
    if (m_folder)
        return FromFolder(m_folder->ListFolder(path, entries));
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
    if (m_folder) {
        const TRemoteSize size = m_folder->RemoteSize(remotePath);
        FromFolder(m_folder->Failure() == FtpFailure::None);
        return size;
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
    return m_folder ? m_folder->Connected() : d->loggedOn && d->controlOpen();
}

QString TFtpClient::CurrentFolder() const
{
    if (m_folder)
        return m_folder->CurrentFolder();
    const QString joined = d->folder.join(QLatin1Char('/'));
    return d->folderAbsolute ? QLatin1Char('/') + joined : joined;
}

QString TFtpClient::PeerFingerprint() const { return d->peerFingerprint; }
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

QString TFtpClient::HostKeyFingerprint(const QByteArray &keyBlob)
{
    QByteArray b64 = QCryptographicHash::hash(keyBlob, QCryptographicHash::Sha256).toBase64();
    while (b64.endsWith('='))
        b64.chop(1);
    return QStringLiteral("SHA256:") + QString::fromLatin1(b64);
}

QString TFtpClient::CertificateFingerprint(const QByteArray &der)
{
    const QByteArray hex = QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper();
    return QString::fromLatin1(hex);
}

bool TFtpClient::SameFingerprint(const QString &a, const QString &b)
{
    const QString x = a.trimmed();
    const QString y = b.trimmed();
    if (x.startsWith(QLatin1String("SHA256:")) || y.startsWith(QLatin1String("SHA256:")))
        return x == y; // base64 is case-sensitive
    QString p = x, r = y;
    p.remove(QLatin1Char(':'));
    r.remove(QLatin1Char(':'));
    return !p.isEmpty() && p.compare(r, Qt::CaseInsensitive) == 0;
}

} // namespace wobbin
