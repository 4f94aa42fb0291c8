#pragma once
// Reading pictures through GraphicsMagick (PCX, Photo CD, EPS/PostScript).

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wobbin {

// Starts GraphicsMagick once for the whole program; later calls do nothing.
void EnsureMagickInitialised();

// Decodes the bytes of a picture in the named GraphicsMagick format ("PCX",
// "PCD", "EPS"); the format is forced, never guessed from the content. The
// first frame is returned. Returns false with a message on any failure.
bool ReadWithMagick(const QByteArray &data, const char *magickFormat, QImage *out,
                    QString *error);

// Longest time Ghostscript may take to draw one EPS/PostScript file before it is
// stopped and the file refused (a PostScript program can loop for ever).
// Default 30 seconds.
void SetPostScriptTimeLimit(int milliseconds);

} // namespace wobbin
