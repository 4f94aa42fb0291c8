#include "publish/UploadTarget.h"

namespace wobbin {

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
