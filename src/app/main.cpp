// Wobbin Express: program entry.
#include "cli/CommandLine.h"
#include "cli/ThumbnailCommand_gui.h"
#include "publish/Keyring_bus.h"

#ifndef WOBBIN_NO_GUI
#include "app/Application_gui.h"
#include "workspace/frmMain.h"
#endif

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    // Commands that need more than the core library.
    wobbin::AddThumbnailCommand();

    // Server passwords live in the desktop keyring, for --publish as for the window.
    wobbin::UseDesktopKeyring();

    int exitCode = 0;
    if (wobbin::RunCommandLine(argc, argv, exitCode))
        return exitCode;
#ifdef WOBBIN_NO_GUI
    std::fprintf(stderr, "wobbin-express: this build has no windows; see --help\n");
    return 1;
#else
    // The desktop entry's name: desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvex.WobbinExpress"));
    return wobbin::RunApplication(argc, argv, [](const wobbin::MainWindowArgs &a) -> QWidget * {
        wobbin::TfrmMain::Options o;
        o.appDir = a.appDir;
        o.commandLineFile = a.pageFile;
        return new wobbin::TfrmMain(o);
    });
#endif
}
