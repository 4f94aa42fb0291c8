// Wobbin Express: program entry.
#include "cli/CommandLine.h"

#ifndef WOBBIN_NO_GUI
#include "app/Application_gui.h"
#include "workspace/frmMain.h"
#endif

#include <cstdio>

int main(int argc, char **argv)
{
    int exitCode = 0;
    if (wobbin::RunCommandLine(argc, argv, exitCode))
        return exitCode;
#ifdef WOBBIN_NO_GUI
    std::fprintf(stderr, "wobbin-express: this build has no windows; see --help\n");
    return 1;
#else
    return wobbin::RunApplication(argc, argv, [](const wobbin::MainWindowArgs &a) -> QWidget * {
        wobbin::TfrmMain::Options o;
        o.appDir = a.appDir;
        o.commandLineFile = a.pageFile;
        return new wobbin::TfrmMain(o);
    });
#endif
}
