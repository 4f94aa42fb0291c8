#include "publish/PageVerify.h"

#include "strings/StringTable.h"
#include "publish/AddressKind.h"
#include "publish/TransferLibrary.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <curl/curl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <mutex>
#include <optional>

namespace wobbin {
namespace {

// Texts of the check in the string table.
enum : int {
    sLive = 300,
    sNoAddress = 301,
    sBadAddress = 302,
    sNoAnswer = 303,
    sNotFound = 304,
    sOtherPage = 305,
    sFolderNamed = 306,
    sLogOnFolder = 307,
    sOldCopy = 308,
    sNotSentSinceChange = 309,
    sIndexInTheWay = 310,
    sForbidden = 311,
    sServerTrouble = 312,
    sOtherAnswer = 313,
    sBadCertificate = 314,
    sCancelled = 315,
    sPicturesWrong = 316,
    sPicturesMissing = 317,
    sPicturesDifferent = 318,
    sPicturesUnchecked = 319,
    sTooManyRedirects = 320,
    sOtherKindOfAddress = 321,
    sRedirectedInside = 330,
    sRedirectChain = 331,
};

// Redirections followed for one address, as a browser would at least.
constexpr int kMaxRedirects = 5;

void GlobalInit()
{
    InitTransferLibrary();
}

// One answer of the web server.
struct Answer {
    CURLcode Code = CURLE_OK;
    long Status = 0;
    QByteArray Body;
    bool Overflow = false;   // more than the most that was wanted
    bool CacheHit = false;   // the final answer's headers say a cache gave it
    bool TimedOut = false;   // the check's time was up
    bool Cancelled = false;
    QString EffectiveUrl;
    bool RedirectLoop = false; // CURLE_TOO_MANY_REDIRECTS: a redirection back to an address already seen
    QString RefusedHost;     // a redirection led there, into another kind of network
    AddressKind RefusedKind = AddressKind::Public;
};

struct Transfer {
    QByteArray *body = nullptr;
    qint64 maxBytes = 0;
    bool overflow = false;
    bool cacheHit = false;
    const std::atomic<bool> *cancel = nullptr;
};

size_t WriteBody(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const qint64 n = qint64(size * count);
    if (t->body->size() + n > t->maxBytes) {
        t->overflow = true;
        return 0; // ends the transfer: it is not what was sent anyway
    }
    t->body->append(data, n);
    return size_t(n);
}

size_t ReadHeader(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/")) {
        t->cacheHit = false; // a new answer (after a redirect or a 100 Continue)
        return size * count;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed().toUpper();
        if (name == "age")
            t->cacheHit = t->cacheHit || value.toLongLong() > 0;
        else if (name == "x-cache" || name == "cf-cache-status" || name == "x-cache-status"
                 || name == "x-proxy-cache")
            t->cacheHit = t->cacheHit || value.startsWith("HIT");
    }
    return size * count;
}

int Progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *t = static_cast<Transfer *>(user);
    return t->cancel && t->cancel->load() ? 1 : 0;
}

// The kinds of address one check has met: the first connection sets where it
// started; every later one (redirections, pictures) must be of that kind or
// on the Internet (MayRedirect).
struct AddressGuard {
    std::optional<AddressKind> start;
    QString refusedHost;
    AddressKind refusedKind = AddressKind::Public;
};

QString AddressText(const sockaddr *a)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (a->sa_family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, a, sizeof in);
        inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    } else if (a->sa_family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, a, sizeof in6);
        inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
    }
    return QString::fromLatin1(text);
}

// Every connection's address, also of names that resolve into a private
// network and of names that change their address between two requests.
curl_socket_t OpenSocket(void *user, curlsocktype, curl_sockaddr *address)
{
    auto *guard = static_cast<AddressGuard *>(user);
    const AddressKind kind = ClassifySocketAddress(&address->addr);
    if (!guard->start) {
        guard->start = kind;
    } else if (!MayRedirect(*guard->start, kind)) {
        guard->refusedHost = AddressText(&address->addr);
        guard->refusedKind = kind;
        return CURL_SOCKET_BAD; // curl tries the name's other addresses, if any
    }
    return ::socket(address->family, address->socktype, address->protocol);
}

