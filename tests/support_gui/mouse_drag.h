#pragma once
// Real mouse events for widget tests: press, move with the button held, and
// release, delivered to the widget as the window system would after an
// implicit grab (positions in the widget's own coordinates, which may lie
// outside it).

#include <QPoint>
#include <Qt>

class QWidget;

namespace wobbin::testing {

void MousePress(QWidget *w, QPoint local, Qt::MouseButton button = Qt::LeftButton,
                Qt::KeyboardModifiers mods = Qt::NoModifier);
// A move with `held` buttons down (QTest::mouseMove carries none).
void MouseMoveHeld(QWidget *w, QPoint local, Qt::MouseButtons held = Qt::LeftButton,
                   Qt::KeyboardModifiers mods = Qt::NoModifier);
void MouseRelease(QWidget *w, QPoint local, Qt::MouseButton button = Qt::LeftButton);
// Press and release at the same point.
void MouseClick(QWidget *w, QPoint local, Qt::MouseButton button = Qt::LeftButton);

// Presses `w` at `grab`, then moves the pointer in `steps` moves so that the
// widget's top-left would end at `topLeftInParent` if it followed the pointer,
// and does not release. Positions of later moves follow the widget as it moves.
void DragBy(QWidget *w, QPoint grab, QPoint topLeftInParent, int steps = 4);
// The same, then releases at the last pointer position.
void DragAndDrop(QWidget *w, QPoint grab, QPoint topLeftInParent, int steps = 4);
// One more move of a widget that is being dragged: the pointer goes to where
// the grab point would be with the widget's top-left at `topLeftInParent`.
void DragStepTo(QWidget *w, QPoint grab, QPoint topLeftInParent);
// Releases a dragged widget at its grab point.
void DropAt(QWidget *w, QPoint grab);

} // namespace wobbin::testing
