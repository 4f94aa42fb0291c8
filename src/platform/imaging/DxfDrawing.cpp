#include "imaging/DxfDrawing.h"

#include "page/Cp1252.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <QGuiApplication>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace wobbin {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Coordinates beyond this are taken as broken data, not drawn.
constexpr double kMaxCoordinate = 1e12;
// Guards against drawings whose block references multiply without end.
constexpr int kMaxInsertDepth = 16;
constexpr qint64 kMaxDrawnItems = kDxfMaxDrawnElements;
constexpr int kMaxArrayCells = 10000;

bool Finite(double v) { return std::isfinite(v) && std::fabs(v) < kMaxCoordinate; }
bool Finite(double a, double b) { return Finite(a) && Finite(b); }

// Drawing colour of an AutoCAD colour index. Index 7 (white on a dark screen) is
// black here, since drawings are painted on white.
QColor AciColour(int index)
{
    switch (index) {
    case 1: return QColor(255, 0, 0);
    case 2: return QColor(255, 255, 0);
    case 3: return QColor(0, 255, 0);
    case 4: return QColor(0, 255, 255);
    case 5: return QColor(0, 0, 255);
    case 6: return QColor(255, 0, 255);
    case 8: return QColor(128, 128, 128);
    case 9: return QColor(192, 192, 192);
    default: break;
    }
    if (index >= 10 && index <= 249) {
        // Hue in steps of 15 degrees per group of ten; the position within the
        // group sets brightness (pairs) and saturation (odd = pale).
        const int hue = ((index / 10) - 1) * 15;
        const int step = index % 10;
        static const double values[10] = {1.0, 1.0, 0.8, 0.8, 0.6, 0.6, 0.5, 0.5, 0.3, 0.3};
        const double sat = (step % 2) ? 0.5 : 1.0;
        return QColor::fromHsvF(hue / 360.0, sat, values[step]);
    }
    if (index >= 250 && index <= 255) {
        const int grey = 51 + (index - 250) * 40;
        return QColor(grey, grey, grey);
    }
    return QColor(0, 0, 0);
}

// DXF texts are Windows-1252 in older drawings and UTF-8 from AutoCAD 2007 on.
QString DecodeDxfText(const std::string &raw)
{
    const QByteArray bytes = QByteArray::fromStdString(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = FromCp1252(bytes);
    // \U+XXXX escapes of characters outside the code page.
    static const QRegularExpression unicodeEscape(QStringLiteral("\\\\U\\+([0-9A-Fa-f]{4})"));
    QString out;
    qsizetype last = 0;
    auto it = unicodeEscape.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        out += QChar(static_cast<char16_t>(m.captured(1).toUShort(nullptr, 16)));
        last = m.capturedEnd();
    }
    out += text.mid(last);
    // Control codes of single-line texts.
    out.replace(QLatin1String("%%d"), QStringLiteral("\u00B0"), Qt::CaseInsensitive);
    out.replace(QLatin1String("%%p"), QStringLiteral("\u00B1"), Qt::CaseInsensitive);
    out.replace(QLatin1String("%%c"), QStringLiteral("\u2300"), Qt::CaseInsensitive);
    out.replace(QLatin1String("%%%"), QStringLiteral("%"));
    out.remove(QLatin1String("%%u"), Qt::CaseInsensitive);
    out.remove(QLatin1String("%%o"), Qt::CaseInsensitive);
    return out;
}

