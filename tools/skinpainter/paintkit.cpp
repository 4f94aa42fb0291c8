#include "paintkit.h"

#include <QFontMetricsF>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace skin {

QColor KindColour(Kind k)
{
    switch (k) {
    case Kind::Para: return QColor(0x3f, 0xa3, 0x4d);
    case Kind::Link: return QColor(0x2d, 0x7f, 0xe0);
    case Kind::Image: return QColor(0x8e, 0x4f, 0xc4);
    case Kind::Heading: return QColor(0xf0, 0x7f, 0x1a);
    case Kind::Email: return QColor(0xdc, 0x45, 0x55);
    case Kind::Line: return QColor(0x1f, 0x9e, 0x93);
    }
    return col::Blue;
}

QString KindWord(Kind k)
{
    switch (k) {
    case Kind::Para: return QStringLiteral("Paragraph");
    case Kind::Link: return QStringLiteral("Link");
    case Kind::Image: return QStringLiteral("Image");
    case Kind::Heading: return QStringLiteral("Heading");
    case Kind::Email: return QStringLiteral("E-mail");
    case Kind::Line: return QStringLiteral("Line");
    }
    return {};
}

QString KindBannerWord(Kind k)
{
    switch (k) {
    case Kind::Para: return QStringLiteral("Paragraph");
    case Kind::Link: return QStringLiteral("Link");
    case Kind::Image: return QStringLiteral("Image");
    case Kind::Heading: return QStringLiteral("Heading");
    case Kind::Email: return QStringLiteral("E-mail Link");
    case Kind::Line: return QStringLiteral("Line");
    }
    return {};
}

// xorshift32: tiny, and the same sequence everywhere.
std::uint32_t Rng::next()
{
    std::uint32_t x = state_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return x;
}

double Rng::unit()
{
    return (next() >> 8) / double(1u << 24);
}

double Rng::range(double lo, double hi)
{
    return lo + (hi - lo) * unit();
}

void SetupPainter(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QFont Font(double pixelSize, bool bold, bool italic)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setKerning(true);
    return f;
}

void Text(QPainter &p, const QRectF &r, const QString &s, double px, const QColor &c,
          bool bold, int align, bool shadow, bool italic)
{
    p.save();
    p.setFont(Font(px, bold, italic));
    if (shadow) {
        p.setPen(QColor(0, 0, 0, 110));
        p.drawText(r.translated(0.0, 1.0), align, s);
        p.setPen(QColor(0, 0, 0, 50));
        p.drawText(r.translated(1.0, 1.5), align, s);
    }
    p.setPen(c);
    p.drawText(r, align, s);
    p.restore();
}

double FitText(const QString &s, double maxPx, double w, bool bold)
{
    for (double px = maxPx; px > 6; px -= 0.5) {
        QFontMetricsF fm(Font(px, bold));
        if (fm.horizontalAdvance(s) <= w)
            return px;
    }
    return 6;
}

QLinearGradient VGrad(const QRectF &r, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void RoundPanel(QPainter &p, const QRectF &r, double radius, const QColor &top,
                const QColor &bottom, const QColor &border, double borderWidth)
{
    p.save();
    if (border.alpha() > 0)
        p.setPen(QPen(border, borderWidth));
    else
        p.setPen(Qt::NoPen);
    p.setBrush(VGrad(r, top, bottom));
    const double inset = border.alpha() > 0 ? borderWidth / 2 : 0;
    p.drawRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius, radius);
    p.restore();
}

void Glow(QPainter &p, const QRectF &r, const QColor &c, double spread)
{
    p.save();
    p.setPen(Qt::NoPen);
    const int steps = 8;
    for (int i = steps; i >= 1; --i) {
        const double d = spread * i / steps;
        QColor cc = c;
        cc.setAlphaF(c.alphaF() * 0.16 * (1.0 - double(i - 1) / steps));
        p.setBrush(cc);
        p.drawRoundedRect(r.adjusted(-d, -d, d, d), 6 + d, 6 + d);
    }
    p.restore();
}

