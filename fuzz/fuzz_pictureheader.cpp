// The picture-header reader over arbitrary bytes: no crash, a bounded number
// of reads, and dimensions only within the limits it promises, with the
// format it names.
#include "publish/PictureHeader.h"

#include <QBuffer>

#include <cstdlib>

using namespace wobbin;

namespace {

// A buffer that counts the reads made of it.
class CountingBuffer : public QBuffer
{
public:
    using QBuffer::QBuffer;
    int reads = 0;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        ++reads;
        return QBuffer::readData(data, maxSize);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    CountingBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    int width = 0, height = 0;
    QString format;
    const bool ok = ReadPictureDimensions(buffer, width, height, format);
    if (buffer.reads > 20000)
        std::abort();
    if (ok) {
        if (width <= 0 || height <= 0 || width > (1 << 20) || height > (1 << 20))
            std::abort();
        if (format != QLatin1String("JPEG") && format != QLatin1String("PNG") && format != QLatin1String("GIF")
            && format != QLatin1String("BMP"))
            std::abort();
    }
    return 0;
}
