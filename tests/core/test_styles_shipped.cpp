// The styles, templates and example page shipped in data/: they load
// completely, refer only to files that are there, and stay readable.

#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QtTest>

using namespace wobbin;

namespace {

const QString kData = QStringLiteral(WOBBIN_SOURCE_DIR "/data");

double Luminance(QColor c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(QColor a, QColor b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor FromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The lightest and darkest luminance of a picture, leaving out the 2 per cent
// brightest and darkest pixels (single sparkles do not carry text).
QPair<double, double> LuminanceRange(const QImage &img)
{
    QList<double> lum;
    lum.reserve(img.width() * img.height());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            lum.append(Luminance(img.pixelColor(x, y)));
    std::sort(lum.begin(), lum.end());
    const qsizetype cut = lum.size() / 50;
    return {lum.at(lum.size() - 1 - cut), lum.at(cut)};
}

double Contrast(double la, double lb)
{
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestStylesShipped : public QObject
{
    Q_OBJECT

private:
    StyleList m_styles;

private Q_SLOTS:
    void initTestCase()
    {
        StyleLoadStatus status;
        m_styles = LoadStyles(kData + QStringLiteral("/Styles.data"), &status);
        QCOMPARE(status, StyleLoadStatus::Complete);
        QVERIFY(m_styles.size() >= 8);
    }

    void stylesAreDistinctAndReadable()
    {
        QSet<QString> names;
        for (const TStyleChunk &s : m_styles) {
            QVERIFY2(!s.Name.isEmpty(), "a style without a name");
            QVERIFY2(!names.contains(s.Name.toLower()), qPrintable(s.Name));
            names.insert(s.Name.toLower());
            QVERIFY(s.Name.compare(QStringLiteral("[None]"), Qt::CaseInsensitive) != 0);

            const QColor text = FromTColor(s.TextColour);
            QVERIFY2(Contrast(text, FromTColor(s.BackColour)) >= 7.0, qPrintable(s.Name));
            QVERIFY2(Contrast(FromTColor(s.LinkColour), FromTColor(s.BackColour)) >= 3.0, qPrintable(s.Name));
            QVERIFY2(Contrast(FromTColor(s.VisitedColour), FromTColor(s.BackColour)) >= 3.0, qPrintable(s.Name));
            if (s.Image.isEmpty())
                continue;

            // The page refers to the picture by the lower-case path the BODY
            // tag carries: a server that minds letter case must find it.
            const QString tag = BuildBodyWithStyle(s);
            const qsizetype at = tag.indexOf(QLatin1String("BACKGROUND=\"")) + 12;
            const QString ref = tag.mid(at, tag.indexOf(QLatin1Char('"'), at) - at);
            const QString file = kData + QStringLiteral("/HTMLFiles/") + ref;
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
            const QImage img(file);
            QVERIFY2(!img.isNull(), qPrintable(file));
            QVERIFY(img.width() >= 32 && img.height() >= 32);
            // Text stays readable on every part of the picture.
            const auto [light, dark] = LuminanceRange(img);
            const double lt = Luminance(text);
            QVERIFY2(Contrast(lt, light) >= 4.5 && Contrast(lt, dark) >= 4.5, qPrintable(s.Name));
        }
    }

    void templatesAndExampleLoad_data()
    {
        QTest::addColumn<QString>("path");
        const QDir tpl(kData + QStringLiteral("/template"));
        const QStringList templates = tpl.entryList({QStringLiteral("*.qzt")}, QDir::Files);
        QVERIFY(templates.size() >= 6);
        for (const QString &name : templates)
            QTest::newRow(qPrintable(name)) << tpl.filePath(name);
        QTest::newRow("Example.qze") << kData + QStringLiteral("/save/Example.qze");
    }

    void templatesAndExampleLoad()
    {
        QFETCH(QString, path);
        TPageDocument doc;
        const PageReadResult r = ReadPageFile(path, doc);
        QVERIFY2(r.IsOk(), qPrintable(DescribeReadResult(r)));
        QCOMPARE(r.VersionText, QStringLiteral("1.07"));
        QVERIFY(doc.Blocks.Count() >= 5);
        QCOMPARE(r.BlocksRead, r.DeclaredCount);
        QVERIFY(!r.Title.isEmpty());
        QVERIFY2(FindStyleEntry(StyleListEntries(m_styles), r.StyleName) > 0, qPrintable(r.StyleName));

        // Its picture, and every picture the page shows.
        QCOMPARE(ReadPreviewPicture(path), path + QStringLiteral(".bmp"));
        const QImage picture(path + QStringLiteral(".bmp"));
        QCOMPARE(picture.size(), QSize(kPagePictureWidth, kPagePictureHeight));
        for (const auto &block : doc.Blocks) {
            if (block->Kind != bkImage)
                continue;
            QString file = block->Image->FileName;
            file.replace(QLatin1Char('\\'), QLatin1Char('/'));
            QVERIFY2(QFileInfo::exists(kData + QStringLiteral("/HTMLFiles/") + file), qPrintable(file));
        }
    }
};

QTEST_GUILESS_MAIN(TestStylesShipped)
#include "test_styles_shipped.moc"
