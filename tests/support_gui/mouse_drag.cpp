#include "mouse_drag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace wobbin::testing {

namespace {

void send(QWidget *w, QEvent::Type type, QPoint local, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    if (!w)
        return;
    const QPointF lp(local);
    const QPointF gp(w->mapToGlobal(local));
    QMouseEvent e(type, lp, lp, gp, button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

} // namespace

void MousePress(QWidget *w, QPoint local, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    send(w, QEvent::MouseButtonPress, local, button, button, mods);
}

void MouseMoveHeld(QWidget *w, QPoint local, Qt::MouseButtons held, Qt::KeyboardModifiers mods)
{
    send(w, QEvent::MouseMove, local, Qt::NoButton, held, mods);
}

void MouseRelease(QWidget *w, QPoint local, Qt::MouseButton button)
{
    send(w, QEvent::MouseButtonRelease, local, button, Qt::NoButton, Qt::NoModifier);
}

void MouseClick(QWidget *w, QPoint local, Qt::MouseButton button)
{
    QPointer<QWidget> guard(w);
    MousePress(w, local, button);
    if (guard)
        MouseRelease(w, local, button);
}

void DragStepTo(QWidget *w, QPoint grab, QPoint topLeftInParent)
{
    // Pointer in the parent's coordinates, then in the widget's current ones.
    const QPoint pointerInParent = topLeftInParent + grab;
    MouseMoveHeld(w, pointerInParent - w->pos());
}

void DragBy(QWidget *w, QPoint grab, QPoint topLeftInParent, int steps)
{
    QPointer<QWidget> guard(w);
    MousePress(w, grab);
    const QPoint start = w->pos();
    if (steps < 1)
        steps = 1;
    for (int i = 1; i <= steps && guard; ++i) {
        const QPoint p = start + (topLeftInParent - start) * i / steps;
        DragStepTo(w, grab, p);
    }
}

void DragAndDrop(QWidget *w, QPoint grab, QPoint topLeftInParent, int steps)
{
    QPointer<QWidget> guard(w);
    DragBy(w, grab, topLeftInParent, steps);
    if (guard)
        DropAt(w, grab);
}

void DropAt(QWidget *w, QPoint grab)
{
    MouseRelease(w, grab);
}

} // namespace wobbin::testing
