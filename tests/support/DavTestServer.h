#pragma once
// A WebDAV server on 127.0.0.1 for the tests: Apache's mod_dav in the
// foreground (one process, -X) with a configuration written into a short
// folder of its own below /tmp, started and stopped by the test. It serves
// Root (files in it go over GET too), asks for a login with Basic or Digest,
// and with Tls speaks HTTPS with a self-signed certificate made here.
// Run as root, Apache hands its work to www-data: Root is then given to it.

#include "TestServers.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace wobbin::testing {

class TDavTestServer : public TTestServer
{
public:
    struct Options {
        QString Root;                 // the folder served at "/" (empty: Root() below)
        QString User = QStringLiteral("user");
        QString Password = QStringLiteral("secret");
        bool Digest = false;          // Digest log-on instead of Basic
        bool Tls = false;
        QStringList Denied;           // folders below Root nobody may enter (403)
        QStringList ReadOnly;         // folders below Root where nothing may be written (403)
    };
    ~TDavTestServer() override;
    bool Start(const Options &options);
    const TTestCertificate &Certificate() const { return m_certificate; }
    // The folder served: Options.Root, or one of the server's own (which the
    // server's user can reach whoever runs the test), made with Denied and
    // ReadOnly below it.
    QString Root() const { return m_options.Root; }
    // Gives what the test put into Root to the server's user (when it runs as root).
    void HandOver();
    QString LogText() const;

private:
    QTemporaryDir m_dir{QStringLiteral("/tmp/wbxdav-XXXXXX")};
    Options m_options;
    TTestCertificate m_certificate;
};

} // namespace wobbin::testing
