#pragma once
// A server's address as the user types it: "host", "host:2121", "[::1]:2121",
// "::1" or "ftp://host:21/folder", split into the host and the port.

#include "base/Result.h"

#include <QString>

namespace wobbin {

struct THostPort
{
    QString Host;  // as typed (letter case kept); an IPv6 address without its brackets
    int Port = 0;  // 1 to 65535; 0 when the address gives none
};

// What a port that is not a number from 1 to 65535 does: fails the split, or is taken as no port at all.
enum class TBadPort { Refuse, Ignore };

// Splits the address (surrounding white space left out). A leading
// "scheme://" and anything from the first "/" after it on are left out; a
// bare IPv6 address ("::1") has no port; a login before the host
// ("user@host") is left out, and so is a colon with nothing after it. Fails
// on an empty host, a query or fragment, white space or a control character
// inside, a host that is no host name or address, and (unless badPort says
// Ignore) on a bad port. The host keeps the letters as typed, so that what
// the user wrote is what is looked up, kept in known_hosts and shown.
[[nodiscard]] TResult<THostPort> SplitHostPort(const QString &address, TBadPort badPort = TBadPort::Refuse);

} // namespace wobbin
