#include "publish/WebDavClient.h"
#include "publish/ListingParse.h"

#include "base/Secrets.h"
#include "publish/ContentHash.h"
#include "publish/ServerCertificate.h"
#include "publish/TransferLibrary.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <chrono>

namespace wobbin {
namespace {

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Headers of one request.
struct HeaderList {
    curl_slist *list = nullptr;
    explicit HeaderList(const QList<QByteArray> &lines)
    {
        for (const QByteArray &l : lines)
            list = curl_slist_append(list, l.constData());
    }
    ~HeaderList() { curl_slist_free_all(list); }
    HeaderList(const HeaderList &) = delete;
    HeaderList &operator=(const HeaderList &) = delete;
};

const QByteArray kPropfindBody = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:resourcetype/><D:getcontentlength/></D:prop></D:propfind>\n");

} // namespace

struct TWebDavClient::Impl {
    const std::atomic<bool> &cancel;
    const std::function<void(qint64, qint64)> &progress;
    CURL *easy = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    TFtpLogOn logOn;
    QString base;           // "http://host:port"
    QStringList folder;     // the current folder's names below the root
    bool connected = false;
    int logOnLimit = 20000;
    int stallLimit = 30000;

    FtpFailure failure = FtpFailure::None;
    QString errorText;
    long status = 0;
    TCertificateCheck certificate;

    // The running request.
    enum class Kind { LogOn, Work, Cleanup } kind = Kind::Work;
    QByteArray answer;
    bool answerOverflow = false;
    QFile *source = nullptr;
    TContentHash *digest = nullptr;
    qint64 sourceSize = 0;
    bool readFailed = false;
    bool timedOut = false;
    qint64 deadline = 0;
    qint64 lastMoved = -1;
    qint64 lastMoveAt = 0;
    qint64 lastShown = -1;

    Impl(const std::atomic<bool> &c, const std::function<void(qint64, qint64)> &p) : cancel(c), progress(p)
    {
        InitTransferLibrary();
    }
    ~Impl() { drop(); }

    void drop()
    {
        if (easy)
            curl_easy_cleanup(easy); // libcurl's copies of login and password go, overwritten
        easy = nullptr;
    }

    // ---- addresses

    QString url(const QStringList &names, bool isFolder) const
    {
        QString u = base + QLatin1Char('/');
        for (const QString &n : names)
            u += QString::fromLatin1(QUrl::toPercentEncoding(n)) + QLatin1Char('/');
        if (!isFolder && !names.isEmpty())
            u.chop(1);
        return u;
    }

    // The names of path (from the root when it starts with "/", else below
    // the current folder); false when one of them is not allowed.
    bool names(const QString &path, QStringList &out)
    {
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        out = path.startsWith(QLatin1Char('/')) ? QStringList() : folder;
        for (const QString &p : parts) {
            if (!SafeRemoteName(p)) {
                setFailure(FtpFailure::BadName, QStringLiteral("The remote name %1 is not allowed.").arg(path));
                return false;
            }
            out << p;
        }
        return true;
    }

    // ---- one request

