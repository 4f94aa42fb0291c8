#include "icons.h"

#include "paintkit.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>

namespace skin {

namespace {

// Width in box units of a line one device pixel wide at that size.
double OnePixel(double pixels)
{
    return 64.0 / pixels;
}

// A paint device that only records the outline of everything drawn on it:
// strokes become their outlines, filled shapes themselves. The scalable icons
// need it because the SVG writer drops clipping: a clipped drawing is
// recorded, cut to the clip path and filled instead.
class OutlineEngine : public QPaintEngine
{
public:
    OutlineEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QPainterPath outline;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &changed) override
    {
        if (changed.state() & QPaintEngine::DirtyPen)
            m_pen = changed.pen();
        if (changed.state() & QPaintEngine::DirtyBrush)
            m_brush = changed.brush();
        if (changed.state() & QPaintEngine::DirtyTransform)
            m_transform = changed.transform();
    }
    void drawPath(const QPainterPath &path) override
    {
        if (m_brush.style() != Qt::NoBrush)
            outline.addPath(m_transform.map(path));
        if (m_pen.style() != Qt::NoPen) {
            QPainterPathStroker stroker(m_pen);
            outline.addPath(m_transform.map(stroker.createStroke(path)));
        }
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path(lines[i].p1());
            path.lineTo(lines[i].p2());
            drawPath(path);
        }
    }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        if (mode != QPaintEngine::PolylineMode)
            path.closeSubpath();
        const QBrush brush = m_brush;
        if (mode == QPaintEngine::PolylineMode)
            m_brush = Qt::NoBrush;
        drawPath(path);
        m_brush = brush;
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

private:
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
};

class OutlineDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QPainterPath Outline() const { return m_engine.outline.simplified(); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: case PdmHeight: return 64;
        case PdmWidthMM: case PdmHeightMM: return 17;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return 0;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable OutlineEngine m_engine;
};

// Draws what draw paints (in one colour) cut to the clip path: the outline of
// the drawing, intersected with the clip, filled with colour.
void FillClipped(QPainter &p, const QPainterPath &clip, const QColor &colour,
                 const std::function<void(QPainter &)> &draw)
{
    OutlineDevice device;
    {
        QPainter recorder(&device);
        draw(recorder);
    }
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(device.Outline().intersected(clip));
    p.restore();
}

// The blue card of the logo with a web in its corner and the mascot on it.
void AppCard(QPainter &p, const QRectF &r, double pixels, bool withWeb)
{
    const double k = r.width() / 60.0;  // designed 60 wide
    // Small, a lighter card keeps the mascot apart from it.
    const bool small = pixels < 48;
    RoundPanel(p, r, 14 * k, small ? col::Sky : QColor(0x3a, 0x74, 0xd8), small ? col::BlueLight : col::Navy,
               col::Gold, std::max(2.4 * k, OnePixel(pixels)));
    if (withWeb) {
        QPainterPath clip;
        clip.addRoundedRect(r.adjusted(2 * k, 2 * k, -2 * k, -2 * k), 12 * k, 12 * k);
        const QPointF centre = r.topLeft() + QPointF(2 * k, 2 * k);
        const QColor thread = pixels >= 48 ? QColor(255, 255, 255, 90) : QColor(255, 255, 255, 110);
        FillClipped(p, clip, thread, [&](QPainter &w) {
            if (pixels >= 48)
                Web(w, centre, 50 * k, 5, 10, 6, thread, 1.0 * k);
            else
                Web(w, centre, 46 * k, 5, 8, 3, thread, std::max(1.0 * k, 0.8 * OnePixel(pixels)));
        });
    }
}

