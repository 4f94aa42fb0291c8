#include "shell/FocusFrame.h"

#include "shell/Palette.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QTabBar>

namespace wobbin {

namespace {
constexpr int kBand = 3;   // the frame's width: a 2-pixel line and a 1-pixel halo
constexpr int kAround = 3; // how far the frame lies outside a control it goes round

// Of black and white, the ink that stands out from more of the pixels it lies on.
QColor InkFor(const QImage &under)
{
    const QColor inks[2] = {QColor(0x00, 0x00, 0x00), QColor(0xFF, 0xFF, 0xFF)};
    int visible[2] = {0, 0};
    const int w = under.width(), h = under.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (x >= kBand && x < w - kBand && y >= kBand && y < h - kBand)
                continue;
            const QColor c = under.pixelColor(x, y);
            for (int i = 0; i < 2; ++i)
                if (ContrastRatio(inks[i], c) >= 3.0)
                    ++visible[i];
        }
    }
    return visible[1] > visible[0] ? inks[1] : inks[0];
}

bool Painted(const QWidget *w) { return w->property("paintedFocus").toBool(); }
} // namespace

TFocusFrame::TFocusFrame(QWidget *window) : QWidget(window), m_window(window)
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
    // A focus in another window (a dialog over this one) leaves the frame where it is.
    if (now && now->window() != m_window)
        return;
    for (QWidget *w : {m_target.data(), m_framed.data()})
        if (w)
            w->removeEventFilter(this);
    m_target = now && now != m_window ? now : nullptr;
    m_framed = m_target;
    // A focus proxy that fills its control (a viewport, the page of a web
    // view): the frame goes round the control.
    while (m_framed && !Painted(m_framed) && m_framed->parentWidget() && m_framed->parentWidget() != m_window
           && m_framed->geometry() == m_framed->parentWidget()->rect())
        m_framed = m_framed->parentWidget();
    for (QWidget *w : {m_target.data(), m_framed.data()})
        if (w)
            w->installEventFilter(this);
    Follow();
}

bool TFocusFrame::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::KeyRelease: // a tab bar's current tab changed by the keys
        QMetaObject::invokeMethod(this, &TFocusFrame::Follow, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return false;
}

void TFocusFrame::Follow()
{
    QWidget *t = m_framed;
    if (!t || !t->parentWidget() || !t->isVisible() || !m_target || !m_target->hasFocus()) {
        hide();
        return;
    }
    if (parentWidget() != t->parentWidget())
        setParent(t->parentWidget());
    QRect local = t->rect().adjusted(-kAround, -kAround, kAround, kAround);
    if (Painted(t)) {
        const QRect part = t->property("focusRect").toRect();
        local = part.isValid() ? part : t->rect();
    } else if (auto *bar = qobject_cast<QTabBar *>(t); bar && bar->currentIndex() >= 0) {
        local = bar->tabRect(bar->currentIndex()).adjusted(-1, -1, 1, 1);
    }
    setGeometry(local.translated(t->pos()));
    // The ink is chosen against what shows under the frame (the toolbar is
    // dark blue, the palette images are light on silver, the panels silver).
    hide();
    QWidget *window = t->window();
    const QRect there(t->mapTo(window, local.topLeft()), local.size());
    m_ink = InkFor(window->grab(there).toImage().scaled(there.size()));
    raise();
    show();
    update();
}

void TFocusFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(m_ink, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    // A thin halo of the other ink keeps the line apart from what is under it.
    p.setPen(QPen(ContrastingInk(m_ink), 1, Qt::DotLine));
    p.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));
}

} // namespace wobbin
