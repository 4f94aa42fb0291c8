// The HTML preview viewer with a real web engine: relative pictures, the
// silver default background, DIV conversion, links and history.

#include "support/FileTree.h"
#include "page/ViewerText.h"
#include "styles/StyleLibrary.h"
#include "viewer/HtmlViewer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

// A solid picture the tests look for in the rendering.
bool WritePicture(const QString &path, QColor colour, const char *format)
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(colour);
    return img.save(path, format);
}

bool Near(QRgb a, QColor b, int tolerance = 12)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance
        && qAbs(qBlue(a) - b.blue()) <= tolerance;
}

int CountNear(const QImage &img, QColor colour, QRect area = QRect())
{
    const QRect r = area.isNull() ? img.rect() : area.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Near(img.pixel(x, y), colour))
                ++n;
    return n;
}

// The bounding box of the pixels near a colour.
QRect BoxOf(const QImage &img, QColor colour)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Near(img.pixel(x, y), colour))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Runs a script of the test on the page and waits for its result. Pages run
// no script of their own; the test's runs in a world of the application,
// which sees the page's elements. A script that gives no answer in time
// fails the test.
QVariant RunJs(THtmlViewer *viewer, const QString &script)
{
    auto result = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    viewer->View()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                          [result, done](const QVariant &v) {
                                              *result = v;
                                              *done = true;
                                          });
    if (!QTest::qWaitFor([done] { return *done; }, 10000))
        qFatal("no answer from the page's script: %s", qPrintable(script));
    return *result;
}

const QColor kPictureColour(20, 160, 60);
const QColor kSilver(192, 192, 192);

} // namespace