// Removes the formatting codes of a multi-line text and returns its lines.
QStringList MTextLines(QString text)
{
    text.replace(QLatin1String("\\P"), QStringLiteral("\n"));
    text.replace(QLatin1String("\\~"), QStringLiteral(" "));
    // Stacked fractions \S1/2; keep the numbers.
    static const QRegularExpression stacked(QStringLiteral("\\\\S([^;]*);"));
    text.replace(stacked, QStringLiteral("\\1"));
    // Codes with an argument ended by ';' (font, height, width, colour ...).
    static const QRegularExpression withArgument(QStringLiteral("\\\\[ACFfHQTWp][^;]*;"));
    text.remove(withArgument);
    static const QRegularExpression toggles(QStringLiteral("\\\\[LlOoKkNX]"));
    text.remove(toggles);
    text.replace(QLatin1String("\\\\"), QStringLiteral("\x01"));
    text.replace(QLatin1String("\\{"), QStringLiteral("\x02"));
    text.replace(QLatin1String("\\}"), QStringLiteral("\x03"));
    text.remove(QLatin1Char('{'));
    text.remove(QLatin1Char('}'));
    text.replace(QChar(1), QLatin1Char('\\'));
    text.replace(QChar(2), QLatin1Char('{'));
    text.replace(QChar(3), QLatin1Char('}'));
    return text.split(QLatin1Char('\n'));
}

struct Item
{
    QPainterPath path; // in the coordinates of its block (y up)
    QColor colour;
    bool fill = false;
    bool point = false;
};

struct Insert
{
    std::string block;
    QTransform transform; // block coordinates -> parent coordinates
    QColor colour;
};

struct Container
{
    std::vector<Item> items;
    std::vector<Insert> inserts;
    double baseX = 0, baseY = 0;
};

struct Layer
{
    QColor colour;
    bool hidden = false;
};

class Collector : public DL_CreationAdapter
{
public:
    Container model;
    Container paper;
    std::map<std::string, Container> blocks;
    bool canDrawText = false;

    // --- tables and structure -------------------------------------------------
    void addLayer(const DL_LayerData &data) override
    {
        const DL_Attributes a = getAttributes();
        Layer layer;
        int colour = a.getColor();
        layer.hidden = colour < 0 || (data.flags & 1) || data.off;
        colour = std::abs(colour);
        layer.colour = a.getColor24() > 0 ? QColor::fromRgb(static_cast<QRgb>(a.getColor24()))
                                          : AciColour(colour);
        m_layers[Upper(data.name)] = layer;
    }

    void addBlock(const DL_BlockData &data) override
    {
        Container &c = blocks[Upper(data.name)];
        c = Container();
        c.baseX = Finite(data.bpx) ? data.bpx : 0.0;
        c.baseY = Finite(data.bpy) ? data.bpy : 0.0;
        m_current = &c;
        m_polyline = nullptr;
    }

    void endBlock() override
    {
        m_current = nullptr;
        m_polyline = nullptr;
    }

    // --- entities ---------------------------------------------------------------
    void addPoint(const DL_PointData &d) override
    {
        if (!Finite(d.x, d.y))
            return;
        QPainterPath p;
        p.moveTo(d.x, d.y);
        p.lineTo(d.x, d.y);
        Add(p, false, true);
    }

    void addLine(const DL_LineData &d) override
    {
        if (!Finite(d.x1, d.y1) || !Finite(d.x2, d.y2))
            return;
        QPainterPath p;
        p.moveTo(d.x1, d.y1);
        p.lineTo(d.x2, d.y2);
        Add(p);
    }

    void addArc(const DL_ArcData &d) override
    {
        if (!Finite(d.cx, d.cy) || !Finite(d.radius) || d.radius <= 0 || !Finite(d.angle1)
            || !Finite(d.angle2))
            return;
        double sweep = std::fmod(d.angle2 - d.angle1, 360.0);
        if (sweep <= 0)
            sweep += 360.0;
        QPainterPath p;
        AppendArc(p, d.cx, d.cy, d.radius, d.radius, 0.0, d.angle1 * kPi / 180.0,
                  sweep * kPi / 180.0, true);
        Add(p);
    }

    void addCircle(const DL_CircleData &d) override
    {
        if (!Finite(d.cx, d.cy) || !Finite(d.radius) || d.radius <= 0)
            return;
        QPainterPath p;
        AppendArc(p, d.cx, d.cy, d.radius, d.radius, 0.0, 0.0, 2 * kPi, true);
        p.closeSubpath();
        Add(p);
    }

