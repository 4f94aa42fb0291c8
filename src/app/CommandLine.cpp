#include "app/CommandLine.h"
#include "app/AppPaths.h"
#include "app/Paths.h"
#include "page/Cp1252.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace wobbin {
namespace {

const char kUsage[] =
    "Usage: wobbin-express [--data-dir DIR] [PAGE]\n"
    "       wobbin-express --export PAGE [--out FILE] [--data-dir DIR]\n"
    "       wobbin-express --help | --version\n"
    "\n"
    "Without options the program opens its window, with PAGE (a .qze page or a\n"
    ".qzt template) loaded when one is named.\n"
    "\n"
    "Options:\n"
    "  --export PAGE   write the page's HTML (as the program saves it) to\n"
    "                  standard output, or to FILE with --out\n"
    "  --out FILE      where --export writes (replaced as a whole)\n"
    "  --data-dir DIR  the folder holding the pages, templates, styles and\n"
    "                  generated HTML (Styles.data gives the page its style)\n"
    "  --debug         (window) show unexpected errors in a message box\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Exit status: 0 success; 1 missing page file, unwritable output or bad usage;\n"
    "2 not a page file, an unsupported version, or a damaged or truncated page\n"
    "(the blocks read before the damage are still written).\n";

void Message(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("wobbin-express: ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
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

// The program's data folder as the window would choose it, found without
// creating or seeding anything: an export only reads.
QString ExportAppDir(const QString &explicitDir, const QString &programDir)
{
    if (!explicitDir.isEmpty())
        return explicitDir;
    if (HoldsProgramData(programDir))
        return programDir;
    if (HoldsProgramData(UserDataDir()))
        return UserDataDir();
    return InstalledDataDir(programDir);
}

// The BODY tag of the page's stored style, as the window applies it.
QString ApplyStoredStyle(const QString &html, const PageReadResult &read, const QString &appDir)
{
    if (!read.HasStyleName || appDir.isEmpty())
        return html;
    const QString stylesPath = FindPathNoCase(ToNativePath(JoinPath(appDir, QStringLiteral("Styles.data"))));
    if (!QFileInfo::exists(stylesPath))
        return html;
    const StyleList styles = LoadStyles(stylesPath);
    const int entry = FindStyleEntry(StyleListEntries(styles), read.StyleName);
    if (entry <= 0)
        return html;
    const QString tag = BodyTagForEntry(styles, entry);
    return tag.isEmpty() ? html : ReplaceBodyTag(html, tag);
}

int Export(const QString &page, const QString &out, bool toFile, const QString &appDir)
{
    TPageDocument doc;
    const PageReadResult read = ReadPageFile(page, doc);
    switch (read.Stop) {
    case PageReadStop::FileMissing:
        Message(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 1;
    case PageReadStop::NotPageFile:
    case PageReadStop::OtherMajorVersion:
    case PageReadStop::BadVersionText:
        Message(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 2;
    default:
        break;
    }
    QString html = doc.BuildPageHTML(false, true);
    html = ApplyStoredStyle(html, read, appDir);
    const QByteArray bytes = ToCp1252(html);

    if (toFile) {
        QSaveFile file(ToNativePath(out));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            Message(QStringLiteral("%1: cannot write: %2").arg(out, file.errorString()));
            return 1;
        }
    } else {
        if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) != std::size_t(bytes.size())
            || std::fflush(stdout) != 0) {
            Message(QStringLiteral("cannot write to standard output"));
            return 1;
        }
    }
    if (!read.IsOk()) {
        Message(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 2;
    }
    return 0;
}

} // namespace

bool RunCommandLine(int argc, char **argv, int &exitCode)
{
    bool exportWanted = false, outWanted = false, optionsEnded = false;
    QString page, out, dataDir;
    QStringList unexpected;
    // Options that take a value: "--name VALUE" or "--name=VALUE".
    auto value = [&](int &i, const char *name, QString &into) {
        const std::size_t n = std::strlen(name);
        const char *a = argv[i];
        if (std::strcmp(a, name) == 0) {
            if (i + 1 >= argc)
                return -1;
            into = QString::fromLocal8Bit(argv[++i]);
            return 1;
        }
        if (std::strncmp(a, name, n) == 0 && a[n] == '=') {
            into = QString::fromLocal8Bit(a + n + 1);
            return 1;
        }
        return 0;
    };
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (optionsEnded) {
            unexpected << QString::fromLocal8Bit(a);
            continue;
        }
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kUsage, stdout);
            exitCode = 0;
            return true;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("Wobbin Express Version %s\n", WOBBIN_VERSION_TEXT);
            exitCode = 0;
            return true;
        }
        int got = 0;
        const char *missing = nullptr;
        if ((got = value(i, "--export", page)) != 0) {
            exportWanted = true;
            missing = "--export";
        } else if ((got = value(i, "--out", out)) != 0) {
            outWanted = true;
            missing = "--out";
        } else if ((got = value(i, "--data-dir", dataDir)) != 0) {
            missing = "--data-dir";
        } else if (std::strcmp(a, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(a, "--debug") != 0) {
            unexpected << QString::fromLocal8Bit(a);
        }
        if (got < 0) {
            Message(QStringLiteral("%1 needs a value (see --help)").arg(QString::fromLatin1(missing)));
            exitCode = 1;
            return true;
        }
    }
    // Without --export or --out the window starts (with its own options).
    if (!exportWanted && !outWanted)
        return false;
    if (!unexpected.isEmpty()) {
        Message(QStringLiteral("unexpected argument \"%1\" (see --help)").arg(unexpected.first()));
        exitCode = 1;
        return true;
    }
    if (!exportWanted || page.isEmpty()) {
        Message(QStringLiteral("--out needs --export PAGE (see --help)"));
        exitCode = 1;
        return true;
    }
    if (outWanted && out.isEmpty()) {
        Message(QStringLiteral("--out needs a file name (see --help)"));
        exitCode = 1;
        return true;
    }
    exitCode = Export(page, out, outWanted, ExportAppDir(dataDir, ProgramFolder(argv[0])));
    return true;
}

} // namespace wobbin
