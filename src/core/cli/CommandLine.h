#pragma once
// The program's command-line face: commands that run without a window
// (--export and the others in CliCommands), --help and --version.

#include <vector>

namespace wobbin {

struct CliArgs;

// One command of the table: its option, the values that follow it, the value
// options it accepts, its help text and the function that runs it.
struct CliCommandRow {
    const char *name;                   // "--export"
    const char *operand;                // nullptr: no value; "PAGE"; several words
                                        // ("INPUT OUTPUT SIZE") take as many values
    std::vector<const char *> options;  // value options it accepts ("--out")
    const char *help;
    int (*run)(const CliArgs &);
    std::vector<const char *> required = {};  // of the options: those the command cannot do without
};

// Adds a command to the table, after the ones of the core. For commands that
// need more than the core library (a picture renderer): the program's entry
// registers them before RunCommandLine, so that --help and the manual page
// list them with the others. A row whose name is already in the table is
// ignored.
void AddCommand(const CliCommandRow &row);

// Handles the arguments when they ask for the command-line face. Returns true
// and sets exitCode when it did (a command ran, or the arguments were wrong);
// false when the window should start instead.
bool RunCommandLine(int argc, char **argv, int &exitCode);

// The usage text printed by --help (also the source of the manual page).
const char *UsageText();

} // namespace wobbin
