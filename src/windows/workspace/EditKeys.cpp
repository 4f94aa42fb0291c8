#include "workspace/EditKeys.h"

#include <QKeyEvent>

namespace wobbin {

namespace {
bool UndoRedoKey(const QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_Z)
        return mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier);
    return e->key() == Qt::Key_Y && mods == Qt::ControlModifier;
}
} // namespace

bool TEditKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Not taken as the field's own shortcut: the window's Undo and Redo run.
    if (event->type() == QEvent::ShortcutOverride && UndoRedoKey(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wobbin