void Sparkle(QPainter &p, QPointF c, double r, const QColor &colour)
{
    p.save();
    QPainterPath star;
    const double w = r * 0.22;
    star.moveTo(c + QPointF(0, -r));
    star.quadTo(c + QPointF(w, -w), c + QPointF(r, 0));
    star.quadTo(c + QPointF(w, w), c + QPointF(0, r));
    star.quadTo(c + QPointF(-w, w), c + QPointF(-r, 0));
    star.quadTo(c + QPointF(-w, -w), c + QPointF(0, -r));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
    p.restore();
}

QColor Mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

// ---- the spider -----------------------------------------------------------------

namespace {

void Leg(QPainter &p, QPointF hip, QPointF knee, QPointF foot, const QColor &c, double w)
{
    QPainterPath path(hip);
    path.quadTo(knee + QPointF(0, -2), knee);
    path.lineTo(foot);
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    // Little golden shoes.
    p.setPen(QPen(c, 0.8));
    p.setBrush(col::Gold);
    p.drawEllipse(foot + QPointF(0, -0.4), w * 0.8, w * 0.65);
}

} // namespace

void Spider(QPainter &p, const QRectF &box, const SpiderPose &pose)
{
    // Designed in a 64 x 59 box facing right, feet on y = 57.
    p.save();
    const double s = std::min(box.width() / 64.0, box.height() / 59.0);
    p.translate(box.center().x() - 32 * s, box.bottom() - 59 * s);
    p.scale(s, s);
    if (!pose.facingRight) {
        p.translate(64, 0);
        p.scale(-1, 1);
    }

    if (pose.hanging) {
        p.setPen(QPen(QColor(255, 255, 255, 200), 0.9));
        p.drawLine(QPointF(27, 17), QPointF(27, -400));
    }

    const QColor farLeg = Mix(col::BerryDark, col::Ink, 0.45);
    const QColor nearLeg = col::BerryDark;
    const double lift = 3.0;
    const int ph = pose.legPhase & 1;

    // Far-side legs (behind the body).
    {
        const QPointF hips[4] = {{27, 38}, {31, 39}, {36, 39}, {41, 38}};
        double fx[4] = {9, 23, 39, 55};
        for (int i = 0; i < 4; ++i) {
            const bool moving = ((i + ph) & 1) == 1;
            const double shift = ph ? (moving ? 4 : -3) : 0;
            const QPointF foot(fx[i] + shift, 57 - (ph && moving ? lift : 0));
            const QPointF knee((hips[i].x() + foot.x()) / 2 + (i < 2 ? -5 : 5),
                               15 + i % 2 * 2);
            Leg(p, hips[i], knee, foot, farLeg, 2.2);
        }
    }

    // Abdomen.
    {
        QRadialGradient g(QPointF(18, 22), 22);
        g.setColorAt(0, Mix(col::Berry, col::White, 0.35));
        g.setColorAt(0.55, col::Berry);
        g.setColorAt(1, col::BerryDark);
        p.setPen(QPen(col::BerryDark, 1.0));
        p.setBrush(g);
        p.drawEllipse(QPointF(23, 30), 16, 14);
        // Golden spots.
        p.setPen(Qt::NoPen);
        p.setBrush(col::Gold);
        p.drawEllipse(QPointF(17, 25), 2.6, 2.4);
        p.drawEllipse(QPointF(24, 21), 2.2, 2.0);
        p.drawEllipse(QPointF(14, 33), 1.9, 1.8);
        p.drawEllipse(QPointF(22, 29), 1.6, 1.5);
    }

    // Head.
    {
        QRadialGradient g(QPointF(39, 23), 18);
        g.setColorAt(0, Mix(col::Berry, col::White, 0.45));
        g.setColorAt(0.6, Mix(col::Berry, col::White, 0.1));
        g.setColorAt(1, col::BerryDark);
        p.setPen(QPen(col::BerryDark, 1.0));
        p.setBrush(g);
        p.drawEllipse(QPointF(43, 30), 13, 12.5);
    }

    // Near-side legs (in front).
    {
        const QPointF hips[4] = {{30, 40}, {34, 42}, {39, 42}, {44, 41}};
        double fx[4] = {4, 19, 45, 61};
        for (int i = 0; i < 4; ++i) {
            if (pose.waving && i == 3)
                continue;
            const bool moving = ((i + ph) & 1) == 0;
            const double shift = ph ? (moving ? 4 : -3) : 0;
            const QPointF foot(fx[i] + shift, 57 - (ph && moving ? lift : 0));
            const QPointF knee((hips[i].x() + foot.x()) / 2 + (i < 2 ? -6 : 6),
                               19 + (i % 2) * 3);
            Leg(p, hips[i], knee, foot, nearLeg, 2.6);
        }
        if (pose.waving) {
            Leg(p, QPointF(48, 36), QPointF(58, 30), QPointF(60, 14), nearLeg, 2.6);
            p.setPen(QPen(QColor(255, 255, 255, 210), 1.0));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(55, 5, 10, 10), 30 * 16, 80 * 16);
            p.drawArc(QRectF(53, 3, 14, 14), 30 * 16, 80 * 16);
        }
    }

    // Face.
    p.setPen(QPen(col::BerryDark, 0.8));
    p.setBrush(col::White);
    p.drawEllipse(QPointF(42, 26.5), 4.4, 5.2);
    p.drawEllipse(QPointF(50.5, 26.5), 4.0, 4.8);
    p.setPen(Qt::NoPen);
    p.setBrush(col::Ink);
    p.drawEllipse(QPointF(43.6, 27.6), 2.3, 2.5);
    p.drawEllipse(QPointF(51.8, 27.6), 2.1, 2.3);
    p.setBrush(col::White);
    p.drawEllipse(QPointF(44.4, 26.6), 0.9, 0.9);
    p.drawEllipse(QPointF(52.5, 26.6), 0.8, 0.8);
    // Cheeks.
    p.setBrush(QColor(0xff, 0x8f, 0xb1, 150));
    p.drawEllipse(QPointF(38.5, 34), 2.6, 1.8);
    p.drawEllipse(QPointF(54.2, 33.5), 2.0, 1.6);
    // Smile.
    QPainterPath smile(QPointF(42.5, 34.5));
    smile.quadTo(QPointF(47, 39.5), QPointF(51.5, 34));
    p.setPen(QPen(col::Ink, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(smile);
    p.restore();
}

// ---- web ----------------------------------------------------------------------------

void Web(QPainter &p, QPointF centre, double radius, double angleDeg, int spokes,
         int rings, const QColor &thread, double width, bool dew)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(thread, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    auto at = [&](int i, double r) {
        const double a = qDegreesToRadians(angleDeg + 360.0 * i / spokes - 90.0);
        return centre + QPointF(std::cos(a) * r, std::sin(a) * r);
    };
    for (int i = 0; i < spokes; ++i)
        p.drawLine(centre, at(i, radius));
    for (int j = 1; j <= rings; ++j) {
        const double r = radius * (0.16 + 0.84 * j / rings) * 0.97;
        QPainterPath ring(at(0, r));
        for (int i = 1; i <= spokes; ++i) {
            const double rm = r * 0.9;
            const double a = qDegreesToRadians(angleDeg + 360.0 * (i - 0.5) / spokes - 90.0);
            ring.quadTo(centre + QPointF(std::cos(a) * rm, std::sin(a) * rm), at(i, r));
        }
        p.drawPath(ring);
    }
    if (dew) {
        p.setPen(Qt::NoPen);
        for (int i = 0; i < spokes; i += 2) {
            for (int j = 2; j <= rings; j += 2) {
                const double r = radius * (0.16 + 0.84 * j / rings) * 0.97;
                const QPointF d = at(i, r);
                QRadialGradient g(d + QPointF(-0.6, -0.6), width * 2.6);
                g.setColorAt(0, QColor(255, 255, 255, 240));
                g.setColorAt(0.5, QColor(0xff, 0xe0, 0x8a, 220));
                g.setColorAt(1, QColor(0xff, 0xc9, 0x3c, 0));
                p.setBrush(g);
                p.drawEllipse(d, width * 2.6, width * 2.6);
            }
        }
    }
    p.restore();
}

// ---- page sheet -----------------------------------------------------------------

void PageSheet(QPainter &p, const QRectF &r, bool glowing)
{
    p.save();
    const double u = r.width() / 53.0;  // designed 53 wide
    const double fold = 12 * u;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();

    // Shadow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawPath(sheet.translated(1.5 * u, 2 * u));

    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, glowing ? QColor(0xff, 0xff, 0xf2) : col::White);
    g.setColorAt(1, glowing ? QColor(0xff, 0xf1, 0xc2) : QColor(0xe9, 0xef, 0xfa));
    p.setBrush(g);
    p.setPen(QPen(glowing ? col::GoldDeep : QColor(0x8a, 0x9b, 0xc0), std::max(0.6, 1.0 * u)));
    p.drawPath(sheet);

    // Folded corner.
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(glowing ? QColor(0xff, 0xd9, 0x7a) : QColor(0xc9, 0xd6, 0xee));
    p.drawPath(corner);

    // Content.
    p.setPen(Qt::NoPen);
    const double x0 = r.left() + 6 * u;
    const double w = r.width() - 12 * u;
    p.setBrush(col::Blue);
    p.drawRoundedRect(QRectF(x0, r.top() + 7 * u, w - 10 * u, 6 * u), 1.5 * u, 1.5 * u);
    // Picture.
    const QRectF pic(x0, r.top() + 18 * u, 18 * u, 15 * u);
    p.setBrush(QColor(0x8c, 0xc4, 0xff));
    p.drawRect(pic);
    p.setBrush(col::Gold);
    p.drawEllipse(QPointF(pic.right() - 4.5 * u, pic.top() + 4.5 * u), 2.5 * u, 2.5 * u);
    QPainterPath hill(QPointF(pic.left(), pic.bottom()));
    hill.quadTo(QPointF(pic.left() + 6 * u, pic.top() + 5 * u),
                QPointF(pic.left() + 12 * u, pic.bottom() - 3 * u));
    hill.quadTo(QPointF(pic.left() + 15 * u, pic.bottom() - 6 * u),
                QPointF(pic.right(), pic.bottom()));
    hill.closeSubpath();
    p.setBrush(KindColour(Kind::Para));
    p.drawPath(hill);
    // Text lines.
    const QColor line(0x9a, 0xa6, 0xbd);
    p.setBrush(line);
    for (int i = 0; i < 4; ++i) {
        const double y = r.top() + (19 + i * 4) * u;
        p.drawRoundedRect(QRectF(x0 + 21 * u, y, w - 21 * u - (i == 3 ? 6 * u : 0), 2 * u), u, u);
    }
    for (int i = 0; i < 4; ++i) {
        const double y = r.top() + (38 + i * 4.5) * u;
        if (y + 2 * u > r.bottom() - 14 * u)
            break;
        p.drawRoundedRect(QRectF(x0, y, w - (i % 2 ? 8 * u : 0), 2 * u), u, u);
    }
    // A link line and a rule.
    p.setBrush(KindColour(Kind::Link));
    p.drawRoundedRect(QRectF(x0, r.bottom() - 12 * u, w * 0.55, 2 * u), u, u);
    p.setBrush(col::GoldDeep);
    p.drawRoundedRect(QRectF(x0, r.bottom() - 6.5 * u, w, 1.6 * u), u, u);
    p.restore();
}

