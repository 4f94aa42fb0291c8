// --thumbnail INPUT OUTPUT SIZE: a page's picture as a PNG for file managers.
#include "pictures/ThumbnailDrawing.h"

#include "settings/AppPaths.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "cli/CliCommand.h"
#include "cli/CommandLine.h"
#include "cli/ThumbnailCommand.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTextDocument>
#include <QUrl>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#define WOBBIN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WOBBIN_ASAN 1
#endif
#endif

namespace wobbin {
namespace {

// Limits for files that may be hostile.
constexpr qint64 kMaxPageBytes = 1 << 20;        // real pages are a few kilobytes
constexpr int kMaxBlocks = 200;                  // more than a picture can show
constexpr qint64 kMaxPictureBytes = 16 << 20;
constexpr int kMaxPictureSide = 4096;
constexpr int kPictureAllocationMB = 64;
constexpr int kMaxPagePictures = 24;             // pictures drawn for one page
constexpr int kMaxSize = 2048;                   // largest SIZE asked for
constexpr unsigned kTimeLimitSeconds = 20;
constexpr rlim_t kMemoryLimit = rlim_t(1536) << 20;

// The page is drawn as the program's viewer shows it in the workspace, then
// shrunk; the stored picture has the same shape (196 x 229).
constexpr int kViewWidth = 600;
constexpr int kViewHeight = kViewWidth * kPagePictureHeight / kPagePictureWidth;

// The process ends itself (SIGALRM) when it runs too long, and allocation
// fails beyond the memory limit instead of taking the machine's memory.
void BoundThisProcess()
{
    ::alarm(kTimeLimitSeconds);
#ifndef WOBBIN_ASAN
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kMemoryLimit)) {
        limit.rlim_cur = kMemoryLimit;
        ::setrlimit(RLIMIT_AS, &limit);
    }
#endif
}

// A picture file read with every limit: only the given formats, bounded file
// size, dimensions and decoding memory. Null when any limit is passed.
QImage ReadBoundedPicture(const QString &path, const QList<QByteArray> &formats)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxPictureBytes)
        return QImage();
    QImageReader reader(path);
    reader.setAllocationLimit(kPictureAllocationMB);
    if (!reader.canRead() || !formats.contains(reader.format().toLower()))
        return QImage();
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        return QImage();
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

// The page's pictures, found in the HTML folder only: a reference that names
// a scheme, an absolute path or a parent folder, or that leads out of the
// folder through a link, is not shown.
class TPagePictureDocument : public QTextDocument
{
public:
    explicit TPagePictureDocument(const QString &htmlFolder)
        : m_folder(htmlFolder.isEmpty() ? QString() : QFileInfo(htmlFolder).canonicalFilePath())
    {}

    QImage Picture(const QString &reference)
    {
        if (m_folder.isEmpty() || m_loaded >= kMaxPagePictures)
            return QImage();
        QString rel = reference;
        rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (rel.isEmpty() || rel.startsWith(QLatin1Char('/')) || rel.contains(QLatin1Char(':')))
            return QImage();
        for (const QString &part : rel.split(QLatin1Char('/')))
            if (part == QLatin1String(".."))
                return QImage();
        const QString found = FindPathNoCase(QDir(m_folder).filePath(rel));
        const QString real = QFileInfo(found).canonicalFilePath();
        if (real.isEmpty() || !real.startsWith(m_folder + QLatin1Char('/')))
            return QImage();
        ++m_loaded;
        QImage image = ReadBoundedPicture(real, {"jpeg", "jpg", "png", "gif", "bmp"});
        // Nothing on the page is drawn larger than the view.
        if (image.width() > kViewWidth * 2 || image.height() > kViewHeight * 2)
            image = image.scaled(kViewWidth * 2, kViewHeight * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return image;
    }

protected:
    // Every picture reference gets an answer here: a picture not shown is an
    // empty one, since the document would otherwise load the file itself.
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::StyleSheetResource)
            return QString();  // no style sheet from anywhere
        if (type != QTextDocument::ImageResource)
            return QVariant();
        QImage image;
        if (name.scheme().isEmpty() && name.host().isEmpty())
            image = Picture(name.path(QUrl::FullyDecoded));
        if (image.isNull()) {
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        return QVariant(image);
    }

private:
    QString m_folder;
    int m_loaded = 0;
};

QColor HtmlColour(TColor colour)
{
    return QColor(QLatin1Char('#') + ColourToHTML(colour));
}

// The page's stored style from the data folder's library; false without one.
bool FindPageStyle(const PageReadResult &read, const QString &dataDir, TStyleChunk &style)
{
    if (!read.HasStyleName || dataDir.isEmpty())
        return false;
    const QString path = FindPathNoCase(QDir(dataDir).filePath(QStringLiteral("Styles.data")));
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() > kMaxPageBytes)
        return false;
    const StyleList styles = LoadStyles(path);
    const int entry = FindStyleEntry(StyleListEntries(styles), read.StyleName);
    if (entry <= 0 || entry > styles.size())
        return false;
    style = styles.at(entry - 1);
    return true;
}

