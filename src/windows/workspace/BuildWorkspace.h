#pragma once
// The Build workspace: everything inside pnlBuild. On the left the layout
// editor (palette, tile column, scroll bar, shredder); on the right the seven
// property panels (TPropertyPanels). The block list and the tile slots live
// in the shared page document; the tile widgets here only mirror its slots.

#include "document/PageHistory.h"
#include "workspace/PropertyPanels.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class QLabel;
class QListWidget;
class QScrollBar;
class QTimer;
class QWidget;
class QMouseEvent;
class QKeyEvent;

namespace wobbin {

class TPageDocument;
class TWebBlock;
struct LayoutOutcome;

class TBuildWorkspace : public QObject
{
    Q_OBJECT
public:
    // Creates every control of the Build workspace as children of pnlBuild
    // (625 x 297), working on the shared document.
    TBuildWorkspace(QWidget *pnlBuild, TPageDocument &document, QObject *parent = nullptr);
    ~TBuildWorkspace() override;

    // The document's SuppressFieldEvents and LoadingDocument hold the panels'
    // change handlers and their taking of the keyboard focus.

    // The HTML folder (holds "graphics" for picked images).
    void SetHTMLFolder(const QString &folder);
    QString HTMLFolder() const;

    // Makes the block current and fills its property panel.
    void ShowBlock(int index);
    // Highlights the tile in that slot and shows its block.
    void HighLightBlock(int slot);
    // After the page-file reader appended block `index` to the document (the
    // document's own LoadChunk has bound its slot): shows its tile and the
    // scroll bar.
    void LoadChunk(int index);
    // After the document emptied its blocks: no tiles, no scroll bar, blank panel.
    void FreeAllBlocksView();
    // Re-reads every tile from the document's slots (after any outside change).
    void SyncTiles();
    // The panel of that kind in front (-1: the blank one); see TPropertyPanels.
    void ShowPanel(int kind);
    void AssignHelpContext();
    // The shredder images in front of the tiles (on entering Build).
    void RaiseShredder();

    // Moving the pointer to the grabbed image's top centre on drag start. On by
    // default where the platform can move the pointer; off, the actual grab
    // point is used.
    static void SetPointerWarp(bool on);
    static bool PointerWarp();

    TPageDocument &Document() const { return m_doc; }
    int CurrentSlot() const { return m_currentSlot; }
    int CurrentBlockIndex() const;
    bool PaletteDragging() const { return m_paletteDragging; }
    bool TileDragging() const { return m_tileDragging; }
    bool PaletteBusy() const { return m_paletteBusy; }
    // Visible tiles in slot order (at most eight).
    const std::vector<TWebBlock *> &Tiles() const { return m_tiles; }
    QWidget *PaletteImage(int kind) const;
    QWidget *ToolBox() const { return m_pnlToolBox; }
    QScrollBar *ScrollBar() const { return m_scrollBar1; }

    // ---- the keyboard (BuildWorkspace_keys.cpp)
    // The keyboard focus to the current block's tile, scrolled into view.
    void FocusCurrentTile();
    // Makes the block current, its tile highlighted and in view, and fills its
    // panel, without changing the page or moving the keyboard focus.
    void JumpToBlock(int index);

    // ---- the screen reader (BuildWorkspace_access.cpp)
    // "Block 3 of 12, Heading: Biscuit's Page"; empty for no block.
    QString TileAccessibleName(int blockIndex) const;

