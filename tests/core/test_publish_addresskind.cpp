// Where an address leads, as the page check's redirection rule sees it: the
// host as written in an address, and the socket address a name resolved to.
#include "publish/AddressKind.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace wobbin;

Q_DECLARE_METATYPE(wobbin::AddressKind)

namespace {

AddressKind OfSocket(const char *text)
{
    sockaddr_in6 in6{};
    if (inet_pton(AF_INET6, text, &in6.sin6_addr) == 1) {
        in6.sin6_family = AF_INET6;
        return ClassifySocketAddress(reinterpret_cast<const sockaddr *>(&in6));
    }
    sockaddr_in in{};
    if (inet_pton(AF_INET, text, &in.sin_addr) == 1) {
        in.sin_family = AF_INET;
        return ClassifySocketAddress(reinterpret_cast<const sockaddr *>(&in));
    }
    qFatal("not an address: %s", text);
}

} // namespace

class TestAddressKind : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kinds_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<AddressKind>("kind");
        const auto row = [](const char *host, AddressKind kind) { QTest::newRow(host) << QString::fromLatin1(host) << kind; };
        row("127.0.0.1", AddressKind::Loopback);
        row("127.255.255.254", AddressKind::Loopback);
        row("0.0.0.0", AddressKind::Loopback);
        row("::1", AddressKind::Loopback);
        row("::", AddressKind::Loopback);
        row("::ffff:127.0.0.1", AddressKind::Loopback);
        row("::ffff:7f00:1", AddressKind::Loopback);
        row("10.1.2.3", AddressKind::Private);
        row("172.16.0.1", AddressKind::Private);
        row("172.31.255.255", AddressKind::Private);
        row("192.168.1.1", AddressKind::Private);
        row("100.64.0.1", AddressKind::Private);
        row("fc00::1", AddressKind::Private);
        row("fd12:3456::1", AddressKind::Private);
        row("::ffff:10.0.0.1", AddressKind::Private);
        row("64:ff9b::10.0.0.1", AddressKind::Private);
        row("2002:c0a8:0101::1", AddressKind::Private); // 6to4 of 192.168.1.1
        row("169.254.169.254", AddressKind::LinkLocal);
        row("fe80::1", AddressKind::LinkLocal);
        row("febf::1", AddressKind::LinkLocal);
        row("224.0.0.1", AddressKind::Reserved);
        row("255.255.255.255", AddressKind::Reserved);
        row("ff02::1", AddressKind::Reserved);
        row("2001:db8::1", AddressKind::Reserved);
        row("8.8.8.8", AddressKind::Public);
        row("172.32.0.1", AddressKind::Public);
        row("100.128.0.1", AddressKind::Public);
        row("2a00:1450::1", AddressKind::Public);
        row("::ffff:8.8.8.8", AddressKind::Public);
    }

    // The same kind whether the address is written or connected to.
    void kinds()
    {
        QFETCH(QString, host);
        QFETCH(AddressKind, kind);
        QCOMPARE(ClassifyHostText(host), std::optional<AddressKind>(kind));
        QCOMPARE(OfSocket(host.toLatin1().constData()), kind);
    }

    void spellingsOfAnAddress_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<AddressKind>("kind");
        QTest::newRow("decimal") << QStringLiteral("2130706433") << AddressKind::Loopback;
        QTest::newRow("octal") << QStringLiteral("0177.0.0.1") << AddressKind::Loopback;
        QTest::newRow("hexadecimal") << QStringLiteral("0x7f.0x0.0x0.0x1") << AddressKind::Loopback;
        QTest::newRow("short") << QStringLiteral("127.1") << AddressKind::Loopback;
        QTest::newRow("zero") << QStringLiteral("0") << AddressKind::Loopback;
        QTest::newRow("metadata in decimal") << QStringLiteral("2852039166") << AddressKind::LinkLocal;
        QTest::newRow("private in hex") << QStringLiteral("0xa000001") << AddressKind::Private;
        QTest::newRow("brackets") << QStringLiteral("[::1]") << AddressKind::Loopback;
        QTest::newRow("zone") << QStringLiteral("[fe80::1%eth0]") << AddressKind::LinkLocal;
        QTest::newRow("localhost") << QStringLiteral("LOCALHOST.") << AddressKind::Loopback;
        QTest::newRow("under localhost") << QStringLiteral("admin.localhost") << AddressKind::Loopback;
    }

    void spellingsOfAnAddress()
    {
        QFETCH(QString, host);
        QFETCH(AddressKind, kind);
        QCOMPARE(ClassifyHostText(host), std::optional<AddressKind>(kind));
    }

    void namesAreKnownOnlyOnceResolved()
    {
        for (const char *name : {"example.com", "localhost.example.com", "10.0.0.1.nip.io", "1e100.net", "", "[]"})
            QVERIFY2(!ClassifyHostText(QString::fromLatin1(name)), name);
    }

    void redirectionRule()
    {
        const AddressKind all[] = {AddressKind::Public, AddressKind::Private, AddressKind::LinkLocal,
                                   AddressKind::Loopback, AddressKind::Reserved};
        for (AddressKind from : all)
            for (AddressKind to : all)
                QCOMPARE(MayRedirect(from, to), to == AddressKind::Public || to == from);
    }

    void testsMayTakeALoopbackAddressAsPublic()
    {
        TakeAsPublicForTesting(QStringLiteral("127.0.0.2"));
        QCOMPARE(ClassifyHostText(QStringLiteral("127.0.0.2")), std::optional(AddressKind::Public));
        QCOMPARE(OfSocket("::ffff:127.0.0.2"), AddressKind::Public);
        QCOMPARE(OfSocket("127.0.0.1"), AddressKind::Loopback);
        TakeAsPublicForTesting(QString());
        QCOMPARE(OfSocket("127.0.0.2"), AddressKind::Loopback);
    }
};

QTEST_GUILESS_MAIN(TestAddressKind)
#include "test_publish_addresskind.moc"