    void addEllipse(const DL_EllipseData &d) override
    {
        if (!Finite(d.cx, d.cy) || !Finite(d.mx, d.my) || !Finite(d.ratio) || !Finite(d.angle1)
            || !Finite(d.angle2))
            return;
        const double major = std::hypot(d.mx, d.my);
        if (major <= 0)
            return;
        double sweep = d.angle2 - d.angle1;
        while (sweep <= 0)
            sweep += 2 * kPi;
        sweep = std::min(sweep, 2 * kPi);
        QPainterPath p;
        AppendArc(p, d.cx, d.cy, major, major * std::fabs(d.ratio), std::atan2(d.my, d.mx),
                  d.angle1, sweep, true);
        Add(p);
    }

    void addPolyline(const DL_PolylineData &d) override
    {
        // Polygon and polyface meshes carry face records among their vertices;
        // they are not drawn.
        if (d.flags & (16 | 64)) {
            m_polyline = nullptr;
            return;
        }
        m_polylines.push_back({});
        PolylineBuild &pl = m_polylines.back();
        pl.closed = (d.flags & 1) != 0;
        pl.colour = CurrentColour();
        pl.hidden = CurrentHidden();
        pl.target = &Target();
        m_polyline = &pl;
    }

    void addVertex(const DL_VertexData &d) override
    {
        if (!m_polyline || !Finite(d.x, d.y))
            return;
        m_polyline->vertices.push_back({d.x, d.y, Finite(d.bulge) ? d.bulge : 0.0});
    }

    void endSequence() override { m_polyline = nullptr; }

    void addSolid(const DL_SolidData &d) override
    {
        // Corner order of a solid: 1, 2, 4, 3.
        const double xs[4] = {d.x[0], d.x[1], d.x[3], d.x[2]};
        const double ys[4] = {d.y[0], d.y[1], d.y[3], d.y[2]};
        QPainterPath p;
        for (int i = 0; i < 4; ++i) {
            if (!Finite(xs[i], ys[i]))
                return;
            if (i == 0)
                p.moveTo(xs[i], ys[i]);
            else
                p.lineTo(xs[i], ys[i]);
        }
        p.closeSubpath();
        Add(p, true);
    }

    void add3dFace(const DL_3dFaceData &d) override
    {
        QPainterPath p;
        for (int i = 0; i < 4; ++i) {
            if (!Finite(d.x[i], d.y[i]))
                return;
            if (i == 0)
                p.moveTo(d.x[i], d.y[i]);
            else
                p.lineTo(d.x[i], d.y[i]);
        }
        p.closeSubpath();
        Add(p);
    }

    void addText(const DL_TextData &d) override
    {
        if (!canDrawText)
            return;
        const QString text = DecodeDxfText(d.text);
        const bool aligned = d.hJustification != 0 || d.vJustification != 0;
        const double x = aligned && Finite(d.apx, d.apy) ? d.apx : d.ipx;
        const double y = aligned && Finite(d.apx, d.apy) ? d.apy : d.ipy;
        if (text.isEmpty() || !Finite(x, y) || !Finite(d.height) || d.height <= 0)
            return;
        double xScale = Finite(d.xScaleFactor) && d.xScaleFactor > 0 ? d.xScaleFactor : 1.0;
        // Horizontal: 0 left, 1 center, 2 right, 3 aligned, 4 middle, 5 fit.
        double hAlign = 0.0;
        if (d.hJustification == 1 || d.hJustification == 4)
            hAlign = 0.5;
        else if (d.hJustification == 2)
            hAlign = 1.0;
        // Vertical: 0 baseline, 1 bottom, 2 middle, 3 top.
        double vAlign = 0.0;
        if (d.vJustification == 2 || d.hJustification == 4)
            vAlign = 0.5;
        else if (d.vJustification == 3)
            vAlign = 1.0;
        AddTextLines({text}, x, y, d.height, xScale, Finite(d.angle) ? d.angle : 0.0, hAlign,
                     vAlign, false);
    }

