#include "publish/PasswordVault.h"

namespace wobbin {

namespace {
TPasswordVault *&VaultSlot()
{
    static TPasswordVault *vault = nullptr;
    return vault;
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

} // namespace wobbin
