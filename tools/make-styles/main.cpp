// Paints the background pictures of the shipped styles and writes the style
// library. Every picture is a seamless tile (whatever is drawn near an edge
// is drawn again on the opposite side) and the output is the same on every
// run: all randomness comes from a fixed-seed generator.
//
//   make-styles <data folder>
// writes <data folder>/Styles.data and PNG tiles into <data folder>/HTMLFiles/backgrnd
// (tools/make-styles.sh turns them into the shipped JPEG and GIF files).

#include "styles/StyleLibrary.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

#include <cstdint>
#include <functional>

using namespace wobbin;

namespace {

// A small deterministic generator (the same numbers on every platform).
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state >> 16);
    }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

private:
    std::uint64_t m_state;
};

TColor Rgb(int r, int g, int b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// Draws with the painter at the position and again at the eight wrapped
// neighbours, so that anything crossing an edge continues on the other side.
void Wrapped(QPainter &p, QSize tile, QPointF at, const std::function<void(QPainter &, QPointF)> &draw)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            draw(p, at + QPointF(dx * tile.width(), dy * tile.height()));
}

// Fine paper-like grain around a base colour, periodic by construction.
void Grain(QImage &img, int amount, std::uint64_t seed)
{
    Rng rng(seed);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int d = int(rng.Next() % (2 * amount + 1)) - amount;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255),
                           qBound(0, qBlue(c) + d, 255));
        }
    }
}

QImage Ocean()
{
    // Soft horizontal swells: sines with whole periods across the tile.
    const QSize s(160, 120);
    QImage img(s, QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const double fx = 2 * M_PI * x / s.width();
            const double fy = 2 * M_PI * y / s.height();
            const double w = std::sin(3 * fy + std::sin(2 * fx) * 1.2) * 0.5
                + std::sin(2 * fx + fy) * 0.25 + std::sin(5 * fy - fx) * 0.15;
            const double t = (w + 0.9) / 1.8;   // about 0..1
            img.setPixel(x, y, qRgb(int(206 + 22 * t), int(232 + 14 * t), int(244 + 9 * t)));
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(11);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 14; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        const double len = rng.Range(10, 22);
        Wrapped(p, s, at, [len](QPainter &pp, QPointF c) {
            QPainterPath path(c);
            path.cubicTo(c + QPointF(len / 3, -3), c + QPointF(2 * len / 3, 3), c + QPointF(len, 0));
            pp.drawPath(path);
        });
    }
    return img;
}

QImage Sunny()
{
    const QSize s(128, 128);
    QImage img(s, QImage::Format_RGB32);
    img.fill(QColor(255, 248, 214));
    Grain(img, 2, 21);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Little suns on a diagonal lattice, with a few scattered sparkles.
    const QList<QPointF> suns = {QPointF(32, 32), QPointF(96, 96)};
    for (const QPointF &c0 : suns) {
        Wrapped(p, s, c0, [](QPainter &pp, QPointF c) {
            QRadialGradient g(c, 15);
            g.setColorAt(0, QColor(255, 214, 102, 170));
            g.setColorAt(1, QColor(255, 236, 170, 0));
            pp.setPen(Qt::NoPen);
            pp.setBrush(g);
            pp.drawEllipse(c, 15, 15);
            pp.setPen(QPen(QColor(255, 200, 90, 110), 2, Qt::SolidLine, Qt::RoundCap));
            for (int k = 0; k < 8; ++k) {
                const double a = k * M_PI / 4;
                pp.drawLine(c + QPointF(std::cos(a) * 11, std::sin(a) * 11),
                            c + QPointF(std::cos(a) * 17, std::sin(a) * 17));
            }
        });
    }
    Rng rng(22);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 130, 120));
    for (int i = 0; i < 10; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        const double r = rng.Range(1.0, 2.2);
        Wrapped(p, s, at, [r](QPainter &pp, QPointF c) { pp.drawEllipse(c, r, r); });
    }
    return img;
}

QImage Stars()
{
    const QSize s(192, 192);
    QImage img(s, QImage::Format_RGB32);
    // A deep blue night, a touch lighter in soft clouds.
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const double fx = 2 * M_PI * x / s.width();
            const double fy = 2 * M_PI * y / s.height();
            const double t = (std::sin(fx + 2 * fy) + std::sin(2 * fx - fy + 1.3) + 2) / 4;
            img.setPixel(x, y, qRgb(int(10 + 8 * t), int(15 + 10 * t), int(44 + 18 * t)));
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(33);
    for (int i = 0; i < 70; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        const double r = rng.Unit() < 0.85 ? rng.Range(0.5, 1.0) : rng.Range(1.2, 1.8);
        const int bright = int(rng.Range(150, 255));
        const QColor c = rng.Unit() < 0.2 ? QColor(bright, bright, 200) : QColor(bright, bright, bright);
        Wrapped(p, s, at, [r, c](QPainter &pp, QPointF pos) {
            pp.setPen(Qt::NoPen);
            pp.setBrush(c);
            pp.drawEllipse(pos, r, r);
            if (r > 1.1) {
                pp.setPen(QPen(QColor(c.red(), c.green(), c.blue(), 120), 0.7));
                pp.drawLine(pos - QPointF(r * 3, 0), pos + QPointF(r * 3, 0));
                pp.drawLine(pos - QPointF(0, r * 3), pos + QPointF(0, r * 3));
            }
        });
    }
    return img;
}

