// The page preview of the main window: what the viewer and the files receive,
// the question before hand edits, the external preview and the browser
// hand-off (through a private MIME setup whose browser records its
// arguments), the magnifier of the Send panel and the flashing upload picture.
// Which file and which text each rule picks is tested without a window in
// tests/core/test_document.cpp and test_workspace.cpp.
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "base/PrivateTemp.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/WebLinks.h"
#include "document/Workspace.h"
#include "viewer/HtmlViewer.h"
#include "workspace/Controls.h"
#include "workspace/SendPanel.h"
#include "workspace/ViewPanel.h"
#include "workspace/frmMain.h"

#include <QFile>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The result of a script run in the viewer's page. Scripts of the page itself
// are off; this one runs in the application's own world, which sees the same
// document. A script that gives no answer in time fails the test.
#define RUN_JS(result, viewer, script)                                                                  \
    QVariant result;                                                                                   \
    QVERIFY2(RunJs(viewer, script, result), qPrintable(QStringLiteral("no answer to: ") + (script)))

bool RunJs(THtmlViewer *viewer, const QString &script, QVariant &out)
{
    auto result = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    viewer->View()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                          [result, done](const QVariant &v) {
                                              *result = v;
                                              *done = true;
                                          });
    if (!QTest::qWaitFor([done] { return *done; }, 10000))
        return false;
    out = *result;
    return true;
}

// The answer of a script, polled until it equals what is expected (the page
// may still be loading); false when it never did.
bool JsBecomes(THtmlViewer *viewer, const QString &script, const QString &expected, QString *last = nullptr)
{
    QString seen;
    const bool ok = QTest::qWaitFor(
        [&] {
            QVariant v;
            if (!RunJs(viewer, script, v))
                return false;
            seen = v.toString();
            return seen == expected;
        },
        10000);
    if (last)
        *last = seen;
    return ok;
}

// A page with a centred link (a DIV, as the generator writes it).
const char kCentredPage[] =
    "<HTML>\r\n<HEAD>\r\n<TITLE>T</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
    "<DIV ALIGN=Center>\r\n <A HREF=\"http://www.example.org/next.html\" id=\"go\">Next page</A> \r\n</DIV><BR>\r\n"
    "</BODY>\r\n</HTML>\r\n";

} // namespace

