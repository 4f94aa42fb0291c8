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

namespace {
// Changes the server of that description with change and saves the list; a
// server no longer in the list has nothing to keep.
template<class Change>
TResult<void> ChangeServer(const QString &serverName, Change change)
{
    const int i = FindServerNoCase(serverName);
    if (i < 0)
        return {};
    TServerList changed = ServerList();
    change(changed[i]);
    TResult<void> saved = SaveServerList(changed);
    if (saved.ok())
        ServerList() = changed;
    return saved;
}
} // namespace

TResult<void> RememberTrustedFingerprint(const QString &serverName, const QString &fingerprint)
{
    if (fingerprint.isEmpty())
        return {};
    return ChangeServer(serverName, [&](tWWWServerType &server) { server.TrustedFingerprint = fingerprint; });
}

TResult<void> RememberConnectionsAllowed(const QString &serverName, int connections)
{
    if (connections < 1)
        return {};
    return ChangeServer(serverName, [&](tWWWServerType &server) { server.ConnectionsAllowed = connections; });
}

} // namespace wobbin
