#include "support/TestServers.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <cstdlib>
#include <unistd.h>

namespace wobbin::testing {
namespace {

const char kPython[] = "/usr/bin/python3";

bool RunTool(const QString &program, const QStringList &arguments, QString *error,
             const QByteArray &input = QByteArray(), QByteArray *output = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(10000)) {
        if (error)
            *error = program + QStringLiteral(": cannot start");
        return false;
    }
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    if (output)
        *output = p.readAllStandardOutput();
    return true;
}

bool PortAccepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

QByteArray SshString(const QByteArray &bytes)
{
    QByteArray out;
    const quint32 n = quint32(bytes.size());
    out.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return out + bytes;
}

QByteArray PemBody(const QByteArray &pem)
{
    QByteArray body;
    for (const QByteArray &line : pem.split('\n')) {
        if (!line.startsWith("-----"))
            body += line.trimmed();
    }
    return QByteArray::fromBase64(body);
}

} // namespace

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int FreePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = 0;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
        socklen_t len = sizeof a;
        if (::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len) == 0)
            port = ntohs(a.sin_port);
    }
    ::close(s);
    return port;
}

bool MakeTestCertificate(const QString &folder, TTestCertificate &out, QString *error)
{
    out.CertFile = QDir(folder).filePath(QStringLiteral("cert.pem"));
    out.KeyFile = QDir(folder).filePath(QStringLiteral("key.pem"));
    if (!RunTool(QStringLiteral("openssl"),
                 {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                  QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                  QStringLiteral("-keyout"), out.KeyFile, QStringLiteral("-out"), out.CertFile,
                  QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                  QStringLiteral("-addext"), QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1")},
                 error))
        return false;
    const QByteArray der = PemBody(ReadAll(out.CertFile));
    out.Fingerprint = QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
    return !der.isEmpty();
}

namespace {
QString FingerprintOf(const QString &certFile)
{
    const QByteArray der = PemBody(ReadAll(certFile));
    return QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
}
} // namespace

bool MakeTestAuthority(const QString &folder, TTestCertificate &out, QString *error)
{
    out.CertFile = QDir(folder).filePath(QStringLiteral("ca.pem"));
    out.KeyFile = QDir(folder).filePath(QStringLiteral("ca-key.pem"));
    if (!RunTool(QStringLiteral("openssl"),
                 {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                  QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                  QStringLiteral("-keyout"), out.KeyFile, QStringLiteral("-out"), out.CertFile,
                  QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=Test Authority"),
                  QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                  QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                 error))
        return false;
    out.Fingerprint = FingerprintOf(out.CertFile);
    return true;
}

bool MakeSignedCertificate(const QString &folder, const TTestCertificate &authority, const QString &name,
                           TTestCertificate &out, QString *error)
{
    const QString base = QDir(folder).filePath(name);
    out.CertFile = base + QStringLiteral(".pem");
    out.KeyFile = base + QStringLiteral("-key.pem");
    const QString request = base + QStringLiteral(".csr");
    const QString extensions = base + QStringLiteral(".ext");
    QFile ext(extensions);
    const QByteArray alt = "subjectAltName=DNS:" + name.toLatin1()
        + (name == QLatin1String("localhost") ? ",IP:127.0.0.1\n" : "\n");
    if (!ext.open(QIODevice::WriteOnly) || ext.write(alt) != alt.size())
        return false;
    ext.close();
    if (!RunTool(QStringLiteral("openssl"),
                 {QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                  QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                  QStringLiteral("-keyout"), out.KeyFile, QStringLiteral("-out"), request,
                  QStringLiteral("-subj"), QStringLiteral("/CN=") + name},
                 error))
        return false;
    if (!RunTool(QStringLiteral("openssl"),
                 {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
                  QStringLiteral("-CA"), authority.CertFile, QStringLiteral("-CAkey"), authority.KeyFile,
                  QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
                  QStringLiteral("-extfile"), extensions, QStringLiteral("-out"), out.CertFile},
                 error))
        return false;
    out.Fingerprint = FingerprintOf(out.CertFile);
    return true;
}

// ---------------------------------------------------------------------------

TTestServer::~TTestServer()
{
    Stop();
}

bool TTestServer::Running() const
{
    return m_process && m_process->state() == QProcess::Running;
}

bool TTestServer::Launch(const QString &program, const QStringList &arguments)
{
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    // A group of its own (Pause, Kill), and gone with the test should the test die.
    m_process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    m_process->start(program, arguments);
    if (!m_process->waitForStarted(10000)) {
        m_error = program + QStringLiteral(": cannot start");
        return false;
    }
    m_group = m_process->processId();
    return true;
}

void TTestServer::Pause()
{
    if (m_group > 0)
        ::kill(pid_t(-m_group), SIGSTOP);
}

void TTestServer::Resume()
{
    if (m_group > 0)
        ::kill(pid_t(-m_group), SIGCONT);
}

void TTestServer::Kill()
{
    if (m_group > 0) {
        ::kill(pid_t(-m_group), SIGKILL);
        if (m_process)
            m_process->waitForFinished(5000);
    }
    m_group = 0;
}

void TTestServer::Stop()
{
    if (!m_process)
        return;
    if (m_group > 0) {
        ::kill(pid_t(-m_group), SIGCONT);
        ::kill(pid_t(-m_group), SIGTERM);
        if (!m_process->waitForFinished(3000))
            ::kill(pid_t(-m_group), SIGKILL);
        // Sessions forked by the server belong to its group as well.
        ::kill(pid_t(-m_group), SIGKILL);
    }
    m_process->waitForFinished(3000);
    m_process.reset();
    m_group = 0;
}

bool TTestServer::LaunchListening(const QString &what, const QString &portTaken,
                                  const std::function<bool(int)> &launch, const std::function<QString()> &log)
{
    const bool portChosenHere = m_port == 0;
    if (portChosenHere)
        m_port = FreePort();
    QString said;
    for (int attempt = 1;; ++attempt) {
        if (!launch(attempt))
            return false;
        QDeadlineTimer until(15000);
        while (!until.hasExpired()) {
            // Another test's server may have taken the port meanwhile and be the
            // one that answers: ours must still be running a moment later.
            if (PortAccepts(m_port)) {
                QThread::msleep(100);
                if (m_process->state() == QProcess::Running)
                    return true;
            }
            if (m_process->state() != QProcess::Running)
                break;
            QThread::msleep(50);
        }
        said = QString::fromLocal8Bit(m_process->readAllStandardError()) + log();
        Stop();
        if (!portChosenHere || attempt == 3 || !said.contains(portTaken))
            break;
        m_port = FreePort();
    }
    m_error = QStringLiteral("the %1 did not start: ").arg(what) + said;
    return false;
}

// ---------------------------------------------------------------------------

TFtpTestServer::~TFtpTestServer()
{
    Stop();
}

bool TFtpTestServer::Start(const Options &options)
{
    QStringList args{QStringLiteral(WOBBIN_SOURCE_DIR "/tests/support/ftp_server.py"),
                     QStringLiteral("--root"), options.Root, QStringLiteral("--user"), options.User,
                     QStringLiteral("--password"), options.Password};
    if (options.Tls) {
        m_certificate = options.Certificate;
        if (m_certificate.CertFile.isEmpty()
            && (!m_dir.isValid() || !MakeTestCertificate(m_dir.path(), m_certificate, &m_error)))
            return false;
        args << QStringLiteral("--tls-cert") << m_certificate.CertFile << QStringLiteral("--tls-key") << m_certificate.KeyFile;
        if (options.TlsRequired)
            args << QStringLiteral("--tls-required");
    }
    for (const QString &d : options.ReadOnly)
        args << QStringLiteral("--read-only") << d;
    if (options.NoRename)
        args << QStringLiteral("--no-rename");
    if (!options.CommandLog.isEmpty())
        args << QStringLiteral("--command-log") << options.CommandLog;
    if (options.Throttle > 0)
        args << QStringLiteral("--throttle") << QString::number(options.Throttle);
    if (options.MaxConnections > 0)
        args << QStringLiteral("--max-connections") << QString::number(options.MaxConnections);
    if (options.SlowTlsData > 0)
        args << QStringLiteral("--slow-tls-data") << QString::number(options.SlowTlsData);
    if (options.CutUploads >= 0)
        args << QStringLiteral("--cut-uploads") << QString::number(options.CutUploads);
    return Launch(QString::fromLatin1(kPython), args) && ReadPort(QStringLiteral("FTP server"));
}

bool TTestServer::ReadPort(const QString &what)
{
    QDeadlineTimer until(15000);
    QByteArray line;
    while (!until.hasExpired() && !line.contains('\n')) {
        if (!m_process->waitForReadyRead(int(qMax<qint64>(1, until.remainingTime()))))
            break;
        line += m_process->readAllStandardOutput();
    }
    if (!line.startsWith("PORT ")) {
        m_error = QStringLiteral("the %1 did not start: ").arg(what) + QString::fromLocal8Bit(m_process->readAllStandardError());
        Stop();
        return false;
    }
    m_port = line.mid(5).trimmed().toInt();
    return m_port > 0;
}

bool TRawFtpTestServer::Start(const QString &log, bool silent)
{
    QStringList args{QStringLiteral(WOBBIN_SOURCE_DIR "/tests/support/raw_ftp_server.py"), QStringLiteral("--log"), log};
    if (silent)
        args << QStringLiteral("--silent");
    return Launch(QString::fromLatin1(kPython), args) && ReadPort(QStringLiteral("raw FTP server"));
}

// ---------------------------------------------------------------------------

TSftpTestServer::~TSftpTestServer()
{
    Stop();
}

bool TSftpTestServer::MakeHostKey()
{
    const QString key = m_dir.filePath(QStringLiteral("hostkey"));
    QFile::remove(key);
    if (!RunTool(QStringLiteral("openssl"),
                 {QStringLiteral("ecparam"), QStringLiteral("-genkey"), QStringLiteral("-name"), QStringLiteral("prime256v1"),
                  QStringLiteral("-noout"), QStringLiteral("-out"), key},
                 &m_error))
        return false;
    QFile::setPermissions(key, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QByteArray spki;
    if (!RunTool(QStringLiteral("openssl"),
                 {QStringLiteral("ec"), QStringLiteral("-in"), key, QStringLiteral("-pubout"), QStringLiteral("-outform"),
                  QStringLiteral("DER")},
                 &m_error, QByteArray(), &spki))
        return false;
    // The public point ends the key's DER form (65 bytes for P-256).
    const QByteArray point = spki.right(65);
    const QByteArray blob = SshString("ecdsa-sha2-nistp256") + SshString("nistp256") + SshString(point);
    QByteArray b64 = QCryptographicHash::hash(blob, QCryptographicHash::Sha256).toBase64();
    while (b64.endsWith('='))
        b64.chop(1);
    m_fingerprint = QStringLiteral("SHA256:") + QString::fromLatin1(b64);
    m_hostKey = QString::fromLatin1(blob.toBase64());
    return true;
}

QString TSftpTestServer::KnownHostsLine() const
{
    return m_hostKey.isEmpty() ? QString()
                               : QStringLiteral("[127.0.0.1]:%1 ecdsa-sha2-nistp256 %2").arg(m_port).arg(m_hostKey);
}

bool TSftpTestServer::Start(const QString &root, const QString &user, const QString &password)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_root = root;
    m_user = user;
    m_password = password;
    const QString dir = m_dir.path();
    if (!QFile::exists(m_dir.filePath(QStringLiteral("hostkey"))) && !MakeHostKey())
        return false;
    // The session runs as the user running the tests (root in the test machine,
    // hence RootLogin); the password file is the server's own.
    const passwd *pw = ::getpwuid(::getuid());
    const group *gr = ::getgrgid(::getgid());
    const QString uid = QString::number(::getuid()), gid = QString::number(::getgid());
    const QString passwdFile = dir + QStringLiteral("/passwd"), groupFile = dir + QStringLiteral("/group");
    QFile::remove(passwdFile);
    QFile::remove(groupFile);
    if (!RunTool(QStringLiteral("ftpasswd"),
                 {QStringLiteral("--passwd"), QStringLiteral("--file=") + passwdFile, QStringLiteral("--name=") + user,
                  QStringLiteral("--uid=") + uid, QStringLiteral("--gid=") + gid, QStringLiteral("--home=") + root,
                  QStringLiteral("--shell=/bin/false"), QStringLiteral("--stdin")},
                 &m_error, password.toUtf8() + '\n'))
        return false;
    if (!RunTool(QStringLiteral("ftpasswd"),
                 {QStringLiteral("--group"), QStringLiteral("--file=") + groupFile, QStringLiteral("--name=") + QString::fromLocal8Bit(gr ? gr->gr_name : "root"),
                  QStringLiteral("--gid=") + gid, QStringLiteral("--member=") + user},
                 &m_error))
        return false;
    const auto launch = [&](int attempt) {
        if (attempt > 1)
            QFile::remove(dir + QStringLiteral("/system.log"));
        const QString config = QStringLiteral(
            "ModulePath /usr/lib/proftpd\n"
            "LoadModule mod_sftp.c\n"
            "ServerName \"test\"\n"
            "ServerType standalone\n"
            "DefaultServer on\n"
            "Port %1\n"
            "DefaultAddress 127.0.0.1\n"
            "SocketBindTight on\n"
            "UseIPv6 off\n"
            "PidFile %2/proftpd.pid\n"
            "ScoreboardFile %2/proftpd.scoreboard\n"
            "DelayEngine off\n"
            "WtmpLog off\n"
            "TransferLog none\n"
            "SystemLog %2/system.log\n"
            "User %3\n"
            "Group %4\n"
            "RootLogin on\n"
            "AuthOrder mod_auth_file.c\n"
            "AuthUserFile %2/passwd\n"
            "AuthGroupFile %2/group\n"
            "RequireValidShell off\n"
            "UseReverseDNS off\n"
            "DefaultRoot ~\n"
            "AllowOverwrite on\n"
            "MaxInstances 30\n"
            "SFTPEngine on\n"
            "SFTPHostKey %2/hostkey\n"
            "SFTPAuthMethods %5\n"
            "SFTPLog %2/sftp.log\n")
            .arg(m_port)
            .arg(dir, QString::fromLocal8Bit(pw ? pw->pw_name : "root"), QString::fromLocal8Bit(gr ? gr->gr_name : "root"),
                 m_authorizedKeys.isEmpty() ? QStringLiteral("password") : QStringLiteral("publickey password"));
        QString extra;
        if (!m_authorizedKeys.isEmpty()) {
            // mod_sftp reads the keys in the RFC 4716 form ssh-keygen -e writes.
            QByteArray keys;
            for (const QString &pub : std::as_const(m_authorizedKeys)) {
                QByteArray one;
                if (!RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-e"), QStringLiteral("-f"), pub}, &m_error,
                             QByteArray(), &one))
                    return false;
                keys += one;
            }
            QFile authorized(dir + QStringLiteral("/authorized_keys"));
            if (!authorized.open(QIODevice::WriteOnly) || authorized.write(keys) != keys.size()) {
                m_error = QStringLiteral("cannot write the authorized keys");
                return false;
            }
            extra += QStringLiteral("SFTPAuthorizedUserKeys file:%1/authorized_keys\n").arg(dir);
        }
        if (m_throttle > 0)
            extra += QStringLiteral("TransferRate STOR %1\n").arg(double(m_throttle) / 1024.0, 0, 'f', 1);
        for (const QString &folder : std::as_const(m_readOnly))
            extra += QStringLiteral("<Directory ~/%1>\n<Limit WRITE>\nDenyAll\n</Limit>\n</Directory>\n").arg(folder);
        QFile f(dir + QStringLiteral("/proftpd.conf"));
        const QByteArray configBytes = (config + extra).toUtf8();
        if (!f.open(QIODevice::WriteOnly) || f.write(configBytes) != configBytes.size()) {
            m_error = QStringLiteral("cannot write the server's configuration");
            return false;
        }
        f.close();
        return Launch(QStringLiteral("proftpd"), {QStringLiteral("-n"), QStringLiteral("-q"), QStringLiteral("-c"), f.fileName()});
    };
    return LaunchListening(QStringLiteral("SFTP server"), QStringLiteral("already using"), launch,
                           [this] { return LogText(); });
}

QString TSftpTestServer::LogText() const
{
    return QString::fromLocal8Bit(ReadAll(m_dir.filePath(QStringLiteral("system.log"))) + ReadAll(m_dir.filePath(QStringLiteral("sftp.log"))));
}

// ---------------------------------------------------------------------------

bool MakeSshKey(const QString &path, const QString &type, const QString &passphrase, bool pem, QString *error)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".pub"));
    QStringList args{QStringLiteral("-q"), QStringLiteral("-t"), type, QStringLiteral("-N"), passphrase,
                     QStringLiteral("-C"), QStringLiteral("test key"), QStringLiteral("-f"), path};
    if (type == QLatin1String("rsa"))
        args << QStringLiteral("-b") << QStringLiteral("2048");
    if (pem)
        args << QStringLiteral("-m") << QStringLiteral("PEM");
    return RunTool(QStringLiteral("ssh-keygen"), args, error);
}