    // After undo or redo put back the page: the column, the highlight and the
    // panel show it, the keyboard focus stays where it is.
    void ShowRestoredPage();

Q_SIGNALS:
    void documentChanged();
    // The user changed the page: one step for the history (after the change).
    void pageEdited(wobbin::EditStep step, int kind, const QString &typingKey);
    void firstBlockDropped();
    void whatsThisRequested(QWidget *control, QPoint globalPos, int context);
    // A picture chosen for the Image panel has been read (or could not be).
    void imagePicked(const wobbin::TImagePickOutcome &outcome);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Event handlers of the layout editor (BuildWorkspace_layout.cpp).
    void PaletteMouseDown(QLabel *image, QMouseEvent *e);
    void PaletteMouseMove(QLabel *image, QMouseEvent *e);
    void PaletteMouseUp(QLabel *image, QMouseEvent *e);
    void SendPaletteImageHome(QLabel *image);
    void DropPaletteBlock(QLabel *image);
    void timAnimTimer();
    void timUpTimer();
    void timDownTimer();
    void timShredderTimer();
    void ScrollBar1Change(int position);
    void TileMouseDown(TWebBlock *tile, QMouseEvent *e);
    void TileMouseMove(TWebBlock *tile, QMouseEvent *e);
    void TileMouseUp(TWebBlock *tile, QMouseEvent *e);
    void TileClick(TWebBlock *tile);
    void ArrayDrop(TWebBlock *dragged);
    void ShredWebBlock(TWebBlock *dragged);
    void AnimateShredder();

    void buildLayoutControls();
    void setUpKeyboard();
    void setUpAccessible();
    void refreshTileNames();
    void announceStep(EditStep step, int kind);
    bool keyEvent(QObject *watched, QEvent *event);
    bool tileKey(QKeyEvent *e);
    void selectByKey(int index);
    void moveByKey(int delta, bool stayInField = false);
    bool buttonRowKey(QWidget *button, QKeyEvent *e);
    // Enter or Space on a palette image: a block of that kind after the
    // current block (at the end when there is none), as a drop would.
    void PaletteKeyAdd(int kind);
    // Sends the current block to the shredder, with its animation and sound.
    void ShredCurrentBlock();

    TWebBlock *makeTileWidget();
    void bindTileWidget(TWebBlock *tile, int slot);
    void cancelStaleDrags();
    void finishTileDrag();
    QPoint grabForWarp(QWidget *w);
    void requestWhatsThis(QWidget *control, QPoint globalPos);
    void requestPaletteWhatsThis(QLabel *image, QPoint globalPos);
    bool hasCurrentBlock() const;
    void applyOutcome(const LayoutOutcome &outcome);
    template <class Op> LayoutOutcome runDocumentOp(Op op);
    void syncScrollBarFromDocument();
    void cancelPaletteDrag();

    TPageDocument &m_doc;
    QWidget *m_pnlBuild;
    TPropertyPanels *m_panels = nullptr;

    // Layout controls
    QWidget *m_pnlToolBox = nullptr;
    std::array<QLabel *, 6> m_palette{};
    QScrollBar *m_scrollBar1 = nullptr;
    QLabel *m_imgShredderBack = nullptr;
    QLabel *m_imgShredder = nullptr;
    QLabel *m_imgBackground = nullptr;
    QLabel *m_lblBuildBlocks = nullptr;
    QLabel *m_lblDelete = nullptr;
    QLabel *m_lblBuildLeft = nullptr;
    QListWidget *m_memBuzzsaw = nullptr;
    QTimer *m_timAnim = nullptr;
    QTimer *m_timUp = nullptr;
    QTimer *m_timDown = nullptr;
    QTimer *m_timShredder = nullptr;

    std::vector<TWebBlock *> m_tiles;     // mirrors the document's slots
    QPointer<TWebBlock> m_draggedTile;    // the tile under the pointer during a tile drag

    // Interaction state
    bool m_paletteDragging = false;
    bool m_paletteInZone = false;
    bool m_paletteBusy = false;
    bool m_tileDragging = false;
    QPointer<QLabel> m_draggedImage;
    QPointer<QLabel> m_slidingImage;
    QPoint m_grabPoint;
    QPoint m_pressPoint;
    int m_lastScrollPosition = 0;
    int m_currentSlot = -1;
    int m_shredFrame = 0;
    bool m_inScrollChange = false;
};

} // namespace wobbin
