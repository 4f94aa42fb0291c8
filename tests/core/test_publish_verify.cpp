// Is the page live? The check after an upload against real web servers on
// 127.0.0.1: one serving the site's folder, one serving another folder, one
// answering slowly, one redirecting, and a few that answer oddly.
#include "publish/AddressKind.h"
#include "publish/PageVerify.h"
#include "support/HttpTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace wobbin;
using wobbin::testing::THttpTestServer;

namespace {

const QByteArray kPage = "<HTML>\r\n<HEAD><TITLE>Mine</TITLE></HEAD>\r\n<BODY>\r\n<IMG SRC=\"graphics/cat.gif\">\r\n"
                         "<IMG SRC=\"backgrnd/sky.jpg\">\r\n</BODY>\r\n</HTML>\r\n";
const QByteArray kOldPage = "<HTML><BODY>my first try</BODY></HTML>\n";
const QByteArray kCat = "GIF89a cat picture";
const QByteArray kSky = QByteArray(5000, 's');

void Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A port on 127.0.0.1 that nobody listens on.
int ClosedPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

QByteArray Unix(QByteArray text) { return text.replace("\r\n", "\n"); }

} // namespace

class TestPublishVerify : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_site;   // the folder the upload wrote into, served by m_web
    QString m_other;  // another folder, with a page of its own
    THttpTestServer m_web, m_otherWeb;

    // What was sent: the page and its two pictures, to the folder "public_html".
    TVerifyInput Sent(const QString &siteUrl, const QString &name = QStringLiteral("index.html"))
    {
        TVerifyInput in;
        in.SiteUrl = siteUrl;
        in.RemotePageName = name;
        in.SentPage = kPage;
        in.Pictures = {{QStringLiteral("graphics/cat.gif"), FingerprintBytes(kCat)},
                       {QStringLiteral("backgrnd/sky.jpg"), FingerprintBytes(kSky)}};
        in.ServerFolder = QStringLiteral("public_html");
        in.TimeLimitMs = 5000;
        return in;
    }

    void WriteSite(const QString &folder)
    {
        Write(folder + QStringLiteral("/index.html"), Unix(kPage)); // stored in text mode: bare line feeds
        Write(folder + QStringLiteral("/graphics/cat.gif"), kCat);
        Write(folder + QStringLiteral("/backgrnd/sky.jpg"), kSky);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_site = m_dir.filePath(QStringLiteral("site"));
        m_other = m_dir.filePath(QStringLiteral("other"));
        WriteSite(m_site);
        Write(m_other + QStringLiteral("/index.html"), "<HTML><BODY>Welcome to your new web space!</BODY></HTML>");
        QVERIFY2(m_web.StartPlain(m_site), qPrintable(m_web.Error()));
        QVERIFY2(m_otherWeb.StartPlain(m_other), qPrintable(m_otherWeb.Error()));
    }

    void live()
    {
        const TVerifyResult r = VerifyPage(Sent(m_web.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::Live);
        QVERIFY(r.IsLive());
        QCOMPARE(r.HttpStatus, 200);
        const QString address = m_web.Url() + QStringLiteral("index.html");
        QCOMPARE(r.Address, address);
        QCOMPARE(r.Text, QStringLiteral("Your page is live at ") + address);
        QCOMPARE(r.Html, QStringLiteral("Your page is live at <a href=\"%1\">%1</a>").arg(address));
        // The site's address written without "http://" and without the last "/".
        TVerifyInput in = Sent(m_web.Url().mid(7).chopped(1));
        QCOMPARE(VerifyPage(in).Verdict, VerifyVerdict::Live);
    }

    void notFound()
    {
        // The site's folder is served by another web server: no page of that name there.
        TVerifyInput in = Sent(m_otherWeb.Url(), QStringLiteral("holiday.html"));
        TVerifyResult r = VerifyPage(in);
        QCOMPARE(r.Verdict, VerifyVerdict::NotFound);
        QCOMPARE(r.HttpStatus, 404);
        QVERIFY2(r.Text.contains(QStringLiteral("Your files went to the folder \"public_html\", which the web server "
                                                "does not show")),
                 qPrintable(r.Text));
        QVERIFY(r.Text.contains(QStringLiteral("Advanced page")));
        in.ServerFolder.clear();
        r = VerifyPage(in);
        QVERIFY2(r.Text.contains(QStringLiteral("went to the folder you log on to")), qPrintable(r.Text));
    }

    void anotherPageOrAnOldCopy()
    {
        // The other folder shows the provider's welcome page under the name.
        TVerifyInput in = Sent(m_otherWeb.Url());
        TVerifyResult r = VerifyPage(in);
        QCOMPARE(r.Verdict, VerifyVerdict::OtherPage);
        QVERIFY2(r.Text.contains(QStringLiteral("probably your provider's own start page")), qPrintable(r.Text));

        // The page sent the time before: a cache keeps it.
        QTemporaryDir old;
        Write(old.filePath(QStringLiteral("index.html")), kOldPage);
        THttpTestServer oldWeb;
        QVERIFY2(oldWeb.StartPlain(old.path()), qPrintable(oldWeb.Error()));
        in = Sent(oldWeb.Url());
        in.PreviousPage = FingerprintText(kOldPage);
        r = VerifyPage(in);
        QCOMPARE(r.Verdict, VerifyVerdict::OldCopy);
        QVERIFY(r.Text.contains(QStringLiteral("a cache keeps old copies")));
        // ... unless the page was changed here since it was last sent.
        in.ChangedSinceSent = true;
        QCOMPARE(VerifyPage(in).Verdict, VerifyVerdict::NotSentSinceChange);

        // A cache that says so in its answer.
        THttpTestServer cache;
        THttpTestServer::Options o;
        o.Root = m_other;
        o.Headers = {QStringLiteral("X-Cache: HIT from proxy.example.net")};
        QVERIFY2(cache.Start(o), qPrintable(cache.Error()));
        QCOMPARE(VerifyPage(Sent(cache.Url())).Verdict, VerifyVerdict::OldCopy);
        // A page that never ends is another page, found out without reading it all.
        THttpTestServer endless;
        o.Headers.clear();
        o.Endless = true;
        QVERIFY2(endless.Start(o), qPrintable(endless.Error()));
        QCOMPARE(VerifyPage(Sent(endless.Url())).Verdict, VerifyVerdict::OtherPage);
    }

    void noAnswerFromASlowServer()
    {
        QCOMPARE(TVerifyInput().TimeLimitMs, 10000);
        THttpTestServer slow;
        THttpTestServer::Options o;
        o.Root = m_site;
        o.DelaySeconds = 30;
        QVERIFY2(slow.Start(o), qPrintable(slow.Error()));
        TVerifyInput in = Sent(slow.Url());
        in.TimeLimitMs = 1500;
        QElapsedTimer t;
        t.start();
        const TVerifyResult r = VerifyPage(in);
        QVERIFY2(t.elapsed() < 4000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(r.Verdict, VerifyVerdict::NoAnswer);
        QVERIFY2(r.Text.contains(QStringLiteral("no web server answers at ")), qPrintable(r.Text));
        QVERIFY(r.Text.contains(QStringLiteral("not switched on yet")));

        // A port nobody listens on.
        QCOMPARE(VerifyPage(Sent(QStringLiteral("http://127.0.0.1:%1/").arg(ClosedPort()))).Verdict,
                 VerifyVerdict::NoAnswer);
    }

    void redirects()
    {
        THttpTestServer redirecting;
        THttpTestServer::Options o;
        o.Root = m_other;
        o.RedirectTo = m_web.Url();
        QVERIFY2(redirecting.Start(o), qPrintable(redirecting.Error()));
        TVerifyResult r = VerifyPage(Sent(redirecting.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::Live);
        QCOMPARE(r.Address, redirecting.Url() + QStringLiteral("index.html"));
        QCOMPARE(r.FinalAddress, m_web.Url() + QStringLiteral("index.html"));

        THttpTestServer loop;
        o.RedirectTo = QStringLiteral("self");
        QVERIFY2(loop.Start(o), qPrintable(loop.Error()));
        r = VerifyPage(Sent(loop.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::OtherAnswer);
        QVERIFY2(r.Text.contains(QStringLiteral("(it sends browsers round in circles)")), qPrintable(r.Text));

        THttpTestServer toFtp;
        o.RedirectTo = QStringLiteral("ftp://127.0.0.1/");
        QVERIFY2(toFtp.Start(o), qPrintable(toFtp.Error()));
        r = VerifyPage(Sent(toFtp.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::OtherAnswer);
        QVERIFY2(r.Text.contains(QStringLiteral("not a web page")), qPrintable(r.Text));
    }

    void followsAtMostFiveRedirections()
    {
        THttpTestServer five, six;
        THttpTestServer::Options o;
        o.Root = m_site;
        o.Hops = 5;
        QVERIFY2(five.Start(o), qPrintable(five.Error()));
        TVerifyResult r = VerifyPage(Sent(five.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::Live);
        QCOMPARE(r.FinalAddress, five.Url() + QStringLiteral("hop5/index.html"));
        o.Hops = 6;
        QVERIFY2(six.Start(o), qPrintable(six.Error()));
        r = VerifyPage(Sent(six.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::OtherAnswer);
        QVERIFY2(r.Text.contains(QStringLiteral("(it sends browsers on through more than 5 other addresses)")),
                 qPrintable(r.Text));
    }

    // A site on the Internet (a server on 127.0.0.2 that the classifier takes
    // as public) sends the check to this computer, written in many ways.
    void redirectionsFromTheInternetNeverLeadInside_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("refused");
        const QString port = QString::number(m_web.Port());
        QTest::newRow("127.0.0.1") << QStringLiteral("http://127.0.0.1:%1/").arg(port) << QStringLiteral("127.0.0.1");
        QTest::newRow("localhost") << QStringLiteral("http://LocalHost:%1/").arg(port) << QStringLiteral("localhost");
        QTest::newRow("decimal") << QStringLiteral("http://2130706433:%1/").arg(port) << QStringLiteral("127.0.0.1");
        QTest::newRow("octal") << QStringLiteral("http://0177.0.0.1:%1/").arg(port) << QStringLiteral("127.0.0.1");
        QTest::newRow("0.0.0.0") << QStringLiteral("http://0.0.0.0:%1/").arg(port) << QStringLiteral("0.0.0.0");
        QTest::newRow("::1") << QStringLiteral("http://[::1]:%1/").arg(port) << QStringLiteral("::1");
        QTest::newRow("mapped") << QStringLiteral("http://[::ffff:127.0.0.1]:%1/").arg(port)
                                << QStringLiteral("::ffff:127.0.0.1");
        // A name that resolves to the loopback: known only once connected.
        char name[256] = {};
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo *found = nullptr;
        if (gethostname(name, sizeof name - 1) == 0 && QByteArray(name) != "localhost"
            && getaddrinfo(name, nullptr, &hints, &found) == 0) {
            const auto *in = reinterpret_cast<const sockaddr_in *>(found->ai_addr);
            if ((ntohl(in->sin_addr.s_addr) >> 24) == 127)
                QTest::newRow("name of this computer") << QStringLiteral("http://%1:%2/").arg(QLatin1String(name), port)
                                                       << QString::fromLatin1(inet_ntoa(in->sin_addr));
            freeaddrinfo(found);
        }
    }

    void redirectionsFromTheInternetNeverLeadInside()
    {
        QFETCH(QString, target);
        QFETCH(QString, refused);
        TakeAsPublicForTesting(QStringLiteral("127.0.0.2"));
        THttpTestServer site;
        THttpTestServer::Options o;
        o.Root = m_other;
        o.Bind = QStringLiteral("127.0.0.2");
        o.RedirectTo = target;
        QVERIFY2(site.Start(o), qPrintable(site.Error()));
        const TVerifyResult r = VerifyPage(Sent(site.Url()));
        TakeAsPublicForTesting(QString());
        QCOMPARE(r.Verdict, VerifyVerdict::OtherAnswer);
        const QString why = QStringLiteral("it sends browsers on to %1, an address inside this computer").arg(refused);
        QVERIFY2(r.Text.contains(why), qPrintable(r.Text));
        // The same redirection from a site on the loopback is followed.
        if (target.contains(QLatin1String("127.0.0.1")))
            QCOMPARE(VerifyPage(Sent(site.Url())).Verdict, VerifyVerdict::Live);
    }

    void wrongAddresses()
    {
        TVerifyResult r = VerifyPage(Sent(QString()));
        QCOMPARE(r.Verdict, VerifyVerdict::NoAddress);
        QVERIFY(r.Text.contains(QStringLiteral("no web address")));
        r = VerifyPage(Sent(QStringLiteral("http://no-such-site.invalid/~ann/")));
        QCOMPARE(r.Verdict, VerifyVerdict::BadAddress);
        QVERIFY2(r.Text.contains(QStringLiteral("the name no-such-site.invalid is not known")), qPrintable(r.Text));
        QCOMPARE(VerifyPage(Sent(QStringLiteral("http://exa mple.com/"))).Verdict, VerifyVerdict::BadAddress);
        QCOMPARE(VerifyPage(Sent(QStringLiteral("ftp://example.com/"))).Verdict, VerifyVerdict::BadAddress);
        // https:// where the server speaks plain HTTP.
        QString https = m_web.Url();
        https.replace(QStringLiteral("http://"), QStringLiteral("https://"));
        r = VerifyPage(Sent(https));
        QCOMPARE(r.Verdict, VerifyVerdict::BadCertificate);
        QVERIFY(r.Text.contains(QStringLiteral("Write the address with http://")));
    }

    void errorAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("words");
        QTest::newRow("forbidden") << 403 << int(VerifyVerdict::Forbidden) << "may not be read by visitors";
        QTest::newRow("login") << 401 << int(VerifyVerdict::Forbidden) << "may not be read by visitors";
        QTest::newRow("gone") << 410 << int(VerifyVerdict::NotFound) << "does not show";
        QTest::newRow("server error") << 503 << int(VerifyVerdict::ServerTrouble) << "(error 503)";
        QTest::newRow("odd") << 418 << int(VerifyVerdict::OtherAnswer) << "does not understand (418)";
    }
    void errorAnswers()
    {
        QFETCH(int, status);
        QFETCH(int, verdict);
        QFETCH(QString, words);
        THttpTestServer web;
        THttpTestServer::Options o;
        o.Root = m_site;
        o.Status = status;
        QVERIFY2(web.Start(o), qPrintable(web.Error()));
        const TVerifyResult r = VerifyPage(Sent(web.Url()));
        QCOMPARE(int(r.Verdict), verdict);
        QCOMPARE(r.HttpStatus, status);
        QVERIFY2(r.Text.contains(words), qPrintable(r.Text));
    }

    void picturesMissingOrDifferent()
    {
        QTemporaryDir dir;
        WriteSite(dir.path());
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("graphics/cat.gif"))));
        Write(dir.filePath(QStringLiteral("backgrnd/sky.jpg")), QByteArray(5000, 't')); // same size, other bytes
        THttpTestServer web;
        QVERIFY2(web.StartPlain(dir.path()), qPrintable(web.Error()));
        TVerifyInput in = Sent(web.Url());
        in.Pictures << TVerifyPicture{QStringLiteral("graphics/cat.gif"), FingerprintBytes(kCat)}; // named twice
        TVerifyResult r = VerifyPage(in);
        QCOMPARE(r.Verdict, VerifyVerdict::PicturesWrong);
        QCOMPARE(r.MissingPictures, QStringList{QStringLiteral("graphics/cat.gif")});
        QCOMPARE(r.DifferentPictures, QStringList{QStringLiteral("backgrnd/sky.jpg")});
        QVERIFY(r.UncheckedPictures.isEmpty());
        QCOMPARE(r.Text.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Your page is at %1index.html, but not all of its pictures are.").arg(web.Url()));
        QVERIFY(r.Text.contains(QStringLiteral("Missing on the web server: graphics/cat.gif. ")));
        QVERIFY(r.Text.contains(QStringLiteral("Different on the web server: backgrnd/sky.jpg. ")));
        QVERIFY(r.Html.contains(QStringLiteral("<br>Missing on the web server: graphics/cat.gif.")));

        // A bigger picture there is different too (never read past the size sent).
        Write(dir.filePath(QStringLiteral("graphics/cat.gif")), kCat + QByteArray(100000, 'x'));
        r = VerifyPage(in);
        QCOMPARE(r.DifferentPictures, (QStringList{QStringLiteral("graphics/cat.gif"), QStringLiteral("backgrnd/sky.jpg")}));
    }

    void anotherStartPageInTheWay()
    {
        QTemporaryDir dir;
        Write(dir.filePath(QStringLiteral("default.html")), "<HTML>Coming soon</HTML>");
        THttpTestServer web;
        THttpTestServer::Options o;
        o.Root = m_site;
        o.RootPage = dir.filePath(QStringLiteral("default.html"));
        QVERIFY2(web.Start(o), qPrintable(web.Error()));
        TVerifyResult r = VerifyPage(Sent(web.Url()));
        QCOMPARE(r.Verdict, VerifyVerdict::IndexInTheWay);
        QVERIFY2(r.Text.contains(QStringLiteral("type only your site's address (%1) see another start page").arg(web.Url())),
                 qPrintable(r.Text));
        // A page of another name is not the start page: nothing in its way.
        Write(m_site + QStringLiteral("/holiday.html"), Unix(kPage));
        QCOMPARE(VerifyPage(Sent(web.Url(), QStringLiteral("holiday.html"))).Verdict, VerifyVerdict::Live);
    }

    // Off the user-interface thread; Cancel ends a check at once.
    void runnerAndCancel()
    {
        TVerifyRunner runner(Sent(m_web.Url()));
        QSignalSpy finished(&runner, &TVerifyRunner::Finished);
        runner.Start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(runner.Result().Verdict, VerifyVerdict::Live);

        THttpTestServer slow;
        THttpTestServer::Options o;
        o.Root = m_site;
        o.DelaySeconds = 30;
        QVERIFY2(slow.Start(o), qPrintable(slow.Error()));
        TVerifyRunner cancelled(Sent(slow.Url()));
        QSignalSpy done(&cancelled, &TVerifyRunner::Finished);
        QElapsedTimer t;
        t.start();
        cancelled.Start();
        QTest::qWait(300);
        QVERIFY(cancelled.Running());
        cancelled.Cancel();
        QVERIFY(done.wait(5000));
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(cancelled.Result().Verdict, VerifyVerdict::Cancelled);
    }

    void pageAddresses()
    {
        QCOMPARE(PageAddress(QStringLiteral("http://www.example.com/~ann/"), QStringLiteral("index.html")),
                 QStringLiteral("http://www.example.com/~ann/index.html"));
        QCOMPARE(PageAddress(QStringLiteral(" www.example.com/~ann "), QStringLiteral("index.html")),
                 QStringLiteral("http://www.example.com/~ann/index.html"));
        QCOMPARE(PageAddress(QStringLiteral("https://example.com"), QStringLiteral("My.html")),
                 QStringLiteral("https://example.com/My.html"));
        QCOMPARE(PageAddress(QStringLiteral("http://example.com/~ann/home.HTM"), QStringLiteral("a.html")),
                 QStringLiteral("http://example.com/~ann/a.html"));
        QCOMPARE(PageAddress(QStringLiteral("http://example.com/ann.smith"), QStringLiteral("a.html")),
                 QStringLiteral("http://example.com/ann.smith/a.html"));
        QCOMPARE(PageAddress(QString(), QStringLiteral("a.html")), QString());
        QCOMPARE(FingerprintText("a\r\nb\n").Digest, FingerprintBytes("a\nb\n").Digest);
    }

    void cleanupTestCase()
    {
        m_web.Stop();
        m_otherWeb.Stop();
    }
};

QTEST_GUILESS_MAIN(TestPublishVerify)
#include "test_publish_verify.moc"
