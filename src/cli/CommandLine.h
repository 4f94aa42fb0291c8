#pragma once
// The program's command-line face: commands that run without a window
// (--export and the others in CliCommands), --help and --version.

namespace wobbin {

// Handles the arguments when they ask for the command-line face. Returns true
// and sets exitCode when it did (a command ran, or the arguments were wrong);
// false when the window should start instead.
bool RunCommandLine(int argc, char **argv, int &exitCode);

// The usage text printed by --help (also the source of the manual page).
const char *UsageText();

} // namespace wobbin
