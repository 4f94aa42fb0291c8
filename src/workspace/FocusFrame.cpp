#include "workspace/FocusFrame.h"

#include <QApplication>
#include <QPainter>

namespace wobbin {

TFocusFrame::TFocusFrame(QWidget *window) : QWidget(window)
{
    setObjectName(QStringLiteral("FocusFrame"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusMoved(now); });
}

void TFocusFrame::Mark(QWidget *control)
{
    control->setProperty("paintedFocus", true);
    // The keyboard reaches it with Tab; a click does not move the focus, so
    // the mouse gestures stay as they are.
    control->setFocusPolicy(Qt::TabFocus);
}

void TFocusFrame::focusMoved(QWidget *now)
{
    m_target = (now && now->property("paintedFocus").toBool()) ? now : nullptr;
    Follow();
}

void TFocusFrame::Follow()
{
    QWidget *t = m_target;
    if (!t || !t->parentWidget() || !t->isVisible()) {
        hide();
        return;
    }
    if (parentWidget() != t->parentWidget())
        setParent(t->parentWidget());
    const QRect part = t->property("focusRect").toRect();
    const QRect r = part.isValid() ? part.translated(t->pos()) : t->geometry();
    setGeometry(r);
    raise();
    show();
    update();
}

void TFocusFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QPen pen(QColor(0x00, 0x00, 0x80), 2, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(1, 1, -1, -1));
}

} // namespace wobbin
