// The main window with the keyboard alone: the steps by Ctrl+1 to Ctrl+4 and
// by the toolbar in the tab order, blocks added from the palette by Enter and
// Space, the current block moved, the block moved and shredded, the panel
// entered and left again, the column scrolled, the page list opened, renamed
// and deleted by keys, the Send panel's pictures by Enter, What's This by
// Shift+F1 and the focus frame of the painted controls. Real key events
// throughout; what the window decided is read from its core classes.
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "page/PageDocument.h"
#include "workspace/BuildWorkspace.h"
#include "shell/FocusFrame.h"
#include "workspace/WebBlockTile.h"
#include "workspace/frmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestMainKeyboard : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    static QWidget *focus() { return QApplication::focusWidget(); }
    static void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(focus(), Qt::Key(key), mods);
    }
    std::unique_ptr<TfrmMain> window()
    {
        auto w = MakeMainWindow(m_app);
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return nullptr;
        return w;
    }
    static QStringList kinds(const TPageDocument &doc)
    {
        static const char *names[] = {"Para", "Link", "Image", "Heading", "Email", "Line"};
        QStringList out;
        for (const auto &b : doc.Blocks)
            out << QLatin1String(names[b->Kind]);
        return out;
    }
    static TWebBlock *focusedTile() { return qobject_cast<TWebBlock *>(focus()); }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void init()
    {
        FreshStart(m_dir, m_app);
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void stepsByCtrlDigitsAndByTheToolbar()
    {
        auto w = window();
        QVERIFY(w);
        QCOMPARE(w->Workspace().State(), int(wsChoose));
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QTest::keyClick(w.get(), Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(w->Workspace().State(), int(wsView));
        QTest::keyClick(w.get(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(w->Workspace().State(), int(wsChoose));

        // The toolbar is first in the tab order; the focus frame lies on the tab.
        auto *toolbar = Named(w.get(), "picToolbar");
        toolbar->setFocus(Qt::TabFocusReason);
        auto *frame = w->findChild<TFocusFrame *>(QStringLiteral("FocusFrame"));
        QVERIFY(frame);
        QCOMPARE(frame->Target(), toolbar);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), QRect(toolbar->pos(), QSize(140, toolbar->height())));
        press(Qt::Key_Right);
        press(Qt::Key_Right);
        QCOMPARE(frame->geometry().left(), toolbar->x() + 280);
        press(Qt::Key_Return);
        QCOMPARE(w->Workspace().State(), int(wsView));
        press(Qt::Key_Left);
        press(Qt::Key_Space);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        // Tab goes on from the toolbar into the palette.
        toolbar->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        QCOMPARE(focus()->objectName(), QStringLiteral("imgBrPara"));
        QCOMPARE(frame->Target(), focus());
        QCOMPARE(frame->geometry(), focus()->geometry());
        // A click on a picture does not take the focus: the mouse works as before.
        QTest::mouseClick(Named(w.get(), "imgBrLink"), Qt::LeftButton);
        QCOMPARE(focus()->objectName(), QStringLiteral("imgBrPara"));

        // Shift+F1 offers the focused control's help.
        press(Qt::Key_F1, Qt::ShiftModifier);
        auto *menu = Named<QMenu>(w.get(), "popWhatsThis");
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), w.get());

        // F11 enlarges the preview in View, and back.
        QTest::keyClick(w.get(), Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(w->Workspace().State(), int(wsView));
        QTest::keyClick(w.get(), Qt::Key_F11);
        QVERIFY(w->PreviewEnlarged());
        QTest::keyClick(w.get(), Qt::Key_F11);
        QVERIFY(!w->PreviewEnlarged());
    }

    void buildAPageWithTheKeyboard()
    {
        auto w = window();
        QVERIFY(w);
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        TBuildWorkspace &build = w->BuildWorkspace();
        const TPageDocument &doc = w->Document().Page();
        auto palette = [&](int kind) {
            build.PaletteImage(kind)->setFocus(Qt::TabFocusReason);
            return build.PaletteImage(kind);
        };

        // Enter on the heading image: a heading, highlighted, its field focused.
        palette(bkHeading);
        press(Qt::Key_Return);
        QCOMPARE(kinds(doc), QStringList{"Heading"});
        QCOMPARE(doc.CurrentSlot, 0);
        QVERIFY(build.Tiles().at(0)->Highlighted());
        QCOMPARE(focus()->objectName(), QStringLiteral("txtHeading"));
        QTest::keyClicks(focus(), QStringLiteral("Biscuit's Page"));
        // Escape goes back to the tile.
        press(Qt::Key_Escape);
        QCOMPARE(focusedTile(), build.Tiles().at(0));

        // Space on the paragraph image, then Enter on the line: each after the current block.
        palette(bkPara);
        press(Qt::Key_Space);
        press(Qt::Key_Escape);
        palette(bkLine);
        press(Qt::Key_Return);
        QCOMPARE(kinds(doc), (QStringList{"Heading", "Para", "Line"}));
        QCOMPARE(doc.CurrentBlockIndex, 2);
        // Back up to the heading with the arrow, and an e-mail after it.
        press(Qt::Key_Escape);
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        QCOMPARE(doc.CurrentBlockIndex, 0);
        QCOMPARE(focusedTile()->BlockIndex, 0);
        palette(bkEmail);
        press(Qt::Key_Return);
        QCOMPARE(kinds(doc), (QStringList{"Heading", "Email", "Para", "Line"}));

        // Alt+Down moves the e-mail block itself; the focus stays on it.
        press(Qt::Key_Escape);
        press(Qt::Key_Down, Qt::AltModifier);
        press(Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(kinds(doc), (QStringList{"Heading", "Para", "Line", "Email"}));
        QCOMPARE(doc.CurrentBlockIndex, 3);
        QCOMPARE(focusedTile()->BlockIndex, 3);
        press(Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(kinds(doc), (QStringList{"Heading", "Para", "Email", "Line"}));
        QCOMPARE(w->Document().UndoText().remove('&'), QStringLiteral("Undo Move E-mail"));

        // Delete shreds it, with the shredder's animation.
        press(Qt::Key_Delete);
        QCOMPARE(kinds(doc), (QStringList{"Heading", "Para", "Line"}));
        QVERIFY(Named<QTimer>(w.get(), "timShredder")->isActive());
        QCOMPARE(focusedTile()->BlockIndex, doc.CurrentBlockIndex);
        QCOMPARE(w->Document().UndoText().remove('&'), QStringLiteral("Undo Shred E-mail"));

        // Enter and F2 go into the panel's first field.
        press(Qt::Key_Home);
        QCOMPARE(doc.CurrentBlockIndex, 0);
        press(Qt::Key_F2);
        QCOMPARE(focus()->objectName(), QStringLiteral("txtHeading"));
        QCOMPARE(qobject_cast<QLineEdit *>(focus())->text(), QStringLiteral("Biscuit's Page"));
        press(Qt::Key_Escape);
        press(Qt::Key_End);
        press(Qt::Key_Enter);
        QCOMPARE(focus()->objectName(), QStringLiteral("txtLineWidth"));

        // A long page: Page Down, Page Up, Home and End scroll the column.
        press(Qt::Key_Escape);
        for (int i = 0; i < 10; ++i) {
            palette(bkPara);
            press(Qt::Key_Return);
        }
        QCOMPARE(doc.Blocks.Count(), 13);
        press(Qt::Key_Escape);
        press(Qt::Key_Home);
        QCOMPARE(build.ScrollBar()->value(), 0);
        press(Qt::Key_PageDown);
        QCOMPARE(doc.CurrentBlockIndex, 8);
        QCOMPARE(build.ScrollBar()->value(), 1);
        press(Qt::Key_End);
        QCOMPARE(build.ScrollBar()->value(), 5);
        QCOMPARE(focusedTile()->SlotIndex, 7);
        press(Qt::Key_PageUp);
        QCOMPARE(doc.CurrentBlockIndex, 4);
        QCOMPARE(build.ScrollBar()->value(), 4);
        QVERIFY(doc.CheckInvariant().isEmpty());
    }

    void pageListByKeys()
    {
        auto w = window();
        QVERIFY(w);
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        list->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Down);
        QVERIFY(list->currentItem() && list->currentItem()->isSelected());
        // The picture follows the entry chosen by the arrows.
        QTRY_VERIFY(Named(w.get(), "imgPreView")->isVisible());

        // F2 opens the caption editor; Escape leaves the name as it was.
        const QString caption = list->currentItem()->text();
        press(Qt::Key_F2);
        QTRY_VERIFY(list->viewport()->findChild<QLineEdit *>());
        press(Qt::Key_Escape);
        QTRY_VERIFY(!list->viewport()->findChild<QLineEdit *>() || !list->viewport()->findChild<QLineEdit *>()->isVisible());
        QCoreApplication::sendPostedEvents(); // the list takes up the closed editor (queued)
        QCOMPARE(list->currentItem()->text(), caption);

        // Delete asks first; No keeps the entry.
        const int count = list->count();
        TDialogs::PresetAnswer(QMessageBox::No);
        list->setFocus();
        press(Qt::Key_Delete);
        QCOMPARE(list->count(), count);
        QVERIFY(!TDialogs::ShownMessages().isEmpty());
        QVERIFY(TDialogs::ShownMessages().last().contains(caption));

        // Enter opens it in Build.
        press(Qt::Key_Return);
        QTRY_COMPARE(w->Workspace().State(), int(wsBuild));
        QVERIFY(w->Document().Page().Blocks.Count() > 0);
        // The list went away with Choose: the keyboard goes on at the first block.
        QCOMPARE(focusedTile(), w->BuildWorkspace().Tiles().at(0));
    }

    // The panel's alignment and new-line buttons are reached by Tab after its
    // fields; the arrows go along them, Space presses one.
    void alignmentButtonsByTabArrowsAndSpace()
    {
        auto w = window();
        QVERIFY(w);
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        w->BuildWorkspace().PaletteImage(bkHeading)->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Return);
        const TWebChunk &heading = w->Document().Page().Blocks.At(0);
        QCOMPARE(focus()->objectName(), QStringLiteral("txtHeading"));
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(focus()->objectName(), QStringLiteral("spdHeadLeft"));
        press(Qt::Key_Right);
        press(Qt::Key_Space);
        QCOMPARE(heading.Heading->Align, std::uint8_t(2));
        press(Qt::Key_Left);
        press(Qt::Key_Left);
        QCOMPARE(focus()->objectName(), QStringLiteral("spdHeadReturn"));
        press(Qt::Key_Space);
        QCOMPARE(heading.Heading->NewLine, std::uint8_t(1));
    }

    // At start the focus is on the toolbar, its frame showing; Ctrl+1 to
    // Ctrl+4 take it to the first control of the panel shown, never to the
    // panel itself; the grey preview toggle is no Tab stop.
    void focusShownAtStartAndAfterEachStep()
    {
        auto w = window();
        QVERIFY(w);
        QTRY_COMPARE(focus(), Named(w.get(), "picToolbar"));
        auto *frame = w->findChild<TFocusFrame *>(QStringLiteral("FocusFrame"));
        QTRY_VERIFY(frame->isVisible());
        QCOMPARE(frame->Target(), focus());
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(focus()->objectName(), QStringLiteral("imgBrPara")); // no block yet
        press(Qt::Key_Return);
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Steps.qze"));
        const struct {
            int key;
            const char *first;
        } steps[] = {{Qt::Key_3, "qt_tabwidget_tabbar"}, {Qt::Key_1, "lvTemplates"}, {Qt::Key_4, "cmbServers"}};
        for (const auto &s : steps) {
            QTest::keyClick(w.get(), Qt::Key(s.key), Qt::ControlModifier);
            QCOMPARE(focus()->objectName(), QLatin1String(s.first));
            QVERIFY(focus()->focusPolicy() & Qt::TabFocus);
        }
        // Tab round the Send panel: the preview toggle is not among the stops.
        QStringList stops;
        for (int i = 0; i < 30 && !stops.contains(focus()->objectName()); ++i) {
            stops << focus()->objectName();
            press(Qt::Key_Tab);
        }
        QVERIFY2(stops.contains(QStringLiteral("imgExit")), qPrintable(stops.join(',')));
        QVERIFY(!stops.contains(QStringLiteral("imgView")));
    }

    // Alt+Up and Alt+Down move the current block from its fields too (a
    // click on a tile puts the caret there); the text stays as it was.
    void altArrowsMoveTheBlockFromItsField()
    {
        auto w = window();
        QVERIFY(w);
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        TBuildWorkspace &build = w->BuildWorkspace();
        for (int kind : {bkPara, bkHeading}) {
            build.PaletteImage(kind)->setFocus(Qt::TabFocusReason);
            press(Qt::Key_Return);
        }
        QTest::mouseClick(build.Tiles().at(1), Qt::LeftButton);
        QCOMPARE(focus()->objectName(), QStringLiteral("txtHeading"));
        QTest::keyClicks(focus(), QStringLiteral("Top"));
        press(Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(kinds(w->Document().Page()), (QStringList{"Heading", "Para"}));
        QCOMPARE(focus()->objectName(), QStringLiteral("txtHeading"));
        QCOMPARE(w->Document().Page().Blocks.At(0).Heading->Text, QStringLiteral("Top"));
    }

    void sendPanelPicturesByEnter()
    {
        auto w = window();
        QVERIFY(w);
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        w->BuildWorkspace().PaletteImage(bkPara)->setFocus();
        press(Qt::Key_Return);
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Keys.qze"));
        QTest::keyClick(w.get(), Qt::Key_4, Qt::ControlModifier);
        QTRY_COMPARE(w->Workspace().State(), int(wsSend));

        // The rotate button turns the web by one logo, as a click does.
        auto *right = Named(w.get(), "imgUploadRight");
        right->setFocus(Qt::TabFocusReason);
        QCOMPARE(focus(), right);
        auto shownLogo = [&]() -> QString {
            for (const char *name : {"imgQuorPage", "imgOrtexPage", "imgPartner2Page", "imgPartner3Page",
                                     "imgPartner4Page", "imgPartner5Page", "imgPartner6Page", "imgYourPage"})
                if (Named(w.get(), name)->isVisible())
                    return QLatin1String(name);
            return QString();
        };
        const QString before = shownLogo();
        press(Qt::Key_Return);
        QTRY_VERIFY(shownLogo() != before);
        QVERIFY(!shownLogo().isEmpty());
    }
};

QTEST_MAIN(TestMainKeyboard)
#include "test_main_keyboard.moc"
