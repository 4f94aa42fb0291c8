// The keyring module's entry (loaded by the program's entry, main.cpp, the
// first time a command needs a password kept in the desktop keyring). Like the
// window module, it takes the core library from the program that loads it.
#include "session/Keyring.h"

extern "C" __attribute__((visibility("default"))) wobbin::TPasswordVault *wobbin_keyring_vault()
{
    static wobbin::TDesktopKeyring keyring;
    return &keyring;
}
