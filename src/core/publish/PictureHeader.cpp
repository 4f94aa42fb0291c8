#include "publish/PictureHeader.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <cstdint>
#include <limits>

namespace wobbin {
namespace {

// Largest width or height taken as real; anything above is a damaged header.
constexpr std::int64_t kMaxDimension = 1 << 20;
// A JPEG file gets this many segments to reach its frame header.
constexpr int kMaxJpegSegments = 4096;

bool ReadExact(QIODevice &d, unsigned char *buffer, qint64 count)
{
    return d.read(reinterpret_cast<char *>(buffer), count) == count;
}

std::uint32_t Be16(const unsigned char *p) { return std::uint32_t(p[0]) << 8 | p[1]; }
std::uint32_t Be32(const unsigned char *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
std::uint32_t Le16(const unsigned char *p) { return std::uint32_t(p[1]) << 8 | p[0]; }
std::uint32_t Le32(const unsigned char *p)
{
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool Plausible(std::int64_t w, std::int64_t h)
{
    return w > 0 && h > 0 && w <= kMaxDimension && h <= kMaxDimension;
}

bool Accept(std::int64_t w, std::int64_t h, int &width, int &height)
{
    if (!Plausible(w, h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

bool ReadPng(QIODevice &d, int &width, int &height)
{
    // Signature (8), then the first chunk must be IHDR: length 13, "IHDR", width, height.
    unsigned char b[24];
    if (!d.seek(0) || !ReadExact(d, b, sizeof b))
        return false;
    if (Be32(b + 8) != 13 || b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R')
        return false;
    return Accept(Be32(b + 16), Be32(b + 20), width, height);
}

bool ReadGif(QIODevice &d, int &width, int &height)
{
    unsigned char b[10];
    if (!d.seek(0) || !ReadExact(d, b, sizeof b))
        return false;
    return Accept(Le16(b + 6), Le16(b + 8), width, height);
}

bool ReadBmp(QIODevice &d, int &width, int &height)
{
    unsigned char b[26];
    if (!d.seek(0) || !ReadExact(d, b, sizeof b))
        return false;
    const std::uint32_t headerSize = Le32(b + 14);
    if (headerSize == 12) // the old OS/2 header: 16-bit width and height
        return Accept(Le16(b + 18), Le16(b + 20), width, height);
    if (headerSize < 16)
        return false;
    const std::int64_t w = std::int32_t(Le32(b + 18));
    std::int64_t h = std::int32_t(Le32(b + 22));
    if (h < 0) // stored top-down
        h = -h;
    return Accept(w, h, width, height);
}

bool IsJpegFrameMarker(unsigned char m)
{
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool ReadJpeg(QIODevice &d, int &width, int &height)
{
    const qint64 size = d.size();
    qint64 pos = 2; // after SOI
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        if (!d.seek(pos))
            return false;
        unsigned char c;
        // A marker is 0xFF (any number of fill bytes) and a code.
        if (!ReadExact(d, &c, 1) || c != 0xFF)
            return false;
        int fill = 0;
        do {
            if (!ReadExact(d, &c, 1) || ++fill > 64)
                return false;
        } while (c == 0xFF);
        const unsigned char marker = c;
        pos = d.pos();
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // stand-alone markers have no length
        if (marker == 0xD9 || marker == 0xDA)
            return false; // end of image or start of scan before any frame header
        unsigned char len[2];
        if (!ReadExact(d, len, 2))
            return false;
        const qint64 length = Be16(len);
        if (length < 2 || pos + length > size)
            return false;
        if (IsJpegFrameMarker(marker)) {
            unsigned char f[5]; // precision, height, width
            if (length < 7 || !ReadExact(d, f, sizeof f))
                return false;
            return Accept(Be16(f + 3), Be16(f + 1), width, height);
        }
        pos += length;
    }
    return false;
}

} // namespace

bool ReadPictureDimensions(QIODevice &device, int &width, int &height, QString &format)
{
    width = height = 0;
    format.clear();
    if (!device.isOpen() || device.isSequential() || !device.seek(0))
        return false;
    unsigned char magic[8] = {};
    const qint64 got = device.read(reinterpret_cast<char *>(magic), sizeof magic);
    if (got < 2)
        return false;
    bool ok = false;
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) {
        format = QStringLiteral("JPEG");
        ok = ReadJpeg(device, width, height);
    } else if (got == 8 && magic[0] == 0x89 && magic[1] == 'P' && magic[2] == 'N' && magic[3] == 'G'
               && magic[4] == 0x0D && magic[5] == 0x0A && magic[6] == 0x1A && magic[7] == 0x0A) {
        format = QStringLiteral("PNG");
        ok = ReadPng(device, width, height);
    } else if (got >= 6 && magic[0] == 'G' && magic[1] == 'I' && magic[2] == 'F' && magic[3] == '8'
               && (magic[4] == '7' || magic[4] == '9') && magic[5] == 'a') {
        format = QStringLiteral("GIF");
        ok = ReadGif(device, width, height);
    } else if (magic[0] == 'B' && magic[1] == 'M') {
        format = QStringLiteral("BMP");
        ok = ReadBmp(device, width, height);
    }
    if (!ok) {
        width = height = 0;
        return false;
    }
    return true;
}

TPictureInfo MeasurePicture(const QString &nativePath)
{
    TPictureInfo info;
    if (nativePath.isEmpty())
        return info;
    QFile file(nativePath);
    const QFileInfo fi(nativePath);
    if (!fi.isFile() || !file.open(QIODevice::ReadOnly))
        return info;
    info.Exists = true;
    info.Bytes = file.size();
    if (ReadPictureDimensions(file, info.Width, info.Height, info.Format))
        return info;
    info.Width = info.Height = 0;
    return info;
}

} // namespace wobbin
