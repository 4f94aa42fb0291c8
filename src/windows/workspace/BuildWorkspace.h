#pragma once
// The Build workspace: everything inside pnlBuild. On the left the layout
// editor (palette, tile column, scroll bar, shredder); on the right the seven
// property panels. The block list and the tile slots live in the shared page
// document; the tile widgets here only mirror its slots.

#include "document/PageHistory.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollBar;
class QTimer;
class QToolButton;
class QWidget;
class QMouseEvent;
class QKeyEvent;

namespace wobbin {

class TPageDocument;
class TPictureLoader;
struct ImagePickResult;
class TWebBlock;
struct TWebChunk;
struct LayoutOutcome;

// Result of the image file picker (see spdImgFileClick).
struct TImagePickOutcome {
    bool chosen = false;  // a file was chosen in the dialog
    bool ok = false;      // the fields were written
    QString error;        // shown to the user when not ok
};

class TBuildWorkspace : public QObject
{
    Q_OBJECT
public:
    // Creates every control of the Build workspace as children of pnlBuild
    // (625 x 297), working on the shared document.
    TBuildWorkspace(QWidget *pnlBuild, TPageDocument &document, QObject *parent = nullptr);
    ~TBuildWorkspace() override;

    // Window-wide flags owned by the main window. Until bound, the workspace
    // uses flags of its own (tests set them through the accessors below).
    void BindFlags(bool *suppressFieldEvents, bool *loadingDocument);
    bool SuppressFieldEvents() const;
    bool LoadingDocument() const;
    void SetSuppressFieldEvents(bool on);
    void SetLoadingDocument(bool on);

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
    void ShowPanel(int kind);
    void AssignHelpContext();
    // The shredder images in front of the tiles (on entering Build).
    void RaiseShredder();

    // Image file picker of the Image panel; `chosenPath` non-empty skips the
    // dialog. The picture is copied, converted and measured on a thread of
    // its own, so a slow one never freezes the window: the outcome returned
    // says whether a file was chosen, and imagePicked follows with the rest.
    TImagePickOutcome PickImage(const QString &chosenPath = QString());
    // True while a chosen picture is being read.
    bool PickingImage() const;

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
    // Enter or Space on a palette image: a block of that kind after the
    // current block (at the end when there is none), as a drop would.
    void PaletteKeyAdd(int kind);
    // The keyboard focus to the current block's tile, scrolled into view.
    void FocusCurrentTile();
    // The first field of the panel shown; nullptr with the blank panel.
    QWidget *FirstField() const;
    // Sends the current block to the shredder, with its animation and sound.
    void ShredCurrentBlock();
    // Makes the block current, its tile highlighted and in view, and fills its
    // panel, without changing the page or moving the keyboard focus.
    void JumpToBlock(int index);

    // ---- the screen reader (BuildWorkspace_access.cpp)
    // "Block 3 of 12, Heading: Biscuit's Page"; empty for no block.
    QString TileAccessibleName(int blockIndex) const;

    // After undo or redo put back the page: the column, the highlight and the
    // panel show it, the keyboard focus stays where it is.
    void ShowRestoredPage();

signals:
    void documentChanged();
    // The user changed the page: one step for the history (after the change).
    void pageEdited(wobbin::EditStep step, int kind, const QString &typingKey);
    void firstBlockDropped();
    void whatsThisRequested(QWidget *control, QPoint globalPos, int context);
    // A picture chosen for the Image panel has been read (or could not be).
    void imagePicked(const wobbin::TImagePickOutcome &outcome);

public:
    // Event handlers (public so that the event filter and tests can reach them).
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
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
    void buildPanels();
    void buildParaPanel();
    void buildLinkPanel();
    void buildImagePanel();
    void buildHeadingPanel();
    void buildEmailPanel();
    void buildLinePanel();
    QFrame *makePanel(const QString &name, const QString &banner, const QString &bannerBitmap,
                      int kind);
    QLabel *makeLabel(QWidget *parent, const QString &name, int textId, int x, int y,
                      int w = 0, int h = 0);
    QLineEdit *makeEdit(QWidget *parent, const QString &name, int x, int y, int w);
    QToolButton *makeSpeed(QWidget *parent, const QString &name, int glyph, int textId, int hintId, int tag,
                           int x, int y);
    void makeAlignRow(QWidget *panel, const QString &prefix, int kind, int y);

    TWebBlock *makeTileWidget();
    void bindTileWidget(TWebBlock *tile, int slot);
    void scrollBarUpdate();
    void setDocumentChanged();
    void cancelStaleDrags();
    void finishTileDrag();
    QPoint grabForWarp(QWidget *w);
    void loadPanelFor(int kind);
    void fillPanel(int kind);
    void setEditText(QLineEdit *edit, const QString &text);
    void selectCombo(QComboBox *combo, const QString &text);
    void writeField(QObject *sender);
    void alignClicked(QToolButton *button, int kind, int value);
    void newLineClicked(QToolButton *button, int kind);
    void requestWhatsThis(QWidget *control, QPoint globalPos);
    void requestPaletteWhatsThis(QLabel *image, QPoint globalPos);
    TWebChunk *currentChunk() const;
    bool panelHelpEvent(QObject *watched, QEvent *event);
    void applyOutcome(const LayoutOutcome &outcome);
    template <class Op> LayoutOutcome runDocumentOp(Op op);
    void syncScrollBarFromDocument();
    void cancelPaletteDrag();
    void imageRead(const ImagePickResult &result);
    std::uint8_t *alignField(int kind) const;
    std::uint8_t *newLineField(int kind) const;

    TPageDocument &m_doc;
    QWidget *m_pnlBuild;
    bool m_ownSuppress = false;
    bool m_ownLoading = false;
    bool *m_suppress = &m_ownSuppress;
    bool *m_loading = &m_ownLoading;
    QString m_htmlFolder;

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
    TWebChunk *m_shownChunk = nullptr; // block whose values the panel shows
    bool m_pickingImage = false;       // the picker writes three fields as one step
    bool m_fillingPanel = false;       // the panel is being filled from its block

    // Property panels
    std::array<QFrame *, 6> m_kindPanels{};
    QFrame *m_pnlBlank = nullptr;
    QPlainTextEdit *m_txtParagraph = nullptr;
    QLineEdit *m_txtLinkURL = nullptr, *m_txtLinkPre = nullptr, *m_txtLinkLink = nullptr,
              *m_txtLinkPost = nullptr;
    QLineEdit *m_txtImgFileName = nullptr, *m_txtImgHeight = nullptr, *m_txtImgWidth = nullptr,
              *m_txtImgDesc = nullptr, *m_txtImgLink = nullptr;
    QToolButton *m_spdImgFile = nullptr;
    TPictureLoader *m_pictureLoader = nullptr;
    TWebChunk *m_pickTarget = nullptr; // the block shown when the picture was chosen
    QPointer<QWidget> m_pickFocusMovedTo; // where the focus went from the picker button meanwhile
    QLineEdit *m_txtHeading = nullptr;
    QComboBox *m_cmbHeadSize = nullptr;
    QLineEdit *m_txtEmail = nullptr, *m_txtEmailPre = nullptr, *m_txtEmailLink = nullptr,
              *m_txtEmailPost = nullptr;
    QLineEdit *m_txtLineWidth = nullptr;
    QComboBox *m_cmbLineThick = nullptr;
    // Alignment buttons [kind 0..4][Left, Center, Right] and new-line buttons [kind].
    std::array<std::array<QToolButton *, 3>, 5> m_alignButtons{};
    std::array<QToolButton *, 5> m_returnButtons{};
};

} // namespace wobbin