    void options()
    {
        curl_easy_reset(easy);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
        const bool secure = logOn.Protocol == TTransferProtocol::WebDAVS;
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, secure ? "https" : "http");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(easy, CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
        curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(logOnLimit));
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024L);
        // Basic or Digest, whichever the server asks for: with more than one
        // way allowed, nothing is sent before the server's challenge.
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC | CURLAUTH_DIGEST));
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Impl::onProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::received);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Impl::readSource);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
        curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &Impl::seekSource);
        curl_easy_setopt(easy, CURLOPT_SEEKDATA, this);
        if (secure) {
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
            // The name is checked with the chain, where an accepted
            // certificate may stand for a server of another name.
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &Impl::sslContext);
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &certificate);
            if (!logOn.TrustStore.isEmpty()) {
                curl_easy_setopt(easy, CURLOPT_CAINFO, logOn.TrustStore.toLocal8Bit().constData());
                curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
            }
        }
    }

    // Sends one request; true when an answer came (its status in status).
    bool perform(const char *method, const QString &target, Kind k, const QList<QByteArray> &headers = {},
                 const QByteArray *body = nullptr, QFile *upload = nullptr)
    {
        if (k != Kind::Cleanup && cancel) {
            setFailure(FtpFailure::Cancelled, QStringLiteral("Cancelled."));
            return false;
        }
        kind = k;
        answer.clear();
        answerOverflow = false;
        readFailed = false;
        timedOut = false;
        status = 0;
        errorBuffer[0] = 0;
        lastMoved = -1;
        lastMoveAt = NowMs();
        lastShown = -1;
        deadline = lastMoveAt + (k == Kind::Cleanup ? qMin(logOnLimit, 1500) : logOnLimit);
        HeaderList list(headers);
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(easy, CURLOPT_URL, target.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list.list);
        if (body) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body->constData());
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()));
        } else if (upload) {
            source = upload;
            sourceSize = upload->size();
            curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(sourceSize));
        }
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method);
        const CURLcode result = curl_easy_perform(easy);
        source = nullptr;
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, nullptr);
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
        if (result == CURLE_OK) {
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            return true;
        }
        setFromResult(result);
        return false;
    }

    // ---- callbacks

    static int onProgress(void *data, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up)
    {
        auto *self = static_cast<Impl *>(data);
        if (self->kind != Kind::Cleanup && self->cancel)
            return 1;
        const qint64 now = NowMs();
        const qint64 moved = qint64(down) + qint64(up);
        if (moved != self->lastMoved) {
            self->lastMoved = moved;
            self->lastMoveAt = now;
        }
        const bool over = self->kind == Kind::Work ? now - self->lastMoveAt > self->stallLimit : now > self->deadline;
        if (over) {
            self->timedOut = true;
            return 1;
        }
        if (self->source && qint64(up) != self->lastShown && self->progress) {
            self->lastShown = qint64(up);
            self->progress(qint64(up), self->sourceSize);
        }
        return 0;
    }

    static size_t received(char *data, size_t size, size_t count, void *user)
    {
        auto *self = static_cast<Impl *>(user);
        const size_t bytes = size * count;
        if (self->answer.size() + qint64(bytes) > kMaxAnswerBytes) {
            self->answerOverflow = true;
            return 0;
        }
        self->answer.append(data, qsizetype(bytes));
        return bytes;
    }

    static size_t readSource(char *buffer, size_t size, size_t count, void *data)
    {
        auto *self = static_cast<Impl *>(data);
        if (!self->source)
            return 0;
        const qint64 got = self->source->read(buffer, qint64(size * count));
        if (got < 0) {
            self->readFailed = true;
            return CURL_READFUNC_ABORT;
        }
        if (self->digest)
            self->digest->Add(buffer, got);
        return size_t(got);
    }

    // libcurl sends the file again after the server asked for the login.
    static int seekSource(void *data, curl_off_t offset, int origin)
    {
        auto *self = static_cast<Impl *>(data);
        if (!self->source || origin != SEEK_SET || offset != 0 || !self->source->seek(0))
            return CURL_SEEKFUNC_CANTSEEK;
        if (self->digest)
            self->digest->Reset();
        return CURL_SEEKFUNC_OK;
    }

    static CURLcode sslContext(CURL *, void *context, void *data)
    {
        SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX *>(context), &CheckServerCertificate, data);
        return CURLE_OK;
    }

    // ---- outcome

    void setOk()
    {
        failure = FtpFailure::None;
        errorText.clear();
    }

    void setFailure(FtpFailure f, const QString &text)
    {
        failure = f;
        errorText = text;
    }

    void setFromResult(CURLcode result)
    {
        const QString detail = QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(result));
        if (kind != Kind::Cleanup && cancel)
            return setFailure(FtpFailure::Cancelled, QStringLiteral("Cancelled."));
        if (readFailed)
            return setFailure(FtpFailure::LocalFile, QStringLiteral("The file could not be read."));
        if (certificate.Unknown)
            return setFailure(certificate.Changed ? FtpFailure::ChangedCertificate : FtpFailure::UnknownCertificate,
                              certificate.Changed ? QStringLiteral("The server's certificate differs from the one accepted before.")
                                                  : certificate.Problem);
        if (answerOverflow)
            return setFailure(FtpFailure::Refused, QStringLiteral("The server's answer is too large."));
        const bool loggingOn = kind == Kind::LogOn;
        if (timedOut || result == CURLE_OPERATION_TIMEDOUT) {
            connected = false;
            if (loggingOn)
                return setFailure(FtpFailure::LogOnTimeout, QStringLiteral("The server did not answer in time."));
            return setFailure(FtpFailure::Stalled, QStringLiteral("Nothing moved for %1 seconds.").arg(stallLimit / 1000));
        }
        switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            connected = false;
            return setFailure(FtpFailure::Unreachable, detail);
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ENGINE_INITFAILED:
            connected = false;
            return setFailure(FtpFailure::TlsFailed, detail);
        default:
            connected = false;
            return setFailure(loggingOn ? FtpFailure::Unreachable : FtpFailure::ConnectionLost, detail);
        }
    }

    // What an HTTP answer other than success means.
    bool failStatus()
    {
        const QString text = QStringLiteral("The server answered HTTP %1.").arg(status);
        if (status == 401 || status == 407)
            setFailure(FtpFailure::LogOnRefused, QStringLiteral("The login name or password was not accepted."));
        else if (status == 507)
            setFailure(FtpFailure::ServerFull, text);
        else
            setFailure(FtpFailure::Refused, text);
        return false;
    }

    bool succeeded() const { return status >= 200 && status < 300; }

    bool isFolder(const QStringList &names)
    {
        const QByteArray depth = QByteArrayLiteral("Depth: 0");
        if (!perform("PROPFIND", url(names, true), Kind::Work, {depth, QByteArrayLiteral("Content-Type: application/xml; charset=utf-8")},
                     &kPropfindBody))
            return false;
        if (status != 207)
            return failStatus();
        QList<TDavEntry> entries;
        if (!ParseMultistatus(answer, entries) || entries.isEmpty() || !entries.first().Folder) {
            setFailure(FtpFailure::Refused, QStringLiteral("It is not a folder on the server."));
            return false;
        }
        return true;
    }

    // PROPFIND with depth 1 below a folder: its entries (one level below it only).
    bool list(const QStringList &names, QList<TDavEntry> &out)
    {
        if (!perform("PROPFIND", url(names, true), Kind::Work,
                     {QByteArrayLiteral("Depth: 1"), QByteArrayLiteral("Content-Type: application/xml; charset=utf-8")},
                     &kPropfindBody))
            return false;
        if (status != 207)
            return failStatus();
        QList<TDavEntry> entries;
        if (!ParseMultistatus(answer, entries)) {
            setFailure(FtpFailure::Refused, QStringLiteral("The server's listing could not be read."));
            return false;
        }
        // Hrefs may start with a folder the server is mounted at: the
        // folder's own names end them, and an entry is one name more.
        for (const TDavEntry &e : std::as_const(entries)) {
            if (e.Path.size() != names.size() + 1 || !SafeRemoteName(e.Path.last()))
                continue;
            if (e.Path.mid(0, names.size()) != names)
                continue;
            out << e;
        }
        return true;
    }

    bool remove(const QStringList &names, Kind k)
    {
        if (!perform("DELETE", url(names, false), k))
            return false;
        return succeeded() || failStatus();
    }
};

