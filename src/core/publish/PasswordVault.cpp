#include "publish/PasswordVault.h"

namespace wobbin {

namespace {
TPasswordVault *&VaultSlot()
{
    static TPasswordVault *vault = nullptr;
    return vault;
}
std::function<void(bool)> &WaitNoticeSlot()
{
    static std::function<void(bool)> notice;
    return notice;
}
} // namespace

TPasswordVault *PasswordVault()
{
    return VaultSlot();
}

void SetPasswordVault(TPasswordVault *vault)
{
    VaultSlot() = vault;
}

TPasswordVault *PassphraseVault()
{
    return VaultSlot() ? VaultSlot()->Passphrases() : nullptr;
}

void SetVaultWaitNotice(const std::function<void(bool waiting)> &notice)
{
    WaitNoticeSlot() = notice;
}

void NoteVaultWait(bool waiting)
{
    if (WaitNoticeSlot())
        WaitNoticeSlot()(waiting);
}

} // namespace wobbin
