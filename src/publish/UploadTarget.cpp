#include "publish/UploadTarget.h"

namespace wobbin {

TransferProtocol ProtocolFromText(const QString &text)
{
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("FTPS"))
        return TransferProtocol::Ftps;
    if (t == QLatin1String("SFTP"))
        return TransferProtocol::Sftp;
    return TransferProtocol::Ftp;
}

QString ProtocolText(TransferProtocol protocol)
{
    switch (protocol) {
    case TransferProtocol::Ftps:
        return QStringLiteral("FTPS");
    case TransferProtocol::Sftp:
        return QStringLiteral("SFTP");
    case TransferProtocol::Ftp:
        break;
    }
    return QStringLiteral("FTP");
}

int DefaultPort(TransferProtocol protocol)
{
    return protocol == TransferProtocol::Sftp ? 22 : 21;
}

bool SplitHostPort(const QString &address, QString &host, int &port)
{
    host.clear();
    port = 0;
    QString a = address.trimmed();
    const int scheme = a.indexOf(QLatin1String("://"));
    if (scheme >= 0)
        a = a.mid(scheme + 3);
    const int slash = a.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        a.truncate(slash);
    const int at = a.lastIndexOf(QLatin1Char('@'));
    if (at >= 0)
        a = a.mid(at + 1);
    QString portText;
    if (a.startsWith(QLatin1Char('['))) {
        const int close = a.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        host = a.mid(1, close - 1);
        const QString rest = a.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return false;
            portText = rest.mid(1);
        }
    } else if (a.count(QLatin1Char(':')) == 1) {
        const int colon = a.indexOf(QLatin1Char(':'));
        host = a.left(colon);
        portText = a.mid(colon + 1);
    } else {
        host = a; // a name, or an IPv6 address without a port
    }
    if (host.isEmpty())
        return false;
    for (const QChar c : std::as_const(host)) {
        if (c.unicode() <= 0x20 || c == QLatin1Char('\\'))
            return false;
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        const int p = portText.toInt(&ok);
        if (!ok || p < 1 || p > 65535)
            return false;
        port = p;
    }
    return true;
}

} // namespace wobbin
