#pragma once
// Where a command gets a server's password: from standard input
// (--password-stdin), from the settings file or the desktop keyring, or typed
// at the terminal without echo. Never from an argument, which every user of
// the machine could read in the process list.

#include "base/Result.h"

#include <QString>

namespace wobbin {

struct CliArgs;
struct tWWWServerType;

// The exit status of a command that got no password it may send.
constexpr int kExitNoPassword = 5;

// Reads one line from fd into password, the line break (LF or CR LF) removed;
// with echo off when fd is a terminal. Refused (with the reason, and password
// empty) when nothing at all comes, when the line is longer than a password
// can be, or when it holds another control character. The bytes read are wiped.
TResult<void> ReadPasswordLine(int fd, QString &password);

// The password for the server (a record of the loaded server list, read with
// no vault in use): --password-stdin, else the settings file's value, else the
// keyring's entry, else (standard input a terminal) typed. False when there is
// none the command may use; the message has been written to standard error.
bool CliServerPassword(const CliArgs &args, const tWWWServerType &server, QString &password);

// The passphrase of a locked SSH key file, remembered for the run
// (RememberPassphrase): the keyring's entry (unless the one tried was wrong),
// else typed at the terminal without echo when standard input is one (an
// empty line: log on without the key, DeclinePassphrase). A script has no
// one to type it: false, with the message written to standard error (an
// ssh-agent holding the key is the way for scripts).
bool CliKeyPassphrase(const QString &keyFile, const QString &serverName, bool wrong);

} // namespace wobbin
