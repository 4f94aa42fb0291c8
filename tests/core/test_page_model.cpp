// The block list and the tile column model: drops, moves, shredding, scrolling.
#include "page/PageDocument.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace wobbin;

namespace {
int Top(int slot) { return layout::SlotTop(slot); }

// A document of n paragraphs "B0".."B<n-1>", loaded the way the reader does.
void Load(TPageDocument &doc, int n)
{
    for (int i = 0; i < n; ++i) {
        auto b = NewBlock(bkPara);
        b->Para->Text = QStringLiteral("B%1").arg(i);
        doc.Blocks.Append(std::move(b));
        doc.LoadChunk(doc.Blocks.Count() - 1);
    }
}

// Names of the blocks in order; a new block (empty text) shows as "new<kind>".
QStringList Names(const TPageDocument &doc)
{
    QStringList out;
    for (const auto &b : doc.Blocks) {
        if (b->Para && !b->Para->Text.isEmpty())
            out << b->Para->Text;
        else
            out << QStringLiteral("new%1").arg(b->Kind);
    }
    return out;
}

QList<int> Shown(const TPageDocument &doc)
{
    QList<int> out;
    for (const TileSlot &t : doc.Tiles())
        out << t.BlockIndex;
    return out;
}

QList<int> Range(int first, int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << first + i;
    return out;
}
} // namespace

class TestPageModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void kindsAndNewBlocks()
    {
        QCOMPARE(KindFromPaletteName("imgBrPara"), 0);
        QCOMPARE(KindFromPaletteName("imgBrLine"), 5);
        QCOMPARE(KindFromPaletteName("imgBrHeading"), 3);
        QCOMPARE(KindFromPaletteName("imgbrpara"), -1);
        QCOMPARE(KindFromPaletteName("imgBrParagraph"), -1);
        QCOMPARE(KindFromPaletteName(QString()), -1);
        QCOMPARE(AlignWord(0), QString());
        QCOMPARE(AlignWord(1), QStringLiteral("Left"));
        QCOMPARE(AlignWord(2), QStringLiteral("Center"));
        QCOMPARE(AlignWord(3), QStringLiteral("Right"));
        QCOMPARE(AlignWord(4), QString());
        QCOMPARE(AlignWord(255), QString());

        auto link = NewBlock(bkLink);
        QVERIFY(link->Link && !link->Para);
        QCOMPARE(link->Link->URL, QStringLiteral("http://"));
        QCOMPARE(NewBlock(bkImage)->Image->LinkURL, QStringLiteral("http://"));
        QCOMPARE(NewBlock(bkHeading)->Heading->SizeText, QStringLiteral("1 (Largest)"));
        QCOMPARE(NewBlock(bkLine)->Line->ThickText, QStringLiteral("6 (Thickest)"));
        auto none = NewBlock(-1);
        QVERIFY(!none->Para && !none->Link && !none->Image && !none->Heading && !none->Email && !none->Line);
        QVERIFY(none->HTML.isEmpty());
    }

    void loadingMakesTilesForTheFirstEight()
    {
        TPageDocument doc;
        Load(doc, 10);
        QCOMPARE(Shown(doc), Range(0, 8));
        QCOMPARE(doc.ScrollBar(), (ScrollBarState{true, 2, 0}));
        QCOMPARE(doc.CurrentBlockIndex, -1);
        QCOMPARE(doc.CheckInvariant(), QString());
    }

    void dropOnSlot3InsertsBeforeItsBlock()
    {
        TPageDocument doc;
        Load(doc, 4);
        const LayoutOutcome o = doc.DropPaletteBlock(bkLink, Top(3) + 5);
        QCOMPARE(Names(doc), (QStringList{"B0", "B1", "B2", "new1", "B3"}));
        QCOMPARE(o.HighlightSlot, 3);
        QCOMPARE(o.ShowBlockIndex, 3);
        QCOMPARE(doc.CurrentBlockIndex, 3);
        QVERIFY(o.FirstBlockShown && o.TilesChanged);
        QVERIFY(doc.DocumentChanged);
        QCOMPARE(Shown(doc), Range(0, 5));
        QVERIFY(!doc.ScrollBar().Visible);
    }

    void dropBelowTheLastTileAppends()
    {
        TPageDocument doc;
        Load(doc, 4);
        const LayoutOutcome o = doc.DropPaletteBlock(bkImage, Top(7));
        QCOMPARE(Names(doc), (QStringList{"B0", "B1", "B2", "B3", "new2"}));
        QCOMPARE(o.HighlightSlot, 4);
        QCOMPARE(doc.CurrentBlockIndex, 4);
        // An empty column takes the first block in slot 0 whatever the row.
        TPageDocument empty;
        QCOMPARE(empty.DropPaletteBlock(bkPara, Top(6)).HighlightSlot, 0);
        QCOMPARE(Shown(empty), QList<int>{0});
    }

    void dropOnSlot7OfEightScrollsOneDown()
    {
        TPageDocument doc;
        Load(doc, 8);
        const LayoutOutcome o = doc.DropPaletteBlock(bkHeading, Top(7));
        QCOMPARE(Names(doc), (QStringList{"B0", "B1", "B2", "B3", "B4", "B5", "B6", "new3", "B7"}));
        QCOMPARE(Shown(doc), Range(1, 8));      // new block (7) now in slot 6
        QCOMPARE(doc.Tiles().At(6).BlockIndex, 7);
        QCOMPARE(o.HighlightSlot, 7);
        QCOMPARE(doc.CurrentBlockIndex, 8);     // the block after the new one
        QCOMPARE(doc.ScrollBar(), (ScrollBarState{true, 1, 1}));
        QCOMPARE(doc.LastScrollPosition(), 1);
        QCOMPARE(doc.CheckInvariant(), QString());

        // In the middle of a longer page the view still moves by exactly one.
        TPageDocument longer;
        Load(longer, 12);
        longer.ScrollBarChanged(1);
        longer.ScrollBarChanged(2);
        QCOMPARE(Shown(longer), Range(2, 8));
        longer.DropPaletteBlock(bkPara, Top(7));
        QCOMPARE(Names(longer).at(9), QStringLiteral("new0"));
        QCOMPARE(Shown(longer), Range(3, 8));
        QCOMPARE(longer.CurrentBlockIndex, 10);
        QCOMPARE(longer.ScrollBar(), (ScrollBarState{true, 5, 3}));
    }

    void ninthBlockShowsTheBarAndRemovingItHidesIt()
    {
        TPageDocument doc;
        Load(doc, 8);
        QVERIFY(!doc.ScrollBar().Visible);
        const LayoutOutcome o = doc.DropPaletteBlock(bkEmail, Top(8));
        QCOMPARE(Names(doc).last(), QStringLiteral("new4"));
        QCOMPARE(doc.ScrollBar().Visible, true);
        QCOMPARE(doc.ScrollBar().Maximum, 1);
        QCOMPARE(Shown(doc), Range(1, 8));
        QCOMPARE(o.HighlightSlot, 7);
        QCOMPARE(doc.CurrentBlockIndex, 8);

        const LayoutOutcome r = doc.RemoveBlock(7);
        QCOMPARE(doc.Blocks.Count(), 8);
        QCOMPARE(doc.ScrollBar(), (ScrollBarState{false, 0, 0}));
        QCOMPARE(Shown(doc), Range(0, 8));
        QCOMPARE(r.HighlightSlot, 7);
        QCOMPARE(doc.CurrentBlockIndex, 7);
        QCOMPARE(doc.CheckInvariant(), QString());
    }

    void moveReordersAndRebinds()
    {
        TPageDocument doc;
        Load(doc, 3);
        const LayoutOutcome o = doc.MoveBlock(0, Top(2), 199);
        QCOMPARE(Names(doc), (QStringList{"B1", "B2", "B0"}));
        QCOMPARE(o.Sound, QStringLiteral("wavClick2"));
        QCOMPARE(o.HighlightSlot, 2);
        QCOMPARE(doc.CurrentBlockIndex, 2);
        QVERIFY(doc.DocumentChanged);
        QVERIFY(!o.Shredded);

        // Below the column (and in row 8 right of the shredder) means the last tile.
        doc.DocumentChanged = false;
        doc.MoveBlock(2, Top(8), 150);
        QCOMPARE(Names(doc), (QStringList{"B1", "B2", "B0"}));
        QVERIFY(!doc.DocumentChanged);
        doc.MoveBlock(0, Top(6), 97);
        QCOMPARE(Names(doc), (QStringList{"B2", "B0", "B1"}));

        // Onto its own row: nothing changes but the click.
        doc.DocumentChanged = false;
        const LayoutOutcome same = doc.MoveBlock(1, Top(1) + 10, 199);
        QCOMPARE(same.Sound, QStringLiteral("wavClick2"));
        QVERIFY(!same.TilesChanged);
        QVERIFY(!doc.DocumentChanged);

        // Moving up in a scrolled view keeps the view's first block.
        TPageDocument big;
        Load(big, 12);
        big.ScrollBarChanged(1);
        big.ScrollBarChanged(2);
        big.MoveBlock(7, Top(0), 120); // block 9 to block 2's place
        QCOMPARE(Names(big).mid(2, 3), (QStringList{"B9", "B2", "B3"}));
        QCOMPARE(Shown(big), Range(2, 8));
        QCOMPARE(big.CurrentBlockIndex, 2);
    }

    void shreddingTheOnlyBlockBlanks()
    {
        TPageDocument doc;
        Load(doc, 1);
        doc.HighLightBlock(0);
        const LayoutOutcome o = doc.MoveBlock(0, Top(8), 40);
        QVERIFY(o.Shredded && o.AnimateShredder && o.ShowBlank);
        QCOMPARE(o.Sound, QStringLiteral("wavShred"));
        QCOMPARE(o.HighlightSlot, -1);
        QCOMPARE(doc.Blocks.Count(), 0);
        QCOMPARE(doc.Tiles().Count(), 0);
        QCOMPARE(doc.CurrentBlockIndex, -1);
        QVERIFY(doc.DocumentChanged);
    }

    void shreddingHighlightsTheNeighbour()
    {
        TPageDocument doc;
        Load(doc, 5);
        LayoutOutcome o = doc.RemoveBlock(2);
        QCOMPARE(Names(doc), (QStringList{"B0", "B1", "B3", "B4"}));
        QCOMPARE(o.HighlightSlot, 2);          // B3 took its place
        o = doc.RemoveBlock(3);                 // the last slot
        QCOMPARE(o.HighlightSlot, 2);
        QCOMPARE(doc.CurrentBlockIndex, 2);

        // A full view refills from below and keeps its first block.
        TPageDocument big;
        Load(big, 12);
        big.ScrollBarChanged(1);
        o = big.RemoveBlock(3);
        QCOMPARE(Names(big).mid(3, 2), (QStringList{"B3", "B5"}));
        QCOMPARE(Shown(big), Range(1, 8));
        QCOMPARE(o.HighlightSlot, 3);
        QCOMPARE(big.ScrollBar(), (ScrollBarState{true, 3, 1}));
    }

    void draggedBlockOutOfViewIsTheOneMovedOrShredded()
    {
        // The auto-scroll carried the column away from the dragged block (B1).
        TPageDocument doc;
        Load(doc, 14);
        for (int p = 1; p <= 4; ++p)
            doc.ScrollBarChanged(p);
        QCOMPARE(Shown(doc), Range(4, 8));
        LayoutOutcome o = doc.MoveBlockIndex(1, Top(2), 199); // onto the row of B6
        QCOMPARE(Names(doc).mid(0, 7), (QStringList{"B0", "B2", "B3", "B4", "B5", "B6", "B1"}));
        QCOMPARE(o.HighlightSlot, 2);
        QCOMPARE(doc.CurrentBlockIndex, 6);
        QCOMPARE(doc.CheckInvariant(), QString());
        // Shredding it out of view removes that block, not the one in its slot.
        o = doc.MoveBlockIndex(0, Top(8), 20);
        QVERIFY(o.Shredded);
        QCOMPARE(Names(doc).first(), QStringLiteral("B2"));
        QCOMPARE(doc.Blocks.Count(), 13);
        QCOMPARE(Shown(doc), Range(3, 8)); // the same blocks stay in view
        QCOMPARE(doc.Blocks.At(doc.Tiles().At(0).BlockIndex).Para->Text, QStringLiteral("B5"));
        QCOMPARE(o.HighlightSlot, 0);
        QCOMPARE(doc.CheckInvariant(), QString());
        // Below the view.
        o = doc.RemoveBlockIndex(12);
        QCOMPARE(Shown(doc), Range(3, 8));
        QCOMPARE(o.HighlightSlot, 7);
        QCOMPARE(doc.CheckInvariant(), QString());
        // Above the view: the column follows its blocks up.
        for (int i = 0; i < 3; ++i)
            o = doc.RemoveBlockIndex(0);
        QCOMPARE(doc.Blocks.Count(), 9);
        QCOMPARE(Shown(doc), Range(0, 8));
        QCOMPARE(doc.Blocks.At(0).Para->Text, QStringLiteral("B5"));
        QCOMPARE(doc.CheckInvariant(), QString());
    }

    void shreddingWithNineScrolledDownScrollsBack()
    {
        TPageDocument doc;
        Load(doc, 9);
        doc.ScrollBarChanged(1);
        QCOMPARE(Shown(doc), Range(1, 8));
        const LayoutOutcome o = doc.MoveBlock(3, Top(8), 10); // slot 3 shows B4
        QVERIFY(o.Shredded);
        QCOMPARE(Names(doc), (QStringList{"B0", "B1", "B2", "B3", "B5", "B6", "B7", "B8"}));
        QCOMPARE(Shown(doc), Range(0, 8));
        QCOMPARE(doc.ScrollBar(), (ScrollBarState{false, 0, 0}));
        QCOMPARE(doc.CurrentBlockIndex, 4); // B5, which took B4's place
        QCOMPARE(o.HighlightSlot, 4);
        QCOMPARE(doc.CheckInvariant(), QString());
    }

    void scrollBarChangeMovesOneBlockWhateverItsSize()
    {
        TPageDocument doc;
        Load(doc, 20);
        doc.ScrollBarChanged(5);
        QCOMPARE(Shown(doc), Range(1, 8));
        QCOMPARE(doc.LastScrollPosition(), 5);
        doc.ScrollBarChanged(5); // no change
        QCOMPARE(Shown(doc), Range(1, 8));
        doc.ScrollBarChanged(3);
        QCOMPARE(Shown(doc), Range(0, 8));
        doc.ScrollBarChanged(0);
        QCOMPARE(Shown(doc), Range(0, 8)); // nothing above block 0
        doc.ScrollBarChanged(99);           // clamped to the maximum
        QCOMPARE(doc.ScrollBar().Position, 12);
        QCOMPARE(Shown(doc), Range(1, 8));
        // A drop puts the thumb back where the column is without scrolling it.
        doc.DropPaletteBlock(bkLine, Top(2));
        QCOMPARE(Shown(doc), Range(1, 8));
        QCOMPARE(doc.ScrollBar().Position, 1);
        QCOMPARE(doc.LastScrollPosition(), 1);
    }

    void scrollingKeepsTheHighlightOnItsBlock()
    {
        TPageDocument doc;
        Load(doc, 10);
        doc.HighLightBlock(3);
        LayoutOutcome o = doc.ScrollDown();
        QCOMPARE(o.HighlightSlot, 2);
        QCOMPARE(doc.CurrentBlockIndex, 3);
        o = doc.ScrollUp();
        QCOMPARE(o.HighlightSlot, 3);
        QCOMPARE(doc.CurrentBlockIndex, 3);
        doc.HighLightBlock(0);
        doc.ScrollDown(); // slot 0 stays; its new block becomes current
        QCOMPARE(doc.CurrentSlot, 0);
        QCOMPARE(doc.CurrentBlockIndex, 1);
        doc.HighLightBlock(7);
        doc.ScrollUp(); // the last slot stays
        QCOMPARE(doc.CurrentSlot, 7);
        QCOMPARE(doc.CurrentBlockIndex, 7);
        // At the ends nothing moves.
        QVERIFY(!doc.ScrollUp().TilesChanged);
        doc.ScrollDown();
        doc.ScrollDown();
        QVERIFY(!doc.ScrollDown().TilesChanged);
        QCOMPARE(Shown(doc), Range(2, 8));
        // Showing another block takes the highlight along.
        doc.HighLightBlock(2);
        doc.ShowBlock(5);
        QCOMPARE(doc.CurrentSlot, doc.Tiles().SlotOfBlock(5));
        doc.ShowBlock(-1);
        QCOMPARE(doc.CurrentSlot, -1);
        QCOMPARE(doc.CheckInvariant(), QString());
        // Without a highlight nothing gets highlighted.
        TPageDocument plain;
        Load(plain, 10);
        QCOMPARE(plain.ScrollDown().HighlightSlot, -1);
        QCOMPARE(plain.CurrentBlockIndex, -1);
    }

    void freeAllBlocksEmptiesEverything()
    {
        TPageDocument doc;
        Load(doc, 11);
        doc.PageTitle = QStringLiteral("Mine");
        doc.ScrollBarChanged(2);
        doc.HighLightBlock(1);
        doc.FreeAllBlocks();
        QCOMPARE(doc.Tiles().Count(), 0);
        QCOMPARE(doc.Blocks.Count(), 0);
        QCOMPARE(doc.ScrollBar(), (ScrollBarState{false, 0, 0}));
        QCOMPARE(doc.LastScrollPosition(), 0);
        QCOMPARE(doc.PageTitle, QStringLiteral("Wobbin Express Version 1.0 Document"));
        QCOMPARE(doc.CurrentBlockIndex, -1);
        QCOMPARE(doc.CheckInvariant(), QString());
        // and works again afterwards
        Load(doc, 2);
        QCOMPARE(Shown(doc), Range(0, 2));
    }

    void keyboardSelectsInsertsAndMovesBlocks()
    {
        TPageDocument doc;
        // No blocks: a new block is the first.
        LayoutOutcome o = doc.InsertAfterCurrent(bkHeading);
        QCOMPARE(Names(doc), QStringList{"new3"});
        QCOMPARE(o.HighlightSlot, 0);
        QCOMPARE(doc.CurrentBlockIndex, 0);
        QVERIFY(o.FirstBlockShown);
        doc.FreeAllBlocks();
        Load(doc, 12);

        // Selecting a block out of view moves the column only as far as needed.
        o = doc.SelectBlock(9);
        QCOMPARE(Shown(doc), (QList<int>{2, 3, 4, 5, 6, 7, 8, 9}));
        QCOMPARE(doc.CurrentSlot, 7);
        QCOMPARE(doc.ScrollBar().Position, 2);
        QVERIFY(o.TilesChanged);
        o = doc.SelectBlock(4);
        QVERIFY(!o.TilesChanged);
        QCOMPARE(o.HighlightSlot, 2);
        QCOMPARE(doc.SelectBlock(0).HighlightSlot, 0);
        QCOMPARE(doc.ScrollBar().Position, 0);
        QCOMPARE(doc.SelectBlock(12).HighlightSlot, -1);
        QCOMPARE(doc.CurrentBlockIndex, 0);

        // A new block goes right after the current one, scrolled into view.
        doc.SelectBlock(7);
        o = doc.InsertAfterCurrent(bkLine);
        QCOMPARE(Names(doc).mid(6, 4), (QStringList{"B6", "B7", "new5", "B8"}));
        QCOMPARE(doc.CurrentBlockIndex, 8);
        QCOMPARE(Shown(doc).last(), 8);
        QCOMPARE(o.HighlightSlot, 7);
        QVERIFY(doc.DocumentChanged);

        // Moved one place at a time, the column following it.
        doc.SelectBlock(0);
        o = doc.MoveBlockBy(0, -1);
        QCOMPARE(o.HighlightSlot, -1);
        QCOMPARE(Names(doc).first(), QStringLiteral("B0"));
        o = doc.MoveBlockBy(0, +1);
        QCOMPARE(Names(doc).mid(0, 2), (QStringList{"B1", "B0"}));
        QCOMPARE(doc.CurrentBlockIndex, 1);
        QCOMPARE(o.Sound, QStringLiteral("wavClick2"));
        for (int i = 1; i < 12; ++i)
            doc.MoveBlockBy(i, +1);
        QCOMPARE(Names(doc).last(), QStringLiteral("B0"));
        QCOMPARE(doc.CurrentBlockIndex, 12);
        QCOMPARE(doc.CurrentSlot, 7);
        QVERIFY(doc.MoveBlockBy(12, +1).HighlightSlot == -1);
        QCOMPARE(doc.Blocks.Count(), 13);
        QVERIFY(doc.CheckInvariant().isEmpty());
    }

    // What the property panels change goes into the record of the block's
    // own kind; a field or an alignment the block has no record for changes
    // nothing, and says so.
    void blockValuesGoIntoTheirRecord()
    {
        TPageDocument doc;
        for (int kind : {bkLink, bkLine, bkHeading})
            doc.Blocks.Append(NewBlock(kind));
        QVERIFY(doc.SetBlockField(0, BlockField::LinkText, QStringLiteral("here")));
        QVERIFY(doc.SetBlockField(2, BlockField::HeadingSize, QStringLiteral("3 (Medium)")));
        QVERIFY(doc.SetBlockField(1, BlockField::LineThickness, QStringLiteral("2 (Thin)")));
        QCOMPARE(doc.Blocks.At(0).Link->LinkText, QStringLiteral("here"));
        QCOMPARE(doc.Blocks.At(0).Link->URL, QStringLiteral("http://"));
        QCOMPARE(doc.Blocks.At(2).Heading->SizeText, QStringLiteral("3 (Medium)"));
        QCOMPARE(doc.Blocks.At(1).Line->ThickText, QStringLiteral("2 (Thin)"));
        QVERIFY(doc.DocumentChanged);
        // The same text again still counts as a change, as a field's handler did.
        doc.DocumentChanged = false;
        QVERIFY(doc.SetBlockField(0, BlockField::LinkText, QStringLiteral("here")));
        QVERIFY(doc.DocumentChanged);

        QVERIFY(doc.SetBlockAlign(2, 3));
        QVERIFY(doc.SetBlockNewLine(2, true));
        QCOMPARE(doc.Blocks.At(2).Heading->Align, 3);
        QCOMPARE(doc.Blocks.At(2).Heading->NewLine, 1);
        QVERIFY(doc.SetBlockAlign(2, 0));
        QVERIFY(doc.SetBlockNewLine(2, false));
        QCOMPARE(doc.Blocks.At(2).Heading->Align, 0);
        QCOMPARE(doc.Blocks.At(2).Heading->NewLine, 0);

        doc.DocumentChanged = false;
        QVERIFY(!doc.SetBlockField(0, BlockField::EmailAddress, QStringLiteral("x@y")));
        QVERIFY(!doc.SetBlockField(3, BlockField::LinkText, QStringLiteral("x")));
        QVERIFY(!doc.SetBlockField(-1, BlockField::LinkText, QStringLiteral("x")));
        QVERIFY(!doc.SetBlockAlign(1, 2));  // a line has no alignment
        QVERIFY(!doc.SetBlockNewLine(1, true));
        QVERIFY(!doc.SetBlockAlign(0, 4));
        doc.Blocks.At(0).Link.reset();     // a block without its record
        QVERIFY(!doc.SetBlockAlign(0, 1));
        QVERIFY(!doc.DocumentChanged);
        QCOMPARE(doc.Blocks.At(2).Heading->Align, 0);
    }

    // The property panels show a block's values the way they write them:
    // every field of the block's own record reads back its own text and the
    // fields of the other kinds are missing; the alignment reads back as set,
    // and a line has none.
    void blockValuesReadBack()
    {
        const std::pair<BlockField, int> owners[] = {
            {BlockField::ParaText, bkPara},        {BlockField::LinkURL, bkLink},
            {BlockField::LinkPre, bkLink},         {BlockField::LinkText, bkLink},
            {BlockField::LinkPost, bkLink},        {BlockField::ImageFile, bkImage},
            {BlockField::ImageHeight, bkImage},    {BlockField::ImageWidth, bkImage},
            {BlockField::ImageAlt, bkImage},       {BlockField::ImageLink, bkImage},
            {BlockField::HeadingText, bkHeading},  {BlockField::HeadingSize, bkHeading},
            {BlockField::EmailAddress, bkEmail},   {BlockField::EmailPre, bkEmail},
            {BlockField::EmailLink, bkEmail},      {BlockField::EmailPost, bkEmail},
            {BlockField::LineWidth, bkLine},       {BlockField::LineThickness, bkLine}};
        for (int kind : {bkPara, bkLink, bkImage, bkHeading, bkEmail, bkLine}) {
            TPageDocument doc;
            const TWebChunk &block = doc.Blocks.Append(NewBlock(kind));
            for (const auto &[field, owner] : owners)
                QCOMPARE(doc.SetBlockField(0, field, QString::number(int(field))), owner == kind);
            for (const auto &[field, owner] : owners) {
                const QString *text = BlockFieldText(block, field);
                QCOMPARE(text != nullptr, owner == kind);
                if (text)
                    QCOMPARE(*text, QString::number(int(field)));
            }
            const bool aligned = kind != bkLine;
            QCOMPARE(doc.SetBlockAlign(0, 2) && doc.SetBlockNewLine(0, true), aligned);
            const BlockAlignment a = BlockAlignmentOf(block);
            QCOMPARE(a.Has, aligned);
            QCOMPARE(a.Align, aligned ? 2 : 0);
            QCOMPARE(a.NewLine, aligned ? 1 : 0);
        }
    }

    void badArgumentsChangeNothing()
    {
        TPageDocument doc;
        Load(doc, 3);
        QVERIFY(!doc.LayoutTiles(0, 5, false));
        QVERIFY(!doc.LayoutTiles(2, 0, false));
        QCOMPARE(doc.MoveBlock(5, Top(1), 199).TilesChanged, false);
        QCOMPARE(doc.RemoveBlock(-1).Shredded, false);
        QCOMPARE(doc.HighLightBlock(3).HighlightSlot, -1);
        const LayoutOutcome none = doc.DropPaletteBlock(-1, Top(1));
        QVERIFY(!none.TilesChanged);
        QCOMPARE(doc.Blocks.Count(), 3);
        QCOMPARE(doc.CheckInvariant(), QString());
    }

    void dragGeometry()
    {
        // Palette: outside the layout zone only the left moves.
        DragStep s = PaletteDragStep(45, 1, 50, 30, false);
        QCOMPARE(s.Top, 45);
        QCOMPARE(s.Left, 51);
        QVERIFY(!s.EnteredLayout);
        s = PaletteDragStep(45, 51, 60, 30, false);
        QVERIFY(s.EnteredLayout);
        QCOMPARE(s.Top, layout::SlotTop(75 / 32));
        QCOMPARE(s.Left, 111);
        // Once entered the left stays at least 97; row 0 starts timUp.
        s = PaletteDragStep(10, 111, -100, -10, true);
        QCOMPARE(s.Left, 97);
        QCOMPARE(s.Top, 1);
        QCOMPARE(s.TimUp, TimerAction::Start);
        QCOMPARE(s.TimDown, TimerAction::Leave);
        // Row 8 scrolls down only right of 194.
        s = PaletteDragStep(249, 195, 10, 40, true);
        QCOMPARE(s.Top, 249);
        QCOMPARE(s.Left, 199);
        QCOMPARE(s.TimDown, TimerAction::Start);
        QCOMPARE(PaletteDragStep(249, 150, 0, 0, true).TimDown, TimerAction::Stop);
        QCOMPARE(PaletteDragStep(100, 150, 0, 0, true).TimUp, TimerAction::Stop);
        // Tiles: left at least 97 except in row 8, which reaches the shredder.
        QCOMPARE(TileDragStep(94, 199, -150, 0).Left, 97);
        DragStep t = TileDragStep(218, 199, -150, 40);
        QCOMPARE(t.Top, 249);
        QCOMPARE(t.Left, 49);
        QCOMPARE(TileDragStep(1, 199, 0, -20).Top, 1);
        QCOMPARE(PaletteReleaseAt(120), PaletteRelease::SlideHome);
        QCOMPARE(PaletteReleaseAt(50), PaletteRelease::SnapHome);
        QCOMPARE(PaletteReleaseAt(152), PaletteRelease::Drop);
        QCOMPARE(PaletteReleaseAt(97), PaletteRelease::SlideHome);
    }

    void randomOperationsKeepTheColumnConsistent()
    {
        QRandomGenerator rng(20261207);
        TPageDocument doc;
        int expected = 0;
        for (int step = 0; step < 20000; ++step) {
            const int op = int(rng.bounded(100));
            LayoutOutcome o;
            QString what;
            const int tiles = doc.Tiles().Count();
            if (op < 30) {
                const int top = int(rng.bounded(266));
                what = QStringLiteral("drop at %1").arg(top);
                o = doc.DropPaletteBlock(int(rng.bounded(6)), top);
                ++expected;
            } else if (op < 45 && tiles > 0) {
                const int slot = int(rng.bounded(tiles));
                const int top = int(rng.bounded(266));
                const int left = int(rng.bounded(1, 200));
                what = QStringLiteral("move %1 to %2,%3").arg(slot).arg(top).arg(left);
                o = doc.MoveBlock(slot, top, left);
                if (o.Shredded)
                    --expected;
            } else if (op < 55 && tiles > 0) {
                const int slot = int(rng.bounded(tiles));
                what = QStringLiteral("remove %1").arg(slot);
                o = doc.RemoveBlock(slot);
                --expected;
            } else if (op < 60 && tiles > 0) {
                const int block = int(rng.bounded(doc.Blocks.Count()));
                const int top = int(rng.bounded(266));
                const int left = int(rng.bounded(1, 200));
                what = QStringLiteral("move block %1 to %2,%3").arg(block).arg(top).arg(left);
                o = doc.MoveBlockIndex(block, top, left);
                if (o.Shredded)
                    --expected;
            } else if (op < 70) {
                what = QStringLiteral("down");
                o = doc.ScrollDown();
            } else if (op < 80) {
                what = QStringLiteral("up");
                o = doc.ScrollUp();
            } else if (op < 92) {
                const int pos = int(rng.bounded(doc.ScrollBar().Maximum + 3)) - 1;
                what = QStringLiteral("bar %1").arg(pos);
                o = doc.ScrollBarChanged(pos);
            } else if (op < 95 && tiles > 0) {
                what = QStringLiteral("highlight");
                o = doc.HighLightBlock(int(rng.bounded(tiles)));
            } else if (op < 97) {
                what = QStringLiteral("show");
                doc.ShowBlock(int(rng.bounded(doc.Blocks.Count() + 2)) - 1);
            } else if (op < 99) {
                what = QStringLiteral("load");
                doc.Blocks.Append(NewBlock(int(rng.bounded(6))));
                o = doc.LoadChunk(doc.Blocks.Count() - 1);
                // Loading appends after a view that may not show the end.
                ++expected;
            } else {
                what = QStringLiteral("free");
                doc.FreeAllBlocks();
                expected = 0;
            }
            const QString broken = doc.CheckInvariant();
            if (!broken.isEmpty())
                QFAIL(qPrintable(QStringLiteral("step %1 (%2): %3").arg(step).arg(what, broken)));
            QCOMPARE(doc.Blocks.Count(), expected);
            if (o.HighlightSlot >= 0) {
                QVERIFY(o.HighlightSlot < doc.Tiles().Count());
                QCOMPARE(o.ShowBlockIndex, doc.Tiles().At(o.HighlightSlot).BlockIndex);
            }
            QCOMPARE(o.ShowBlank, o.Shredded && doc.Tiles().Count() == 0);
            if (doc.Blocks.Count() > 40 && rng.bounded(2))
                doc.FreeAllBlocks(), expected = 0;
        }
    }
};

QTEST_GUILESS_MAIN(TestPageModel)
#include "test_page_model.moc"
