#pragma once
// TExecFile starts another program, or opens a document with the program
// associated with it, optionally waiting until it ends.
//
// Execute first starts CommandLine as a program, with Parameters as its one
// argument (none when empty). No shell ever sees the text: a path with blanks
// or shell characters is one argument and never run as a command. A document
// is never run, whatever its execute bit or "#!" line: a file whose name says
// it is a document (page.html, a.jpg) is never started directly, and with
// Associate set a path is started directly only when it is a compiled
// program (a script given with Associate set is a document). When that
// start fails and Associate is set, CommandLine is opened as a document: its
// MIME type's default application is found through the freedesktop MIME
// database (xdg-mime) and started with the document's path (and Parameters);
// when the database cannot be asked, xdg-open is used instead. A failure
// sets LastError (an errno value), calls OnFail once and returns false.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QProcess;

namespace wobbin {

enum class TPriorityClass { pcNormal, pcIdle, pcHigh, pcRealTime };
enum class TWaitStyle { wRegular, wSuspend };
enum class TWindowStyle { wsNorm, wsMinimize, wsMaximize, wsHide, wsMinNoActivate, wsShowNoActivate };

// The nice value a priority class is started with (raising the priority needs
// privileges; without them the program runs at normal priority).
int NiceValueFor(TPriorityClass priority);

// A program found for a document: the program and its arguments.
struct AssociatedCommand
{
    QString program;
    QStringList arguments;
    bool isValid() const { return !program.isEmpty(); }
};

// Splits the Exec value of a desktop entry into words (with its quoting rules)
// and puts the document's path in place of %f %F %u %U (appended when the line
// has none of them); %i %c %k are dropped and %% is a percent sign.
AssociatedCommand CommandFromDesktopExec(const QString &exec, const QString &documentPath);
// The default application of a document through xdg-mime, or an invalid
// command when there is none. Sets *databaseUnavailable when xdg-mime could not run.
AssociatedCommand FindAssociatedCommand(const QString &documentPath, bool *databaseUnavailable = nullptr);

class TExecFile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Associate MEMBER Associate)
    Q_PROPERTY(QString CommandLine READ GetCommandLine WRITE SetCommandLine)
    Q_PROPERTY(QString Parameters READ GetParameters WRITE SetParameters)
    Q_PROPERTY(bool Wait MEMBER Wait)

public:
    explicit TExecFile(QObject *parent = nullptr);
    ~TExecFile() override;

    // Published properties with their defaults.
    bool Associate = false;
    TPriorityClass Priority = TPriorityClass::pcNormal;
    bool Wait = false;
    TWaitStyle WaitStyle = TWaitStyle::wRegular;
    TWindowStyle WindowStyle = TWindowStyle::wsNorm;
    std::function<void(TExecFile *sender)> OnFail;

    // At most 255 characters each; longer texts are cut.
    QString GetCommandLine() const { return m_commandLine; }
    void SetCommandLine(const QString &text);
    QString GetParameters() const { return m_parameters; }
    void SetParameters(const QString &text);

    // True when a process was started (and, with Wait, has ended).
    bool Execute();

    int LastError() const { return m_lastError; }
    QString LastErrorText() const { return m_lastErrorText; }
    bool Running() const { return m_running; }
    // The program and arguments of the last start (or attempt), and its process id.
    QStringList LastArguments() const { return m_lastArguments; }
    qint64 LastProcessId() const { return m_lastPid; }
    // The exit code of the last waited-for process (-1 when not waited or crashed).
    int LastExitCode() const { return m_lastExitCode; }

Q_SIGNALS:
    void Failed();

private:
    bool Start(const QString &program, const QStringList &arguments, bool fromAssociation);
    void Fail(int error, const QString &text);

    QString m_commandLine;
    QString m_parameters;
    int m_lastError = 0;
    QString m_lastErrorText;
    bool m_running = false;
    QStringList m_lastArguments;
    qint64 m_lastPid = 0;
    int m_lastExitCode = -1;
};

} // namespace wobbin
