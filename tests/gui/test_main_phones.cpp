// The way pages are written, chosen in View ("Fits phones"), the preview at a
// phone's width, and the page check's entry that leads to the box. How each
// way writes the page is tested without a window in tests/core/test_page_phones*.
#include "support_gui/MainWindowDriver.h"

#include "app/Dialogs_gui.h"
#include "app/Settings.h"
#include "app/StringTable.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "viewer/HtmlViewer.h"
#include "workspace/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEngineView>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestMainPhones : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    // A template opened in Build, then shown in View.
    void OpenTemplateInView(TfrmMain *w, const QString &caption)
    {
        auto *list = Named<QListWidget>(w, "lvTemplates");
        ClickRow(list, RowOf(list, caption));
        ClickToolbar(w, 140);
        ClickToolbar(w, 280);
        QCOMPARE(w->Workspace().State(), int(wsView));
    }

    QCheckBox *FitsPhones(TfrmMain *w) { return Named<QCheckBox>(w, "chkFitsPhones"); }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }
    void init() { FreshStart(m_dir, m_app); }
    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    // The box writes the page shown afresh and is kept; at a phone's width a
    // classic page is drawn at a desktop's width and shrunk, as phones do,
    // and a page that fits phones at the phone's width.
    void fitsPhonesAndThePhoneWidthPreview()
    {
        auto w = MakeMainWindow(m_app);
        OpenTemplateInView(w.get(), QStringLiteral("Photo Album"));
        TDocument &doc = w->Document();
        THtmlViewer *viewer = Named<THtmlViewer>(w.get(), "ctlHTML");
        const int normal = viewer->width();
        auto *phone = Named<QToolButton>(w.get(), "btnPhoneWidth");
        QTest::mouseClick(phone, Qt::LeftButton);
        QVERIFY(qAbs(viewer->View()->width() - 405) <= 2); // 390 and the scroll bar
        QVERIFY(qAbs(viewer->View()->zoomFactor() - 390.0 / 980.0) < 0.01);

        QVERIFY(!FitsPhones(w.get())->isChecked());
        QTest::mouseClick(FitsPhones(w.get()), Qt::LeftButton, {}, QPoint(6, 9));
        QCOMPARE(doc.Form(), HtmlForm::FitsPhones);
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("FitsPhones")), QStringLiteral("Yes"));
        QVERIFY(Named<QPlainTextEdit>(w.get(), "memHTML")->toPlainText().startsWith(QStringLiteral("<!DOCTYPE html>")));
        QVERIFY(doc.HtmlText().contains(QStringLiteral("url(\"backgrnd/stars.gif\")"))); // the chosen style
        QVERIFY(!doc.DocumentChanged());
        QVERIFY(viewer->WaitForRendered());
        QCOMPARE(viewer->View()->zoomFactor(), 1.0);
        QTest::mouseClick(phone, Qt::LeftButton);
        QCOMPARE(viewer->width(), normal);

        // The next window starts with the choice kept.
        w.reset();
        auto again = MakeMainWindow(m_app);
        QVERIFY(FitsPhones(again.get())->isChecked());
        QCOMPARE(again->Document().Form(), HtmlForm::FitsPhones);
    }

    void handEditsAreLostOnlyWhenTheUserAgrees()
    {
        auto w = MakeMainWindow(m_app);
        OpenTemplateInView(w.get(), QStringLiteral("Resume"));
        Named<QTabWidget>(w.get(), "pagePreview")->setCurrentWidget(Named(w.get(), "tabHTML"));
        auto *memo = Named<QPlainTextEdit>(w.get(), "memHTML");
        memo->moveCursor(QTextCursor::End);
        TDialogs::PresetDialog([](QDialog *d) { // the HTML warning: Yes, edit it
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("butYes")), Qt::LeftButton);
        });
        QTest::keyClicks(memo, QStringLiteral("<!--mine-->"));
        QVERIFY(w->Document().HTMLEdited());

        TDialogs::PresetAnswer(QMessageBox::No);
        QTest::mouseClick(FitsPhones(w.get()), Qt::LeftButton, {}, QPoint(6, 9));
        QVERIFY(!FitsPhones(w.get())->isChecked());
        QCOMPARE(w->Document().Form(), HtmlForm::Classic);
        QVERIFY(w->Document().HtmlText().endsWith(QStringLiteral("<!--mine-->")));
        QVERIFY(ReadSetting(QStringLiteral("General"), QStringLiteral("FitsPhones")) != QLatin1String("Yes"));

        TDialogs::PresetAnswer(QMessageBox::Yes);
        QTest::mouseClick(FitsPhones(w.get()), Qt::LeftButton, {}, QPoint(6, 9));
        QVERIFY(FitsPhones(w.get())->isChecked());
        QVERIFY(!w->Document().HtmlText().contains(QStringLiteral("<!--mine-->")));
    }

    // While classic pages are written, the page check says how to fit
    // phones, and its entry leads to the box.
    void pageCheckLeadsToTheBox()
    {
        auto w = MakeMainWindow(m_app);
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        ClickRow(list, RowOf(list, QStringLiteral("Business Card")));
        ClickToolbar(w.get(), 140);
        TDialogs::PresetAnswer(QMessageBox::Ok); // message 100: save first
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Card.qze"));
        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        auto *problems = Named<QListWidget>(w.get(), "lstProblems");
        const QStringList entries = Captions(problems);
        const int row = int(entries.indexOf(LoadStr(289)));
        QVERIFY2(row >= 0, qPrintable(entries.join('\n')));
        ClickRow(problems, row, true);
        QCOMPARE(w->Workspace().State(), int(wsView));
        QCOMPARE(QApplication::focusWidget(), FitsPhones(w.get()));

        QTest::mouseClick(FitsPhones(w.get()), Qt::LeftButton, {}, QPoint(6, 9));
        ClickToolbar(w.get(), 420);
        QCOMPARE(w->Workspace().State(), int(wsSend));
        QVERIFY(!Captions(problems).contains(LoadStr(289)));
        // The page's HTML file, as it will be sent, fits phones.
        QFile html(m_app + QStringLiteral("/HTMLFiles/Card.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        QVERIFY(html.readAll().startsWith("<!DOCTYPE html>"));
    }
};

QTEST_MAIN(TestMainPhones)
#include "test_main_phones.moc"
