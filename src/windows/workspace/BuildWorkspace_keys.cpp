// The Build workspace by keyboard: the palette images and the tiles take the
// focus; Enter or Space on a palette image adds its kind after the current
// block; on a tile the arrows move the current block, Alt+Up and Alt+Down
// move the block itself (also from the fields of its panel), Delete shreds
// it, Enter or F2 goes to the first field of its panel, Page Up, Page Down,
// Home and End scroll the column; in a panel Tab goes on from the fields to
// the alignment and new-line buttons, Left and Right go along them and Space
// presses one; Escape in a panel returns to the tile. The mouse gestures
// stay as they are.

#include "workspace/BuildWorkspace.h"
#include "workspace/BuildWorkspace_p.h"
#include "shell/FocusFrame.h"
#include "workspace/WebBlockTile.h"

#include "shell/Skin.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <algorithm>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace wobbin {

void TBuildWorkspace::setUpKeyboard()
{
    for (QLabel *image : m_palette)
        TFocusFrame::Mark(image);
    // Escape anywhere in a panel goes back to the tile.
    for (QFrame *panel : m_panels->KindPanels())
        for (QWidget *w : panel->findChildren<QWidget *>())
            if (w->focusPolicy() != Qt::NoFocus)
                w->installEventFilter(this);
}

void TBuildWorkspace::FocusCurrentTile()
{
    if (!m_doc.Blocks.IsValidIndex(m_doc.CurrentBlockIndex)) {
        if (!m_tiles.empty())
            m_tiles.front()->setFocus(Qt::TabFocusReason);
        return;
    }
    if (m_doc.CurrentSlot < 0 || m_doc.Tiles().SlotOfBlock(m_doc.CurrentBlockIndex) < 0)
        applyOutcome(runDocumentOp([&] { return m_doc.SelectBlock(m_doc.CurrentBlockIndex); }));
    if (m_doc.CurrentSlot >= 0 && m_doc.CurrentSlot < int(m_tiles.size()))
        m_tiles[std::size_t(m_doc.CurrentSlot)]->setFocus(Qt::TabFocusReason);
}

void TBuildWorkspace::PaletteKeyAdd(int kind)
{
    if (m_paletteDragging || m_paletteBusy || m_tileDragging || !IsBlockKind(kind))
        return;
    PlaySoundRes(QStringLiteral("wavClick2"));
    applyOutcome(runDocumentOp([&] { return m_doc.InsertAfterCurrent(kind); }));
    Q_EMIT pageEdited(EditStep::Add, kind, QString());
}

void TBuildWorkspace::JumpToBlock(int index)
{
    if (!m_doc.Blocks.IsValidIndex(index) || m_paletteDragging || m_tileDragging)
        return;
    // Showing a block is no change of the page; the focus stays where it is.
    const bool wasSuppressed = m_doc.SuppressFieldEvents;
    const bool wasLoading = m_doc.LoadingDocument;
    m_doc.SuppressFieldEvents = true;
    m_doc.LoadingDocument = true;
    applyOutcome(runDocumentOp([&] { return m_doc.SelectBlock(index); }));
    m_doc.LoadingDocument = wasLoading;
    m_doc.SuppressFieldEvents = wasSuppressed;
}

void TBuildWorkspace::selectByKey(int index)
{
    const int n = m_doc.Blocks.Count();
    if (n == 0)
        return;
    index = std::clamp(index, 0, n - 1);
    if (index != m_doc.CurrentBlockIndex || m_doc.CurrentSlot < 0) {
        // Where the focus is stays: the panel does not take it.
        const bool wasLoading = m_doc.LoadingDocument;
        m_doc.LoadingDocument = true;
        applyOutcome(runDocumentOp([&] { return m_doc.SelectBlock(index); }));
        m_doc.LoadingDocument = wasLoading;
    }
    FocusCurrentTile();
}

