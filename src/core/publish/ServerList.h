#pragma once
// The server list: the destinations a page is uploaded to, kept in the settings
// under "WWWServers" (one subkey per server, named by its description), and the
// provider definitions read from "servers/*.inf" in the program's data folder.
//
// Settings layout below the program's key:
//   WWWServers\LastServer                 the server last chosen in the Send panel
//   WWWServers\<Name>\Address, Directory, UserName, URL, ISP     strings
//   WWWServers\<Name>\FlatDir             "0" or "1"
//   WWWServers\<Name>\ExtendedA .. ExtendedE   only when not empty
//   WWWServers\<Name>\Password            only where no keyring holds it (scrambled)
//   WWWServers\<Name>\Protocol            "FTP", "FTPS", "SFTP", "WebDAV", "WebDAVS" or
//                                         "Folder" (absent means "FTP"); for a folder,
//                                         Directory is its absolute path
//   WWWServers\<Name>\TrustedFingerprint  only when set
//   WWWServers\<Name>\KeyFile             SFTP: the private key file chosen to log on with; only when set
//   WWWServers\<Name>\Connections         files sent at once, 1 to 8; only when not 4
//   WWWServers\<Name>\ConnectionsAllowed  only when the server took fewer at once
//   WWWServers\<Name>\Position            the server's place in the list (0, 1, ...)
// A list written without "Position" loads in the order the settings give the
// subkeys; servers with a position come first, in that order.

#include "base/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace wobbin {

// The kinds of destination. For WebDAV (http) and WebDAVS (https) the
// Address is host[:port] and the Directory the path below it. A folder is a folder of this
// computer (or one mounted on it): the server's Directory is its absolute
// path, and Address, login and password are not used.
enum class TTransferProtocol { FTP, FTPS, SFTP, WebDAV, WebDAVS, Folder };

// "FTP", "FTPS" (explicit TLS), "SFTP", "WebDAV" (http), "WebDAVS" (https),
// "Folder"; letter case is ignored when read, and anything else reads as FTP.
QString ProtocolName(TTransferProtocol protocol);
TTransferProtocol ProtocolFromName(const QString &name);
// 21 for FTP and FTPS, 22 for SFTP, 80 and 443 for WebDAV, 0 for a folder.
int DefaultPort(TTransferProtocol protocol);

struct tWWWServerType
{
    QString Name;       // description; also the settings subkey name
    QString Address;    // host name or address, optionally with ":port"
    QString Directory;  // remote folder for the page
    QString UserName;
    QString Password;   // plain in memory only
    QString URL;        // web address of the site
    QString ISP;        // provider definition it was made from; empty means Common
    bool FlatDir = false;
    QString ExtendedA;  // GeoCities neighbourhood
    QString ExtendedB;  // GeoCities number
    QString ExtendedC, ExtendedD, ExtendedE;
    QString Protocol = QStringLiteral("FTP");  // a ProtocolName
    // SHA-256 fingerprint of the server certificate or host key the user accepted.
    QString TrustedFingerprint;
    // SFTP: the private key file to log on with ("" the user's usual ones).
    QString KeyFile;
    // Files sent at once, each over a connection of its own (1 to 8).
    int Connections = kDefaultConnections;
    // How many connections the server took at once when it refused more (0:
    // it never did); uploads open no more than that. Choosing another number
    // of connections in the wizard forgets it.
    int ConnectionsAllowed = 0;
    static constexpr int kDefaultConnections = 4;
    static constexpr int kMaxConnections = 8;

    // Where the password stands. False when the keyring did not answer or
    // found no password (a locked keyring finds none either): the password is
    // then unknown (Password is empty) and saving the list leaves the keyring
    // entry alone. Typing a password makes it known.
    bool PasswordKnown = true;
    // The description the record was last read or saved under ("" for a new
    // record): its keyring entry's name until the list is saved again.
    QString StoredName;

    // The host part of Address as typed: "ftp.example.com" for
    // "ftp.example.com:2121", "::1" for "[::1]:2121"; a leading "ftp://" and
    // the like and anything from the first "/" after the host on are left
    // out. Empty when Address is not a host with an optional port (see
    // SplitHostPort, publish/HostPort.h).
    QString Host() const;
    // The port given in Address; 0 when none (or not a number from 1 to 65535).
    int Port() const;
    // Port(), or the protocol's usual port when none is given.
    int EffectivePort() const;
    TTransferProtocol TransferProtocol() const;
    void SetTransferProtocol(TTransferProtocol protocol);
};

struct ISPDetails
{
    bool CreateDir = false;  // the provider wants folders created
    bool Login = true;       // the provider needs a login name and password
    QString Name;
    QString Address;
    QString Directory;
    QString URL;             // template: "%login%", "%neighbourhood%", "%geonumber%"
};

using TServerList = QList<tWWWServerType>;
using TISPList = QList<ISPDetails>;

// The process-wide lists.
TServerList &ServerList();
TISPList &ISPList();
// String 629 "Common": the provider entry that stands for no definition.
QString CommonName();

// Fills ServerList from the settings (passwords from the keyring when one is
// in use, see PasswordVault.h), then LoadISPList.
void LoadServerList();
// The server subkeys of "WWWServers" in list order; empty when there is none.
QStringList GetServerNames();
// One server as stored; every field empty when the name is empty or missing.
// Password is the unscrambled "Password" value (empty when there is none).
tWWWServerType ReadServer(const QString &name);
// True when the server's subkey holds a "Password" value.
bool ServerHasStoredPassword(const QString &name);

// Writes the list (records with an empty Name are left out) as the whole
// "WWWServers" key in one write, keeping "LastServer". Passwords go to the
// keyring in use, or scrambled into the settings where none answers; the
// keyring entries of servers no longer in the list are removed. On success the
// records' StoredName is updated; on failure nothing is changed, on disk or in
// the list.
[[nodiscard]] TResult<void> SaveServerList(TServerList &list);
// Saves ServerList().
[[nodiscard]] TResult<void> SaveServerList();

// Texts for the user gathered while loading and saving (a damaged stored
// password, a keyring that did not answer, where passwords are kept); each
// kind is given once per run. Returns them and forgets them.
QStringList TakeServerListNotices();

// Provider definitions of AppDir()/servers/*.inf, in file-name order.
void LoadISPList();
// Reads one provider file (a name in AppDir()/servers, or a full path).
ISPDetails ReadISPFile(const QString &fileName);
// Index of the last provider with exactly that Name; -1 when none.
int FindISP(const QString &name);
// True when the provider gets the GeoCities treatment (name compared without regard to case).
bool IsGeoCities(const QString &providerName);

// Password scrambling: mode "ENC" or "DEC". Old stored forms read as before;
// a one-character password is written with a trailing comma and a password the
// 8-bit code page cannot hold as UTF-8 bytes with two trailing commas.
// *damaged (when given) is set when a stored piece is not a number from 0 to 255;
// the result is then empty.
QString CryptPassword(const QString &text, const QString &mode, bool *damaged = nullptr);

// Replaces every occurrence of pattern (found without regard to case) from left
// to right; the inserted text is not searched again.
QString ReplaceText(const QString &text, const QString &pattern, const QString &replacement);

// The site's address. With no provider (Common): "http://" + Address + "/~" +
// UserName + "/" of the record (of Address the host only, without a port). With a provider: its URL template with
// "%login%" replaced by login; for GeoCities also "%neighbourhood%" by
// directory and "%geonumber%" by url (the texts of the wizard's fields).
QString BuildURL(const tWWWServerType &current, const ISPDetails *provider, const QString &login,
                 const QString &directory, const QString &url);

} // namespace wobbin
