#include "settings/ExecFile.h"

#include "base/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <sys/resource.h>

namespace wobbin {

namespace {

constexpr int kMaxText = 255;

// Finds the file meant by a path that may be stored Windows-style.
QString ResolveFile(const QString &text)
{
    if (text.isEmpty())
        return QString();
    if (QFileInfo::exists(text))
        return text;
    return FindPathNoCase(ToNativePath(text));
}

// True when the file starts like a compiled program (ELF).
bool IsCompiledProgram(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(4) == QByteArrayLiteral("\x7f" "ELF");
}

// True when the file's name says it is a document (a page, a picture, a
// text...): its extension belongs to a known type that is not a program or a
// script. Such a file is never started, whatever its bits and first line.
bool NamedLikeDocument(const QString &path)
{
    const QMimeDatabase db;
    const QList<QMimeType> types = db.mimeTypesForFileName(QFileInfo(path).fileName());
    if (types.isEmpty())
        return false;
    for (const QMimeType &t : types) {
        if (t.inherits(QStringLiteral("application/x-executable"))
            || t.inherits(QStringLiteral("application/x-sharedlib"))
            || t.inherits(QStringLiteral("application/x-shellscript"))
            || t.name() == QLatin1String("application/x-desktop"))
            return false;
    }
    return true;
}

// How CommandLine may be started directly.
enum class DirectStart {
    AnyProgram,      // the caller names a program: compiled or a script
    CompiledOnly     // the caller may name a document: only a compiled program
};

// The program to run for CommandLine: a path, or a name looked up in PATH.
// A document is never a program, whatever its bits.
QString ResolveProgram(const QString &text, DirectStart rule, int *error)
{
    *error = 0;
    if (text.isEmpty()) {
        *error = ENOENT;
        return QString();
    }
    QString path;
    const bool named = text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
    if (named)
        path = ResolveFile(text);
    else
        path = QStandardPaths::findExecutable(text); // never the current folder
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        *error = ENOENT;
        return QString();
    }
    if (info.isDir() || !info.isFile() || !info.isExecutable()) {
        *error = EACCES;
        return QString();
    }
    if (named && (NamedLikeDocument(info.fileName())
                  || (rule == DirectStart::CompiledOnly && !IsCompiledProgram(info.absoluteFilePath())))) {
        *error = EACCES;
        return QString();
    }
    return info.absoluteFilePath();
}

QString UnescapeDesktopValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value.at(++i);
            switch (n.unicode()) {
            case 's': out += QLatin1Char(' '); break;
            case 'n': out += QLatin1Char('\n'); break;
            case 't': out += QLatin1Char('\t'); break;
            case 'r': out += QLatin1Char('\r'); break;
            default: out += QLatin1Char('\\'); out += n; break;  // left for the Exec quoting rules
            }
        } else {
            out += c;
        }
    }
    return out;
}

QStringList SplitExecWords(const QString &exec)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                word += exec.at(++i);
            } else {
                word += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
            word += exec.at(++i);
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QString FindDesktopFile(const QString &id)
{
    QString found = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    if (!found.isEmpty())
        return found;
    // "vendor-app.desktop" may live in "vendor/app.desktop".
    QString sub = id;
    for (qsizetype i = sub.indexOf(QLatin1Char('-')); i >= 0; i = sub.indexOf(QLatin1Char('-'), i + 1)) {
        sub[i] = QLatin1Char('/');
        found = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, sub);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

QString DesktopExecLine(const QString &desktopFile)
{
    QFile f(desktopFile);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Exec"))) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
                return UnescapeDesktopValue(line.mid(eq + 1).trimmed());
        }
    }
    return QString();
}

} // namespace

int NiceValueFor(TPriorityClass priority)
{
    switch (priority) {
    case TPriorityClass::pcIdle: return 19;
    case TPriorityClass::pcHigh: return -10;
    case TPriorityClass::pcRealTime: return -20;
    case TPriorityClass::pcNormal: break;
    }
    return 0;
}

AssociatedCommand CommandFromDesktopExec(const QString &exec, const QString &documentPath)
{
    AssociatedCommand cmd;
    const QStringList words = SplitExecWords(exec);
    QStringList out;
    bool fileGiven = false;
    for (const QString &w : words) {
        if (w == QLatin1String("%f") || w == QLatin1String("%F") || w == QLatin1String("%u")
            || w == QLatin1String("%U")) {
            out << documentPath;
            fileGiven = true;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w.at(i) == QLatin1Char('%') && i + 1 < w.size()) {
                const QChar code = w.at(++i);
                if (code == QLatin1Char('%')) {
                    expanded += QLatin1Char('%');
                } else if (QStringLiteral("fFuU").contains(code)) {
                    expanded += documentPath;
                    fileGiven = true;
                }
                // %i %c %k and the deprecated codes are dropped.
            } else {
                expanded += w.at(i);
            }
        }
        if (!expanded.isEmpty() || !w.contains(QLatin1Char('%')))
            out << expanded;
    }
    if (out.isEmpty())
        return cmd;
    if (!fileGiven)
        out << documentPath;
    cmd.program = out.takeFirst();
    cmd.arguments = out;
    return cmd;
}

