// --export PAGE [--out FILE] [--modern]: the page's HTML exactly as the window saves it
// (classic, or with --modern written to fit phones).
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "cli/CliCommand.h"
#include "page/PageText.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"

namespace wobbin {

int RunExportCommand(const CliArgs &args)
{
    const QString page = args.operand;
    TPageDocument doc;
    const PageReadResult read = ReadPageFile(page, doc);
    switch (read.Stop) {
    case PageReadStop::FileMissing:
        CliMessage(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 1;
    case PageReadStop::NotPageFile:
    case PageReadStop::OtherMajorVersion:
    case PageReadStop::BadVersionText:
        CliMessage(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 2;
    default:
        break;
    }
    QString styleProblem;
    const QByteArray bytes = EncodePageText(
        PageHtmlAsSaved(doc, read, CliDataDir(args), CliPageWriting(args, false), &styleProblem));

    if (args.has("--out")) {
        const QString out = args.value("--out");
        const TResult<void> written = WriteFileSafely(ToNativePath(out), bytes);
        if (!written.ok()) {
            CliMessage(QStringLiteral("%1: cannot write: %2").arg(out, written.error().Text()));
            return 1;
        }
    } else if (!CliPrint(bytes)) {
        CliMessage(QStringLiteral("cannot write to standard output"));
        return 1;
    }
    if (!read.IsOk()) {
        CliMessage(QStringLiteral("%1: %2").arg(page, DescribeReadResult(read)));
        return 2;
    }
    if (!styleProblem.isEmpty()) {
        CliMessage(QStringLiteral("%1: %2").arg(page, styleProblem));
        return 2;
    }
    return 0;
}

} // namespace wobbin
