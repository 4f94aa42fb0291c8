#pragma once
// Reading pictures through GraphicsMagick (PCX, Photo CD, TGA). PostScript is
// never read here: see PostScriptReader.h.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wobbin {

// Starts GraphicsMagick once for the whole program; later calls do nothing.
void EnsureMagickInitialised();

// Decodes the bytes of a picture in the named GraphicsMagick format ("PCX",
// "PCD", "TGA"); the format is forced, never guessed from the content. The
// first frame is returned. Returns false with a message on any failure.
bool ReadWithMagick(const QByteArray &data, const char *magickFormat, QImage *out,
                    QString *error);

} // namespace wobbin