    void addMTextChunk(const std::string &text) override { m_mtextChunks += text; }

    void addMText(const DL_MTextData &d) override
    {
        const std::string raw = m_mtextChunks + d.text;
        m_mtextChunks.clear();
        if (!canDrawText || !Finite(d.ipx, d.ipy) || !Finite(d.height) || d.height <= 0)
            return;
        const QStringList lines = MTextLines(DecodeDxfText(raw));
        // Attachment: 1-3 top, 4-6 middle, 7-9 bottom; left, center, right.
        const int attach = (d.attachmentPoint >= 1 && d.attachmentPoint <= 9) ? d.attachmentPoint : 1;
        const double hAlign = ((attach - 1) % 3) * 0.5;
        const double vAlign = 1.0 - ((attach - 1) / 3) * 0.5;
        AddTextLines(lines, d.ipx, d.ipy, d.height, 1.0, Finite(d.angle) ? d.angle : 0.0, hAlign,
                     vAlign, true, Finite(d.lineSpacingFactor) && d.lineSpacingFactor > 0
                                       ? d.lineSpacingFactor
                                       : 1.0);
    }

    void addInsert(const DL_InsertData &d) override
    {
        if (!Finite(d.ipx, d.ipy) || CurrentHidden())
            return;
        const double sx = Finite(d.sx) && d.sx != 0 ? d.sx : 1.0;
        const double sy = Finite(d.sy) && d.sy != 0 ? d.sy : 1.0;
        const double angle = Finite(d.angle) ? d.angle : 0.0;
        const int cols = std::max(1, d.cols);
        const int rows = std::max(1, d.rows);
        if (static_cast<qint64>(cols) * rows > kMaxArrayCells)
            return;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                const double ox = Finite(d.colSp) ? c * d.colSp : 0.0;
                const double oy = Finite(d.rowSp) ? r * d.rowSp : 0.0;
                // Block point -> scale -> offset in the array -> rotate -> place.
                QTransform t;
                t.translate(d.ipx, d.ipy);
                t.rotate(angle);
                t.translate(ox, oy);
                t.scale(sx, sy);
                Target().inserts.push_back({Upper(d.name), t, CurrentColour()});
            }
        }
    }

    // Turns the collected polylines into paths; call once after reading.
    void Finish()
    {
        for (PolylineBuild &pl : m_polylines) {
            if (pl.hidden || pl.vertices.empty())
                continue;
            QPainterPath p;
            const size_t n = pl.vertices.size();
            p.moveTo(pl.vertices[0].x, pl.vertices[0].y);
            const size_t segments = pl.closed ? n : n - 1;
            for (size_t i = 0; i < segments; ++i) {
                const Vertex &a = pl.vertices[i];
                const Vertex &b = pl.vertices[(i + 1) % n];
                AppendBulgeSegment(p, a, b);
            }
            if (pl.closed)
                p.closeSubpath();
            if (n == 1)
                p.lineTo(pl.vertices[0].x, pl.vertices[0].y);
            pl.target->items.push_back({p, pl.colour, false, n == 1});
        }
        m_polylines.clear();
        m_polyline = nullptr;
    }

