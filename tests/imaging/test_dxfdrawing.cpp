// DXF drawings painted on white at their extents.

#include "imaging/DxfDrawing.h"
#include "imaging/MultiImage.h"
#include "imaging_files.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace testfiles;

namespace {

// Builds DXF text from group code / value pairs.
class Dxf
{
public:
    Dxf &operator()(int code, const QString &value)
    {
        m_text += QString::number(code) + QLatin1Char('\n') + value + QLatin1Char('\n');
        return *this;
    }
    Dxf &operator()(int code, double value) { return (*this)(code, QString::number(value)); }
    Dxf &Section(const char *name) { return (*this)(0, QStringLiteral("SECTION"))(2, QLatin1String(name)); }
    Dxf &EndSection() { return (*this)(0, QStringLiteral("ENDSEC")); }
    Dxf &Line(double x1, double y1, double x2, double y2, int colour = 256)
    {
        return (*this)(0, QStringLiteral("LINE"))(8, QStringLiteral("0"))(62, colour)(10, x1)(20, y1)(11, x2)(21, y2);
    }
    QByteArray Bytes() const { return (m_text + QStringLiteral("0\nEOF\n")).toLatin1(); }

private:
    QString m_text;
};

bool DarkNear(const QImage &img, int x, int y, int radius = 2)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= img.width() || py >= img.height())
                continue;
            if (qGray(img.pixel(px, py)) < 160)
                return true;
        }
    return false;
}

bool WhiteAround(const QImage &img, int x, int y, int radius = 3)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (img.pixel(x + dx, y + dy) != qRgb(255, 255, 255))
                return false;
    return true;
}

} // namespace

