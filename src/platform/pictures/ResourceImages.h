#pragma once
// Bitmap resources as images (QtGui, no widgets); see strings/Resources.h.

#include "strings/Resources.h"

#include <QImage>

namespace wobbin {

// The bitmap (null image when missing; never throws).
QImage LoadBitmapImage(const QString &name);

} // namespace wobbin