private:
    struct Vertex
    {
        double x, y, bulge;
    };
    struct PolylineBuild
    {
        std::vector<Vertex> vertices;
        bool closed = false;
        bool hidden = false;
        QColor colour;
        Container *target = nullptr;
    };

    static std::string Upper(const std::string &s)
    {
        return QString::fromStdString(s).toUpper().toStdString();
    }

    Container &Target()
    {
        if (m_current)
            return *m_current;
        return getAttributes().isInPaperSpace() ? paper : model;
    }

    const Layer *CurrentLayer()
    {
        auto it = m_layers.find(Upper(getAttributes().getLayer()));
        return it == m_layers.end() ? nullptr : &it->second;
    }

    bool CurrentHidden()
    {
        const Layer *layer = CurrentLayer();
        return layer && layer->hidden;
    }

    QColor CurrentColour()
    {
        const DL_Attributes a = getAttributes();
        if (a.getColor24() > 0)
            return QColor::fromRgb(static_cast<QRgb>(a.getColor24()));
        const int colour = a.getColor();
        if (colour == 256) { // by layer
            const Layer *layer = CurrentLayer();
            return layer ? layer->colour : QColor(0, 0, 0);
        }
        return AciColour(colour); // 0 (by block) draws black
    }

    void Add(const QPainterPath &p, bool fill = false, bool point = false)
    {
        if (CurrentHidden())
            return;
        Target().items.push_back({p, CurrentColour(), fill, point});
    }

    // Points of an elliptical arc; rotation of the major axis and the angles in
    // radians, counter-clockwise as in the drawing.
    static void AppendArc(QPainterPath &p, double cx, double cy, double rx, double ry,
                          double rotation, double start, double sweep, bool moveFirst)
    {
        const int steps = std::max(8, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 48))));
        const double cr = std::cos(rotation), sr = std::sin(rotation);
        for (int i = 0; i <= steps; ++i) {
            const double t = start + sweep * i / steps;
            const double ex = rx * std::cos(t), ey = ry * std::sin(t);
            const QPointF pt(cx + ex * cr - ey * sr, cy + ex * sr + ey * cr);
            if (i == 0 && moveFirst)
                p.moveTo(pt);
            else
                p.lineTo(pt);
        }
    }

    // A polyline segment; a bulge other than 0 makes it an arc (the tangent of a
    // quarter of its angle, positive for counter-clockwise).
    static void AppendBulgeSegment(QPainterPath &p, const Vertex &a, const Vertex &b)
    {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double chord = std::hypot(dx, dy);
        if (std::fabs(a.bulge) < 1e-9 || chord <= 0) {
            p.lineTo(b.x, b.y);
            return;
        }
        const double bulge = std::clamp(a.bulge, -1e6, 1e6);
        const double sweep = 4.0 * std::atan(bulge);
        // Centre: from the chord's midpoint along its left normal.
        const double offset = (1.0 - bulge * bulge) / (4.0 * bulge);
        const double cx = (a.x + b.x) / 2 - dy * offset;
        const double cy = (a.y + b.y) / 2 + dx * offset;
        const double radius = std::hypot(a.x - cx, a.y - cy);
        const double start = std::atan2(a.y - cy, a.x - cx);
        AppendArc(p, cx, cy, radius, radius, 0.0, start, sweep, false);
        p.lineTo(b.x, b.y);
    }

    void AddTextLines(const QStringList &lines, double x, double y, double height, double xScale,
                      double angleRadians, double hAlign, double vAlign, bool fromTop,
                      double lineSpacing = 1.0)
    {
        if (CurrentHidden())
            return;
        // Glyphs are laid out at a fixed pixel size and scaled so that the
        // height of a capital letter equals the text height of the drawing.
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(100);
        const QFontMetricsF metrics(font);
        const double cap = metrics.capHeight() > 0 ? metrics.capHeight() : 70.0;
        const double lineStep = cap * 5.0 / 3.0 * lineSpacing;

        QPainterPath block; // Qt coordinates: y down, first baseline at 0
        double width = 0;
        for (int i = 0; i < lines.size(); ++i) {
            QPainterPath line;
            line.addText(0, i * lineStep, font, lines.at(i));
            const double w = metrics.horizontalAdvance(lines.at(i));
            width = std::max(width, w);
            // Each line aligns on its own within the block.
            QTransform shift;
            shift.translate(-hAlign * w, 0);
            block.addPath(shift.map(line));
        }
        if (block.isEmpty())
            return;
        const double blockHeight = cap + (lines.size() - 1) * lineStep;
        // Single-line texts: vAlign 0 puts the baseline on y. Multi-line texts:
        // vAlign 0 puts the last baseline on y.
        // The point of the block at vAlign (1 top, 0.5 middle, 0 bottom) goes to y.
        const double shift = fromTop ? cap - (1.0 - vAlign) * blockHeight : vAlign * cap;
        QTransform t;
        t.translate(x, y);
        t.rotate(angleRadians * 180.0 / kPi);
        t.scale(height / cap * xScale, -height / cap);
        t.translate(0, shift);
        Target().items.push_back({t.map(block), CurrentColour(), true, false});
    }

    std::map<std::string, Layer> m_layers;
    std::vector<PolylineBuild> m_polylines; // pointers to its elements are kept
    Container *m_current = nullptr;
    PolylineBuild *m_polyline = nullptr;
    std::string m_mtextChunks;
};

