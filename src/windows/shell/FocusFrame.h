#pragma once
// The visible focus frame of a window. The painted controls (toolbar, palette
// images, tiles, the pictures of the bottom strip and of the Send panel) draw
// no focus of their own, and the style's own focus marks of the others are
// faint (a tab, a check box, a list): so a frame is laid over the painted
// control that has the keyboard focus, and around any other control, in black
// or white, whichever stands out from what lies under it (at least 3:1), with
// a thin halo of the other. A painted control takes part by the property
// "paintedFocus"; its property "focusRect" (a QRect in its own coordinates)
// narrows the frame to a part of it, such as one tab of the toolbar.

#include <QColor>
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
    // The colour of the frame's line.
    QColor Ink() const { return m_ink; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusMoved(QWidget *now);
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_target;  // the control with the focus
    QPointer<QWidget> m_framed;  // the widget the frame goes round (a control filled by its focus proxy)
    QColor m_ink{0x00, 0x00, 0x00};
};

} // namespace wobbin