class TestDxfDrawing : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // The drawing of the main test: extents x 0..180, y 0..100.
    static QByteArray SampleDrawing()
    {
        Dxf d;
        d.Section("ENTITIES");
        // A square of four lines.
        d.Line(0, 0, 100, 0).Line(100, 0, 100, 100).Line(100, 100, 0, 100).Line(0, 100, 0, 0);
        // A red circle.
        d(0, QStringLiteral("CIRCLE"))(8, QStringLiteral("0"))(62, 1)(10, 50)(20, 50)(40, 20);
        // The upper half of a circle: counter-clockwise from 0 to 180 degrees.
        d(0, QStringLiteral("ARC"))(8, QStringLiteral("0"))(10, 150)(20, 50)(40, 30)(50, 0)(51, 180);
        // A closed triangle.
        d(0, QStringLiteral("LWPOLYLINE"))(8, QStringLiteral("0"))(90, 3)(70, 1)
            (10, 60)(20, 10)(10, 90)(20, 10)(10, 75)(20, 30);
        // A clockwise half circle from (160,0) to (180,0): it bulges upwards.
        d(0, QStringLiteral("LWPOLYLINE"))(8, QStringLiteral("0"))(90, 2)(70, 0)
            (10, 160)(20, 0)(42, -1)(10, 180)(20, 0);
        d(0, QStringLiteral("TEXT"))(8, QStringLiteral("0"))(10, 10)(20, 80)(40, 10)(1, QStringLiteral("HI"));
        d.EndSection();
        return d.Bytes();
    }

    // Pixel of a drawing point in the sample (scale 768/180, margin 16, y flipped).
    static QPoint Px(double x, double y)
    {
        const double s = (kDxfLongestSide - 2.0 * kDxfMargin) / 180.0;
        return QPoint(qRound(kDxfMargin + x * s), qRound(kDxfMargin + (100 - y) * s));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void drawsEntitiesAtTheirExtents()
    {
        const QString path = m_dir.filePath("sample.dxf");
        QVERIFY(WriteBytes(path, SampleDrawing()));
        TMultiImage img;
        QString error;
        QVERIFY2(img.LoadFromFile(path, &error), qPrintable(error));
        QCOMPARE(img.FormatName(), QStringLiteral("dxf"));
        // Longest side 800 px, aspect kept: 180 x 100 units.
        QCOMPARE(img.Width(), 800);
        QCOMPARE(img.Height(), 427 + 2 * kDxfMargin);
        const QImage &i = img.Image();

        // Square edges and corners.
        QVERIFY(DarkNear(i, Px(50, 100).x(), Px(50, 100).y()));
        QVERIFY(DarkNear(i, Px(0, 50).x(), Px(0, 50).y()));
        QVERIFY(DarkNear(i, Px(100, 0).x(), Px(100, 0).y()));
        // The circle is drawn red and is hollow.
        const QPoint top = Px(50, 70);
        QVERIFY(DarkNear(i, top.x(), top.y()));
        bool red = false;
        for (int dy = -2; dy <= 2 && !red; ++dy)
            red = Near(i.pixel(top.x(), top.y() + dy), QColor(255, 0, 0), 60);
        QVERIFY2(red, "circle is not red");
        QVERIFY(WhiteAround(i, Px(50, 50).x(), Px(50, 50).y()));
        // The arc is the upper half only: the y axis points up.
        QVERIFY(DarkNear(i, Px(150, 80).x(), Px(150, 80).y()));
        QVERIFY(WhiteAround(i, Px(150, 22).x(), Px(150, 22).y()));
        // Triangle edge, and the bulged segment above its chord.
        QVERIFY(DarkNear(i, Px(75, 10).x(), Px(75, 10).y()));
        QVERIFY(DarkNear(i, Px(170, 10).x(), Px(170, 10).y()));
        QVERIFY(WhiteAround(i, Px(170, 5).x(), Px(170, 5).y(), 2));
        // The text left ink in its box (insertion point bottom left, height 10).
        int ink = 0;
        for (int y = Px(0, 90).y(); y <= Px(0, 80).y(); ++y)
            for (int x = Px(10, 0).x(); x <= Px(30, 0).x(); ++x)
                ink += qGray(i.pixel(x, y)) < 128;
        QVERIFY2(ink > 100, qPrintable(QString::number(ink)));
        // Nothing lies outside the margins.
        for (int x = 0; x < i.width(); ++x)
            QCOMPARE(i.pixel(x, 2), qRgb(255, 255, 255));
    }

    void resolvesBlockReferences()
    {
        Dxf d;
        d.Section("BLOCKS");
        d(0, QStringLiteral("BLOCK"))(8, QStringLiteral("0"))(2, QStringLiteral("TICK"))(70, 0)(10, 0)(20, 0);
        d.Line(0, 0, 10, 0);
        d(0, QStringLiteral("ENDBLK"));
        d.EndSection();
        d.Section("ENTITIES");
        d.Line(0, 0, 20, 0);
        // Scaled twice and turned by 90 degrees: a vertical line 100,100 .. 100,120.
        d(0, QStringLiteral("INSERT"))(8, QStringLiteral("0"))(2, QStringLiteral("TICK"))
            (10, 100)(20, 100)(41, 2)(42, 2)(50, 90);
        d.EndSection();

        QImage out;
        QString error;
        QVERIFY2(RenderDxf(d.Bytes(), &out, &error), qPrintable(error));
        // Extents 0..100 by 0..120.
        QCOMPARE(out.height(), 800);
        const double s = (800 - 2.0 * kDxfMargin) / 120.0;
        QCOMPARE(out.width(), qCeil(100 * s) + 2 * kDxfMargin);
        auto px = [&](double x, double y) {
            return QPoint(qRound(kDxfMargin + x * s), qRound(kDxfMargin + (120 - y) * s));
        };
        QVERIFY(DarkNear(out, px(100, 118).x(), px(100, 118).y()));
        QVERIFY(WhiteAround(out, px(60, 110).x(), px(60, 110).y()));
    }

    void selfReferringBlocksEndInBoundedTime()
    {
        Dxf d;
        d.Section("BLOCKS");
        d(0, QStringLiteral("BLOCK"))(8, QStringLiteral("0"))(2, QStringLiteral("LOOP"))(70, 0)(10, 0)(20, 0);
        d.Line(0, 0, 1, 1);
        for (int i = 0; i < 10; ++i)
            d(0, QStringLiteral("INSERT"))(8, QStringLiteral("0"))(2, QStringLiteral("LOOP"))(10, i)(20, 0);
        d(0, QStringLiteral("ENDBLK"));
        d.EndSection();
        d.Section("ENTITIES");
        d(0, QStringLiteral("INSERT"))(8, QStringLiteral("0"))(2, QStringLiteral("LOOP"))(10, 0)(20, 0);
        d.EndSection();
        QImage out;
        QString error;
        QVERIFY2(RenderDxf(d.Bytes(), &out, &error), qPrintable(error));
        QVERIFY(!out.isNull());
    }

    void hugeDrawingsAreRefusedSayingWhatWasTooLarge()
    {
        // Two million points: refused at once.
        QByteArray body;
        body.reserve(2000000 * 26);
        body += "0\nSECTION\n2\nENTITIES\n";
        for (int i = 0; i < 2000000; ++i)
            body += "0\nPOINT\n8\n0\n10\n1\n20\n2\n";
        body += "0\nENDSEC\n0\nEOF\n";
        QVERIFY(WriteBytes(m_dir.filePath("huge.dxf"), body));
        body.clear();
        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(m_dir.filePath("huge.dxf"), &error));
        QCOMPARE(error, QStringLiteral("\"huge.dxf\": The DXF drawing is too large: it has more than %1 entities "
                                       "and points, at most %1 can be drawn.").arg(kDxfMaxElements));

        // One at the limit is drawn: lines count their two ends besides themselves.
        Dxf d;
        d.Section("ENTITIES");
        for (int i = 0; i < kDxfMaxElements / 3; ++i)
            d.Line(i % 100, i / 100, i % 100 + 1, i / 100);
        d.EndSection();
        QVERIFY(WriteBytes(m_dir.filePath("limit.dxf"), d.Bytes()));
        QVERIFY2(img.LoadFromFile(m_dir.filePath("limit.dxf"), &error), qPrintable(error));
    }

    // One entity with millions of vertices, knots or points, written out or
    // only announced: refused as soon as the count passes the limit, naming it.
    void entitiesWithTooManyPointsAreRefusedEarly_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("error");
        const QByteArray head = "0\nSECTION\n2\nENTITIES\n";
        const QByteArray tail = "0\nENDSEC\n0\nEOF\n";
        QByteArray points;
        points.reserve(4000000 * 16);
        for (int i = 0; i < 4000000; ++i)
            points += "10\n" + QByteArray::number(i % 997) + "\n20\n1\n";
        const QString tooMany = QStringLiteral("The DXF drawing is too large: its %1 at line %2 has at least %3 "
                                               "points, and at most %4 entities and points can be drawn.");
        QTest::newRow("polyline of 4,000,000 points")
            << head + "0\nLWPOLYLINE\n8\n0\n90\n4000000\n70\n0\n" + points + tail
            << tooMany.arg(QStringLiteral("LWPOLYLINE")).arg(6).arg(kDxfMaxElements + 1).arg(kDxfMaxElements);
        QTest::newRow("polyline announcing 2,000,000,000 points")
            << head + "0\nLWPOLYLINE\n8\n0\n90\n2000000000\n70\n0\n10\n0\n20\n0\n10\n1\n20\n1\n" + tail
            << tooMany.arg(QStringLiteral("LWPOLYLINE")).arg(6).arg(kDxfMaxElements + 1).arg(kDxfMaxElements);
        QTest::newRow("spline announcing knots and points in parts")
            << head + "0\nSPLINE\n8\n0\n71\n3\n72\n150000\n73\n100000\n" + tail
            << tooMany.arg(QStringLiteral("SPLINE")).arg(6).arg(250000).arg(kDxfMaxElements);
        QTest::newRow("spline of 4,000,000 fit points")
            << head + "0\nSPLINE\n8\n0\n" + QByteArray(points).replace("10\n", "11\n").replace("20\n", "21\n") + tail
            << tooMany.arg(QStringLiteral("SPLINE")).arg(6).arg(kDxfMaxElements).arg(kDxfMaxElements);
        QTest::newRow("line of 2,000 characters")
            << head + "0\nLINE\n8\n" + QByteArray(2000, 'x') + "\n" + tail
            << QStringLiteral("The DXF drawing is damaged: line 8 is longer than %1 characters.").arg(kDxfMaxLineLength);
    }

    void entitiesWithTooManyPointsAreRefusedEarly()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, error);
        QElapsedTimer clock;
        clock.start();
        QImage out;
        QString why;
        QVERIFY(!RenderDxf(data, &out, &why));
        QCOMPARE(why, error);
        qInfo("refused in %lld ms", clock.elapsed());
    }

    void aPolylineAtTheLimitIsDrawn()
    {
        Dxf d;
        d.Section("ENTITIES");
        d(0, QStringLiteral("LWPOLYLINE"))(8, QStringLiteral("0"))(90, kDxfMaxElements - 1)(70, 0);
        for (int i = 0; i < kDxfMaxElements - 1; ++i)
            d(10, i)(20, i % 7);
        d.EndSection();
        QImage out;
        QString error;
        QVERIFY2(RenderDxf(d.Bytes(), &out, &error), qPrintable(error));
        QCOMPARE(out.width(), 800);
    }

    void blockReferencesThatMultiplyTooFarAreRefused()
    {
        // A block of 1000 lines placed 1000 times: a million lines to draw.
        Dxf d;
        d.Section("BLOCKS");
        d(0, QStringLiteral("BLOCK"))(8, QStringLiteral("0"))(2, QStringLiteral("MANY"))(70, 0)(10, 0)(20, 0);
        for (int i = 0; i < 1000; ++i)
            d.Line(0, i, 10, i);
        d(0, QStringLiteral("ENDBLK"));
        d.EndSection();
        d.Section("ENTITIES");
        for (int i = 0; i < 1000; ++i)
            d(0, QStringLiteral("INSERT"))(8, QStringLiteral("0"))(2, QStringLiteral("MANY"))(10, i * 20.0)(20, 0);
        d.EndSection();
        QVERIFY(WriteBytes(m_dir.filePath("many.dxf"), d.Bytes()));
        TMultiImage img;
        QString error;
        QVERIFY(!img.LoadFromFile(m_dir.filePath("many.dxf"), &error));
        QCOMPARE(error, QStringLiteral("\"many.dxf\": The DXF drawing is too large: its block references "
                                       "make more than %1 elements to draw.").arg(kDxfMaxDrawnElements));
    }

    void refusesDrawingsWithNothingToShow_data()
    {
        QTest::addColumn<QByteArray>("data");
        Dxf empty;
        empty.Section("ENTITIES").EndSection();
        QTest::newRow("no entities") << empty.Bytes();
        QTest::newRow("garbage after a section")
            << QByteArray("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nabc\n20\n\xff\xfe\n11\n1e999\n21\nnan\n"
                          "zz\nqq\n0\nCIRCLE\n40\n-5\n");
        QTest::newRow("only a header") << QByteArray("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nEOF\n");
        QTest::newRow("not a drawing") << QByteArray("hello\nworld\n");
        QTest::newRow("binary dxf") << QByteArray("AutoCAD Binary DXF\r\n\x1a\0\0\0", 23);
    }

    void refusesDrawingsWithNothingToShow()
    {
        QFETCH(QByteArray, data);
        QImage out;
        QString error;
        QVERIFY(!RenderDxf(data, &out, &error));
        QVERIFY(out.isNull());
        QVERIFY(!error.isEmpty());
    }

    void drawsEllipsesSolidsAndMultiLineText()
    {
        Dxf d;
        d.Section("ENTITIES");
        // Full ellipse: centre 50,25, major axis 50 along x, minor 25.
        d(0, QStringLiteral("ELLIPSE"))(8, QStringLiteral("0"))(10, 50)(20, 25)(11, 50)(21, 0)(40, 0.5)
            (41, 0)(42, 6.283185307179586);
        // A filled square 40..60 x 15..35 (corner order 1, 2, 4, 3).
        d(0, QStringLiteral("SOLID"))(8, QStringLiteral("0"))(10, 40)(20, 15)(11, 60)(21, 15)
            (12, 40)(22, 35)(13, 60)(23, 35);
        // Two lines of text hanging from their top-left corner at 5,45.
        d(0, QStringLiteral("MTEXT"))(8, QStringLiteral("0"))(10, 5)(20, 45)(40, 4)(71, 1)
            (1, QStringLiteral("{\\fArial|b1;AB}\\PCD"));
        d.EndSection();
        QImage out;
        QString error;
        QVERIFY2(RenderDxf(d.Bytes(), &out, &error), qPrintable(error));
        QCOMPARE(out.width(), 800);
        QCOMPARE(out.height(), 384 + 2 * kDxfMargin); // 100 x 50 units
        const double s = 768 / 100.0;
        auto px = [&](double x, double y) {
            return QPoint(qRound(kDxfMargin + x * s), qRound(kDxfMargin + (50 - y) * s));
        };
        QVERIFY(DarkNear(out, px(50, 50).x(), px(50, 50).y()));  // top of the ellipse
        QVERIFY(DarkNear(out, px(100, 25).x(), px(100, 25).y())); // right end
        QCOMPARE(out.pixel(px(50, 25)), qRgb(0, 0, 0));           // inside the solid
        // Both text lines: ink below the top corner, in the first and second line.
        auto ink = [&](double top, double bottom) {
            int n = 0;
            for (int y = px(0, top).y(); y <= px(0, bottom).y(); ++y)
                for (int x = px(5, 0).x(); x <= px(15, 0).x(); ++x)
                    n += qGray(out.pixel(x, y)) < 128;
            return n;
        };
        QVERIFY(ink(45, 41) > 50);
        QVERIFY(ink(39.5, 34) > 50);
        // The formatting codes are not drawn as letters: the first line is short.
        QVERIFY(WhiteAround(out, px(22, 43).x(), px(22, 43).y(), 2));
    }

    void hiddenLayersAreNotDrawn()
    {
        Dxf d;
        d.Section("TABLES");
        d(0, QStringLiteral("TABLE"))(2, QStringLiteral("LAYER"))(70, 2);
        d(0, QStringLiteral("LAYER"))(2, QStringLiteral("SHOWN"))(70, 0)(62, 5)(6, QStringLiteral("CONTINUOUS"));
        d(0, QStringLiteral("LAYER"))(2, QStringLiteral("OFF"))(70, 0)(62, -3)(6, QStringLiteral("CONTINUOUS"));
        d(0, QStringLiteral("ENDTAB"));
        d.EndSection();
        d.Section("ENTITIES");
        d(0, QStringLiteral("LINE"))(8, QStringLiteral("SHOWN"))(10, 0)(20, 0)(11, 10)(21, 0);
        d(0, QStringLiteral("LINE"))(8, QStringLiteral("OFF"))(10, 0)(20, 0)(11, 0)(21, 10);
        d.EndSection();
        QImage out;
        QString error;
        QVERIFY2(RenderDxf(d.Bytes(), &out, &error), qPrintable(error));
        // Only the horizontal line counts for the extents; it takes the layer's blue.
        QCOMPARE(out.width(), 800);
        QCOMPARE(out.height(), 1 + 2 * kDxfMargin);
        QVERIFY(Near(out.pixel(400, kDxfMargin), QColor(0, 0, 255), 80));
    }
};

QTEST_MAIN(TestDxfDrawing)
#include "test_dxfdrawing.moc"
