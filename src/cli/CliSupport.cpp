#include "app/AppPaths.h"
#include "app/PageWritingSetting.h"
#include "base/Paths.h"
#include "cli/CliCommand.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"
#include "styles/StyleSheet.h"

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
                        const PageWriting &how)
{
    const QString html = BuildPageHTML(doc.Blocks, doc.PageTitle, false, true, how);
    // The BODY tag of the page's stored style, as the window applies it.
    if (!read.HasStyleName || appDir.isEmpty())
        return html;
    const QString stylesPath = FindPathNoCase(ToNativePath(JoinPath(appDir, QStringLiteral("Styles.data"))));
    if (!QFileInfo::exists(stylesPath))
        return html;
    const StyleList styles = LoadStyles(stylesPath);
    const int entry = FindStyleEntry(StyleListEntries(styles), read.StyleName);
    if (entry <= 0)
        return html;
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