struct DrawnItem
{
    QPainterPath path;
    QColor colour;
    bool fill;
    bool point;
};

// Resolves block references into one list of items in model coordinates. The
// budget counts items and references alike; a block that refers to itself
// (directly or through others) is not entered again.
void Flatten(const Collector &c, const Container &container, const QTransform &t, int depth,
             std::vector<DrawnItem> &out, qint64 &budget, std::vector<const Container *> &open)
{
    for (const Item &item : container.items) {
        if (--budget < 0)
            return;
        out.push_back({t.map(item.path), item.colour, item.fill, item.point});
    }
    if (depth >= kMaxInsertDepth)
        return;
    open.push_back(&container);
    for (const Insert &ins : container.inserts) {
        if (budget < 0)
            break;
        auto it = c.blocks.find(ins.block);
        if (it == c.blocks.end())
            continue;
        if (std::find(open.begin(), open.end(), &it->second) != open.end())
            continue; // a block inside itself draws nothing more
        QTransform local;
        local.translate(-it->second.baseX, -it->second.baseY);
        Flatten(c, it->second, local * ins.transform * t, depth + 1, out, budget, open);
    }
    open.pop_back();
}

// An entity's name for a message: as written when it is a plain name.
QString EntityName(const QByteArray &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_]{1,40}$"));
    const QString text = QString::fromLatin1(name);
    return plain.match(text).hasMatch() ? text : QStringLiteral("entity");
}

} // namespace

bool LooksLikeDxf(const QByteArray &head)
{
    if (head.startsWith("AutoCAD Binary DXF"))
        return true;
    // Group code 0, then SECTION, each on its own line, blanks allowed; a
    // leading comment (group 999) is allowed too.
    const QList<QByteArray> lines = head.left(4096).split('\n');
    int i = 0;
    auto next = [&]() -> QByteArray {
        return i < lines.size() ? lines.at(i++).trimmed() : QByteArray();
    };
    QByteArray code = next();
    if (code.startsWith("\xEF\xBB\xBF"))
        code = code.mid(3);
    if (code == "999") {
        next();
        code = next();
    }
    return code == "0" && next() == "SECTION";
}

