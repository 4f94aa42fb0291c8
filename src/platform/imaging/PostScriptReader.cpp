#include "imaging/PostScriptReader.h"

#include "base/PrivateTemp.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <atomic>
#include <sys/resource.h>

namespace wobbin {

namespace {

std::atomic<int> g_limitMs{30000};

// Largest picture drawn: the same bounds as for other pictures.
constexpr double kMaxSide = 20000;
constexpr qint64 kMaxOutputBytes = 512LL * 1024 * 1024;
constexpr rlim_t kMaxMemoryBytes = rlim_t(3) * 1024 * 1024 * 1024;

// The bounding box of an EPS from its comments, in points; false when there
// is none (a plain PostScript page).
bool BoundingBox(const QByteArray &data, double *width, double *height)
{
    static const QRegularExpression box(QStringLiteral(
        "^%%BoundingBox:[ \\t]*(-?[0-9.]+)[ \\t]+(-?[0-9.]+)[ \\t]+(-?[0-9.]+)[ \\t]+(-?[0-9.]+)"),
                                        QRegularExpression::MultilineOption);
    const QString head = QString::fromLatin1(data.left(64 * 1024));
    const auto m = box.match(head);
    if (!m.hasMatch())
        return false;
    *width = m.captured(3).toDouble() - m.captured(1).toDouble();
    *height = m.captured(4).toDouble() - m.captured(2).toDouble();
    return true;
}

} // namespace

void SetPostScriptTimeLimit(int milliseconds)
{
    g_limitMs = std::max(1, milliseconds);
}

QStringList GhostscriptArguments(const QString &inputName, const QString &outputName)
{
    return {QStringLiteral("-q"),
            QStringLiteral("-dSAFER"),
            QStringLiteral("-dBATCH"),
            QStringLiteral("-dNOPAUSE"),
            QStringLiteral("-dNOPROMPT"),
            QStringLiteral("-dEPSCrop"),
            QStringLiteral("-dFirstPage=1"),
            QStringLiteral("-dLastPage=1"),
            QStringLiteral("-sDEVICE=png16m"),
            QStringLiteral("-r72"),
            QStringLiteral("-dTextAlphaBits=4"),
            QStringLiteral("-dGraphicsAlphaBits=4"),
            // What the program prints goes nowhere near the picture.
            QStringLiteral("-sstdout=%stderr"),
            QStringLiteral("-sOutputFile=") + outputName,
            QStringLiteral("-f"),
            inputName};
}

bool RenderPostScript(const QByteArray &data, QImage *out, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (data.isEmpty())
        return fail(QStringLiteral("The file is empty."));
    double w = 0, h = 0;
    if (BoundingBox(data, &w, &h) && (w > kMaxSide || h > kMaxSide))
        return fail(QStringLiteral("The PostScript picture is too large (%1 \u00d7 %2 points; at most %3 on a side).")
                        .arg(qRound64(w)).arg(qRound64(h)).arg(int(kMaxSide)));

    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty())
        return fail(QStringLiteral("EPS pictures need Ghostscript, which is not installed."));

    const QString work = NewPrivateJobFolder(QStringLiteral("ghostscript"));
    if (work.isEmpty())
        return fail(QStringLiteral("No private folder could be made for drawing the EPS picture."));
    struct Cleanup
    {
        QString folder;
        ~Cleanup() { RemoveTempFolder(folder); }
    } cleanup{work};

    const QString input = QStringLiteral("input.eps");
    const QString output = QStringLiteral("output.png");
    const TResult<void> written = WriteFileSafely(QDir(work).filePath(input), data);
    if (!written.ok())
        return fail(QStringLiteral("The EPS picture cannot be prepared for drawing: %1").arg(written.error().Text()));

    QProcess gsProcess;
    gsProcess.setProgram(gs);
    gsProcess.setArguments(GhostscriptArguments(input, output));
    gsProcess.setWorkingDirectory(work);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"TMPDIR", "TEMP", "TMP"})
        env.insert(QString::fromLatin1(name), work);
    env.insert(QStringLiteral("HOME"), work);
    // No start-up files or options of the user's own.
    env.remove(QStringLiteral("GS_OPTIONS"));
    env.remove(QStringLiteral("GS_LIB"));
    env.remove(QStringLiteral("GS_FONTPATH"));
    gsProcess.setProcessEnvironment(env);
    gsProcess.setStandardInputFile(QProcess::nullDevice());
    gsProcess.setStandardOutputFile(QProcess::nullDevice());
    gsProcess.setStandardErrorFile(QProcess::nullDevice());
    const int limitMs = g_limitMs.load();
    gsProcess.setChildProcessModifier([limitMs] {
        // Runs in the child before Ghostscript starts: bounds on memory,
        // processor time and the size of any file it writes.
        struct rlimit mem = {kMaxMemoryBytes, kMaxMemoryBytes};
        ::setrlimit(RLIMIT_AS, &mem);
        const rlim_t cpu = rlim_t(limitMs / 1000 + 2);
        struct rlimit cpuLimit = {cpu, cpu};
        ::setrlimit(RLIMIT_CPU, &cpuLimit);
        struct rlimit fileSize = {rlim_t(kMaxOutputBytes), rlim_t(kMaxOutputBytes)};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    });
    gsProcess.start();
    if (!gsProcess.waitForStarted(10000))
        return fail(QStringLiteral("Ghostscript could not be started: %1").arg(gsProcess.errorString()));
    if (!gsProcess.waitForFinished(limitMs)) {
        // Only this one child is stopped.
        gsProcess.kill();
        gsProcess.waitForFinished(5000);
        return fail(QStringLiteral("The EPS file took too long to draw and was stopped."));
    }
    if (gsProcess.exitStatus() != QProcess::NormalExit)
        return fail(QStringLiteral("Ghostscript stopped while drawing the EPS file."));

    QFile png(QDir(work).filePath(output));
    if (!png.open(QIODevice::ReadOnly) || png.size() == 0)
        return fail(QStringLiteral("The EPS file holds no picture that can be drawn."));
    if (png.size() > kMaxOutputBytes)
        return fail(QStringLiteral("The EPS picture is too large."));
    QImage image;
    if (!image.loadFromData(png.readAll(), "PNG") || image.isNull())
        return fail(QStringLiteral("The EPS file holds no picture that can be drawn."));
    if (gsProcess.exitCode() != 0 && image.isNull())
        return fail(QStringLiteral("The EPS file cannot be drawn."));
    *out = image;
    return true;
}

} // namespace wobbin
