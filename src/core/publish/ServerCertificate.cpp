#include "publish/ServerCertificate.h"

#include "publish/FtpClient.h"

#include <QByteArray>

#include <openssl/x509v3.h>

#include <arpa/inet.h>

namespace wobbin {

bool HostIsIpAddress(const QString &host)
{
    unsigned char buffer[16];
    const QByteArray h = host.toLatin1();
    return inet_pton(AF_INET6, h.constData(), buffer) == 1 || inet_pton(AF_INET, h.constData(), buffer) == 1;
}

int CheckServerCertificate(X509_STORE_CTX *store, void *data)
{
    auto *check = static_cast<TCertificateCheck *>(data);
    const int chainOk = X509_verify_cert(store);
    X509 *leaf = X509_STORE_CTX_get0_cert(store);
    if (!leaf) {
        check->Unknown = false;
        return 0;
    }
    const int chainError = X509_STORE_CTX_get_error(store);
    unsigned char *der = nullptr;
    const int derLength = i2d_X509(leaf, &der);
    const QByteArray derBytes = derLength > 0 ? QByteArray(reinterpret_cast<const char *>(der), derLength) : QByteArray();
    OPENSSL_free(der);
    const QString fingerprint = TFtpClient::CertificateFingerprint(derBytes);

    bool nameOk = false;
    const QByteArray host = check->Host.toUtf8();
    if (HostIsIpAddress(check->Host))
        nameOk = X509_check_ip_asc(leaf, host.constData(), 0) == 1;
    else
        nameOk = X509_check_host(leaf, host.constData(), size_t(host.size()), 0, nullptr) == 1;

    if (chainOk == 1 && nameOk) {
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    if (!check->TrustedFingerprint.isEmpty() && TFtpClient::SameFingerprint(fingerprint, check->TrustedFingerprint)) {
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    check->Unknown = true;
    check->Changed = !check->TrustedFingerprint.isEmpty();
    check->Fingerprint = fingerprint;
    check->Problem = chainOk == 1 ? QStringLiteral("The certificate is made out to another name.")
                                  : QString::fromUtf8(X509_verify_cert_error_string(chainError)) + QLatin1Char('.');
    X509_STORE_CTX_set_error(store, chainOk == 1 ? X509_V_ERR_HOSTNAME_MISMATCH : chainError);
    return 0;
}

} // namespace wobbin
