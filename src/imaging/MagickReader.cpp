#include "imaging/MagickReader.h"

#include <Magick++.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace wobbin {

namespace {

// Largest picture accepted from a file: enough for any photo, small enough that
// a hostile header cannot make the program allocate gigabytes.
constexpr int kMaxSide = 20000;
constexpr qint64 kMaxPixels = 100LL * 1000 * 1000;

std::atomic<int> g_postScriptLimitMs{30000};

// Stops the Ghostscript processes that GraphicsMagick started from this
// process; they are its direct children.
void StopGhostscriptChildren()
{
    const qint64 self = static_cast<qint64>(getpid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ..."; the name may hold blanks and brackets.
        const QByteArray line = stat.readAll();
        const int open = line.indexOf('(');
        const int close = line.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QByteArray name = line.mid(open + 1, close - open - 1);
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (rest.size() < 2 || rest.at(1).toLongLong() != self)
            continue;
        if (name == "gs" || name.startsWith("gs-") || name.startsWith("ghostscript"))
            kill(static_cast<pid_t>(pid), SIGKILL);
    }
}

// Watches one GraphicsMagick read: past the time limit it stops Ghostscript,
// which makes the read fail instead of hanging.
class GhostscriptWatch
{
public:
    explicit GhostscriptWatch(int limitMs)
        : m_thread([this, limitMs] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_cv.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return m_done; }))
                  return;
              m_timedOut = true;
              do
                  StopGhostscriptChildren();
              while (!m_cv.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_done; }));
          })
    {
    }
    ~GhostscriptWatch() { Finish(); }
    void Finish()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool TimedOut() const { return m_timedOut; }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::atomic<bool> m_timedOut{false};
    std::thread m_thread;
};

} // namespace

void SetPostScriptTimeLimit(int milliseconds)
{
    g_postScriptLimitMs = std::max(1, milliseconds);
}

void EnsureMagickInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] {
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
        const bool postScript = formatName == QLatin1String("EPS") || formatName == QLatin1String("PS");
        std::unique_ptr<GhostscriptWatch> watch;
        if (postScript)
            watch = std::make_unique<GhostscriptWatch>(g_postScriptLimitMs.load());
        try {
            image.read(blob);
        } catch (const Magick::Warning &) {
            // A warning (an odd but readable header, say) still leaves a picture.
        } catch (const Magick::Exception &) {
            if (watch && (watch->Finish(), watch->TimedOut()))
                return fail(QStringLiteral("The %1 file took too long to draw and was stopped.").arg(formatName));
            throw;
        }
        if (watch) {
            watch->Finish();
            if (watch->TimedOut())
                return fail(QStringLiteral("The %1 file took too long to draw and was stopped.").arg(formatName));
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
