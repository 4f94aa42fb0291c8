#include "cli/CommandLine.h"
#include "cli/CliCommand.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace wobbin {
namespace {

// Options of the commands, shared by the commands that accept them: with a
// value, or a switch (no valueName).
struct ValueOption {
    const char *name;
    const char *valueName;
    const char *help;
};
const ValueOption kValueOptions[] = {
    {"--out", "FILE", "where --export writes (replaced as a whole)"},
    {"--server", "NAME", "the server (its description in the server list; letter case ignored)"},
    {"--data-dir", "DIR",
     "the folder holding the pages, templates, styles and generated HTML\n"
     "(Styles.data gives the page its style)"},
    {"--modern", nullptr,
     "write the page to fit phones: HTML5 in UTF-8 with a viewport, its style\n"
     "as a style sheet, pictures that shrink to the screen (--publish and\n"
     "--verify follow the window's Fits phones choice without it)"},
    {"--classic", nullptr, "write the page as in the program's first version (the default of\n"
                           "--export; --publish and --verify follow the window's choice)"},
    {"--password-stdin", nullptr,
     "read the server's password from standard input: one line, its line\n"
     "break removed (never give it as an argument: every user can see those)"},
    {"--dry-run", nullptr,
     "(--publish) list what would be sent and what would be skipped as\n"
     "unchanged; only reads the server's listings, writes nothing"},
    {"--remove-unused", nullptr,
     "(--publish) after the upload, remove the pictures sent to this server\n"
     "and folder earlier that no page sent from here refers to any more\n"
     "(without it they are only listed)"},
};

// A command: its option, what follows it, the value options it accepts.
using Command = CliCommandRow;
const Command kCommands[] = {
    {"--export", "PAGE", {"--out", "--data-dir", "--modern", "--classic"},
     "write the page's HTML (as the program saves it) to standard output,\n"
     "or to FILE with --out",
     &RunExportCommand},
    {"--list-servers", nullptr, {"--data-dir"},
     "print the server list in its order, one server a line: description,\n"
     "address, folder, login name, URL, provider, flat-folder flag (0 or 1)\n"
     "and kind (FTP, FTPS, SFTP, WebDAV, WebDAVS or Folder, whose folder is\n"
     "the path written into), separated by tabs (never the password)",
     &RunListServersCommand},
    {"--publish", "PAGE",
     {"--server", "--data-dir", "--modern", "--classic", "--password-stdin", "--dry-run", "--remove-unused"},
     "upload the page's HTML (as the program saves it) and its pictures to\n"
     "the server NAME, printing each status line and each file sent (on a\n"
     "terminal a line per file, updated as it goes); the password comes from\n"
     "--password-stdin, the settings, the desktop keyring, or is asked for\n"
     "without echo when standard input is a terminal; Ctrl+C cancels",
     &RunPublishCommand, {"--server"}},
    {"--verify", "PAGE", {"--server", "--data-dir", "--modern", "--classic", "--password-stdin"},
     "check that the page is live: fetch it from the web address of\n"
     "the server NAME and compare it and its pictures with what an\n"
     "upload sends; the diagnosis on standard output",
     &RunVerifyCommand, {"--server"}},
};

// Options the window takes besides a page file.
const char *const kWindowFlags[] = {"--debug"};
// Options of Qt itself, taken by the window: those with a value, then flags.
const char *const kQtValueOptions[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                       "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-style",
                                       "-stylesheet", "-display", "-geometry", "-session", "-name"};
const char *const kQtFlags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

const char kExitStatus[] =
    "Exit status:\n"
    "  0  success\n"
    "  1  missing page file, unwritable output or bad usage\n"
    "  2  not a page file, an unsupported version, or a damaged or truncated page\n"
    "     (the blocks read before the damage are still written)\n"
    "  3  the upload, or the removal of unused pictures, failed (--publish;\n"
    "     the message on standard error), or the page refers to a file that\n"
    "     may not be sent (--publish and --verify)\n"
    "  4  the page is not live as sent (--verify; the diagnosis on standard output)\n"
    "  5  no password that may be sent: the desktop keyring could not be reached\n"
    "     or was not unlocked and none was typed, or --password-stdin gave none\n"
    "     or one holding a control character, or a locked SSH key needs its\n"
    "     passphrase and no one is at a terminal (the reason on standard error)\n"
    "  130  --publish interrupted by Ctrl+C: the upload was cancelled as the\n"
    "       window's Cancel does (143 for SIGTERM)\n";

// Commands added by the program's entry (AddCommand), after the table's.
std::vector<Command> &AddedCommands()
{
    static std::vector<Command> added;
    return added;
}

// Every command: the table's, then the added ones.
std::vector<const Command *> AllCommands()
{
    std::vector<const Command *> all;
    for (const Command &c : kCommands)
        all.push_back(&c);
    for (const Command &c : AddedCommands())
        all.push_back(&c);
    return all;
}

// How many values follow the command's option: one per word of its operand.
int OperandCount(const Command &c)
{
    return c.operand ? int(QByteArray(c.operand).simplified().split(' ').size()) : 0;
}

const ValueOption *FindValueOption(const QString &name)
{
    for (const ValueOption &o : kValueOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

const Command *FindCommand(const QString &name)
{
    for (const Command *c : AllCommands())
        if (name == QLatin1String(c->name))
            return c;
    return nullptr;
}

template <std::size_t N>
bool InList(const char *const (&list)[N], const QString &name)
{
    for (const char *s : list)
        if (name == QLatin1String(s))
            return true;
    return false;
}

// "  --name VALUE    first line\n                  next line\n"; an option too
// long for the column stands on a line of its own, and its text is indented
// to column 20 (which the manual page maker reads as the option's text).
void AppendHelp(QByteArray &text, const QByteArray &left, const char *help)
{
    int column = 18;
    QByteArray head = "  " + left;
    const QList<QByteArray> lines = QByteArray(help).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray lead = i == 0 ? head : QByteArray();
        if (lead.size() + 2 > column) {
            text += lead + '\n';
            lead.clear();
            column = 20;
        }
        text += lead.leftJustified(column, ' ') + lines.at(i) + '\n';
    }
}

QByteArray BuildUsage()
{
    QByteArray text = "Usage: wobbin-express [--data-dir DIR] [PAGE]\n";
    for (const Command *c : AllCommands()) {
        QByteArray line = QByteArray("  or:  wobbin-express ") + c->name;
        if (c->operand)
            line += QByteArray(" ") + c->operand;
        for (const char *o : c->options) {
            const ValueOption *v = FindValueOption(QString::fromLatin1(o));
            const QByteArray option = v->valueName ? QByteArray(o) + ' ' + v->valueName : QByteArray(o);
            bool needed = false;
            for (const char *r : c->required)
                needed = needed || qstrcmp(r, o) == 0;
            line += needed ? ' ' + option : " [" + option + ']';
        }
        text += line + '\n';
    }
    text += "  or:  wobbin-express --help | --version\n"
            "\n"
            "Without options the program opens its window, with PAGE (a .qze page or a\n"
            ".qzt template) loaded when one is named.\n"
            "\n"
            "Options:\n";
    for (const Command *c : AllCommands())
        AppendHelp(text, QByteArray(c->name) + (c->operand ? QByteArray(" ") + c->operand : QByteArray()), c->help);
    for (const ValueOption &o : kValueOptions)
        AppendHelp(text, o.valueName ? QByteArray(o.name) + ' ' + o.valueName : QByteArray(o.name), o.help);
    AppendHelp(text, "--debug", "(window) show unexpected errors in a message box");
    AppendHelp(text, "--help", "show this help and exit");
    AppendHelp(text, "--version", "show the version and exit");
    text += '\n';
    text += kExitStatus;
    return text;
}

// Folder of the running program.
QString ProgramFolder(const char *argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

int UsageError(const QString &text)
{
    CliMessage(text);
    std::fputs(UsageText(), stderr);
    return 1;
}

} // namespace

void AddCommand(const CliCommandRow &row)
{
    if (!row.name || !row.run || FindCommand(QString::fromLatin1(row.name)))
        return;
    AddedCommands().push_back(row);
}

const char *UsageText()
{
    // Built afresh, since commands may be added after a first call.
    static QByteArray usage;
    usage = BuildUsage();
    return usage.constData();
}

bool RunCommandLine(int argc, char **argv, int &exitCode)
{
    const Command *command = nullptr;
    CliArgs args;
    QStringList operands;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            operands << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(UsageText(), stdout);
            exitCode = 0;
            return true;
        }
        if (a == QLatin1String("--version")) {
            std::printf("Wobbin Express Version %s\n", WOBBIN_VERSION_TEXT);
            exitCode = 0;
            return true;
        }
        if (InList(kWindowFlags, a) || InList(kQtFlags, a))
            continue;
        if (InList(kQtValueOptions, a)) {
            ++i; // Qt takes the option and its value itself
            continue;
        }
        // "--name VALUE" or "--name=VALUE"
        const int eq = a.indexOf(QLatin1Char('='));
        const QString name = eq > 0 ? a.left(eq) : a;
        const Command *c = FindCommand(name);
        const ValueOption *v = c ? nullptr : FindValueOption(name);
        if (!c && !v) {
            exitCode = UsageError(QStringLiteral("unknown option \"%1\"").arg(a));
            return true;
        }
        if (c && OperandCount(*c) > 1) {
            // A command with several values takes them as the next arguments.
            const int count = OperandCount(*c);
            if (eq > 0) {
                exitCode = UsageError(QStringLiteral("%1 takes %2 separate values (%3)")
                                          .arg(name).arg(count).arg(QLatin1String(c->operand)));
                return true;
            }
            if (i + count >= argc) {
                exitCode = UsageError(QStringLiteral("%1 needs %2 values (%3)")
                                          .arg(name).arg(count).arg(QLatin1String(c->operand)));
                return true;
            }
            if (command && command != c) {
                exitCode = UsageError(QStringLiteral("%1 and %2 cannot be used together")
                                          .arg(QLatin1String(command->name), name));
                return true;
            }
            command = c;
            args.operands.clear();
            for (int k = 0; k < count; ++k)
                args.operands << QString::fromLocal8Bit(argv[++i]);
            args.operand = args.operands.first();
            continue;
        }
        const bool takesValue = v ? v->valueName != nullptr : c->operand != nullptr;
        QString value;
        if (takesValue) {
            if (eq > 0) {
                value = a.mid(eq + 1);
            } else if (i + 1 < argc) {
                value = QString::fromLocal8Bit(argv[++i]);
            } else {
                exitCode = UsageError(QStringLiteral("%1 needs a value").arg(name));
                return true;
            }
        } else if (eq > 0) {
            exitCode = UsageError(QStringLiteral("%1 takes no value").arg(name));
            return true;
        }
        if (c) {
            if (command && command != c) {
                exitCode = UsageError(QStringLiteral("%1 and %2 cannot be used together")
                                          .arg(QLatin1String(command->name), name));
                return true;
            }
            command = c;
            args.operand = value;
            args.operands = QStringList(value);
        } else {
            args.values.insert(name, value);
        }
    }
    args.programDir = ProgramFolder(argv[0]);

