#pragma once
// The visible focus frame of the painted controls (toolbar, palette images,
// tiles, the pictures of the bottom strip and of the Send panel): pictures
// draw no focus of their own, so a dotted frame is laid over the one that has
// the keyboard focus. A control takes part by the property "paintedFocus";
// its property "focusRect" (a QRect in its own coordinates) narrows the frame
// to a part of it, such as one tab of the toolbar.

#include <QPointer>
#include <QWidget>

namespace wobbin {

class TFocusFrame : public QWidget
{
    Q_OBJECT
public:
    // Lives in the window (laid over controls anywhere inside it).
    explicit TFocusFrame(QWidget *window);
    // Marks a control as one that shows the frame when focused.
    static void Mark(QWidget *control);
    // The control the frame is on, nullptr when hidden.
    QWidget *Target() const { return m_target; }
    // Lays the frame over the focused control again (after it moved or its
    // focus rectangle changed).
    void Follow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void focusMoved(QWidget *now);
    QPointer<QWidget> m_target;
};

} // namespace wobbin
