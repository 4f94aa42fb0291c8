#pragma once
// The block list: the whole document model, blocks in document order (the
// order of the generated HTML and of the page file).

#include "page/WebBlock.h"

#include <QString>
#include <memory>
#include <vector>

namespace wobbin {

// Kind of the palette image with exactly that name ("imgBrPara" 0 ..
// "imgBrLine" 5, case-sensitive); -1 for any other name.
int KindFromPaletteName(const QString &name);
// Palette image name of a kind; empty for a kind outside 0..5.

// "Left", "Center", "Right" for 1, 2, 3; empty text for every other value.
QString AlignWord(int value);

// A new block of that kind with the kind record's new-block values and an
// empty HTML fragment. A kind outside 0..5 gets no kind record.
std::unique_ptr<TWebChunk> NewBlock(int kind);

// Deep copy of a block (kind record included).
std::unique_ptr<TWebChunk> CopyBlock(const TWebChunk &block);

// Title of a new page.
QString DefaultPageTitle(); // "Wobbin Express Version 1.0 Document"

// Owns its blocks. Indices are document positions 0..Count()-1.
class BlockList
{
public:
    int Count() const { return int(m_blocks.size()); }
    bool IsEmpty() const { return m_blocks.empty(); }
    bool IsValidIndex(int index) const { return index >= 0 && index < Count(); }

    TWebChunk &At(int index) { return *m_blocks.at(std::size_t(index)); }
    const TWebChunk &At(int index) const { return *m_blocks.at(std::size_t(index)); }
    TWebChunk &operator[](int index) { return At(index); }
    const TWebChunk &operator[](int index) const { return At(index); }

    // Inserts before the block at index (index == Count() appends). Returns the block.
    TWebChunk &Insert(int index, std::unique_ptr<TWebChunk> block);
    TWebChunk &Append(std::unique_ptr<TWebChunk> block);
    // Takes the block out of the list and hands it to the caller.
    std::unique_ptr<TWebChunk> Take(int index);
    // Removes the block at `from` and inserts it at `to` (indices of the list
    // before the move, as the tile drop works).
    void Move(int from, int to);
    // Destroys every block with its kind record.
    void Clear() { m_blocks.clear(); }

    // Iteration in document order.
    auto begin() { return m_blocks.begin(); }
    auto end() { return m_blocks.end(); }
    auto begin() const { return m_blocks.cbegin(); }
    auto end() const { return m_blocks.cend(); }

private:
    std::vector<std::unique_ptr<TWebChunk>> m_blocks;
};

} // namespace wobbin
