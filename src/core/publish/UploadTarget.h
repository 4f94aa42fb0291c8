#pragma once
// Where a page is uploaded to: everything the upload needs of a server of the
// server list, in one small record (filled from the server list by its owner).

#include "publish/ServerList.h"

#include <QString>

namespace wobbin {

struct TUploadTarget {
    QString Name;                // the server's description
    TTransferProtocol Protocol = TTransferProtocol::FTP;
    QString Address;             // host as the user typed it, may carry ":port"; a folder: its path
    QString Directory;           // remote folder for the page ("" = the log-on folder); a folder: its path
    QString UserName;
    QString Password;            // never shown, logged or printed
    bool FlatDir = false;        // "Don't create directories.": everything into one folder
    bool GeoCities = false;      // the provider's hosting footer goes into the page
    QString URL;                 // the site's web address
    QString TrustedFingerprint;  // a certificate or host key the user accepted for this server
    int Connections = 4;         // files sent at once (1 to 8), each over a connection of its own
    QString KeyFile;             // SFTP: the private key file chosen to log on with ("" the usual ones)
};

// What the upload needs of a server of the server list: its fields, the
// transfer protocol, and GeoCities when the server's provider definition
// (found by FindISP) is GeoCities.
TUploadTarget UploadTargetFor(const tWWWServerType &server);
// The server of that description in ServerList(), letter case ignored; -1 when none.
int FindServerNoCase(const QString &name);
// Keeps a certificate the user accepted during an upload with the server of
// that description (its TrustedFingerprint) and saves the server list. Fails
// when the list could not be saved; a server no longer in the list, or no
// fingerprint, leaves nothing to keep.
[[nodiscard]] TResult<void> RememberTrustedFingerprint(const QString &serverName, const QString &fingerprint);
// Keeps the number of connections the server of that description took at
// once (its ConnectionsAllowed: later uploads open no more) and saves the
// server list; fails when it could not be saved (as above).
[[nodiscard]] TResult<void> RememberConnectionsAllowed(const QString &serverName, int connections);

} // namespace wobbin
