#include "imaging/MagickReader.h"

#include "base/PrivateTemp.h"

#include <Magick++.h>

#include <QFile>

#include <memory>
#include <mutex>

namespace wobbin {

namespace {

// Largest picture accepted from a file: enough for any photo, small enough that
// a hostile header cannot make the program allocate gigabytes.
constexpr int kMaxSide = 20000;
constexpr qint64 kMaxPixels = 100LL * 1000 * 1000;

} // namespace

void EnsureMagickInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // GraphicsMagick's work files go into the program's private folder,
        // not the shared temporary folder.
        const QString temp = PrivateTempFolder();
        if (!temp.isEmpty())
            qputenv("MAGICK_TMPDIR", QFile::encodeName(temp));
        // The same start-up as Magick::InitializeMagick, without signal
        // handlers: the program keeps its own handling of SIGTERM and SIGINT.
        MagickLib::ExceptionInfo exception;
        MagickLib::GetExceptionInfo(&exception);
        MagickLib::InitializeMagickEx(nullptr, MAGICK_OPT_NO_SIGNAL_HANDER, &exception);
        MagickLib::DestroyExceptionInfo(&exception);
        MagickLib::SetMagickResourceLimit(MagickLib::WidthResource, kMaxSide);
        MagickLib::SetMagickResourceLimit(MagickLib::HeightResource, kMaxSide);
        MagickLib::SetMagickResourceLimit(MagickLib::PixelsResource, kMaxPixels);
    });
}

bool ReadWithMagick(const QByteArray &data, const char *magickFormat, QImage *out,
                    QString *error)
{
    EnsureMagickInitialised();
    const QString formatName = QString::fromLatin1(magickFormat);
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    // PostScript runs a program: it goes to PostScriptReader, never through
    // GraphicsMagick's own call of Ghostscript.
    static const QStringList programs = {QStringLiteral("EPS"), QStringLiteral("EPSF"), QStringLiteral("EPSI"),
                                         QStringLiteral("EPI"), QStringLiteral("EPT"), QStringLiteral("PS"),
                                         QStringLiteral("PDF")};
    if (programs.contains(formatName.toUpper()))
        return fail(QStringLiteral("%1 pictures are not read this way.").arg(formatName));
    if (data.isEmpty())
        return fail(QStringLiteral("The file is empty."));

    Magick::Image image;
    try {
        Magick::Blob blob(data.constData(), static_cast<size_t>(data.size()));
        image.quiet(true);
        image.magick(magickFormat);
        if (formatName == QLatin1String("PCD")) {
            // A Photo CD holds several sizes; the third is the 768 x 512 base
            // image (the first would be a 192 x 128 thumbnail).
            image.subImage(3);
            image.subRange(1);
        }
        try {
            image.read(blob);
        } catch (const Magick::Warning &) {
            // A warning (an odd but readable header, say) still leaves a picture.
        }
        if (!image.isValid() || image.columns() == 0 || image.rows() == 0)
            return fail(QStringLiteral("The %1 file holds no readable picture.").arg(formatName));
        if (image.columns() > static_cast<unsigned>(kMaxSide)
            || image.rows() > static_cast<unsigned>(kMaxSide))
            return fail(QStringLiteral("The %1 picture is too large.").arg(formatName));

        const int w = static_cast<int>(image.columns());
        const int h = static_cast<int>(image.rows());
        QImage result(w, h, QImage::Format_RGBA8888);
        if (result.isNull())
            return fail(QStringLiteral("Not enough memory for the %1 picture.").arg(formatName));
        // One row at a time: QImage rows may be padded.
        for (int y = 0; y < h; ++y)
            image.write(0, y, static_cast<unsigned>(w), 1, "RGBA", Magick::CharPixel,
                        result.scanLine(y));
        *out = result.convertToFormat(image.matte() ? QImage::Format_ARGB32
                                                    : QImage::Format_RGB32);
        return true;
    } catch (const Magick::Exception &e) {
        QString detail = QString::fromLocal8Bit(e.what()).trimmed();
        // GraphicsMagick prefixes its messages with the program name.
        const int colon = detail.indexOf(QLatin1String(": "));
        if (colon > 0 && colon < 40)
            detail = detail.mid(colon + 2);
        return fail(QStringLiteral("The %1 file cannot be read: %2").arg(formatName, detail));
    } catch (const std::exception &e) {
        return fail(QStringLiteral("The %1 file cannot be read: %2")
                        .arg(formatName, QString::fromLocal8Bit(e.what())));
    }
}

} // namespace wobbin
