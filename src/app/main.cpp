// Wobbin Express: program entry.
//
// The command line runs here on the core library alone. The window, and the
// commands that draw pictures, live in the window module (main_window.cpp),
// which is loaded only when one of them is asked for: a command such as
// --publish does not pay for loading the window libraries.
#include "cli/CliCommand.h"
#include "cli/CommandLine.h"
#include "cli/ThumbnailCommand.h"
#include "publish/Keyring_bus.h"

#ifdef WOBBIN_NO_GUI
#include "cli/ThumbnailCommand_gui.h"
#endif

#include <QByteArray>
#include <QFileInfo>
#include <QString>

#include <csignal>
#include <cstdio>

#ifndef WOBBIN_NO_GUI
#include <dlfcn.h>
#endif

namespace {

#ifndef WOBBIN_NO_GUI
// The window module: WOBBIN_WINDOW_MODULE is its path relative to this
// program's folder (the same in the build tree and once installed).
void *WindowModule()
{
    static void *module = nullptr;
    if (module)
        return module;
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString folder = QFileInfo(self.symLinkTarget()).absolutePath();
    const QByteArray path = QFileInfo(folder + QStringLiteral("/" WOBBIN_WINDOW_MODULE)).absoluteFilePath().toLocal8Bit();
    module = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        std::fprintf(stderr, "wobbin-express: the window part cannot be loaded: %s\n", dlerror());
    return module;
}

template <typename Function>
Function WindowEntry(const char *name)
{
    void *module = WindowModule();
    void *entry = module ? dlsym(module, name) : nullptr;
    if (module && !entry)
        std::fprintf(stderr, "wobbin-express: the window part lacks %s\n", name);
    return reinterpret_cast<Function>(entry);
}

int RunThumbnailInWindowModule(const wobbin::CliArgs &args)
{
    const auto run = WindowEntry<int (*)(const wobbin::CliArgs &)>("wobbin_thumbnail_main");
    return run ? run(args) : 1;
}

// A termination signal that comes while the window part is still loading is
// kept and handed to the window, which ends in order once it can.
volatile std::sig_atomic_t g_earlySignal = 0;
extern "C" void NoteEarlySignal(int signal)
{
    g_earlySignal = signal;
}
void KeepEarlySignals()
{
    struct sigaction sa = {};
    sa.sa_handler = NoteEarlySignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}
#endif

} // namespace

int main(int argc, char **argv)
{
    // Commands that need more than the core library.
#ifdef WOBBIN_NO_GUI
    wobbin::AddThumbnailCommand();
#else
    wobbin::AddCommand(wobbin::ThumbnailCommandRow(&RunThumbnailInWindowModule));
#endif

    // Server passwords live in the desktop keyring, for --publish as for the window.
    wobbin::UseDesktopKeyring();

    int exitCode = 0;
    if (wobbin::RunCommandLine(argc, argv, exitCode))
        return exitCode;
#ifdef WOBBIN_NO_GUI
    std::fprintf(stderr, "wobbin-express: this build has no windows; see --help\n");
    return 1;
#else
    KeepEarlySignals();
    const auto window = WindowEntry<int (*)(int, char **, volatile std::sig_atomic_t *)>("wobbin_window_main");
    return window ? window(argc, argv, &g_earlySignal) : 1;
#endif
}
