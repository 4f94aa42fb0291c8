#pragma once
// The image control of the program: loads a picture file of many formats, tells
// its size in pixels and saves it as JPEG. It shows nothing itself; the main
// window keeps one to measure chosen pictures and convert them for the web.
//
// Decoders, chosen by the file's content and, where the content says nothing,
// by its extension:
//   - Qt's image readers with the installed format plugins: JPEG, GIF, BMP, PNG,
//     TIFF, TGA, WebP, ICO, PBM/PGM/PPM, XBM/XPM, SVG ...
//   - GraphicsMagick for PCX, PCD (Photo CD) and compressed TGA
//   - Ghostscript in safe mode, in a child process with a private work
//     folder and limits, for EPS/PostScript (PostScriptReader.h)
//   - dxflib for DXF drawings, drawn black on white at their extents

#include <QImage>
#include <QString>

namespace wobbin {

class TMultiImage
{
public:
    TMultiImage();

    // Loads a picture. On failure the control is left empty and ErrorText()
    // (and *error, when given) says why. Never throws.
    bool LoadFromFile(const QString &path, QString *error = nullptr);

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    const QImage &Image() const { return m_image; }
    bool IsEmpty() const { return m_image.isNull(); }
    void Clear();

    // Which decoder read the last picture: "jpeg", "png", ... (Qt), "pcx",
    // "pcd", "eps" (GraphicsMagick) or "dxf". Empty when nothing is loaded.
    QString FormatName() const { return m_format; }
    QString ErrorText() const { return m_error; }

    // JPEG quality used by SaveAsJpeg, 1 (smallest) to 100 (best); default 75.
    void SetJpegQuality(int quality);

    // Writes the loaded picture as a JPEG file, replacing the file in one step
    // (the old file stays untouched when writing fails). Transparent parts are
    // put on white, since JPEG has no transparency.
    bool SaveAsJpeg(const QString &path, QString *error = nullptr);

private:
    bool Fail(const QString &message, QString *error);

    QImage m_image;
    QString m_format;
    QString m_error;
    int m_quality = 75;
};

// Picture formats, named by the lower-case extension that usually carries them,
// that the control reads through GraphicsMagick.
bool IsMagickExtension(const QString &lowerSuffix);

} // namespace wobbin
