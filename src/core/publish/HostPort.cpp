#include "publish/HostPort.h"

#include <QRegularExpression>
#include <QUrl>

namespace wobbin {

namespace {

TError NotValid()
{
    return TError(QStringLiteral("The server's address is not valid."));
}

bool HasUnsafeCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || c == QLatin1Char('\\') || c == QLatin1Char('@'))
            return true;
    }
    return false;
}

// QUrl's view of "//" + authority: whether it is a host with an optional
// port and nothing else, and that host is hostText (bracketed: an IPv6
// address). *port is QUrl's port, -1 when none.
bool UrlTakes(const QString &authority, const QString &hostText, bool bracketed, int *port)
{
    const QUrl url(QStringLiteral("//") + authority, QUrl::StrictMode);
    if (!url.isValid() || !url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery()
        || url.hasFragment())
        return false;
    if (port)
        *port = url.port();
    if (bracketed) {
        // QUrl writes addresses shortened; an address of hex digits, colons
        // and dots (no zone, no future format) is taken as typed.
        static const QRegularExpression v6(QStringLiteral("^[0-9A-Fa-f:.]+$"));
        return v6.match(hostText).hasMatch();
    }
    // An IPv4 address in a short form (127.1) is looked up as typed, as it
    // always was. Any other name QUrl sees otherwise (percent escapes,
    // characters it maps to others) is not taken: what was typed would not be
    // what was checked. International names come back in ACE form.
    static const QRegularExpression ipv4(QStringLiteral("^[0-9.]+$"));
    if (ipv4.match(hostText).hasMatch())
        return true;
    const QString seen = QUrl::fromAce(url.host(QUrl::EncodeUnicode).toLatin1(), QUrl::IgnoreIDNWhitelist);
    return seen.compare(hostText, Qt::CaseInsensitive) == 0;
}

} // namespace

TResult<THostPort> SplitHostPort(const QString &address, TBadPort badPort)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    QString authority = address.trimmed();
    authority.remove(scheme);
    const qsizetype slash = authority.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        authority.truncate(slash);
    // A login written before the host ("user@host") is not part of it; the
    // log-on comes from its own fields.
    authority = authority.mid(authority.lastIndexOf(QLatin1Char('@')) + 1);
    // A colon with nothing after it gives no port.
    if (authority.endsWith(QLatin1Char(':')) && !authority.endsWith(QStringLiteral("::")))
        authority.chop(1);
    if (authority.isEmpty() || HasUnsafeCharacter(authority))
        return NotValid();
    // An IPv6 address without brackets cannot carry a port.
    if (!authority.startsWith(QLatin1Char('[')) && authority.count(QLatin1Char(':')) > 1)
        authority = QLatin1Char('[') + authority + QLatin1Char(']');

    const bool bracketed = authority.startsWith(QLatin1Char('['));
    const qsizetype hostEnd = bracketed ? authority.indexOf(QLatin1Char(']')) + 1 : 0;
    if (bracketed && hostEnd == 0)
        return NotValid();
    const qsizetype colon = authority.indexOf(QLatin1Char(':'), hostEnd);
    const QString hostPart = colon >= 0 ? authority.left(colon) : authority;
    THostPort split;
    split.Host = bracketed ? authority.mid(1, hostEnd - 2) : hostPart;
    if (split.Host.isEmpty())
        return NotValid();

    int port = -1;
    const bool taken = UrlTakes(authority, split.Host, bracketed, &port);
    if (taken && (colon < 0 || port > 0)) {
        split.Port = qMax(port, 0);
        return split;
    }
    // Refused: for the host, or only for the port?
    if (!UrlTakes(hostPart, split.Host, bracketed, nullptr))
        return NotValid();
    if (badPort == TBadPort::Refuse)
        return TError(QStringLiteral("The port in the server's address is not a number from 1 to 65535."));
    return split;
}

} // namespace wobbin