TSshAgent::~TSshAgent()
{
    Stop();
}

bool TSshAgent::Start()
{
    QByteArray folder = QByteArrayLiteral("/tmp/wbx-agent-XXXXXX");
    if (!::mkdtemp(folder.data())) {
        m_error = QStringLiteral("no folder for the agent's socket");
        return false;
    }
    m_folder = QString::fromLocal8Bit(folder);
    m_socket = m_folder + QStringLiteral("/s");
    m_process = std::make_unique<QProcess>();
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process->start(QStringLiteral("ssh-agent"), {QStringLiteral("-D"), QStringLiteral("-a"), m_socket});
    if (!m_process->waitForStarted(10000)) {
        m_error = QStringLiteral("ssh-agent: cannot start");
        return false;
    }
    QDeadlineTimer until(10000);
    while (!until.hasExpired() && !QFileInfo(m_socket).exists())
        QThread::msleep(20);
    if (QFileInfo(m_socket).exists())
        return true;
    m_error = QStringLiteral("ssh-agent did not make its socket");
    return false;
}

bool TSshAgent::Add(const QString &keyFile)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SSH_AUTH_SOCK"), m_socket);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("ssh-add"), {QStringLiteral("-q"), keyFile});
    p.closeWriteChannel();
    if (p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    m_error = QStringLiteral("ssh-add failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
    return false;
}

void TSshAgent::Stop()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    m_process.reset();
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
    m_folder.clear();
}

} // namespace wobbin::testing
