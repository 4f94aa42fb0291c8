#pragma once
// The page picture beside a page file: the rendered page as a 196 x 229 BMP.
// Kept apart from the page file code because pictures need QtGui.

#include "page/PageFile.h"

#include <QByteArray>
#include <QImage>

namespace wobbin {

// The bytes of the BMP file of the picture, scaled to 196 x 229 without
// transparency; empty for a null picture.
QByteArray PagePictureBytes(const QImage &picture);

// WritePageFile with the picture given as an image.
TResult<void> WritePageFile(const QString &fileName, const TPageDocument &doc, const QString &styleName,
                            const QImage &picture);

} // namespace wobbin
