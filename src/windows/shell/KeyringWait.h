#pragma once
// "Waiting for your keyring..." on the screen while the desktop keyring shows
// its own prompt (to unlock it, or to make one) and the program waits for its
// user's answer: a small notice over the program's windows, which go on
// painting meanwhile.

namespace wobbin {

// Makes the notice the process's vault wait notice (see PasswordVault.h).
void ShowKeyringWaitsInWindows();

} // namespace wobbin
