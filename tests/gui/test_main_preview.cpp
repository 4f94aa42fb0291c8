// The page preview of the main window: what the viewer and the files receive,
// the question before hand edits, the external preview and the browser
// hand-off (through a private MIME setup whose browser records its
// arguments), the magnifier of the Send panel and the flashing upload picture.
#include "support/FileTree.h"
#include "app/Dialogs_gui.h"
#include "app/ExecFile.h"
#include "app/Settings.h"
#include "app/StringTable.h"
#include "page/PageDocument.h"
#include "viewer/HtmlViewer.h"
#include "workspace/frmMain.h"

#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

using namespace wobbin;

namespace {

using wobbin::testing::CopyTree;

void ClickToolbar(TfrmMain &w, int x) { QTest::mouseClick(w.picToolbar, Qt::LeftButton, {}, QPoint(x, 50)); }

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QVariant RunJs(THtmlViewer *viewer, const QString &script)
{
    auto result = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    viewer->View()->page()->runJavaScript(script, [result, done](const QVariant &v) {
        *result = v;
        *done = true;
    });
    QTest::qWaitFor([done] { return *done; }, 10000);
    return *result;
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

    std::unique_ptr<TfrmMain> Make()
    {
        TfrmMain::Options o;
        o.appDir = m_app;
        o.detectCompanion = false;
        auto w = std::make_unique<TfrmMain>(o);
        w->show();
        return w;
    }

    THtmlViewer *Viewer(TfrmMain &w) { return qobject_cast<THtmlViewer *>(w.ctlHTML); }

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
        for (const char *v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                              "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
            qunsetenv(v);
        TDialogs::SetNonInteractive(true);
    }

    void init()
    {
        TDialogs::ClearPresets();
        InstallBrowser(true);
        QFile::remove(m_browserOut);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_app = m_dir->path() + QStringLiteral("/app");
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), m_app));
        SettingsStore().OpenKey(QString(), true);
        SettingsStore().CloseKey();
        SettingsStore().Raw().remove(QStringLiteral("General"));
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void previewKeepsDivsInFilesAndShowsParagraphs()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        QCOMPARE(w->WorkspaceState, 2);
        // A style chosen in the list goes into the file's BODY tag.
        w->lstStyles->setCurrentRow(1);
        w->SetHTMLText(QString::fromLatin1(kCentredPage));
        w->HTMLEdited = true;
        w->ShowRover();
        QVERIFY(!w->HTMLEdited && !w->RenderingPreview);
        const QString file = QString::fromLatin1(ReadBytes(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")));
        QVERIFY(file.contains(QStringLiteral("<BODY BACKGROUND=")));
        QVERIFY(file.contains(QStringLiteral("<DIV ALIGN=Center>\r\n")));
        QVERIFY(!file.contains(QStringLiteral("<P ALIGN")));
        QVERIFY(w->HTMLText().contains(QStringLiteral("</DIV><BR>")));
        // The viewer is given paragraphs; "</DIV><BR>" is one closing tag.
        const QString shown = w->tmpMemo->toPlainText();
        QVERIFY(shown.contains(QStringLiteral("<P ALIGN=Center>")));
        QVERIFY(shown.contains(QStringLiteral("</P>\n</BODY>")) || shown.contains(QStringLiteral("</P>\r\n</BODY>")));
        QVERIFY(!shown.contains(QStringLiteral("DIV"), Qt::CaseInsensitive));

        THtmlViewer *viewer = Viewer(*w);
        QVERIFY(viewer->WaitForRendered());
        // Once rendered, the viewer shows the paragraph text, not the file.
        QVERIFY(!viewer->CurrentUrl().path().endsWith(QStringLiteral("~tmpprvw.html")));
        QCOMPARE(RunJs(viewer, QStringLiteral("document.getElementById('go').parentElement.tagName")).toString(),
                 QStringLiteral("P"));
        QCOMPARE(RunJs(viewer, QStringLiteral("document.getElementById('go').parentElement.getAttribute('align')")).toString()
                     .toLower(),
                 QStringLiteral("center"));
        QCOMPARE(RunJs(viewer, QStringLiteral("document.getElementsByTagName('div').length")).toInt(), 0);

        // Entering the Web tab again renders from the memo without writing a file.
        QFile::remove(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html"));
        w->pagePreview->setCurrentWidget(w->tabHTML);
        w->SetHTMLText(w->HTMLText().replace(QStringLiteral("Next page"), QStringLiteral("Onwards")));
        w->pagePreview->setCurrentWidget(w->tabWebView);
        QVERIFY(w->tmpMemo->toPlainText().contains(QStringLiteral("Onwards")));
        QVERIFY(!QFile::exists(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")));
        QVERIFY(viewer->WaitForRendered());
        QTRY_COMPARE_WITH_TIMEOUT(RunJs(viewer, QStringLiteral("document.getElementById('go').textContent")).toString(),
                                  QStringLiteral("Onwards"), 10000);
    }

    void handEditQuestion()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        w->pagePreview->setCurrentWidget(w->tabHTML);
        const QString before = w->memHTML->toPlainText();

        // Answered No: the keystroke is taken back, and the next one asks again.
        int asked = 0;
        w->HTMLWarningPrompt = [&] {
            ++asked;
            return false;
        };
        w->memHTML->moveCursor(QTextCursor::End);
        QTest::keyClick(w->memHTML, Qt::Key_X);
        QCOMPARE(asked, 1);
        QCOMPARE(w->memHTML->toPlainText(), before);
        QVERIFY(!w->HTMLEdited && !w->UndoingHTMLChange);
        QTest::keyClick(w->memHTML, Qt::Key_Y);
        QCOMPARE(asked, 2);
        QCOMPARE(w->memHTML->toPlainText(), before);

        // Answered Yes: edited, and further keys pass unasked.
        w->HTMLWarningPrompt = [&] {
            ++asked;
            return true;
        };
        QTest::keyClicks(w->memHTML, QStringLiteral("<!--a-->"));
        QCOMPARE(asked, 3);
        QVERIFY(w->HTMLEdited);
        QVERIFY(w->memHTML->toPlainText().endsWith(QStringLiteral("<!--a-->")));
        // The program's own writes never ask.
        w->HTMLEdited = false;
        w->SetHTMLText(before);
        QCOMPARE(asked, 3);
        QVERIFY(!w->HTMLEdited);
    }

    void handEditWithoutWarningAsksNothing()
    {
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowHTMLWarning"), QStringLiteral("No"));
        auto w = Make();
        int asked = 0;
        w->HTMLWarningPrompt = [&] {
            ++asked;
            return true;
        };
        ClickToolbar(*w, 280);
        w->pagePreview->setCurrentWidget(w->tabHTML);
        w->memHTML->moveCursor(QTextCursor::End);
        QTest::keyClicks(w->memHTML, QStringLiteral("<!-- mine -->"));
        QCOMPARE(asked, 0);
        QVERIFY(!w->HTMLEdited);
        const int shown = TDialogs::ShownMessages().size();
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, 1);
        QCOMPARE(TDialogs::ShownMessages().size(), shown);
    }

    void sendAndBackKeepsHandEditsInThePreview()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        const QString edited = w->HTMLText().replace(QStringLiteral("</BODY>"), QStringLiteral("<P id=\"mine\">Mine</P>\r\n</BODY>"));
        w->pagePreview->setCurrentWidget(w->tabHTML);
        w->memHTML->setPlainText(edited);
        QVERIFY(w->HTMLEdited);
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Kept.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        ClickToolbar(*w, 280);
        QCOMPARE(w->WorkspaceState, 2);
        QCOMPARE(w->HTMLText(), edited);
        QCOMPARE(w->pagePreview->currentWidget(), w->tabWebView);
        QVERIFY(w->tmpMemo->toPlainText().contains(QStringLiteral("id=\"mine\"")));
        QVERIFY(Viewer(*w)->WaitForRendered());
        QTRY_COMPARE_WITH_TIMEOUT(RunJs(Viewer(*w), QStringLiteral("document.getElementById('mine') ? 'yes' : 'no'")).toString(),
                                  QStringLiteral("yes"), 10000);
        QVERIFY(ReadBytes(m_app + QStringLiteral("/HTMLFiles/Kept.html")).contains("id=\"mine\""));
    }

    void externalPreviewWritesTheRightFile()
    {
        auto w = Make();
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, 1);
        const QString temp = QDir::toNativeSeparators(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html"));
        QFile::remove(temp);
        w->ExternalPreview1->trigger();
        QTRY_COMPARE(BrowserArgs(), QStringList{QLatin1Char('[') + temp + QLatin1Char(']')});
        QCOMPARE(ReadBytes(temp), w->Document()->BuildPageHTML(false, true).toLatin1());
        QCOMPARE(w->HTMLText(), w->Document()->BuildPageHTML(false, true));

        // In View with a titled page: the page's own file, with the hand edit.
        w->CurrentFileName = m_app + QStringLiteral("/save/My Page.qze");
        ClickToolbar(*w, 280);
        w->memHTML->setPlainText(w->HTMLText() + QStringLiteral("<!-- by hand -->"));
        QFile::remove(m_browserOut);
        w->ExternalPreview1->trigger();
        const QString own = QDir::toNativeSeparators(m_app + QStringLiteral("/HTMLFiles/My Page.html"));
        QTRY_COMPARE(BrowserArgs(), QStringList{QLatin1Char('[') + own + QLatin1Char(']')});
        QVERIFY(ReadBytes(own).endsWith("<!-- by hand -->"));
        QVERIFY(w->memHTML->toPlainText().endsWith(QStringLiteral("<!-- by hand -->")));
        QVERIFY(TDialogs::ShownMessages().filter(LoadStr(5079)).isEmpty());

        // A page that cannot be written is not opened from an old copy.
        QFile::remove(m_browserOut);
        const QString folder = w->HTMLFolder;
        QFile blocker(m_app + QStringLiteral("/blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w->HTMLFolder = m_app + QStringLiteral("/blocker/HTMLFiles");
        w->ExternalPreview1->trigger();
        QCOMPARE(TDialogs::LastMessage(), LoadStr(5079));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_browserOut));
        w->HTMLFolder = folder;

        // No browser to start: message 5079, and nothing else changes.
        InstallBrowser(false);
        TDialogs::ClearPresets();
        w->ExternalPreview1->trigger();
        QCOMPARE(TDialogs::LastMessage(), LoadStr(5079));
        QCOMPARE(w->WorkspaceState, 2);
        QVERIFY(w->memHTML->toPlainText().endsWith(QStringLiteral("<!-- by hand -->")));
    }

    void browserHandOffThroughTheRedirectPage()
    {
        auto w = Make();
        const QString redirect = QDir(QDir::tempPath()).filePath(QStringLiteral("~qzxpreview.html"));
        w->ShowInBrowser(QStringLiteral("http://www.lanternet.example/"));
        QCOMPARE(ReadBytes(redirect),
                 QByteArray("<html>\r\n"
                            "<head><meta http-equiv=\"refresh\" content=\"0; URL=http://www.lanternet.example/\">\r\n"
                            "<title>Preview</title>\r\n</head>\r\n<BODY>\r\n</body>\r\n</html>\r\n\r\n"));
        QTRY_COMPARE(BrowserArgs(), QStringList{QLatin1Char('[') + redirect + QLatin1Char(']')});
        // An address cannot break out of the attribute or the line.
        QVERIFY(RedirectPageText(QStringLiteral("http://a.example/x\"><b>\r\n"))
                    .contains(QStringLiteral("URL=http://a.example/x%22><b>\">\r\n<title>")));

        // Each logo opens its own site.
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Logo.qze"));
        ClickToolbar(*w, 420);
        QCOMPARE(w->WorkspaceState, 3);
        const QList<TImage *> logos = {w->imgQuorPage,     w->imgOrtexPage,    w->imgPartner2Page,
                                       w->imgPartner3Page, w->imgPartner4Page, w->imgPartner5Page,
                                       w->imgPartner6Page};
        QSet<QString> addresses;
        for (int i = 0; i < logos.size(); ++i) {
            w->WebIndex = i;
            w->DisplayMagnifier();
            QVERIFY(logos[i]->isVisible());
            QCOMPARE(logos[i]->geometry(), QRect(214, 161, 88, 66));
            QFile::remove(redirect);
            QTest::mouseClick(logos[i], Qt::LeftButton);
            QVERIFY(ReadBytes(redirect).contains("URL=" + PartnerHomePage(i).toLatin1() + "\">"));
            addresses << PartnerHomePage(i);
        }
        QCOMPARE(addresses.size(), 7);

        // The user's page before an upload does nothing.
        QFile::remove(redirect);
        QTest::mouseClick(w->imgYourPage, Qt::LeftButton);
        QVERIFY(!QFile::exists(redirect));

        // A failing browser start reports 5079.
        InstallBrowser(false);
        QTest::mouseClick(w->imgPartner6Page, Qt::LeftButton);
        QCOMPARE(TDialogs::LastMessage(), LoadStr(5079));
    }

    void yourPageAddress()
    {
        QCOMPARE(YourPageAddress(QStringLiteral("http://www.host.example/~sam"), QStringLiteral("C:\\pages\\My Page.qze")),
                 QStringLiteral("http://www.host.example/~sam/MyPage.html"));
        QCOMPARE(YourPageAddress(QStringLiteral("http://www.host.example/"), QStringLiteral("/home/sam/save/a.b.qze")),
                 QStringLiteral("http://www.host.example/a.b.html"));
        // A name without extension keeps the host's dots.
        QCOMPARE(YourPageAddress(QStringLiteral("http://www.host.example"), QStringLiteral("page")),
                 QStringLiteral("http://www.host.example/page.html"));
    }

    void linkInPreviewGoesToTheBrowser()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        w->SetHTMLText(QString::fromLatin1(kCentredPage));
        w->ShowRover();
        THtmlViewer *viewer = Viewer(*w);
        QVERIFY(viewer->WaitForRendered());
        const QUrl before = viewer->CurrentUrl();
        const QList<QVariant> xy = RunJs(viewer,
            QStringLiteral("(function(){var r=document.getElementById('go').getBoundingClientRect();"
                           "return [r.left + r.width / 2, r.top + r.height / 2];})()")).toList();
        QCOMPARE(xy.size(), 2);
        QWidget *target = viewer->View()->focusProxy() ? viewer->View()->focusProxy()
                                                       : static_cast<QWidget *>(viewer->View());
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(xy.at(0).toInt(), xy.at(1).toInt()));
        const QString redirect = QDir(QDir::tempPath()).filePath(QStringLiteral("~qzxpreview.html"));
        QTRY_COMPARE_WITH_TIMEOUT(BrowserArgs(), QStringList{QLatin1Char('[') + redirect + QLatin1Char(']')}, 10000);
        QVERIFY(ReadBytes(redirect).contains("URL=http://www.example.org/next.html\">"));
        QTest::qWait(200);
        QCOMPARE(viewer->CurrentUrl(), before);
    }

    void magnifierAndFlashingPage()
    {
        auto w = Make();
        // Without an upload: left of 0 is 6, right of 6 is 0.
        w->WebIndex = -1;
        w->DisplayMagnifier();
        QCOMPARE(w->WebIndex, 6);
        QVERIFY(w->imgPartner6Page->isVisibleTo(w->pnlSend) && w->imgQuorPage->isHidden());
        ++w->WebIndex;
        w->DisplayMagnifier();
        QCOMPARE(w->WebIndex, 0);
        QCOMPARE(w->lblMag->text(), LoadStr(5077) + QStringLiteral(" Quorvex"));
        QVERIFY(w->imgPartner6Page->isHidden() && w->imgQuorPage->isVisibleTo(w->pnlSend));
        w->WebIndex = 3;
        w->DisplayMagnifier();
        QCOMPARE(w->lblMag->text(), LoadStr(5077) + QStringLiteral(" Harbourhost"));
        // After an upload the user's page is reached both ways.
        w->PageUploaded = true;
        w->WebIndex = -1;
        w->DisplayMagnifier();
        QCOMPARE(w->WebIndex, 7);
        QCOMPARE(w->lblMag->text(), LoadStr(5078));
        ++w->WebIndex;
        w->DisplayMagnifier();
        QCOMPARE(w->WebIndex, 0);
        int shown = 0;
        for (TImage *img : {w->imgQuorPage, w->imgOrtexPage, w->imgPartner2Page, w->imgPartner3Page,
                            w->imgPartner4Page, w->imgPartner5Page, w->imgPartner6Page, w->imgYourPage})
            shown += img->isHidden() ? 0 : 1;
        QCOMPARE(shown, 1);

        // The upload picture flashes by its tag.
        SetTag(w->imgUpload, 1);
        w->timFlashPageTimer();
        QCOMPARE(w->imgUpload->property("Bitmap").toString(), QStringLiteral("Web_PageFlash"));
        QCOMPARE(TagOf(w->imgUpload), 0);
        w->timFlashPageTimer();
        QCOMPARE(w->imgUpload->property("Bitmap").toString(), QStringLiteral("Web_Page"));
        QCOMPARE(TagOf(w->imgUpload), 1);
        w->timFlashPageTimer();
        QCOMPARE(w->imgUpload->property("Bitmap").toString(), QStringLiteral("Web_PageFlash"));
    }

    void enlargedPreviewRendersAgain()
    {
        auto w = Make();
        ClickToolbar(*w, 280);
        QFile::remove(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html"));
        QTest::mouseClick(w->imgView, Qt::LeftButton);
        QVERIFY(w->PreviewEnlarged());
        QCOMPARE(w->ctlHTML->parentWidget(), w->pnlMain);
        QVERIFY(QFile::exists(m_app + QStringLiteral("/HTMLFiles/~tmpprvw.html")));
        QVERIFY(Viewer(*w)->WaitForRendered());
        QTest::mouseClick(w->imgView, Qt::LeftButton);
        QVERIFY(!w->PreviewEnlarged());
        QCOMPARE(w->ctlHTML->parentWidget(), w->tabWebView);
        QCOMPARE(w->ctlHTML->geometry(), QRect(0, 0, 609, 181));
    }
};

QTEST_MAIN(TestMainPreview)
#include "test_main_preview.moc"
