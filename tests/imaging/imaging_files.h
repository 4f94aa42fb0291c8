#pragma once
// Picture files made on the spot for the imaging tests.

#include <Magick++.h>

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>

#include "imaging/MagickReader.h"

namespace testfiles {

// 64 x 48: red top-left quarter, blue bottom-right quarter, green elsewhere.
inline QImage Quadrants(int w = 64, int h = 48)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0, 200, 0));
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, QColor(255, 0, 0));
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(0, 0, 255));
    return img;
}

inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteWithQt(const QImage &img, const QString &path, const char *format)
{
    QImageWriter w(path, format);
    return w.write(img);
}

// Writes a picture in a GraphicsMagick format (GIF, PCX, TGA, PCD ...).
inline bool WriteWithMagick(const QImage &src, const QString &path, const char *format)
{
    wobbin::EnsureMagickInitialised();
    const QImage img = src.convertToFormat(QImage::Format_RGB888);
    QByteArray packed;
    for (int y = 0; y < img.height(); ++y)
        packed.append(reinterpret_cast<const char *>(img.constScanLine(y)), img.width() * 3);
    try {
        Magick::Image m(static_cast<unsigned>(img.width()), static_cast<unsigned>(img.height()),
                        "RGB", Magick::CharPixel, packed.constData());
        m.magick(format);
        Magick::Blob blob;
        m.write(&blob);
        return WriteBytes(path, QByteArray(static_cast<const char *>(blob.data()),
                                           static_cast<qsizetype>(blob.length())));
    } catch (const std::exception &) {
        return false;
    }
}

// A small EPS: a blue rectangle on white, 40 x 30 points.
inline QByteArray TinyEps()
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n"
           "%%BoundingBox: 0 0 40 30\n"
           "%%EndComments\n"
           "1 1 1 setrgbcolor 0 0 40 30 rectfill\n"
           "0 0 1 setrgbcolor 20 0 20 15 rectfill\n"
           "showpage\n"
           "%%EOF\n";
}

inline bool Near(QRgb a, QColor b, int tolerance = 40)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance
           && std::abs(qBlue(a) - b.blue()) <= tolerance;
}

} // namespace testfiles