// The page drawn from its blocks as the workspace view shows it, at scale
// times its size: the style's background colour and picture, then the page's
// text and pictures.
QImage DrawPage(TPageDocument &doc, const PageReadResult &read, const QString &dataDir, double scale)
{
    while (doc.Blocks.Count() > kMaxBlocks)
        doc.Blocks.Take(doc.Blocks.Count() - 1);
    const QString htmlFolder = dataDir.isEmpty() ? QString()
                                                 : FindPathNoCase(QDir(dataDir).filePath(QStringLiteral("HTMLFiles")));
    TPagePictureDocument text(htmlFolder);

    TStyleChunk style;
    const bool styled = FindPageStyle(read, dataDir, style);
    QColor background(0xc0, 0xc0, 0xc0);  // the viewer's own background
    QColor ink(Qt::black), link(0x00, 0x00, 0xee);
    QImage tile;
    if (styled) {
        if (style.BackColour != clNone && !(style.BackColour & 0x80000000u))
            background = HtmlColour(style.BackColour);
        if (!(style.TextColour & 0x80000000u))
            ink = HtmlColour(style.TextColour);
        if (!(style.LinkColour & 0x80000000u))
            link = HtmlColour(style.LinkColour);
        if (!style.Image.isEmpty())
            tile = text.Picture(style.Image);
    }

    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(16);
    text.setDefaultFont(font);
    text.setDocumentMargin(8);
    text.setTextWidth(kViewWidth);
    text.setDefaultStyleSheet(QStringLiteral("a { color: %1; }").arg(link.name()));
    // The generated page without its BODY attributes: the background is
    // painted here, the colours come from the style.
    text.setHtml(ReplaceBodyTag(doc.BuildPageHTML(false, true), QStringLiteral("<BODY>")));

    QImage view(qRound(kViewWidth * scale), qRound(kViewHeight * scale), QImage::Format_RGB32);
    view.fill(background);
    QPainter painter(&view);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    const QRect area(0, 0, kViewWidth, kViewHeight);
    if (!tile.isNull())
        painter.drawTiledPixmap(area, QPixmap::fromImage(tile));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, ink);
    context.palette.setColor(QPalette::Link, link);
    context.clip = QRectF(area);
    text.documentLayout()->draw(&painter, context);
    painter.end();
    return view;
}

// The picture made to fit SIZE x SIZE, keeping its shape; never enlarged.
QImage FitPicture(const QImage &picture, int size)
{
    const QSize fitted = picture.size().scaled(size, size, Qt::KeepAspectRatio);
    if (fitted.width() >= picture.width() || fitted.height() >= picture.height())
        return picture;
    return picture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WritePng(const QImage &image, const QString &path, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        *error = writer.errorString();
        return false;
    }
    const TResult<void> written = WriteFileSafely(ToNativePath(path), bytes);
    if (!written.ok())
        *error = written.error().Text();
    return written.ok();
}

} // namespace

int RunThumbnailCommand(const CliArgs &args)
{
    BoundThisProcess();
    const QString input = args.operands.value(0);
    const QString output = args.operands.value(1);
    bool sizeOk = false;
    const int size = args.operands.value(2).toInt(&sizeOk);
    if (!sizeOk || size < 1 || size > kMaxSize) {
        CliMessage(QStringLiteral("SIZE must be a number of pixels from 1 to %1").arg(kMaxSize));
        return 1;
    }

    const QString path = FindPathNoCase(ToNativePath(input));
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        CliMessage(QStringLiteral("%1: cannot be read").arg(input));
        return 1;
    }
    if (file.size() > kMaxPageBytes) {
        CliMessage(QStringLiteral("%1: too large for a page file").arg(input));
        return 2;
    }
    const QByteArray bytes = file.read(kMaxPageBytes + 1);
    file.close();
    TPageDocument doc;
    const PageReadResult read = ReadPageBytes(bytes, doc);
    if (read.Stop == PageReadStop::NotPageFile || read.Stop == PageReadStop::OtherMajorVersion
        || read.Stop == PageReadStop::BadVersionText) {
        CliMessage(QStringLiteral("%1: %2").arg(input, DescribeReadResult(read)));
        return 2;
    }

    // A picture renderer without a screen: no windows, no desktop theme.
    qunsetenv("QT_QPA_PLATFORMTHEME");
    qunsetenv("QT_STYLE_OVERRIDE");
    static int argc = 3;
    static char arg0[] = "wobbin-express", arg1[] = "-platform", arg2[] = "offscreen";
    static char *argv[] = {arg0, arg1, arg2, nullptr};
    QGuiApplication app(argc, argv);

    int code = 0;
    QImage picture;
    const QString stored = ReadPreviewPicture(path);
    if (!stored.isEmpty())
        picture = ReadBoundedPicture(stored, {"bmp"});
    if (!picture.isNull()) {
        picture = FitPicture(picture, size);
    } else {
        // Drawn at the view's size, larger when SIZE asks for more.
        const double scale = std::max(1.0, double(size) / kViewHeight);
        picture = FitPicture(DrawPage(doc, read, CliDataDir(args), scale), size);
        if (!read.IsOk()) {
            CliMessage(QStringLiteral("%1: %2").arg(input, DescribeReadResult(read)));
            code = 2;
        }
    }

    QString error;
    if (!WritePng(picture, output, &error)) {
        CliMessage(QStringLiteral("%1: cannot write: %2").arg(output, error));
        return 1;
    }
    return code;
}

void AddThumbnailCommand()
{
    AddCommand(ThumbnailCommandRow(&RunThumbnailCommand));
}

} // namespace wobbin
