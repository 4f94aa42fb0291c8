#pragma once
// The inside of the transfer client (FtpClient.h), shared by its two halves:
// FtpClient.cpp holds the operations (log on, folders, send, list, delete),
// FtpTransfer.cpp runs them through libcurl: one operation at a time with
// cancel and the time limits, the log-on in turn, the callbacks that feed and
// read the transfer, and what a libcurl result means for the user.

#include "publish/FtpClient.h"
#include "publish/TransferTrust.h"

#include <QFile>
#include <QStringList>

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace wobbin {

class TContentHash;

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

struct TFtpClient::Impl {
    TFtpClient *q = nullptr;
    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    TFtpLogOn logOn;
    bool loggedOn = false;
    bool folderAbsolute = false;   // the current folder starts at the server's root
    QStringList folder;            // the current folder's names
    int logOnLimit = 20000;
    int stallLimit = 30000;
    int connections = 0;

    int errorCode = 0;
    FtpFailure failure = FtpFailure::None;
    QString errorText;

    // Certificate and host key checks (filled by the callbacks).
    TTransferTrust trust;

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

    explicit Impl(TFtpClient *owner);
    ~Impl();

    // ---- connection set-up
    QString hostForUrl() const;
    int port() const { return logOn.Port > 0 ? logOn.Port : DefaultPort(logOn.Protocol); }
    bool sftp() const { return logOn.Protocol == TTransferProtocol::SFTP; }
    QString folderUrl(const QStringList &names, bool absolute) const;
    QString sftpPath(const QStringList &names, bool absolute) const;
    void applyLogOnOptions(const QString &secret);
    void resetOperation();

    // ---- running one operation
    CURLcode perform(OpKind kind);
    int idleWait();
    bool controlOpen();
    void shutdownSockets();
    void abortNow();
    void watch();
    void renewHandle();
    void closeMulti();

    // ---- outcome of an operation
    void setOk();
    void setFailure(FtpFailure f, int code, const QString &text);
    void setFromResult(CURLcode result, OpKind kind);
    bool run(OpKind kind = OpKind::Work);
    bool runCommands(const QString &url, const CommandList &commands, OpKind kind = OpKind::Work);

    // ---- the log-on
    bool keyFilesUsable();
    CURLcode tryLogOn(const TLogOnAttempt &attempt, const QString &password, QString &passphrase);
    bool logOnInTurn(const QString &password);
    static int libraryNote(CURL *, curl_infotype type, char *data, size_t size, void *user);

    // ---- callbacks
    static size_t received(char *data, size_t size, size_t count, void *user);
    static size_t serverReply(char *data, size_t size, size_t count, void *user);
    static size_t readSource(char *buffer, size_t size, size_t count, void *data);
    static int progressCallback(void *data, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow);
    static curl_socket_t openSocket(void *data, curlsocktype, curl_sockaddr *address);
    static int closeSocket(void *data, curl_socket_t s);
    void lingerBeforeClose(curl_socket_t s);
};

} // namespace wobbin
