#pragma once
// Starts the windowed program: application object, settings, folders, splash,
// main window, and the ways the program is told to end.
//
// The main window is made by a factory that the program's entry passes in
// (RunApplication's third argument) or registers with SetMainWindowFactory:
//
//     wobbin::SetMainWindowFactory([](const wobbin::MainWindowArgs &a) -> QWidget * {
//         wobbin::TfrmMain::Options o;
//         o.appDir = a.appDir;
//         o.commandLineFile = a.pageFile;
//         return new wobbin::TfrmMain(o);
//     });
//
// It is called one second after the splash appears; the window it returns is
// shown, becomes the application's main window (closing it ends the program)
// and is deleted after the event loop ends, so its destructor does the normal
// clean-up. Without a factory a plain placeholder window stands in.
//
// Ending the program in order: an application event of type 1148 posted to any
// object of the program (QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(1148)))),
// SIGTERM or SIGINT, or the D-Bus call PostMessage(1148) on the object
// /WobbinExpress (interface org.quorvex.WobbinExpress) of the service
// org.quorvex.WobbinExpress.Pid<process id> leave the event loop without
// asking to save; the main window is then deleted and the program exits 0.

#include <QApplication>
#include <QString>
#include <functional>

class QWidget;

namespace wobbin {

inline constexpr int kTerminateMessage = 1148;  // user message base 1024 + 124

struct MainWindowArgs
{
    QString appDir;             // AppDir (native path, no trailing separator)
    QString pageFile;           // page file named on the command line, may be empty
    bool companionRunning = false;
    bool debugMode = false;
};
using MainWindowFactory = std::function<QWidget *(const MainWindowArgs &)>;

void SetMainWindowFactory(MainWindowFactory factory);

int RunApplication(int argc, char **argv, MainWindowFactory factory = {});

// The application object: drops exceptions that reach the event dispatch
// (standard error only; a message box in debug mode) and ends the program in
// order on event 1148.
class TWobbinApplication : public QApplication
{
    Q_OBJECT
public:
    TWobbinApplication(int &argc, char **argv);
    ~TWobbinApplication() override;
    bool notify(QObject *receiver, QEvent *event) override;

    // Exceptions dropped so far (for tests).
    int DroppedExceptions() const { return m_dropped; }
    QString LastExceptionText() const { return m_lastException; }

private:
    void AppException(const QString &what);
    int m_dropped = 0;
    QString m_lastException;
    bool m_showing = false;
};

// DebugMode: off unless --debug is given.
bool DebugMode();
void SetDebugMode(bool on);

// Ends the program in order: leaves every event loop (again and again, until
// the main loop has ended) and marks the program as ending.
void RequestTermination();
bool TerminationRequested();
// Turns SIGTERM and SIGINT into RequestTermination (through a socket pair).
void InstallTerminationSignals();
// Offers PostMessage(uint) on the session bus (see above); false without a bus.
bool RegisterMessageService();

// Shows one warning naming what keeps the program from keeping its work
// (settings that cannot be saved, a data folder that cannot be used); true
// when there was something to say.
bool ReportStartupProblems(const QString &appDir);

// The placeholder that stands in for the main window when there is none.
QWidget *CreatePlaceholderMainWindow(const MainWindowArgs &args);

} // namespace wobbin
