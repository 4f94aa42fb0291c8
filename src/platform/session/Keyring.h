#pragma once
// The desktop keyring (the Secret Service of the session bus, through
// QtKeychain) as the server list's password vault. Entries are kept under the
// program's name ("Wobbin Express") and the server's description.
//
// Before a batch, the keyring is made ready on the Secret Service itself: its
// default collection unlocked, or made before a write when there is none. The
// keyring then asks its user (its own prompt, with the keyboard), and the
// batch waits for that answer as long as the prompt is up, telling the window
// through NoteVaultWait. A refusal is final for the run: later calls answer
// Refused at once and the user is never asked again.
//
// Every other step waits at most a few seconds, processing every event but
// user input meanwhile. A keyring that lets a step go unanswered is taken as
// gone for the rest of the run: later calls answer NoAnswer at once, so a dead
// keyring costs one wait, never a frozen window.

#include "publish/PasswordVault.h"

#include <memory>

namespace wobbin {

class TDesktopKeyring : public TPasswordVault
{
public:
    explicit TDesktopKeyring(const QString &service = QStringLiteral("Wobbin Express"));

    QList<TVaultAnswer> ReadPasswords(const QStringList &names) override;
    QList<TVaultAnswer> WritePasswords(const QList<QPair<QString, QString>> &entries) override;
    QList<TVaultAnswer> RemovePasswords(const QStringList &names) override;
    // The SSH key passphrases: entries under service + " SSH key" and the key
    // file's path, so that they never meet a server's password.
    TPasswordVault *Passphrases() override;

    // Time limit of one step in milliseconds (default 5000); a prompt shown
    // to the user has none.
    void SetTimeout(int milliseconds) { m_timeout = milliseconds; }
    // False once a batch went unanswered.
    bool Responsive() const { return m_responsive; }
    // True once the user refused the keyring's prompt.
    bool Refused() const { return m_refused; }

private:
    enum class Kind { Read, Write, Remove };
    enum class Readiness { Ready, Silent, Refused };
    QList<TVaultAnswer> run(Kind kind, const QList<QPair<QString, QString>> &entries);
    Readiness prepare(Kind kind);
    Readiness runPrompt(const QString &promptPath);

    QString m_service;
    std::unique_ptr<TDesktopKeyring> m_passphrases;
    int m_timeout = 5000;
    bool m_responsive = true;
    bool m_refused = false;
};

// Makes the desktop keyring the vault of the server list (once per run; later
// calls do nothing). Call before LoadServerList.
void UseDesktopKeyring();

} // namespace wobbin
