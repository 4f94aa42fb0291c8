#include "DavTestServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wobbin::testing {
namespace {

bool WriteText(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Owner www-data for everything below path (the server's user when run as root).
void GiveTo(const QString &path, uid_t uid, gid_t gid)
{
    if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
        return;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        if (::lchown(QFile::encodeName(p).constData(), uid, gid) != 0)
            return;
    }
}

const char *const kModules[] = {"mpm_event", "authz_core", "authz_user", "authn_core", "authn_file",
                                "auth_basic", "auth_digest", "dav", "dav_fs"};

} // namespace

TDavTestServer::~TDavTestServer()
{
    Stop();
}

void TDavTestServer::HandOver()
{
    if (::getuid() != 0)
        return;
    const passwd *pw = ::getpwnam("www-data");
    if (pw)
        GiveTo(m_options.Root, pw->pw_uid, pw->pw_gid);
}

QString TDavTestServer::LogText() const
{
    QFile f(m_dir.filePath(QStringLiteral("error.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

bool TDavTestServer::Start(const Options &options)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_options = options;
    const QString dir = m_dir.path();
    ::chmod(QFile::encodeName(dir).constData(), 0755);
    if (m_options.Root.isEmpty())
        m_options.Root = dir + QStringLiteral("/www");
    for (const QString &f : options.Denied + options.ReadOnly + QStringList{QString()})
        QDir().mkpath(m_options.Root + QLatin1Char('/') + f);
    const QByteArray realm = "wbx";
    const QByteArray user = options.User.toUtf8(), password = options.Password.toUtf8();
    const QByteArray sha = QCryptographicHash::hash(password, QCryptographicHash::Sha1).toBase64();
    const QByteArray ha1 = QCryptographicHash::hash(user + ':' + realm + ':' + password, QCryptographicHash::Md5).toHex();
    if (!WriteText(dir + QStringLiteral("/basic"), user + ":{SHA}" + sha + '\n')
        || !WriteText(dir + QStringLiteral("/digest"), user + ':' + realm + ':' + ha1 + '\n')) {
        m_error = QStringLiteral("cannot write the password files");
        return false;
    }
    if (options.Tls && m_certificate.CertFile.isEmpty() && !MakeTestCertificate(dir, m_certificate, &m_error))
        return false;
    ::mkdir(QFile::encodeName(dir + QStringLiteral("/lock")).constData(), 0777);
    ::chmod(QFile::encodeName(dir + QStringLiteral("/lock")).constData(), 0777);
    HandOver();

    QByteArray config;
    for (const char *m : kModules)
        config += QByteArray("LoadModule ") + m + "_module /usr/lib/apache2/modules/mod_" + m + ".so\n";
    if (options.Tls)
        config += "LoadModule ssl_module /usr/lib/apache2/modules/mod_ssl.so\n"
                  "LoadModule socache_shmcb_module /usr/lib/apache2/modules/mod_socache_shmcb.so\n";
    const QByteArray d = QFile::encodeName(dir), root = QFile::encodeName(m_options.Root);
    config += "ServerName 127.0.0.1\n"
              "ServerRoot " + d + "\n"
              "DefaultRuntimeDir " + d + "\n"
              "PidFile " + d + "/httpd.pid\n"
              "ErrorLog " + d + "/error.log\n"
              "LogLevel warn\n"
              "Mutex file:" + d + " default\n"
              "ScoreBoardFile " + d + "/scoreboard\n"
              "Timeout 30\n"
              "KeepAlive On\n"
              "MaxKeepAliveRequests 0\n"
              "DavLockDB " + d + "/lock/davlock\n"
              "DocumentRoot " + root + "\n"
              "<Directory />\n  AllowOverride None\n</Directory>\n";
    if (::getuid() == 0)
        config += "User www-data\nGroup www-data\n";
    if (options.Tls)
        config += "SSLEngine on\nSSLCertificateFile " + QFile::encodeName(m_certificate.CertFile)
            + "\nSSLCertificateKeyFile " + QFile::encodeName(m_certificate.KeyFile) + "\nSSLSessionCache none\n";
    config += "<Directory " + root + ">\n"
              "  Dav On\n"
              "  AuthName \"" + realm + "\"\n";
    if (options.Digest)
        config += "  AuthType Digest\n  AuthDigestProvider file\n  AuthUserFile " + d + "/digest\n";
    else
        config += "  AuthType Basic\n  AuthBasicProvider file\n  AuthUserFile " + d + "/basic\n";
    config += "  Require valid-user\n</Directory>\n";
    for (const QString &f : options.Denied)
        config += "<Directory " + root + '/' + QFile::encodeName(f) + ">\n  Require all denied\n</Directory>\n";
    for (const QString &f : options.ReadOnly)
        config += "<Directory " + root + '/' + QFile::encodeName(f)
            + ">\n  <LimitExcept GET HEAD OPTIONS PROPFIND>\n    Require all denied\n  </LimitExcept>\n</Directory>\n";

    const auto launch = [&](int) {
        const QByteArray listen = "Listen 127.0.0.1:" + QByteArray::number(m_port) + "\n";
        if (!WriteText(dir + QStringLiteral("/httpd.conf"), listen + config)) {
            m_error = QStringLiteral("cannot write the server's configuration");
            return false;
        }
        QFile::remove(dir + QStringLiteral("/error.log"));
        return Launch(QStringLiteral("/usr/sbin/apache2"),
                      {QStringLiteral("-X"), QStringLiteral("-f"), dir + QStringLiteral("/httpd.conf")});
    };
    return LaunchListening(QStringLiteral("WebDAV server"), QStringLiteral("in use"), launch,
                           [this] { return LogText(); });
}

} // namespace wobbin::testing
