#pragma once
// The sample page of the style wizard: a short page in the colours of the
// style being edited, written to "~tmpprvw.html" in the HTML folder and shown
// in the wizard's viewer.

#include "styles/StyleLibrary.h"

#include <QString>

namespace wobbin {

// The four words of the sample, as the string table has them.
struct TStyleSampleWords
{
    QString DocumentText = QStringLiteral("Document Text");
    QString StandardLink = QStringLiteral("Standard Link");
    QString ActiveLink = QStringLiteral("Active Link");
    QString VisitedLink = QStringLiteral("Visited Link");
};

// The sample page text: ten lines joined by CR LF, the last without a line
// end. The colours are six hexadecimal digits without "#"; the BACKGROUND
// attribute carries the style's image text unchanged and is left out when
// the style has no image.
QString CreateStyleSampleHTML(const TStyleChunk &style, const TStyleSampleWords &words = {});

// The name of the sample file in the HTML folder.
QString StyleSampleFileName();
// The sample file's full native path for an HTML folder.
QString StyleSamplePath(const QString &htmlFolder);

// Writes the sample text to path (Windows-1252, exactly, no line end added)
// through the checked writer, replacing an earlier sample. Fails, with the
// cause, when it could not be written.
TResult<void> WriteStyleSample(const QString &path, const QString &html);

} // namespace wobbin
