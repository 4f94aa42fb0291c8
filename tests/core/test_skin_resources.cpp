// Every picture the windows show is compiled in under its name with the size the
// layout expects, with a high-density twin drawn at twice the size; cursors carry
// a hot spot inside the picture.

#include <QFile>
#include <QImage>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

struct Expected
{
    const char *name;
    int width;
    int height;
};

// Name and size at 1x of every bitmap the program looks up.
const Expected kBitmaps[] = {
    {"Toolbar", 620, 96},      {"QZ4Toolbar", 620, 96},   {"Toolbutt1", 146, 96},
    {"Toolbutt2", 170, 96},    {"Toolbutt3", 170, 96},    {"Toolbutt4", 170, 96},
    {"Toolbutt5", 140, 96},    {"QZ4Toolbutt3", 170, 96}, {"QZ4Toolbutt4", 170, 96},
    {"QZ4Toolbutt5", 140, 96}, {"Logo", 377, 34},         {"Preview", 83, 98},
    {"Max_Dis", 54, 20},       {"Max_Up", 54, 20},        {"Max_Dn", 54, 20},
    {"Min_Up", 54, 20},        {"Min_Dn", 54, 20},        {"Exit_Up", 51, 18},
    {"Exit_Dn", 51, 18},       {"Web_Back", 420, 210},    {"Web_Rotate1", 276, 163},
    {"Web_Rotate2", 276, 163}, {"Web_Rotate3", 276, 163}, {"Web_Rotate4", 276, 163},
    {"Web_Page", 71, 93},      {"Web_PageFlash", 71, 93}, {"Web_Upload1", 60, 80},
    {"Web_Upload2", 52, 69},   {"Web_Upload3", 46, 61},   {"Web_Upload4", 40, 53},
    {"Web_Upload5", 34, 45},   {"Web_Upload6", 28, 37},   {"Web_Upload7", 23, 30},
    {"Web_Upload8", 18, 24},   {"Web_Upload9", 14, 18},   {"Web_LeftUp", 32, 32},
    {"Web_LeftDn", 32, 32},    {"Web_RightUp", 32, 32},   {"Web_RightDn", 32, 32},
    {"Web_Quor", 88, 66},      {"Web_Ortex", 88, 66},     {"Web_Partner2", 88, 66},
    {"Web_Partner3", 88, 66},  {"Web_Partner4", 88, 66},  {"Web_Partner5", 88, 66},
    {"Web_Partner6", 88, 66},  {"Web_Your", 88, 66},      {"Page_Back", 300, 272},
    {"Page_BuzzBack", 96, 24}, {"Page_Buzz1", 78, 34},    {"Page_Buzz2", 78, 34},
    {"Page_Buzz3", 78, 34},    {"Page_Buzz4", 78, 34},    {"Page_Buzz5", 78, 34},
    {"Page_Buzz6", 78, 34},    {"Page_Buzz7", 78, 34},    {"Page_Buzz8", 78, 34},
    {"Para", 95, 22},          {"Link", 95, 22},          {"Image", 95, 22},
    {"Heading", 95, 22},       {"Email", 95, 22},         {"Line", 95, 22},
    {"Para_H", 95, 22},        {"Link_H", 95, 22},        {"Image_H", 95, 22},
    {"Heading_H", 95, 22},     {"Email_H", 95, 22},       {"Line_H", 95, 22},
    {"Para_T", 83, 16},        {"Link_T", 83, 16},        {"Image_T", 83, 16},
    {"Heading_T", 83, 16},     {"Email_T", 83, 16},       {"Line_T", 83, 16},
    {"Splash", 200, 200},      {"SPLASH_BACK", 464, 283}, {"About", 366, 139},
    {"Fire1", 160, 160},       {"Fire2", 160, 160},       {"Fire3", 160, 160},
    {"Fire4", 160, 160},       {"Fire5", 160, 160},       {"Fire6", 160, 160},
    {"Fire7", 160, 160},       {"Fire8", 160, 160},       {"Fire9", 160, 160},
    {"Fire10", 160, 160},      {"Fire11", 160, 160},      {"WindyPip", 64, 59},
    {"WindyPipB", 64, 59},     {"WindyPip2", 64, 59},     {"WindyPipB2", 64, 59},
    {"Icon_Template", 32, 32}, {"Icon_Page", 32, 32},     {"ImgFile", 22, 22},
    {"App", 64, 64},           {"Icon", 64, 64},          {"Joy", 160, 160},
    {"About_Secret", 366, 139}, {"Wizard_Style", 150, 260}, {"Wizard_Server", 150, 260},
    {"Arrow_Up", 16, 16},      {"Arrow_Down", 16, 16},
};

