#include "imaging/MultiImage.h"

#include "base/SafeFile.h"

#include "imaging/DxfDrawing.h"
#include "imaging/MagickReader.h"
#include "imaging/PostScriptReader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace wobbin {

namespace {

// Larger files are refused before reading: no picture a web page can use is
// anywhere near this.
constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;
// Largest picture loaded: photos of today's cameras (50 megapixels and more)
// pass; a file that claims absurd dimensions (a "picture bomb") is refused
// before anything is allocated for it.
constexpr qint64 kMaxPixels = 64LL * 1000 * 1000;
constexpr int kMaxSide = 32768;
// Room for the largest picture at 8 bytes a pixel (16-bit colour channels).
constexpr int kAllocationLimitMB = int(kMaxPixels * 8 / (1024 * 1024)) + 16;

enum class Decoder { Qt, Dxf, Pcx, Pcd, Eps, Tga };

bool StartsWith(const QByteArray &data, const char *magic, int length)
{
    return data.size() >= length && memcmp(data.constData(), magic, static_cast<size_t>(length)) == 0;
}

// Formats whose signature Qt's readers recognise for sure.
bool HasQtSignature(const QByteArray &d)
{
    return StartsWith(d, "\xFF\xD8\xFF", 3)                       // JPEG
           || StartsWith(d, "\x89PNG\r\n\x1A\n", 8)                // PNG
           || StartsWith(d, "GIF87a", 6) || StartsWith(d, "GIF89a", 6)
           || StartsWith(d, "BM", 2)                               // BMP
           || StartsWith(d, "II*\0", 4) || StartsWith(d, "MM\0*", 4) // TIFF
           || (StartsWith(d, "RIFF", 4) && d.mid(8, 4) == "WEBP");
}

bool HasPostScriptSignature(const QByteArray &d)
{
    return StartsWith(d, "%!PS", 4) || StartsWith(d, "\xC5\xD0\xD3\xC6", 4); // DOS EPS binary
}

bool HasPcdSignature(const QByteArray &d)
{
    return d.mid(2048, 7) == "PCD_IPI" || StartsWith(d, "PCD_OPA", 7);
}

bool HasPcxSignature(const QByteArray &d)
{
    if (d.size() < 128 || static_cast<unsigned char>(d[0]) != 0x0A)
        return false;
    const unsigned char version = static_cast<unsigned char>(d[1]);
    const unsigned char encoding = static_cast<unsigned char>(d[2]);
    const unsigned char bits = static_cast<unsigned char>(d[3]);
    return (version <= 5 && version != 1) && encoding <= 1
           && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

// The decoders to try, in order.
QList<Decoder> ChooseDecoders(const QByteArray &head, const QString &suffix)
{
    if (HasQtSignature(head))
        return {Decoder::Qt};
    if (suffix == QLatin1String("dxf") || LooksLikeDxf(head))
        return {Decoder::Dxf};
    if (HasPostScriptSignature(head))
        return {Decoder::Eps};
    if (HasPcdSignature(head))
        return {Decoder::Pcd};
    if (HasPcxSignature(head) && suffix != QLatin1String("tga"))
        return {Decoder::Pcx, Decoder::Qt};
    if (suffix == QLatin1String("pcx"))
        return {Decoder::Pcx, Decoder::Qt};
    if (suffix == QLatin1String("pcd") || suffix == QLatin1String("pcds"))
        return {Decoder::Pcd, Decoder::Qt};
    if (IsMagickExtension(suffix))
        return {Decoder::Eps, Decoder::Qt};
    // Qt reads only uncompressed TGA files; GraphicsMagick takes the rest.
    if (suffix == QLatin1String("tga"))
        return {Decoder::Qt, Decoder::Tga};
    return {Decoder::Qt};
}

// A JPEG whose entropy-coded data is not followed by the end marker was cut
// short; Qt's reader would show it with a grey lower part.
bool JpegLooksComplete(const QByteArray &d)
{
    const auto *p = reinterpret_cast<const unsigned char *>(d.constData());
    const qsizetype n = d.size();
    qsizetype i = 2; // after the start marker
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return false;
        const unsigned char marker = p[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;
            continue;
        }
        const qsizetype length = (p[i + 2] << 8) | p[i + 3];
        if (length < 2)
            return false;
        if (marker == 0xDA) // start of scan: the end marker must follow somewhere
            return d.indexOf("\xFF\xD9", i + 2 + length) >= 0;
        i += 2 + length;
    }
    return false;
}

QString FileLabel(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

bool IsMagickExtension(const QString &lowerSuffix)
{
    static const QStringList names = {
        QStringLiteral("pcx"), QStringLiteral("pcd"), QStringLiteral("pcds"),
        QStringLiteral("eps"), QStringLiteral("epsf"), QStringLiteral("epsi"),
        QStringLiteral("epi"), QStringLiteral("ept"), QStringLiteral("ps")};
    return names.contains(lowerSuffix);
}

TMultiImage::TMultiImage() = default;

void TMultiImage::Clear()
{
    m_image = QImage();
    m_format.clear();
}

void TMultiImage::SetJpegQuality(int quality)
{
    m_quality = std::clamp(quality, 1, 100);
}

bool TMultiImage::Fail(const QString &message, QString *error)
{
    m_error = message;
    if (error)
        *error = message;
    return false;
}

bool TMultiImage::LoadFromFile(const QString &path, QString *error)
{
    Clear();
    m_error.clear();
    const QFileInfo info(path);
    const QString label = FileLabel(path);
    if (path.isEmpty())
        return Fail(QStringLiteral("No picture file was named."), error);
    if (!info.exists())
        return Fail(QStringLiteral("The picture file \"%1\" does not exist.").arg(label), error);
    if (info.isDir())
        return Fail(QStringLiteral("\"%1\" is a folder, not a picture file.").arg(label), error);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("The picture file \"%1\" cannot be opened: %2")
                        .arg(label, file.errorString()),
                    error);
    const qint64 size = file.size();
    if (size == 0)
        return Fail(QStringLiteral("The picture file \"%1\" is empty.").arg(label), error);
    if (size > kMaxFileBytes)
        return Fail(QStringLiteral("The picture file \"%1\" is too large.").arg(label), error);
    const QByteArray data = file.readAll();
    file.close();
    if (data.size() != size)
        return Fail(QStringLiteral("The picture file \"%1\" cannot be read: %2")
                        .arg(label, file.errorString()),
                    error);

    const QString suffix = info.suffix().toLower();
    QString firstError;
    for (Decoder decoder : ChooseDecoders(data, suffix)) {
        QImage image;
        QString why;
        QString format;
        bool ok = false;
        switch (decoder) {
        case Decoder::Dxf:
            ok = RenderDxf(data, &image, &why);
            format = QStringLiteral("dxf");
            break;
        case Decoder::Pcx:
            ok = ReadWithMagick(data, "PCX", &image, &why);
            format = QStringLiteral("pcx");
            break;
        case Decoder::Pcd:
            ok = ReadWithMagick(data, "PCD", &image, &why);
            format = QStringLiteral("pcd");
            break;
        case Decoder::Eps:
            ok = RenderPostScript(data, &image, &why);
            format = QStringLiteral("eps");
            break;
        case Decoder::Qt: {
            QBuffer buffer;
            buffer.setData(data);
            buffer.open(QIODevice::ReadOnly);
            // The content names the format; where it has no signature (TGA) the
            // extension does.
            QByteArray qtFormat = QImageReader::imageFormat(&buffer);
            if (qtFormat.isEmpty())
                qtFormat = suffix.toLatin1();
            if (qtFormat == "jpg")
                qtFormat = "jpeg";
            else if (qtFormat == "tif")
                qtFormat = "tiff";
            buffer.seek(0);
            QImageReader reader(&buffer, qtFormat);
            reader.setAutoTransform(true);
            reader.setAllocationLimit(kAllocationLimitMB);
            format = QString::fromLatin1(qtFormat);
            const QSize pixels = reader.size();
            if (pixels.isValid()
                && (pixels.width() > kMaxSide || pixels.height() > kMaxSide
                    || qint64(pixels.width()) * pixels.height() > kMaxPixels)) {
                why = QStringLiteral("The picture \"%1\" is too large (%2 \u00d7 %3 pixels; at most %4 megapixels "
                                     "can be loaded).")
                          .arg(label)
                          .arg(pixels.width())
                          .arg(pixels.height())
                          .arg(kMaxPixels / 1000000);
                break;
            }
            ok = reader.read(&image);
            if (!ok) {
                why = QStringLiteral("The file \"%1\" is not a picture that can be read (%2).")
                          .arg(label, reader.errorString());
            } else if (format == QLatin1String("jpeg") && !JpegLooksComplete(data)) {
                ok = false;
                why = QStringLiteral("The JPEG file \"%1\" is incomplete; it was cut short.").arg(label);
            }
            break;
        }
        case Decoder::Tga:
            ok = ReadWithMagick(data, "TGA", &image, &why);
            format = QStringLiteral("tga");
            break;
        }
        if (ok && !image.isNull() && image.width() > 0 && image.height() > 0) {
            m_image = image;
            m_format = format;
            return true;
        }
        if (firstError.isEmpty())
            firstError = why.isEmpty() ? QStringLiteral("The file \"%1\" cannot be read.").arg(label) : why;
    }
    if (!firstError.contains(label))
        firstError = QStringLiteral("\"%1\": %2").arg(label, firstError);
    return Fail(firstError, error);
}

bool TMultiImage::SaveAsJpeg(const QString &path, QString *error)
{
    if (m_image.isNull())
        return Fail(QStringLiteral("There is no picture to save."), error);

    QImage rgb;
    if (m_image.hasAlphaChannel()) {
        rgb = QImage(m_image.size(), QImage::Format_RGB32);
        rgb.fill(Qt::white);
        QPainter painter(&rgb);
        painter.drawImage(0, 0, m_image);
    } else {
        rgb = m_image.convertToFormat(QImage::Format_RGB32);
    }

    const QString label = FileLabel(path);
    TSafeFile file(path);
    if (!file.open())
        return Fail(QStringLiteral("The JPEG file \"%1\" cannot be created: %2").arg(label, file.errorString()),
                    error);
    QImageWriter writer(file.device(), "jpeg");
    writer.setQuality(m_quality);
    if (!writer.write(rgb)) {
        file.markDeviceFailure(writer.errorString());
        file.cancel();
        return Fail(QStringLiteral("The JPEG file \"%1\" cannot be written: %2").arg(label, file.errorString()),
                    error);
    }
    if (!file.commit())
        return Fail(QStringLiteral("The JPEG file \"%1\" cannot be written: %2").arg(label, file.errorString()),
                    error);
    return true;
}

} // namespace wobbin
