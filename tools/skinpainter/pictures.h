#pragma once
// The catalogue of every picture the program shows: name, size at 1x and the
// drawing function (drawing in 1x coordinates).

#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

namespace skin {

enum class Folder { Bitmap, Cursor, PageGraphic };

struct Picture
{
    QString name;
    QSize size;                                // at 1x
    Folder folder = Folder::Bitmap;
    bool opaque = false;                       // written without an alpha channel
    QPoint hotSpot;                            // cursors only, at 1x
    std::function<void(QPainter &)> draw;
};

std::vector<Picture> Catalogue();

// Rendered at the given scale (1 or 2): size * scale, drawn at that density.
QImage Render(const Picture &pic, int scale);

} // namespace skin
