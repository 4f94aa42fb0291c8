// The window module's entries (loaded by the program's entry, main.cpp, only
// when the window or a command that draws pictures is asked for). The module
// takes the core library from the program that loads it.
#include "shell/Application.h"
#include "cli/CliCommand.h"
#include "pictures/ThumbnailDrawing.h"
#include "shell/KeyringWait.h"
#include "session/Keyring.h"
#include "workspace/frmMain.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <csignal>

#define WOBBIN_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace {

// A termination signal the program's entry kept while this module loaded.
volatile std::sig_atomic_t *g_earlySignal = nullptr;

// Runs when the application object is made: right after it the window puts
// its own termination handlers in place, and only then are events handled,
// so the kept signal is raised again at the first event.
void PassOnEarlySignal()
{
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        if (g_earlySignal && *g_earlySignal)
            std::raise(int(*g_earlySignal));
    });
}

} // namespace

WOBBIN_MODULE_ENTRY int wobbin_window_main(int argc, char **argv, volatile std::sig_atomic_t *earlySignal)
{
    g_earlySignal = earlySignal;
    qAddPreRoutine(&PassOnEarlySignal);
    // The window's own keyring, before anything reads the server list; while
    // it asks its user, a notice says what the program waits for.
    wobbin::UseDesktopKeyring();
    wobbin::ShowKeyringWaitsInWindows();
    // The desktop entry's name: desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvex.WobbinExpress"));
    return wobbin::RunApplication(argc, argv, [](const wobbin::MainWindowArgs &a) -> QWidget * {
        wobbin::TfrmMain::Options o;
        o.appDir = a.appDir;
        o.commandLineFile = a.pageFile;
        return new wobbin::TfrmMain(o);
    });
}

WOBBIN_MODULE_ENTRY int wobbin_thumbnail_main(const wobbin::CliArgs &args)
{
    return wobbin::RunThumbnailCommand(args);
}
