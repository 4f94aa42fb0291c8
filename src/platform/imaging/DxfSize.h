#pragma once
// How large an ASCII DXF drawing is, counted over its text before it is
// parsed, so that a hostile file is refused before it costs time or memory.
//
// One count holds every record (group code 0 other than SECTION, ENDSEC and
// EOF: entities, vertices, table and block records), every point of an
// entity (group codes 10 to 18: the ends of a line, each vertex of a
// light-weight polyline, each control and fit point of a spline, each vertex
// of a hatch boundary or a leader) and every knot and weight of a spline.
// Where an entity announces how many vertices, knots or points follow (a
// light-weight polyline, a spline, a leader, a hatch), the reader makes room
// for that many at once, so the larger of the announced and the counted
// number counts. The count stops as soon as it passes its limit.

#include <QByteArray>
#include <QByteArrayView>

namespace wobbin {

struct TDxfSize {
    qint64 Elements = 0;        // counted; past the limit by at least one when TooLarge
    bool TooLarge = false;
    QByteArray Entity;          // TooLarge: the record being read ("LWPOLYLINE")
    qint64 EntityLine = 0;      // TooLarge: the line of the file that starts it (from 1)
    qint64 EntityElements = 0;  // TooLarge: what it counted for itself (points, knots, announced numbers)
    bool LineTooLong = false;   // a line longer than the reader takes; the count stopped there
    qint64 LongLine = 0;        // its line number (from 1)
};

// The longest line (without its line end) the DXF reader takes whole.
constexpr qsizetype kDxfMaxLineLength = 1022;

TDxfSize MeasureDxf(QByteArrayView data, qint64 limit);

} // namespace wobbin
