#include "publish/TransferTrust.h"

#include "base/SafeFile.h"
#include "publish/FtpClient.h"
#include "publish/ServerCertificate.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace wobbin {
namespace {

// The system's trust store and the server's name, or the certificate the
// user accepted before (the check FTPS and WebDAVS share).
int checkCertificate(X509_STORE_CTX *store, void *data)
{
    auto *self = static_cast<TTransferTrust *>(data);
    TCertificateCheck check;
    check.Host = self->host;
    check.TrustedFingerprint = self->trustedFingerprint;
    const int ok = CheckServerCertificate(store, &check);
    if (!ok) {
        self->certificateUnknown = check.Unknown;
        self->certificateChanged = check.Changed;
        if (check.Unknown) {
            self->peerFingerprint = check.Fingerprint;
            self->certificateProblem = check.Problem;
        }
    }
    return ok;
}

} // namespace

CURLcode TTransferTrust::sslContext(CURL *, void *context, void *data)
{
    SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX *>(context), &checkCertificate, data);
    return CURLE_OK;
}

int TTransferTrust::checkHostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match, void *data)
{
    auto *self = static_cast<TTransferTrust *>(data);
    if (!found)
        return CURLKHSTAT_REJECT;
    const QByteArray blob = found->len > 0 ? QByteArray(found->key, int(found->len))
                                           : QByteArray::fromBase64(QByteArray(found->key));
    const QString fingerprint = TFtpClient::HostKeyFingerprint(blob);
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
    if (!self->trustedFingerprint.isEmpty() && TFtpClient::SameFingerprint(fingerprint, self->trustedFingerprint)) {
        self->keyState = KeyState::AcceptedNew;
        self->newKeyLine = KnownHostsLine(self->host, self->port, blob);
        return CURLKHSTAT_FINE;
    }
    self->keyState = KeyState::Unknown;
    self->peerFingerprint = fingerprint;
    return CURLKHSTAT_REJECT;
}

// "[host]:port type base64" (plain "host" on port 22), as OpenSSH writes it.
QString TTransferTrust::KnownHostsLine(const QString &host, int port, const QByteArray &blob)
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
void TTransferTrust::rememberHostKey()
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

// The fingerprints the checks above compare, also shown to the user.
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
