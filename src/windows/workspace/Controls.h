#pragma once
// Small controls of the main window and its panels: an image control that
// reports its mouse events, helpers for the help context ("Tag") every control
// carries, and makers of the controls placed at fixed positions.

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QVariant>

class QTimer;

namespace wobbin {

// The help context (or other small number) a control carries as its "Tag".
inline int TagOf(const QObject *control)
{
    return control ? control->property("Tag").toInt() : 0;
}
inline void SetTag(QObject *control, int tag)
{
    if (control)
        control->setProperty("Tag", tag);
}

// A control of type T placed at a fixed position in parent, with its name
// and help context.
template <typename T>
T *MakeControl(QWidget *parent, const char *name, int x, int y, int w, int h, int tag)
{
    auto *control = new T(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(x, y, w, h);
    SetTag(control, tag);
    return control;
}

// An image control: a label showing a bitmap, with mouse-down, mouse-up and
// click notifications. The name of the bitmap shown last is kept in the
// property "Bitmap" (see ShowImage).
class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr) : QLabel(parent) {}

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, QPoint pos);
    void mouseUp(Qt::MouseButton button, QPoint pos);
    // Left button pressed and released over the control.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        m_pressed = e->button();
        Q_EMIT mouseDown(e->button(), e->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        const bool click = e->button() == Qt::LeftButton && m_pressed == Qt::LeftButton
                           && rect().contains(e->position().toPoint());
        m_pressed = Qt::NoButton;
        Q_EMIT mouseUp(e->button(), e->position().toPoint());
        if (click)
            Q_EMIT clicked();
    }

private:
    Qt::MouseButton m_pressed = Qt::NoButton;
};

// Shows the named bitmap in an image control and records its name in the
// control's "Bitmap" property. A missing bitmap leaves the picture as it was.
void ShowImage(QLabel *image, const QString &bitmapName);

// Controls named as the program names them, at fixed positions.
QFrame *MakePanel(QWidget *parent, const char *name, int x, int y, int w, int h,
                  QFrame::Shape shape = QFrame::NoFrame);
TImage *MakeImage(QWidget *parent, const char *name, int x, int y, int w, int h, int tag = 0);
QLabel *MakeLabel(QWidget *parent, const char *name, int x, int y, int w, int h, bool wrap = false);
QTimer *MakeTimer(QObject *parent, const char *name, int interval);
// True for the release of the right button (where right-click help pops up),
// with the pointer's screen position.
inline bool IsRightRelease(const QEvent *event, QPoint *globalPos)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *me = static_cast<const QMouseEvent *>(event);
    if (me->button() != Qt::RightButton)
        return false;
    *globalPos = me->globalPosition().toPoint();
    return true;
}

// Sets a label's or button's text from the string table.
void SetText(QWidget *control, int stringId);

} // namespace wobbin
