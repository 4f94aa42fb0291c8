#include "page/PageDocument.h"
#include "page/PageHtml.h"

#include <algorithm>

namespace wobbin {

int PaletteHelpContext(int tag)
{
    for (int kind = 0; kind < 6; ++kind)
        if (layout::kPaletteHomeTop[kind] == tag)
            return 12 + kind;
    return 0;
}

using namespace layout;

namespace {
// Row of a top coordinate, rounding towards zero like the column arithmetic
// always has (a top of 0 is row 0).
int RowOfTop(int top)
{
    const int row = (top - kFirstTop) / kRowPitch;
    return row < 0 ? 0 : row;
}
} // namespace

int TileList::SlotOfBlock(int blockIndex) const
{
    for (const TileSlot &t : m_slots) {
        if (t.BlockIndex == blockIndex)
            return t.SlotIndex;
    }
    return -1;
}

TPageDocument::TPageDocument() : PageTitle(DefaultPageTitle()) {}

bool TPageDocument::LayoutTiles(int slot, int blockIndex, bool addTile)
{
    const int count = m_tiles.Count() + (addTile ? 1 : 0);
    if (count > kMaxTiles)
        return false;
    const int first = blockIndex - slot;
    if (count > 0 && (first < 0 || first + count - 1 >= Blocks.Count()))
        return false;
    m_tiles.m_slots.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        m_tiles.m_slots[std::size_t(i)] = TileSlot{first + i, i};
    if (CurrentSlot >= count)
        CurrentSlot = -1;
    return true;
}

void TPageDocument::syncScrollBar()
{
    const int over = Blocks.Count() - kMaxTiles;
    m_scroll.Visible = over > 0;
    m_scroll.Maximum = std::max(0, over);
    if (m_tiles.Count() == kMaxTiles) {
        // max - (count - (b7 + 1)): the index of the first visible block.
        const int b7 = m_tiles.At(kMaxTiles - 1).BlockIndex;
        m_scroll.Position = m_scroll.Maximum - (Blocks.Count() - (b7 + 1));
    }
    m_scroll.Position = std::clamp(m_scroll.Position, 0, m_scroll.Maximum);
    // The bar now shows where the column is; that is not a request to scroll.
    m_lastScrollPosition = m_scroll.Position;
}

LayoutOutcome TPageDocument::highlightOutcome(int slot)
{
    LayoutOutcome o;
    if (slot < 0 || slot >= m_tiles.Count())
        return o;
    CurrentSlot = slot;
    CurrentBlockIndex = m_tiles.At(slot).BlockIndex;
    o.HighlightSlot = slot;
    o.ShowBlockIndex = CurrentBlockIndex;
    return o;
}

LayoutOutcome TPageDocument::HighLightBlock(int slot)
{
    return highlightOutcome(slot);
}

void TPageDocument::ShowBlock(int index)
{
    CurrentBlockIndex = Blocks.IsValidIndex(index) ? index : -1;
    // The highlight belongs to the current block; it follows it when visible.
    if (CurrentSlot >= 0 && (CurrentSlot >= m_tiles.Count() || m_tiles.At(CurrentSlot).BlockIndex != CurrentBlockIndex))
        CurrentSlot = CurrentBlockIndex >= 0 ? m_tiles.SlotOfBlock(CurrentBlockIndex) : -1;
}

LayoutOutcome TPageDocument::LoadChunk(int index)
{
    LayoutOutcome o;
    if (!Blocks.IsValidIndex(index) || !IsBlockKind(Blocks.At(index).Kind))
        return o;
    if (index < kMaxTiles && m_tiles.Count() == index && m_tiles.FirstBlock() <= 0) {
        m_tiles.m_slots.push_back(TileSlot{index, index});
        o.TilesChanged = true;
        o.FirstBlockShown = true;
    }
    syncScrollBar();
    return o;
}

LayoutOutcome TPageDocument::DropPaletteBlock(int kind, int imageTop)
{
    LayoutOutcome o;
    if (IsBlockKind(kind)) {
        int slot = RowOfTop(imageTop);
        int index = 0;
        if (slot < m_tiles.Count()) {
            index = m_tiles.At(slot).BlockIndex;
            Blocks.Insert(index, NewBlock(kind));
        } else {
            slot = std::min(m_tiles.Count(), kMaxTiles - 1);
            index = Blocks.Count();
            Blocks.Append(NewBlock(kind));
        }
        if (m_tiles.Count() == kMaxTiles) {
            LayoutTiles(slot, index, false);
            if (slot == kMaxTiles - 1) {
                // The bar advances one step: the new block moves up to slot 6
                // and the block after it, now in slot 7, becomes current.
                if (m_tiles.LastBlock() < Blocks.Count() - 1)
                    LayoutTiles(0, m_tiles.FirstBlock() + 1, false);
                index = m_tiles.At(kMaxTiles - 1).BlockIndex;
            }
        } else {
            LayoutTiles(slot, index, true);
        }
        DocumentChanged = true;
        ShowBlock(index);
        o = highlightOutcome(slot);
        o.TilesChanged = true;
        o.FirstBlockShown = true;
    }
    syncScrollBar();
    return o;
}

LayoutOutcome TPageDocument::MoveBlock(int slot, int top, int left)
{
    if (slot < 0 || slot >= m_tiles.Count())
        return {};
    return MoveBlockIndex(m_tiles.At(slot).BlockIndex, top, left);
}

LayoutOutcome TPageDocument::MoveBlockIndex(int blockIndex, int top, int left)
{
    if (!Blocks.IsValidIndex(blockIndex) || m_tiles.IsEmpty())
        return {};
    int target = RowOfTop(top);
    if (target >= kShredderRow && left < kLayoutEdge)
        return RemoveBlockIndex(blockIndex);
    LayoutOutcome o;
    o.Sound = QStringLiteral("wavClick2");
    target = std::min(target, m_tiles.Count() - 1);
    const int to = m_tiles.At(target).BlockIndex;
    if (to != blockIndex) {
        Blocks.Move(blockIndex, to);
        LayoutTiles(target, to, false);
        const QString sound = o.Sound;
        o = highlightOutcome(target);
        o.Sound = sound;
        o.TilesChanged = true;
        DocumentChanged = true;
    }
    return o;
}

LayoutOutcome TPageDocument::RemoveBlockIndex(int blockIndex)
{
    if (!Blocks.IsValidIndex(blockIndex))
        return {};
    const int visibleSlot = m_tiles.SlotOfBlock(blockIndex);
    if (visibleSlot >= 0)
        return RemoveBlock(visibleSlot);
    // Out of view: the column keeps its blocks (their indices shift when the
    // removed one stood above them).
    int first = m_tiles.FirstBlock();
    if (blockIndex < first)
        --first;
    Blocks.Take(blockIndex);
    CurrentBlockIndex = -1;
    CurrentSlot = -1;
    DocumentChanged = true;
    const int n = std::min(Blocks.Count(), kMaxTiles);
    first = std::clamp(first, 0, Blocks.Count() - n);
    m_tiles.m_slots.clear();
    for (int i = 0; i < n; ++i)
        m_tiles.m_slots.push_back(TileSlot{first + i, i});
    syncScrollBar();
    LayoutOutcome o;
    if (!m_tiles.IsEmpty()) {
        const int keep = std::min(blockIndex, Blocks.Count() - 1);
        int slot = m_tiles.SlotOfBlock(keep);
        if (slot < 0)
            slot = keep < m_tiles.FirstBlock() ? 0 : m_tiles.Count() - 1;
        o = highlightOutcome(slot);
    } else {
        o.ShowBlank = true;
    }
    o.TilesChanged = true;
    o.Shredded = true;
    o.AnimateShredder = true;
    o.Sound = QStringLiteral("wavShred");
    return o;
}

LayoutOutcome TPageDocument::RemoveBlock(int slot)
{
    if (slot < 0 || slot >= m_tiles.Count())
        return {};
    const int n = m_tiles.Count();
    const int s = slot;
    const int b = m_tiles.At(s).BlockIndex;
    m_tiles.m_slots.erase(m_tiles.m_slots.begin() + s);
    Blocks.Take(b);
    CurrentBlockIndex = -1;
    CurrentSlot = -1;
    DocumentChanged = true;

    if (n == kMaxTiles && Blocks.Count() - 1 >= b + 7 - s) {
        // The view keeps its first block and gains a tile at the bottom.
        LayoutTiles(s, b, true);
    } else if (n == kMaxTiles && b - s > 0) {
        // Nothing left to fill the bottom row: the bar goes one step up,
        // which scrolls the column up and brings back the eighth tile.
        LayoutTiles(s, b, false);
        LayoutTiles(0, m_tiles.FirstBlock() - 1, true);
    } else if (!Blocks.IsEmpty()) {
        LayoutTiles(m_tiles.Count() - 1, Blocks.Count() - 1, false);
    }
    syncScrollBar();

    LayoutOutcome o;
    if (!m_tiles.IsEmpty()) {
        // The block that took the removed one's place, or the new last block.
        const int keep = std::min(b, Blocks.Count() - 1);
        o = highlightOutcome(m_tiles.SlotOfBlock(keep));
    } else {
        o.ShowBlank = true;
    }
    o.TilesChanged = true;
    o.Shredded = true;
    o.AnimateShredder = true;
    o.Sound = QStringLiteral("wavShred");
    return o;
}

LayoutOutcome TPageDocument::ScrollDown()
{
    LayoutOutcome o;
    if (m_tiles.IsEmpty() || m_tiles.LastBlock() >= Blocks.Count() - 1)
        return o;
    const int first = m_tiles.FirstBlock() + 1;
    if (!(m_tiles.Count() < kMaxTiles && LayoutTiles(0, first, true)))
        LayoutTiles(0, first, false);
    o.TilesChanged = true;
    if (CurrentSlot >= 0 && CurrentBlockIndex >= 0) {
        o = highlightOutcome(std::max(0, CurrentSlot - 1));
        o.TilesChanged = true;
    }
    return o;
}

LayoutOutcome TPageDocument::ScrollUp()
{
    LayoutOutcome o;
    if (m_tiles.IsEmpty() || m_tiles.FirstBlock() <= 0)
        return o;
    const int first = m_tiles.FirstBlock() - 1;
    if (!(m_tiles.Count() < kMaxTiles && LayoutTiles(0, first, true)))
        LayoutTiles(0, first, false);
    o.TilesChanged = true;
    if (CurrentSlot >= 0 && CurrentBlockIndex >= 0) {
        const int slot = CurrentSlot < m_tiles.Count() - 1 ? CurrentSlot + 1 : CurrentSlot;
        o = highlightOutcome(slot);
        o.TilesChanged = true;
    }
    return o;
}

LayoutOutcome TPageDocument::ScrollBarChanged(int position)
{
    m_scroll.Position = std::clamp(position, 0, m_scroll.Maximum);
    LayoutOutcome o;
    if (m_scroll.Position > m_lastScrollPosition)
        o = ScrollDown();
    else if (m_scroll.Position < m_lastScrollPosition)
        o = ScrollUp();
    m_lastScrollPosition = m_scroll.Position;
    return o;
}

namespace {

QString *FieldOf(const TWebChunk &b, BlockField field)
{
    switch (field) {
    case BlockField::ParaText: return b.Para ? &b.Para->Text : nullptr;
    case BlockField::LinkURL: return b.Link ? &b.Link->URL : nullptr;
    case BlockField::LinkPre: return b.Link ? &b.Link->PreText : nullptr;
    case BlockField::LinkText: return b.Link ? &b.Link->LinkText : nullptr;
    case BlockField::LinkPost: return b.Link ? &b.Link->PostText : nullptr;
    case BlockField::ImageFile: return b.Image ? &b.Image->FileName : nullptr;
    case BlockField::ImageHeight: return b.Image ? &b.Image->ImgHeight : nullptr;
    case BlockField::ImageWidth: return b.Image ? &b.Image->ImgWidth : nullptr;
    case BlockField::ImageAlt: return b.Image ? &b.Image->AltText : nullptr;
    case BlockField::ImageLink: return b.Image ? &b.Image->LinkURL : nullptr;
    case BlockField::HeadingText: return b.Heading ? &b.Heading->Text : nullptr;
    case BlockField::HeadingSize: return b.Heading ? &b.Heading->SizeText : nullptr;
    case BlockField::EmailAddress: return b.Email ? &b.Email->Address : nullptr;
    case BlockField::EmailPre: return b.Email ? &b.Email->PreText : nullptr;
    case BlockField::EmailLink: return b.Email ? &b.Email->LinkText : nullptr;
    case BlockField::EmailPost: return b.Email ? &b.Email->PostText : nullptr;
    case BlockField::LineWidth: return b.Line ? &b.Line->LineWidth : nullptr;
    case BlockField::LineThickness: return b.Line ? &b.Line->ThickText : nullptr;
    }
    return nullptr;
}

// The alignment and new-line bytes of the record of the block's own kind.
struct AlignBytes {
    std::uint8_t *Align = nullptr;
    std::uint8_t *NewLine = nullptr;
};

template <class Record> AlignBytes BytesOf(Record *r)
{
    return r ? AlignBytes{&r->Align, &r->NewLine} : AlignBytes{};
}

AlignBytes AlignOf(const TWebChunk &b)
{
    switch (b.Kind) {
    case bkPara: return BytesOf(b.Para.get());
    case bkLink: return BytesOf(b.Link.get());
    case bkImage: return BytesOf(b.Image.get());
    case bkHeading: return BytesOf(b.Heading.get());
    case bkEmail: return BytesOf(b.Email.get());
    default: return {};
    }
}

} // namespace

const QString *BlockFieldText(const TWebChunk &block, BlockField field)
{
    return FieldOf(block, field);
}

BlockAlignment BlockAlignmentOf(const TWebChunk &block)
{
    const AlignBytes bytes = AlignOf(block);
    if (!bytes.Align || !bytes.NewLine)
        return {};
    return {true, *bytes.Align, *bytes.NewLine};
}

bool TPageDocument::SetBlockField(int blockIndex, BlockField field, const QString &text)
{
    if (!Blocks.IsValidIndex(blockIndex))
        return false;
    QString *f = FieldOf(Blocks.At(blockIndex), field);
    if (!f)
        return false;
    *f = text;
    DocumentChanged = true;
    return true;
}

bool TPageDocument::SetBlockAlign(int blockIndex, int align)
{
    if (!Blocks.IsValidIndex(blockIndex) || align < 0 || align > 3)
        return false;
    std::uint8_t *f = AlignOf(Blocks.At(blockIndex)).Align;
    if (!f)
        return false;
    *f = std::uint8_t(align);
    DocumentChanged = true;
    return true;
}

bool TPageDocument::SetBlockNewLine(int blockIndex, bool on)
{
    if (!Blocks.IsValidIndex(blockIndex))
        return false;
    std::uint8_t *f = AlignOf(Blocks.At(blockIndex)).NewLine;
    if (!f)
        return false;
    *f = on ? 1 : 0;
    DocumentChanged = true;
    return true;
}

void TPageDocument::FreeAllBlocks()
{
    m_tiles.m_slots.clear();
    Blocks.Clear();
    m_scroll = ScrollBarState{};
    m_lastScrollPosition = 0;
    CurrentBlockIndex = -1;
    CurrentSlot = -1;
    PageTitle = DefaultPageTitle();
}

void TPageDocument::showInColumn(int firstVisible, int index)
{
    const int n = Blocks.Count();
    const int count = std::min(n, kMaxTiles);
    int first = std::clamp(firstVisible, 0, std::max(0, n - kMaxTiles));
    if (Blocks.IsValidIndex(index)) {
        if (index < first)
            first = index;
        else if (index >= first + count)
            first = index - count + 1;
    }
    m_tiles.m_slots.clear();
    for (int i = 0; i < count; ++i)
        m_tiles.m_slots.push_back(TileSlot{first + i, i});
    m_scroll.Position = first;
    syncScrollBar();
}

LayoutOutcome TPageDocument::SelectBlock(int index)
{
    if (!Blocks.IsValidIndex(index))
        return {};
    const bool moved = m_tiles.SlotOfBlock(index) < 0;
    showInColumn(FirstVisibleBlock(), index);
    LayoutOutcome o = highlightOutcome(m_tiles.SlotOfBlock(index));
    o.TilesChanged = moved;
    return o;
}

LayoutOutcome TPageDocument::InsertAfterCurrent(int kind)
{
    if (!IsBlockKind(kind))
        return {};
    const int index = Blocks.IsValidIndex(CurrentBlockIndex) ? CurrentBlockIndex + 1 : Blocks.Count();
    Blocks.Insert(index, NewBlock(kind));
    DocumentChanged = true;
    showInColumn(FirstVisibleBlock(), index);
    CurrentSlot = -1;
    LayoutOutcome o = highlightOutcome(m_tiles.SlotOfBlock(index));
    o.TilesChanged = true;
    o.FirstBlockShown = true;
    return o;
}

LayoutOutcome TPageDocument::MoveBlockBy(int blockIndex, int delta)
{
    const int to = blockIndex + delta;
    if (!Blocks.IsValidIndex(blockIndex) || !Blocks.IsValidIndex(to) || delta == 0)
        return {};
    Blocks.Insert(to, Blocks.Take(blockIndex));
    DocumentChanged = true;
    showInColumn(FirstVisibleBlock(), to);
    CurrentSlot = -1;
    LayoutOutcome o = highlightOutcome(m_tiles.SlotOfBlock(to));
    o.TilesChanged = true;
    o.Sound = QStringLiteral("wavClick2");
    return o;
}

void TPageDocument::RestoreBlocks(std::vector<std::unique_ptr<TWebChunk>> blocks, int firstVisible,
                                  int currentBlock)
{
    Blocks.Clear();
    for (auto &b : blocks)
        Blocks.Append(std::move(b));
    showInColumn(firstVisible, currentBlock);
    CurrentBlockIndex = Blocks.IsValidIndex(currentBlock) ? currentBlock : -1;
    CurrentSlot = CurrentBlockIndex >= 0 ? m_tiles.SlotOfBlock(CurrentBlockIndex) : -1;
}

QString TPageDocument::BuildPageHTML(bool bodyOnly, bool logoOn)
{
    return wobbin::BuildPageHTML(Blocks, PageTitle, bodyOnly, logoOn);
}

QString TPageDocument::CheckInvariant() const
{
    const int count = Blocks.Count();
    const int tiles = m_tiles.Count();
    if (tiles > kMaxTiles)
        return QStringLiteral("more than eight tiles");
    if (tiles != std::min(count, kMaxTiles))
        return QStringLiteral("%1 tiles for %2 blocks").arg(tiles).arg(count);
    const int first = m_tiles.FirstBlock();
    for (int i = 0; i < tiles; ++i) {
        const TileSlot &t = m_tiles.At(i);
        if (t.SlotIndex != i)
            return QStringLiteral("slot %1 has SlotIndex %2").arg(i).arg(t.SlotIndex);
        if (t.BlockIndex != first + i)
            return QStringLiteral("slot %1 shows block %2, not %3").arg(i).arg(t.BlockIndex).arg(first + i);
        if (t.BlockIndex < 0 || t.BlockIndex >= count)
            return QStringLiteral("slot %1 shows missing block %2").arg(i).arg(t.BlockIndex);
    }
    if (CurrentSlot < -1 || CurrentSlot >= tiles)
        return QStringLiteral("highlight on slot %1 of %2").arg(CurrentSlot).arg(tiles);
    if (CurrentSlot >= 0 && CurrentBlockIndex != m_tiles.At(CurrentSlot).BlockIndex)
        return QStringLiteral("highlighted slot %1 shows block %2 but block %3 is current")
            .arg(CurrentSlot).arg(m_tiles.At(CurrentSlot).BlockIndex).arg(CurrentBlockIndex);
    if (CurrentBlockIndex < -1 || CurrentBlockIndex >= count)
        return QStringLiteral("current block %1 of %2").arg(CurrentBlockIndex).arg(count);
    if (m_scroll.Visible != (count > kMaxTiles) || m_scroll.Maximum != std::max(0, count - kMaxTiles))
        return QStringLiteral("scroll bar visible %1 max %2 for %3 blocks")
            .arg(m_scroll.Visible).arg(m_scroll.Maximum).arg(count);
    if (m_scroll.Position < 0 || m_scroll.Position > m_scroll.Maximum)
        return QStringLiteral("scroll position %1 outside 0..%2").arg(m_scroll.Position).arg(m_scroll.Maximum);
    return QString();
}

// Auto-scroll while dragging: the top row scrolls up, the row below the column
// scrolls down when the image is right of the shredder, any other row stops both.
void SetAutoScrollTimers(DragStep &st, int row, int left)
{
    if (row == 0) {
        st.TimUp = TimerAction::Start;
    } else if (row == kShredderRow) {
        st.TimDown = left > kAutoScrollDownLeft ? TimerAction::Start : TimerAction::Stop;
    } else {
        st.TimUp = TimerAction::Stop;
        st.TimDown = TimerAction::Stop;
    }
}

DragStep PaletteDragStep(int top, int left, int dx, int dy, bool enteredLayout)
{
    DragStep st;
    const int newTop = std::clamp(top + dy, 0, kDragTopMax);
    int newLeft = left + dx;
    if (newLeft > kLayoutEdge)
        enteredLayout = true;
    st.Top = top;
    if (enteredLayout) {
        newLeft = std::max(newLeft, kLayoutEdge);
        const int row = std::max(0, newTop / (kRowPitch + kFirstTop));
        SetAutoScrollTimers(st, row, left);
        st.Top = SlotTop(row);
    }
    st.Left = std::clamp(newLeft, kDragLeftMin, kDragLeftMax);
    st.EnteredLayout = enteredLayout;
    return st;
}

DragStep TileDragStep(int top, int left, int dx, int dy)
{
    DragStep st;
    const int newTop = std::clamp(top + dy, 0, kDragTopMax);
    const int row = RowOfTop(newTop);
    SetAutoScrollTimers(st, row, left);
    st.Top = SlotTop(row);
    const int minLeft = row == kShredderRow ? kDragLeftMin : kLayoutEdge;
    st.Left = std::clamp(left + dx, minLeft, kDragLeftMax);
    st.EnteredLayout = true;
    return st;
}

PaletteRelease PaletteReleaseAt(int left)
{
    if (left >= kDropThreshold)
        return PaletteRelease::Drop;
    if (left < kLayoutEdge)
        return PaletteRelease::SnapHome;
    return PaletteRelease::SlideHome;
}

} // namespace wobbin
