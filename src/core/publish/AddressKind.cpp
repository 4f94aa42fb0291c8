#include "publish/AddressKind.h"

#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace wobbin {
namespace {

using Bytes16 = std::array<std::uint8_t, 16>;

std::mutex &TestingMutex()
{
    static std::mutex m;
    return m;
}

QList<Bytes16> &TakenAsPublic()
{
    static QList<Bytes16> list;
    return list;
}

// An IPv4 address (host order) as the IPv6 address that maps it.
Bytes16 Mapped(std::uint32_t v4)
{
    Bytes16 b{};
    b[10] = b[11] = 0xff;
    b[12] = std::uint8_t(v4 >> 24);
    b[13] = std::uint8_t(v4 >> 16);
    b[14] = std::uint8_t(v4 >> 8);
    b[15] = std::uint8_t(v4);
    return b;
}

bool IsTakenAsPublic(const Bytes16 &b)
{
    const std::lock_guard<std::mutex> lock(TestingMutex());
    return TakenAsPublic().contains(b);
}

bool In(std::uint32_t a, std::uint32_t network, int prefix)
{
    const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t(0) << (32 - prefix);
    return (a & mask) == (network & mask);
}

constexpr std::uint32_t V4(int a, int b, int c, int d)
{
    return std::uint32_t(a) << 24 | std::uint32_t(b) << 16 | std::uint32_t(c) << 8 | std::uint32_t(d);
}

AddressKind ClassifyV4(std::uint32_t a)
{
    if (IsTakenAsPublic(Mapped(a)))
        return AddressKind::Public;
    if (In(a, V4(127, 0, 0, 0), 8) || In(a, V4(0, 0, 0, 0), 8))
        return AddressKind::Loopback;
    if (In(a, V4(169, 254, 0, 0), 16))
        return AddressKind::LinkLocal;
    if (In(a, V4(10, 0, 0, 0), 8) || In(a, V4(172, 16, 0, 0), 12) || In(a, V4(192, 168, 0, 0), 16)
        || In(a, V4(100, 64, 0, 0), 10))
        return AddressKind::Private;
    if (In(a, V4(224, 0, 0, 0), 4) || In(a, V4(240, 0, 0, 0), 4) // multicast; reserved and broadcast
        || In(a, V4(192, 0, 0, 0), 24) || In(a, V4(192, 0, 2, 0), 24) || In(a, V4(198, 51, 100, 0), 24)
        || In(a, V4(203, 0, 113, 0), 24) || In(a, V4(198, 18, 0, 0), 15))
        return AddressKind::Reserved;
    return AddressKind::Public;
}

std::uint32_t V4At(const Bytes16 &b, int offset)
{
    return std::uint32_t(b[offset]) << 24 | std::uint32_t(b[offset + 1]) << 16 | std::uint32_t(b[offset + 2]) << 8
        | b[offset + 3];
}

bool Zero(const Bytes16 &b, int from, int to)
{
    for (int i = from; i < to; ++i)
        if (b[i])
            return false;
    return true;
}

AddressKind ClassifyV6(const Bytes16 &b)
{
    if (IsTakenAsPublic(b))
        return AddressKind::Public;
    // IPv4 inside: mapped ::ffff:a.b.c.d and compatible ::a.b.c.d (this also
    // covers :: and ::1, whose last four bytes are 0.0.0.0 and 0.0.0.1).
    if (Zero(b, 0, 10) && ((b[10] == 0xff && b[11] == 0xff) || (b[10] == 0 && b[11] == 0))) {
        if (b[10] == 0 && V4At(b, 12) == 1)
            return AddressKind::Loopback; // ::1
        return ClassifyV4(V4At(b, 12));
    }
    // NAT64 64:ff9b::/96 and 6to4 2002:a.b.c.d::/48 lead to an IPv4 address too.
    if (b[0] == 0x00 && b[1] == 0x64 && b[2] == 0xff && b[3] == 0x9b && Zero(b, 4, 12))
        return ClassifyV4(V4At(b, 12));
    if (b[0] == 0x20 && b[1] == 0x02)
        return ClassifyV4(V4At(b, 2));
    if (b[0] == 0xfe && (b[1] & 0xc0) == 0x80)
        return AddressKind::LinkLocal; // fe80::/10
    if ((b[0] & 0xfe) == 0xfc || (b[0] == 0xfe && (b[1] & 0xc0) == 0xc0))
        return AddressKind::Private; // fc00::/7 unique local, fec0::/10 site-local
    if (b[0] == 0xff || (b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x0d && b[3] == 0xb8)
        || (b[0] == 0x01 && Zero(b, 1, 8)))
        return AddressKind::Reserved; // multicast, documentation 2001:db8::/32, discard 100::/64
    return AddressKind::Public;
}

// The host text as numbers: the IPv6 bytes (IPv4 mapped); false for a name.
bool ParseNumeric(QString host, Bytes16 &out)
{
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const qsizetype zone = host.indexOf(QLatin1Char('%'));
    if (zone >= 0)
        host.truncate(zone);
    if (host.isEmpty())
        return false;
    for (QChar c : host)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    const QByteArray text = host.toLatin1();
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.constData(), &v6) == 1) {
        std::memcpy(out.data(), &v6, 16);
        return true;
    }
    in_addr v4{};
    if (inet_aton(text.constData(), &v4) != 0) { // every spelling: decimal, octal, hex, short forms
        out = Mapped(ntohl(v4.s_addr));
        return true;
    }
    return false;
}

} // namespace

AddressKind ClassifySocketAddress(const sockaddr *address)
{
    if (!address)
        return AddressKind::Reserved;
    if (address->sa_family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, address, sizeof in);
        return ClassifyV4(ntohl(in.sin_addr.s_addr));
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, address, sizeof in6);
        Bytes16 b;
        std::memcpy(b.data(), &in6.sin6_addr, 16);
        return ClassifyV6(b);
    }
    return AddressKind::Reserved;
}

std::optional<AddressKind> ClassifyHostText(const QString &host)
{
    QString name = host.trimmed().toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost")))
        return AddressKind::Loopback;
    Bytes16 b{};
    if (!ParseNumeric(name, b))
        return std::nullopt;
    return ClassifyV6(b);
}

bool MayRedirect(AddressKind from, AddressKind to)
{
    return to == AddressKind::Public || to == from;
}

QString DescribeAddressKind(AddressKind kind)
{
    switch (kind) {
    case AddressKind::Public: return QStringLiteral("on the Internet");
    case AddressKind::Private: return QStringLiteral("inside a private network");
    case AddressKind::LinkLocal: return QStringLiteral("on the local network link");
    case AddressKind::Loopback: return QStringLiteral("inside this computer");
    case AddressKind::Reserved: return QStringLiteral("that no web site uses");
    }
    return QString();
}

void TakeAsPublicForTesting(const QString &address)
{
    const std::lock_guard<std::mutex> lock(TestingMutex());
    if (address.isEmpty()) {
        TakenAsPublic().clear();
        return;
    }
    Bytes16 b{};
    if (ParseNumeric(address, b))
        TakenAsPublic().append(b);
}

} // namespace wobbin
