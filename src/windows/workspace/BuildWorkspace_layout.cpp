// The layout editor of the Build workspace: palette drag, tile drag, the
// shredder and the scroll bar. The document decides what every gesture does
// to the blocks and slots; this side moves the pictures and follows.

#include "workspace/BuildWorkspace.h"
#include "workspace/BuildWorkspace_p.h"
#include "workspace/WebBlockTile.h"

#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "page/PageDocument.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

namespace wobbin {

namespace {

bool exactlyLeft(const QMouseEvent *e)
{
    return e->buttons() == Qt::LeftButton && e->modifiers() == Qt::NoModifier;
}

void setScreenCursor(const QCursor &c)
{
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(c);
    else
        QApplication::setOverrideCursor(c);
}

void applyTimer(QTimer *timer, TimerAction action)
{
    if (action == TimerAction::Start && !timer->isActive())
        timer->start();
    else if (action == TimerAction::Stop)
        timer->stop();
}

void restoreScreenCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace

void TBuildWorkspace::buildLayoutControls()
{
    m_pnlToolBox = new QWidget(m_pnlBuild);
    m_pnlToolBox->setObjectName(QStringLiteral("pnlToolBox"));
    m_pnlToolBox->setGeometry(15, 20, 300, 272);

    m_imgBackground = new QLabel(m_pnlToolBox);
    m_imgBackground->setObjectName(QStringLiteral("imgBackground"));
    m_imgBackground->setGeometry(0, 0, 300, 272);
    m_imgBackground->setProperty("Tag", 0);
    ShowBitmap(m_imgBackground, QStringLiteral("Page_Back"));
    m_imgBackground->installEventFilter(this);

    m_lblBuildBlocks = new QLabel(m_pnlToolBox);
    m_lblBuildBlocks->setObjectName(QStringLiteral("lblBuildBlocks"));
    m_lblBuildBlocks->setText(LoadStr(Msg::WebBlocks));
    m_lblBuildBlocks->setGeometry(1, 200, 95, 14);

    m_lblDelete = new QLabel(m_pnlToolBox);
    m_lblDelete->setObjectName(QStringLiteral("lblDelete"));
    m_lblDelete->setText(LoadStr(Msg::DeleteWebBlock));
    m_lblDelete->setGeometry(4, 222, 95, 14);

    const QCursor handOpen = LoadCursorNumber(12);
    for (int k = 0; k < 6; ++k) {
        auto *img = new QLabel(m_pnlToolBox);
        img->setObjectName(TilePaletteName(k));
        img->setGeometry(layout::kPaletteHomeLeft, layout::kPaletteHomeTop[k], layout::kTileWidth,
                         layout::kTileHeight);
        img->setScaledContents(true);
        img->setPixmap(KindPicture(k));
        img->setProperty("Tag", layout::kPaletteHomeTop[k]);
        img->setCursor(handOpen);
        img->installEventFilter(this);
        m_palette[std::size_t(k)] = img;
    }

    m_imgShredderBack = new QLabel(m_pnlToolBox);
    m_imgShredderBack->setObjectName(QStringLiteral("imgShredderBack"));
    m_imgShredderBack->setGeometry(-10, 248, 96, 24);
    m_imgShredderBack->setProperty("Tag", 0);
    ShowBitmap(m_imgShredderBack, QStringLiteral("Page_BuzzBack"));
    m_imgShredderBack->installEventFilter(this);

    m_imgShredder = new QLabel(m_pnlToolBox);
    m_imgShredder->setObjectName(QStringLiteral("imgShredder"));
    m_imgShredder->setGeometry(7, 238, 78, 34);
    m_imgShredder->setProperty("Tag", 0);
    m_imgShredder->hide();
    m_imgShredder->installEventFilter(this);

    m_lblBuildLeft = new QLabel(m_pnlBuild);
    m_lblBuildLeft->setObjectName(QStringLiteral("lblBuildLeft"));
    m_lblBuildLeft->setText(LoadStr(Msg::ClickBlockHint));
    // Above the property panels: the panels are where a clicked block's details show.
    m_lblBuildLeft->setGeometry(338, 3, 281, 15);

    m_scrollBar1 = new QScrollBar(Qt::Vertical, m_pnlBuild);
    m_scrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    m_scrollBar1->setGeometry(315, 20, 18, 271);
    m_scrollBar1->setRange(0, 0);
    m_scrollBar1->setSingleStep(1);
    m_scrollBar1->setPageStep(1);
    m_scrollBar1->hide();
    connect(m_scrollBar1, &QScrollBar::valueChanged, this, &TBuildWorkspace::ScrollBar1Change);

    m_memBuzzsaw = new QListWidget(m_pnlBuild);
    m_memBuzzsaw->setObjectName(QStringLiteral("memBuzzsaw"));
    for (int i = 1; i <= 8; ++i)
        m_memBuzzsaw->addItem(QStringLiteral("Page_Buzz%1").arg(i));
    m_memBuzzsaw->hide();

    auto makeTimer = [this](const char *name, int interval, void (TBuildWorkspace::*slot)()) {
        auto *t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, slot);
        return t;
    };
    m_timAnim = makeTimer("timAnim", 10, &TBuildWorkspace::timAnimTimer);
    m_timUp = makeTimer("timUp", 250, &TBuildWorkspace::timUpTimer);
    m_timDown = makeTimer("timDown", 250, &TBuildWorkspace::timDownTimer);
    m_timShredder = makeTimer("timShredder", 100, &TBuildWorkspace::timShredderTimer);
}

QPoint TBuildWorkspace::grabForWarp(QWidget *w)
{
    // Top centre of the image, in its own coordinates.
    return QPoint(w->width() / 2, 0);
}

// ---- palette drag --------------------------------------------------------

void TBuildWorkspace::PaletteMouseDown(QLabel *image, QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    cancelStaleDrags();
    m_pressPoint = e->position().toPoint();
    // BrickMouseDown
    setScreenCursor(LoadCursorNumber(13));
    PlaySoundRes(QStringLiteral("wavClick1"));
    Q_UNUSED(image);
}

void TBuildWorkspace::PaletteMouseMove(QLabel *image, QMouseEvent *e)
{
    if (!exactlyLeft(e) || m_paletteBusy || m_tileDragging)
        return;
    if (m_paletteDragging && m_draggedImage != image)
        return;
    const QPoint pos = e->position().toPoint();
    if (!m_paletteDragging) {
        if (image->x() != layout::kPaletteHomeLeft)
            return;
        image->raise();
        m_imgShredderBack->raise();
        m_imgShredder->raise();
        m_paletteDragging = true;
        m_paletteInZone = false;
        m_draggedImage = image;
        if (PointerWarp()) {
            m_grabPoint = grabForWarp(image);
            QCursor::setPos(image->mapToGlobal(m_grabPoint));
            return; // the next move comes from the warped pointer
        }
        m_grabPoint = m_pressPoint;
    }
    const QPoint d = pos - m_grabPoint;
    const DragStep step = PaletteDragStep(image->y(), image->x(), d.x(), d.y(), m_paletteInZone);
    m_paletteInZone = step.EnteredLayout;
    applyTimer(m_timUp, step.TimUp);
    applyTimer(m_timDown, step.TimDown);
    image->move(step.Left, step.Top);
}

void TBuildWorkspace::PaletteMouseUp(QLabel *image, QMouseEvent *e)
{
    if (e->button() == Qt::RightButton) {
        if (!m_paletteDragging)
            requestPaletteWhatsThis(image, e->globalPosition().toPoint());
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    if (m_paletteDragging && m_draggedImage == image && !m_paletteBusy) {
        switch (PaletteReleaseAt(image->x())) {
        case PaletteRelease::Drop:
            PlaySoundRes(QStringLiteral("wavClick2"));
            DropPaletteBlock(image);
            break;
        case PaletteRelease::SnapHome:
            m_timUp->stop();
            m_timDown->stop();
            image->move(layout::kPaletteHomeLeft, image->property("Tag").toInt());
            m_paletteDragging = false;
            m_paletteBusy = false;
            m_draggedImage = nullptr;
            break;
        case PaletteRelease::SlideHome:
            SendPaletteImageHome(image);
            break;
        }
    }
    m_paletteInZone = false;
    restoreScreenCursor();
}

void TBuildWorkspace::SendPaletteImageHome(QLabel *image)
{
    image->move(layout::kSlideStartLeft, image->property("Tag").toInt());
    m_slidingImage = image;
    m_timAnim->start();
    m_timUp->stop();
    m_timDown->stop();
}

void TBuildWorkspace::timAnimTimer()
{
    m_paletteBusy = true;
    QLabel *image = m_slidingImage;
    if (image)
        image->move(image->x() + layout::kSlideStep, image->y());
    if (!image || image->x() >= layout::kPaletteHomeLeft) {
        for (int k = 0; k < 6; ++k)
            m_palette[std::size_t(k)]->move(layout::kPaletteHomeLeft, layout::kPaletteHomeTop[k]);
        m_timAnim->stop();
        m_paletteBusy = false;
        m_paletteDragging = false;
        m_draggedImage = nullptr;
        m_slidingImage = nullptr;
    }
}

void TBuildWorkspace::DropPaletteBlock(QLabel *image)
{
    m_timUp->stop();
    m_timDown->stop();
    const int kind = image->objectName().isEmpty() ? -1 : KindFromPaletteName(image->objectName());
    const LayoutOutcome o = runDocumentOp([&] { return m_doc.DropPaletteBlock(kind, image->y()); });
    applyOutcome(o);
    if (IsBlockKind(kind))
        Q_EMIT pageEdited(EditStep::Add, kind, QString());
    SendPaletteImageHome(image);
}

void TBuildWorkspace::cancelPaletteDrag()
{
    if (!m_paletteDragging || m_paletteBusy || !m_draggedImage)
        return;
    // A drag whose release never came: send the image home.
    SendPaletteImageHome(m_draggedImage);
    m_paletteInZone = false;
}

// ---- tiles ----------------------------------------------------------------

void TBuildWorkspace::cancelStaleDrags()
{
    cancelPaletteDrag();
    if (m_tileDragging || m_draggedTile)
        finishTileDrag();
}

// Ends a tile drag whose release was lost: the dragged tile goes away, the
// replacement keeps the column.
void TBuildWorkspace::finishTileDrag()
{
    m_timUp->stop();
    m_timDown->stop();
    m_tileDragging = false;
    if (m_draggedTile)
        m_draggedTile->deleteLater();
    m_draggedTile = nullptr;
    SyncTiles();
}

void TBuildWorkspace::TileMouseDown(TWebBlock *tile, QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (tile != m_draggedTile)
        cancelStaleDrags();
    m_pressPoint = e->position().toPoint();
    setScreenCursor(LoadCursorNumber(13));
}

void TBuildWorkspace::TileMouseMove(TWebBlock *tile, QMouseEvent *e)
{
    if (!exactlyLeft(e) || m_paletteDragging)
        return;
    const QPoint pos = e->position().toPoint();
    if (!m_tileDragging) {
        const auto it = std::find(m_tiles.begin(), m_tiles.end(), tile);
        if (it == m_tiles.end())
            return; // not a tile of the column (a dragged tile left over)
        // The replacement takes the dragged tile's place in the column.
        const int slot = int(it - m_tiles.begin());
        TWebBlock *repl = makeTileWidget();
        *it = repl;
        bindTileWidget(repl, slot);
        m_draggedTile = tile;
        tile->raise();
        m_imgShredderBack->raise();
        m_imgShredder->raise();
        HighLightBlock(slot); // the replacement is highlighted; the dragged tile keeps its look
        setScreenCursor(LoadCursorNumber(13));
        m_tileDragging = true;
        PlaySoundRes(QStringLiteral("wavClick1"));
        if (PointerWarp()) {
            m_grabPoint = grabForWarp(tile);
            QCursor::setPos(repl->mapToGlobal(m_grabPoint));
            return;
        }
        m_grabPoint = m_pressPoint;
    }
    if (tile != m_draggedTile)
        return;
    const QPoint d = pos - m_grabPoint;
    const DragStep step = TileDragStep(tile->y(), tile->x(), d.x(), d.y());
    applyTimer(m_timUp, step.TimUp);
    applyTimer(m_timDown, step.TimDown);
    tile->move(step.Left, step.Top);
}

void TBuildWorkspace::TileMouseUp(TWebBlock *tile, QMouseEvent *e)
{
    if (e->button() == Qt::RightButton) {
        if (!m_tileDragging)
            requestWhatsThis(tile, e->globalPosition().toPoint());
        return;
    }
    if (e->button() == Qt::LeftButton && m_tileDragging && tile == m_draggedTile) {
        ArrayDrop(tile);
        m_tileDragging = false;
    }
    restoreScreenCursor();
}

void TBuildWorkspace::TileClick(TWebBlock *tile)
{
    if (m_paletteDragging)
        return;
    if (std::find(m_tiles.begin(), m_tiles.end(), tile) == m_tiles.end())
        return;
    if (tile->BlockIndex != m_doc.CurrentBlockIndex) {
        ShowBlock(tile->BlockIndex);
        HighLightBlock(tile->SlotIndex);
    }
    setScreenCursor(LoadCursorNumber(13));
}

// Tile drop. The block moved (or shredded) is the dragged tile's own block,
// also when the auto-scroll took it out of view during the drag.
void TBuildWorkspace::ArrayDrop(TWebBlock *dragged)
{
    m_timUp->stop();
    m_timDown->stop();
    const int block = dragged->BlockIndex;
    const int top = dragged->y();
    const int left = dragged->x();
    const int kind = m_doc.Blocks.IsValidIndex(block) ? m_doc.Blocks.At(block).Kind : -1;
    const LayoutOutcome o = runDocumentOp([&] { return m_doc.MoveBlockIndex(block, top, left); });
    if (o.Shredded)
        ShredWebBlock(dragged);
    dragged->hide();
    dragged->deleteLater();
    m_draggedTile = nullptr;
    applyOutcome(o);
    Q_EMIT pageEdited(o.Shredded ? EditStep::Shred : EditStep::Move, kind, QString());
}

void TBuildWorkspace::ShredWebBlock(TWebBlock *dragged)
{
    // The tile is pulled into the shredder; the document has removed the block.
    dragged->move(dragged->x(), dragged->y() + 10);
    m_draggedTile = nullptr;
}

void TBuildWorkspace::AnimateShredder()
{
    m_timShredder->setInterval(125);
    m_shredFrame = 0;
    m_imgShredder->setProperty("Tag", 0);
    m_timShredder->start();
}

void TBuildWorkspace::timShredderTimer()
{
    if (m_shredFrame < 8) {
        ShowBitmap(m_imgShredder, m_memBuzzsaw->item(m_shredFrame)->text());
        m_imgShredder->show();
        m_imgShredder->raise();
        ++m_shredFrame;
    } else {
        m_imgShredderBack->raise();
        m_imgShredder->hide();
        m_shredFrame = 0;
        m_timShredder->stop();
    }
    m_imgShredder->setProperty("Tag", m_shredFrame);
    m_imgShredder->repaint();
}

// ---- scrolling ------------------------------------------------------------

void TBuildWorkspace::timUpTimer() { m_scrollBar1->setValue(m_scrollBar1->value() - 1); }
void TBuildWorkspace::timDownTimer() { m_scrollBar1->setValue(m_scrollBar1->value() + 1); }

void TBuildWorkspace::ScrollBar1Change(int position)
{
    if (m_inScrollChange)
        return;
    m_inScrollChange = true;
    m_pnlToolBox->setUpdatesEnabled(false);
    const LayoutOutcome o = runDocumentOp([&] { return m_doc.ScrollBarChanged(position); });
    SyncTiles();
    m_lastScrollPosition = m_doc.LastScrollPosition();
    // The highlight may have moved onto another block: the panel follows the
    // current block, so typing always goes where it is shown.
    Q_UNUSED(o);
    if (hasCurrentBlock()) {
        if (!m_panels->ShowsCurrentBlock())
            ShowBlock(m_doc.CurrentBlockIndex);
    } else if (m_panels->ShowsBlock()) {
        m_panels->ShowBlank();
    }
    m_pnlToolBox->setUpdatesEnabled(true);
    m_inScrollChange = false;
}

void TBuildWorkspace::requestPaletteWhatsThis(QLabel *image, QPoint globalPos)
{
    Q_EMIT whatsThisRequested(image, globalPos, PaletteHelpContext(image->property("Tag").toInt()));
}

} // namespace wobbin
