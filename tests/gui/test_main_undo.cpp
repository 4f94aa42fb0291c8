// Undo and redo in the main window: every kind of change made with the mouse
// and the keyboard (adding, moving and shredding blocks, typing, alignment,
// new line, the title, the style and the logo switch) taken back with
// Ctrl+Z and the Edit menu and done again with Ctrl+Y and Ctrl+Shift+Z, back
// to the exact page that was loaded, with nothing left to save. The history
// itself is tested without a window in tests/core/test_document_history.cpp.
#include "support_gui/MainWindowDriver.h"
#include "support_gui/mouse_drag.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "page/PageFile.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/WebBlockTile.h"
#include "workspace/frmMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
const QPoint kGrab(20, 8);
QString Plain(QString s) { return s.remove(QLatin1Char('&')); }
} // namespace

class TestMainUndo : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    QByteArray bytes(TfrmMain &w) { return PageFileBytes(w.Document().Page(), w.Document().StyleName()); }
    QString undoText(TfrmMain &w) { return Plain(Named<QAction>(&w, "mnuEditUndo")->text()); }
    QString redoText(TfrmMain &w) { return Plain(Named<QAction>(&w, "mnuEditRedo")->text()); }
    TWebBlock *tileAt(TfrmMain &w, int slot) { return w.BuildWorkspace().Tiles().at(std::size_t(slot)); }

    std::unique_ptr<TfrmMain> openTemplate(const char *name)
    {
        auto w = MakeMainWindow(m_app);
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return nullptr;
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/") + QLatin1String(name), false);
        if (w->Workspace().State() != wsBuild)
            return nullptr;
        return w;
    }

    void key(TfrmMain &w, Qt::Key k, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
        QTest::keyClick(target, k, mods);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TDialogs::SetNonInteractive(true);
        TBuildWorkspace::SetPointerWarp(false);
    }

    void init()
    {
        FreshStart(m_dir, m_app);
    }

    void editMenuSitsBetweenFileAndHelp()
    {
        auto w = MakeMainWindow(m_app);
        QStringList titles;
        for (QAction *a : w->menuBar()->actions())
            titles << Plain(a->text());
        QCOMPARE(titles, (QStringList{QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("Help")}));
        auto *undo = Named<QAction>(w.get(), "mnuEditUndo");
        auto *redo = Named<QAction>(w.get(), "mnuEditRedo");
        QCOMPARE(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                         QKeySequence(QStringLiteral("Ctrl+Y"))}));
        QVERIFY(!undo->isEnabled());
        QCOMPARE(undoText(*w), QStringLiteral("Undo"));
    }

    void everyKindOfChangeUndoneAndRedone()
    {
        auto w = openTemplate("Family News.qzt");
        QVERIFY(w);
        TDocument &doc = w->Document();
        const QByteArray loaded = bytes(*w);
        const int blocks = doc.Page().Blocks.Count();
        QVERIFY(!Named<QAction>(w.get(), "mnuEditUndo")->isEnabled());
        QStringList steps;
        std::vector<QByteArray> states{loaded};
        auto stepDone = [&](const QString &name) {
            steps << name;
            states.push_back(bytes(*w));
            return undoText(*w) == QStringLiteral("Undo ") + name;
        };

        // A heading dragged from the palette onto the first row.
        DragAndDrop(Named<QLabel>(w.get(), "imgBrHeading"), kGrab, QPoint(199, 1));
        QTRY_VERIFY(!w->BuildWorkspace().PaletteBusy() && !w->BuildWorkspace().PaletteDragging());
        QCOMPARE(doc.Page().Blocks.At(0).Kind, int(bkHeading));
        QVERIFY(stepDone(QStringLiteral("Add Heading")));

        // Typed into: one step however many keys.
        auto *txtHeading = Named<QLineEdit>(w.get(), "txtHeading");
        QTRY_COMPARE(QApplication::focusWidget(), txtHeading);
        QTest::keyClicks(txtHeading, QStringLiteral("Biscuit's Page"));
        QCOMPARE(doc.Page().Blocks.At(0).Heading->Text, QStringLiteral("Biscuit's Page"));
        QVERIFY(stepDone(QStringLiteral("Typing in Heading")));

        // Centred, and a new line after it.
        QTest::mouseClick(Named<QToolButton>(w.get(), "spdHeadCenter"), Qt::LeftButton);
        QVERIFY(stepDone(QStringLiteral("Align Heading")));
        QTest::mouseClick(Named<QToolButton>(w.get(), "spdHeadReturn"), Qt::LeftButton);
        // The heading's new-line value is not kept in the page file.
        steps << QStringLiteral("New Line after Heading");
        states.push_back(bytes(*w));
        QCOMPARE(undoText(*w), QStringLiteral("Undo New Line after Heading"));

        // Moved down two rows, then the block below shredded.
        DragAndDrop(tileAt(*w, 0), kGrab, QPoint(199, 2 * 31 + 1));
        QCOMPARE(doc.Page().Blocks.At(2).Kind, int(bkHeading));
        QVERIFY(stepDone(QStringLiteral("Move Heading")));
        const int shredKind = doc.Page().Blocks.At(3).Kind;
        DragAndDrop(tileAt(*w, 3), kGrab, QPoint(40, 249));
        QCOMPARE(doc.Page().Blocks.Count(), blocks);
        QVERIFY(stepDone(QStringLiteral("Shred ") + QStringList{"Paragraph", "Link", "Image", "Heading", "E-mail", "Line"}.at(shredKind)));

        // In View: the title typed, a style chosen, the logo switched off.
        ClickToolbar(w.get(), 300);
        QTRY_COMPARE(w->Workspace().State(), int(wsView));
        auto *txtTitle = Named<QLineEdit>(w.get(), "txtTitle");
        txtTitle->setFocus();
        txtTitle->selectAll();
        QTest::keyClicks(txtTitle, QStringLiteral("Our News"));
        QVERIFY(stepDone(QStringLiteral("Page Title")));
        auto *lstStyles = Named<QListWidget>(w.get(), "lstStyles");
        ClickRow(lstStyles, doc.StyleEntry() == 2 ? 3 : 2);
        QVERIFY(stepDone(QStringLiteral("Choose Style")));
        QTest::mouseClick(Named<QCheckBox>(w.get(), "chkLogo"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(6, 9));
        QVERIFY(!doc.LogoOn());
        steps << QStringLiteral("Logo Switch");
        states.push_back(bytes(*w));
        QCOMPARE(undoText(*w), QStringLiteral("Undo Logo Switch"));
        QVERIFY(doc.HtmlText().contains(QStringLiteral("<TITLE>Our News</TITLE>")));

        // Back to Build, then every step undone with Ctrl+Z, last first.
        ClickToolbar(w.get(), 160);
        QTRY_COMPARE(w->Workspace().State(), int(wsBuild));
        for (int i = int(steps.size()) - 1; i >= 0; --i) {
            QCOMPARE(undoText(*w), QStringLiteral("Undo ") + steps.at(i));
            key(*w, Qt::Key_Z);
            QCOMPARE(bytes(*w), states.at(std::size_t(i)));
            QCOMPARE(redoText(*w), QStringLiteral("Redo ") + steps.at(i));
            QVERIFY(doc.Page().CheckInvariant().isEmpty());
            QCOMPARE(int(w->BuildWorkspace().Tiles().size()), std::min(8, doc.Page().Blocks.Count()));
        }
        QVERIFY(doc.LogoOn());
        QCOMPARE(bytes(*w), loaded);
        QVERIFY(!doc.DocumentChanged());
        QVERIFY(!Named<QAction>(w.get(), "mnuEditUndo")->isEnabled());
        QCOMPARE(Named<QLineEdit>(w.get(), "txtTitle")->text(), doc.Page().PageTitle);

        // Done again: Ctrl+Y and Ctrl+Shift+Z by turns, and the menu.
        for (std::size_t i = 1; i < states.size(); ++i) {
            if (i == states.size() - 1)
                Named<QAction>(w.get(), "mnuEditRedo")->trigger();
            else
                key(*w, i % 2 ? Qt::Key_Y : Qt::Key_Z, i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(bytes(*w), states.at(i));
        }
        QVERIFY(!doc.LogoOn());
        QVERIFY(doc.DocumentChanged());
        QCOMPARE(Named<QLineEdit>(w.get(), "txtTitle")->text(), QStringLiteral("Our News"));
        // The panel shows the block put back.
        QCOMPARE(doc.Page().Blocks.At(2).Heading->Text, QStringLiteral("Biscuit's Page"));
    }

    void undoKeyInAFieldTakesBackTheStep()
    {
        auto w = openTemplate("Business Card.qzt");
        QVERIFY(w);
        TDocument &doc = w->Document();
        QTest::mouseClick(tileAt(*w, 1), Qt::LeftButton, Qt::NoModifier, kGrab);
        QWidget *field = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(field) || qobject_cast<QPlainTextEdit *>(field));
        QVERIFY(field->parentWidget()->isVisible());
        const QByteArray before = bytes(*w);
        QTest::keyClicks(field, QStringLiteral("xyz"));
        QVERIFY(bytes(*w) != before);
        // The field's own small undo would take back one letter at most; the
        // page's undo takes back the typing.
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bytes(*w), before);
        QVERIFY(!doc.DocumentChanged());
        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(bytes(*w) != before);
        QVERIFY(doc.DocumentChanged());
    }
};

QTEST_MAIN(TestMainUndo)
#include "test_main_undo.moc"
