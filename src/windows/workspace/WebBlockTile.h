#pragma once
// TWebBlock: the picture of one block in the tile column (and, unplaced, the
// picture holder of a block).

#include <QLabel>
#include <QPixmap>

namespace wobbin {

class TWebBlock : public QLabel
{
    Q_OBJECT
public:
    static constexpr int kWidth = 95;
    static constexpr int kHeight = 22;
    static constexpr int kTag = 11; // What's-this topic of every tile

    explicit TWebBlock(QWidget *parent = nullptr);

    int BlockIndex = 0; // index into the document's block list
    int SlotIndex = 0;  // row in the tile column
    int Kind = -1;      // kind of the block shown

    // Shows the kind's normal picture again (undoes the highlight).
    void ClearHighlight();
    // Draws the kind's highlighted picture.
    void SetHighlight();
    bool Highlighted() const { return m_highlighted; }

private:
    bool m_highlighted = false;
};

// Pictures of the kinds: the palette picture ("Para".."Line") and the
// highlighted tile ("Para_H".."Line_H"). When a bitmap is missing, a plain
// picture with the kind's name is drawn instead. Cached.
QPixmap KindPicture(int kind);
QPixmap KindHighlightPicture(int kind);
// Palette image name of a kind ("imgBrPara".."imgBrLine"), "" for others.
QString TilePaletteName(int kind);

} // namespace wobbin
