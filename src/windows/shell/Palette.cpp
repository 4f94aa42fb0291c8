#include "shell/Palette.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace wobbin {

namespace {
double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}
// The application's style with a focus mark that shows (at least 3:1 against
// the window: the selection colour, drawn solid and two pixels wide).
class TClearFocusStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
};
} // namespace

void UseClearFocusMarks()
{
    if (!qobject_cast<QProxyStyle *>(QApplication::style()))
        QApplication::setStyle(new TClearFocusStyle);
}

QPalette ProgramPalette()
{
    const QColor black(0x00, 0x00, 0x00);
    const QColor white(0xFF, 0xFF, 0xFF);
    const QColor navy(0x00, 0x00, 0x80);
    const QColor grey(0x80, 0x80, 0x80);
    const QColor darkGrey(0x40, 0x40, 0x40);
    const QColor offText(0x60, 0x60, 0x60); // switched off: plainly paler, still legible

    QPalette p;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = g == QPalette::Disabled;
        p.setColor(g, QPalette::Window, kSilver);
        p.setColor(g, QPalette::WindowText, off ? offText : black);
        p.setColor(g, QPalette::Base, off ? kSilver : white);
        p.setColor(g, QPalette::AlternateBase, QColor(0xE8, 0xE8, 0xE8));
        p.setColor(g, QPalette::Text, off ? offText : black);
        p.setColor(g, QPalette::PlaceholderText, darkGrey);
        p.setColor(g, QPalette::Button, kSilver);
        p.setColor(g, QPalette::ButtonText, off ? offText : black);
        p.setColor(g, QPalette::BrightText, white);
        // The bevels of buttons, frames and panels.
        p.setColor(g, QPalette::Light, white);
        p.setColor(g, QPalette::Midlight, QColor(0xDF, 0xDF, 0xDF));
        p.setColor(g, QPalette::Mid, QColor(0xA0, 0xA0, 0xA0));
        p.setColor(g, QPalette::Dark, grey);
        p.setColor(g, QPalette::Shadow, darkGrey);
        // The selection, and the frame a focused field or button draws.
        p.setColor(g, QPalette::Highlight, off ? grey : navy);
        p.setColor(g, QPalette::HighlightedText, white);
        p.setColor(g, QPalette::Link, QColor(0x00, 0x00, 0xCC));
        p.setColor(g, QPalette::LinkVisited, QColor(0x55, 0x1A, 0x8B));
        p.setColor(g, QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
        p.setColor(g, QPalette::ToolTipText, black);
    }
    return p;
}

void UseProgramPalette(QWidget *widget)
{
    if (!widget)
        return;
    widget->setPalette(ProgramPalette());
    widget->setAutoFillBackground(true);
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ContrastingInk(const QColor &background)
{
    const QColor black(0x00, 0x00, 0x00);
    const QColor white(0xFF, 0xFF, 0xFF);
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

} // namespace wobbin
