// fuzz: needs-imaging
// DXF drawings over arbitrary bytes: the size count is the same under any
// limit it stays within and stops past one; a drawing within the limits is
// painted or refused with a reason, never crashes, and is no larger than asked.
#include "imaging/DxfDrawing.h"
#include "imaging/DxfSize.h"

#include <QImage>

#include <cstdlib>

using namespace wobbin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // A small limit keeps each run short; the program's own is far larger.
    constexpr qint64 kLimit = 2000;
    const TDxfSize small = MeasureDxf(bytes, kLimit);
    const TDxfSize large = MeasureDxf(bytes, kDxfMaxElements);
    if (small.LineTooLong != large.LineTooLong || small.LongLine != large.LongLine)
        std::abort();
    if (small.LineTooLong)
        return 0;
    if (small.TooLarge ? small.Elements <= kLimit : (small.Elements > kLimit || large.TooLarge
                                                     || large.Elements != small.Elements))
        std::abort();
    if (small.TooLarge)
        return 0;
    QImage image;
    QString error;
    if (RenderDxf(bytes, &image, &error, 120)) {
        // At most the side asked for; at least the margins and one pixel.
        if (image.isNull() || qMax(image.width(), image.height()) > 120
            || qMin(image.width(), image.height()) < 2 * kDxfMargin + 1)
            std::abort();
    } else if (error.isEmpty() || !image.isNull()) {
        std::abort();
    }
    return 0;
}
