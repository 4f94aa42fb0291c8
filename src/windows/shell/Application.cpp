#include "shell/Application.h"

#include "settings/AppPaths.h"
#include "session/Companion.h"
#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "strings/Resources.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "settings/StartupCheck.h"
#include "shell/frmSplash.h"

#include <QDBusConnection>
#include <QDialog>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/socket.h>
#include <unistd.h>

namespace wobbin {

namespace {

bool g_debugMode = false;
bool g_terminating = false;
MainWindowFactory g_factory;
int g_signalFds[2] = {-1, -1};

// Without --debug the program says nothing on standard error in normal use:
// the notes and warnings of Qt and its parts (the browser engine's start-up,
// a missing audio device) are dropped; errors still show.
void QuietMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!g_debugMode && (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg))
        return;
    const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}

void SignalHandler(int)
{
    const char byte = 1;
    if (g_signalFds[0] >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &byte, 1);
    }
}

// The object that receives messages posted from other programs over D-Bus.
class MessageService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvex.WobbinExpress")
public:
    using QObject::QObject;
public Q_SLOTS:
    Q_NOREPLY void PostMessage(uint number)
    {
        if (number >= uint(QEvent::User) && number <= uint(QEvent::MaxUser))
            QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(number)));
    }
};

} // namespace

bool DebugMode()
{
    return g_debugMode;
}

void SetDebugMode(bool on)
{
    g_debugMode = on;
}

bool TerminationRequested()
{
    return g_terminating;
}

void RequestTermination()
{
    if (!QCoreApplication::instance())
        return;
    const bool first = !g_terminating;
    g_terminating = true;
    StopSounds();
    // Open dialogs go away without an answer.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dlg = qobject_cast<QDialog *>(w); dlg && dlg->isVisible())
            dlg->reject();
    QCoreApplication::exit(0);
    if (first) {
        // A handler may start a new local loop after the first exit; keep
        // leaving loops until the main one has ended.
        auto *again = new QTimer(QCoreApplication::instance());
        QObject::connect(again, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        again->start(50);
    }
}

void InstallTerminationSignals()
{
    if (g_signalFds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0) {
        g_signalFds[0] = g_signalFds[1] = -1;
        return;
    }
    auto *notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char buf[16];
        [[maybe_unused]] const ssize_t n = ::read(g_signalFds[1], buf, sizeof buf);
        RequestTermination();
    });
    struct sigaction sa = {};
    sa.sa_handler = SignalHandler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

bool RegisterMessageService()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    auto *service = new MessageService(qApp);
    if (!bus.registerObject(QStringLiteral("/WobbinExpress"), service, QDBusConnection::ExportAllSlots))
        return false;
    return bus.registerService(QStringLiteral("org.quorvex.WobbinExpress.Pid%1").arg(QCoreApplication::applicationPid()));
}

TWobbinApplication::TWobbinApplication(int &argc, char **argv) : QApplication(argc, argv) {}

TWobbinApplication::~TWobbinApplication() = default;

bool TWobbinApplication::notify(QObject *receiver, QEvent *event)
{
    if (event->type() == QEvent::Type(kTerminateMessage)) {
        RequestTermination();
        return true;
    }
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &ex) {
        AppException(QString::fromLocal8Bit(ex.what()));
    } catch (...) {
        AppException(QStringLiteral("unknown exception"));
    }
    return false;
}

void TWobbinApplication::AppException(const QString &what)
{
    ++m_dropped;
    m_lastException = what;
    if (g_debugMode) {
        std::fprintf(stderr, "wobbin-express: exception dropped: %s\n", qPrintable(what));
        std::fflush(stderr);
    }
    if (g_debugMode && !m_showing) {
        m_showing = true;
        try {
            QMessageBox::critical(nullptr, QStringLiteral("Wobbin Express"), what);
        } catch (...) {
        }
        m_showing = false;
    }
}

