#pragma once
// The page document shared by the windows: the block list, the title, the
// changed flag, the current block and the slot model of the tile column.
//
// The tile column shows a window of at most eight consecutive blocks; slot 0
// is the top row (Top = slot * 31 + 1, Left 199). The window's tile widgets
// only mirror Tiles: after every operation below the window re-reads the slots
// (BlockIndex of every slot), the scroll bar state and the outcome, and does
// what the outcome says (highlight, show a panel, sound, shredder, blank panel).

#include "page/BlockList.h"

#include <QString>
#include <vector>

namespace wobbin {

// Layout constants of the tile column and the palette.
namespace layout {
constexpr int kMaxTiles = 8;          // visible slots 0..7
constexpr int kTileWidth = 95;
constexpr int kTileHeight = 22;
constexpr int kRowPitch = 31;         // slot s top = s * 31 + 1
constexpr int kFirstTop = 1;
constexpr int kTileLeft = 199;        // left of placed tiles
constexpr int kPaletteHomeLeft = 1;
constexpr int kLayoutEdge = 97;       // entering the layout zone / shredder zone edge
constexpr int kDropThreshold = 152;   // released palette image is dropped at left >= this
constexpr int kDragTopMax = 265;
constexpr int kDragLeftMin = 1;
constexpr int kDragLeftMax = 199;
constexpr int kShredderRow = 8;       // row below the last slot (Top 249)
constexpr int kAutoScrollDownLeft = 194; // row 8 scrolls down only right of this
constexpr int kSlideStartLeft = -99;
constexpr int kSlideStep = 10;
inline constexpr int SlotTop(int slot) { return slot * kRowPitch + kFirstTop; }
// Home tops of the six palette images, by block kind; each image carries its
// home top as its Tag.
constexpr int kPaletteHomeTop[6] = {1, 23, 45, 67, 89, 111};
} // namespace layout

// Help context of a palette image from its Tag (its home top): 12 for the
// paragraph image to 17 for the line; 0 for any other tag.
int PaletteHelpContext(int tag);

// One visible tile: the block it shows and its row.
struct TileSlot {
    int BlockIndex = 0;
    int SlotIndex = 0;
};

// The slots of the column, slot 0 first, at most eight.
class TileList
{
public:
    int Count() const { return int(m_slots.size()); }
    bool IsEmpty() const { return m_slots.empty(); }
    const TileSlot &At(int slot) const { return m_slots.at(std::size_t(slot)); }
    const TileSlot &operator[](int slot) const { return At(slot); }
    // Block shown in slot 0; -1 with no tiles.
    int FirstBlock() const { return m_slots.empty() ? -1 : m_slots.front().BlockIndex; }
    int LastBlock() const { return m_slots.empty() ? -1 : m_slots.back().BlockIndex; }
    // Slot showing the block, -1 when it is not visible.
    int SlotOfBlock(int blockIndex) const;
    auto begin() const { return m_slots.cbegin(); }
    auto end() const { return m_slots.cend(); }

private:
    friend class TPageDocument;
    std::vector<TileSlot> m_slots;
};

// State of ScrollBar1: visible only with more than eight blocks; maximum =
// block count - 8; Position is the index of the first visible block (it can
// lag behind after a change of several steps, see ScrollBarChanged).
struct ScrollBarState {
    bool Visible = false;
    int Maximum = 0;
    int Position = 0;
    bool operator==(const ScrollBarState &) const = default;
};

// What the window must do after a model operation.
struct LayoutOutcome {
    bool TilesChanged = false;   // re-read every tile's block and picture
    int HighlightSlot = -1;      // HighLightBlock(slot) (it shows the slot's block); -1 none
    int ShowBlockIndex = -1;     // block whose property panel to show; -1 none
    bool ShowBlank = false;      // no tile left: pnlBlank to the front, no panel
    QString Sound;               // "wavClick2" after a move, "wavShred" after a shred, else empty
    bool AnimateShredder = false;
    bool FirstBlockShown = false; // a block was added: disable timInit, show lblBuildRight
    bool Shredded = false;       // the block was removed instead of moved
};

// The texts of a block that the property panels show and the user types into.
enum class BlockField {
    ParaText,
    LinkURL, LinkPre, LinkText, LinkPost,
    ImageFile, ImageHeight, ImageWidth, ImageAlt, ImageLink,
    HeadingText, HeadingSize,
    EmailAddress, EmailPre, EmailLink, EmailPost,
    LineWidth, LineThickness,
};
constexpr int kBlockFieldCount = int(BlockField::LineThickness) + 1;

// The text of a block's field as the block holds it; nullptr when the block has
// no record holding that field.
const QString *BlockFieldText(const TWebChunk &block, BlockField field);

// The alignment (0 none, 1 left, 2 center, 3 right) and new-line byte of the
// record of the block's own kind; Has is false for a block without them (a line).
struct BlockAlignment {
    bool Has = false;
    int Align = 0;
    int NewLine = 0;
};
BlockAlignment BlockAlignmentOf(const TWebChunk &block);

class TPageDocument
{
public:
    TPageDocument();

    BlockList Blocks;
    QString PageTitle;              // DefaultPageTitle() for a new page
    bool DocumentChanged = false;
    int CurrentBlockIndex = -1;     // block whose panel is shown; -1 none
    int CurrentSlot = -1;           // highlighted slot; -1 none

    // While set, the property panels' change handlers ignore their events
    // (New and loading set it) and the panels leave the keyboard focus alone.
    bool SuppressFieldEvents = false;
    bool LoadingDocument = false;