    if (!command) {
        // The window: at most one page file, and only options it knows.
        for (auto it = args.values.cbegin(); it != args.values.cend(); ++it) {
            if (it.key() != QLatin1String("--data-dir")) {
                exitCode = UsageError(QStringLiteral("%1 needs a command such as --export").arg(it.key()));
                return true;
            }
        }
        if (operands.size() > 1) {
            exitCode = UsageError(QStringLiteral("unexpected argument \"%1\"").arg(operands.at(1)));
            return true;
        }
        return false;
    }
    if (!operands.isEmpty()) {
        exitCode = UsageError(QStringLiteral("unexpected argument \"%1\"").arg(operands.first()));
        return true;
    }
    for (auto it = args.values.cbegin(); it != args.values.cend(); ++it) {
        bool allowed = false;
        for (const char *o : command->options)
            allowed = allowed || it.key() == QLatin1String(o);
        if (!allowed) {
            exitCode = UsageError(QStringLiteral("%1 cannot be used with %2").arg(it.key(), QLatin1String(command->name)));
            return true;
        }
        if (it.value().isEmpty() && FindValueOption(it.key())->valueName) {
            exitCode = UsageError(QStringLiteral("%1 needs a value").arg(it.key()));
            return true;
        }
    }
    if (command->operand && std::any_of(args.operands.cbegin(), args.operands.cend(),
                                        [](const QString &o) { return o.isEmpty(); })) {
        exitCode = UsageError(QStringLiteral("%1 needs a value").arg(QLatin1String(command->name)));
        return true;
    }
    if (args.values.contains(QStringLiteral("--modern")) && args.values.contains(QStringLiteral("--classic"))) {
        exitCode = UsageError(QStringLiteral("--modern and --classic cannot be used together"));
        return true;
    }
    for (const char *r : command->required) {
        if (!args.values.contains(QString::fromLatin1(r))) {
            exitCode = UsageError(QStringLiteral("%1 needs %2").arg(QLatin1String(command->name), QLatin1String(r)));
            return true;
        }
    }
    exitCode = command->run(args);
    return true;
}

} // namespace wobbin