class TestMainPreview : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;
    QString m_browserOut;
    QString m_mimeApps;
    QString m_desktop;
    QString m_browser;

    THtmlViewer *Viewer(TfrmMain &w) { return Named<THtmlViewer>(&w, "ctlHTML"); }
    QPlainTextEdit *Memo(TfrmMain &w, const char *name = "memHTML") { return Named<QPlainTextEdit>(&w, name); }
    void ShowTab(TfrmMain &w, const char *tab)
    {
        Named<QTabWidget>(&w, "pagePreview")->setCurrentWidget(Named(&w, tab));
    }

    // The arguments the recording browser was started with.
    QStringList BrowserArgs()
    {
        QFile f(m_browserOut);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The recording browser as the program for HTML files, or no program at all.
    void InstallBrowser(bool on)
    {
        QFile::remove(m_desktop);
        QFile apps(m_mimeApps);
        QVERIFY(apps.open(QIODevice::WriteOnly));
        if (!on)
            return;
        apps.write("[Default Applications]\ntext/html=wobbin-previewbrowser.desktop\n");
        QFile desk(m_desktop);
        QVERIFY(desk.open(QIODevice::WriteOnly));
        desk.write("[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + m_browser.toUtf8()
                   + " %u\nMimeType=text/html;\n");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        // A private MIME setup: the HTML program records its arguments.
        const QString data = m_home.filePath(QStringLiteral("xdg-data"));
        const QString config = m_home.filePath(QStringLiteral("xdg-config"));
        QDir().mkpath(data + QStringLiteral("/applications"));
        QDir().mkpath(config);
        m_browserOut = m_home.filePath(QStringLiteral("browser.txt"));
        const QString browser = m_home.filePath(QStringLiteral("browser.sh"));
        {
            QFile f(browser);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"" + m_browserOut.toUtf8()
                    + ".tmp\"\nmv \"" + m_browserOut.toUtf8() + ".tmp\" \"" + m_browserOut.toUtf8() + "\"\n");
            f.close();
            QFile::setPermissions(browser, QFile::permissions(browser) | QFileDevice::ExeOwner);
        }
        m_browser = browser;
        m_desktop = data + QStringLiteral("/applications/wobbin-previewbrowser.desktop");
        m_mimeApps = config + QStringLiteral("/mimeapps.list");
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        // Only the private setup: no browser installed on the machine answers.
        const QString dataDirs = m_home.filePath(QStringLiteral("xdg-data-dirs"));
        QDir().mkpath(dataDirs);
        QFile::link(QStringLiteral("/usr/share/mime"), dataDirs + QStringLiteral("/mime"));
        qputenv("XDG_DATA_DIRS", dataDirs.toUtf8());
        for (const char *v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                              "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
            qunsetenv(v);
        TDialogs::SetNonInteractive(true);
    }

    void init()
    {
        FreshStart(m_dir, m_app);
        InstallBrowser(true);
        QFile::remove(m_browserOut);
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void viewerShowsParagraphsWhereTheFileKeepsDivs()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        w->Document().SetHtmlText(QString::fromLatin1(kCentredPage));
        w->Document().ShowRover();
        QVERIFY(ReadBytes(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")).contains("<DIV ALIGN=Center>\r\n"));
        QVERIFY(Memo(*w, "tmpMemo")->toPlainText().contains(QStringLiteral("<P ALIGN=Center>")));

        THtmlViewer *viewer = Viewer(*w);
        QVERIFY(viewer->WaitForRendered());
        // Once rendered, the viewer shows the paragraph text, not the file.
        QVERIFY(!viewer->CurrentUrl().path().endsWith(QStringLiteral("~tmpprvw.html")));
        RUN_JS(tag, viewer, QStringLiteral("document.getElementById('go').parentElement.tagName"));
        QCOMPARE(tag.toString(), QStringLiteral("P"));
        RUN_JS(align, viewer, QStringLiteral("document.getElementById('go').parentElement.getAttribute('align')"));
        QCOMPARE(align.toString().toLower(), QStringLiteral("center"));
        RUN_JS(divs, viewer, QStringLiteral("document.getElementsByTagName('div').length"));
        QCOMPARE(divs.toInt(), 0);

        // Entering the Web tab again renders from the text without writing a file.
        QFile::remove(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html"));
        ShowTab(*w, "tabHTML");
        w->Document().SetHtmlText(w->Document().HtmlText().replace(QStringLiteral("Next page"), QStringLiteral("Onwards")));
        QVERIFY(Memo(*w)->toPlainText().contains(QStringLiteral("Onwards")));
        ShowTab(*w, "tabWebView");
        QVERIFY(!QFile::exists(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")));
        QVERIFY(viewer->WaitForRendered());
        QString seen;
        QVERIFY2(JsBecomes(viewer, QStringLiteral("document.getElementById('go').textContent"),
                           QStringLiteral("Onwards"), &seen),
                 qPrintable(seen));
    }

    void handEditQuestionTakesTheKeystrokeBack()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        ShowTab(*w, "tabHTML");
        QPlainTextEdit *memo = Memo(*w);
        const QString before = memo->toPlainText();

        // Answered No in the HTML warning: the keystroke is taken back, and
        // the next one asks again.
        auto answer = [](const char *button) {
            TDialogs::PresetDialog([button](QDialog *d) {
                QTest::mouseClick(d->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
            });
        };
        answer("butNo");
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_X);
        QCOMPARE(TDialogs::ShownDialogs(), QStringList{QStringLiteral("frmHTMLWarn")});
        QCOMPARE(memo->toPlainText(), before);
        QVERIFY(!w->Document().HTMLEdited());
        answer("butNo");
        QTest::keyClick(memo, Qt::Key_Y);
        QCOMPARE(TDialogs::ShownDialogs().size(), 2);
        QCOMPARE(memo->toPlainText(), before);

        // Answered Yes: edited, and further keys pass unasked into the document.
        answer("butYes");
        QTest::keyClicks(memo, QStringLiteral("<!--a-->"));
        QCOMPARE(TDialogs::ShownDialogs().size(), 3);
        QVERIFY(w->Document().HTMLEdited());
        QVERIFY(w->Document().HtmlText().endsWith(QStringLiteral("<!--a-->")));
    }

    void sendAndBackKeepsHandEditsInThePreview()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        ShowTab(*w, "tabHTML");
        QPlainTextEdit *memo = Memo(*w);
        memo->moveCursor(QTextCursor::End);
        memo->find(QStringLiteral("</BODY>"), QTextDocument::FindBackward);
        memo->moveCursor(QTextCursor::StartOfLine);
        QTest::keyClicks(memo, QStringLiteral("<P id=\"mine\">Mine</P>"));
        const QString edited = w->Document().HtmlText();
        QVERIFY(w->Document().HTMLEdited());
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Kept.qze"));
        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        ClickToolbar(w.get(), 280);
        QCOMPARE(w->Workspace().State(), int(wsView));
        QCOMPARE(w->Document().HtmlText(), edited);
        QCOMPARE(Named<QTabWidget>(w.get(), "pagePreview")->currentWidget(), Named(w.get(), "tabWebView"));
        QVERIFY(Viewer(*w)->WaitForRendered());
        QString seen;
        QVERIFY2(JsBecomes(Viewer(*w), QStringLiteral("document.getElementById('mine') ? 'yes' : 'no'"),
                           QStringLiteral("yes"), &seen),
                 qPrintable(seen));
        QVERIFY(ReadBytes(m_app + QStringLiteral("/HTMLFiles/Kept.html")).contains("id=\"mine\""));
    }

    void externalPreviewOpensTheBrowser()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 140);
        const QString temp = QDir::toNativeSeparators(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html"));
        QFile::remove(temp);
        Trigger(w.get(), "ExternalPreview1");
        QTRY_COMPARE(BrowserArgs(), QStringList{QLatin1Char('[') + temp + QLatin1Char(']')});
        QCOMPARE(ReadBytes(temp), w->Document().BuildPageHTML(false).toLatin1());
        QVERIFY(TDialogs::ShownMessages().filter(LoadStr(Msg::PreviewFailed)).isEmpty());

        // A page that cannot be written is not opened from an old copy.
        QFile::remove(m_browserOut);
        QFile blocker(m_app + QStringLiteral("/blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w->Document().SetAppDir(m_app + QStringLiteral("/blocker"));
        Trigger(w.get(), "ExternalPreview1");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::PreviewFailed));
        QTest::qWait(300); // the wait is the test: no browser starts within it
        QVERIFY(!QFile::exists(m_browserOut));
        w->Document().SetAppDir(m_app);

        // No browser to start: message 5079, and nothing else changes.
        InstallBrowser(false);
        TDialogs::ClearPresets();
        Trigger(w.get(), "ExternalPreview1");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::PreviewFailed));
        QCOMPARE(w->Workspace().State(), int(wsBuild));
    }

    void logosOpenTheirSitesThroughTheRedirectPage()
    {
        auto w = MakeMainWindow(m_app);
        const QString redirect = QDir(PrivateTempFolder()).filePath(QStringLiteral("~qzxpreview.html"));
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Logo.qze"));
        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        const char *logos[] = {"imgQuorPage",     "imgOrtexPage",    "imgPartner2Page", "imgPartner3Page",
                               "imgPartner4Page", "imgPartner5Page", "imgPartner6Page"};
        TRotatingWeb &web = w->SendPanel().Web();
        for (int i = 0; i < 7; ++i) {
            web.Index = i;
            w->SendPanel().DisplayMagnifier();
            QWidget *logo = Named(w.get(), logos[i]);
            QVERIFY(logo->isVisible());
            QCOMPARE(logo->geometry(), QRect(214, 161, 88, 66));
            QFile::remove(redirect);
            QFile::remove(m_browserOut);
            QTest::mouseClick(logo, Qt::LeftButton);
            QVERIFY(ReadBytes(redirect).contains("URL=" + PartnerHomePage(i).toLatin1() + "\">"));
            QTRY_COMPARE(BrowserArgs(), QStringList{QLatin1Char('[') + redirect + QLatin1Char(']')});
        }

        // The user's page before an upload does nothing.
        QFile::remove(redirect);
        QTest::mouseClick(Named(w.get(), "imgYourPage"), Qt::LeftButton);
        QVERIFY(!QFile::exists(redirect));

        // A failing browser start reports 5079.
        InstallBrowser(false);
        QTest::mouseClick(Named(w.get(), "imgPartner6Page"), Qt::LeftButton);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::PreviewFailed));
    }

    void linkInPreviewGoesToTheBrowser()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        w->Document().SetHtmlText(QString::fromLatin1(kCentredPage));
        w->Document().ShowRover();
        THtmlViewer *viewer = Viewer(*w);
        QVERIFY(viewer->WaitForRendered());
        const QUrl before = viewer->CurrentUrl();
        RUN_JS(box, viewer,
               QStringLiteral("(function(){var r=document.getElementById('go').getBoundingClientRect();"
                              "return [r.left + r.width / 2, r.top + r.height / 2];})()"));
        const QList<QVariant> xy = box.toList();
        QCOMPARE(xy.size(), 2);
        QWidget *target = viewer->View()->focusProxy() ? viewer->View()->focusProxy()
                                                       : static_cast<QWidget *>(viewer->View());
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(xy.at(0).toInt(), xy.at(1).toInt()));
        const QString redirect = QDir(PrivateTempFolder()).filePath(QStringLiteral("~qzxpreview.html"));
        QTRY_COMPARE_WITH_TIMEOUT(BrowserArgs(), QStringList{QLatin1Char('[') + redirect + QLatin1Char(']')}, 10000);
        QVERIFY(ReadBytes(redirect).contains("URL=http://www.example.org/next.html\">"));
        QTest::qWait(200); // the wait is the test: the preview does not move within it
        QCOMPARE(viewer->CurrentUrl(), before);
    }

    void webTurnsAndThePageFlashes()
    {
        auto w = MakeMainWindow(m_app);
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Web.qze"));
        ClickToolbar(w.get(), 420);
        TRotatingWeb &web = w->SendPanel().Web();
        QCOMPARE(web.Index, -1);

        // The right button turns the web by its timer, with its sound.
        const int sounds = SoundsPlayedCount();
        QTest::mouseClick(Named(w.get(), "imgUploadRight"), Qt::LeftButton);
        QVERIFY(Named<QTimer>(w.get(), "timWebAn")->isActive());
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavWebTurn"));
        QCOMPARE(SoundsPlayedCount(), sounds + 1);
        QTRY_COMPARE(web.Index, 0);
        QVERIFY(!Named<QTimer>(w.get(), "timWebAn")->isActive());
        QCOMPARE(Named(w.get(), "imgWebBack")->property("Bitmap").toString(), QStringLiteral("Web_Back"));
        QVERIFY(Named(w.get(), "imgQuorPage")->isVisible());
        QCOMPARE(Named<QLabel>(w.get(), "lblMag")->text(), LoadStr(Msg::ClickLogoToVisit) + QStringLiteral(" Quorvex"));
        // The left button: back past 0 to the last logo.
        QTest::mouseClick(Named(w.get(), "imgUploadLeft"), Qt::LeftButton);
        QTRY_COMPARE(web.Index, 6);
        QVERIFY(Named(w.get(), "imgPartner6Page")->isVisible() && Named(w.get(), "imgQuorPage")->isHidden());
        // After an upload the user's page shows, with its own text.
        web.PageUploaded = true;
        web.Index = 7;
        w->SendPanel().DisplayMagnifier();
        QVERIFY(Named(w.get(), "imgYourPage")->isVisible());
        QCOMPARE(Named<QLabel>(w.get(), "lblMag")->text(), LoadStr(Msg::ClickLogoToView));

        // The upload picture flashes by its tag.
        QWidget *upload = Named(w.get(), "imgUpload");
        auto *flash = Named<QTimer>(w.get(), "timFlashPage");
        QVERIFY(flash->isActive());
        const QString shown = upload->property("Bitmap").toString();
        QTRY_VERIFY_WITH_TIMEOUT(upload->property("Bitmap").toString() != shown, 2000);
        QCOMPARE(TagOf(upload), upload->property("Bitmap").toString() == QStringLiteral("Web_PageFlash") ? 0 : 1);
    }

    void enlargedPreviewRendersAgain()
    {
        auto w = MakeMainWindow(m_app);
        ClickToolbar(w.get(), 280);
        QFile::remove(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html"));
        QTest::mouseClick(Named(w.get(), "imgView"), Qt::LeftButton);
        QVERIFY(w->PreviewEnlarged());
        QCOMPARE(Named(w.get(), "ctlHTML")->parentWidget(), Named(w.get(), "pnlMain"));
        QVERIFY(QFile::exists(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")));
        QVERIFY(Viewer(*w)->WaitForRendered());
        QTest::mouseClick(Named(w.get(), "imgView"), Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QCOMPARE(Named(w.get(), "ctlHTML")->parentWidget(), Named(w.get(), "tabWebView"));
        QCOMPARE(Named(w.get(), "ctlHTML")->geometry(), QRect(0, 0, 609, 181));
    }
};

QTEST_MAIN(TestMainPreview)
#include "test_main_preview.moc"
