#pragma once
// The desktop keyring (the Secret Service of the session bus, through
// QtKeychain) as the server list's password vault. Entries are kept under the
// program's name ("Wobbin Express") and the server's description.
//
// Each batch of calls waits at most a few seconds, processing every event but
// user input meanwhile. A keyring that lets a batch go unanswered is taken as
// gone for the rest of the run: later calls answer NoAnswer at once, so a dead
// keyring costs one wait, never a frozen window.

#include "publish/PasswordVault.h"

namespace wobbin {

class TDesktopKeyring : public TPasswordVault
{
public:
    explicit TDesktopKeyring(const QString &service = QStringLiteral("Wobbin Express"));

    QList<TVaultAnswer> ReadPasswords(const QStringList &names) override;
    QList<TVaultAnswer> WritePasswords(const QList<QPair<QString, QString>> &entries) override;
    QList<TVaultAnswer> RemovePasswords(const QStringList &names) override;

    // Time limit of one batch in milliseconds (default 5000).
    void SetTimeout(int milliseconds) { m_timeout = milliseconds; }
    // False once a batch went unanswered.
    bool Responsive() const { return m_responsive; }

private:
    enum class Kind { Read, Write, Remove };
    QList<TVaultAnswer> run(Kind kind, const QList<QPair<QString, QString>> &entries);

    QString m_service;
    int m_timeout = 5000;
    bool m_responsive = true;
};

// Makes the desktop keyring the vault of the server list (once per run; later
// calls do nothing). Call before LoadServerList.
void UseDesktopKeyring();

} // namespace wobbin
