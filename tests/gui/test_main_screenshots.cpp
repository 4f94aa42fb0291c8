// Pictures of the main window in each workspace state, for people to look at.
// Runs only when WOBBIN_SCREENSHOT_DIR names a folder to write them into.
#include "app/Dialogs_gui.h"
#include "page/PageDocument.h"
#include "viewer/HtmlViewer.h"
#include "workspace/frmMain.h"

#include <QListWidget>
#include <QTabWidget>
#include <QtTest>

using namespace wobbin;

class TestMainScreenshots : public QObject
{
    Q_OBJECT

    QString m_out;

    void Save(TfrmMain &w, const char *name)
    {
        QTest::qWait(300);
        QVERIFY(w.grab().save(m_out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_out = qEnvironmentVariable("WOBBIN_SCREENSHOT_DIR");
        if (m_out.isEmpty())
            QSKIP("set WOBBIN_SCREENSHOT_DIR to take the pictures");
        TDialogs::SetNonInteractive(true);
    }

    void eachState()
    {
        TfrmMain::Options o;
        o.appDir = qEnvironmentVariable("WOBBIN_SCREENSHOT_APPDIR", QStringLiteral(WOBBIN_BINARY_DIR "/bin"));
        o.detectCompanion = false;
        TfrmMain w(o);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Save(w, "screenshot-choose");

        QListWidgetItem *item = w.lvTemplates->findItems(QStringLiteral("Example"), Qt::MatchExactly).value(0);
        QVERIFY(item);
        w.lvTemplates->setCurrentItem(item);
        item->setSelected(true);
        w.lvTemplatesClick();
        Save(w, "screenshot-choose-selected");
        QTest::mouseClick(w.picToolbar, Qt::LeftButton, {}, QPoint(150, 50));
        QCOMPARE(w.WorkspaceState, 1);
        Save(w, "screenshot-build");

        // One frame of the mascot's walk, as it crosses the toolbar.
        int frames = 0;
        auto walk = connect(&w, &TfrmMain::pipFrameDrawn, &w, [&] {
            if (++frames == 5)
                w.grab().save(m_out + QStringLiteral("/screenshot-walk.png"));
        });
        QTest::mouseClick(w.picToolbar, Qt::LeftButton, {}, QPoint(300, 50));
        disconnect(walk);
        QCOMPARE(w.WorkspaceState, 2);
        if (auto *viewer = qobject_cast<THtmlViewer *>(w.ctlHTML))
            viewer->WaitForRendered(20000);
        Save(w, "screenshot-view");

        QTest::mouseClick(w.imgView, Qt::LeftButton);
        QVERIFY(w.PreviewEnlarged());
        if (auto *viewer = qobject_cast<THtmlViewer *>(w.ctlHTML))
            viewer->WaitForRendered(20000);
        Save(w, "screenshot-view-enlarged");
        QTest::mouseClick(w.imgView, Qt::LeftButton);
        QVERIFY(!w.PreviewEnlarged());

        QTest::mouseClick(w.picToolbar, Qt::LeftButton, {}, QPoint(430, 50));
        QCOMPARE(w.WorkspaceState, 3);
        w.WebIndex = -1;
        w.DisplayMagnifier();
        Save(w, "screenshot-send");
    }
};

QTEST_MAIN(TestMainScreenshots)
#include "test_main_screenshots.moc"
