#pragma once
// Whether the server at the other end is the one the user means, checked
// while the transfer client logs on: an FTPS certificate against the system's
// trust store and the server's name, an SFTP host key against known_hosts;
// either may instead be the one the user accepted before (its fingerprint).
// A host key accepted that way is added to known_hosts once the log-on
// succeeded. The transfer client hands libcurl the checks below with a
// TTransferTrust as their data and reads what they found afterwards.

#include <QString>

#include <curl/curl.h>

namespace wobbin {

struct TTransferTrust {
    // What the server is checked against (set before the log-on).
    QString host;
    int port = 0;
    QString trustedFingerprint;   // the one the user accepted before, or empty
    QString knownHosts;           // the known_hosts file

    // What the checks found.
    QString peerFingerprint;         // of the certificate or key that stopped the log-on
    bool certificateUnknown = false;
    bool certificateChanged = false; // another one than the certificate accepted before
    QString certificateProblem;
    enum class KeyState { None, Unknown, Changed, AcceptedNew } keyState = KeyState::None;
    QString newKeyLine;

    // libcurl's CURLOPT_SSL_CTX_FUNCTION (FTPS) and CURLOPT_SSH_KEYFUNCTION (SFTP).
    static CURLcode sslContext(CURL *, void *context, void *data);
    static int checkHostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match, void *data);

    // "[host]:port type base64" (plain "host" on port 22), as OpenSSH writes it.
    static QString KnownHostsLine(const QString &host, int port, const QByteArray &blob);
    // Adds the key the user accepted to known_hosts (through the checked writer).
    void rememberHostKey();
};

} // namespace wobbin
