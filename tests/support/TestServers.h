#pragma once
// Real file-transfer servers on 127.0.0.1 for the tests, started and stopped by
// them: FTP and FTP with explicit TLS (Debian's pyftpdlib, run by
// /usr/bin/python3) and SFTP (ProFTPD's mod_sftp in the foreground with a
// virtual user from its own password file; no system account is touched).
// Each server runs in a process group of its own, so that Pause() freezes it
// with every session it has forked (a server that stops answering).

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace wobbin::testing {

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreePort();

// A self-signed certificate for "localhost" and 127.0.0.1 made with openssl.
struct TTestCertificate {
    QString CertFile;
    QString KeyFile;
    QString Fingerprint; // SHA-256 of the DER form, "AB:CD:..."
};
bool MakeTestCertificate(const QString &folder, TTestCertificate &out, QString *error = nullptr);
// A certificate authority (its CertFile is the trust store to name) and a
// certificate it signed for the name (DNS name and 127.0.0.1 when name is "localhost").
bool MakeTestAuthority(const QString &folder, TTestCertificate &out, QString *error = nullptr);
bool MakeSignedCertificate(const QString &folder, const TTestCertificate &authority, const QString &name,
                           TTestCertificate &out, QString *error = nullptr);

class TTestServer
{
public:
    virtual ~TTestServer();
    int Port() const { return m_port; }
    QString Error() const { return m_error; }
    bool Running() const;
    // Freezes the server and its sessions (they stop answering) / lets them go on.
    void Pause();
    void Resume();
    // Kills the server and its sessions at once: connections drop.
    void Kill();
    // Ends the server (and its sessions) and waits for it.
    void Stop();

protected:
    bool Launch(const QString &program, const QStringList &arguments);
    // After Launch: the "PORT <number>" line the server prints once it listens.
    bool ReadPort(const QString &what);
    // For a server told its port: launch(attempt) writes its configuration for
    // m_port and starts it (Launch), until it listens there. A port chosen here
    // (m_port was 0) may be taken by another test's server before ours binds
    // it (what the server says holds portTaken): then up to three are tried.
    // On failure m_error names `what` with what the server and log() said.
    bool LaunchListening(const QString &what, const QString &portTaken, const std::function<bool(int)> &launch,
                         const std::function<QString()> &log);
    std::unique_ptr<QProcess> m_process;
    qint64 m_group = 0;
    int m_port = 0;
    QString m_error;
};

class TFtpTestServer : public TTestServer
{
public:
    struct Options {
        QString Root;                 // the user's home folder
        QString User = QStringLiteral("user");
        QString Password = QStringLiteral("secret");
        bool Tls = false;             // offer explicit TLS (certificate made here)
        bool TlsRequired = true;      // with Tls: refuse log-on without it
        QStringList ReadOnly;         // folders below Root where nothing may be written
        bool NoRename = false;        // a server that refuses RNFR
        qint64 Throttle = 0;          // bytes a second the server takes at most
        TTestCertificate Certificate; // with Tls: this one instead of a self-signed one
        QString CommandLog;           // a file that gets every command received, one a line
        int MaxConnections = 0;       // connections taken at once (0: any number); 421 to the next
        int SlowTlsData = 0;          // with Tls: ms by which each data connection's handshake ends late
        qint64 CutUploads = -1;       // keep only this many bytes of each file received, and say it arrived
    };
    ~TFtpTestServer() override;
    bool Start(const Options &options);
    // The certificate offered with Tls.
    const TTestCertificate &Certificate() const { return m_certificate; }

private:
    QTemporaryDir m_dir;
    TTestCertificate m_certificate;
};

// A bare FTP server for the hostile cases (raw_ftp_server.py): it logs every
// line received, takes any log-on, answers folder commands and refuses the
// rest; a silent one accepts connections and never answers.
class TRawFtpTestServer : public TTestServer
{
public:
    bool Start(const QString &log, bool silent = false);
};

class TSftpTestServer : public TTestServer
{
public:
    ~TSftpTestServer() override;
    // root: the virtual user's home (and the session's root folder).
    bool Start(const QString &root, const QString &user = QStringLiteral("user"),
               const QString &password = QStringLiteral("secret"));
    // Of the host key made for this server: "SHA256:..." as OpenSSH shows it,
    // and the line OpenSSH would write into known_hosts.
    QString HostKeyFingerprint() const { return m_fingerprint; }
    QString KnownHostsLine() const;
    // Before Start: folders below root where nothing may be written, and the
    // bytes a second the server takes at most (0: no limit).
    void SetReadOnly(const QStringList &folders) { m_readOnly = folders; }
    void SetThrottle(qint64 bytesPerSecond) { m_throttle = bytesPerSecond; }
    // Before Start: the public keys (OpenSSH ".pub" files) the user may log on
    // with, written into the server's authorized keys file; none: password only.
    void SetAuthorizedKeys(const QStringList &publicKeyFiles) { m_authorizedKeys = publicKeyFiles; }
    // Replaces the host key (the server must be restarted to use it).
    bool MakeHostKey();
    QString LogText() const;

private:
    QTemporaryDir m_dir;
    QString m_root, m_user, m_password;
    QString m_fingerprint;
    QString m_hostKey; // the public key as known_hosts writes it (base64)
    QStringList m_readOnly;
    QStringList m_authorizedKeys;
    qint64 m_throttle = 0;
};

// A key pair made with ssh-keygen: path and path + ".pub" (type "ed25519",
// "ecdsa", "rsa"; pem: the old PEM form instead of OpenSSH's own).
bool MakeSshKey(const QString &path, const QString &type, const QString &passphrase = QString(), bool pem = false,
                QString *error = nullptr);

// An ssh-agent of the test (openssh-client's), on a socket in a short folder
// of its own below /tmp (a socket's path may not pass 107 bytes, however deep
// the build folder lies). Stopped with the object.
class TSshAgent
{
public:
    ~TSshAgent();
    bool Start();
    // Adds a key without a passphrase.
    bool Add(const QString &keyFile);
    QString Socket() const { return m_socket; }
    QString Error() const { return m_error; }
    void Stop();

private:
    std::unique_ptr<QProcess> m_process;
    QString m_folder;
    QString m_socket;
    QString m_error;
};

// Reads a whole file ("" when missing).
QByteArray ReadAll(const QString &path);

} // namespace wobbin::testing
