#include "cli/CliPassword.h"

#include "base/Secrets.h"
#include "cli/CliCommand.h"
#include "publish/PasswordVault.h"
#include "publish/ServerList.h"
#include "publish/SshKeys.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <termios.h>
#include <unistd.h>

namespace wobbin {
namespace {

constexpr int kMaxPasswordBytes = 4096;

// The terminal's settings while echo is off, put back by a signal that ends
// the process meanwhile (the shell would otherwise be left without echo).
struct termios g_savedTerminal;
volatile std::sig_atomic_t g_echoOffFd = -1;

extern "C" void RestoreEchoAndDie(int signal)
{
    if (g_echoOffFd >= 0)
        tcsetattr(g_echoOffFd, TCSAFLUSH, &g_savedTerminal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

class TEchoOff
{
public:
    explicit TEchoOff(int fd) : m_fd(fd)
    {
        if (!isatty(fd) || tcgetattr(fd, &g_savedTerminal) != 0)
            return;
        struct sigaction sa = {};
        sa.sa_handler = RestoreEchoAndDie;
        sigemptyset(&sa.sa_mask);
        for (int i = 0; i < 3; ++i)
            sigaction(kSignals[i], &sa, &m_previous[i]);
        struct termios quiet = g_savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL; // the line break still shows
        g_echoOffFd = fd;
        m_active = tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
        if (!m_active)
            Restore();
    }
    ~TEchoOff() { Restore(); }

private:
    void Restore()
    {
        if (g_echoOffFd < 0)
            return;
        if (m_active)
            tcsetattr(m_fd, TCSAFLUSH, &g_savedTerminal);
        g_echoOffFd = -1;
        for (int i = 0; i < 3; ++i)
            sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
    int m_fd;
    bool m_active = false;
    struct sigaction m_previous[3] = {};
};

QString KeyringReason(const TVaultAnswer &answer)
{
    switch (answer.outcome) {
    case TVaultAnswer::NoAnswer:
        return QStringLiteral("the keyring did not answer in time");
    case TVaultAnswer::Refused:
        return QStringLiteral("the keyring was not unlocked");
    default:
        break;
    }
    return answer.error.isEmpty() ? QStringLiteral("no keyring service is running") : answer.error;
}

// The question before a password is typed at the terminal.
void AskAtTerminal(const tWWWServerType &server)
{
    // An SFTP server may let its user in with a key alone.
    const QString keysOnly = server.TransferProtocol() == TTransferProtocol::SFTP
        ? QStringLiteral(" (empty: with your SSH keys only)") : QString();
    const QByteArray prompt = QStringLiteral("Password for %1 on %2%3: ").arg(server.UserName, server.Name, keysOnly).toLocal8Bit();
    if (::write(STDERR_FILENO, prompt.constData(), size_t(prompt.size())) < 0) {
        // nothing to do: the question is a courtesy
    }
}

} // namespace

TResult<void> ReadPasswordLine(int fd, QString &password)
{
    password.clear();
    char buffer[kMaxPasswordBytes + 2];
    int length = 0;
    bool ended = false, tooLong = false;
    {
        TEchoOff quiet(fd);
        for (;;) {
            char c = 0;
            const ssize_t got = ::read(fd, &c, 1); // byte by byte: nothing after the line is taken
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            if (c == '\n') {
                ended = true;
                break;
            }
            if (length < kMaxPasswordBytes + 1)
                buffer[length++] = c;
            else
                tooLong = true;
        }
    }
    if (length > 0 && buffer[length - 1] == '\r' && ended)
        --length;
    tooLong = tooLong || length > kMaxPasswordBytes;
    QByteArray bytes(buffer, length);
    std::memset(buffer, 0, sizeof buffer);
    password = QString::fromLocal8Bit(bytes);
    WipeBytes(bytes);
    QString why;
    if (!ended && length == 0)
        why = QStringLiteral("standard input gave no password (not even an empty line)");
    else if (tooLong)
        why = QStringLiteral("the password line is longer than %1 bytes").arg(kMaxPasswordBytes);
    else if (HasControlCharacter(password))
        why = QStringLiteral("the password holds a control character other than its line break, "
                             "which would send the server commands of its own");
    if (why.isEmpty())
        return {};
    WipeString(password);
    return TError(why);
}

bool CliServerPassword(const CliArgs &args, const tWWWServerType &server, QString &password)
{
    if (server.TransferProtocol() == TTransferProtocol::Folder) {
        // A folder of this computer takes no password: none is asked for,
        // and one given on standard input is read and dropped (a line that
        // is no password does not matter either).
        if (args.has("--password-stdin") && !isatty(STDIN_FILENO) && ReadPasswordLine(STDIN_FILENO, password).ok())
            WipeString(password);
        password.clear();
        return true;
    }
    if (args.has("--password-stdin")) {
        if (isatty(STDIN_FILENO))
            AskAtTerminal(server);
        const TResult<void> read = ReadPasswordLine(STDIN_FILENO, password);
        if (read.ok())
            return true;
        CliMessage(read.error().Text() + QStringLiteral("; nothing was sent"));
        return false;
    }
    password = PrivateCopy(server.Password);
    if (server.PasswordKnown && !password.isEmpty())
        return true; // kept in the settings file
    QString keyringProblem;
    if (!server.PasswordKnown) {
        TPasswordVault *vault = PasswordVault();
        QList<TVaultAnswer> answers = vault ? vault->ReadPasswords({server.StoredName}) : QList<TVaultAnswer>();
        if (answers.isEmpty())
            answers.append(TVaultAnswer());
        const TVaultAnswer::Outcome outcome = answers.first().outcome;
        if (outcome == TVaultAnswer::Ok)
            password = PrivateCopy(answers.first().password);
        else if (outcome != TVaultAnswer::NotFound)
            keyringProblem = QStringLiteral("the password of server \"%1\" is kept in the desktop keyring, "
                                            "which could not be reached: %2")
                                 .arg(server.Name, KeyringReason(answers.first()));
        for (TVaultAnswer &a : answers)
            WipeString(a.password);
        if (!password.isEmpty())
            return true;
    }
    if (!isatty(STDIN_FILENO)) {
        if (keyringProblem.isEmpty())
            return true; // none kept: the server may take an empty one
        CliMessage(keyringProblem + QStringLiteral(". Nothing was sent; give the password with --password-stdin, "
                                                   "or run the command on a terminal to type it."));
        return false;
    }
    if (!keyringProblem.isEmpty())
        CliMessage(keyringProblem + QLatin1Char('.'));
    AskAtTerminal(server);
    const TResult<void> typed = ReadPasswordLine(STDIN_FILENO, password);
    if (typed.ok())
        return true;
    CliMessage(typed.error().Text() + QStringLiteral("; nothing was sent"));
    return false;
}

} // namespace wobbin

namespace wobbin {

bool CliKeyPassphrase(const QString &keyFile, const QString &serverName, bool wrong)
{
    QString passphrase;
    if (TPasswordVault *vault = PassphraseVault(); vault && !wrong) {
        QList<TVaultAnswer> answers = vault->ReadPasswords({PassphraseEntryName(keyFile)});
        const bool found = !answers.isEmpty() && answers.first().outcome == TVaultAnswer::Ok;
        if (found)
            RememberPassphrase(keyFile, answers.first().password);
        for (TVaultAnswer &a : answers)
            WipeString(a.password);
        if (found)
            return true;
    }
    const QString key = KeyFileShown(keyFile);
    if (!isatty(STDIN_FILENO)) {
        CliMessage(QStringLiteral("the SSH key %1 is locked with a passphrase%2, and no one is at a terminal to type it. "
                                  "Nothing was sent; add the key to your ssh-agent (ssh-add %1) before running the "
                                  "command, or run it on a terminal.")
                       .arg(key, wrong ? QStringLiteral(" (the one kept in the keyring did not unlock it)") : QString()));
        return false;
    }
    const QByteArray prompt = (wrong ? QStringLiteral("That passphrase did not unlock the key. ") : QString())
                                  .append(QStringLiteral("Passphrase for the SSH key %1 to log on to %2 (empty: "
                                                         "without this key): ")
                                              .arg(key, serverName))
                                  .toLocal8Bit();
    if (::write(STDERR_FILENO, prompt.constData(), size_t(prompt.size())) < 0) {
        // nothing to do: the question is a courtesy
    }
    const TResult<void> typed = ReadPasswordLine(STDIN_FILENO, passphrase);
    if (!typed.ok()) {
        CliMessage(typed.error().Text().replace(QStringLiteral("password"), QStringLiteral("passphrase"))
                   + QStringLiteral("; nothing was sent"));
        return false;
    }
    if (passphrase.isEmpty())
        DeclinePassphrase(keyFile);
    else
        RememberPassphrase(keyFile, passphrase);
    WipeString(passphrase);
    return true;
}

} // namespace wobbin
