#include "publish/UploadTarget.h"

namespace wobbin {

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

TUploadTarget UploadTargetFor(const tWWWServerType &server)
{
    TUploadTarget t;
    t.Name = server.Name;
    t.Protocol = server.TransferProtocol();
    t.Address = server.Address;
    t.Directory = server.Directory;
    t.UserName = server.UserName;
    t.Password = server.Password;
    t.KeyFile = server.KeyFile;
    t.FlatDir = server.FlatDir;
    const int provider = FindISP(server.ISP);
    t.GeoCities = provider >= 0 && IsGeoCities(ISPList().at(provider).Name);
    t.URL = server.URL;
    t.TrustedFingerprint = server.TrustedFingerprint;
    if (t.Protocol == TTransferProtocol::Folder) {
        // The transfer client takes the folder where it takes a host; no
        // login goes anywhere.
        t.Address = t.Directory;
        t.UserName.clear();
        t.Password.clear();
        t.TrustedFingerprint.clear();
    }
    t.Connections = server.ConnectionsAllowed > 0 ? qMin(server.Connections, server.ConnectionsAllowed)
                                                  : server.Connections;
    return t;
}

int FindServerNoCase(const QString &name)
{
    const TServerList &list = ServerList();
    for (int i = 0; i < list.size(); ++i) {
        if (!list.at(i).Name.isEmpty() && list.at(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool RememberTrustedFingerprint(const QString &serverName, const QString &fingerprint, QString *error)
{
    const int i = FindServerNoCase(serverName);
    if (i < 0 || fingerprint.isEmpty())
        return false;
    TServerList changed = ServerList();
    changed[i].TrustedFingerprint = fingerprint;
    if (!SaveServerList(changed, error))
        return false;
    ServerList() = changed;
    return true;
}

bool RememberConnectionsAllowed(const QString &serverName, int connections, QString *error)
{
    const int i = FindServerNoCase(serverName);
    if (i < 0 || connections < 1)
        return false;
    TServerList changed = ServerList();
    changed[i].ConnectionsAllowed = connections;
    if (!SaveServerList(changed, error))
        return false;
    ServerList() = changed;
    return true;
}

} // namespace wobbin
