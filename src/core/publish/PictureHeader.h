#pragma once
// Size and dimensions of a picture file, read from the first bytes of the file
// itself (JPEG, PNG, GIF and BMP) without decoding it. Every length and offset
// in the header is checked against the file, so a damaged or hostile file only
// gives "dimensions unknown"; at most a few hundred small reads are made.

#include <QString>
#include <functional>

class QIODevice;

namespace wobbin {

struct TPictureInfo {
    bool Exists = false;  // a readable file is there
    qint64 Bytes = -1;    // its size; -1 when it is not there
    int Width = 0;        // 0 when unknown (no picture format known here, or damaged)
    int Height = 0;
    QString Format;       // "JPEG", "PNG", "GIF", "BMP"; empty when unknown
};

// Measures the file at nativePath (a folder or a missing file is not there).
TPictureInfo MeasurePicture(const QString &nativePath);

// Reads the dimensions from the device's start (it must be open and seekable).
// False when the format is not recognised or the header is damaged.
bool ReadPictureDimensions(QIODevice &device, int &width, int &height, QString &format);

// What measures a picture; MeasurePicture unless a caller gives another.
using PictureMeasure = std::function<TPictureInfo(const QString &nativePath)>;

} // namespace wobbin
