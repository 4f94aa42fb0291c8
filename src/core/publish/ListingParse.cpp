#include "publish/ListingParse.h"

namespace wobbin {

// "type=file;size=123;modify=20240101000000; name" (RFC 3659), one a line.
QList<TRemoteEntry> ParseMachineListing(const QByteArray &listing)
{
    QList<TRemoteEntry> out;
    for (QByteArray line : listing.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const int space = line.indexOf(' ');
        if (space <= 0 || space + 1 >= line.size())
            continue;
        TRemoteEntry e;
        e.Name = QString::fromUtf8(line.mid(space + 1));
        QByteArray type;
        qint64 size = -1;
        for (const QByteArray &fact : line.left(space).split(';')) {
            const int eq = fact.indexOf('=');
            if (eq <= 0)
                continue;
            const QByteArray key = fact.left(eq).toLower();
            const QByteArray value = fact.mid(eq + 1).toLower();
            if (key == "type") {
                type = value;
            } else if (key == "size") {
                bool ok = false;
                size = value.toLongLong(&ok);
                if (!ok || size < 0)
                    size = -1;
            }
        }
        // A file's size (a folder's says nothing); the folder itself and its parent are left out.
        e.Size = type == "file" ? size : -1;
        const bool self = type == "cdir" || type == "pdir";
        if (!self && e.Name != QLatin1String(".") && e.Name != QLatin1String(".."))
            out << e;
    }
    return out;
}

// One name a line (some servers put the folder before it).
QList<TRemoteEntry> ParseNameListing(const QByteArray &listing)
{
    QList<TRemoteEntry> out;
    for (QByteArray line : listing.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString name = QString::fromUtf8(line).section(QLatin1Char('/'), -1);
        if (!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."))
            out << TRemoteEntry{name, -1};
    }
    return out;
}

qint64 ParseSizeAnswer(const QByteArray &line)
{
    if (line.size() < 5 || !line.startsWith("213 "))
        return -1;
    bool ok = false;
    const qint64 value = line.mid(4).trimmed().toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

bool SafeRemoteName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('\\') || c == QLatin1Char('/'))
            return false;
    }
    return true;
}

} // namespace wobbin
