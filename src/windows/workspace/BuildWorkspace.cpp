// The Build workspace: construction, current block, the view's sync with
// the document and event routing.

#include "workspace/BuildWorkspace.h"
#include "workspace/BuildWorkspace_p.h"
#include "workspace/WebBlockTile.h"
#include "shell/Accessible.h"
#include "shell/FocusFrame.h"

#include "shell/Skin.h"
#include "page/PageDocument.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

namespace wobbin {

namespace {
int g_pointerWarp = -1; // -1: decide by platform
}

void TBuildWorkspace::SetPointerWarp(bool on) { g_pointerWarp = on ? 1 : 0; }

bool TBuildWorkspace::PointerWarp()
{
    if (g_pointerWarp >= 0)
        return g_pointerWarp == 1;
    const QString p = QGuiApplication::platformName();
    return !(p == QLatin1String("offscreen") || p == QLatin1String("minimal")
             || p.startsWith(QLatin1String("wayland")));
}

TBuildWorkspace::TBuildWorkspace(QWidget *pnlBuild, TPageDocument &document, QObject *parent)
    : QObject(parent), m_doc(document), m_pnlBuild(pnlBuild)
{
    buildLayoutControls();
    m_panels = new TPropertyPanels(pnlBuild, document, this);
    // What the panels announce is the workspace's to tell.
    connect(m_panels, &TPropertyPanels::documentChanged, this, &TBuildWorkspace::documentChanged);
    connect(m_panels, &TPropertyPanels::fieldWritten, this, &TBuildWorkspace::refreshTileNames);
    connect(m_panels, &TPropertyPanels::pageEdited, this, &TBuildWorkspace::pageEdited);
    connect(m_panels, &TPropertyPanels::whatsThisRequested, this, &TBuildWorkspace::whatsThisRequested);
    connect(m_panels, &TPropertyPanels::imagePicked, this, &TBuildWorkspace::imagePicked);
    setUpKeyboard();
    setUpAccessible();
    SyncTiles();
}

TBuildWorkspace::~TBuildWorkspace()
{
    // The widgets belong to pnlBuild; drop the dragged tile that is in none.
    if (m_draggedTile)
        delete m_draggedTile.data();
}

void TBuildWorkspace::SetHTMLFolder(const QString &folder) { m_panels->SetHTMLFolder(folder); }
QString TBuildWorkspace::HTMLFolder() const { return m_panels->HTMLFolder(); }
void TBuildWorkspace::ShowPanel(int kind) { m_panels->ShowPanel(kind); }
void TBuildWorkspace::AssignHelpContext() { m_panels->AssignHelpContext(); }

int TBuildWorkspace::CurrentBlockIndex() const { return m_doc.CurrentBlockIndex; }

QWidget *TBuildWorkspace::PaletteImage(int kind) const
{
    return (kind >= 0 && kind < 6) ? m_palette[std::size_t(kind)] : nullptr;
}

bool TBuildWorkspace::hasCurrentBlock() const { return m_doc.Blocks.IsValidIndex(m_doc.CurrentBlockIndex); }

void TBuildWorkspace::ShowBlock(int index)
{
    if (!m_doc.Blocks.IsValidIndex(index)) {
        m_panels->ShowBlank();
        return;
    }
    m_doc.ShowBlock(index);
    m_panels->ShowCurrentBlock();
}

void TBuildWorkspace::HighLightBlock(int slot)
{
    if (slot < 0 || slot >= m_doc.Tiles().Count())
        return;
    const LayoutOutcome o = runDocumentOp([&] { return m_doc.HighLightBlock(slot); });
    SyncTiles();
    ShowBlock(o.ShowBlockIndex >= 0 ? o.ShowBlockIndex : m_doc.Tiles().At(slot).BlockIndex);
}

void TBuildWorkspace::ShowRestoredPage()
{
    cancelStaleDrags();
    const bool wasSuppressed = m_doc.SuppressFieldEvents;
    const bool wasLoading = m_doc.LoadingDocument;
    m_doc.SuppressFieldEvents = true;
    m_doc.LoadingDocument = true;
    SyncTiles();
    if (m_doc.Tiles().IsEmpty() || !hasCurrentBlock())
        m_panels->ShowBlank();
    else
        ShowBlock(m_doc.CurrentBlockIndex);
    m_doc.LoadingDocument = wasLoading;
    m_doc.SuppressFieldEvents = wasSuppressed;
}

void TBuildWorkspace::LoadChunk(int index)
{
    SyncTiles();
    syncScrollBarFromDocument();
    if (index >= 0 && index < layout::kMaxTiles)
        Q_EMIT firstBlockDropped();
}

void TBuildWorkspace::FreeAllBlocksView()
{
    cancelStaleDrags();
    m_timUp->stop();
    m_timDown->stop();
    m_currentSlot = -1;
    SyncTiles();
    syncScrollBarFromDocument();
    m_lastScrollPosition = m_doc.LastScrollPosition();
    m_panels->ShowBlank();
}

// Makes the tile widgets mirror the document's slots: as many widgets as
// slots, each with its slot's block, picture, place and highlight.
void TBuildWorkspace::SyncTiles()
{
    const TileList &slotList = m_doc.Tiles();
    while (int(m_tiles.size()) > slotList.Count()) {
        delete m_tiles.back();
        m_tiles.pop_back();
    }
    while (int(m_tiles.size()) < slotList.Count())
        m_tiles.push_back(makeTileWidget());
    for (int s = 0; s < slotList.Count(); ++s)
        bindTileWidget(m_tiles[std::size_t(s)], s);
    refreshTileNames();
    // Tab goes from the palette down the column, in row order.
    QWidget *previous = m_palette[5];
    for (TWebBlock *tile : m_tiles) {
        QWidget::setTabOrder(previous, tile);
        previous = tile;
    }
    m_currentSlot = m_doc.CurrentSlot;
    syncScrollBarFromDocument();
}

void TBuildWorkspace::bindTileWidget(TWebBlock *tile, int slot)
{
    const TileSlot &ts = m_doc.Tiles().At(slot);
    const int kind = m_doc.Blocks.IsValidIndex(ts.BlockIndex) ? m_doc.Blocks.At(ts.BlockIndex).Kind : -1;
    const bool highlighted = (slot == m_doc.CurrentSlot);
    tile->BlockIndex = ts.BlockIndex;
    tile->SlotIndex = slot;
    if (tile->Kind != kind || tile->Highlighted() != highlighted || tile->pixmap().isNull()) {
        tile->Kind = kind;
        if (highlighted)
            tile->SetHighlight();
        else
            tile->ClearHighlight();
    }
    const QPoint pos(layout::kTileLeft, layout::SlotTop(slot));
    if (tile->pos() != pos)
        tile->move(pos);
    if (!tile->isVisible())
        tile->show();
}

void TBuildWorkspace::RaiseShredder()
{
    m_imgShredderBack->raise();
    m_imgShredder->raise();
}

TWebBlock *TBuildWorkspace::makeTileWidget()
{
    auto *tile = new TWebBlock(m_pnlToolBox);
    tile->setObjectName(QStringLiteral("WebBlock"));
    TFocusFrame::Mark(tile);
    SetAccessibleRole(tile, QAccessible::ListItem);
    tile->installEventFilter(this);
    // Tiles lie above the background and the palette, below the shredder and
    // a dragged image.
    tile->raise();
    RaiseShredder();
    if (m_draggedImage)
        m_draggedImage->raise();
    if (m_draggedTile)
        m_draggedTile->raise();
    return tile;
}

void TBuildWorkspace::syncScrollBarFromDocument()
{
    const ScrollBarState &sb = m_doc.ScrollBar();
    const QSignalBlocker block(m_scrollBar1);
    m_scrollBar1->setMaximum(std::max(0, sb.Maximum));
    if (m_scrollBar1->value() != sb.Position)
        m_scrollBar1->setValue(sb.Position);
    m_scrollBar1->setVisible(sb.Visible);
    m_scrollBar1->setEnabled(sb.Visible);
    m_lastScrollPosition = m_doc.LastScrollPosition();
}

// Does what a model operation asks of the window.
void TBuildWorkspace::applyOutcome(const LayoutOutcome &o)
{
    SyncTiles();
    syncScrollBarFromDocument();
    if (!o.Sound.isEmpty())
        PlaySoundRes(o.Sound);
    if (o.AnimateShredder)
        AnimateShredder();
    if (o.ShowBlank || m_doc.Tiles().IsEmpty()) {
        m_panels->ShowBlank();
    } else if (o.HighlightSlot >= 0) {
        HighLightBlock(o.HighlightSlot);
    } else if (o.ShowBlockIndex >= 0) {
        ShowBlock(o.ShowBlockIndex);
    } else if (m_panels->ShowsBlock() && !m_panels->ShowsCurrentBlock()) {
        // The block shown is gone or no longer current.
        if (hasCurrentBlock())
            ShowBlock(m_doc.CurrentBlockIndex);
        else
            m_panels->ShowBlank();
    }
    if (o.FirstBlockShown)
        Q_EMIT firstBlockDropped();
}

bool TBuildWorkspace::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    // The wheel over the tile column scrolls it as the scroll bar does.
    if (t == QEvent::Wheel && (qobject_cast<TWebBlock *>(watched) || watched == m_imgBackground)) {
        if (m_scrollBar1->isVisible() && m_scrollBar1->isEnabled())
            QCoreApplication::sendEvent(m_scrollBar1, event);
        return true;
    }
    const bool mouse = t == QEvent::MouseButtonPress || t == QEvent::MouseMove
                       || t == QEvent::MouseButtonRelease || t == QEvent::MouseButtonDblClick;
    if (!mouse)
        return keyEvent(watched, event) || QObject::eventFilter(watched, event);
    auto *me = static_cast<QMouseEvent *>(event);