class Fetcher
{
public:
    Fetcher(int timeLimitMs, const std::atomic<bool> *cancel) : m_limit(timeLimitMs), m_cancel(cancel)
    {
        GlobalInit();
        m_clock.start();
        m_curl = curl_easy_init();
        m_headers = curl_slist_append(m_headers, "Cache-Control: no-cache");
        m_headers = curl_slist_append(m_headers, "Pragma: no-cache");
    }
    ~Fetcher()
    {
        curl_slist_free_all(m_headers);
        if (m_curl)
            curl_easy_cleanup(m_curl);
    }
    Fetcher(const Fetcher &) = delete;
    Fetcher &operator=(const Fetcher &) = delete;

    qint64 RemainingMs() const { return m_limit - m_clock.elapsed(); }

    // Follows at most kMaxRedirects redirections, to http and https
    // addresses only, never from one kind of network into another (AddressKind.h).
    Answer Get(const QString &url, qint64 maxBytes)
    {
        Answer a;
        QString current = url;
        QSet<QString> seen{url};
        for (int hop = 0;; ++hop) {
            a = GetOne(current, maxBytes);
            if (a.Code != CURLE_OK || a.Status < 300 || a.Status >= 400)
                return a;
            char *location = nullptr;
            if (curl_easy_getinfo(m_curl, CURLINFO_REDIRECT_URL, &location) != CURLE_OK || !location)
                return a; // a redirection without a target: reported as the answer it is
            const QString next = QString::fromUtf8(location);
            const QUrl target(next);
            if (target.scheme() != QLatin1String("http") && target.scheme() != QLatin1String("https")) {
                a.Code = CURLE_UNSUPPORTED_PROTOCOL;
                return a;
            }
            if (hop >= kMaxRedirects || seen.contains(next)) {
                a.Code = CURLE_TOO_MANY_REDIRECTS;
                a.RedirectLoop = seen.contains(next);
                return a;
            }
            seen.insert(next);
            // An address written as numbers (in any spelling) or "localhost"
            // is known before connecting; also where a proxy connects instead.
            const std::optional<AddressKind> kind = ClassifyHostText(target.host());
            if (kind && m_guard.start && !MayRedirect(*m_guard.start, *kind)) {
                a.Code = CURLE_COULDNT_CONNECT;
                a.RefusedHost = target.host();
                a.RefusedKind = *kind;
                return a;
            }
            current = next;
        }
    }

private:
    Answer GetOne(const QString &url, qint64 maxBytes)
    {
        Answer a;
        if (m_cancel && m_cancel->load()) {
            a.Cancelled = true;
            return a;
        }
        const qint64 remaining = RemainingMs();
        if (remaining <= 0 || !m_curl) {
            a.TimedOut = true;
            a.Code = CURLE_OPERATION_TIMEDOUT;
            return a;
        }
        Transfer t;
        t.body = &a.Body;
        t.maxBytes = maxBytes;
        t.cancel = m_cancel;
        CURL *c = m_curl;
        const QByteArray u = url.toUtf8();
        curl_easy_setopt(c, CURLOPT_URL, u.constData());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, &OpenSocket);
        curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &m_guard);
        curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(c, CURLOPT_USERAGENT, "Wobbin Express/" WOBBIN_VERSION_TEXT " (is my page live?)");
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(remaining));
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(remaining));
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &ReadHeader);
        curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Progress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        m_guard.refusedHost.clear();
        a.Code = curl_easy_perform(c);
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &a.Status);
        char *effective = nullptr;
        if (curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
            a.EffectiveUrl = QString::fromUtf8(effective);
        a.Overflow = t.overflow;
        a.CacheHit = t.cacheHit;
        a.Cancelled = a.Code == CURLE_ABORTED_BY_CALLBACK && m_cancel && m_cancel->load();
        a.TimedOut = a.Code == CURLE_OPERATION_TIMEDOUT && RemainingMs() <= 0;
        if (a.Overflow && a.Code == CURLE_WRITE_ERROR)
            a.Code = CURLE_OK; // the part read is enough to tell it differs
        if (a.Code == CURLE_COULDNT_CONNECT && !m_guard.refusedHost.isEmpty()) {
            a.RefusedHost = m_guard.refusedHost;
            a.RefusedKind = m_guard.refusedKind;
        }
        return a;
    }

    CURL *m_curl = nullptr;
    curl_slist *m_headers = nullptr;
    qint64 m_limit;
    const std::atomic<bool> *m_cancel;
    QElapsedTimer m_clock;
    AddressGuard m_guard;
};

