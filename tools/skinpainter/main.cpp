// skinpainter: draws every skin picture, cursor and the page footer button of
// Wobbin Express into the source tree (resources/bitmaps, resources/cursors,
// data/HTMLFiles/graphics), each at 1x and, drawn afresh, at 2x.
//
//   skinpainter <source-root> [--sheet <file.png>] [--only <name>]
//   skinpainter --icons <theme-dir>   the desktop icons (see icons.h)

#include "icons.h"
#include "paintkit.h"
#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

bool SavePng(const QImage &img, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QImageWriter w(&f, "png");
    w.setQuality(0);  // for PNG: the strongest (lossless) compression
    if (!w.write(img)) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool SaveText(const QString &text, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(text.toUtf8());
    return f.commit();
}

// All 1x pictures on one page with their names, on a checkerboard so that
// transparency shows.
QImage ContactSheet(const std::vector<skin::Picture> &pics)
{
    const int width = 1300, pad = 12, label = 14;
    struct Placed { const skin::Picture *pic; QPoint at; };
    std::vector<Placed> placed;
    int x = pad, y = pad, rowH = 0;
    for (const auto &pic : pics) {
        const QSize s = pic.size;
        const int cellW = std::max(s.width(), 60);
        if (x + cellW + pad > width) {
            x = pad;
            y += rowH + label + pad;
            rowH = 0;
        }
        placed.push_back({&pic, QPoint(x, y)});
        x += cellW + pad;
        rowH = std::max(rowH, s.height());
    }
    const int height = y + rowH + label + pad;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(0xc0, 0xc0, 0xc0));
    QPainter p(&sheet);
    for (const auto &pl : placed) {
        const QRect r(pl.at, pl.pic->size);
        for (int cy = 0; cy < r.height(); cy += 6)
            for (int cx = 0; cx < r.width(); cx += 6)
                p.fillRect(QRect(r.left() + cx, r.top() + cy, std::min(6, r.width() - cx),
                                 std::min(6, r.height() - cy)),
                           ((cx + cy) / 6) % 2 ? QColor(0xe8, 0xe8, 0xe8) : QColor(0xff, 0xff, 0xff));
        p.drawImage(r.topLeft(), skin::Render(*pl.pic, 1));
        p.setPen(Qt::black);
        p.setFont(skin::Font(10, false));
        p.drawText(QRect(r.left(), r.bottom() + 1, std::max(r.width(), 60) + pad, label),
                   Qt::AlignLeft | Qt::AlignVCenter, pl.pic->name);
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: skinpainter <source-root> [--sheet file.png] [--only name]\n");
        return 2;
    }
    if (args.at(1) == QLatin1String("--icons")) {
        QString error;
        if (args.size() != 3 || !skin::WriteDesktopIcons(args.at(2), &error)) {
            std::fprintf(stderr, "skinpainter: cannot write the icons %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    const QDir root(args.at(1));
    QString sheetPath, only;
    for (int i = 2; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--sheet"))
            sheetPath = args.at(++i);
        else if (args.at(i) == QLatin1String("--only"))
            only = args.at(++i);
    }

    const auto pics = skin::Catalogue();
    const QString bitmaps = root.filePath(QStringLiteral("resources/bitmaps"));
    const QString cursors = root.filePath(QStringLiteral("resources/cursors"));
    const QString graphics = root.filePath(QStringLiteral("data/HTMLFiles/graphics"));
    for (const QString &d : {bitmaps, cursors, graphics})
        QDir().mkpath(d);

    int written = 0;
    for (const auto &pic : pics) {
        if (!only.isEmpty() && pic.name.compare(only, Qt::CaseInsensitive) != 0)
            continue;
        QString dir = bitmaps;
        if (pic.folder == skin::Folder::Cursor)
            dir = cursors;
        else if (pic.folder == skin::Folder::PageGraphic)
            dir = graphics;
        const QString base = QDir(dir).filePath(pic.name);
        bool ok = SavePng(skin::Render(pic, 1), base + QStringLiteral(".png"));
        if (pic.folder != skin::Folder::PageGraphic)
            ok = ok && SavePng(skin::Render(pic, 2), base + QStringLiteral("@2x.png"));
        if (pic.folder == skin::Folder::Cursor)
            ok = ok && SaveText(QStringLiteral("%1 %2\n").arg(pic.hotSpot.x()).arg(pic.hotSpot.y()),
                                base + QStringLiteral(".hotspot"));
        if (!ok) {
            std::fprintf(stderr, "skinpainter: cannot write %s\n", qPrintable(base));
            return 1;
        }
        ++written;
    }
    if (!sheetPath.isEmpty() && !SavePng(ContactSheet(pics), sheetPath)) {
        std::fprintf(stderr, "skinpainter: cannot write %s\n", qPrintable(sheetPath));
        return 1;
    }
    std::printf("skinpainter: %d pictures written\n", written);
    return 0;
}
