#include "pictures.h"

#include "icons.h"
#include "paintkit.h"

#include <QImage>
#include <QRadialGradient>
#include <QtMath>

#include <array>
#include <cmath>

namespace skin {

namespace {

// =====================================================================================
// Toolbar
// =====================================================================================

struct TabSpec
{
    double cx;
    QRectF card;
    QString line1, line2;
    int icon;
};

std::array<TabSpec, 4> Tabs(bool companion)
{
    // Every tab stays inside its click zone (140 wide from x 0; the last one
    // ends where the logo area starts at x 481).
    return {{
        {70, QRectF(7, 5, 126, 86), QStringLiteral("choose"), QStringLiteral("your page"), 0},
        {208, QRectF(147, 5, 122, 86), QStringLiteral("build"), QStringLiteral("your page"), 1},
        {341, QRectF(286, 5, 110, 86), QStringLiteral("view"), QStringLiteral("your page"), 2},
        companion
            ? TabSpec{451, QRectF(423, 5, 56, 86), QStringLiteral("edit in"), QStringLiteral("Studio 4"), 4}
            : TabSpec{451, QRectF(423, 5, 56, 86), QStringLiteral("send to"), QStringLiteral("the net"), 3},
    }};
}

void ToolbarScene(QPainter &p, bool companion, int highlight)
{
    const QRectF all(0, 0, 620, 96);
    p.fillRect(all, col::Silver);
    QPainterPath shape;
    shape.addRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    p.save();
    p.setClipPath(shape);
    p.fillRect(all, VGrad(all, QColor(0x2d, 0x62, 0xc8), QColor(0x12, 0x2e, 0x6c)));
    // Soft sheen on the upper half.
    p.fillRect(QRectF(0, 0, 620, 44), VGrad(QRectF(0, 0, 620, 44), QColor(255, 255, 255, 46),
                                             QColor(255, 255, 255, 0)));
    // Faint webs in two corners.
    Web(p, QPointF(-8, 104), 92, 8, 12, 6, QColor(255, 255, 255, 26), 1.0);
    Web(p, QPointF(628, -10), 70, 0, 12, 5, QColor(255, 255, 255, 26), 1.0);
    // Separators between the tabs.
    for (double x : {140.0, 280.0, 420.0}) {
        p.setPen(QPen(QColor(0, 0, 0, 60), 1));
        p.drawLine(QPointF(x - 0.5, 14), QPointF(x - 0.5, 82));
        p.setPen(QPen(QColor(255, 255, 255, 55), 1));
        p.drawLine(QPointF(x + 0.5, 14), QPointF(x + 0.5, 82));
    }
    // Divider before the logo area.
    p.setPen(QPen(QColor(0, 0, 0, 70), 1));
    p.drawLine(QPointF(483.5, 8), QPointF(483.5, 88));
    p.setPen(QPen(QColor(0xff, 0xc9, 0x3c, 150), 1.2));
    p.drawLine(QPointF(485, 8), QPointF(485, 88));

    const auto tabs = Tabs(companion);
    for (int t = 0; t < 4; ++t) {
        const TabSpec &tab = tabs[t];
        const bool on = highlight == t;
        if (on) {
            Glow(p, tab.card, col::Gold, 5);
            RoundPanel(p, tab.card, 11, QColor(0x5a, 0x94, 0xf0), QColor(0x24, 0x55, 0xb8),
                       col::Gold, 2.0);
            p.fillRect(QRectF(tab.card.left() + 4, tab.card.top() + 3, tab.card.width() - 8, 20),
                       VGrad(QRectF(0, tab.card.top() + 3, 1, 20), QColor(255, 255, 255, 60),
                             QColor(255, 255, 255, 0)));
        }
        // Badge.
        const double r = t == 3 ? 17 : 18;
        const QPointF bc(tab.cx, 30);
        p.setPen(QPen(on ? col::White : QColor(255, 255, 255, 200), 1.6));
        QRadialGradient g(bc + QPointF(-6, -7), r * 1.6);
        if (on) {
            g.setColorAt(0, QColor(0xff, 0xf0, 0xb8));
            g.setColorAt(0.5, col::Gold);
            g.setColorAt(1, col::Orange);
        } else {
            g.setColorAt(0, QColor(0x8d, 0xbb, 0xff));
            g.setColorAt(1, QColor(0x2a, 0x5e, 0xc4));
        }
        p.setBrush(g);
        p.drawEllipse(bc, r, r);
        TabIcon(p, QRectF(bc.x() - 12.5, bc.y() - 12.5, 25, 25), tab.icon, col::Navy,
                on ? col::BlueLight : col::Gold);
        // Label.
        const double w = tab.card.width() - 4;
        const double px = std::min(FitText(tab.line2, 14, w), FitText(tab.line1, 14, w));
        const QColor c = on ? QColor(0xff, 0xdf, 0x5e) : col::White;
        Text(p, QRectF(tab.card.left(), 51, tab.card.width(), 17), tab.line1, px, c, true,
             Qt::AlignCenter, true);
        Text(p, QRectF(tab.card.left(), 67, tab.card.width(), 17), tab.line2, px, c, true,
             Qt::AlignCenter, true);
    }

    // Logo area.
    const QRectF logo(489, 5, 125, 86);
    const bool logoOn = highlight == 4;
    if (logoOn) {
        Glow(p, logo, col::Gold, 5);
        RoundPanel(p, logo, 11, QColor(0x5a, 0x94, 0xf0), QColor(0x24, 0x55, 0xb8), col::Gold, 2.0);
    }
    Web(p, QPointF(600, 20), 15, 0, 8, 3, QColor(0xff, 0xc9, 0x3c, 170), 0.8);
    Spider(p, QRectF(494, 8, 24, 22), SpiderPose{true, 0, logoOn, false});
    Text(p, QRectF(489, 26, 125, 28), QStringLiteral("Wobbin"), 24, col::Gold, true,
         Qt::AlignCenter, true);
    Text(p, QRectF(489, 51, 125, 22), QStringLiteral("Express"), 18, col::White, true,
         Qt::AlignCenter, true);
    const QString tagline =
        logoOn ? QStringLiteral("your page is on the web!") : QStringLiteral("web pages made easy");
    Text(p, QRectF(489, 72, 125, 14), tagline, FitText(tagline, 9.5, 116), logoOn ? QColor(0xff, 0xdf, 0x5e) : QColor(0xbf, 0xd6, 0xff), true);
    if (logoOn) {
        Sparkle(p, QPointF(503, 40), 4, col::White);
        Sparkle(p, QPointF(606, 44), 5, QColor(0xff, 0xf0, 0xb8));
        Sparkle(p, QPointF(590, 12), 3, col::White);
    }
    p.restore();
    p.setPen(QPen(col::Navy, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(all.adjusted(0.6, 0.6, -0.6, -0.6), 12, 12);
}

// =====================================================================================
// Send panel: the web with the magnifier
// =====================================================================================

const QPointF kWebCentre(214, 81);
const double kWebRadius = 78;
const QPointF kLensCentre(66, 124);
const double kLensInner = 56;

void WebScene(QPainter &p, double angle)
{
    const QRectF all(0, 0, 420, 210);
    p.fillRect(all, col::Silver);
    QPainterPath shape;
    shape.addRoundedRect(all, 14, 14);
    p.save();
    p.setClipPath(shape);
    {
        QLinearGradient g(all.topLeft(), all.bottomLeft());
        g.setColorAt(0, QColor(0x1a, 0x3a, 0x86));
        g.setColorAt(0.7, QColor(0x2a, 0x5c, 0xb8));
        g.setColorAt(1, QColor(0x3f, 0x78, 0xd0));
        p.fillRect(all, g);
    }
    // Stars.
    Rng rng(20261);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 46; ++i) {
        const QPointF s(rng.range(4, 416), rng.range(4, 130));
        const double r = rng.range(0.4, 1.3);
        p.setBrush(QColor(255, 255, 255, int(rng.range(90, 220))));
        p.drawEllipse(s, r, r);
    }
    // A soft hill of light at the bottom.
    {
        QRadialGradient g(QPointF(210, 260), 220);
        g.setColorAt(0, QColor(0xff, 0xe6, 0xa0, 90));
        g.setColorAt(1, QColor(0xff, 0xe6, 0xa0, 0));
        p.setBrush(g);
        p.drawRect(all);
    }
    // Mooring threads from the web's rim to the frame (they do not turn).
    p.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
    const double moorings[] = {-62, -18, 24, 64, 118, 200, 236, 292};
    for (double deg : moorings) {
        const double a = qDegreesToRadians(deg - 90);
        const QPointF d(std::cos(a), std::sin(a));
        p.drawLine(kWebCentre + d * (kWebRadius - 1), kWebCentre + d * 400);
    }
    // The thread that leads from the web to the magnifier.
    {
        const QPointF dir = (kLensCentre - kWebCentre) / std::hypot(kLensCentre.x() - kWebCentre.x(),
                                                                     kLensCentre.y() - kWebCentre.y());
        p.setPen(QPen(QColor(0xff, 0xe0, 0x8a, 220), 1.4, Qt::DashLine));
        p.drawLine(kWebCentre + dir * (kWebRadius - 2), kLensCentre - dir * (kLensInner + 7));
    }
    // The web itself, turned by angle.
    Web(p, kWebCentre, kWebRadius, angle, 16, 7, QColor(255, 255, 255, 215), 1.1, true);
    // Hub.
    {
        QRadialGradient g(kWebCentre, 8);
        g.setColorAt(0, QColor(0xff, 0xf4, 0xc8));
        g.setColorAt(1, QColor(0xff, 0xc9, 0x3c, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(kWebCentre, 8, 8);
    }

    // Magnifier: handle, glass, rim.
    {
        const QPointF d(std::cos(qDegreesToRadians(45.0)), std::sin(qDegreesToRadians(45.0)));
        const QPointF a = kLensCentre + d * (kLensInner + 4);
        const QPointF b = kLensCentre + d * (kLensInner + 44);
        p.setPen(QPen(QColor(0x5a, 0x2a, 0x0a), 13, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a + d * 10, b);
        p.setPen(QPen(QColor(0xc8, 0x62, 0x1c), 10, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a + d * 10, b);
        p.setPen(QPen(QColor(0xf0, 0x9a, 0x4c), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a + d * 12 + QPointF(-2, 1.5), b + QPointF(-2, 1.5));
        // Collar.
        p.setPen(QPen(col::GoldDeep, 12, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(a, a + d * 10);
    }
    {
        QRadialGradient g(kLensCentre + QPointF(-18, -20), kLensInner * 1.6);
        g.setColorAt(0, QColor(0xf4, 0xfa, 0xff, 250));
        g.setColorAt(0.6, QColor(0xd2, 0xe6, 0xff, 240));
        g.setColorAt(1, QColor(0xa6, 0xc8, 0xf4, 240));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(kLensCentre, kLensInner, kLensInner);
        // Glass highlight.
        p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(kLensCentre.x() - kLensInner + 8, kLensCentre.y() - kLensInner + 8,
                         2 * kLensInner - 16, 2 * kLensInner - 16),
                  100 * 16, 60 * 16);
        // Rim.
        QConicalGradient rim(kLensCentre, 45);
        rim.setColorAt(0, col::Gold);
        rim.setColorAt(0.25, QColor(0xff, 0xf0, 0xb8));
        rim.setColorAt(0.5, col::GoldDeep);
        rim.setColorAt(0.75, QColor(0xb8, 0x6e, 0x08));
        rim.setColorAt(1, col::Gold);
        p.setPen(QPen(QBrush(rim), 7));
        p.drawEllipse(kLensCentre, kLensInner + 3.5, kLensInner + 3.5);
        p.setPen(QPen(QColor(0x6a, 0x3c, 0x00), 1));
        p.drawEllipse(kLensCentre, kLensInner + 7.5, kLensInner + 7.5);
        p.drawEllipse(kLensCentre, kLensInner - 0.5, kLensInner - 0.5);
    }
    p.restore();
}

// =====================================================================================
// Build panel: palette tray, tile column and shredder
// =====================================================================================

void ShredderMachine(QPainter &p, int frame)
{
    // Body from x -10 to 86, top at y 248, down past the panel's bottom.
    const double shake = frame > 0 ? ((frame % 2) ? 0.8 : -0.8) : 0;
    p.save();
    p.translate(shake, 0);
    const QRectF body(-10, 254, 96, 22);
    RoundPanel(p, body, 4, QColor(0x9d, 0xab, 0xc6), QColor(0x56, 0x63, 0x82),
               QColor(0x2a, 0x33, 0x50), 1.0);
    // Hazard stripes.
    p.save();
    p.setClipRect(QRectF(-9, 264, 94, 8));
    p.fillRect(QRectF(-9, 264, 94, 8), col::Gold);
    p.setPen(Qt::NoPen);
    p.setBrush(col::Ink);
    for (double x = -16; x < 90; x += 9) {
        QPainterPath s(QPointF(x, 272));
        s.lineTo(x + 4.5, 272);
        s.lineTo(x + 10.5, 264);
        s.lineTo(x + 6, 264);
        s.closeSubpath();
        p.drawPath(s);
    }
    p.restore();
    // Lid with the slot.
    RoundPanel(p, QRectF(-10, 247.5, 96, 8), 3, QColor(0x3b, 0x46, 0x6e), QColor(0x1e, 0x25, 0x40),
               QColor(0x12, 0x18, 0x2c), 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x05, 0x07, 0x10));
    p.drawRoundedRect(QRectF(3, 249.6, 70, 3.6), 1.5, 1.5);
    p.setBrush(QColor(0xd0, 0xd8, 0xe8));
    for (double x = 5; x < 72; x += 4) {
        const double off = frame > 0 ? (frame % 2) * 2.0 : 0;
        QPainterPath tooth(QPointF(x + off, 249.6));
        tooth.lineTo(x + off + 2, 249.6);
        tooth.lineTo(x + off + 1, 251.2);
        tooth.closeSubpath();
        p.drawPath(tooth);
    }
    // Lamp.
    const QColor lamp = frame == 0 ? QColor(0x4c, 0xd9, 0x64)
                                   : ((frame % 2) ? QColor(0xff, 0x3b, 0x30) : col::Orange);
    QRadialGradient g(QPointF(78, 258.5), 4);
    g.setColorAt(0, Mix(lamp, col::White, 0.6));
    g.setColorAt(1, lamp);
    p.setBrush(g);
    p.setPen(QPen(QColor(0x1e, 0x25, 0x40), 0.8));
    p.drawEllipse(QPointF(78, 258.5), 2.6, 2.6);
    p.restore();
}

void ShredBlock(QPainter &p, int frame)
{
    // Frames 1..8: a block sinks into the slot and is cut into strips; bits fly.
    const double mouth = 250;
    if (frame <= 6) {
        const QRectF block(8, 230 + (frame - 1) * 3, 62, 16);
        p.save();
        p.setClipRect(QRectF(-20, 200, 140, mouth - 200));
        // Below the cut the block hangs in loose strips.
        const double cut = frame == 1 ? block.bottom() : block.top() + std::max(1.0, 12.0 - (frame - 1) * 3.0);
        const int strips = 9;
        const double sw = block.width() / strips;
        for (int i = 0; i < strips; ++i) {
            const QColor c = KindColour(Kind(i % 6));
            const QRectF upper(block.left() + i * sw, block.top(), sw + 0.4, cut - block.top());
            p.fillRect(upper, VGrad(block, Mix(c, col::White, 0.25), c));
            if (cut < block.bottom()) {
                const double spread = (i - (strips - 1) / 2.0) * 0.45 * (frame - 1);
                const double dangle = (i % 2) ? 1.5 : -0.5;
                const QRectF strip(block.left() + i * sw + 1.0 + spread, cut + 1.0,
                                   sw - 2.0, block.bottom() - cut + dangle);
                p.fillRect(strip, c.darker(108));
                p.fillRect(QRectF(strip.left(), strip.top(), 1.0, strip.height()),
                           Mix(c, col::White, 0.35));
            }
        }
        if (cut - block.top() > 8) {
            p.setPen(QPen(QColor(255, 255, 255, 200), 1.3));
            p.drawLine(QPointF(block.left() + 6, block.top() + 5), QPointF(block.right() - 10, block.top() + 5));
        }
        p.restore();
    }
    if (frame >= 3) {
        // Confetti: bits thrown up and out of the slot.
        Rng rng(77);
        const double t = frame - 2;
        for (int i = 0; i < 18; ++i) {
            const double x0 = rng.range(10, 66);
            const double vx = rng.range(-4.5, 4.5);
            const double vy = rng.range(-6.5, -3.5);
            const double rot0 = rng.range(0, 180);
            const int kind = int(rng.range(0, 6));
            const double x = x0 + vx * t;
            const double y = mouth + vy * t + 0.9 * t * t;
            if (y > mouth - 1 || y < 237)
                continue;
            QColor c = KindColour(Kind(kind));
            if (frame >= 7)
                c.setAlpha(frame == 7 ? 190 : 120);
            p.save();
            p.translate(x, y);
            p.rotate(rot0 + t * 40);
            p.fillRect(QRectF(-1, -2.2, 2, 4.4), c);
            p.restore();
        }
        // Motion lines beside the machine.
        p.setPen(QPen(QColor(0x1e, 0x25, 0x40, 140), 1.0, Qt::SolidLine, Qt::RoundCap));
        const double o = (frame % 2) * 1.5;
        p.drawLine(QPointF(0, 240 + o), QPointF(0, 245 + o));
        p.drawLine(QPointF(-3, 242 - o), QPointF(-3, 246 - o));
        p.drawLine(QPointF(77, 240 + o), QPointF(77, 245 + o));
        p.drawLine(QPointF(80, 242 - o), QPointF(80, 246 - o));
    }
}

void BuildScene(QPainter &p, int shredFrame)
{
    const QRectF all(-20, 0, 340, 272);
    p.fillRect(all, VGrad(all, QColor(0xec, 0xf3, 0xff), QColor(0xd2, 0xe1, 0xf7)));
    // Faint web in the middle lane.
    Web(p, QPointF(146, 300), 120, 0, 14, 7, QColor(0x6f, 0x92, 0xd0, 40), 1.0);

    // Palette tray with the six home wells.
    RoundPanel(p, QRectF(-8, -8, 107, 144), 9, QColor(0xc7, 0xd9, 0xf5), QColor(0xae, 0xc6, 0xec),
               QColor(0x86, 0xa3, 0xd6), 1.2);
    for (int k = 0; k < 6; ++k) {
        const QRectF home(1, 1 + k * 22, 95, 22);
        QColor c = KindColour(Kind(k));
        c.setAlpha(45);
        p.setBrush(c);
        p.setPen(QPen(QColor(0x6f, 0x8c, 0xc4, 150), 1, Qt::DashLine));
        p.drawRoundedRect(home.adjusted(1, 1, -1, -1), 6, 6);
        Text(p, home.adjusted(24, 0, 0, 0), KindWord(Kind(k)), 11, QColor(0x4a, 0x63, 0x95, 150),
             true, Qt::AlignLeft | Qt::AlignVCenter);
    }

    // Hint between the palette and the column.
    Text(p, QRectF(2, 142, 96, 16), QStringLiteral("drag a block"), 11, QColor(0x2a, 0x4a, 0x8c),
         true, Qt::AlignCenter, false, true);
    Text(p, QRectF(2, 156, 96, 16), QStringLiteral("into a row"), 11, QColor(0x2a, 0x4a, 0x8c),
         true, Qt::AlignCenter, false, true);
    {
        QPainterPath arrow(QPointF(50, 176));
        arrow.cubicTo(QPointF(60, 205), QPointF(120, 200), QPointF(160, 150));
        p.setPen(QPen(QColor(0xf2, 0x8a, 0x1c, 200), 3, Qt::DashLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arrow);
        const QPointF tip(166, 142);
        QPainterPath head(tip);
        head.lineTo(tip + QPointF(-11, 2));
        head.lineTo(tip + QPointF(-2, 11));
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf2, 0x8a, 0x1c, 220));
        p.drawPath(head);
    }
    // Chevrons in the lane.
    for (int i = 0; i < 3; ++i) {
        const double x = 118 + i * 18;
        QPainterPath ch(QPointF(x, 56));
        ch.lineTo(x + 8, 64);
        ch.lineTo(x, 72);
        p.setPen(QPen(QColor(0x5a, 0x80, 0xc8, 70 + i * 50), 3, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ch);
    }

    // Tile column with eight numbered rows.
    RoundPanel(p, QRectF(176, -8, 128, 258), 10, QColor(255, 255, 255, 120),
               QColor(255, 255, 255, 70), QColor(0x86, 0xa3, 0xd6), 1.2);
    for (int s = 0; s < 8; ++s) {
        const QRectF well(199, s * 31 + 1, 95, 22);
        p.setBrush(QColor(255, 255, 255, 150));
        p.setPen(QPen(QColor(0x86, 0xa3, 0xd6), 1, Qt::DashLine));
        p.drawRoundedRect(well.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        const QPointF c(188, well.center().y());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2f, 0x5c, 0xb4, 200));
        p.drawEllipse(c, 7, 7);
        Text(p, QRectF(c.x() - 7, c.y() - 7, 14, 14), QString::number(s + 1), 9.5, col::White, true);
    }

    // Shredder corner.
    {
        QRadialGradient g(QPointF(38, 275), 70);
        g.setColorAt(0, QColor(0xff, 0x9a, 0x5a, 70));
        g.setColorAt(1, QColor(0xff, 0x9a, 0x5a, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(QRectF(-20, 200, 140, 72));
    }
    if (shredFrame > 0)
        ShredBlock(p, shredFrame);
    ShredderMachine(p, shredFrame);
}

// =====================================================================================
// Blocks, banners, small buttons
// =====================================================================================

void PaletteBlock(QPainter &p, Kind k, bool highlighted)
{
    const QColor c = KindColour(k);
    const QRectF r(0, 0, 95, 22);
    if (highlighted) {
        RoundPanel(p, r, 7, Mix(c, col::White, 0.45), Mix(c, col::White, 0.1), col::Gold, 2.4);
        p.setPen(QPen(QColor(255, 255, 255, 170), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(2.8, 2.8, -2.8, -2.8), 5, 5);
    } else {
        RoundPanel(p, r, 7, Mix(c, col::White, 0.28), c.darker(112), c.darker(150), 1.0);
        p.fillRect(QRectF(4, 1.5, 87, 8), VGrad(QRectF(0, 1.5, 1, 8), QColor(255, 255, 255, 70),
                                                QColor(255, 255, 255, 0)));
    }
    // Icon plate.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(QRectF(4, 3, 16, 16), 4, 4);
    KindIcon(p, QRectF(5, 4, 14, 14), k, c.darker(115));
    // Word.
    const QString w = KindWord(k);
    const double px = FitText(w, 12.5, 57);
    Text(p, QRectF(24, 0, 60, 22), w, px, col::White, true, Qt::AlignLeft | Qt::AlignVCenter, true);
    // Grip.
    p.setPen(Qt::NoPen);
    p.setBrush(highlighted ? col::Gold : QColor(255, 255, 255, 140));
    for (int row = 0; row < 3; ++row)
        for (int cx = 0; cx < 2; ++cx)
            p.drawEllipse(QPointF(86 + cx * 3.2, 7 + row * 4), 1.0, 1.0);
}

void Banner(QPainter &p, Kind k)
{
    const QColor c = KindColour(k);
    const QRectF r(0, 0, 83, 16);
    RoundPanel(p, r, 5, Mix(c, col::White, 0.25), c.darker(115), c.darker(150), 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(QRectF(2.5, 2, 12, 12), 3, 3);
    KindIcon(p, QRectF(3.5, 3, 10, 10), k, c.darker(115));
    const QString w = KindBannerWord(k);
    Text(p, QRectF(17, 0, 64, 16), w, FitText(w, 11, 62), col::White, true,
         Qt::AlignLeft | Qt::AlignVCenter, true);
}

enum class BtnState { Disabled, Up, Down };

void ChromeButton(QPainter &p, const QRectF &r, BtnState st, const QColor &top,
                  const QColor &bottom, const QColor &border)
{
    if (st == BtnState::Disabled) {
        RoundPanel(p, r, 6, QColor(0xdc, 0xdc, 0xdc), QColor(0xb4, 0xb4, 0xb4), QColor(0x93, 0x93, 0x93));
        return;
    }
    if (st == BtnState::Up) {
        RoundPanel(p, r, 6, top, bottom, border);
        p.fillRect(QRectF(r.left() + 4, r.top() + 1.5, r.width() - 8, r.height() * 0.4),
                   VGrad(QRectF(0, r.top() + 1.5, 1, r.height() * 0.4), QColor(255, 255, 255, 90),
                         QColor(255, 255, 255, 0)));
    } else {
        RoundPanel(p, r, 6, bottom.darker(115), top.darker(105), border);
        p.fillRect(QRectF(r.left() + 3, r.top() + 1.2, r.width() - 6, 2.5),
                   VGrad(QRectF(0, r.top() + 1.2, 1, 2.5), QColor(0, 0, 0, 60), QColor(0, 0, 0, 0)));
    }
}

void ViewToggle(QPainter &p, BtnState st, bool maximise)
{
    const QRectF r(0.5, 0.5, 53, 19);
    ChromeButton(p, r, st, QColor(0x4e, 0x88, 0xe6), QColor(0x1d, 0x49, 0xa0), col::Navy);
    const double d = st == BtnState::Down ? 1 : 0;
    const QColor ink = st == BtnState::Disabled ? QColor(0x8c, 0x8c, 0x8c) : col::White;
    // Icon: a frame with four arrows pointing out (maximise) or in (restore).
    p.save();
    p.translate(11 + d, 10 + d);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (int q = 0; q < 4; ++q) {
        p.save();
        p.rotate(q * 90);
        if (maximise) {
            p.drawLine(QPointF(1.5, 1.5), QPointF(5.5, 5.5));
            p.drawLine(QPointF(5.5, 5.5), QPointF(5.5, 2.5));
            p.drawLine(QPointF(5.5, 5.5), QPointF(2.5, 5.5));
        } else {
            p.drawLine(QPointF(5.8, 5.8), QPointF(2, 2));
            p.drawLine(QPointF(2, 2), QPointF(2, 5));
            p.drawLine(QPointF(2, 2), QPointF(5, 2));
        }
        p.restore();
    }
    p.restore();
    Text(p, QRectF(21 + d, d, 31, 20), maximise ? QStringLiteral("Max") : QStringLiteral("Min"), 11.5,
         ink, true, Qt::AlignCenter, st != BtnState::Disabled);
}

void ExitButton(QPainter &p, bool down)
{
    const QRectF r(0.5, 0.5, 50, 17);
    ChromeButton(p, r, down ? BtnState::Down : BtnState::Up, QColor(0xff, 0x93, 0x4a),
                 QColor(0xd8, 0x40, 0x26), QColor(0x84, 0x1c, 0x0c));
    const double d = down ? 1 : 0;
    // Door with an arrow.
    p.save();
    p.translate(d, d);
    p.setPen(QPen(col::White, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6, 4, 6.5, 10));
    p.drawLine(QPointF(10, 9), QPointF(17, 9));
    p.drawLine(QPointF(17, 9), QPointF(14.5, 6.5));
    p.drawLine(QPointF(17, 9), QPointF(14.5, 11.5));
    p.restore();
    Text(p, QRectF(18 + d, d, 32, 18), QStringLiteral("Exit"), 11.5, col::White, true,
         Qt::AlignCenter, true);
}

void WebArrowButton(QPainter &p, bool left, bool down)
{
    const QPointF c(16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    if (!down)
        p.drawEllipse(c + QPointF(0.8, 1.2), 14.5, 14.5);
    const QPointF cc = c + (down ? QPointF(0.6, 0.8) : QPointF());
    QRadialGradient g(cc + QPointF(-5, -6), 20);
    if (down) {
        g.setColorAt(0, col::GoldDeep);
        g.setColorAt(1, QColor(0xc2, 0x72, 0x08));
    } else {
        g.setColorAt(0, QColor(0xff, 0xf0, 0xb8));
        g.setColorAt(0.5, col::Gold);
        g.setColorAt(1, col::GoldDeep);
    }
    p.setPen(QPen(QColor(0x8a, 0x52, 0x00), 1.2));
    p.setBrush(g);
    p.drawEllipse(cc, 14, 14);
    TurnArrow(p, cc + QPointF(0, 1), 7.2, left, col::Navy, 2.6);
}

// =====================================================================================
// Partner logos under the magnifier (88 x 66, rounded, transparent corners)
// =====================================================================================

const QRectF kLogo(0.5, 0.5, 87, 65);

void LogoCard(QPainter &p, const QColor &top, const QColor &bottom, const QColor &border)
{
    RoundPanel(p, kLogo, 14, top, bottom, border, 1.5);
}

void LogoQuorvex(QPainter &p)
{
    LogoCard(p, QColor(0x2a, 0x5e, 0xc4), col::Navy, col::Gold);
    // A bold Q with a swoosh tail.
    p.setPen(QPen(col::Gold, 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(44, 25), 13, 13);
    QPainterPath tail(QPointF(49, 31));
    tail.quadTo(QPointF(56, 40), QPointF(66, 37));
    p.setPen(QPen(col::Orange, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tail);
    Text(p, QRectF(0, 42, 88, 18), QStringLiteral("Quorvex"), 15, col::White, true, Qt::AlignCenter, true);
}

void LogoOrtex(QPainter &p)
{
    LogoCard(p, QColor(0x3c, 0xc0, 0xa8), QColor(0x12, 0x7a, 0x6e), QColor(0x0a, 0x4c, 0x44));
    // An O with an orbiting dot.
    p.setPen(QPen(col::White, 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(44, 25), 12, 12);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.drawEllipse(QRectF(22, 18, 44, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(col::Gold);
    p.drawEllipse(QPointF(63, 22), 3.5, 3.5);
    Text(p, QRectF(0, 39, 88, 16), QStringLiteral("Ortex"), 15, col::White, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, 52, 88, 11), QStringLiteral("software"), 8.5, QColor(0xd8, 0xff, 0xf4), true);
}

void LogoLanternet(QPainter &p)
{
    LogoCard(p, QColor(0x5a, 0x3f, 0xa8), QColor(0x2c, 0x1c, 0x66), QColor(0x1c, 0x10, 0x44));
    // Lantern with a warm glow.
    QRadialGradient g(QPointF(44, 24), 20);
    g.setColorAt(0, QColor(0xff, 0xe6, 0x8c, 220));
    g.setColorAt(1, QColor(0xff, 0xc9, 0x3c, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(44, 24), 20, 20);
    p.setPen(QPen(QColor(0x2a, 0x1a, 0x08), 1.2));
    p.setBrush(QColor(0xff, 0xd8, 0x5e));
    p.drawRoundedRect(QRectF(37, 15, 14, 18), 5, 5);
    p.setBrush(QColor(0x3a, 0x2a, 0x50));
    p.drawRect(QRectF(36, 12, 16, 3.5));
    p.drawRect(QRectF(37, 33, 14, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(39, 5, 10, 10), 0, 180 * 16);
    Text(p, QRectF(0, 38, 88, 16), QStringLiteral("Lanternet"), 13.5, col::White, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, 52, 88, 11), QStringLiteral("internet for everyone"), 7.5, QColor(0xd8, 0xcc, 0xff), true);
}

void LogoHarbourhost(QPainter &p)
{
    LogoCard(p, QColor(0x5c, 0xb8, 0xf0), QColor(0x1c, 0x6c, 0xb8), QColor(0x0c, 0x3c, 0x74));
    // Anchor over waves.
    p.setPen(QPen(col::White, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(44, 8.5), 2.8, 2.8);
    p.drawLine(QPointF(44, 11.5), QPointF(44, 32));
    p.drawLine(QPointF(38, 16), QPointF(50, 16));
    p.drawArc(QRectF(34, 18, 20, 15), 200 * 16, 140 * 16);
    p.setPen(QPen(QColor(0xff, 0xe0, 0x8a), 1.8, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wave(QPointF(14, 37));
    for (int i = 0; i < 6; ++i)
        wave.quadTo(QPointF(14 + i * 10 + 5, 33 + (i % 2) * 8), QPointF(14 + (i + 1) * 10, 37));
    p.drawPath(wave);
    Text(p, QRectF(0, 39, 88, 16), QStringLiteral("Harbourhost"), 13, col::White, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, 52, 88, 11), QStringLiteral("web hosting"), 8, QColor(0xdc, 0xf0, 0xff), true);
}

void LogoPixelOrchard(QPainter &p)
{
    LogoCard(p, QColor(0xff, 0xfa, 0xea), QColor(0xf4, 0xe6, 0xc4), QColor(0xb8, 0x8a, 0x3c));
    // An apple made of pixels.
    static const char *apple[] = {
        "....g...",
        "...gg...",
        ".rr.rrr.",
        "rrrrrrrr",
        "rrrrrrrr",
        "rrrrrrrr",
        ".rrrrrr.",
        "..rr.rr.",
    };
    const double px = 3.6;
    const QPointF o(44 - 4 * px, 4);
    p.setPen(Qt::NoPen);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const char c = apple[y][x];
            if (c == '.')
                continue;
            QColor cc = c == 'g' ? QColor(0x3f, 0xa3, 0x4d) : QColor(0xe0, 0x3c, 0x3c);
            if (c == 'r' && x < 3 && y < 5)
                cc = QColor(0xf4, 0x6a, 0x5a);
            p.setBrush(cc);
            p.drawRect(QRectF(o.x() + x * px, o.y() + y * px, px - 0.4, px - 0.4));
        }
    Text(p, QRectF(0, 34, 88, 16), QStringLiteral("Pixel Orchard"), 12.5, QColor(0x6a, 0x3c, 0x10), true);
    Text(p, QRectF(0, 49, 88, 12), QStringLiteral("design studio"), 8.5, QColor(0xa0, 0x6a, 0x2a), true);
}

void LogoMaplebrook(QPainter &p)
{
    LogoCard(p, QColor(0x6c, 0xc0, 0x5c), QColor(0x2a, 0x80, 0x34), QColor(0x14, 0x4c, 0x1c));
    // A maple leaf.
    p.save();
    p.translate(44, 21);
    QPainterPath leaf;
    const double pts[][2] = {{0, -15}, {3, -8}, {8, -10}, {6, -3}, {13, -4}, {9, 1}, {11, 4},
                             {3, 3},   {1, 10}, {-1, 10}, {-3, 3}, {-11, 4}, {-9, 1}, {-13, -4},
                             {-6, -3}, {-8, -10}, {-3, -8}};
    leaf.moveTo(pts[0][0], pts[0][1]);
    for (const auto &pt : pts)
        leaf.lineTo(pt[0], pt[1]);
    leaf.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x2c, 0x00), 1));
    p.setBrush(QColor(0xff, 0x8a, 0x1b));
    p.drawPath(leaf);
    p.setPen(QPen(QColor(0x8a, 0x2c, 0x00), 1.4));
    p.drawLine(QPointF(0, 10), QPointF(0, 15));
    p.restore();
    Text(p, QRectF(0, 38, 88, 16), QStringLiteral("Maplebrook"), 13.5, col::White, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, 52, 88, 11), QStringLiteral("School"), 8.5, QColor(0xe4, 0xff, 0xd8), true);
}

void LogoKettlewick(QPainter &p)
{
    LogoCard(p, QColor(0xd8, 0x94, 0x5a), QColor(0x8a, 0x4c, 0x24), QColor(0x54, 0x2a, 0x10));
    // An open book.
    p.setPen(QPen(QColor(0x54, 0x2a, 0x10), 1.2));
    p.setBrush(col::Cream);
    QPainterPath l(QPointF(44, 14));
    l.quadTo(QPointF(34, 9), QPointF(24, 11));
    l.lineTo(24, 32);
    l.quadTo(QPointF(34, 30), QPointF(44, 35));
    l.closeSubpath();
    QPainterPath r(QPointF(44, 14));
    r.quadTo(QPointF(54, 9), QPointF(64, 11));
    r.lineTo(64, 32);
    r.quadTo(QPointF(54, 30), QPointF(44, 35));
    r.closeSubpath();
    p.drawPath(l);
    p.drawPath(r);
    p.setPen(QPen(QColor(0xb0, 0x8a, 0x6a), 1));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(28, 17 + i * 4.5), QPointF(40, 18.5 + i * 4.5));
        p.drawLine(QPointF(48, 18.5 + i * 4.5), QPointF(60, 17 + i * 4.5));
    }
    Text(p, QRectF(0, 38, 88, 16), QStringLiteral("Kettlewick"), 13.5, col::White, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, 52, 88, 11), QStringLiteral("Library"), 8.5, QColor(0xff, 0xe8, 0xd0), true);
}

void LogoYourPage(QPainter &p)
{
    LogoCard(p, col::White, QColor(0xff, 0xf0, 0xc4), col::GoldDeep);
    PageSheet(p, QRectF(10, 6, 26, 38));
    // Globe.
    p.setPen(QPen(col::Navy, 1.0));
    p.setBrush(QColor(0x8c, 0xc4, 0xff));
    p.drawEllipse(QPointF(60, 24), 15, 15);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(53, 9, 14, 30));
    p.drawLine(QPointF(45, 24), QPointF(75, 24));
    p.drawArc(QRectF(47, 12, 26, 8), 0, 180 * 16);
    p.drawArc(QRectF(47, 28, 26, 8), 180 * 16, 180 * 16);
    Sparkle(p, QPointF(76, 9), 4, col::GoldDeep);
    Text(p, QRectF(0, 45, 88, 17), QStringLiteral("Your Page"), 14, col::Blue, true);
}

// =====================================================================================
// Splash, About, fireworks, preview
// =====================================================================================

void NightSky(QPainter &p, const QRectF &r, std::uint32_t seed, int stars)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0x10, 0x22, 0x58));
    g.setColorAt(1, QColor(0x2c, 0x5e, 0xbc));
    p.fillRect(r, g);
    Rng rng(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < stars; ++i) {
        const QPointF s(rng.range(r.left(), r.right()), rng.range(r.top(), r.top() + r.height() * 0.8));
        const double rad = rng.range(0.4, 1.3);
        p.setBrush(QColor(255, 255, 255, int(rng.range(90, 230))));
        p.drawEllipse(s, rad, rad);
    }
}

void SplashPicture(QPainter &p)
{
    const QRectF r(0, 0, 200, 200);
    NightSky(p, r, 515, 40);
    Web(p, QPointF(0, 0), 120, 5, 12, 8, QColor(255, 255, 255, 120), 1.0, true);
    Web(p, QPointF(200, 0), 60, 0, 10, 5, QColor(255, 255, 255, 70), 0.9);
    {
        QRadialGradient g(QPointF(100, 86), 70);
        g.setColorAt(0, QColor(0xff, 0xe6, 0xa0, 90));
        g.setColorAt(1, QColor(0xff, 0xe6, 0xa0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QPointF(100, 86), 70, 70);
    }
    SpiderPose pose;
    pose.waving = true;
    pose.hanging = true;
    Spider(p, QRectF(42, 24, 116, 106), pose);
    Text(p, QRectF(0, 130, 200, 34), QStringLiteral("Wobbin"), 31, col::Gold, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, 160, 200, 28), QStringLiteral("Express"), 23, col::White, true, Qt::AlignCenter, true);
    Sparkle(p, QPointF(30, 150), 5, col::Gold);
    Sparkle(p, QPointF(172, 142), 4, col::White);
}

void SplashBack(QPainter &p)
{
    const QRectF r(0, 0, 464, 283);
    p.fillRect(r, VGrad(r, QColor(0x2c, 0x62, 0xc8), QColor(0x10, 0x2a, 0x66)));
    Web(p, QPointF(464, 0), 150, 0, 14, 8, QColor(255, 255, 255, 32), 1.0);
    Web(p, QPointF(0, 283), 110, 8, 12, 6, QColor(255, 255, 255, 26), 1.0);
    // Frame round the picture at (31, 31).
    Glow(p, QRectF(31, 31, 200, 200), col::Gold, 6);
    RoundPanel(p, QRectF(24, 24, 214, 214), 12, col::Gold, col::GoldDeep, QColor(0x8a, 0x52, 0x00), 1.2);
    p.fillRect(QRectF(31, 31, 200, 200), col::Navy);
    // Cream panel for the texts on the right.
    RoundPanel(p, QRectF(252, 24, 192, 214), 12, col::Cream, QColor(0xf6, 0xe6, 0xbc),
               QColor(0xc8, 0x9a, 0x3c), 1.2);
    Web(p, QPointF(444, 24), 36, 0, 8, 4, QColor(0xc8, 0x9a, 0x3c, 90), 0.8);
    // A gold rule along the bottom.
    p.fillRect(QRectF(24, 252, 420, 3), col::Gold);
    Text(p, QRectF(24, 257, 420, 20), QStringLiteral("build it  \u2022  view it  \u2022  send it to the net"),
         11, QColor(0xdc, 0xe8, 0xff), true);
}

void AboutPicture(QPainter &p)
{
    const QRectF r(0, 0, 366, 139);
    p.fillRect(r, col::Silver);
    RoundPanel(p, r, 12, QColor(0x2c, 0x62, 0xc8), QColor(0x10, 0x2a, 0x66), col::Navy, 1.2);
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(r.adjusted(1, 1, -1, -1), 11, 11);
    p.setClipPath(clip);
    Web(p, QPointF(0, 0), 150, 3, 14, 9, QColor(255, 255, 255, 60), 1.0, true);
    Web(p, QPointF(366, 139), 70, 0, 10, 5, QColor(255, 255, 255, 30), 1.0);
    SpiderPose pose;
    pose.waving = true;
    pose.hanging = true;
    Spider(p, QRectF(18, 22, 118, 108), pose);
    Text(p, QRectF(140, 18, 220, 40), QStringLiteral("Wobbin Express"),
         FitText(QStringLiteral("Wobbin Express"), 30, 216), col::Gold, true,
         Qt::AlignLeft | Qt::AlignVCenter, true);
    Text(p, QRectF(142, 58, 220, 18), QStringLiteral("Your own web page, block by block."), 12,
         col::White, true, Qt::AlignLeft | Qt::AlignVCenter, true);
    // Three steps.
    const QString steps[3] = {QStringLiteral("build"), QStringLiteral("view"), QStringLiteral("send")};
    for (int i = 0; i < 3; ++i) {
        const QRectF b(144 + i * 70, 88, 62, 24);
        RoundPanel(p, b, 9, col::Gold, col::GoldDeep, QColor(0x8a, 0x52, 0x00));
        TabIcon(p, QRectF(b.left() + 4, b.top() + 3, 18, 18), i + 1, col::Navy, col::White);
        Text(p, QRectF(b.left() + 22, b.top(), 38, 24), steps[i], 12, col::Navy, true);
    }
    Text(p, QRectF(142, 116, 220, 16), QStringLiteral("a Quorvex program"), 10, QColor(0xbf, 0xd6, 0xff),
         true, Qt::AlignLeft | Qt::AlignVCenter, false, true);
    p.restore();
}

void Burst(QPainter &p, QPointF c, double radius, const QColor &colour, double fade, int rays,
           double droop, std::uint32_t seed)
{
    Rng rng(seed);
    p.save();
    for (int i = 0; i < rays; ++i) {
        const double a = 2 * M_PI * i / rays + rng.range(-0.08, 0.08);
        const double rr = radius * rng.range(0.82, 1.0);
        const QPointF d(std::cos(a), std::sin(a));
        const QPointF end = c + d * rr + QPointF(0, droop * (rr / std::max(1.0, radius)));
        QColor cc = Mix(colour, col::White, rng.range(0, 0.35));
        cc.setAlphaF(std::clamp(fade, 0.0, 1.0));
        QLinearGradient g(c + d * rr * 0.35, end);
        QColor tail = cc;
        tail.setAlpha(0);
        g.setColorAt(0, tail);
        g.setColorAt(1, cc);
        p.setPen(QPen(QBrush(g), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + d * rr * 0.35, end);
        p.setPen(Qt::NoPen);
        QColor head = Mix(cc, col::White, 0.5);
        head.setAlphaF(std::clamp(fade, 0.0, 1.0));
        p.setBrush(head);
        p.drawEllipse(end, 1.6, 1.6);
    }
    p.restore();
}

void Rocket(QPainter &p, QPointF from, QPointF at, const QColor &colour)
{
    QLinearGradient g(from, at);
    QColor t = colour;
    t.setAlpha(0);
    g.setColorAt(0, t);
    g.setColorAt(1, colour);
    p.setPen(QPen(QBrush(g), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, at);
    Sparkle(p, at, 4, col::White);
}

void Firework(QPainter &p, int frame)
{
    const QRectF r(0, 0, 160, 160);
    NightSky(p, r, 900, 30);
    // Town silhouette.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0a, 0x14, 0x34));
    QPainterPath town(QPointF(0, 160));
    const double roofs[][2] = {{0, 146}, {14, 146}, {14, 138}, {26, 138}, {26, 148}, {40, 148},
                               {40, 132}, {48, 126}, {56, 132}, {56, 144}, {74, 144}, {74, 140},
                               {92, 140}, {92, 134}, {104, 134}, {104, 146}, {120, 146}, {120, 136},
                               {132, 128}, {144, 136}, {144, 148}, {160, 148}};
    for (const auto &pt : roofs)
        town.lineTo(pt[0], pt[1]);
    town.lineTo(160, 160);
    town.closeSubpath();
    p.drawPath(town);
    p.setBrush(QColor(0xff, 0xd8, 0x6a, 200));
    for (const auto &w : {QPointF(17, 141), QPointF(44, 136), QPointF(96, 138), QPointF(136, 138)})
        p.drawRect(QRectF(w, QSizeF(3, 3)));

    // Windy Pip watches from a roof, waving now and then.
    Spider(p, QRectF(100, 124, 24, 22), SpiderPose{false, 0, frame % 4 >= 2, false});

    const QColor gold(0xff, 0xc9, 0x3c), pink(0xff, 0x5c, 0x9a), cyan(0x5c, 0xe0, 0xff),
        green(0x7c, 0xf0, 0x6a);
    const QPointF b1(78, 52), b2(116, 74), b3(40, 70);
    switch (frame) {
    case 1: Rocket(p, QPointF(78, 150), QPointF(78, 120), gold); break;
    case 2: Rocket(p, QPointF(78, 140), QPointF(78, 88), gold); break;
    case 3: Rocket(p, QPointF(78, 110), QPointF(78, 56), gold); break;
    default: break;
    }
    if (frame >= 4 && frame <= 9) {
        const double t = frame - 4;  // 0..5
        const double radius = 12 + 40 * (1 - std::pow(0.62, t + 1));
        Burst(p, b1, radius, gold, 1.0 - std::max(0.0, t - 2) * 0.3, 28, t * 2.4, 11);
        if (t < 2)
            Burst(p, b1, radius * 0.55, pink, 1.0, 16, 0, 12);
    }
    if (frame >= 5 && frame <= 6)
        Rocket(p, QPointF(116, 150), QPointF(116, frame == 5 ? 118 : 84), pink);
    if (frame >= 7 && frame <= 11) {
        const double t = frame - 7;
        const double radius = 10 + 32 * (1 - std::pow(0.6, t + 1));
        Burst(p, b2, radius, pink, 1.0 - std::max(0.0, t - 2) * 0.35, 24, t * 2.2, 21);
        Burst(p, b2, radius * 0.6, cyan, 1.0 - t * 0.2, 14, t * 1.5, 22);
    }
    if (frame >= 8 && frame <= 9)
        Rocket(p, QPointF(40, 150), QPointF(40, frame == 8 ? 116 : 80), green);
    if (frame >= 10) {
        const double t = frame - 10;
        Burst(p, b3, 16 + t * 12, green, 1.0, 20, t * 2.0, 31);
        Burst(p, b3, 8 + t * 7, gold, 1.0, 12, 0, 32);
    }
    // Falling glitter from the first burst.
    if (frame >= 8) {
        Rng rng(41);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 22; ++i) {
            const double x = b1.x() + rng.range(-44, 44);
            const double y = b1.y() + rng.range(-10, 30) + (frame - 8) * 7;
            QColor c = gold;
            c.setAlpha(int(200 - (frame - 8) * 45));
            p.setBrush(c);
            p.drawEllipse(QPointF(x, y), 0.9, 0.9);
        }
    }
}

void PreviewPicture(QPainter &p)
{
    const QRectF r(0, 0, 83, 98);
    p.fillRect(r, VGrad(r, QColor(0xe4, 0xf1, 0xff), QColor(0xb6, 0xd4, 0xfb)));
    Web(p, QPointF(83, 0), 62, 0, 10, 6, QColor(0x5a, 0x80, 0xc8, 110), 0.9, true);
    SpiderPose pose;
    pose.waving = true;
    pose.hanging = true;
    Spider(p, QRectF(5, 34, 70, 62), pose);
    // Speech bubble.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(3, 4, 36, 22), 9, 9);
    QPainterPath tail(QPointF(22, 24));
    tail.lineTo(32, 34);
    tail.lineTo(30, 23);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(col::Blue, 1.2));
    p.setBrush(col::White);
    p.drawPath(bubble);
    Text(p, QRectF(3, 4, 36, 22), QStringLiteral("Hi!"), 14, col::Blue, true);
    p.setPen(QPen(col::BlueLight, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

// =====================================================================================
// Icons, cursors, the page footer button
// =====================================================================================

void IconTemplate(QPainter &p)
{
    PageSheet(p, QRectF(5, 2, 19, 27));
    // Blue ribbon with a star: "ready-made".
    p.setPen(QPen(col::Navy, 0.8));
    p.setBrush(col::BlueLight);
    QPainterPath ribbon(QPointF(19, 20));
    ribbon.lineTo(19, 31);
    ribbon.lineTo(22.5, 28.5);
    ribbon.lineTo(26, 31);
    ribbon.lineTo(26, 20);
    ribbon.closeSubpath();
    p.drawPath(ribbon);
    p.setBrush(col::Gold);
    p.setPen(QPen(QColor(0x8a, 0x52, 0x00), 0.8));
    p.drawEllipse(QPointF(22.5, 19.5), 6.5, 6.5);
    Sparkle(p, QPointF(22.5, 19.5), 4.2, col::White);
}

void IconPage(QPainter &p)
{
    PageSheet(p, QRectF(4, 2, 19, 27));
    p.save();
    p.translate(22, 18);
    p.rotate(40);
    p.setPen(QPen(col::Ink, 0.8));
    p.setBrush(col::Orange);
    p.drawRect(QRectF(-2.6, -11, 5.2, 14));
    p.setBrush(QColor(0xff, 0x9f, 0xb0));
    p.drawRect(QRectF(-2.6, -14, 5.2, 3));
    QPainterPath tip(QPointF(-2.6, 3));
    tip.lineTo(0, 8);
    tip.lineTo(2.6, 3);
    tip.closeSubpath();
    p.setBrush(col::Cream);
    p.drawPath(tip);
    p.restore();
}

void IconImgFile(QPainter &p)
{
    PictureIcon(p, QRectF(1, 1, 17, 17));
    // Small "open" folder tab at the corner.
    p.setPen(QPen(QColor(0x8a, 0x52, 0x00), 0.8));
    p.setBrush(col::Gold);
    QPainterPath f(QPointF(11, 21));
    f.lineTo(11, 14);
    f.lineTo(14, 14);
    f.lineTo(15, 15.2);
    f.lineTo(21, 15.2);
    f.lineTo(21, 21);
    f.closeSubpath();
    p.drawPath(f);
    p.setPen(QPen(col::Navy, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawPoint(QPointF(13.5 + i * 2.5, 18.5));
}

void IconApp(QPainter &p)
{
    // The desktop's application icon, drawn at this size.
    AppIcon(p, 64);
}

QPainterPath RoundedRectPath(const QRectF &r, double rad)
{
    QPainterPath path;
    path.addRoundedRect(r, rad, rad);
    return path;
}

QPainterPath Rotated(const QPainterPath &path, QPointF about, double deg)
{
    QTransform t;
    t.translate(about.x(), about.y());
    t.rotate(deg);
    t.translate(-about.x(), -about.y());
    return t.map(path);
}

void DrawHand(QPainter &p, const QPainterPath &hand, const QRectF &cuff)
{
    p.setPen(QPen(col::Ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(col::White);
    p.drawPath(hand.simplified());
    if (!cuff.isEmpty()) {
        p.setBrush(col::BlueLight);
        p.drawRoundedRect(cuff, 1.5, 1.5);
    }
}

void CursorPointingHand(QPainter &p)
{
    QPainterPath hand = RoundedRectPath(QRectF(8, 1, 5.6, 17), 2.8);
    hand = hand.united(RoundedRectPath(QRectF(7.5, 12, 17, 13.5), 4.5));
    hand = hand.united(RoundedRectPath(QRectF(13.2, 9.8, 5, 8), 2.5));
    hand = hand.united(RoundedRectPath(QRectF(17.6, 10.6, 4.8, 8), 2.4));
    hand = hand.united(RoundedRectPath(QRectF(21.2, 12.2, 4.3, 7.5), 2.1));
    hand = hand.united(Rotated(RoundedRectPath(QRectF(2.2, 15.5, 8.5, 4.8), 2.4), QPointF(9, 18), 38));
    DrawHand(p, hand, QRectF(10, 25.5, 13.5, 5));
    p.setPen(QPen(col::Ink, 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13.3, 14), QPointF(13.3, 17));
    p.drawLine(QPointF(17.8, 14), QPointF(17.8, 17.5));
    p.drawLine(QPointF(21.6, 15), QPointF(21.6, 18));
}

void CursorOpenHand(QPainter &p)
{
    QPainterPath hand = RoundedRectPath(QRectF(8.5, 13, 16, 13), 5);
    const double fx[4] = {8.6, 12.6, 16.6, 20.6};
    const double fy[4] = {6, 3.5, 4.5, 7.5};
    const double rot[4] = {-8, -3, 3, 9};
    for (int i = 0; i < 4; ++i)
        hand = hand.united(Rotated(RoundedRectPath(QRectF(fx[i], fy[i], 4, 14), 2), QPointF(fx[i] + 2, 18), rot[i]));
    hand = hand.united(Rotated(RoundedRectPath(QRectF(2.5, 15, 9, 4.6), 2.3), QPointF(10, 18), 32));
    DrawHand(p, hand, QRectF(10.5, 26, 12, 4.5));
}

void CursorClosedHand(QPainter &p)
{
    QPainterPath hand = RoundedRectPath(QRectF(7.5, 11.5, 17.5, 14.5), 5.5);
    for (int i = 0; i < 4; ++i)
        hand = hand.united(RoundedRectPath(QRectF(8.2 + i * 4.1, 9, 4.3, 7), 2.1));
    DrawHand(p, hand, QRectF(10.5, 26, 12, 4.5));
    p.setPen(QPen(col::Ink, 0.9, Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(8.2 + i * 4.1, 10.5), QPointF(8.2 + i * 4.1, 13.5));
    // Thumb across the fingers.
    p.setPen(QPen(col::Ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(col::White);
    p.drawRoundedRect(QRectF(6, 15.5, 11, 5), 2.5, 2.5);
}

void FooterButton(QPainter &p)
{
    const QRectF r(0, 0, 88, 31);
    p.fillRect(r, col::White);
    RoundPanel(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 5, QColor(0x2d, 0x62, 0xc8), col::Navy, col::Gold, 1.4);
    Spider(p, QRectF(3, 2, 24, 22), SpiderPose{});
    Text(p, QRectF(26, 2, 60, 13), QStringLiteral("made with"), 9.5, QColor(0xdc, 0xe8, 0xff), true);
    Text(p, QRectF(2, 15, 84, 14), QStringLiteral("Wobbin Express"), FitText(QStringLiteral("Wobbin Express"), 11.5, 82),
         col::Gold, true, Qt::AlignCenter, true);
}


// =====================================================================================
// Extras for the dialogs: the congratulation's first picture, the About box's
// hidden picture, the wizards' side pictures and small arrow glyphs.
// =====================================================================================

void JoyPicture(QPainter &p)
{
    const QRectF r(0, 0, 160, 160);
    NightSky(p, r, 4242, 34);
    Burst(p, QPointF(38, 40), 26, QColor(0xff, 0x5c, 0x9a), 0.9, 20, 2, 51);
    Burst(p, QPointF(124, 34), 22, QColor(0x5c, 0xe0, 0xff), 0.9, 18, 2, 52);
    {
        QRadialGradient g(QPointF(80, 96), 60);
        g.setColorAt(0, QColor(0xff, 0xe6, 0xa0, 110));
        g.setColorAt(1, QColor(0xff, 0xe6, 0xa0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QPointF(80, 96), 60, 60);
    }
    SpiderPose pose;
    pose.waving = true;
    Spider(p, QRectF(34, 62, 92, 84), pose);
    Text(p, QRectF(0, 4, 160, 30), QStringLiteral("Hooray!"), 24, col::Gold, true, Qt::AlignCenter, true);
    Sparkle(p, QPointF(18, 110), 5, col::Gold);
    Sparkle(p, QPointF(142, 100), 4, col::White);
    Sparkle(p, QPointF(132, 140), 3, col::Gold);
}

void AboutSecret(QPainter &p)
{
    const QRectF r(0, 0, 366, 139);
    p.fillRect(r, col::Silver);
    RoundPanel(p, r, 12, QColor(0xff, 0xe7, 0x9a), QColor(0xff, 0xb8, 0x4a), col::GoldDeep, 1.2);
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(r.adjusted(1, 1, -1, -1), 11, 11);
    p.setClipPath(clip);
    Web(p, QPointF(183, 70), 190, 0, 20, 12, QColor(255, 255, 255, 110), 1.0, true);
    p.restore();
    SpiderPose pose;
    pose.waving = true;
    Spider(p, QRectF(14, 30, 110, 100), pose);
    // Hearts.
    auto heart = [&](QPointF c, double s) {
        QPainterPath h(c + QPointF(0, s * 0.9));
        h.cubicTo(c + QPointF(-s * 1.4, -s * 0.1), c + QPointF(-s * 0.6, -s * 1.1), c + QPointF(0, -s * 0.35));
        h.cubicTo(c + QPointF(s * 0.6, -s * 1.1), c + QPointF(s * 1.4, -s * 0.1), c + QPointF(0, s * 0.9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe8, 0x3c, 0x6a));
        p.drawPath(h);
    };
    heart(QPointF(116, 30), 7);
    heart(QPointF(132, 16), 4.5);
    heart(QPointF(22, 24), 5);
    Text(p, QRectF(130, 30, 226, 30), QStringLiteral("You found Windy\u2019s secret web!"),
         FitText(QStringLiteral("You found Windy\u2019s secret web!"), 18, 224), col::Navy, true,
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRectF(130, 62, 226, 40),
         QStringLiteral("Pip spins a thread for everyone\nwho builds a page. Thank you!"), 12,
         QColor(0x5a, 0x2a, 0x0a), true, Qt::AlignLeft | Qt::AlignVCenter);
    Sparkle(p, QPointF(344, 112), 6, col::White);
    Sparkle(p, QPointF(320, 122), 3.5, col::White);
}

void WizardSide(QPainter &p, const QSizeF &size, bool server)
{
    const QRectF r(QPointF(0, 0), size);
    p.fillRect(r, VGrad(r, QColor(0x2c, 0x62, 0xc8), QColor(0x10, 0x2a, 0x66)));
    Web(p, QPointF(r.width(), 0), r.width() * 0.9, 0, 12, 7, QColor(255, 255, 255, 50), 1.0, true);
    const double cx = r.width() / 2;
    if (server) {
        // A server tower and the globe it serves.
        const QRectF tower(cx - 30, 40, 44, 86);
        RoundPanel(p, tower, 6, QColor(0xe4, 0xea, 0xf6), QColor(0x9c, 0xab, 0xc8), col::Navy, 1.2);
        for (int i = 0; i < 4; ++i) {
            const QRectF bay(tower.left() + 6, tower.top() + 8 + i * 18, tower.width() - 12, 12);
            RoundPanel(p, bay, 2.5, QColor(0x3b, 0x46, 0x6e), QColor(0x1e, 0x25, 0x40));
            p.setPen(Qt::NoPen);
            p.setBrush(i % 2 ? QColor(0x4c, 0xd9, 0x64) : col::Gold);
            p.drawEllipse(QPointF(bay.right() - 5, bay.center().y()), 2, 2);
        }
        p.setPen(QPen(col::Navy, 1.0));
        p.setBrush(QColor(0x8c, 0xc4, 0xff));
        const QPointF g(cx + 26, 128);
        p.drawEllipse(g, 20, 20);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(g.x() - 9, g.y() - 20, 18, 40));
        p.drawLine(g + QPointF(-20, 0), g + QPointF(20, 0));
        p.drawArc(QRectF(g.x() - 18, g.y() - 15, 36, 10), 0, 180 * 16);
        p.drawArc(QRectF(g.x() - 18, g.y() + 5, 36, 10), 180 * 16, 180 * 16);
        p.setPen(QPen(col::Gold, 2, Qt::DashLine, Qt::RoundCap));
        p.drawLine(QPointF(tower.right(), 70), g + QPointF(-8, -18));
    } else {
        // An artist's palette with the style colours and a brush.
        QPainterPath pal;
        pal.addEllipse(QRectF(cx - 50, 48, 100, 76));
        QPainterPath hole;
        hole.addEllipse(QRectF(cx + 16, 96, 16, 13));
        pal = pal.subtracted(hole);
        p.setPen(QPen(QColor(0x6a, 0x3c, 0x10), 1.4));
        p.setBrush(QColor(0xf0, 0xc8, 0x8a));
        p.drawPath(pal);
        const QColor blobs[5] = {KindColour(Kind::Email), KindColour(Kind::Heading), col::Gold,
                                 KindColour(Kind::Para), KindColour(Kind::Link)};
        const QPointF at[5] = {{cx - 32, 84}, {cx - 20, 64}, {cx + 2, 58}, {cx + 24, 66}, {cx - 14, 104}};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 5; ++i) {
            p.setBrush(blobs[i]);
            p.drawEllipse(at[i], 8, 7);
        }
        p.save();
        p.translate(cx + 30, 112);
        p.rotate(-35);
        p.setPen(QPen(col::Ink, 1));
        p.setBrush(QColor(0x8a, 0x52, 0x20));
        p.drawRoundedRect(QRectF(-3, -4, 6, 44), 3, 3);
        p.setBrush(QColor(0xc8, 0xcc, 0xd6));
        p.drawRect(QRectF(-3.5, -12, 7, 9));
        p.setBrush(KindColour(Kind::Image));
        QPainterPath tip(QPointF(-3.5, -12));
        tip.quadTo(QPointF(-4, -22), QPointF(0, -26));
        tip.quadTo(QPointF(4, -22), QPointF(3.5, -12));
        tip.closeSubpath();
        p.drawPath(tip);
        p.restore();
    }
    SpiderPose pose;
    pose.waving = true;
    pose.hanging = false;
    Spider(p, QRectF(cx - 34, size.height() - 96, 68, 62), pose);
    Text(p, QRectF(0, 8, r.width(), 26), server ? QStringLiteral("Web Servers") : QStringLiteral("Styles"),
         FitText(server ? QStringLiteral("Web Servers") : QStringLiteral("Styles"), 19, r.width() - 10),
         col::Gold, true, Qt::AlignCenter, true);
    Text(p, QRectF(0, size.height() - 30, r.width(), 22),
         server ? QStringLiteral("where your page lives") : QStringLiteral("colours for your page"),
         FitText(server ? QStringLiteral("where your page lives") : QStringLiteral("colours for your page"),
                 11, r.width() - 10),
         QColor(0xdc, 0xe8, 0xff), true, Qt::AlignCenter);
}

void ArrowGlyph(QPainter &p, bool up)
{
    QPainterPath a;
    if (up) {
        a.moveTo(8, 2.5);
        a.lineTo(14, 10);
        a.lineTo(10.2, 10);
        a.lineTo(10.2, 14);
        a.lineTo(5.8, 14);
        a.lineTo(5.8, 10);
        a.lineTo(2, 10);
    } else {
        a.moveTo(8, 13.5);
        a.lineTo(14, 6);
        a.lineTo(10.2, 6);
        a.lineTo(10.2, 2);
        a.lineTo(5.8, 2);
        a.lineTo(5.8, 6);
        a.lineTo(2, 6);
    }
    a.closeSubpath();
    p.setPen(QPen(col::Navy, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(VGrad(QRectF(0, 2, 16, 12), QColor(0x5a, 0x94, 0xf0), col::Blue));
    p.drawPath(a);
}

// =====================================================================================

Picture Bitmap(const QString &name, int w, int h, bool opaque, std::function<void(QPainter &)> f)
{
    Picture pic;
    pic.name = name;
    pic.size = QSize(w, h);
    pic.opaque = opaque;
    pic.draw = std::move(f);
    return pic;
}

// A picture cut at (x, y) from a scene that covers sceneRect.
Picture Cut(const QString &name, int w, int h, const QRectF &sceneRect, double x, double y,
            std::function<void(QPainter &)> scene)
{
    Picture pic;
    pic.name = name;
    pic.size = QSize(w, h);
    pic.opaque = true;
    pic.scene = std::move(scene);
    pic.sceneRect = sceneRect;
    pic.cutAt = QPointF(x, y);
    return pic;
}

} // namespace

std::vector<Picture> Catalogue()
{
    std::vector<Picture> out;
    auto add = [&](Picture p) { out.push_back(std::move(p)); };

    // Toolbar and highlights.
    add(Cut("Toolbar", 620, 96, QRectF(0, 0, 620, 96), 0, 0, [](QPainter &p) { ToolbarScene(p, false, -1); }));
    add(Cut("QZ4Toolbar", 620, 96, QRectF(0, 0, 620, 96), 0, 0, [](QPainter &p) { ToolbarScene(p, true, -1); }));
    struct Hi { const char *name; int tab; int left; int width; bool companion; };
    const Hi highlights[] = {
        {"Toolbutt1", 0, 0, 146, false},   {"Toolbutt2", 1, 103, 170, false},
        {"Toolbutt3", 2, 230, 170, false}, {"Toolbutt4", 3, 354, 170, false},
        {"Toolbutt5", 4, 481, 140, false}, {"QZ4Toolbutt3", 2, 230, 170, true},
        {"QZ4Toolbutt4", 3, 354, 170, true}, {"QZ4Toolbutt5", 4, 481, 140, true},
    };
    for (const Hi &h : highlights) {
        const int tab = h.tab;
        const bool comp = h.companion;
        add(Cut(h.name, h.width, 96, QRectF(0, 0, 620, 96), h.left, 0,
                [tab, comp](QPainter &p) { ToolbarScene(p, comp, tab); }));
    }

    // Bottom strip.
    add(Bitmap("Logo", 377, 34, false, [](QPainter &p) {
        const QRectF r(0.5, 0.5, 376, 33);
        RoundPanel(p, r, 10, QColor(0x2d, 0x62, 0xc8), col::Navy, col::Navy, 1.0);
        p.save();
        QPainterPath clip;
        clip.addRoundedRect(r, 10, 10);
        p.setClipPath(clip);
        Web(p, QPointF(6, 4), 40, 0, 10, 5, QColor(255, 255, 255, 50), 0.9);
        Web(p, QPointF(377, 34), 36, 0, 10, 4, QColor(255, 255, 255, 40), 0.9);
        p.restore();
        Spider(p, QRectF(6, 3, 32, 29), SpiderPose{});
        Text(p, QRectF(42, 0, 170, 34), QStringLiteral("Wobbin Express"), 21, col::Gold, true,
             Qt::AlignLeft | Qt::AlignVCenter, true);
        Text(p, QRectF(205, 0, 166, 34), QStringLiteral("build it \u2022 view it \u2022 send it"), 11,
             QColor(0xdc, 0xe8, 0xff), true, Qt::AlignRight | Qt::AlignVCenter, false, true);
    }));
    add(Bitmap("Preview", 83, 98, true, PreviewPicture));
    add(Bitmap("Max_Dis", 54, 20, false, [](QPainter &p) { ViewToggle(p, BtnState::Disabled, true); }));
    add(Bitmap("Max_Up", 54, 20, false, [](QPainter &p) { ViewToggle(p, BtnState::Up, true); }));
    add(Bitmap("Max_Dn", 54, 20, false, [](QPainter &p) { ViewToggle(p, BtnState::Down, true); }));
    add(Bitmap("Min_Up", 54, 20, false, [](QPainter &p) { ViewToggle(p, BtnState::Up, false); }));
    add(Bitmap("Min_Dn", 54, 20, false, [](QPainter &p) { ViewToggle(p, BtnState::Down, false); }));
    add(Bitmap("Exit_Up", 51, 18, false, [](QPainter &p) { ExitButton(p, false); }));
    add(Bitmap("Exit_Dn", 51, 18, false, [](QPainter &p) { ExitButton(p, true); }));

    // Send panel.
    add(Cut("Web_Back", 420, 210, QRectF(0, 0, 420, 210), 0, 0, [](QPainter &p) { WebScene(p, 0); }));
    for (int i = 1; i <= 4; ++i) {
        const double angle = i * 45.0 / 5.0;  // a turn is one eighth; four in-between frames
        add(Cut(QStringLiteral("Web_Rotate%1").arg(i), 276, 163, QRectF(0, 0, 420, 210), 72, 0,
                [angle](QPainter &p) { WebScene(p, angle); }));
    }
    add(Bitmap("Web_Page", 71, 93, false, [](QPainter &p) {
        PageSheet(p, QRectF(9, 6, 53, 78));
        p.setPen(QPen(col::White, 1.4));
        p.setBrush(col::Blue);
        p.drawEllipse(QPointF(56, 80), 9.5, 9.5);
        TabIcon(p, QRectF(47.5, 71.5, 17, 17), 3, col::White, col::Gold);
    }));
    add(Bitmap("Web_PageFlash", 71, 93, false, [](QPainter &p) {
        QRadialGradient g(QPointF(35.5, 46), 50);
        g.setColorAt(0, QColor(0xff, 0xe2, 0x7a, 200));
        g.setColorAt(0.7, QColor(0xff, 0xc9, 0x3c, 90));
        g.setColorAt(1, QColor(0xff, 0xc9, 0x3c, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(QRectF(0, 0, 71, 93));
        PageSheet(p, QRectF(9, 6, 53, 78), true);
        p.setPen(QPen(col::White, 1.4));
        p.setBrush(col::Orange);
        p.drawEllipse(QPointF(56, 80), 10, 10);
        TabIcon(p, QRectF(47.5, 71.5, 17, 17), 3, col::White, col::Navy);
        Sparkle(p, QPointF(6, 8), 5, col::White);
        Sparkle(p, QPointF(64, 4), 3.5, col::White);
        Sparkle(p, QPointF(4, 70), 3.5, col::White);
    }));
    {
        // The page flying into the web, smaller at every frame.
        const int sizes[9][2] = {{60, 80}, {52, 69}, {46, 61}, {40, 53}, {34, 45},
                                 {28, 37}, {23, 30}, {18, 24}, {14, 18}};
        for (int i = 0; i < 9; ++i) {
            const int w = sizes[i][0], h = sizes[i][1];
            const double tilt = -6.0 * (i + 1);
            add(Bitmap(QStringLiteral("Web_Upload%1").arg(i + 1), w, h, false, [w, h, tilt, i](QPainter &p) {
                if (i >= 3) {
                    // A faint golden trail.
                    QColor c(0xff, 0xd8, 0x6a, 150 - i * 10);
                    p.setPen(QPen(c, std::max(1.0, w / 20.0), Qt::SolidLine, Qt::RoundCap));
                    p.drawLine(QPointF(w * 0.72, h * 0.3), QPointF(w - 0.5, h * 0.22));
                    p.drawLine(QPointF(w * 0.75, h * 0.6), QPointF(w - 0.5, h * 0.62));
                }
                p.translate(w / 2.0, h / 2.0);
                p.rotate(tilt);
                const double pw = w * 0.72, ph = pw * 78.0 / 53.0;
                const double k = std::min(1.0, (h * 0.86) / ph);
                PageSheet(p, QRectF(-pw * k / 2, -ph * k / 2, pw * k, ph * k), i >= 6);
            }));
        }
    }
    add(Bitmap("Web_LeftUp", 32, 32, false, [](QPainter &p) { WebArrowButton(p, true, false); }));
    add(Bitmap("Web_LeftDn", 32, 32, false, [](QPainter &p) { WebArrowButton(p, true, true); }));
    add(Bitmap("Web_RightUp", 32, 32, false, [](QPainter &p) { WebArrowButton(p, false, false); }));
    add(Bitmap("Web_RightDn", 32, 32, false, [](QPainter &p) { WebArrowButton(p, false, true); }));
    add(Bitmap("Web_Quor", 88, 66, false, LogoQuorvex));
    add(Bitmap("Web_Ortex", 88, 66, false, LogoOrtex));
    add(Bitmap("Web_Partner2", 88, 66, false, LogoLanternet));
    add(Bitmap("Web_Partner3", 88, 66, false, LogoHarbourhost));
    add(Bitmap("Web_Partner4", 88, 66, false, LogoPixelOrchard));
    add(Bitmap("Web_Partner5", 88, 66, false, LogoMaplebrook));
    add(Bitmap("Web_Partner6", 88, 66, false, LogoKettlewick));
    add(Bitmap("Web_Your", 88, 66, false, LogoYourPage));

    // Build panel.
    const QRectF buildRect(-20, 0, 320, 272);
    add(Cut("Page_Back", 300, 272, buildRect, 0, 0, [](QPainter &p) { BuildScene(p, 0); }));
    add(Cut("Page_BuzzBack", 96, 24, buildRect, -10, 248, [](QPainter &p) { BuildScene(p, 0); }));
    for (int f = 1; f <= 8; ++f)
        add(Cut(QStringLiteral("Page_Buzz%1").arg(f), 78, 34, buildRect, 7, 238,
                [f](QPainter &p) { BuildScene(p, f); }));
    const char *kindNames[6] = {"Para", "Link", "Image", "Heading", "Email", "Line"};
    for (int k = 0; k < 6; ++k) {
        const Kind kind = Kind(k);
        add(Bitmap(kindNames[k], 95, 22, false, [kind](QPainter &p) { PaletteBlock(p, kind, false); }));
    }
    for (int k = 0; k < 6; ++k) {
        const Kind kind = Kind(k);
        add(Bitmap(QStringLiteral("%1_H").arg(kindNames[k]), 95, 22, false,
                   [kind](QPainter &p) { PaletteBlock(p, kind, true); }));
    }
    for (int k = 0; k < 6; ++k) {
        const Kind kind = Kind(k);
        add(Bitmap(QStringLiteral("%1_T").arg(kindNames[k]), 83, 16, false,
                   [kind](QPainter &p) { Banner(p, kind); }));
    }

    // Start-up and dialogs.
    add(Bitmap("Splash", 200, 200, true, SplashPicture));
    add(Bitmap("SPLASH_BACK", 464, 283, true, SplashBack));
    add(Bitmap("About", 366, 139, true, AboutPicture));
    for (int f = 1; f <= 11; ++f)
        add(Bitmap(QStringLiteral("Fire%1").arg(f), 160, 160, true, [f](QPainter &p) { Firework(p, f); }));

    // The mascot.
    add(Bitmap("WindyPip", 64, 59, false, [](QPainter &p) { Spider(p, QRectF(0, 0, 64, 59), SpiderPose{true, 0, false, false}); }));
    add(Bitmap("WindyPip2", 64, 59, false, [](QPainter &p) { Spider(p, QRectF(0, 0, 64, 59), SpiderPose{true, 1, false, false}); }));
    add(Bitmap("WindyPipB", 64, 59, false, [](QPainter &p) { Spider(p, QRectF(0, 0, 64, 59), SpiderPose{false, 0, false, false}); }));
    add(Bitmap("WindyPipB2", 64, 59, false, [](QPainter &p) { Spider(p, QRectF(0, 0, 64, 59), SpiderPose{false, 1, false, false}); }));

    // Small icons.
    add(Bitmap("Icon_Template", 32, 32, false, IconTemplate));
    add(Bitmap("Icon_Page", 32, 32, false, IconPage));
    add(Bitmap("ImgFile", 22, 22, false, IconImgFile));
    add(Bitmap("App", 64, 64, false, IconApp));
    add(Bitmap("Icon", 64, 64, false, IconApp));  // the window icon, under the name the shell loads

    // Dialog extras.
    add(Bitmap("Joy", 160, 160, true, JoyPicture));
    add(Bitmap("About_Secret", 366, 139, true, AboutSecret));
    add(Bitmap("Wizard_Style", 150, 260, true, [](QPainter &p) { WizardSide(p, QSizeF(150, 260), false); }));
    add(Bitmap("Wizard_Server", 150, 260, true, [](QPainter &p) { WizardSide(p, QSizeF(150, 260), true); }));
    add(Bitmap("Arrow_Up", 16, 16, false, [](QPainter &p) { ArrowGlyph(p, true); }));
    add(Bitmap("Arrow_Down", 16, 16, false, [](QPainter &p) { ArrowGlyph(p, false); }));

    // Cursors.
    auto cursor = [&](const QString &name, QPoint hot, std::function<void(QPainter &)> f) {
        Picture pic = Bitmap(name, 32, 32, false, std::move(f));
        pic.folder = Folder::Cursor;
        pic.hotSpot = hot;
        add(std::move(pic));
    };
    cursor("Cursor_Hand", QPoint(10, 1), CursorPointingHand);
    cursor("Hand_Open", QPoint(16, 16), CursorOpenHand);
    cursor("Hand_Closed", QPoint(16, 16), CursorClosedHand);

    // The footer button of generated pages.
    Picture button = Bitmap("button", 88, 31, true, FooterButton);
    button.folder = Folder::PageGraphic;
    add(std::move(button));
    return out;
}

QImage Render(const Picture &pic, int scale)
{
    if (pic.scene) {
        const QRectF sr = pic.sceneRect;
        QImage whole(sr.size().toSize() * scale, QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::transparent);
        {
            QPainter p(&whole);
            SetupPainter(p);
            p.scale(scale, scale);
            p.translate(-sr.topLeft());
            pic.scene(p);
        }
        const QPoint at = ((pic.cutAt - sr.topLeft()) * scale).toPoint();
        const QImage part = whole.copy(QRect(at, pic.size * scale));
        return part.convertToFormat(pic.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    }
    QImage img(pic.size * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        SetupPainter(p);
        p.scale(scale, scale);
        p.setClipRect(QRectF(0, 0, pic.size.width(), pic.size.height()));
        pic.draw(p);
    }
    if (pic.opaque)
        return img.convertToFormat(QImage::Format_RGB32);
    return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace skin
