#pragma once
// Named resources compiled into the program: bitmaps (resources/bitmaps/NAME.png,
// with NAME@2x.png for high-density screens), cursors (resources/cursors/NAME.png
// with a NAME.hotspot text file "x y"), waves (resources/sounds/NAME.wav).
// Names are looked up without regard to case.

#include <QPoint>
#include <QString>
#include <QStringList>

namespace wobbin {

// Path of the resource (":/bitmaps/Name.png" etc.) for that name, "" when missing.
QString BitmapResourcePath(const QString &name);
// The high-density variant (":/bitmaps/Name@2x.png"), "" when there is none.
QString Bitmap2xResourcePath(const QString &name);
QString CursorResourcePath(const QString &name);
QString SoundResourcePath(const QString &name);

// The cursor's hot spot from NAME.hotspot ("x y"); (0, 0) when absent or unreadable.
QPoint CursorHotSpot(const QString &name);

// Names (without extension, as stored) of all bitmaps / sounds, for tests.
QStringList BitmapNames();

} // namespace wobbin
