#pragma once
// Where a page is uploaded to: everything the upload needs of a server of the
// server list, in one small record (filled from the server list by its owner).

#include <QString>

namespace wobbin {

enum class TransferProtocol { Ftp, Ftps, Sftp };

// "FTP", "FTPS" or "SFTP" (letter case ignored); anything else, an empty
// value included, is FTP, so lists written before the choice existed read as before.
TransferProtocol ProtocolFromText(const QString &text);
QString ProtocolText(TransferProtocol protocol);
// 21 for FTP and FTPS (explicit TLS on the FTP port), 22 for SFTP.
int DefaultPort(TransferProtocol protocol);

struct TUploadTarget {
    QString Name;                // the server's description
    TransferProtocol Protocol = TransferProtocol::Ftp;
    QString Address;             // host as the user typed it, may carry ":port"
    QString Directory;           // remote folder for the page ("" = the log-on folder)
    QString UserName;
    QString Password;            // never shown, logged or printed
    bool FlatDir = false;        // "Don't create directories.": everything into one folder
    bool GeoCities = false;      // the provider's hosting footer goes into the page
    QString URL;                 // the site's web address
    QString TrustedFingerprint;  // a certificate or host key the user accepted for this server
};

// Splits "host", "host:2121", "[::1]:2121" or "ftp://host:21/" into the host
// and the port (0 when none is given). False when the address is empty or the
// port is not a number from 1 to 65535. A login written into the address
// ("user:pw@host") is dropped, never used.
bool SplitHostPort(const QString &address, QString &host, int &port);

} // namespace wobbin
