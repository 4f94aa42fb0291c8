#include "app/CommandLine.h"
#include "app/Paths.h"
#include "page/Cp1252.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <cstring>

namespace wobbin {
namespace {

const char kUsage[] =
    "Usage: wobbin-express [PAGE]\n"
    "       wobbin-express --export PAGE [--out FILE]\n"
    "       wobbin-express --help | --version\n"
    "\n"
    "Without options the program opens its window, with PAGE (a .qze page or a\n"
    ".qzt template) loaded when one is named.\n"
    "\n"
    "Options:\n"
    "  --export PAGE   write the page's HTML (as the program saves it) to\n"
    "                  standard output, or to FILE with --out\n"
    "  --out FILE      where --export writes (replaced as a whole)\n"
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

// Folder of the running program (where Styles.data lives).
QString ProgramFolder(const char *argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

// The BODY tag of the page's stored style, as the window applies it.
QString ApplyStoredStyle(const QString &html, const PageReadResult &read, const QString &appDir)
{
    if (!read.HasStyleName)
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

int Export(const QString &page, const QString &out, bool toFile, const char *argv0)
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
    html = ApplyStoredStyle(html, read, ProgramFolder(argv0));
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
    bool exportWanted = false, outWanted = false;
    QString page, out;
    bool handled = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
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
        if (std::strcmp(a, "--export") == 0 || std::strcmp(a, "--out") == 0) {
            handled = true;
            const bool isExport = a[2] == 'e';
            if (i + 1 >= argc) {
                Message(QStringLiteral("%1 needs a file name (see --help)").arg(QString::fromLocal8Bit(a)));
                exitCode = 1;
                return true;
            }
            const QString value = QString::fromLocal8Bit(argv[++i]);
            if (isExport) {
                exportWanted = true;
                page = value;
            } else {
                outWanted = true;
                out = value;
            }
        } else if (std::strncmp(a, "--export=", 9) == 0) {
            handled = exportWanted = true;
            page = QString::fromLocal8Bit(a + 9);
        } else if (std::strncmp(a, "--out=", 6) == 0) {
            handled = outWanted = true;
            out = QString::fromLocal8Bit(a + 6);
        } else if (handled || (a[0] == '-' && a[1] == '-' && a[2] != '\0')) {
            if (handled || exportWanted) {
                Message(QStringLiteral("unexpected argument \"%1\" (see --help)").arg(QString::fromLocal8Bit(a)));
                exitCode = 1;
                return true;
            }
        }
    }
    if (!handled)
        return false;
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
    exitCode = Export(page, out, outWanted, argv[0]);
    return true;
}

} // namespace wobbin
