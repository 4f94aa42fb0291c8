#include "settings/AppPaths.h"
#include "settings/PageWritingSetting.h"
#include "base/Paths.h"
#include "cli/CliCommand.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"
#include "styles/StyleSheet.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace wobbin {

void CliMessage(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("wobbin-express: ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

bool CliPrint(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) == std::size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

PageWriting CliPageWriting(const CliArgs &args, bool followWindow)
{
    HtmlForm form = followWindow ? SavedHtmlForm() : HtmlForm::Classic;
    if (args.has("--modern"))
        form = HtmlForm::FitsPhones;
    else if (args.has("--classic"))
        form = HtmlForm::Classic;
    return {form, form == HtmlForm::FitsPhones ? PageLanguage() : QString()};
}

QString PageHtmlAsSaved(TPageDocument &doc, const PageReadResult &read, const QString &appDir,
                        const PageWriting &how, QString *problem)
{
    const QString html = BuildPageHTML(doc.Blocks, doc.PageTitle, false, true, how);
    // The BODY tag of the page's stored style, as the window applies it.
    if (!read.HasStyleName || appDir.isEmpty())
        return html;
    const QString stylesPath = FindPathNoCase(ToNativePath(JoinPath(appDir, QStringLiteral("Styles.data"))));
    if (!QFileInfo::exists(stylesPath))
        return html;
    StyleLoadStatus status = StyleLoadStatus::Complete;
    const StyleList styles = LoadStyles(stylesPath, &status);
    const int entry = FindStyleEntry(StyleListEntries(styles), read.StyleName);
    if (entry <= 0) {
        // A style lost with the damaged part of the library is said, never
        // dropped in silence.
        if (status == StyleLoadStatus::Damaged && problem)
            *problem = QStringLiteral("the style library %1 is damaged, so the page's style \"%2\" could not be applied")
                           .arg(QDir::toNativeSeparators(stylesPath), read.StyleName);
        return html;
    }
    return ApplyStyleEntry(html, styles, entry, how.Form);
}

QString CliDataDir(const CliArgs &args)
{
    const QString explicitDir = args.value("--data-dir");
    if (!explicitDir.isEmpty())
        return explicitDir;
    if (HoldsProgramData(args.programDir))
        return args.programDir;
    if (HoldsProgramData(UserDataDir()))
        return UserDataDir();
    return InstalledDataDir(args.programDir);
}

} // namespace wobbin