AssociatedCommand FindAssociatedCommand(const QString &documentPath, bool *databaseUnavailable)
{
    if (databaseUnavailable)
        *databaseUnavailable = false;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) {
        if (databaseUnavailable)
            *databaseUnavailable = true;
        return {};
    }
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(documentPath);
    if (!mime.isValid() || mime.isDefault())
        return {};
    QProcess query;
    query.setProgram(xdgMime);
    query.setArguments({QStringLiteral("query"), QStringLiteral("default"), mime.name()});
    query.setStandardInputFile(QProcess::nullDevice());
    query.start();
    if (!query.waitForStarted(5000) || !query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished(1000);
        if (databaseUnavailable)
            *databaseUnavailable = true;
        return {};
    }
    const QString answer = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    const QString id = answer.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(';'), 0, 0).trimmed();
    if (id.isEmpty())
        return {};
    const QString file = FindDesktopFile(id);
    if (file.isEmpty())
        return {};
    const QString exec = DesktopExecLine(file);
    if (exec.isEmpty())
        return {};
    return CommandFromDesktopExec(exec, documentPath);
}

TExecFile::TExecFile(QObject *parent) : QObject(parent) {}

TExecFile::~TExecFile() = default;

void TExecFile::SetCommandLine(const QString &text)
{
    m_commandLine = text.left(kMaxText);
}

void TExecFile::SetParameters(const QString &text)
{
    m_parameters = text.left(kMaxText);
}

void TExecFile::Fail(int error, const QString &text)
{
    m_lastError = error;
    m_lastErrorText = text;
}

bool TExecFile::Start(const QString &programText, const QStringList &arguments, bool fromAssociation)
{
    m_lastArguments = arguments;
    m_lastPid = 0;
    int error = 0;
    // The program found for a document by the desktop's association is
    // started as the desktop says (it may well be a script); CommandLine is
    // started directly only when it is a program, never a document.
    QString program;
    if (fromAssociation) {
        program = programText.contains(QLatin1Char('/')) ? programText
                                                         : QStandardPaths::findExecutable(programText);
        if (program.isEmpty() || !QFileInfo(program).isExecutable() || QFileInfo(program).isDir()) {
            error = ENOENT;
            program.clear();
        }
    } else {
        program = ResolveProgram(programText, Associate ? DirectStart::CompiledOnly : DirectStart::AnyProgram,
                                 &error);
    }
    if (program.isEmpty()) {
        Fail(error, QStringLiteral("cannot start %1: %2").arg(programText, QString::fromLocal8Bit(strerror(error))));
        return false;
    }
    const int nice = NiceValueFor(Priority);
    // WindowStyle has no counterpart for a program started here: ignored.

    if (!Wait) {
        QProcess proc;
        proc.setProgram(program);
        proc.setArguments(arguments);
        qint64 pid = 0;
        if (!proc.startDetached(&pid)) {
            Fail(ENOEXEC, proc.errorString());
            return false;
        }
        m_lastPid = pid;
        if (nice != 0 && pid > 0)
            setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice);
        return true;
    }

    auto *proc = new QProcess(this);
    proc->setProgram(program);
    proc->setArguments(arguments);
    proc->setProcessChannelMode(QProcess::ForwardedChannels);
    proc->start();
    if (!proc->waitForStarted(10000)) {
        Fail(ENOEXEC, proc->errorString());
        delete proc;
        return false;
    }
    m_lastPid = proc->processId();
    if (nice != 0 && m_lastPid > 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(m_lastPid), nice);

    m_running = true;
    m_lastExitCode = -1;
    if (WaitStyle == TWaitStyle::wSuspend) {
        proc->waitForFinished(-1);
    } else {
        QEventLoop loop;
        connect(proc, &QProcess::finished, &loop, &QEventLoop::quit);
        if (proc->state() != QProcess::NotRunning)
            loop.exec();
    }
    m_running = false;
    if (proc->state() != QProcess::NotRunning) {
        // The program is ending while we wait: leave the process running.
        proc->setParent(nullptr);
        return true;
    }
    if (proc->exitStatus() == QProcess::NormalExit)
        m_lastExitCode = proc->exitCode();
    delete proc;
    if (WaitStyle == TWaitStyle::wRegular)
        QCoreApplication::processEvents();
    return true;
}

bool TExecFile::Execute()
{
    m_lastError = 0;
    m_lastErrorText.clear();
    QStringList params;
    if (!m_parameters.isEmpty())
        params << m_parameters;
    bool started = Start(m_commandLine, params, false);

    if (!started && Associate && !m_commandLine.isEmpty()) {
        const int directError = m_lastError;
        QString document = ResolveFile(m_commandLine);
        if (document.isEmpty())
            document = ToNativePath(m_commandLine);
        document = QFileInfo(document).absoluteFilePath();
        bool unavailable = false;
        const AssociatedCommand cmd = FindAssociatedCommand(document, &unavailable);
        if (cmd.isValid()) {
            started = Start(cmd.program, cmd.arguments + params, true);
        } else if (unavailable && !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
            started = Start(QStringLiteral("xdg-open"), QStringList{document}, true);
        } else {
            Fail(directError, QStringLiteral("no program is associated with %1").arg(document));
        }
    }

    if (!started) {
        if (OnFail)
            OnFail(this);
        Q_EMIT Failed();
        return false;
    }
    return true;
}

} // namespace wobbin
