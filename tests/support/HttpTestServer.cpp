#include "support/HttpTestServer.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace wobbin::testing {
namespace {
const char kPython[] = "/usr/bin/python3";
}

THttpTestServer::~THttpTestServer()
{
    Stop();
}

bool THttpTestServer::StartPlain(const QString &root)
{
    m_host = QStringLiteral("127.0.0.1");
    return Launch({QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("--bind"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("--directory"), root, QStringLiteral("0")},
                  true);
}

bool THttpTestServer::Start(const Options &o)
{
    QStringList args{QStringLiteral("-u"), QStringLiteral(WOBBIN_SOURCE_DIR "/tests/support/http_server.py"),
                     QStringLiteral("--directory"), o.Root};
    if (o.DelaySeconds > 0)
        args << QStringLiteral("--delay") << QString::number(o.DelaySeconds);
    if (!o.RedirectTo.isEmpty())
        args << QStringLiteral("--redirect") << o.RedirectTo;
    if (!o.RootPage.isEmpty())
        args << QStringLiteral("--root-page") << o.RootPage;
    for (const QString &h : o.Headers)
        args << QStringLiteral("--header") << h;
    if (o.Status)
        args << QStringLiteral("--status") << QString::number(o.Status);
    if (o.Endless)
        args << QStringLiteral("--endless");
    if (o.Hops)
        args << QStringLiteral("--hops") << QString::number(o.Hops);
    args << QStringLiteral("--bind") << o.Bind;
    m_host = o.Bind;
    return Launch(args, false);
}

bool THttpTestServer::Launch(const QStringList &arguments, bool plain)
{
    Stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->start(QString::fromLatin1(kPython), arguments);
    if (!m_process->waitForStarted(10000)) {
        m_error = QStringLiteral("%1 cannot start").arg(QLatin1String(kPython));
        return false;
    }
    // http.server: "Serving HTTP on 127.0.0.1 port 41234 (...)"; the handler: "PORT 41234".
    static const QRegularExpression kPlain(QStringLiteral("port (\\d+)"));
    static const QRegularExpression kOwn(QStringLiteral("^PORT (\\d+)"), QRegularExpression::MultilineOption);
    QByteArray seen;
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (!m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))
            && m_process->state() != QProcess::Running)
            break;
        seen += m_process->readAllStandardOutput();
        const QRegularExpressionMatch m = (plain ? kPlain : kOwn).match(QString::fromUtf8(seen));
        if (m.hasMatch()) {
            m_port = m.captured(1).toInt();
            return true;
        }
    }
    m_error = QStringLiteral("the web server did not start: %1 %2")
                  .arg(QString::fromUtf8(seen), QString::fromUtf8(m_process->readAllStandardError()));
    Stop();
    return false;
}

void THttpTestServer::Stop()
{
    if (m_process) {
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        m_process.reset();
    }
    m_port = 0;
}

QString THttpTestServer::Url() const
{
    return QStringLiteral("http://%1:%2/").arg(m_host).arg(m_port);
}

} // namespace wobbin::testing