bool ReportStartupProblems(const QString &appDir)
{
    const QStringList problems = StartupProblems(appDir);
    if (problems.isEmpty())
        return false;
    MsgBox(nullptr, StartupMessage(problems), QMessageBox::Warning);
    return true;
}

void SetMainWindowFactory(MainWindowFactory factory)
{
    g_factory = std::move(factory);
}

QWidget *CreatePlaceholderMainWindow(const MainWindowArgs &args)
{
    auto *w = new QWidget;
    w->setObjectName(QStringLiteral("frmMainPlaceholder"));
    w->setWindowTitle(QStringLiteral("Wobbin Express"));
    w->resize(631, 433);
    auto *layout = new QVBoxLayout(w);
    auto *label = new QLabel(QStringLiteral("Wobbin Express\n\nThe main window is not part of this build yet.\n"
                                            "Data folder: %1")
                                 .arg(args.appDir),
                             w);
    label->setObjectName(QStringLiteral("lblPlaceholder"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return w;
}

int RunApplication(int argc, char **argv, MainWindowFactory factory)
{
    // --debug is known before anything can print.
    bool debug = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--debug") == 0)
            debug = true;
    }
    SetDebugMode(debug);
    qInstallMessageHandler(QuietMessages);
    if (!debug) {
        // The browser engine's own log (its start-up notes) only with --debug.
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--log-level"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --log-level=3").trimmed());
    }
    // The HTML viewer shares OpenGL contexts with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The viewer's browser engine refuses to start as root with its sandbox
    // on; as root (a container, a build machine) it runs without it.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        if (debug)
            std::fprintf(stderr, "wobbin-express: running as root, the HTML viewer's sandbox is off\n");
    }
    TWobbinApplication app(argc, argv);
    UseClearFocusMarks();
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvex"));
    QCoreApplication::setApplicationName(QStringLiteral("Wobbin Express"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.07"));
    InstallTerminationSignals();

    const StartupOptions options = ParseStartupArguments(QCoreApplication::arguments());
    SetDebugMode(options.debug);
    if (factory)
        g_factory = factory;

    // The settings store with the program's key, and the data folders.
    SettingsStore().OpenKey(QString(), true);
    SettingsStore().CloseKey();
    SetAppDir(ResolveAppDir(options.dataDir, QCoreApplication::applicationDirPath()));
    WriteSetting(QStringLiteral("General"), QStringLiteral("Path"), QCoreApplication::applicationFilePath());
    StartSoundSwitch();

    // Settings that cannot be saved and a data folder that cannot be used are
    // said once, before anything is lost.
    ReportStartupProblems(AppDir());

    MainWindowArgs args;
    args.appDir = AppDir();
    args.pageFile = options.pageFile;
    args.companionRunning = CompanionIsRunning();
    args.debugMode = options.debug;

    QPointer<QWidget> mainWindow;
    {
        TfrmSplash splash;
        // The application's icon (with its high-density variant when there is one).
        QIcon icon;
        for (const QString &name : {QStringLiteral("Icon"), QStringLiteral("Splash")}) {
            if (!BitmapResourcePath(name).isEmpty()) {
                icon.addFile(BitmapResourcePath(name));
                if (!Bitmap2xResourcePath(name).isEmpty())
                    icon.addFile(Bitmap2xResourcePath(name));
                break;
            }
        }
        app.setWindowIcon(icon);
        mainWindow = splash.RunStartup(AppDir(), args.companionRunning, [&]() -> QWidget * {
            QWidget *w = nullptr;
            if (g_factory)
                w = g_factory(args);
            if (!w)
                w = CreatePlaceholderMainWindow(args);
            return w;
        });
    }

    int code = 0;
    if (!TerminationRequested() && mainWindow) {
        RegisterMessageService();
        code = app.exec();
    }
    if (TerminationRequested())
        code = 0;
    delete mainWindow.data();
    StopSounds();
    SettingsStore().Sync();
    ReleaseSettingsStore();
    return code;
}

} // namespace wobbin

#include "Application.moc"
