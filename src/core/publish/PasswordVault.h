#pragma once
// Where the server passwords are kept: a password vault (the desktop keyring,
// see session/Keyring.h) under the program's name and the server's description.
// The server list asks the vault in use; without one (the command line) the
// passwords are those of the settings file only.
//
// Every call handles a batch and returns when all answers are in or the vault's
// time limit has passed: meanwhile events other than user input go on being
// processed, so windows still paint and nothing can be clicked twice. A vault
// that asks its user first (a keyring to unlock) is waited for as long as its
// question is up, and says so through the wait notice.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace wobbin {

struct TVaultAnswer
{
    enum Outcome {
        Ok,        // done; for a read, password holds the secret
        NotFound,  // a read or removal found no entry
        Failed,    // the vault answered with an error (or there is none on the bus)
        NoAnswer,  // the vault did not answer in time
        Refused,   // the vault's user refused to unlock it (or to make one)
    };
    Outcome outcome = Failed;
    QString password;
    QString error;
};

class TPasswordVault
{
public:
    virtual ~TPasswordVault() = default;
    // One answer per name, in order.
    virtual QList<TVaultAnswer> ReadPasswords(const QStringList &names) = 0;
    // (name, password) pairs; one answer per pair.
    virtual QList<TVaultAnswer> WritePasswords(const QList<QPair<QString, QString>> &entries) = 0;
    // NotFound counts as done.
    virtual QList<TVaultAnswer> RemovePasswords(const QStringList &names) = 0;
    // The vault of the SSH key passphrases, entries named by key file
    // (PassphraseEntryName), kept apart from the server passwords; nullptr
    // when this vault keeps none.
    virtual TPasswordVault *Passphrases() { return nullptr; }
};

// The vault in use; nullptr when none. The store keeps ownership.
TPasswordVault *PasswordVault();
// Installs the vault used from now on (nullptr: none).
void SetPasswordVault(TPasswordVault *vault);
// The passphrase vault of the vault in use; nullptr when none.
TPasswordVault *PassphraseVault();

// Called with true when a vault starts waiting for its user (a keyring showing
// its password prompt) and with false when the wait is over, so that the
// window can say "Waiting for your keyring...". One notice for the process.
void SetVaultWaitNotice(const std::function<void(bool waiting)> &notice);
void NoteVaultWait(bool waiting);

} // namespace wobbin