// ---- icons ------------------------------------------------------------------------

void KindIcon(QPainter &p, const QRectF &r, Kind k, const QColor &ink)
{
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 16.0, r.height() / 16.0);
    const QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (k) {
    case Kind::Para:
        p.drawLine(QPointF(4.5, 3), QPointF(14, 3));
        p.drawLine(QPointF(2, 6.5), QPointF(14, 6.5));
        p.drawLine(QPointF(2, 10), QPointF(14, 10));
        p.drawLine(QPointF(2, 13.5), QPointF(9.5, 13.5));
        break;
    case Kind::Link: {
        p.save();
        p.translate(8, 8);
        p.rotate(-45);
        p.drawRoundedRect(QRectF(-7.5, -2.6, 8.5, 5.2), 2.6, 2.6);
        p.drawRoundedRect(QRectF(-1.0, -2.6, 8.5, 5.2), 2.6, 2.6);
        p.restore();
        break;
    }
    case Kind::Image: {
        p.setPen(QPen(ink, 1.3));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath m(QPointF(2.5, 12.6));
        m.lineTo(6.5, 7);
        m.lineTo(9, 10);
        m.lineTo(10.5, 8.5);
        m.lineTo(13.6, 12.6);
        m.closeSubpath();
        p.drawPath(m);
        p.drawEllipse(QPointF(11, 5.6), 1.5, 1.5);
        break;
    }
    case Kind::Heading:
        p.setFont(Font(15, true));
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("H"));
        break;
    case Kind::Email: {
        p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9.5), 1.5, 1.5);
        QPainterPath v(QPointF(2, 4.5));
        v.lineTo(8, 9.2);
        v.lineTo(14, 4.5);
        p.drawPath(v);
        break;
    }
    case Kind::Line:
        p.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        p.setPen(QPen(ink, 1.0, Qt::DotLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 3.5), QPointF(13, 3.5));
        p.drawLine(QPointF(3, 12.5), QPointF(13, 12.5));
        break;
    }
    p.restore();
}