class TestViewer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    THtmlViewer *m_viewer = nullptr;
    QWidget *m_window = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("graphics")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("backgrnd")));
        QVERIFY(WritePicture(m_dir.filePath(QStringLiteral("graphics/Green.PNG")), kPictureColour, "PNG"));
        m_window = new QWidget;
        m_window->resize(420, 320);
        m_viewer = new THtmlViewer(m_window);
        m_viewer->setObjectName(QStringLiteral("ctlHTML"));
        m_viewer->setGeometry(0, 0, 400, 300);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanupTestCase()
    {
        delete m_window;
    }

    void textWithRelativePictureAndSilverBackground()
    {
        m_viewer->SetBaseFolder(m_dir.path());
        // Stored paths use backslashes and another letter case than the disk.
        m_viewer->LoadFromLines({QStringLiteral("<HTML><BODY>"),
                                 QStringLiteral("<IMG SRC=\"graphics\\green.png\" WIDTH=40 HEIGHT=30>"),
                                 QStringLiteral("</BODY></HTML>")});
        const QImage shot = m_viewer->GrabClientArea();
        QVERIFY(!shot.isNull());
        QVERIFY2(CountNear(shot, kPictureColour) > 40 * 30 / 2, "picture not rendered");
        // A page without a background of its own shows silver.
        QVERIFY(Near(shot.pixel(shot.width() / 2, shot.height() - 20), kSilver, 2));
        QCOMPARE(m_viewer->HistoryCount(), 0);
    }

    void fileWithRelativePictureAndHistoryStaysEmpty()
    {
        const QString sub = m_dir.filePath(QStringLiteral("pages"));
        QVERIFY(QDir().mkpath(sub + QStringLiteral("/graphics")));
        QVERIFY(WritePicture(sub + QStringLiteral("/graphics/b.jpg"), QColor(200, 30, 30), "JPG"));
        QVERIFY(WriteBytes(sub + QStringLiteral("/page.html"),
                          "<HTML><BODY BGCOLOR=\"#FFFFFF\"><P>caf\xe9</P>"
                          "<IMG SRC=\"graphics\\B.JPG\" WIDTH=80 HEIGHT=60></BODY></HTML>"));
        m_viewer->LoadFromFile(sub + QStringLiteral("/page.html"));
        QImage shot = m_viewer->GrabClientArea();
        QVERIFY2(CountNear(shot, QColor(200, 30, 30)) > 80 * 60 / 2, "picture of a file not rendered");
        QVERIFY(Near(shot.pixel(shot.width() - 20, shot.height() - 20), Qt::white, 2));
        QCOMPARE(m_viewer->CurrentUrl(), QUrl::fromLocalFile(sub + QStringLiteral("/page.html")));
        QCOMPARE(QDir::cleanPath(m_viewer->BaseFolder()), QDir::cleanPath(sub));

        // A second load, then another text against the new base: still no history.
        m_viewer->LoadFromText(QStringLiteral("<HTML><BODY><IMG SRC=\"graphics/b.jpg\"></BODY></HTML>"));
        shot = m_viewer->GrabClientArea();
        QVERIFY(CountNear(shot, QColor(200, 30, 30)) > 40 * 30 / 2);
        QCOMPARE(m_viewer->HistoryCount(), 0);
        QVERIFY(!m_viewer->View()->pageAction(QWebEnginePage::Back)->isEnabled());
    }

    void styleBackgroundFoundWhateverTheCase()
    {
        // The BODY tag lower-cases the picture path; the file on disk keeps its case.
        QVERIFY(WritePicture(m_dir.filePath(QStringLiteral("backgrnd/Tile.PNG")), QColor(200, 0, 200), "PNG"));
        TStyleChunk style;
        style.Name = QStringLiteral("Tiles");
        style.Image = QStringLiteral("backgrnd\\Tile.PNG");
        style.BackColour = 0x00FFFFFF;
        const QString page = ReplaceBodyTag(QStringLiteral("<HTML><BODY><P>x</P></BODY></HTML>"),
                                            BodyTagForEntry({style}, 1));
        QVERIFY(page.contains(QLatin1String("backgrnd/tile.png")));
        m_viewer->SetBaseFolder(m_dir.path());
        m_viewer->LoadFromText(page);
        const QImage shot = m_viewer->GrabClientArea();
        QVERIFY(Near(shot.pixel(shot.width() - 30, shot.height() - 30), QColor(200, 0, 200), 2));
    }

    void centredDivRendersCentred()
    {
        m_viewer->SetBaseFolder(m_dir.path());
        const QString html = QStringLiteral(
            "<HTML><BODY><DIV ALIGN=\"CENTER\"><IMG SRC=\"graphics/Green.PNG\" WIDTH=40 HEIGHT=30></DIV><BR>"
            "</BODY></HTML>");
        m_viewer->LoadFromText(ToViewerText(html));
        const QImage shot = m_viewer->GrabClientArea();
        const QRect box = BoxOf(shot, kPictureColour);
        QVERIFY(box.isValid());
        const int viewCentre = m_viewer->View()->width() / 2;
        QVERIFY2(qAbs(box.center().x() - viewCentre) <= 12,
                 qPrintable(QStringLiteral("picture at %1, centre %2").arg(box.center().x()).arg(viewCentre)));
    }

    void linksGoOutNotIn()
    {
        m_viewer->SetBaseFolder(m_dir.path());
        m_viewer->LoadFromText(QStringLiteral(
            "<HTML><BODY style=\"margin:0\">"
            "<A HREF=\"http://example.invalid/x.html\"><IMG SRC=\"graphics/Green.PNG\" WIDTH=100 HEIGHT=80 BORDER=0></A>"
            "<BR><A HREF=\"other.html\" TARGET=\"_blank\" id=\"rel\">relative</A>"
            "<BR><A HREF=\"mailto:sam@example.com\" id=\"mail\">write</A>"
            "</BODY></HTML>"));
        const QImage shot = m_viewer->GrabClientArea();
        const QRect box = BoxOf(shot, kPictureColour);
        QVERIFY(box.isValid());
        const QUrl before = m_viewer->CurrentUrl();

        QSignalSpy spy(m_viewer, &THtmlViewer::linkClicked);
        QWidget *target = m_viewer->View()->focusProxy() ? m_viewer->View()->focusProxy()
                                                         : static_cast<QWidget *>(m_viewer->View());
        QTest::mouseClick(target, Qt::LeftButton, {}, box.center());
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 10000);
        QCOMPARE(spy.at(0).at(0).toUrl(), QUrl(QStringLiteral("http://example.invalid/x.html")));

        // A link opening a new window is reported too, as a local file.
        auto clickElement = [&](const QString &id) {
            const QList<QVariant> xy = RunJs(m_viewer,
                QStringLiteral("(function(){var r=document.getElementById('%1').getBoundingClientRect();"
                               "return [r.left + r.width / 2, r.top + r.height / 2];})()").arg(id)).toList();
            QCOMPARE(xy.size(), 2);
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(xy.at(0).toInt(), xy.at(1).toInt()));
        };
        clickElement(QStringLiteral("rel"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 10000);
        QCOMPARE(spy.at(1).at(0).toUrl(), QUrl::fromLocalFile(m_dir.path() + QStringLiteral("/other.html")));

        // An e-mail link is handed on as it is.
        clickElement(QStringLiteral("mail"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 10000);
        QCOMPARE(spy.at(2).at(0).toUrl(), QUrl(QStringLiteral("mailto:sam@example.com")));

        // The preview stayed where it was (the wait is the test: it does not
        // move within it).
        QTest::qWait(200);
        QCOMPARE(m_viewer->CurrentUrl(), before);
        QVERIFY(!m_viewer->IsLoading());
        QCOMPARE(m_viewer->HistoryCount(), 0);
    }

    void scrollBarsAndBorderSwitchOnTheLoadedPage()
    {
        // The page picture is taken with scroll bars and border switched off
        // on the page already shown, without loading it again.
        QString tall = QStringLiteral("<HTML><BODY BGCOLOR=\"#0000FF\">");
        for (int i = 0; i < 80; ++i)
            tall += QStringLiteral("<P>line</P>");
        m_viewer->SetBorder(true);
        m_viewer->SetScrollBars(true);
        m_viewer->LoadFromText(tall + QStringLiteral("</BODY></HTML>"));
        QImage shot = m_viewer->GrabClientArea();
        QVERIFY(!Near(shot.pixel(shot.width() - 4, shot.height() / 2), QColor(0, 0, 255), 2));
        const QSize withBorder = shot.size();

        m_viewer->SetScrollBars(false);
        m_viewer->SetBorder(false);
        shot = m_viewer->GrabClientArea();
        QVERIFY(shot.width() > withBorder.width());
        QVERIFY(Near(shot.pixel(shot.width() - 4, shot.height() / 2), QColor(0, 0, 255), 2));
        m_viewer->SetScrollBars(true);
        m_viewer->SetBorder(true);
        shot = m_viewer->GrabClientArea();
        QVERIFY(!Near(shot.pixel(shot.width() - 4, shot.height() / 2), QColor(0, 0, 255), 2));

        // Loaded without scroll bars, then switched on: they come back.
        m_viewer->SetScrollBars(false);
        m_viewer->LoadFromText(tall + QStringLiteral("</BODY></HTML>"));
        shot = m_viewer->GrabClientArea();
        QVERIFY(Near(shot.pixel(shot.width() - 4, shot.height() / 2), QColor(0, 0, 255), 2));
        m_viewer->SetScrollBars(true);
        shot = m_viewer->GrabClientArea();
        QVERIFY(!Near(shot.pixel(shot.width() - 4, shot.height() / 2), QColor(0, 0, 255), 2));
        QCOMPARE(m_viewer->HistoryCount(), 0);
    }

    void fileThenLinesRendersTheLines()
    {
        // The preview writes its file, loads it, then loads the converted
        // lines at once: what is grabbed is the second page.
        const QString file = m_dir.filePath(QStringLiteral("~tmpprvw.html"));
        QVERIFY(WriteBytes(file, "<HTML><BODY BGCOLOR=\"#FF0000\"></BODY></HTML>"));
        m_viewer->LoadFromFile(file);
        m_viewer->LoadFromLines({QStringLiteral("<HTML><BODY BGCOLOR=\"#00FFFF\">"),
                                 QStringLiteral("<A HREF=\"#end\" id=\"jump\">down</A>"),
                                 QStringLiteral("<DIV STYLE=\"height:3000px\"></DIV><A NAME=\"end\">end</A>"),
                                 QStringLiteral("</BODY></HTML>")});
        const QImage shot = m_viewer->GrabClientArea();
        QVERIFY(Near(shot.pixel(shot.width() / 2, shot.height() / 2), QColor(0, 255, 255), 2));
        QCOMPARE(QDir::cleanPath(m_viewer->BaseFolder()), QDir::cleanPath(m_dir.path()));

        // A jump inside the page stays inside the preview and leaves no history.
        QSignalSpy spy(m_viewer, &THtmlViewer::linkClicked);
        m_viewer->View()->page()->runJavaScript(QStringLiteral("document.getElementById('jump').click();"),
                                                QWebEngineScript::ApplicationWorld);
        QTRY_VERIFY_WITH_TIMEOUT(RunJs(m_viewer, QStringLiteral("window.scrollY")).toInt() > 1000, 10000);
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(m_viewer->HistoryCount(), 0);
    }

    void movedToAnotherPanelStillGrabsThePage()
    {
        // The page picture is taken after moving the viewer onto another
        // panel of the window with other bounds, and it goes back afterwards.
        m_viewer->SetBaseFolder(m_dir.path());
        m_viewer->LoadFromText(QStringLiteral("<HTML><BODY BGCOLOR=\"#FFFF00\">"
                                              "<IMG SRC=\"graphics/green.png\" WIDTH=40 HEIGHT=30></BODY></HTML>"));
        QVERIFY(!m_viewer->GrabClientArea().isNull());
        auto *panel = new QWidget(m_window);
        panel->setGeometry(0, 0, 420, 320);
        panel->show();
        m_viewer->setParent(panel);
        m_viewer->SetBorder(false);
        m_viewer->setGeometry(4, 0, 300, 250);
        m_viewer->show();
        m_viewer->raise();
        QImage shot = m_viewer->GrabClientArea();
        QCOMPARE(shot.size(), QSize(300, 250));
        QVERIFY(Near(shot.pixel(290, 240), QColor(255, 255, 0), 2));
        QVERIFY(CountNear(shot, kPictureColour) > 40 * 30 / 2);

        m_viewer->setParent(m_window);
        m_viewer->SetBorder(true);
        m_viewer->setGeometry(0, 0, 400, 300);
        m_viewer->show();
        delete panel;
        shot = m_viewer->GrabClientArea();
        QVERIFY(Near(shot.pixel(shot.width() / 2, shot.height() - 20), QColor(255, 255, 0), 2));
        QVERIFY(CountNear(shot, kPictureColour) > 40 * 30 / 2);
    }

    void hiddenViewerLoadsWithoutWaitingForFrames()
    {
        THtmlViewer hidden;
        hidden.resize(100, 100);
        hidden.SetBaseFolder(m_dir.path());
        hidden.LoadFromText(QStringLiteral("<HTML><BODY BGCOLOR=\"#FF0000\"></BODY></HTML>"));
        QVERIFY(hidden.WaitForRendered(60000));
        QVERIFY(!hidden.IsLoading());
        // Shown later, it paints before it is grabbed.
        hidden.show();
        const QImage shot = hidden.GrabClientArea();
        QVERIFY(Near(shot.pixel(50, 50), QColor(255, 0, 0), 2));
    }

    void largeTextAndSelection()
    {
        // Far beyond what can be handed over in one piece as a data address.
        QString big = QStringLiteral("<HTML><BODY BGCOLOR=\"#00FF00\"><P id=\"t\">end of a long page</P><!--");
        big += QString(3 * 1024 * 1024, QLatin1Char('x'));
        big += QStringLiteral("--></BODY></HTML>");
        m_viewer->SetBaseFolder(m_dir.path());
        m_viewer->LoadFromText(big);
        const QImage shot = m_viewer->GrabClientArea();
        QVERIFY(Near(shot.pixel(shot.width() / 2, shot.height() / 2), QColor(0, 255, 0), 2));
        // The preview allows selecting text.
        const QVariant selected = RunJs(
            m_viewer, QStringLiteral("document.execCommand('selectAll'); window.getSelection().toString();"));
        QVERIFY(selected.toString().contains(QLatin1String("end of a long page")));
    }

    void wizardVariantAndControlOperations()
    {
        // The style wizard's sample: no scroll bars, no border; reparenting
        // and resizing keep it working.
        auto *sample = new THtmlViewer(nullptr, THtmlViewer::Variant::StyleSample);
        sample->setParent(m_window);
        sample->setGeometry(10, 10, 200, 120);
        sample->SetBorder(false);
        QVERIFY(!sample->HasBorder());
        QVERIFY(!sample->ScrollBars());
        sample->show();
        sample->raise();
        sample->SetBaseFolder(m_dir.path());
        QString tall = QStringLiteral("<HTML><BODY BGCOLOR=\"0000FF\">");
        for (int i = 0; i < 60; ++i)
            tall += QStringLiteral("<P>line</P>");
        sample->LoadFromText(tall + QStringLiteral("</BODY></HTML>"));
        const QImage shot = sample->GrabClientArea();
        QCOMPARE(shot.size(), QSize(200, 120));
        // Blue to the right edge: no scroll bar is drawn.
        QVERIFY(Near(shot.pixel(shot.width() - 3, shot.height() / 2), QColor(0, 0, 255), 2));
        // Its text cannot be selected.
        const QVariant selected = RunJs(
            sample, QStringLiteral("document.execCommand('selectAll'); window.getSelection().toString();"));
        QVERIFY(selected.isValid());
        QCOMPARE(selected.toString(), QString());

        // The asynchronous grab delivers the next page once it is painted.
        sample->LoadFromText(QStringLiteral("<HTML><BODY BGCOLOR=\"#FFFF00\"></BODY></HTML>"));
        QImage later;
        int calls = 0;
        sample->GrabClientAreaAsync([&](const QImage &img) { later = img; ++calls; });
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 30000);
        QVERIFY(Near(later.pixel(100, 60), QColor(255, 255, 0), 2));
        QTest::qWait(50); // the wait is the test: no second delivery within it
        QCOMPARE(calls, 1);
        delete sample;
    }
};

QTEST_MAIN(TestViewer)
#include "test_viewer.moc"