bool Success(long status) { return status >= 200 && status < 300; }

// The verdict of a page answer that is no page: an error of the transfer or of HTTP.
bool ClassifyFailure(const Answer &a, TVerifyResult &r)
{
    if (a.Cancelled) {
        r.Verdict = VerifyVerdict::Cancelled;
        return true;
    }
    if (!a.RefusedHost.isEmpty()) {
        r.Verdict = VerifyVerdict::OtherAnswer;
        r.Detail = LoadStr(sRedirectedInside).arg(a.RefusedHost, DescribeAddressKind(a.RefusedKind));
        return true;
    }
    switch (a.Code) {
    case CURLE_OK:
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_URL_MALFORMAT:
        r.Verdict = VerifyVerdict::BadAddress;
        return true;
    case CURLE_UNSUPPORTED_PROTOCOL:
        if (a.Status >= 300 && a.Status < 400) { // a redirection to something other than a web page
            r.Verdict = VerifyVerdict::OtherAnswer;
            r.Detail = LoadStr(sOtherKindOfAddress);
        } else {
            r.Verdict = VerifyVerdict::BadAddress;
        }
        return true;
    case CURLE_TOO_MANY_REDIRECTS:
        r.Verdict = VerifyVerdict::OtherAnswer;
        r.Detail = a.RedirectLoop ? LoadStr(sTooManyRedirects) : LoadStr(sRedirectChain).arg(kMaxRedirects);
        return true;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        r.Verdict = VerifyVerdict::BadCertificate;
        return true;
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        r.Verdict = VerifyVerdict::NoAnswer;
        return true;
    default:
        r.Verdict = VerifyVerdict::OtherAnswer;
        r.Detail = QString::fromUtf8(curl_easy_strerror(a.Code));
        return true;
    }
    if (Success(a.Status))
        return false;
    if (a.Status == 404 || a.Status == 410)
        r.Verdict = VerifyVerdict::NotFound;
    else if (a.Status == 401 || a.Status == 403)
        r.Verdict = VerifyVerdict::Forbidden;
    else if (a.Status >= 500)
        r.Verdict = VerifyVerdict::ServerTrouble;
    else
        r.Verdict = VerifyVerdict::OtherAnswer;
    r.Detail = QString::number(a.Status);
    return true;
}

QString Link(const QString &address)
{
    const QString e = address.toHtmlEscaped();
    return QStringLiteral("<a href=\"%1\">%1</a>").arg(e);
}

QString HostOf(const QString &address)
{
    const QString host = QUrl(address).host();
    return host.isEmpty() ? address : host;
}

} // namespace

