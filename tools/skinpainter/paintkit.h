#pragma once
// Shared drawing kit of the skin painter: the colour scheme, text, rounded
// panels and the recurring motifs (the spider Windy Pip, webs, pages, icons).
// Everything is drawn in 1x coordinates; the caller scales the painter for the
// high-density variant, so every shape stays vector-sharp.

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>

namespace skin {

// ---- colour scheme ---------------------------------------------------------
namespace col {
inline const QColor Navy{0x12, 0x27, 0x57};
inline const QColor Blue{0x1f, 0x4c, 0xa3};
inline const QColor BlueLight{0x2f, 0x68, 0xcc};
inline const QColor Sky{0x5a, 0x94, 0xe8};
inline const QColor Gold{0xff, 0xc9, 0x3c};
inline const QColor GoldDeep{0xf2, 0xa4, 0x1c};
inline const QColor Orange{0xff, 0x85, 0x1b};
inline const QColor Cream{0xff, 0xf6, 0xdf};
inline const QColor Ink{0x1c, 0x20, 0x38};
inline const QColor Silver{0xc0, 0xc0, 0xc0};  // the window background
inline const QColor White{0xff, 0xff, 0xff};
inline const QColor Berry{0x6a, 0x3f, 0xb5};    // the spider's body
inline const QColor BerryDark{0x3b, 0x22, 0x74};
} // namespace col

// The six block kinds in their fixed order: Para, Link, Image, Heading, Email, Line.
enum class Kind { Para = 0, Link, Image, Heading, Email, Line };
QColor KindColour(Kind k);
QString KindWord(Kind k);      // word shown on the palette block
QString KindBannerWord(Kind k); // word shown on the property panel banner

// ---- deterministic pseudo-random numbers (same on every machine) -----------
class Rng
{
public:
    explicit Rng(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    std::uint32_t next();
    double unit();                       // [0, 1)
    double range(double lo, double hi);  // [lo, hi)
private:
    std::uint32_t state_;
};

// ---- basics -----------------------------------------------------------------
void SetupPainter(QPainter &p);
QFont Font(double pixelSize, bool bold = true, bool italic = false);
// Text centred (or aligned) in a rectangle, with an optional soft drop shadow.
void Text(QPainter &p, const QRectF &r, const QString &s, double px, const QColor &c,
          bool bold = true, int align = Qt::AlignCenter, bool shadow = false,
          bool italic = false);
// Largest pixel size (<= maxPx) at which the text fits into width w.
double FitText(const QString &s, double maxPx, double w, bool bold = true);

QLinearGradient VGrad(const QRectF &r, const QColor &top, const QColor &bottom);
void RoundPanel(QPainter &p, const QRectF &r, double radius, const QColor &top,
                const QColor &bottom, const QColor &border = Qt::transparent,
                double borderWidth = 1.0);
// A soft glow (radial) around a rectangle.
void Glow(QPainter &p, const QRectF &r, const QColor &c, double spread);
void Sparkle(QPainter &p, QPointF c, double r, const QColor &colour);
QColor Mix(const QColor &a, const QColor &b, double t);

// ---- motifs -------------------------------------------------------------------
struct SpiderPose
{
    bool facingRight = true;
    int legPhase = 0;      // 0 or 1: alternating walk frames
    bool waving = false;   // front leg raised in a wave
    bool hanging = false;  // dangling from a thread above
};
// The mascot drawn into the box (aspect kept, centred on the box's bottom).
void Spider(QPainter &p, const QRectF &box, const SpiderPose &pose);

// A round spider web: spokes radial threads and rings spiral rings, turned by
// angle degrees (clockwise).
void Web(QPainter &p, QPointF centre, double radius, double angleDeg, int spokes,
         int rings, const QColor &thread, double width = 1.0, bool dew = false);

// A small web page: white sheet with folded corner, heading bar, text lines and
// a picture.
void PageSheet(QPainter &p, const QRectF &r, bool glowing = false);

// Icons of the block kinds (drawn into r, in light colour on a coloured block).
void KindIcon(QPainter &p, const QRectF &r, Kind k, const QColor &ink);
// The tab icons of the toolbar: 0 choose, 1 build, 2 view, 3 send, 4 edit.
void TabIcon(QPainter &p, const QRectF &r, int which, const QColor &ink,
             const QColor &accent);
// A curved arrow (turn left = anticlockwise when left is true).
void TurnArrow(QPainter &p, QPointF c, double r, bool left, const QColor &colour,
               double width);
// A small picture icon (frame, hills, sun).
void PictureIcon(QPainter &p, const QRectF &r);

} // namespace skin
