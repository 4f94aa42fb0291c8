#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

namespace wobbin {

bool RunCommandLine(int argc, char **argv, int &exitCode)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Wobbin Express Version 1.07\n");
            exitCode = 0;
            return true;
        }
    }
    return false;
}

} // namespace wobbin