    const TileList &Tiles() const { return m_tiles; }
    const ScrollBarState &ScrollBar() const { return m_scroll; }
    int LastScrollPosition() const { return m_lastScrollPosition; }

    // Binds every tile so that `slot` shows `blockIndex` (first = blockIndex - slot);
    // with addTile a slot is appended first. Refuses (returns false, changes
    // nothing) when the result would show an invalid block or more than 8 tiles.
    bool LayoutTiles(int slot, int blockIndex, bool addTile);

    // After the page-file reader appended block `index`: a tile for the first
    // eight blocks, and the scroll bar.
    LayoutOutcome LoadChunk(int index);

    // A palette image of `kind` released at `imageTop` over the column.
    // kind -1 (an image without a name) only updates the scroll bar.
    LayoutOutcome DropPaletteBlock(int kind, int imageTop);

    // The tile of `slot` dropped at (top, left): moves its block to that row,
    // or removes it in row 8 left of 97 (the shredder).
    LayoutOutcome MoveBlock(int slot, int top, int left);

    // The same for a dragged block given by its index: while a tile is dragged
    // the auto-scroll may take its block out of view; the block that was
    // dragged is the one moved or shredded, wherever the column stands.
    LayoutOutcome MoveBlockIndex(int blockIndex, int top, int left);

    // Removes the block of the tile in `slot` and re-lays the column.
    LayoutOutcome RemoveBlock(int slot);
    // Removes a block by index, visible or not; the column keeps showing the
    // blocks around where it stood.
    LayoutOutcome RemoveBlockIndex(int blockIndex);

    // One block down / up; the highlight stays on its block where it can.
    LayoutOutcome ScrollDown();
    LayoutOutcome ScrollUp();

    // ScrollBar1's change handler: a position above LastScrollPosition scrolls
    // one block down, below it one block up, whatever the size of the change.
    LayoutOutcome ScrollBarChanged(int position);

    // Highlights the slot and makes its block current.
    LayoutOutcome HighLightBlock(int slot);
    // Makes the block current (its panel is shown); a highlight on another
    // block moves to this one's slot (none when it is not visible).
    void ShowBlock(int index);

    // ---- the values of a block, as the property panels change them
    // The user changed a field: the text goes into the block as it is and the
    // page counts as changed (also when the block held that text already: the
    // field's change handler ran). False, and nothing changed, when there is
    // no such block or it has no record holding that field.
    bool SetBlockField(int blockIndex, BlockField field, const QString &text);
    // The block's alignment (0 none, 1 left, 2 center, 3 right) and whether a
    // new line follows it, the same way; false for a block without them (a line).
    bool SetBlockAlign(int blockIndex, int align);
    bool SetBlockNewLine(int blockIndex, bool on);

    // Empties everything: no tiles, no blocks, hidden scroll bar at 0, default title.
    void FreeAllBlocks();

    // ---- the column by keyboard
    // Makes the block current and highlights it, the column moved as little
    // as needed to show it (arrows, Page Up/Down, Home, End on a tile).
    LayoutOutcome SelectBlock(int index);
    // A new block of `kind` after the current block (at the end when there
    // is none), current and shown: Enter on a palette image.
    LayoutOutcome InsertAfterCurrent(int kind);
    // The block moved one place up (delta -1) or down (+1), staying current:
    // Alt+Up and Alt+Down on a tile. Nothing at either end.
    LayoutOutcome MoveBlockBy(int blockIndex, int delta);

    // Puts back blocks as they once stood (undo and redo): the column shows
    // them from firstVisible on, moved as little as needed to show the
    // current block, which is highlighted.
    void RestoreBlocks(std::vector<std::unique_ptr<TWebChunk>> blocks, int firstVisible, int currentBlock);
    // The block in the top row; 0 without tiles.
    int FirstVisibleBlock() const { return m_tiles.IsEmpty() ? 0 : m_tiles.FirstBlock(); }

    // Page text of the blocks (see PageHtml.h).
    QString BuildPageHTML(bool bodyOnly, bool logoOn);

    // Checks the column invariant: consecutive valid blocks from slot 0, at most
    // eight, as many as there are blocks up to eight, highlight valid. Returns
    // an explanation, empty when everything holds.
    QString CheckInvariant() const;

private:
    void syncScrollBar();
    // Lays out the column from `first` on (clamped), moved to show `index`.
    void showInColumn(int first, int index);
    LayoutOutcome highlightOutcome(int slot);

    TileList m_tiles;
    ScrollBarState m_scroll;
    int m_lastScrollPosition = 0;
};

// Geometry of a drag step of a palette image or a tile, shared by the window's
// mouse handlers. In: the image's current top/left and the pointer movement.
enum class TimerAction { Leave, Start, Stop };
struct DragStep {
    int Top = 0;
    int Left = 0;
    bool EnteredLayout = false; // palette only: the entered-layout-zone flag after the step
    TimerAction TimUp = TimerAction::Leave;
    TimerAction TimDown = TimerAction::Leave;
};
// Palette image: row := top div 32; while outside the layout zone only the left moves.
DragStep PaletteDragStep(int top, int left, int dx, int dy, bool enteredLayout);
// Tile: row := (top - 1) div 31; left at least 1 in row 8, at least 97 elsewhere.
DragStep TileDragStep(int top, int left, int dx, int dy);

// What a released palette image does.
enum class PaletteRelease { Drop, SnapHome, SlideHome };
PaletteRelease PaletteReleaseAt(int left);

} // namespace wobbin
