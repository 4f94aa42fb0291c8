#include "settings/StartupCheck.h"

#include "settings/AppPaths.h"
#include "settings/Settings.h"

#include <QFileInfo>

namespace wobbin {

QString StyleLibraryProblem(const QString &path, StyleLoadStatus status, int stylesRead)
{
    const QString name = QFileInfo(path).fileName();
    switch (status) {
    case StyleLoadStatus::Complete:
        return QString();
    case StyleLoadStatus::Missing:
        return QStringLiteral("The style library \"%1\" is missing or cannot be read; only \"[None]\" can be "
                              "chosen.")
            .arg(name);
    case StyleLoadStatus::Damaged:
        if (stylesRead == 0)
            return QStringLiteral("The style library \"%1\" is damaged; none of its styles could be read.").arg(name);
        return QStringLiteral("The style library \"%1\" is damaged; only its first %2 could be read.")
            .arg(name, stylesRead == 1 ? QStringLiteral("style") : QStringLiteral("%1 styles").arg(stylesRead));
    }
    return QString();
}

TResult<void> CheckStyleLibrary(const QString &path)
{
    StyleLoadStatus status = StyleLoadStatus::Complete;
    const StyleList styles = LoadStyles(path, &status);
    if (status == StyleLoadStatus::Complete)
        return {};
    return TError(StyleLibraryProblem(path, status, int(styles.size())));
}

QStringList StartupProblems(const QString &appDir)
{
    QStringList problems;
    for (const TResult<void> &check : {CheckSettingsWritable(), CheckDataFolder(appDir)}) {
        if (!check.ok())
            problems << check.error().Text();
    }
    return problems;
}

QString StartupMessage(const QStringList &problems)
{
    if (problems.isEmpty())
        return QString();
    return problems.join(QStringLiteral("\n\n"));
}

} // namespace wobbin
