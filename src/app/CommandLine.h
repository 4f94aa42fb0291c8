#pragma once
// The program's command-line face: --export, --help, --version. Needs no display.

namespace wobbin {

// Handles the arguments when they ask for the command-line face. Returns true
// and sets exitCode when it did; false when the window should start instead.
bool RunCommandLine(int argc, char **argv, int &exitCode);

} // namespace wobbin
