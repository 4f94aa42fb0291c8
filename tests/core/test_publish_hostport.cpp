// A server's address split into host and port: the host as typed, the port
// checked, and everything that is no plain host refused before it reaches a
// connection, known_hosts or a web address.
#include "publish/HostPort.h"

#include <QtTest>

using namespace wobbin;

class TestPublishHostPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // host: expected host, "" when refused; port: expected port; badPort: the
    // port alone is wrong (refused, or taken as none when told to ignore it).
    void split_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("badPort");
        const auto row = [](const char *name, const QString &address, const char *host, int port, bool bad) {
            QTest::newRow(name) << address << QString::fromUtf8(host) << port << bad;
        };
        row("letter case kept", "Ftp.Example.COM", "Ftp.Example.COM", 0, false);
        row("scheme, port, path", " ftps://Host.example:990/pub/x ", "Host.example", 990, false);
        row("highest port", "host:65535", "host", 65535, false);
        row("IPv6 in brackets", "sftp://[FE80::1]:2222", "FE80::1", 2222, false);
        row("bare IPv6", "::1", "::1", 0, false);
        row("international name", QString::fromUtf8("Bücher.example:21"), "Bücher.example", 21, false);
        row("port 0", "host:0", "host", 0, true);
        row("port too large", "[::1]:65536", "::1", 0, true);
        row("port not a number", "host:ftp", "host", 0, true);
        row("colon alone", "host:", "host", 0, false);
        row("empty", "  ", "", 0, false);
        row("port only", ":21", "", 0, false);
        row("login and password left out", "ftp://user:pw@Host:21/", "Host", 21, false);
        row("line break", "host\r\nPASS x", "", 0, false);
        row("backslash", "ho\\st", "", 0, false);
        row("percent escape", "ho%73t", "", 0, false);
        row("shorthand IPv4", "127.1:21", "127.1", 21, false);
        row("look-alike letters", QString::fromUtf8("ｅxample.com"), "", 0, false);
        row("IPv6 zone", "[fe80::1%25eth0]", "", 0, false);
        row("text after brackets", "[::1]x:21", "", 0, false);
    }

    void split()
    {
        QFETCH(QString, address);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, badPort);
        const TResult<THostPort> strict = SplitHostPort(address);
        const TResult<THostPort> lenient = SplitHostPort(address, TBadPort::Ignore);
        QCOMPARE(strict.ok(), !host.isEmpty() && !badPort);
        QCOMPARE(lenient.ok(), !host.isEmpty());
        for (const TResult<THostPort> *split : {&strict, &lenient}) {
            if (split->ok()) {
                QCOMPARE(split->value().Host, host);
                QCOMPARE(split->value().Port, port);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPublishHostPort)
#include "test_publish_hostport.moc"
