#pragma once
// The catalogue of every picture the program shows: name, size at 1x and the
// drawing function (drawing in 1x coordinates).

#include <QPainter>
#include <QPoint>
#include <QRectF>
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
    // Pictures cut from a larger scene: the scene is drawn whole over sceneRect
    // (scene coordinates) and the picture is the part at cutAt. Cutting from one
    // rendering keeps neighbouring pictures pixel-identical where they overlap.
    std::function<void(QPainter &)> scene;
    QRectF sceneRect;
    QPointF cutAt;
};

std::vector<Picture> Catalogue();

// Rendered at the given scale (1 or 2): size * scale, drawn at that density.
QImage Render(const Picture &pic, int scale);

} // namespace skin
