#include "app/AppPaths.h"
#include "cli/CliCommand.h"

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
