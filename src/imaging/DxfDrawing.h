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
// Largest drawing read: elements (entities, vertices, table and block
// records) in the file, and elements to draw once block references are
// resolved. Beyond them the drawing is refused with a message that says
// which limit it passed; within them it loads in about a second and a few
// hundred megabytes at most.
constexpr int kDxfMaxElements = 100000;
constexpr int kDxfMaxDrawnElements = 200000;

// The number of elements of an ASCII DXF file (its records of group code 0
// other than SECTION, ENDSEC and EOF), counted without parsing it.
qint64 CountDxfElements(const QByteArray &data);

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
