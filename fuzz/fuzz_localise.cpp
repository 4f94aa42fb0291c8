// The image list over arbitrary HTML text: no crash, no quadratic blow-up,
// no remote or repeated entries, nothing outside the HTML folder.
#include "page/Cp1252.h"
#include "page/ResourceList.h"

#include <QSet>
#include <cstdlib>

using namespace wobbin;

namespace {

// A resolved path inside C:\Web once its "." and ".." parts are worked out,
// without a control character.
bool InsideWeb(const QString &path)
{
    for (QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    QStringList parts;
    for (const QString &part : path.split(QLatin1Char('\\'))) {
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return false;
            parts.removeLast();
        } else if (part != QLatin1String(".") && !part.isEmpty()) {
            parts << part;
        }
    }
    return parts.size() > 2 && parts.at(0).compare(QLatin1String("C:"), Qt::CaseInsensitive) == 0
        && parts.at(1).compare(QLatin1String("Web"), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = FromCp1252(reinterpret_cast<const char *>(data), qsizetype(size));
    RefusedReferenceList refused;
    const UploadImageList list = LocaliseImagesInText(text, QStringLiteral("C:\\Web\\Index.html"), &refused);
    QSet<QString> seen;
    for (const ResourceDetail &d : list) {
        if (d.SourcePath.isEmpty() || d.RefName.contains(QLatin1String("http://")) || seen.contains(d.SourcePath))
            std::abort();
        // Nothing outside the HTML folder is ever listed for upload.
        if (!InsideWeb(d.SourcePath))
            std::abort();
        seen.insert(d.SourcePath);
    }
    (void)LocaliseImagesInText(text, QStringLiteral("/home/u/HTMLFiles\\Index.html"));
    (void)AttrValue(text, QStringLiteral("SRC"));
    (void)ResolvePath(text, QStringLiteral("C:\\Web\\Index.html"));
    (void)ResolvePath(text, text);
    (void)FileUrlToPath(text);
    (void)StripQuotes(text);
    (void)RemoveCommentedMarkup(text);
    return 0;
}