void TabIcon(QPainter &p, const QRectF &r, int which, const QColor &ink, const QColor &accent)
{
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 24.0, r.height() / 24.0);
    p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (which) {
    case 0: {  // choose: two pages, the front one ticked
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRoundedRect(QRectF(3, 2.5, 12, 15), 1.5, 1.5);
        p.setBrush(col::White);
        p.drawRoundedRect(QRectF(8, 6.5, 12.5, 15.5), 1.5, 1.5);
        p.setPen(QPen(accent, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick(QPointF(10.8, 14.5));
        tick.lineTo(13.5, 17.5);
        tick.lineTo(18.5, 10.5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        break;
    }
    case 1: {  // build: stacked blocks
        const QColor c[3] = {KindColour(Kind::Heading), KindColour(Kind::Para),
                             KindColour(Kind::Link)};
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(ink, 1.1));
            p.setBrush(c[i]);
            p.drawRoundedRect(QRectF(3 + (i == 1 ? 2.5 : 0), 3 + i * 6.5, 16, 5.2), 1.6, 1.6);
        }
        p.setPen(QPen(accent, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21.5, 7), QPointF(21.5, 13));
        p.drawLine(QPointF(18.5, 10), QPointF(24.0, 10));
        break;
    }
    case 2: {  // view: an eye
        QPainterPath eye(QPointF(1.5, 12));
        eye.quadTo(QPointF(12, 1.5), QPointF(22.5, 12));
        eye.quadTo(QPointF(12, 22.5), QPointF(1.5, 12));
        p.setBrush(col::White);
        p.drawPath(eye);
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawEllipse(QPointF(12, 12), 4.6, 4.6);
        p.setBrush(col::Ink);
        p.drawEllipse(QPointF(12, 12), 2.2, 2.2);
        p.setBrush(col::White);
        p.drawEllipse(QPointF(13.4, 10.6), 1.0, 1.0);
        break;
    }
    case 3: {  // send: globe with an arrow
        p.setBrush(QColor(0x8c, 0xc4, 0xff));
        p.drawEllipse(QPointF(11, 13), 9, 9);
        p.setPen(QPen(ink, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(7, 4, 8, 18));
        p.drawLine(QPointF(2, 13), QPointF(20, 13));
        p.drawLine(QPointF(11, 4), QPointF(11, 22));
        p.drawArc(QRectF(3, 5.5, 16, 6), 0, 180 * 16);
        p.drawArc(QRectF(3, 14.5, 16, 6), 180 * 16, 180 * 16);
        p.setPen(QPen(ink, 1.2));
        p.setBrush(accent);
        QPainterPath arrow(QPointF(19, 0.8));
        arrow.lineTo(24, 6.2);
        arrow.lineTo(21, 6.2);
        arrow.lineTo(21, 11);
        arrow.lineTo(17, 11);
        arrow.lineTo(17, 6.2);
        arrow.lineTo(14, 6.2);
        arrow.closeSubpath();
        p.drawPath(arrow);
        break;
    }
    case 4: {  // edit: a page and a pencil
        p.setBrush(col::White);
        p.drawRoundedRect(QRectF(3, 3, 13, 17), 1.5, 1.5);
        p.setPen(QPen(QColor(0x9a, 0xa6, 0xbd), 1.4, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(5.5, 7 + i * 3.2), QPointF(i == 3 ? 10 : 13.5, 7 + i * 3.2));
        p.save();
        p.translate(17, 13);
        p.rotate(40);
        p.setPen(QPen(ink, 1.0));
        p.setBrush(accent);
        p.drawRect(QRectF(-2.2, -10, 4.4, 13));
        p.setBrush(QColor(0xff, 0x9f, 0xb0));
        p.drawRect(QRectF(-2.2, -12.5, 4.4, 2.5));
        QPainterPath tip(QPointF(-2.2, 3));
        tip.lineTo(0, 7);
        tip.lineTo(2.2, 3);
        tip.closeSubpath();
        p.setBrush(col::Cream);
        p.drawPath(tip);
        p.restore();
        break;
    }
    default:
        break;
    }
    p.restore();
}

void TurnArrow(QPainter &p, QPointF c, double r, bool left, const QColor &colour, double width)
{
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    // An arc of 250 degrees opening at the top, arrow head at the end.
    const double startDeg = left ? 125 : 55;   // Qt angles: anticlockwise from 3 o'clock
    const double spanDeg = left ? 250 : -250;
    p.drawArc(box, int(startDeg * 16), int(spanDeg * 16));
    const double endDeg = startDeg + spanDeg;
    const double a = qDegreesToRadians(endDeg);
    const QPointF end = c + QPointF(std::cos(a) * r, -std::sin(a) * r);
    // Tangent direction of travel.
    const double dir = left ? 1 : -1;
    const QPointF tangent(-std::sin(a) * dir, -std::cos(a) * dir);
    const QPointF normal(-tangent.y(), tangent.x());
    // A head longer than it is wide, so that it reads as pointing along the
    // way the arrow turns (a flat one reads as pointing sideways).
    const double h = width * 1.9;
    QPainterPath head(end + tangent * h * 1.9);
    head.lineTo(end + normal * h * 0.85);
    head.lineTo(end - normal * h * 0.85);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
    p.restore();
}

void PictureIcon(QPainter &p, const QRectF &r)
{
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 16.0, r.height() / 16.0);
    p.setPen(QPen(col::Navy, 1.0));
    p.setBrush(QColor(0x9c, 0xd0, 0xff));
    p.drawRoundedRect(QRectF(1, 2.5, 14, 11), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(col::Gold);
    p.drawEllipse(QPointF(11.2, 5.8), 1.8, 1.8);
    QPainterPath m(QPointF(1.5, 13));
    m.lineTo(6, 7.2);
    m.lineTo(9, 10.5);
    m.lineTo(10.7, 9);
    m.lineTo(14.5, 13);
    m.closeSubpath();
    p.setBrush(KindColour(Kind::Para));
    p.drawPath(m);
    p.restore();
}

} // namespace skin