    if (auto *tile = qobject_cast<TWebBlock *>(watched)) {
        switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            TileMouseDown(tile, me);
            return true;
        case QEvent::MouseMove:
            TileMouseMove(tile, me);
            return true;
        case QEvent::MouseButtonRelease: {
            QPointer<TWebBlock> guard(tile);
            const bool click = me->button() == Qt::LeftButton && !m_tileDragging
                               && tile->rect().contains(me->position().toPoint());
            if (click)
                TileClick(tile);
            if (guard)
                TileMouseUp(tile, me);
            return true;
        }
        default:
            break;
        }
    }
    for (int k = 0; k < 6; ++k) {
        if (watched != m_palette[std::size_t(k)])
            continue;
        QLabel *img = m_palette[std::size_t(k)];
        switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            PaletteMouseDown(img, me);
            return true;
        case QEvent::MouseMove:
            PaletteMouseMove(img, me);
            return true;
        case QEvent::MouseButtonRelease:
            PaletteMouseUp(img, me);
            return true;
        default:
            break;
        }
    }
    if (watched == m_imgShredder || watched == m_imgShredderBack || watched == m_imgBackground) {
        if (t == QEvent::MouseButtonRelease && me->button() == Qt::RightButton)
            requestWhatsThis(static_cast<QWidget *>(watched), me->globalPosition().toPoint());
        return false;
    }
    // The panels' controls answer the right button themselves (TPropertyPanels).
    return false;
}

void TBuildWorkspace::requestWhatsThis(QWidget *control, QPoint globalPos)
{
    Q_EMIT whatsThisRequested(control, globalPos, control->property("Tag").toInt());
}

} // namespace wobbin
