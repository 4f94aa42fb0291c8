#pragma once
// The SSH keys an SFTP log-on tries before the password: the keys of a
// running ssh-agent, then a private key file (the one chosen for the server,
// else the user's usual ones), and the passphrases of locked key files, asked
// for once in a run and remembered in memory until the program ends.
//
// A key file's name comes from the settings: it is used only as a file name
// (never inside a protocol command), must be a full path and may hold no
// control character. Its contents are only looked at, never sent.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace wobbin {

enum class TKeyFileState {
    Plain,      // a private key without a passphrase
    Locked,     // a private key locked with a passphrase
    Missing,    // no such file
    Unreadable, // there, but it cannot be read (permissions, a folder)
    NotAKey,    // not a private key in a form the log-on reads
    BadName,    // not a full path, or a control character in it
};

// What the file is, from its first bytes: OpenSSH's own form ("BEGIN OPENSSH
// PRIVATE KEY", locked when its cipher is not "none") and the PEM forms
// (RSA, EC, DSA with "Proc-Type: 4,ENCRYPTED" when locked; PKCS#8, "BEGIN
// ENCRYPTED PRIVATE KEY" when locked).
TKeyFileState InspectKeyFile(const QString &path);

// The key file of the setting: "~/" at its start stands for the home folder;
// anything else is taken as it is (InspectKeyFile refuses a name that is not
// a full path).
QString KeyFilePath(const QString &setting, const QString &home = QString());

// The usual key files of the user, in the order they are tried: id_ed25519,
// id_ecdsa, id_rsa in home/.ssh, those that are private keys the log-on reads.
QStringList DefaultKeyFiles(const QString &home = QString());

// True when SSH_AUTH_SOCK names a socket (an ssh-agent is running for this session).
bool AgentRunning();

// The key file's name as messages show it: control characters shown as "?".
QString KeyFileShown(const QString &path);

// Passphrases of locked key files, in memory for the rest of the run (any
// thread). Declined: the user chose not to give it; the key is left out of
// later log-ons in this run.
void RememberPassphrase(const QString &keyFile, const QString &passphrase);
bool RecallPassphrase(const QString &keyFile, QString &passphrase);
void ForgetPassphrase(const QString &keyFile);
void DeclinePassphrase(const QString &keyFile);
bool PassphraseDeclined(const QString &keyFile);
// Forgets every passphrase (overwritten) and every refusal.
void ForgetAllPassphrases();

// The name of a key file's passphrase in the passphrase vault (PassphraseVault()).
QString PassphraseEntryName(const QString &keyFile);

// One connection's log-on: the agent's keys, one key file (with its public
// half from PublicKeyFile, or read from the private key when empty), or the
// password; a key file may have the password tried after it on the same
// connection.
struct TLogOnAttempt {
    enum Kind { Password, Agent, Key } Kind = Password;
    QString KeyFile;
    QString PublicKeyFile;
    bool WithPassword = false;
};
// The log-ons in the order they are tried: the agent (when agent), each key
// file, then the password (with the last key file's connection when there is
// one). Without keys the password is tried even when empty, as before keys
// were known; with keys an empty password is not tried.
QList<TLogOnAttempt> PlanLogOn(bool agent, const QStringList &keyFiles, bool havePassword);
// Whether libssh2's word on a key log-on that failed means the key could not
// be read or unlocked here (a wrong passphrase), not that the server refused it.
bool KeyFailedHere(const QByteArray &libraryText);

} // namespace wobbin