bool RenderDxf(const QByteArray &data, QImage *out, QString *error, int longestSide)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (data.isEmpty())
        return fail(QStringLiteral("The file is empty."));
    if (data.startsWith("AutoCAD Binary DXF"))
        return fail(QStringLiteral("Binary DXF drawings cannot be read; save the drawing as ASCII DXF."));
    if (!LooksLikeDxf(data))
        return fail(QStringLiteral("The file is not a DXF drawing."));
    const TDxfSize size = MeasureDxf(data, kDxfMaxElements);
    if (size.LineTooLong)
        return fail(QStringLiteral("The DXF drawing is damaged: line %1 is longer than %2 characters.")
                        .arg(size.LongLine)
                        .arg(kDxfMaxLineLength));
    if (size.TooLarge && size.EntityElements > kDxfMaxElements / 2)
        return fail(QStringLiteral("The DXF drawing is too large: its %1 at line %2 has at least %3 points, "
                                   "and at most %4 entities and points can be drawn.")
                        .arg(EntityName(size.Entity))
                        .arg(size.EntityLine)
                        .arg(size.EntityElements)
                        .arg(kDxfMaxElements));
    if (size.TooLarge)
        return fail(QStringLiteral("The DXF drawing is too large: it has more than %1 entities and points, "
                                   "at most %1 can be drawn.")
                        .arg(kDxfMaxElements));

    Collector collector;
    collector.canDrawText = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    try {
        std::istringstream stream(data.toStdString());
        DL_Dxf dxf;
        if (!dxf.in(stream, &collector))
            return fail(QStringLiteral("The DXF drawing cannot be read."));
    } catch (const std::exception &e) {
        return fail(QStringLiteral("The DXF drawing cannot be read: %1")
                        .arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        return fail(QStringLiteral("The DXF drawing cannot be read."));
    }
    collector.Finish();

    std::vector<DrawnItem> items;
    std::vector<const Container *> open;
    qint64 budget = kMaxDrawnItems;
    Flatten(collector, collector.model, QTransform(), 0, items, budget, open);
    if (items.empty()) { // a drawing kept in paper space only
        budget = kMaxDrawnItems;
        Flatten(collector, collector.paper, QTransform(), 0, items, budget, open);
    }
    if (budget < 0)
        return fail(QStringLiteral("The DXF drawing is too large: its block references make more than %1 "
                                   "elements to draw.")
                        .arg(kDxfMaxDrawnElements));
    if (items.empty())
        return fail(QStringLiteral("The DXF drawing contains nothing that can be shown."));

    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool first = true;
    for (const DrawnItem &item : items) {
        // Lines along an axis have an empty rectangle; their span still counts.
        const QRectF r = item.path.boundingRect();
        if (first) {
            minX = r.left(), maxX = r.right(), minY = r.top(), maxY = r.bottom();
            first = false;
        } else {
            minX = std::min(minX, r.left()), maxX = std::max(maxX, r.right());
            minY = std::min(minY, r.top()), maxY = std::max(maxY, r.bottom());
        }
    }
    const QRectF extents(QPointF(minX, minY), QPointF(maxX, maxY));
    if (!std::isfinite(extents.width()) || !std::isfinite(extents.height()))
        return fail(QStringLiteral("The DXF drawing has invalid coordinates."));

    const int margin = kDxfMargin;
    const int drawable = std::max(1, longestSide - 2 * margin);
    const double span = std::max(extents.width(), extents.height());
    // A span too small to divide by draws as a point.
    const double ratio = span > 0 ? drawable / span : 1.0;
    const double scale = std::isfinite(ratio) ? ratio : 1.0;
    // The longest side is the drawable size exactly, also where rounding
    // leaves a trace above it.
    const auto pixels = [&](double length) {
        const double n = std::ceil(length * scale);
        return static_cast<int>(std::clamp(std::isfinite(n) ? n : 1.0, 1.0, double(drawable))) + 2 * margin;
    };
    const int width = pixels(extents.width());
    const int height = pixels(extents.height());

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return fail(QStringLiteral("Not enough memory for the drawing."));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // Drawing y grows upwards, picture rows downwards.
        // Drawing coordinates fall on pixel centres, so that thin lines along
        // an axis stay crisp.
        const QTransform toPixels(scale, 0, 0, -scale, margin + 0.5 - extents.left() * scale,
                                  margin + 0.5 + extents.bottom() * scale);
        painter.setTransform(toPixels);
        for (const DrawnItem &item : items) {
            if (item.point) {
                painter.resetTransform();
                painter.setPen(Qt::NoPen);
                painter.setBrush(item.colour);
                const QPointF at = toPixels.map(item.path.pointAtPercent(0));
                painter.drawEllipse(at, 1.5, 1.5);
                painter.setTransform(toPixels);
            } else if (item.fill) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(item.colour);
                painter.drawPath(item.path);
            } else {
                QPen pen(item.colour);
                pen.setCosmetic(true);
                pen.setWidthF(1.0);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawPath(item.path);
            }
        }
    }
    *out = image;
    return true;
}

} // namespace wobbin