QString PageAddress(const QString &siteUrl, const QString &remotePageName)
{
    QString site = siteUrl.trimmed();
    if (site.isEmpty())
        return QString();
    if (!site.contains(QLatin1String("://")))
        site.prepend(QStringLiteral("http://"));
    // A site address naming a page ("http://host/~ann/home.html") keeps its folder.
    const qsizetype slash = site.lastIndexOf(QLatin1Char('/'));
    const qsizetype schemeEnd = site.indexOf(QLatin1String("://")) + 2;
    static const QRegularExpression kPage(QStringLiteral("\\.(html?|shtml|php|asp)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (slash > schemeEnd && kPage.match(site.mid(slash + 1)).hasMatch())
        site.truncate(slash + 1);
    if (!site.endsWith(QLatin1Char('/')))
        site += QLatin1Char('/');
    return site + QString::fromUtf8(QUrl::toPercentEncoding(remotePageName, "/"));
}

TVerifyResult VerifyPage(const TVerifyInput &input, const std::atomic<bool> *cancel)
{
    TVerifyResult r;
    r.Address = PageAddress(input.SiteUrl, input.RemotePageName);
    auto finish = [&](VerifyVerdict verdict) {
        r.Verdict = verdict;
        DescribeVerifyResult(r, input);
        return r;
    };
    if (r.Address.isEmpty())
        return finish(VerifyVerdict::NoAddress);
    const QUrl url(r.Address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return finish(VerifyVerdict::BadAddress);

    Fetcher fetch(input.TimeLimitMs, cancel);
    const TFileFingerprint sent = FingerprintText(input.SentPage);
    const Answer page = fetch.Get(r.Address, qMax<qint64>(input.SentPage.size() * 2 + 65536, 1 << 20));
    r.HttpStatus = int(page.Status);
    r.FinalAddress = page.EffectiveUrl.isEmpty() ? r.Address : page.EffectiveUrl;
    if (ClassifyFailure(page, r))
        return finish(r.Verdict);

    const TFileFingerprint served = page.Overflow ? TFileFingerprint() : FingerprintText(page.Body);
    if (!served.Valid() || served.Digest != sent.Digest) {
        const bool earlier = served.Valid() && input.PreviousPage.Valid() && served.Digest == input.PreviousPage.Digest;
        if (earlier && input.ChangedSinceSent)
            return finish(VerifyVerdict::NotSentSinceChange);
        if (earlier || page.CacheHit)
            return finish(VerifyVerdict::OldCopy);
        return finish(VerifyVerdict::OtherPage);
    }

    // The pictures, relative to where the page was found.
    const QUrl base(r.FinalAddress);
    QSet<QString> seen;
    for (const TVerifyPicture &p : input.Pictures) {
        QString ref = p.Reference.trimmed();
        ref.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (ref.isEmpty() || seen.contains(ref))
            continue;
        seen.insert(ref);
        if (!p.Expected.Valid())
            continue; // not readable here: the upload reported it
        if (fetch.RemainingMs() <= 0) {
            r.UncheckedPictures << ref;
            continue;
        }
        const QUrl pictureUrl = base.resolved(QUrl(ref, QUrl::TolerantMode));
        const Answer a = fetch.Get(pictureUrl.toString(QUrl::FullyEncoded), p.Expected.Size + 1);
        if (a.Cancelled)
            return finish(VerifyVerdict::Cancelled);
        if (a.TimedOut) {
            r.UncheckedPictures << ref;
        } else if (a.Code != CURLE_OK || !Success(a.Status)) {
            r.MissingPictures << ref;
        } else if (a.Overflow || FingerprintBytes(a.Body).Digest != p.Expected.Digest) {
            r.DifferentPictures << ref;
        }
    }
    if (!r.MissingPictures.isEmpty() || !r.DifferentPictures.isEmpty())
        return finish(VerifyVerdict::PicturesWrong);

    // An index page is shown for the site's bare address: is it this one?
    if (input.RemotePageName == QLatin1String("index.html") && fetch.RemainingMs() > 0) {
        const QString root = base.resolved(QUrl(QStringLiteral("./"))).toString(QUrl::FullyEncoded);
        const Answer a = fetch.Get(root, qMax<qint64>(input.SentPage.size() * 2 + 65536, 1 << 20));
        if (a.Cancelled)
            return finish(VerifyVerdict::Cancelled);
        if (a.Code == CURLE_OK && Success(a.Status)
            && (a.Overflow || FingerprintText(a.Body).Digest != sent.Digest))
            return finish(VerifyVerdict::IndexInTheWay);
    }
    return finish(VerifyVerdict::Live);
}

void DescribeVerifyResult(TVerifyResult &r, const TVerifyInput &input)
{
    const QString address = r.Address;
    const QString folder = input.ServerFolder.trimmed().isEmpty() ? LoadStr(sLogOnFolder)
                                                                  : LoadStr(sFolderNamed).arg(input.ServerFolder.trimmed());
    // id: a text whose %1 is the page's address; %2 (when used) the second value.
    auto say = [&](int id, const QString &second = QString()) {
        QString plain = LoadStr(id);
        QString html = plain.toHtmlEscaped();
        if (plain.contains(QLatin1String("%2"))) {
            r.Text = plain.arg(address, second);
            r.Html = html.arg(Link(address), second.toHtmlEscaped());
        } else if (plain.contains(QLatin1String("%1"))) {
            r.Text = plain.arg(address);
            r.Html = html.arg(Link(address));
        } else {
            r.Text = plain;
            r.Html = html;
        }
    };
    switch (r.Verdict) {
    case VerifyVerdict::Live: say(sLive); break;
    case VerifyVerdict::NoAddress: say(sNoAddress); break;
    case VerifyVerdict::BadAddress: say(sBadAddress, HostOf(address)); break;
    case VerifyVerdict::NoAnswer: say(sNoAnswer, HostOf(address)); break;
    case VerifyVerdict::NotFound: say(sNotFound, folder); break;
    case VerifyVerdict::OtherPage: say(sOtherPage, folder); break;
    case VerifyVerdict::OldCopy: say(sOldCopy); break;
    case VerifyVerdict::NotSentSinceChange: say(sNotSentSinceChange); break;
    case VerifyVerdict::IndexInTheWay: {
        QString root = QUrl(r.FinalAddress.isEmpty() ? address : r.FinalAddress)
                           .resolved(QUrl(QStringLiteral("./"))).toString();
        say(sIndexInTheWay, root);
        break;
    }
    case VerifyVerdict::Forbidden: say(sForbidden); break;
    case VerifyVerdict::ServerTrouble: say(sServerTrouble, r.Detail); break;
    case VerifyVerdict::OtherAnswer: say(sOtherAnswer, r.Detail); break;
    case VerifyVerdict::BadCertificate: say(sBadCertificate); break;
    case VerifyVerdict::Cancelled: say(sCancelled); break;
    case VerifyVerdict::PicturesWrong: say(sPicturesWrong); break;
    }
    auto add = [&](int id, const QStringList &names) {
        if (names.isEmpty())
            return;
        const QString list = names.join(QStringLiteral(", "));
        r.Text += QLatin1Char('\n') + LoadStr(id).arg(list);
        r.Html += QStringLiteral("<br>") + LoadStr(id).toHtmlEscaped().arg(list.toHtmlEscaped());
    };
    add(sPicturesMissing, r.MissingPictures);
    add(sPicturesDifferent, r.DifferentPictures);
    add(sPicturesUnchecked, r.UncheckedPictures);
}

TVerifyRunner::TVerifyRunner(const TVerifyInput &input, QObject *parent) : QObject(parent), m_input(input) {}

TVerifyRunner::~TVerifyRunner()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void TVerifyRunner::Start()
{
    if (Running())
        return;
    delete m_thread;
    m_cancel = false;
    m_thread = QThread::create([this] { m_result = VerifyPage(m_input, &m_cancel); });
    connect(m_thread, &QThread::finished, this, &TVerifyRunner::Finished, Qt::QueuedConnection);
    m_thread->start();
}

bool TVerifyRunner::Running() const
{
    return m_thread && m_thread->isRunning();
}

bool TVerifyRunner::Wait(int ms)
{
    return !m_thread || m_thread->wait(QDeadlineTimer(ms));
}

} // namespace wobbin
