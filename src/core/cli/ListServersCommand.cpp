// --list-servers: the server list, one server a line, without passwords.
#include "cli/CliCommand.h"
#include "publish/ServerList.h"

namespace wobbin {
namespace {

// A field on one line: tabs and line breaks would split it.
QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

int RunListServersCommand(const CliArgs &)
{
    QByteArray out;
    for (const QString &name : GetServerNames()) {
        const tWWWServerType r = ReadServer(name);
        if (r.Name.isEmpty())
            continue;
        const QStringList fields{r.Name, r.Address, r.Directory, r.UserName, r.URL, r.ISP,
                                 r.FlatDir ? QStringLiteral("1") : QStringLiteral("0"),
                                 ProtocolName(r.TransferProtocol())};
        QStringList clean;
        for (const QString &f : fields)
            clean << OneLine(f);
        out += (clean.join(QLatin1Char('\t')) + QLatin1Char('\n')).toLocal8Bit();
    }
    if (!out.isEmpty() && !CliPrint(out)) {
        CliMessage(QStringLiteral("cannot write to standard output"));
        return 1;
    }
    return 0;
}

} // namespace wobbin
