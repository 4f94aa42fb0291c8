#include "imaging/ImagePicker.h"

#include "base/Paths.h"
#include "base/SafeFile.h"
#include "imaging/MultiImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wobbin {

namespace {

const QString kGraphics = QStringLiteral("graphics");

QString ToBackslashes(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path;
}

// The "graphics" folder inside the HTML folder. A folder that differs only in
// case ("Graphics") is used as it is, so that no second folder appears beside
// it; otherwise "graphics" is created.
bool GraphicsFolder(const QString &htmlFolder, QString *folder, QString *error)
{
    QDir html(htmlFolder);
    if (!html.exists() && !QDir().mkpath(htmlFolder)) {
        *error = QStringLiteral("The folder \"%1\" cannot be created.").arg(htmlFolder);
        return false;
    }
    if (QFileInfo(html.filePath(kGraphics)).isDir()) {
        *folder = html.filePath(kGraphics);
        return true;
    }
    const QStringList dirs = html.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &d : dirs) {
        if (d.compare(kGraphics, Qt::CaseInsensitive) == 0) {
            *folder = html.filePath(d);
            return true;
        }
    }
    if (!html.mkdir(kGraphics)) {
        *error = QStringLiteral("The folder \"%1\" cannot be created.").arg(html.filePath(kGraphics));
        return false;
    }
    *folder = html.filePath(kGraphics);
    return true;
}

// Copies a file, replacing the target in one step: a failed copy leaves the
// old target as it was.
bool CopyReplacing(const QString &from, const QString &to, QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The file \"%1\" cannot be opened: %2").arg(from, in.errorString());
        return false;
    }
    TSafeFile out(to);
    if (!out.open()) {
        *error = QStringLiteral("The file \"%1\" cannot be created: %2").arg(to, out.errorString());
        return false;
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (!out.write(chunk)) {
            *error = QStringLiteral("The file \"%1\" cannot be written: %2").arg(to, out.errorString());
            out.cancel();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        *error = QStringLiteral("The file \"%1\" cannot be read: %2").arg(from, in.errorString());
        out.cancel();
        return false;
    }
    if (!out.commit()) {
        *error = QStringLiteral("The file \"%1\" cannot be written: %2").arg(to, out.errorString());
        return false;
    }
    return true;
}

bool SameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    // Another spelling of the same file (a link, "..") must not be copied onto
    // itself.
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString GraphicsFileName(const QString &chosenPath)
{
    return WebFileName(QFileInfo(chosenPath).fileName());
}

QString RelativePathRule(const QString &target, const QString &base)
{
    if (target.left(2).compare(base.left(2), Qt::CaseInsensitive) != 0)
        return target;
    const qsizetype n = std::min(target.size(), base.size());
    qsizetype lastShared = -1;
    for (qsizetype i = 0; i < n; ++i) {
        if (target.at(i).toLower() != base.at(i).toLower())
            break;
        if (target.at(i) == QLatin1Char('\\'))
            lastShared = i;
    }
    const QString targetRest = target.mid(lastShared + 1);
    const QString baseRest = base.mid(lastShared + 1);
    return QStringLiteral("..\\").repeated(baseRest.count(QLatin1Char('\\'))) + targetRest;
}

ImagePickResult PickImageFile(const QString &chosenPath, const QString &htmlFolder)
{
    ImagePickResult result;
    auto fail = [&](const QString &why) {
        result = ImagePickResult();
        result.error = why;
        return result;
    };
    if (chosenPath.isEmpty())
        return fail(QStringLiteral("No picture file was chosen."));
    if (htmlFolder.isEmpty())
        return fail(QStringLiteral("The HTML folder is not known."));

    const QString name = GraphicsFileName(chosenPath);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return fail(QStringLiteral("The chosen file has no usable name."));
    if (name.contains(QLatin1Char('\\')))
        return fail(QStringLiteral("The file name \"%1\" contains a backslash, which a web page "
                                   "cannot use in a picture name.")
                        .arg(name));

    // The picture must be readable before anything in "graphics" is touched, so
    // that a broken file never replaces a good picture of the same name.
    TMultiImage image;
    image.SetJpegQuality(100);
    QString error;
    if (!image.LoadFromFile(chosenPath, &error))
        return fail(error);

    const QString html = QDir::cleanPath(QFileInfo(ToNativePath(htmlFolder)).absoluteFilePath());
    QString graphics;
    if (!GraphicsFolder(html, &graphics, &error))
        return fail(error);

    QString target = QDir(graphics).filePath(name);
    const QString chosen = QDir::cleanPath(QFileInfo(chosenPath).absoluteFilePath());
    if (!SameFile(chosen, target) && !CopyReplacing(chosen, target, &error))
        return fail(error);

    const QString suffix = QFileInfo(name).suffix().toUpper();
    const bool hasDot = name.contains(QLatin1Char('.'));
    if (!hasDot || (suffix != QLatin1String("JPG") && suffix != QLatin1String("GIF"))) {
        // Browsers show JPEG and GIF everywhere; anything else becomes a JPEG
        // beside the copy. The extension is written in lower case so that the
        // name in the page and the name on disk agree.
        const QString stem = hasDot ? name.left(name.lastIndexOf(QLatin1Char('.'))) : name;
        const QString jpeg = QDir(graphics).filePath(stem + QStringLiteral(".jpg"));
        if (!image.SaveAsJpeg(jpeg, &error))
            return fail(error);
        target = jpeg;
        if (!image.LoadFromFile(target, &error))
            return fail(error);
    }

    const QString base = JoinPath(ToBackslashes(html), QStringLiteral("shouser"));
    QString relative = RelativePathRule(ToBackslashes(target), base);
    if (relative != ToBackslashes(target))
        relative = relative.toLower();

    result.ok = true;
    result.relativePath = relative;
    result.height = QString::number(image.Height());
    result.width = QString::number(image.Width());
    result.targetPath = target;
    return result;
}

} // namespace wobbin
