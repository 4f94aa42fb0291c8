#pragma once
// DXF drawings as pictures: the entities of a drawing (lines, polylines with
// their arcs, arcs, circles, ellipses, points, solids, texts and block
// references) are collected with dxflib and painted black-and-colour on white,
// fitted to the drawing's extents.

#include "imaging/DxfSize.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wobbin {

// Pixel size of the longest side of a rendered drawing, margins included.
constexpr int kDxfLongestSide = 800;
// White border around the drawing, in pixels.
constexpr int kDxfMargin = 16;
// Largest drawing read: entities and points of the file counted together
// (MeasureDxf, DxfSize.h), and elements to draw once block references are
// resolved. Beyond them the drawing is refused with a message that says what
// was too large; within them it loads in about a second and a few hundred
// megabytes at most.
constexpr int kDxfMaxElements = 200000;
constexpr int kDxfMaxDrawnElements = 200000;

// True when the bytes look like an ASCII DXF file (group code 0 and SECTION at
// the start) or a binary DXF file.
bool LooksLikeDxf(const QByteArray &head);

// Renders the drawing. The y axis of the drawing points up, as in the drawing
// program; the aspect ratio is kept. Returns false with a message for a file
// that is no readable drawing, holds nothing that can be drawn, or is larger
// than the limits above. Blocks the calling thread while it works: windows
// load drawings through TPictureLoader (PictureLoader.h).
bool RenderDxf(const QByteArray &data, QImage *out, QString *error,
               int longestSide = kDxfLongestSide);

} // namespace wobbin