void TBuildWorkspace::moveByKey(int delta, bool stayInField)
{
    const int block = m_doc.CurrentBlockIndex;
    if (!m_doc.Blocks.IsValidIndex(block) || !m_doc.Blocks.IsValidIndex(block + delta))
        return;
    const int kind = m_doc.Blocks.At(block).Kind;
    const bool wasLoading = m_doc.LoadingDocument;
    m_doc.LoadingDocument = true;
    applyOutcome(runDocumentOp([&] { return m_doc.MoveBlockBy(block, delta); }));
    m_doc.LoadingDocument = wasLoading;
    Q_EMIT pageEdited(EditStep::Move, kind, QString());
    if (!stayInField)
        FocusCurrentTile();
}

bool TBuildWorkspace::buttonRowKey(QWidget *button, QKeyEvent *e)
{
    if (e->modifiers() != Qt::NoModifier || (e->key() != Qt::Key_Left && e->key() != Qt::Key_Right))
        return false;
    QWidget *next = m_panels->RowNeighbour(button, e->key() == Qt::Key_Left ? -1 : +1);
    if (!next)
        return false;
    next->setFocus(Qt::TabFocusReason);
    return true;
}

void TBuildWorkspace::ShredCurrentBlock()
{
    const int block = m_doc.CurrentBlockIndex;
    if (!m_doc.Blocks.IsValidIndex(block) || m_tileDragging || m_paletteDragging)
        return;
    const int kind = m_doc.Blocks.At(block).Kind;
    const bool wasLoading = m_doc.LoadingDocument;
    m_doc.LoadingDocument = true;
    applyOutcome(runDocumentOp([&] { return m_doc.RemoveBlockIndex(block); }));
    m_doc.LoadingDocument = wasLoading;
    Q_EMIT pageEdited(EditStep::Shred, kind, QString());
    FocusCurrentTile();
}

bool TBuildWorkspace::tileKey(QKeyEvent *e)
{
    const int current = m_doc.CurrentBlockIndex;
    const bool alt = e->modifiers() & Qt::AltModifier;
    switch (e->key()) {
    case Qt::Key_Up:
        alt ? moveByKey(-1) : selectByKey(current - 1);
        return true;
    case Qt::Key_Down:
        alt ? moveByKey(+1) : selectByKey(current + 1);
        return true;
    case Qt::Key_PageUp:
        selectByKey(current - layout::kMaxTiles);
        return true;
    case Qt::Key_PageDown:
        selectByKey(current + layout::kMaxTiles);
        return true;
    case Qt::Key_Home:
        selectByKey(0);
        return true;
    case Qt::Key_End:
        selectByKey(m_doc.Blocks.Count() - 1);
        return true;
    case Qt::Key_Delete:
        ShredCurrentBlock();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        if (QWidget *field = m_panels->FirstField())
            field->setFocus(Qt::TabFocusReason);
        return true;
    default:
        return false;
    }
}

bool TBuildWorkspace::keyEvent(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *e = static_cast<QKeyEvent *>(event);
    if (m_paletteDragging || m_tileDragging)
        return false;
    for (int k = 0; k < 6; ++k) {
        if (watched != m_palette[std::size_t(k)])
            continue;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space) {
            PaletteKeyAdd(k);
            return true;
        }
        return false;
    }
    if (auto *tile = qobject_cast<TWebBlock *>(watched)) {
        if (std::find(m_tiles.begin(), m_tiles.end(), tile) == m_tiles.end())
            return false;
        // The tile with the focus is the current block.
        if (tile->BlockIndex != m_doc.CurrentBlockIndex)
            selectByKey(tile->BlockIndex);
        return tileKey(e);
    }
    if (auto *button = qobject_cast<QToolButton *>(watched); button && buttonRowKey(button, e))
        return true;
    // Alt+Up and Alt+Down move the block from the fields too; the caret stays.
    if ((qobject_cast<QLineEdit *>(watched) || qobject_cast<QPlainTextEdit *>(watched))
        && e->modifiers() == Qt::AltModifier && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)
        && m_panels->ShowsBlock()) {
        moveByKey(e->key() == Qt::Key_Up ? -1 : +1, true);
        return true;
    }
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        auto *w = qobject_cast<QWidget *>(watched);
        // An open list of a combo box closes first.
        if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->view() && combo->view()->isVisible())
            return false;
        if (w && m_panels->ShowsBlock()) {
            FocusCurrentTile();
            return true;
        }
    }
    return false;
}

} // namespace wobbin
