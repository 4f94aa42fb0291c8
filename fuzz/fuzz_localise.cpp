// The image list over arbitrary HTML text: no crash, no quadratic blow-up,
// no remote or repeated entries, nothing outside the HTML folder.
#include "page/Cp1252.h"
#include "page/ResourceList.h"

#include <QSet>
#include <cstdlib>

using namespace wobbin;

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
        if (!WhyOutsideFolder(d.RefName, d.SourcePath, QStringLiteral("C:\\Web")).isEmpty()
            || !d.SourcePath.startsWith(QLatin1String("C:\\Web\\"), Qt::CaseInsensitive))
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
