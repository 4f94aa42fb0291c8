// Wobbin Express: program entry.
//
// The command line runs here on the core library alone. The window, and the
// commands that draw pictures, live in the window module (main_window.cpp),
// which is loaded only when one of them is asked for: a command such as
// --publish does not pay for loading the window libraries. The desktop keyring
// is a module of its own too (main_keyring.cpp), loaded the first time a
// command needs a password that is kept there.
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Secrets.h"
#include "cli/CliCommand.h"
#include "cli/CommandLine.h"
#include "cli/ThumbnailCommand.h"
#include "publish/PasswordVault.h"

#ifdef WOBBIN_NO_GUI
#include "pictures/ThumbnailDrawing.h"
#include "session/Keyring.h"
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
// A module of the program: relativePath is its path relative to this
// program's folder (the same in the build tree and once installed).
void *LoadModule(const char *relativePath, const char *what)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString folder = QFileInfo(self.symLinkTarget()).absolutePath();
    const QByteArray path =
        QFileInfo(folder + QLatin1Char('/') + QString::fromUtf8(relativePath)).absoluteFilePath().toLocal8Bit();
    void *module = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        std::fprintf(stderr, "wobbin-express: the %s cannot be loaded: %s\n", what, dlerror());
    return module;
}

// The window module (WOBBIN_WINDOW_MODULE).
void *WindowModule()
{
    static void *module = nullptr;
    if (!module)
        module = LoadModule(WOBBIN_WINDOW_MODULE, "window part");
    return module;
}

// The desktop keyring, loaded from its module (WOBBIN_KEYRING_MODULE) at the
// first call. Without the module every call fails, as with a keyring that is
// not there: passwords then come from the settings file alone.
class TKeyringOnDemand : public wobbin::TPasswordVault
{
public:
    QList<wobbin::TVaultAnswer> ReadPasswords(const QStringList &names) override
    {
        wobbin::TPasswordVault *v = Vault();
        return v ? v->ReadPasswords(names) : Failed(names.size());
    }
    QList<wobbin::TVaultAnswer> WritePasswords(const QList<QPair<QString, QString>> &entries) override
    {
        wobbin::TPasswordVault *v = Vault();
        return v ? v->WritePasswords(entries) : Failed(entries.size());
    }
    QList<wobbin::TVaultAnswer> RemovePasswords(const QStringList &names) override
    {
        wobbin::TPasswordVault *v = Vault();
        return v ? v->RemovePasswords(names) : Failed(names.size());
    }
    wobbin::TPasswordVault *Passphrases() override
    {
        wobbin::TPasswordVault *v = Vault();
        return v ? v->Passphrases() : nullptr;
    }

private:
    wobbin::TPasswordVault *Vault()
    {
        if (!m_tried) {
            m_tried = true;
            if (void *module = LoadModule(WOBBIN_KEYRING_MODULE, "keyring part")) {
                using Entry = wobbin::TPasswordVault *(*)();
                if (const auto entry = reinterpret_cast<Entry>(dlsym(module, "wobbin_keyring_vault")))
                    m_vault = entry();
            }
        }
        return m_vault;
    }
    static QList<wobbin::TVaultAnswer> Failed(qsizetype count)
    {
        wobbin::TVaultAnswer a;
        a.outcome = wobbin::TVaultAnswer::Failed;
        a.error = QStringLiteral("The keyring part of the program cannot be loaded.");
        return QList<wobbin::TVaultAnswer>(count, a);
    }

    bool m_tried = false;
    wobbin::TPasswordVault *m_vault = nullptr;
};

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
    // Passwords pass through this process: it never leaves a core dump.
    wobbin::KeepSecretsOutOfCoreDumps();

    // Commands that need more than the core library.
#ifdef WOBBIN_NO_GUI
    wobbin::AddThumbnailCommand();
#else
    wobbin::AddCommand(wobbin::ThumbnailCommandRow(&RunThumbnailInWindowModule));
#endif

    // Server passwords live in the desktop keyring, for --publish as for the
    // window (which puts its own in place at once).
#ifdef WOBBIN_NO_GUI
    wobbin::UseDesktopKeyring();
#else
    static TKeyringOnDemand keyring;
    wobbin::SetPasswordVault(&keyring);
#endif

    // A command waiting for the keyring's prompt says so (the window shows
    // a notice of its own instead).
    wobbin::SetVaultWaitNotice([](bool waiting) {
        if (waiting)
            wobbin::CliMessage(wobbin::LoadStr(wobbin::Msg::WaitingForKeyring));
    });

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
