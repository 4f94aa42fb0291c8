#pragma once
// The --thumbnail row of the command table. The command draws pictures
// (QtGui), so it runs in the window part (pictures/ThumbnailDrawing.h); its row is
// here so that the command line lists it without loading that part.

#include "cli/CommandLine.h"

namespace wobbin {

struct CliArgs;

// The row, run by run.
CliCommandRow ThumbnailCommandRow(int (*run)(const CliArgs &));

} // namespace wobbin
