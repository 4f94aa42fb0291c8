#pragma once
// Bitmap resources as images (QtGui, no widgets); see app/Resources.h.

#include "app/Resources.h"

#include <QImage>

namespace wobbin {

// The bitmap (null image when missing; never throws).
QImage LoadBitmapImage(const QString &name);

} // namespace wobbin