// The ribbon with the gold medal of the template list's icon.
void TemplateMedal(QPainter &p, QPointF c, double radius, double pixels)
{
    const double k = radius / 6.5;  // designed with a radius of 6.5
    p.setPen(QPen(col::Navy, std::max(0.8 * k, OnePixel(pixels) * 0.8)));
    p.setBrush(col::BlueLight);
    QPainterPath ribbon(c + QPointF(-3.5 * k, 0.5 * k));
    ribbon.lineTo(c + QPointF(-3.5 * k, 11.5 * k));
    ribbon.lineTo(c + QPointF(0, 9 * k));
    ribbon.lineTo(c + QPointF(3.5 * k, 11.5 * k));
    ribbon.lineTo(c + QPointF(3.5 * k, 0.5 * k));
    ribbon.closeSubpath();
    p.drawPath(ribbon);
    p.setBrush(col::Gold);
    p.setPen(QPen(QColor(0x8a, 0x52, 0x00), std::max(0.8 * k, OnePixel(pixels) * 0.8)));
    p.drawEllipse(c, radius, radius);
    Sparkle(p, c, 4.2 * k, col::White);
}

} // namespace

void AppIcon(QPainter &p, double pixels)
{
    // At 48 pixels and more the window icon's design as it is; smaller, a
    // web of fewer, bolder threads and a larger mascot.
    AppCard(p, QRectF(2, 2, 60, 60), pixels, true);
    const QRectF spider = pixels >= 48 ? QRectF(8, 14, 50, 44) : QRectF(5, 10, 56, 50);
    Spider(p, spider, SpiderPose{});
}

void PageFileIcon(QPainter &p, double pixels)
{
    // A page with the program's card in its corner.
    PageSheet(p, QRectF(7, 2, 42, 58));
    const QRectF card(31, 31, 31, 31);
    AppCard(p, card, pixels, pixels >= 48);
    Spider(p, card.adjusted(2.5, 6, -3, -3), SpiderPose{});
}

void TemplateFileIcon(QPainter &p, double pixels)
{
    // A page with the ready-made medal of the template list.
    PageSheet(p, QRectF(7, 2, 42, 58));
    TemplateMedal(p, QPointF(46, 41), 13, pixels);
}

std::vector<DesktopIcon> DesktopIcons()
{
    return {
        {QStringLiteral("org.quorvex.WobbinExpress"), QStringLiteral("apps"), AppIcon},
        {QStringLiteral("application-x-wobbin-express-page"), QStringLiteral("mimetypes"), PageFileIcon},
        {QStringLiteral("application-x-wobbin-express-template"), QStringLiteral("mimetypes"), TemplateFileIcon},
    };
}

std::vector<int> DesktopIconSizes()
{
    return {16, 22, 24, 32, 48, 64, 128, 256, 512};
}

namespace {

QImage RenderIcon(const DesktopIcon &icon, int pixels)
{
    QImage img(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        SetupPainter(p);
        p.scale(pixels / 64.0, pixels / 64.0);
        icon.draw(p, pixels);
    }
    return img.convertToFormat(QImage::Format_ARGB32);
}

bool SaveIconPng(const QImage &img, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QImageWriter w(&f, "png");
    w.setQuality(0);
    if (!w.write(img)) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool SaveIconSvg(const DesktopIcon &icon, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&f);
        svg.setSize(QSize(64, 64));
        svg.setViewBox(QRectF(0, 0, 64, 64));
        svg.setResolution(96);
        svg.setTitle(icon.name);
        svg.setDescription(QStringLiteral("Wobbin Express"));
        QPainter p(&svg);
        SetupPainter(p);
        icon.draw(p, 64);
    }
    return f.commit();
}

} // namespace

bool WriteDesktopIcons(const QString &themeDir, QString *error)
{
    const QDir root(themeDir);
    for (const DesktopIcon &icon : DesktopIcons()) {
        for (int size : DesktopIconSizes()) {
            const QString dir = root.filePath(QStringLiteral("%1x%1/%2").arg(size).arg(icon.context));
            const QString path = QDir(dir).filePath(icon.name + QStringLiteral(".png"));
            if (!QDir().mkpath(dir) || !SaveIconPng(RenderIcon(icon, size), path)) {
                *error = path;
                return false;
            }
        }
        const QString dir = root.filePath(QStringLiteral("scalable/") + icon.context);
        const QString path = QDir(dir).filePath(icon.name + QStringLiteral(".svg"));
        if (!QDir().mkpath(dir) || !SaveIconSvg(icon, path)) {
            *error = path;
            return false;
        }
    }
    return true;
}

} // namespace skin