void Leaf(QPainter &p, QPointF c, double size, double angle, QColor fill, QColor vein)
{
    p.save();
    p.translate(c);
    p.rotate(angle);
    QPainterPath leaf(QPointF(-size, 0));
    leaf.cubicTo(QPointF(-size / 2, -size * 0.55), QPointF(size / 2, -size * 0.55), QPointF(size, 0));
    leaf.cubicTo(QPointF(size / 2, size * 0.55), QPointF(-size / 2, size * 0.55), QPointF(-size, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(leaf);
    p.setPen(QPen(vein, 0.8));
    p.drawLine(QPointF(-size * 1.25, 0), QPointF(size * 0.9, 0));
    p.restore();
}

QImage Garden()
{
    const QSize s(160, 160);
    QImage img(s, QImage::Format_RGB32);
    img.fill(QColor(234, 245, 226));
    Grain(img, 2, 41);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(44);
    for (int i = 0; i < 16; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        const double size = rng.Range(6, 11);
        const double angle = rng.Range(0, 360);
        const int g = int(rng.Range(200, 222));
        const QColor fill(g - 24, g + 14 > 255 ? 255 : g + 14, g - 36, 200);
        Wrapped(p, s, at, [size, angle, fill](QPainter &pp, QPointF c) {
            Leaf(pp, c, size, angle, fill, QColor(150, 190, 140, 160));
        });
    }
    // A few tiny blossoms.
    for (int i = 0; i < 6; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        Wrapped(p, s, at, [](QPainter &pp, QPointF c) {
            pp.setPen(Qt::NoPen);
            pp.setBrush(QColor(255, 236, 240, 220));
            for (int k = 0; k < 5; ++k) {
                const double a = k * 2 * M_PI / 5;
                pp.drawEllipse(c + QPointF(std::cos(a) * 2.6, std::sin(a) * 2.6), 2.0, 2.0);
            }
            pp.setBrush(QColor(250, 210, 110));
            pp.drawEllipse(c, 1.3, 1.3);
        });
    }
    return img;
}

QImage Paper()
{
    const QSize s(200, 200);
    QImage img(s, QImage::Format_RGB32);
    img.fill(QColor(251, 246, 234));
    Grain(img, 3, 51);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(52);
    // Faint fibres.
    for (int i = 0; i < 60; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        const double a = rng.Range(0, 2 * M_PI);
        const double len = rng.Range(4, 12);
        const int shade = int(rng.Range(222, 238));
        Wrapped(p, s, at, [a, len, shade](QPainter &pp, QPointF c) {
            pp.setPen(QPen(QColor(shade, shade - 6, shade - 20, 110), 0.6));
            pp.drawLine(c, c + QPointF(std::cos(a) * len, std::sin(a) * len));
        });
    }
    return img;
}

QImage Candy()
{
    const QSize s(96, 96);
    QImage img(s, QImage::Format_RGB32);
    // Diagonal pastel stripes: the stripe index depends on x + y, periodic in 96.
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const int band = ((x + y) % 48) < 24;
            img.setPixel(x, y, band ? qRgb(255, 231, 241) : qRgb(255, 240, 246));
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<QPair<QPointF, QColor>> dots = {
        {QPointF(12, 12), QColor(255, 182, 213, 200)}, {QPointF(60, 12), QColor(186, 220, 255, 200)},
        {QPointF(36, 48), QColor(200, 240, 200, 200)}, {QPointF(84, 48), QColor(255, 224, 160, 200)},
        {QPointF(12, 84), QColor(220, 200, 255, 200)}, {QPointF(60, 84), QColor(255, 182, 213, 200)}};
    for (const auto &d : dots) {
        const QColor c = d.second;
        Wrapped(p, s, d.first, [c](QPainter &pp, QPointF pos) {
            pp.setPen(Qt::NoPen);
            pp.setBrush(c);
            pp.drawEllipse(pos, 4.5, 4.5);
            pp.setBrush(QColor(255, 255, 255, 170));
            pp.drawEllipse(pos - QPointF(1.4, 1.4), 1.3, 1.3);
        });
    }
    return img;
}

QImage Autumn()
{
    const QSize s(180, 180);
    QImage img(s, QImage::Format_RGB32);
    img.fill(QColor(247, 234, 214));
    Grain(img, 2, 61);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(62);
    const QList<QColor> tones = {QColor(236, 180, 120, 150), QColor(232, 160, 110, 140),
                                 QColor(226, 196, 120, 150), QColor(214, 150, 120, 130)};
    for (int i = 0; i < 14; ++i) {
        const QPointF at(rng.Range(0, s.width()), rng.Range(0, s.height()));
        const double size = rng.Range(7, 12);
        const double angle = rng.Range(0, 360);
        const QColor fill = tones.at(int(rng.Next() % tones.size()));
        Wrapped(p, s, at, [size, angle, fill](QPainter &pp, QPointF c) {
            Leaf(pp, c, size, angle, fill, QColor(190, 130, 90, 140));
        });
    }
    return img;
}

QImage Business()
{
    // Fine pinstripes on a cool white.
    const QSize s(64, 64);
    QImage img(s, QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            QRgb c = qRgb(245, 248, 252);
            if (x % 16 == 0)
                c = qRgb(232, 238, 247);
            if ((x + y) % 64 == 0)
                c = qRgb(238, 242, 249);
            img.setPixel(x, y, c);
        }
    }
    return img;
}

struct Shipped
{
    const char *name;
    const char *file;              // stored image path ("" for none)
    std::function<QImage()> paint; // empty for none
    TColor back, text, link, active, visited;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: make-styles <data folder>\n";
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    const QString backgrnd = data + QStringLiteral("/HTMLFiles/backgrnd");
    if (!QDir().mkpath(backgrnd)) {
        QTextStream(stderr) << "cannot create " << backgrnd << "\n";
        return 1;
    }

    const QList<Shipped> shipped = {
        {"Ocean Breeze", "backgrnd\\ocean.jpg", Ocean, Rgb(214, 236, 247), Rgb(11, 46, 79),
         Rgb(0, 87, 168), Rgb(224, 96, 42), Rgb(91, 60, 136)},
        {"Sunny Day", "backgrnd\\sunny.jpg", Sunny, Rgb(255, 248, 214), Rgb(74, 48, 0),
         Rgb(192, 57, 43), Rgb(230, 126, 34), Rgb(142, 68, 173)},
        {"Night Sky", "backgrnd\\stars.gif", Stars, Rgb(12, 18, 50), Rgb(240, 240, 255),
         Rgb(143, 211, 255), Rgb(255, 211, 77), Rgb(201, 163, 255)},
        {"Garden", "backgrnd\\garden.jpg", Garden, Rgb(234, 245, 226), Rgb(31, 59, 26),
         Rgb(46, 125, 50), Rgb(216, 67, 21), Rgb(106, 76, 147)},
        {"Classic Paper", "backgrnd\\paper.jpg", Paper, Rgb(251, 246, 234), Rgb(34, 34, 34),
         Rgb(26, 76, 156), Rgb(178, 34, 34), Rgb(107, 62, 122)},
        {"Candy", "backgrnd\\candy.jpg", Candy, Rgb(255, 234, 243), Rgb(74, 16, 48),
         Rgb(194, 24, 91), Rgb(123, 31, 162), Rgb(142, 85, 114)},
        {"Autumn Leaves", "backgrnd\\autumn.jpg", Autumn, Rgb(247, 234, 214), Rgb(62, 36, 16),
         Rgb(160, 64, 11), Rgb(214, 45, 32), Rgb(122, 78, 45)},
        {"Business Blue", "backgrnd\\business.jpg", Business, Rgb(245, 248, 252), Rgb(28, 40, 51),
         Rgb(31, 78, 150), Rgb(192, 57, 43), Rgb(93, 109, 126)},
        {"Simple White", "", nullptr, Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(0, 0, 255),
         Rgb(255, 0, 0), Rgb(128, 0, 128)},
    };

    StyleList styles;
    for (const Shipped &s : shipped) {
        TStyleChunk style;
        style.Name = QString::fromLatin1(s.name);
        style.Image = QString::fromLatin1(s.file);
        style.BackColour = s.back;
        style.TextColour = s.text;
        style.LinkColour = s.link;
        style.ActiveColour = s.active;
        style.VisitedColour = s.visited;
        styles.append(style);
        if (s.paint) {
            // Written as PNG beside the final name; the script converts it.
            QString base = style.Image.section(QLatin1Char('\\'), -1);
            base = base.left(base.lastIndexOf(QLatin1Char('.')));
            const QString png = backgrnd + QLatin1Char('/') + base + QStringLiteral(".png");
            if (!s.paint().save(png, "PNG")) {
                QTextStream(stderr) << "cannot write " << png << "\n";
                return 1;
            }
        }
    }
    const TResult<void> written = WriteStyles(data + QStringLiteral("/Styles.data"), styles);
    if (!written.ok()) {
        QTextStream(stderr) << "cannot write Styles.data: " << written.error().Text() << "\n";
        return 1;
    }
    QTextStream(stdout) << styles.size() << " styles written\n";
    return 0;
}
