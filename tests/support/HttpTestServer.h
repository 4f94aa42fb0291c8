#pragma once
// Web servers on 127.0.0.1 for the tests, started and stopped by them, each at
// a port of its own choosing: Python's http.server (run by /usr/bin/python3)
// serving a folder, or the small handler http_server.py beside this file for
// the servers that answer slowly, redirect, show another start page, add
// headers or answer with one status code.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace wobbin::testing {

class THttpTestServer
{
public:
    struct Options {
        QString Root;             // the folder served
        double DelaySeconds = 0;  // before each answer
        QString RedirectTo;       // base address every request goes on to; "self": a loop
        QString RootPage;         // a file shown for "/" instead of the folder's index.html
        QStringList Headers;      // "Name: value" added to every answer
        int Status = 0;           // every request answered with this code
        bool Endless = false;     // a page that never ends
        int Hops = 0;             // redirections on the same server before each answer
        QString Bind = QStringLiteral("127.0.0.1"); // another loopback address (127.x.y.z) to listen on
    };

    THttpTestServer() = default;
    ~THttpTestServer();
    THttpTestServer(const THttpTestServer &) = delete;
    THttpTestServer &operator=(const THttpTestServer &) = delete;

    // Python's own http.server serving root.
    bool StartPlain(const QString &root);
    // The handler script with these options.
    bool Start(const Options &options);
    void Stop();

    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>/" (or the other loopback address it listens on)
    QString Url() const;
    QString Error() const { return m_error; }

private:
    bool Launch(const QStringList &arguments, bool plain);
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_host = QStringLiteral("127.0.0.1");
    QString m_error;
};

} // namespace wobbin::testing