// ---------------------------------------------------------------------------

TWebDavClient::TWebDavClient(const std::atomic<bool> &cancel, const std::function<void(qint64, qint64)> &progress)
    : d(std::make_unique<Impl>(cancel, progress))
{
}

TWebDavClient::~TWebDavClient() = default;

void TWebDavClient::SetTimeLimits(int logOnMs, int stallMs)
{
    d->logOnLimit = logOnMs;
    d->stallLimit = stallMs;
}

bool TWebDavClient::Connect(const TFtpLogOn &logOn)
{
    d->drop();
    d->connected = false;
    d->folder.clear();
    d->logOn = logOn;
    d->logOn.Password.clear();
    d->certificate.Clear();
    d->certificate.Host = logOn.Host;
    d->certificate.TrustedFingerprint = logOn.TrustedFingerprint;
    const bool secure = logOn.Protocol == TTransferProtocol::WebDAVS;
    const QString host = logOn.Host.contains(QLatin1Char(':')) ? QLatin1Char('[') + logOn.Host + QLatin1Char(']') : logOn.Host;
    const int port = logOn.Port > 0 ? logOn.Port : (secure ? 443 : 80);
    d->base = (secure ? QStringLiteral("https://") : QStringLiteral("http://")) + host + QLatin1Char(':') + QString::number(port);
    d->easy = curl_easy_init();
    d->options();
    curl_easy_setopt(d->easy, CURLOPT_USERNAME, logOn.UserName.toUtf8().constData());
    QByteArray password = logOn.Password.toUtf8();
    curl_easy_setopt(d->easy, CURLOPT_PASSWORD, password.constData());
    WipeBytes(password);
    if (!d->perform("OPTIONS", d->url({}, true), Impl::Kind::LogOn))
        return false;
    if (d->status == 401 || d->status == 407)
        return d->failStatus();
    d->connected = true;
    d->setOk();
    return true;
}

