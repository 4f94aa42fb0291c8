#pragma once
// Where a network address leads: to the Internet, into a private network,
// onto the local link or back into this computer. The page check follows a
// web server's redirections only to the kind of address it started from or
// to the Internet, so that a site on the Internet cannot send it into the
// user's own network (a router's pages, a cloud machine's metadata service at
// 169.254.169.254, a service listening on 127.0.0.1).

#include <QString>

#include <optional>

struct sockaddr;

namespace wobbin {

enum class AddressKind {
    Public,     // an address on the Internet
    Private,    // 10/8, 172.16/12, 192.168/16, 100.64/10 (carrier NAT), fc00::/7, fec0::/10
    LinkLocal,  // 169.254/16, fe80::/10
    Loopback,   // 127/8, ::1, and 0.0.0.0/8 and :: (which reach this computer)
    Reserved,   // multicast, broadcast, documentation and other ranges nobody serves pages from
};

// The kind of a socket address (AF_INET or AF_INET6; anything else is Reserved).
// IPv6 addresses that carry an IPv4 address (mapped ::ffff:a.b.c.d,
// compatible ::a.b.c.d, NAT64 64:ff9b::/96, 6to4 2002::/16) take its kind.
AddressKind ClassifySocketAddress(const sockaddr *address);

// The kind of a host as written in an address, when the text is an address
// itself: IPv4 in every spelling the C library takes (127.0.0.1, 2130706433,
// 0x7f.1, 0177.0.0.1), IPv6 with or without brackets and zone, and the names
// "localhost" and "*.localhost". Empty for any other name: its kind is known
// only once it is resolved.
std::optional<AddressKind> ClassifyHostText(const QString &host);

// Whether a redirection may lead from the kind of address the check started
// at to an address of kind to: to the Internet, or to the same kind.
bool MayRedirect(AddressKind from, AddressKind to);

// A few words for a kind, for messages ("inside this computer").
QString DescribeAddressKind(AddressKind kind);

// For tests only: the classifier takes this numeric address (as written in
// ClassifyHostText's forms) as an address on the Internet from now on, so that
// a test server on the loopback can stand for a public site; an empty text
// forgets all such addresses. Never called by the program itself.
void TakeAsPublicForTesting(const QString &address);

} // namespace wobbin
