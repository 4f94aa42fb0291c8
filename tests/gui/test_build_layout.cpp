// The layout editor of the Build workspace driven with mouse events: palette
// drops, tile moves, the shredder, the scroll bar and the auto-scroll timers.

#include "support_gui/mouse_drag.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "page/PageDocument.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/WebBlockTile.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <memory>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

const QPoint kGrab(20, 8); // where a test grabs a palette image or a tile

} // namespace

class TestBuildLayout : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> pnlBuild;
    std::unique_ptr<TPageDocument> doc;
    TBuildWorkspace *ws = nullptr;

    QLabel *palette(int kind) { return qobject_cast<QLabel *>(ws->PaletteImage(kind)); }
    QTimer *timer(const char *name) { return ws->findChild<QTimer *>(QLatin1String(name)); }
    QWidget *child(const char *name) { return pnlBuild->findChild<QWidget *>(QLatin1String(name)); }

    // The column's widgets must show exactly the document's slots.
    void verifyMirror()
    {
        QCOMPARE(doc->CheckInvariant(), QString());
        const auto &tiles = ws->Tiles();
        QCOMPARE(int(tiles.size()), doc->Tiles().Count());
        for (int s = 0; s < int(tiles.size()); ++s) {
            const TWebBlock *t = tiles[std::size_t(s)];
            QCOMPARE(t->BlockIndex, doc->Tiles().At(s).BlockIndex);
            QCOMPARE(t->SlotIndex, s);
            QCOMPARE(t->pos(), QPoint(199, s * 31 + 1));
            QCOMPARE(t->Kind, doc->Blocks.At(t->BlockIndex).Kind);
            QCOMPARE(t->Highlighted(), s == doc->CurrentSlot);
            QVERIFY(t->isVisible());
        }
        // No stray tile widgets besides the column.
        int tileWidgets = 0;
        for (TWebBlock *t : ws->ToolBox()->findChildren<TWebBlock *>())
            if (!t->isHidden())
                ++tileWidgets;
        QCOMPARE(tileWidgets, int(tiles.size()) + (ws->TileDragging() ? 1 : 0));
        QCOMPARE(ws->ScrollBar()->isVisibleTo(pnlBuild.get()), doc->Blocks.Count() > 8);
    }

    // Drops a palette image with its top-left at `topLeft` and waits for it to be home.
    void dropPalette(int kind, QPoint topLeft)
    {
        QLabel *img = palette(kind);
        DragAndDrop(img, kGrab, topLeft);
        QTRY_VERIFY(!ws->PaletteBusy() && !ws->PaletteDragging());
        QCOMPARE(img->pos(), QPoint(1, img->property("Tag").toInt()));
    }

    // Blocks as a page file brings them: the column shows the first eight.
    void appendBlocks(const QList<int> &kinds)
    {
        for (int k : kinds) {
            doc->Blocks.Append(NewBlock(k));
            doc->LoadChunk(doc->Blocks.Count() - 1);
            ws->LoadChunk(doc->Blocks.Count() - 1);
        }
    }

    // Top-left for a palette image that should snap into `row` (rows of 32).
    static QPoint paletteRow(int row, int left = 199) { return QPoint(left, row * 32 + 4); }

    QList<int> kinds() const
    {
        QList<int> out;
        for (const auto &b : doc->Blocks)
            out << b->Kind;
        return out;
    }

    TWebBlock *tileAt(int slot) { return ws->Tiles().at(std::size_t(slot)); }
    // Clicks the tile of that slot, as the user picks a block.
    void select(int slot) { MouseClick(tileAt(slot), kGrab); }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<QWidget *>();
        TBuildWorkspace::SetPointerWarp(false);
        TDialogs::SetNonInteractive(true);
    }

    void init()
    {
        pnlBuild = std::make_unique<QWidget>();
        pnlBuild->resize(625, 297);
        doc = std::make_unique<TPageDocument>();
        ws = new TBuildWorkspace(pnlBuild.get(), *doc, pnlBuild.get());
        pnlBuild->show();
        // The gestures' sounds are told apart (a test of silence switches them off).
        SettingsStore().OpenKey(QStringLiteral("General"), true);
        SettingsStore().WriteString(QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        SettingsStore().CloseKey();
    }

    void cleanup()
    {
        TBuildWorkspace::SetPointerWarp(false);
        QApplication::restoreOverrideCursor();
        pnlBuild.reset();
        doc.reset();
        ws = nullptr;
    }

    void controlsArePlaced()
    {
        for (int k = 0; k < 6; ++k) {
            QLabel *img = palette(k);
            QVERIFY(img);
            QCOMPARE(img->geometry(), QRect(1, 1 + 22 * k, 95, 22));
            QCOMPARE(img->property("Tag").toInt(), 1 + 22 * k);
        }
        QCOMPARE(palette(0)->objectName(), QStringLiteral("imgBrPara"));
        QCOMPARE(palette(5)->objectName(), QStringLiteral("imgBrLine"));
        QCOMPARE(child("ScrollBar1")->geometry(), QRect(315, 20, 18, 271));
        QVERIFY(child("ScrollBar1")->isHidden());
        QCOMPARE(child("imgShredderBack")->geometry(), QRect(-10, 248, 96, 24));
        QCOMPARE(child("imgShredder")->geometry(), QRect(7, 238, 78, 34));
        QVERIFY(child("imgShredder")->isHidden());
        QCOMPARE(child("imgBackground")->size(), QSize(300, 272));
        QCOMPARE(child("pnlBlank")->geometry(), QRect(338, 20, 281, 273));
        QVERIFY(child("pnlBlank")->isVisible());
        QVERIFY(child("lblBuildBlocks") && child("lblDelete") && child("lblBuildLeft"));
        QVERIFY(child("memBuzzsaw")->isHidden());
        QCOMPARE(timer("timAnim")->interval(), 10);
        QCOMPARE(timer("timUp")->interval(), 250);
        QCOMPARE(timer("timDown")->interval(), 250);
        for (const char *t : {"timAnim", "timUp", "timDown", "timShredder"})
            QVERIFY(!timer(t)->isActive());
    }

    void dropIntoEmptyColumnShowsPanel()
    {
        QSignalSpy first(ws, &TBuildWorkspace::firstBlockDropped);
        QSignalSpy changed(ws, &TBuildWorkspace::documentChanged);
        dropPalette(bkLink, QPoint(199, 100));
        QCOMPARE(kinds(), QList<int>{bkLink});
        QVERIFY(doc->DocumentChanged);
        QCOMPARE(first.count(), 1);
        // The drop, and the new block's panel storing the fields it fills in.
        QCOMPARE(changed.count(), 2);
        QCOMPARE(doc->CurrentBlockIndex, 0);
        QVERIFY(child("pnlLink")->isVisible());
        QVERIFY(child("pnlBlank")->isHidden());
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavClick2"));
        verifyMirror();
    }

    void dropOnSlot3OfFourInsertsBefore()
    {
        appendBlocks({bkPara, bkPara, bkPara, bkPara});
        dropPalette(bkImage, paletteRow(3));
        QCOMPARE(kinds(), (QList<int>{bkPara, bkPara, bkPara, bkImage, bkPara}));
        QCOMPARE(doc->CurrentBlockIndex, 3);
        QCOMPARE(doc->CurrentSlot, 3);
        QVERIFY(child("pnlImage")->isVisible());
        verifyMirror();
        // Below the last tile: appended.
        dropPalette(bkLine, paletteRow(7));
        QCOMPARE(kinds().last(), int(bkLine));
        QCOMPARE(doc->CurrentBlockIndex, 5);
        verifyMirror();
    }

    void dropOnSlot7OfEightScrolls()
    {
        appendBlocks({0, 0, 0, 0, 0, 0, 0, 1});
        dropPalette(bkHeading, paletteRow(7));
        QCOMPARE(doc->Blocks.Count(), 9);
        QCOMPARE(doc->Blocks.At(7).Kind, int(bkHeading));
        QCOMPARE(doc->Tiles().At(6).BlockIndex, 7);  // the new block moved up to slot 6
        QCOMPARE(doc->CurrentBlockIndex, 8);         // the block after it is current
        QCOMPARE(doc->CurrentSlot, 7);
        QVERIFY(child("pnlLink")->isVisible());
        QVERIFY(ws->ScrollBar()->isVisibleTo(pnlBuild.get()));
        QCOMPARE(ws->ScrollBar()->maximum(), 1);
        QCOMPARE(ws->ScrollBar()->value(), 1);
        verifyMirror();
    }

    void releaseBetweenEdgesGlidesHome()
    {
        QLabel *img = palette(bkEmail);
        DragBy(img, kGrab, QPoint(120, 89));
        QVERIFY(ws->PaletteDragging());
        DropAt(img, kGrab);
        QCOMPARE(img->x(), -99);
        QVERIFY(timer("timAnim")->isActive());
        // A new drag does not start while the image glides home.
        QSignalSpy step(timer("timAnim"), &QTimer::timeout);
        QVERIFY(step.wait(10000));
        QVERIFY(ws->PaletteBusy());
        MousePress(palette(bkPara), kGrab);
        MouseMoveHeld(palette(bkPara), kGrab + QPoint(150, 0));
        QCOMPARE(palette(bkPara)->pos(), QPoint(1, 1));
        MouseRelease(palette(bkPara), kGrab + QPoint(150, 0));
        QTRY_COMPARE(img->pos(), QPoint(1, 89));
        QTRY_VERIFY(!timer("timAnim")->isActive());
        QVERIFY(!ws->PaletteBusy());
        QCOMPARE(doc->Blocks.Count(), 0);
        QVERIFY(!doc->DocumentChanged);
    }

    void releaseLeftOfEdgeSnapsHome()
    {
        QLabel *img = palette(bkLine);
        DragBy(img, kGrab, QPoint(50, 111));
        QCOMPARE(img->x(), 50);
        DropAt(img, kGrab);
        QCOMPARE(img->pos(), QPoint(1, 111));
        QVERIFY(!ws->PaletteDragging());
        QVERIFY(!timer("timAnim")->isActive());
        QCOMPARE(doc->Blocks.Count(), 0);
    }

    void paletteDragLimitsAndRows()
    {
        QLabel *img = palette(bkPara);
        DragBy(img, kGrab, QPoint(60, 200));
        QCOMPARE(img->pos(), QPoint(60, 1)); // outside the layout zone only the left moves
        DragStepTo(img, kGrab, QPoint(400, 500));
        QCOMPARE(img->pos(), QPoint(199, 249)); // row 265 div 32 = 8, left at most 199
        QVERIFY(!timer("timDown")->isActive()); // the left before this move was 60
        DragStepTo(img, kGrab, QPoint(199, 260));
        QVERIFY(timer("timDown")->isActive());  // row 8 right of 194
        DragStepTo(img, kGrab, QPoint(20, 100));
        QCOMPARE(img->pos(), QPoint(97, 94)); // left at least 97 once inside; row 3
        QVERIFY(!timer("timDown")->isActive());
        DragStepTo(img, kGrab, QPoint(150, -40));
        QCOMPARE(img->pos(), QPoint(150, 1));
        QVERIFY(timer("timUp")->isActive());
        DropAt(img, kGrab);
        QVERIFY(!timer("timUp")->isActive());
        QTRY_VERIFY(!ws->PaletteDragging());
    }

    void ninthBlockShowsScrollBarAndShreddingHidesIt()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1});
        QVERIFY(ws->ScrollBar()->isHidden());
        dropPalette(bkPara, QPoint(199, 249));
        QCOMPARE(doc->Blocks.Count(), 9);
        QVERIFY(ws->ScrollBar()->isVisibleTo(pnlBuild.get()));
        QCOMPARE(ws->ScrollBar()->maximum(), 1);
        verifyMirror();
        // Shred the block in slot 2.
        DragAndDrop(tileAt(2), kGrab, QPoint(40, 249));
        QCOMPARE(doc->Blocks.Count(), 8);
        QVERIFY(ws->ScrollBar()->isHidden());
        verifyMirror();
    }

    void moveSlot0ToSlot2()
    {
        appendBlocks({bkPara, bkLink, bkImage});
        QSignalSpy changed(ws, &TBuildWorkspace::documentChanged);
        doc->DocumentChanged = false;
        ws->SyncTiles();
        DragAndDrop(tileAt(0), kGrab, QPoint(199, 2 * 31 + 1));
        QCOMPARE(kinds(), (QList<int>{bkLink, bkImage, bkPara}));
        QCOMPARE(doc->CurrentSlot, 2);
        QCOMPARE(doc->CurrentBlockIndex, 2);
        QVERIFY(child("pnlPara")->isVisible());
        QVERIFY(doc->DocumentChanged);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(LastSoundPlayed(), QStringLiteral("wavClick2"));
        verifyMirror();
        // After a save cleared the flag, the next move is reported again.
        doc->DocumentChanged = false;
        const int reported = changed.count();
        // Dropped below the column: the last tile's row.
        DragAndDrop(tileAt(0), kGrab, QPoint(199, 7 * 31 + 1));
        QCOMPARE(kinds(), (QList<int>{bkImage, bkPara, bkLink}));
        QVERIFY(doc->DocumentChanged);
        QVERIFY(changed.count() > reported);
        // A drop on its own row changes nothing.
        doc->DocumentChanged = false;
        DragAndDrop(tileAt(1), kGrab, QPoint(199, 1 * 31 + 1));
        QVERIFY(!doc->DocumentChanged);
        verifyMirror();
    }

    void tileDragClampsLeftPerRow()
    {
        appendBlocks({bkPara, bkLink});
        TWebBlock *t = tileAt(1);
        DragBy(t, kGrab, QPoint(30, 4 * 31 + 1));
        QCOMPARE(t->pos(), QPoint(97, 125)); // at least 97 outside row 8
        DragStepTo(t, kGrab, QPoint(30, 260));
        QCOMPARE(t->pos(), QPoint(30, 249)); // row 8 reaches the shredder
        DragStepTo(t, kGrab, QPoint(-50, 300));
        QCOMPARE(t->pos(), QPoint(1, 249));
        DragStepTo(t, kGrab, QPoint(199, 100));
        QCOMPARE(t->pos(), QPoint(199, 94));
        DropAt(t, kGrab);
        QCOMPARE(kinds(), (QList<int>{bkPara, bkLink}));
        verifyMirror();
    }

    void shredOnlyBlock()
    {
        appendBlocks({bkHeading});
        select(0);
        QVERIFY(child("pnlHeading")->isVisible());
        DragAndDrop(tileAt(0), kGrab, QPoint(40, 249));
        QCOMPARE(doc->Blocks.Count(), 0);
        QVERIFY(ws->Tiles().empty());
        QCOMPARE(doc->CurrentBlockIndex, -1);
        QVERIFY(child("pnlBlank")->isVisible());
        QVERIFY(child("pnlHeading")->isHidden());
        QVERIFY(timer("timShredder")->isActive());
        QCOMPARE(timer("timShredder")->interval(), 125);
        QTRY_VERIFY(child("imgShredder")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!timer("timShredder")->isActive(), 3000);
        QVERIFY(child("imgShredder")->isHidden());
        verifyMirror();
    }

    void shredderRunsEightFrames()
    {
        appendBlocks({bkPara, bkLine});
        QLabel *shredder = qobject_cast<QLabel *>(child("imgShredder"));
        // Whether the shredder shows after each tick of its timer.
        QList<bool> shown;
        connect(timer("timShredder"), &QTimer::timeout, shredder, [&] { shown << shredder->isVisible(); });
        DragAndDrop(tileAt(0), kGrab, QPoint(40, 249));
        QCOMPARE(doc->Blocks.Count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!timer("timShredder")->isActive(), 5000);
        QCOMPARE(shown, (QList<bool>{true, true, true, true, true, true, true, true, false}));
        QVERIFY(shredder->isHidden());
    }

    void shredWithNineBlocksScrolled()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1, 2});
        select(0);
        ws->ScrollBar()->setValue(1);
        QCOMPARE(doc->Tiles().FirstBlock(), 1);
        verifyMirror();
        const int removedKind = doc->Blocks.At(4).Kind;
        Q_UNUSED(removedKind);
        DragAndDrop(tileAt(3), kGrab, QPoint(40, 249)); // block 4
        QCOMPARE(doc->Blocks.Count(), 8);
        QCOMPARE(int(ws->Tiles().size()), 8);
        QCOMPARE(doc->Tiles().FirstBlock(), 0);
        QVERIFY(ws->ScrollBar()->isHidden());
        QCOMPARE(kinds(), (QList<int>{0, 1, 2, 3, 5, 0, 1, 2}));
        verifyMirror();
    }

    void scrollThumbSeveralPositionsMovesOneBlock()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5});
        QCOMPARE(ws->ScrollBar()->maximum(), 4);
        ws->ScrollBar()->setValue(3);
        QCOMPARE(doc->Tiles().FirstBlock(), 1);
        verifyMirror();
        ws->ScrollBar()->setValue(4);
        QCOMPARE(doc->Tiles().FirstBlock(), 2);
        ws->ScrollBar()->setValue(0);
        QCOMPARE(doc->Tiles().FirstBlock(), 1);
        verifyMirror();
    }

    void scrollKeepsHighlightOnItsBlock()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5});
        select(3);
        const int block = doc->CurrentBlockIndex;
        ws->ScrollBar()->setValue(1);
        QCOMPARE(doc->CurrentBlockIndex, block);
        QCOMPARE(doc->CurrentSlot, 2);
        verifyMirror();
        // On slot 0 the highlight cannot move up: the next block becomes
        // current and its panel is shown.
        select(0);
        ws->ScrollBar()->setValue(2);
        QCOMPARE(doc->CurrentSlot, 0);
        QCOMPARE(doc->CurrentBlockIndex, 2);
        QVERIFY(child("pnlImage")->isVisible());
        verifyMirror();
    }

    void autoScrollDuringTileDragMovesTheDraggedBlock()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5});
        // Dragging the tile of slot 2 (block 2) to the bottom right scrolls down.
        TWebBlock *t = tileAt(2);
        DragBy(t, kGrab, QPoint(199, 260));
        QVERIFY(timer("timDown")->isActive());
        // The bar moves on every tick until the last block shows.
        QTRY_COMPARE_WITH_TIMEOUT(doc->Tiles().FirstBlock(), 4, 10000);
        verifyMirror();
        // Drop on row 0, which now shows block 4: block 2 goes before it.
        DragStepTo(t, kGrab, QPoint(199, 120));
        DropAt(t, kGrab);
        QVERIFY(!timer("timDown")->isActive());
        QCOMPARE(doc->Blocks.Count(), 12);
        verifyMirror();
        QCOMPARE(doc->Blocks.At(doc->CurrentBlockIndex).Kind, 2);
    }

    void shredAfterAutoScrollRemovesTheDraggedBlock()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5});
        TWebBlock *t = tileAt(0); // block 0, kind 0
        DragBy(t, kGrab, QPoint(199, 260));
        QTRY_VERIFY_WITH_TIMEOUT(doc->Tiles().SlotOfBlock(0) < 0, 10000);
        DragStepTo(t, kGrab, QPoint(20, 260));
        DropAt(t, kGrab);
        QCOMPARE(kinds(), (QList<int>{1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5}));
        verifyMirror();
    }

    void tileClickShowsItsBlock()
    {
        appendBlocks({bkPara, bkEmail, bkLine});
        select(0);
        MouseClick(tileAt(1), kGrab);
        QCOMPARE(doc->CurrentBlockIndex, 1);
        QCOMPARE(doc->CurrentSlot, 1);
        QVERIFY(child("pnlEmail")->isVisible());
        MouseClick(tileAt(2), kGrab);
        QVERIFY(child("pnlLine")->isVisible());
        verifyMirror();
    }

    void roughSequencesKeepTheColumnConsistent()
    {
        appendBlocks({0, 1, 2, 3, 4, 5, 0, 1, 2, 3});
        // A fast drag: one jump from the palette to the shredder row and back.
        QLabel *img = palette(bkImage);
        MousePress(img, kGrab);
        MouseMoveHeld(img, kGrab + QPoint(600, 600));
        MouseMoveHeld(img, kGrab + QPoint(-300, -300));
        // Released far outside the window.
        MouseRelease(img, QPoint(-2000, -2000));
        QTRY_VERIFY(!ws->PaletteDragging());
        verifyMirror();

        // A timer tick between the last move and the drop.
        TWebBlock *t = tileAt(4);
        DragBy(t, kGrab, QPoint(199, 0));
        QVERIFY(timer("timUp")->isActive());
        ws->ScrollBar()->setValue(2);
        QSignalSpy tick(timer("timUp"), &QTimer::timeout);
        QVERIFY(tick.wait(5000));
        DropAt(t, QPoint(5000, -5000));
        verifyMirror();

        // A drag whose release never comes, then a new press elsewhere.
        t = tileAt(1);
        DragBy(t, kGrab, QPoint(199, 150));
        QVERIFY(ws->TileDragging());
        MousePress(tileAt(5), kGrab);
        QVERIFY(!ws->TileDragging());
        MouseRelease(tileAt(5), kGrab);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        verifyMirror();

        // A palette drag left hanging, then a tile is pressed.
        img = palette(bkLink);
        DragBy(img, kGrab, QPoint(199, 60));
        MousePress(tileAt(0), kGrab);
        MouseRelease(tileAt(0), kGrab);
        QTRY_VERIFY(!ws->PaletteDragging());
        verifyMirror();

        // Emptying the document in the middle of a tile drag.
        t = tileAt(2);
        DragBy(t, kGrab, QPoint(199, 200));
        doc->FreeAllBlocks();
        ws->FreeAllBlocksView();
        DropAt(t, kGrab);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(doc->Blocks.Count(), 0);
        QVERIFY(child("pnlBlank")->isVisible());
        verifyMirror();
    }

    void soundsOfTheGestures()
    {
        SettingsStore().OpenKey(QStringLiteral("General"), true);
        SettingsStore().WriteString(QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        SettingsStore().CloseKey();
        auto last = [] { return LastSoundPlayed().toLower(); };
        QLabel *img = palette(bkPara);
        MousePress(img, kGrab);
        QCOMPARE(last(), QStringLiteral("wavclick1"));
        DragBy(img, kGrab, paletteRow(0), 3);
        DropAt(img, kGrab);
        QCOMPARE(last(), QStringLiteral("wavclick2"));
        QTRY_VERIFY(!ws->PaletteBusy() && !ws->PaletteDragging());
        appendBlocks({bkLink});
        TWebBlock *t = tileAt(0);
        DragBy(t, kGrab, QPoint(199, 40));
        QCOMPARE(last(), QStringLiteral("wavclick1"));
        DropAt(t, kGrab);
        QCOMPARE(last(), QStringLiteral("wavclick2"));
        DragAndDrop(tileAt(1), kGrab, QPoint(30, 249));
        QCOMPARE(last(), QStringLiteral("wavshred"));
        QCOMPARE(doc->Blocks.Count(), 1);
        SettingsStore().OpenKey(QStringLiteral("General"), true);
        SettingsStore().WriteString(QStringLiteral("PlaySounds"), QStringLiteral("No"));
        SettingsStore().CloseKey();
    }

    void otherButtonsAndModifiersDoNotDrag()
    {
        QLabel *img = palette(bkPara);
        MousePress(img, kGrab);
        MouseMoveHeld(img, kGrab + QPoint(150, 0), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(img->pos(), QPoint(1, 1));
        MouseMoveHeld(img, kGrab + QPoint(150, 0), Qt::LeftButton | Qt::RightButton);
        QCOMPARE(img->pos(), QPoint(1, 1));
        MouseRelease(img, kGrab);
        QVERIFY(!ws->PaletteDragging());
    }

    void rightClickHelp()
    {
        QSignalSpy help(ws, &TBuildWorkspace::whatsThisRequested);
        for (int k = 0; k < 6; ++k) {
            MouseClick(palette(k), kGrab, Qt::RightButton);
            QCOMPARE(help.count(), k + 1);
            QCOMPARE(help.last().at(2).toInt(), 12 + k);
        }
        appendBlocks({bkPara});
        MouseClick(tileAt(0), kGrab, Qt::RightButton);
        QCOMPARE(help.last().at(2).toInt(), 11);
        MouseClick(child("imgShredderBack"), QPoint(20, 5), Qt::RightButton);
        QCOMPARE(help.count(), 8);
        // No help while a palette drag runs.
        DragBy(palette(bkLink), kGrab, QPoint(60, 23));
        MouseRelease(palette(bkLink), kGrab, Qt::RightButton);
        QCOMPARE(help.count(), 8);
        DropAt(palette(bkLink), kGrab);
    }

    void pointerWarpsToTopCentre()
    {
        QCursor::setPos(QPoint(3, 3));
        if (QCursor::pos() != QPoint(3, 3))
            QSKIP("this platform cannot move the pointer");
        TBuildWorkspace::SetPointerWarp(true);
        QLabel *img = palette(bkHeading);
        MousePress(img, kGrab);
        MouseMoveHeld(img, kGrab + QPoint(5, 0));
        QVERIFY(ws->PaletteDragging());
        QCOMPARE(QCursor::pos(), img->mapToGlobal(QPoint(47, 0)));
        QCOMPARE(img->pos(), QPoint(1, 67)); // the warp itself moves nothing
        // Later moves count from the top centre.
        MouseMoveHeld(img, QPoint(47 + 150, 0));
        QCOMPARE(img->pos(), QPoint(151, 63)); // inside the layout zone: row 67 div 32 = 2
        MouseRelease(img, QPoint(47, 0));
        TBuildWorkspace::SetPointerWarp(false);
        QTRY_VERIFY(!ws->PaletteDragging());
        QCOMPARE(doc->Blocks.Count(), 0);
    }

    void loadedPageShowsFirstEightTiles()
    {
        QSignalSpy first(ws, &TBuildWorkspace::firstBlockDropped);
        for (int i = 0; i < 10; ++i) {
            doc->Blocks.Append(NewBlock(i % 6));
            doc->LoadChunk(i);
            ws->LoadChunk(i);
        }
        QCOMPARE(int(ws->Tiles().size()), 8);
        QVERIFY(ws->ScrollBar()->isVisibleTo(pnlBuild.get()));
        QCOMPARE(ws->ScrollBar()->maximum(), 2);
        // Said once for each block that got a tile of the first eight.
        QCOMPARE(first.count(), 8);
        verifyMirror();
        doc->FreeAllBlocks();
        ws->FreeAllBlocksView();
        QVERIFY(ws->Tiles().empty());
        QVERIFY(ws->ScrollBar()->isHidden());
        QVERIFY(child("pnlBlank")->isVisible());
    }

    void wheelOverTheColumnScrollsIt()
    {
        for (int i = 0; i < 10; ++i) {
            doc->Blocks.Append(NewBlock(i % 6));
            doc->LoadChunk(i);
            ws->LoadChunk(i);
        }
        QCOMPARE(ws->ScrollBar()->value(), 0);
        auto wheel = [](QWidget *over, int notches) {
            const QPointF at(over->width() / 2.0, over->height() / 2.0);
            QWheelEvent e(at, over->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(over, &e);
        };
        // Down over a tile, then over the column's background, as the scroll bar moves.
        wheel(tileAt(3), -1);
        QCOMPARE(ws->ScrollBar()->value(), 1);
        QCOMPARE(doc->ScrollBar().Position, 1);
        wheel(child("imgBackground"), -1);
        QCOMPARE(ws->ScrollBar()->value(), 2);
        wheel(tileAt(0), -1); // at the end: stays
        QCOMPARE(ws->ScrollBar()->value(), 2);
        wheel(tileAt(0), 1);
        QCOMPARE(ws->ScrollBar()->value(), 1);
        verifyMirror();
    }
};

QTEST_MAIN(TestBuildLayout)
#include "test_build_layout.moc"