bool TWebDavClient::MakeFolder(const QString &path)
{
    QStringList names;
    if (!d->names(path, names))
        return false;
    // Each level below the current folder in turn: those above the last may
    // be there already (or be no folder of WebDAV's); only the last one's
    // answer counts.
    const qsizetype first = path.startsWith(QLatin1Char('/')) ? 1 : d->folder.size() + 1;
    if (first > names.size()) {
        d->setFailure(FtpFailure::BadName, QStringLiteral("No folder to make in %1.").arg(path));
        return false;
    }
    for (qsizetype k = first; k <= names.size(); ++k) {
        if (!d->perform("MKCOL", d->url(names.mid(0, k), true), Impl::Kind::Work))
            return false;
        if (d->status == 401 || d->status == 407 || d->status == 507)
            return d->failStatus();
        if (k == names.size() && !d->succeeded())
            return d->failStatus(); // 405: there already
    }
    d->setOk();
    return true;
}

bool TWebDavClient::ChangeFolder(const QString &path)
{
    QStringList names;
    if (!d->names(path, names))
        return false;
    if (!names.isEmpty() && !d->isFolder(names))
        return false;
    d->folder = names;
    d->setOk();
    return true;
}

bool TWebDavClient::SendFile(const QString &localPath, const QString &remotePath, RemotePresence presence,
                             TFileFingerprint *sent)
{
    if (sent)
        *sent = TFileFingerprint();
    QStringList names;
    if (remotePath.startsWith(QLatin1Char('/')) || !d->names(remotePath, names) || names.size() == d->folder.size()) {
        d->setFailure(FtpFailure::BadName, QStringLiteral("The remote name %1 is not allowed.").arg(remotePath));
        return false;
    }
    QFile file(localPath);
    if (!QFileInfo(localPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        d->setFailure(FtpFailure::LocalFile, QStringLiteral("The file could not be read."));
        return false;
    }
    const QString name = names.takeLast();
    const QStringList temporary = names + QStringList{TFtpClient::TemporaryName(name)};
    const QStringList final = names + QStringList{name};
    TContentHash digest;
    const auto put = [&](const QStringList &as) {
        file.seek(0);
        digest.Reset();
        d->digest = &digest;
        const bool answered = d->perform("PUT", d->url(as, false), Impl::Kind::Work, {}, nullptr, &file);
        d->digest = nullptr;
        return answered && (d->succeeded() || d->failStatus());
    };
    const auto done = [&] {
        if (sent) {
            sent->Size = digest.Length();
            sent->Digest = digest.HexResult();
        }
        d->setOk();
        return true;
    };
    // A failure's cause outlives the removal of what arrived of the file.
    const auto failed = [&](const QStringList &leftover) {
        const FtpFailure failure = d->failure;
        const QString text = d->errorText;
        d->remove(leftover, Impl::Kind::Cleanup);
        d->setFailure(failure, text);
        return false;
    };

    if (presence == RemotePresence::Absent)
        return put(final) ? done() : failed(final);
    if (!put(temporary)) {
        // Some servers refuse names starting with a dot: sent directly then.
        if (d->failure == FtpFailure::Refused && put(final))
            return done();
        return failed(temporary);
    }
    const QByteArray destination = QByteArrayLiteral("Destination: ") + d->url(final, false).toUtf8();
    if (d->perform("MOVE", d->url(temporary, false), Impl::Kind::Work, {destination, QByteArrayLiteral("Overwrite: T")})
        && (d->succeeded() || d->failStatus()))
        return done();
    return failed(temporary);
}

bool TWebDavClient::ListFolder(const QString &path, QList<TRemoteEntry> &entries)
{
    entries.clear();
    QStringList names;
    if (!d->names(path, names))
        return false;
    QList<TDavEntry> found;
    if (!d->list(names, found))
        return false;
    for (const TDavEntry &e : std::as_const(found))
        entries << TRemoteEntry{e.Path.last(), e.Folder ? -1 : e.Size};
    d->setOk();
    return true;
}

bool TWebDavClient::DeleteFile(const QString &remotePath)
{
    QStringList names;
    if (remotePath.startsWith(QLatin1Char('/')) || !d->names(remotePath, names) || names.size() == d->folder.size()) {
        d->setFailure(FtpFailure::BadName, QStringLiteral("The remote name %1 is not allowed.").arg(remotePath));
        return false;
    }
    if (!d->remove(names, Impl::Kind::Work))
        return false;
    d->setOk();
    return true;
}

TRemoteSize TWebDavClient::RemoteSize(const QString &remotePath)
{
    QStringList names;
    if (!d->names(remotePath, names) || names.size() == d->folder.size())
        return TRemoteSize{TRemoteSize::Unknown, -1};
    if (!d->perform("PROPFIND", d->url(names, false), Impl::Kind::Work,
                    {QByteArrayLiteral("Depth: 0"), QByteArrayLiteral("Content-Type: application/xml; charset=utf-8")},
                    &kPropfindBody))
        return TRemoteSize{TRemoteSize::Unknown, -1};
    if (d->status == 404 || d->status == 409) {
        d->setOk();
        return TRemoteSize{TRemoteSize::Missing, -1};
    }
    if (d->status != 207) {
        d->failStatus();
        return TRemoteSize{TRemoteSize::Unknown, -1};
    }
    QList<TDavEntry> entries;
    if (!ParseMultistatus(d->answer, entries) || entries.size() != 1 || entries.first().Folder
        || entries.first().Size < 0) {
        d->setFailure(FtpFailure::Refused, QStringLiteral("The server gave no size."));
        return TRemoteSize{TRemoteSize::Unknown, -1};
    }
    d->setOk();
    return TRemoteSize{TRemoteSize::Known, entries.first().Size};
}

void TWebDavClient::Disconnect()
{
    d->drop();
    d->connected = false;
    d->folder.clear();
}

bool TWebDavClient::Connected() const { return d->connected && d->easy; }
QString TWebDavClient::CurrentFolder() const { return d->folder.join(QLatin1Char('/')); }
FtpFailure TWebDavClient::Failure() const { return d->failure; }
QString TWebDavClient::ErrorText() const { return d->errorText; }
QString TWebDavClient::PeerFingerprint() const { return d->certificate.Fingerprint; }
long TWebDavClient::LastStatus() const { return d->status; }

bool TWebDavClient::ParseMultistatus(const QByteArray &xml, QList<TDavEntry> &entries)
{
    entries.clear();
    if (xml.size() > kMaxAnswerBytes)
        return false;
    const QString dav = QStringLiteral("DAV:");
    QXmlStreamReader reader(xml);
    bool multistatus = false;
    bool inResponse = false;
    TDavEntry entry;
    bool entryOk = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            return false; // no declarations of its own: nothing is expanded
        if (token == QXmlStreamReader::StartElement) {
            if (reader.namespaceUri() != dav)
                continue;
            const QStringView name = reader.name();
            if (name == QLatin1String("multistatus")) {
                multistatus = true;
            } else if (name == QLatin1String("response")) {
                inResponse = true;
                entry = TDavEntry();
                entryOk = false;
            } else if (inResponse && name == QLatin1String("href")) {
                QString href = reader.readElementText().trimmed();
                const qsizetype scheme = href.indexOf(QLatin1String("://"));
                if (scheme >= 0) {
                    const qsizetype slash = href.indexOf(QLatin1Char('/'), scheme + 3);
                    href = slash < 0 ? QString() : href.mid(slash);
                }
                entryOk = href.startsWith(QLatin1Char('/'));
                entry.Path.clear();
                for (const QString &part : href.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
                    const QString decoded = QUrl::fromPercentEncoding(part.toLatin1());
                    if (!SafeRemoteName(decoded) || decoded.contains(QChar::ReplacementCharacter))
                        entryOk = false;
                    entry.Path << decoded;
                }
            } else if (inResponse && name == QLatin1String("collection")) {
                entry.Folder = true;
            } else if (inResponse && name == QLatin1String("getcontentlength")) {
                bool ok = false;
                const qint64 size = reader.readElementText().trimmed().toLongLong(&ok);
                entry.Size = ok && size >= 0 ? size : -1;
            }
        } else if (token == QXmlStreamReader::EndElement && reader.namespaceUri() == dav
                   && reader.name() == QLatin1String("response")) {
            if (entryOk)
                entries << entry;
            inResponse = false;
        }
    }
    return !reader.hasError() && multistatus;
}

} // namespace wobbin