const char *const kCursors[] = {"Cursor_Hand", "Hand_Open", "Hand_Closed"};

QImage Load(const QString &path)
{
    QImage img(path);
    return img;
}

// Largest difference of any colour channel between two images of one size.
int MaxChannelDiff(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    if (x.size() != y.size())
        return 256;
    int worst = 0;
    for (int j = 0; j < x.height(); ++j)
        for (int i = 0; i < x.width(); ++i) {
            const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

bool Differs(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_ARGB32) != b.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestSkinResources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bitmaps_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const Expected &e : kBitmaps)
            QTest::newRow(e.name) << QString::fromLatin1(e.name) << QSize(e.width, e.height);
    }

    void bitmaps()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QString path = QStringLiteral(":/bitmaps/%1.png").arg(name);
        QVERIFY2(QFile::exists(path), qPrintable(path + " is missing"));
        const QImage img = Load(path);
        QVERIFY2(!img.isNull(), qPrintable(path + " does not load"));
        QCOMPARE(img.size(), size);
        // Not a blank placeholder: at least a few colours.
        QSet<QRgb> colours;
        for (int y = 0; y < img.height() && colours.size() < 8; y += 3)
            for (int x = 0; x < img.width() && colours.size() < 8; x += 3)
                colours.insert(img.pixel(x, y));
        QVERIFY2(colours.size() >= 4, qPrintable(name + " looks blank"));

        const QString path2x = QStringLiteral(":/bitmaps/%1@2x.png").arg(name);
        QVERIFY2(QFile::exists(path2x), qPrintable(path2x + " is missing"));
        const QImage img2x = Load(path2x);
        QCOMPARE(img2x.size(), size * 2);
    }

    // The mascot is drawn on a clear background so the toolbar shows round it;
    // its walking frames differ; the toolbar itself is solid.
    void mascotAndToolbarTransparency()
    {
        for (const char *name : {"WindyPip", "WindyPipB", "WindyPip2", "WindyPipB2"}) {
            const QImage img = Load(QStringLiteral(":/bitmaps/%1.png").arg(QLatin1String(name)));
            QVERIFY2(img.hasAlphaChannel(), name);
            QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(img.pixel(img.width() - 1, 0)), 0);
        }
        QVERIFY(Differs(Load(":/bitmaps/WindyPip.png"), Load(":/bitmaps/WindyPip2.png")));
        QVERIFY(Differs(Load(":/bitmaps/WindyPip.png"), Load(":/bitmaps/WindyPipB.png")));
        for (const char *name : {"Toolbar", "QZ4Toolbar", "Web_Back", "Page_Back"}) {
            const QImage img = Load(QStringLiteral(":/bitmaps/%1.png").arg(QLatin1String(name)));
            QCOMPARE(qAlpha(img.pixel(img.width() / 2, img.height() / 2)), 255);
        }
    }

    // A highlight drawn over the toolbar at its left blends in: away from its own
    // tab it matches the toolbar underneath.
    void highlightsMatchToolbarAtTheirEdges_data()
    {
        QTest::addColumn<QString>("toolbar");
        QTest::addColumn<QString>("highlight");
        QTest::addColumn<int>("left");
        QTest::newRow("tab 1") << "Toolbar" << "Toolbutt2" << 103;
        QTest::newRow("tab 2") << "Toolbar" << "Toolbutt3" << 230;
        QTest::newRow("tab 3") << "Toolbar" << "Toolbutt4" << 354;
        QTest::newRow("companion tab 2") << "QZ4Toolbar" << "QZ4Toolbutt3" << 230;
        QTest::newRow("companion tab 3") << "QZ4Toolbar" << "QZ4Toolbutt4" << 354;
    }

    void highlightsMatchToolbarAtTheirEdges()
    {
        QFETCH(QString, toolbar);
        QFETCH(QString, highlight);
        QFETCH(int, left);
        const QImage bar = Load(QStringLiteral(":/bitmaps/%1.png").arg(toolbar))
                               .convertToFormat(QImage::Format_RGB32);
        const QImage hi = Load(QStringLiteral(":/bitmaps/%1.png").arg(highlight))
                              .convertToFormat(QImage::Format_RGB32);
        // The leftmost columns belong to the neighbouring tab and must be unchanged.
        QVERIFY(MaxChannelDiff(hi.copy(0, 0, 8, 96), bar.copy(left, 0, 8, 96)) <= 3);
        // ... while the middle is visibly highlighted.
        QVERIFY(MaxChannelDiff(hi.copy(hi.width() / 2 - 10, 0, 20, 96),
                               bar.copy(left + hi.width() / 2 - 10, 0, 20, 96)) > 60);
    }

    // Pictures drawn over a background at a fixed place must fit it seamlessly:
    // the turning web frames at (72, 0) of Web_Back, the resting shredder at
    // (-10, 248) of Page_Back.
    void overlaysFitTheirBackground()
    {
        const QImage back = Load(":/bitmaps/Web_Back.png").convertToFormat(QImage::Format_RGB32);
        for (int i = 1; i <= 4; ++i) {
            const QImage frame = Load(QStringLiteral(":/bitmaps/Web_Rotate%1.png").arg(i))
                                     .convertToFormat(QImage::Format_RGB32);
            // The left edge (outside the turning web) is the same as the background...
            // (gradients may round a shade apart, which no eye sees) ...
            QVERIFY(MaxChannelDiff(frame.copy(0, 0, 12, 163), back.copy(72, 0, 12, 163)) <= 3);
            QVERIFY(MaxChannelDiff(frame.copy(264, 0, 12, 163), back.copy(336, 0, 12, 163)) <= 3);
            // ... the web itself has turned.
            QVERIFY(MaxChannelDiff(frame.copy(100, 20, 80, 120), back.copy(172, 20, 80, 120)) > 60);
        }
        const QImage page = Load(":/bitmaps/Page_Back.png").convertToFormat(QImage::Format_RGB32);
        const QImage rest = Load(":/bitmaps/Page_BuzzBack.png").convertToFormat(QImage::Format_RGB32);
        QVERIFY(MaxChannelDiff(rest.copy(10, 0, 86, 24), page.copy(0, 248, 86, 24)) <= 3);
    }

    void turnButtonsPointTheWayTheyTurn()
    {
        // The arrow's head rises well above the other end of its arc: on the
        // right for the left button (anticlockwise), on the left for the right.
        auto topOfArrow = [](const QImage &img, bool rightHalf) {
            const QImage a = img.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < a.height(); ++y)
                for (int x = rightHalf ? a.width() / 2 : 0; x < (rightHalf ? a.width() : a.width() / 2); ++x) {
                    const QRgb p = a.pixel(x, y);
                    if (qAlpha(p) > 128 && qBlue(p) > qRed(p) + 40 && qRed(p) < 90)
                        return y;
                }
            return a.height();
        };
        for (const char *name : {"Web_LeftUp", "Web_LeftDn", "Web_RightUp", "Web_RightDn"}) {
            const QImage img = Load(QStringLiteral(":/bitmaps/%1@2x.png").arg(QLatin1String(name)));
            QVERIFY2(!img.isNull(), name);
            const bool left = QByteArray(name).startsWith("Web_Left");
            const int head = topOfArrow(img, left), tail = topOfArrow(img, !left);
            QVERIFY2(head + img.height() / 16 < tail, qPrintable(QStringLiteral("%1: head %2, tail %3").arg(name).arg(head).arg(tail)));
        }
    }

    void cursors()
    {
        for (const char *name : kCursors) {
            const QString base = QStringLiteral(":/cursors/%1").arg(QLatin1String(name));
            const QImage img = Load(base + ".png");
            QCOMPARE(img.size(), QSize(32, 32));
            QCOMPARE(Load(base + "@2x.png").size(), QSize(64, 64));
            QFile hot(base + ".hotspot");
            QVERIFY2(hot.open(QIODevice::ReadOnly), name);
            const QList<QByteArray> parts = hot.readAll().simplified().split(' ');
            QCOMPARE(parts.size(), 2);
            bool okX = false, okY = false;
            const int x = parts[0].toInt(&okX), y = parts[1].toInt(&okY);
            QVERIFY(okX && okY);
            QVERIFY(x >= 0 && x < 32 && y >= 0 && y < 32);
            // The hot spot lies on or right beside the drawn hand.
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx)
                    if (QRect(0, 0, 32, 32).contains(x + dx, y + dy) && qAlpha(img.pixel(x + dx, y + dy)) > 128)
                        near = true;
            QVERIFY2(near, name);
        }
    }
};

QTEST_GUILESS_MAIN(TestSkinResources)
#include "test_skin_resources.moc"
