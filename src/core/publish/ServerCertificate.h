#pragma once
// The check of a server's TLS certificate, the same for every kind of
// destination that uses TLS (FTPS, WebDAVS): the system's trust store and the
// server's name, or else the certificate the user accepted before (by its
// fingerprint). What did not pass is kept for the question to the user.

#include <QString>

#include <openssl/x509.h>

namespace wobbin {

struct TCertificateCheck {
    QString Host;                 // the name or address the certificate must be made out to
    QString TrustedFingerprint;   // the one accepted before ("AB:CD:..."), may be empty
    // Filled when the certificate did not pass:
    bool Unknown = false;         // neither trusted here nor accepted before
    bool Changed = false;         // and another one had been accepted before
    QString Fingerprint;
    QString Problem;              // why, in words (English)
    void Clear()
    {
        Unknown = Changed = false;
        Fingerprint.clear();
        Problem.clear();
    }
};

// OpenSSL's verify callback body: 1 when the certificate may be used; fills
// check otherwise. data of SSL_CTX_set_cert_verify_callback is the check.
int CheckServerCertificate(X509_STORE_CTX *store, void *check);

// Whether host is written as an IP address (not a name).
bool HostIsIpAddress(const QString &host);

} // namespace wobbin
