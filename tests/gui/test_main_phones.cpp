// The way pages are written, chosen in View ("Fits phones"), and the preview
// at a phone's width. How each way writes the page is tested without a window
// in tests/core/test_page_phones*.
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "viewer/HtmlViewer.h"
#include "workspace/frmMain.h"

#include <QCheckBox>
#include <QPlainTextEdit>
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
};

QTEST_MAIN(TestMainPhones)
#include "test_main_phones.moc"
