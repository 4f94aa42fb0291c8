#include "support/UploadPage.h"

#include "page/ResourceList.h"

namespace wobbin::testing {

QByteArray Pattern(qint64 size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    quint32 x = quint32(seed) * 2654435761u + 7;
    for (qint64 i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = char(x >> 16);
    }
    return b;
}

TUploadPage PageToSend(const QString &pageFile, const QString &htmlFolder, const QString &sentFilesFolder)
{
    TUploadPage p;
    p.PageFile = pageFile;
    p.HtmlFolder = htmlFolder;
    p.Images = LocaliseImages(pageFile, htmlFolder);
    p.SentFilesFolder = sentFilesFolder;
    return p;
}

} // namespace wobbin::testing
