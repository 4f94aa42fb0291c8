#pragma once
// DXF drawings as pictures: the entities of a drawing (lines, polylines with
// their arcs, arcs, circles, ellipses, points, solids, texts and block
// references) are collected with dxflib and painted black-and-colour on white,
// fitted to the drawing's extents.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wobbin {

// Pixel size of the longest side of a rendered drawing, margins included.
constexpr int kDxfLongestSide = 800;
// White border around the drawing, in pixels.
constexpr int kDxfMargin = 16;

// True when the bytes look like an ASCII DXF file (group code 0 and SECTION at
// the start) or a binary DXF file.
bool LooksLikeDxf(const QByteArray &head);

// Renders the drawing. The y axis of the drawing points up, as in the drawing
// program; the aspect ratio is kept. Returns false with a message for a file
// that is no readable drawing or holds nothing that can be drawn.
bool RenderDxf(const QByteArray &data, QImage *out, QString *error,
               int longestSide = kDxfLongestSide);

} // namespace wobbin
